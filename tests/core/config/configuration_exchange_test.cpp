#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/configuration.h"
#include "config/connection_signature.h"

namespace linkwright {

namespace {

constexpr const char* kModes = "Comm|Tcp|Udp|Http|Xmodem";

Configuration WithValue(const char* section, const char* key, const char* value) {
  Configuration configuration;
  EXPECT_TRUE(configuration.SetFormatted(section, key, "%s", value));
  return configuration;
}

TEST(ConfigurationExchangeText, CopiesTheValueBothWaysAndCutsLongText) {
  Configuration configuration = WithValue("Connection", "PacketCloser", "[CR][LF]");
  std::string text;
  configuration.ExchangeText(ExchangeDirection::kToControls, text, setting::kPacketCloser);
  EXPECT_EQ(text, "[CR][LF]");

  text = "100% [ETX]";
  configuration.ExchangeText(ExchangeDirection::kFromControls, text, setting::kPacketCloser);
  EXPECT_EQ(configuration.GetString("Connection", "PacketCloser"), "100% [ETX]");

  text.assign(3000, 'x');
  configuration.ExchangeText(ExchangeDirection::kFromControls, text, setting::kHttpUrl);
  EXPECT_EQ(configuration.GetString("Connection", "HttpUrl").size(),
            Configuration::kMaxFormattedLength);
}

TEST(ConfigurationExchangeCheck, ReadsAnyNonZeroNumberAsCheckedAndWritesOneOrZero) {
  struct Case {
    const char* stored;
    bool checked;
  };
  for (const Case& c : std::vector<Case>{{"0", false}, {"1", true}, {"2", true}, {"", false}}) {
    Configuration configuration = WithValue("UserInterface", "HexTrace", c.stored);
    bool checked = !c.checked;
    configuration.ExchangeCheck(ExchangeDirection::kToControls, checked, setting::kHexTrace);
    EXPECT_EQ(checked, c.checked) << c.stored;

    checked = !checked;
    configuration.ExchangeCheck(ExchangeDirection::kFromControls, checked, setting::kHexTrace);
    EXPECT_EQ(configuration.GetString("UserInterface", "HexTrace"), c.checked ? "0" : "1");
  }
}

TEST(ConfigurationExchangeCombo, SplitsTrimmedItemsWithoutALastEmptyOne) {
  struct Case {
    const char* list;
    std::vector<std::string> items;
  };
  const std::vector<Case> cases = {
      {kModes, {"Comm", "Tcp", "Udp", "Http", "Xmodem"}},
      {" Comm |\tTcp |", {"Comm", "Tcp"}},
      {"Comm||Udp| ", {"Comm", "", "Udp"}},
      {"", {}},
      {"|", {""}},
  };
  for (const Case& c : cases) {
    Configuration configuration = WithValue("Connection", "Mode", "1");
    ComboContent combo{{"left over"}, 0};
    configuration.ExchangeCombo(ExchangeDirection::kToControls, combo, setting::kMode, c.list, '|');
    EXPECT_EQ(combo.items, c.items) << c.list;
  }
}

TEST(ConfigurationExchangeCombo, SelectsTheStoredIndexOrNothingAndStoresMinusOneForNothing) {
  struct Case {
    const char* stored;
    int selected;
  };
  for (const Case& c : std::vector<Case>{{"2", 2}, {"4", 4}, {"5", -1}, {"-1", -1}, {"x", 0}}) {
    Configuration configuration = WithValue("Connection", "Mode", c.stored);
    ComboContent combo;
    configuration.ExchangeCombo(ExchangeDirection::kToControls, combo, setting::kMode, kModes, '|');
    EXPECT_EQ(combo.selected, c.selected) << c.stored;

    configuration.ExchangeCombo(ExchangeDirection::kFromControls, combo, setting::kMode, kModes,
                                '|');
    EXPECT_EQ(configuration.GetInt("Connection", "Mode"), c.selected) << c.stored;
  }
}

TEST(ConnectionSignature, JoinsTheFiveLinkSettingsAndIgnoresTheOthers) {
  Configuration configuration = WithValue("Connection", "Mode", "1");
  for (const char* key : {"ActAsServer", "SocketHost", "SocketPort", "CommConfig"}) {
    ASSERT_TRUE(configuration.SetFormatted("Connection", key, "%s", key));
  }
  EXPECT_EQ(ConnectionSignature(configuration), "1|ActAsServer|SocketHost|SocketPort|CommConfig");

  std::string before = ConnectionSignature(configuration);
  ASSERT_TRUE(configuration.SetFormatted("Connection", "PacketCloser", "%s", "[LF]"));
  EXPECT_EQ(ConnectionSignature(configuration), before);
}

}  // namespace

}  // namespace linkwright
