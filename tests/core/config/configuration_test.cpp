#include "config/configuration.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <future>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "diag/diag_log.h"
#include "support/file_size_limit.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

// Each test works on its own file in its own folder and captures the diagnostic log.
class ConfigurationTest : public testing::Test {
 protected:
  void SetUp() override {
    m_File = m_Dir / "linkwright.cfg";
    Configuration::SetFilePath(m_File);
    SetDiagSink([this](std::string_view line) { m_Log.emplace_back(line); });
  }
  void TearDown() override { SetDiagSink(nullptr); }

  Configuration Loaded(const std::string& fileText) {
    WriteFileBytes(m_File, fileText);
    Configuration configuration;
    configuration.Load();
    return configuration;
  }

  bool LoggedSaveFailure() const {
    for (const std::string& line : m_Log) {
      if (line.ends_with("|E|CConfiguration::Save() failed\n")) {
        return true;
      }
    }
    return false;
  }

  // Saves a store whose values differ from the file's, expecting the save to fail.
  void ExpectFailedSave() {
    Configuration configuration;
    configuration.Load();
    ASSERT_TRUE(configuration.SetFormatted("Connection", "SocketPort", "%d", 9999));
    EXPECT_FALSE(configuration.Save());
    EXPECT_EQ(configuration.LastError().Kind(), ErrorKind::kSystem);
    EXPECT_TRUE(LoggedSaveFailure());
  }

  TempDir m_Dir;
  std::filesystem::path m_File;
  std::vector<std::string> m_Log;
};

TEST(ConfigurationKeyTable, HasTheTwentyTwoKeysInOrder) {
  const auto& table = Configuration::KeyTable();
  ASSERT_EQ(table.size(), Configuration::kKeyCount);
  EXPECT_STREQ(table[0].key, "TestMode");
  EXPECT_STREQ(table[8].key, "HttpUrl");
  EXPECT_STREQ(table[8].defaultValue, "http://www.example.com:80/baseurl/");
  EXPECT_STREQ(table[21].section, "AutoReply");
  EXPECT_EQ(Configuration::KeyIndex("autoreply", "USEREGEX"), 21u);
  EXPECT_EQ(Configuration::KeyIndex("Connection", "TestMode"), std::nullopt);
}

TEST(ConfigurationCreated, HoldsEmptyValues) {
  Configuration configuration;
  EXPECT_EQ(configuration.GetString("Connection", "SocketPort"), "");
  EXPECT_FALSE(configuration.GetBool("AutoReply", "UseRegex"));
}

TEST_F(ConfigurationTest, WithoutAFileEveryValueIsItsDefault) {
  Configuration configuration;
  configuration.Load();
  const auto& table = Configuration::KeyTable();
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(configuration.GetString(table[i].section, table[i].key), table[i].defaultValue)
        << table[i].key;
  }
  EXPECT_FALSE(configuration.GetBool("AutoSend", "Enabled"));
  EXPECT_EQ(configuration.GetInt("Connection", "SocketPort"), 1024);
  EXPECT_FALSE(std::filesystem::exists(m_File));
}

TEST_F(ConfigurationTest, AKeyInTheFileOverridesOnlyItsOwnDefault) {
  Configuration configuration = Loaded("[Connection]\nSocketPort=8080\n");
  EXPECT_EQ(configuration.GetInt("Connection", "SocketPort"), 8080);
  EXPECT_EQ(configuration.GetString("Connection", "SocketHost"), "127.0.0.1");
  EXPECT_EQ(configuration.GetString("Connection", "PacketCloser"), "[CR]");
  EXPECT_TRUE(configuration.GetBool("autoreply", "useregex"));
}

TEST_F(ConfigurationTest, AnEmptyValueInTheFileStaysEmpty) {
  Configuration configuration = Loaded("[Connection]\nPacketCloser=\n");
  EXPECT_EQ(configuration.GetString("Connection", "PacketCloser"), "");
}

TEST_F(ConfigurationTest, ADirectoryInPlaceOfTheFileGivesDefaults) {
  std::filesystem::create_directory(m_File);
  Configuration configuration;
  EXPECT_FALSE(configuration.Load());
  EXPECT_EQ(configuration.LastError().Kind(), ErrorKind::kSystem);
  EXPECT_EQ(configuration.LastError().Message(),
            "cannot read " + m_File.string() + ": not a regular file");
  EXPECT_EQ(configuration.GetString("Connection", "CommConfig"), "COM1:9600,N,8,1");
}

struct IntCase {
  std::string stored;
  int32_t asInt;
  bool asBool;
};

class ConfigurationNumberTest : public testing::TestWithParam<IntCase> {};

TEST_P(ConfigurationNumberTest, ReadsTheLeadingDecimalNumber) {
  Configuration configuration;
  ASSERT_TRUE(
      configuration.SetFormatted("Connection", "ResponseTimeout", "%s", GetParam().stored.c_str()));
  EXPECT_EQ(configuration.GetInt("Connection", "ResponseTimeout"), GetParam().asInt);
  EXPECT_EQ(configuration.GetBool("Connection", "ResponseTimeout"), GetParam().asBool);
}

INSTANTIATE_TEST_SUITE_P(StrtolRule, ConfigurationNumberTest,
                         testing::Values(IntCase{"250ms", 250, true}, IntCase{"abc", 0, false},
                                         IntCase{"", 0, false}, IntCase{"  \t-12x", -12, true},
                                         IntCase{"+7", 7, true}, IntCase{"- 7", 0, false},
                                         IntCase{"0x10", 0, false}, IntCase{"1e3", 1, true},
                                         IntCase{"007", 7, true}, IntCase{" 0", 0, false},
                                         IntCase{"2147483647", 2147483647, true},
                                         IntCase{"99999999999", 2147483647, true},
                                         IntCase{"-99999999999", -2147483647 - 1, true},
                                         IntCase{"4294967296", 2147483647, true}));

TEST(ConfigurationSetFormatted, FormatsAndMatchesNamesWithoutCase) {
  Configuration configuration;
  EXPECT_TRUE(configuration.SetFormatted("connection", "SOCKETHOST", "%s.%d", "10.0.0", 7));
  EXPECT_EQ(configuration.GetString("Connection", "SocketHost"), "10.0.0.7");
  EXPECT_EQ(configuration.ValueAt(3), "10.0.0.7");
}

TEST(ConfigurationSetFormatted, CutsAt2047Characters) {
  Configuration configuration;
  std::string longText(5000, 'x');
  EXPECT_TRUE(configuration.SetFormatted("Connection", "HttpUrl", "%s", longText.c_str()));
  EXPECT_EQ(configuration.GetString("Connection", "HttpUrl"), std::string(2047, 'x'));
}

TEST(ConfigurationSetFormatted, UnknownNamesChangeNothing) {
  Configuration configuration;
  ASSERT_TRUE(configuration.SetFormatted("General", "TestMode", "1"));
  for (auto [section, key] : {std::pair{"General", "Mode"}, std::pair{"Nowhere", "TestMode"},
                              std::pair{"General", "TestMode "}, std::pair{"", ""}}) {
    EXPECT_FALSE(configuration.SetFormatted(section, key, "2")) << section << "." << key;
    EXPECT_EQ(configuration.GetString(section, key), "");
  }
  for (size_t i = 0; i < Configuration::kKeyCount; ++i) {
    EXPECT_EQ(configuration.ValueAt(i), i == 0 ? "1" : "") << i;
  }
}

TEST_F(ConfigurationTest, SaveWritesAllKeysUnderTheFiveSections) {
  Configuration configuration;
  configuration.Load();
  ASSERT_TRUE(configuration.Save());
  std::string text = ReadFileBytes(m_File);
  size_t previous = 0;
  for (const char* header :
       {"[General]\n", "[Connection]\n", "[UserInterface]\n", "[AutoSend]\n", "[AutoReply]\n"}) {
    size_t at = text.find(header);
    ASSERT_NE(at, std::string::npos) << header;
    EXPECT_GE(at, previous) << header;
    previous = at;
  }
  EXPECT_NE(text.find("[General]\nTestMode=0\n"), std::string::npos);
  IniFile saved = IniFile::Parse(text);
  EXPECT_EQ(saved.Keys().size(), Configuration::kListedKeyCount);
  const auto& table = Configuration::KeyTable();
  for (size_t i = 0; i < table.size(); ++i) {
    const auto value = saved.Get(table[i].section, table[i].key);
    if (i < Configuration::kListedKeyCount) {
      EXPECT_EQ(value, table[i].defaultValue) << table[i].key;
    } else {
      EXPECT_FALSE(value) << table[i].key << " is written only once set";
    }
  }
  EXPECT_TRUE(m_Log.empty());
}

TEST_F(ConfigurationTest, AnAddedSettingIsWrittenOnceSetAndKeptAfterwards) {
  Configuration configuration = Loaded("[Connection]\nSocketPort=8080\n");
  configuration.Set(setting::kSocketPort, "9090");
  ASSERT_TRUE(configuration.Save());
  EXPECT_EQ(ReadFileBytes(m_File).find("SerialReconnect"), std::string::npos);

  configuration.Set(setting::kSerialReconnect, "1");
  ASSERT_TRUE(configuration.Save());
  configuration.Set(setting::kSocketPort, "7070");
  ASSERT_TRUE(configuration.Save());
  IniFile saved = IniFile::Parse(ReadFileBytes(m_File));
  EXPECT_EQ(saved.Get("Connection", "SerialReconnect"), "1");
  EXPECT_EQ(saved.Keys().size(), Configuration::kListedKeyCount + 1);
}

TEST_F(ConfigurationTest, SaveKeepsLinesAndSectionsItDoesNotKnow) {
  Configuration configuration = Loaded(
      "; written by hand\n"
      "[Connection]\n"
      "; the device listens here\n"
      "SocketPort=8080\n"
      "Favourite=COM3\n"
      "\n"
      "[Macros]\n"
      "Hello=[STX]hi[ETX]\n");
  ASSERT_TRUE(configuration.SetFormatted("Connection", "SocketPort", "%d", 9090));
  ASSERT_TRUE(configuration.Save());
  std::string text = ReadFileBytes(m_File);
  EXPECT_EQ(text.find("; written by hand\n[Connection]\n; the device listens here\n"
                      "SocketPort=9090\nFavourite=COM3\n"),
            0u)
      << text;
  EXPECT_NE(text.find("\n[Macros]\nHello=[STX]hi[ETX]\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("SocketPort=8080"), std::string::npos);
}

TEST_F(ConfigurationTest, SavedValuesLoadBackUnchanged) {
  Configuration configuration;
  configuration.Load();
  ASSERT_TRUE(configuration.SetFormatted("Connection", "PacketOpener", " "));
  ASSERT_TRUE(configuration.SetFormatted("Connection", "PacketCloser", "\"[CR]\""));
  ASSERT_TRUE(configuration.SetFormatted("Connection", "SocketHost", "%s", ""));
  ASSERT_TRUE(configuration.Save());
  Configuration reloaded;
  reloaded.Load();
  for (size_t i = 0; i < Configuration::kKeyCount; ++i) {
    EXPECT_EQ(reloaded.ValueAt(i), configuration.ValueAt(i)) << i;
  }
}

TEST_F(ConfigurationTest, SaveWritesWhatWasSetAndKeepsWhatAnotherProcessSavedMeanwhile) {
  WriteFileBytes(m_File, "[Connection]\nSocketHost=h0\n[AutoSend]\nEnabled=1\n");
  Configuration window;
  window.Load();
  window.Override(setting::kAutoSendEnabled, "0");
  Configuration console;
  console.Load();
  console.Set(setting::kSocketHost, "h1");
  ASSERT_TRUE(console.Save());

  window.Set(setting::kSocketPort, "9");
  ASSERT_TRUE(window.Save());
  IniFile saved = IniFile::Parse(ReadFileBytes(m_File));
  EXPECT_EQ(saved.Get("Connection", "SocketHost"), "h1");
  EXPECT_EQ(saved.Get("Connection", "SocketPort"), "9");
  EXPECT_EQ(saved.Get("AutoSend", "Enabled"), "1") << "an override is for this run only";
  EXPECT_EQ(saved.Keys().size(), Configuration::kListedKeyCount);

  window.Set(setting::kAutoSendEnabled, "0");
  ASSERT_TRUE(window.Save());
  EXPECT_EQ(IniFile::Parse(ReadFileBytes(m_File)).Get("AutoSend", "Enabled"), "0");
}

TEST_F(ConfigurationTest, SaveToAFifoFailsWithoutWaitingForAWriter) {
  ASSERT_EQ(mkfifo(m_File.c_str(), 0600), 0);
  std::future<void> saving = std::async(std::launch::async, [this] { ExpectFailedSave(); });
  if (saving.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    ADD_FAILURE() << "the save waits for a writer to the FIFO";
    // A writer lets the waiting open return, so the test can end.
    close(open(m_File.c_str(), O_WRONLY | O_NONBLOCK));
  }
  saving.get();
  EXPECT_TRUE(std::filesystem::is_fifo(m_File));
}

TEST_F(ConfigurationTest, SaveIntoAMissingFolderFails) {
  m_File = m_Dir / "missing" / "linkwright.cfg";
  Configuration::SetFilePath(m_File);
  ExpectFailedSave();
  EXPECT_FALSE(std::filesystem::exists(m_File.parent_path()));
}

TEST_F(ConfigurationTest, SaveToADeviceFailsAndLeavesTheDevice) {
  Configuration::SetFilePath("/dev/full");
  ExpectFailedSave();
  struct stat device {};
  ASSERT_EQ(stat("/dev/full", &device), 0);
  EXPECT_TRUE(S_ISCHR(device.st_mode));
}

TEST_F(ConfigurationTest, SaveIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "file permissions do not bind the superuser";
  }
  const std::string old = "[Connection]\nSocketPort=1\n";
  WriteFileBytes(m_File, old);
  std::filesystem::permissions(m_Dir.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  ExpectFailedSave();
  std::filesystem::permissions(m_Dir.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  EXPECT_EQ(ReadFileBytes(m_File), old);
}

TEST_F(ConfigurationTest, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
  const std::string old = "; mine\n[Connection]\nSocketPort=1\n";
  WriteFileBytes(m_File, old);
  {
    FileSizeLimit limit(old.size());
    ExpectFailedSave();
  }
  EXPECT_EQ(ReadFileBytes(m_File), old);
  std::vector<std::filesystem::path> left;
  for (const auto& entry : std::filesystem::directory_iterator(m_Dir.path())) {
    left.push_back(entry.path().filename());
  }
  EXPECT_EQ(left, std::vector<std::filesystem::path>{"linkwright.cfg"});
}

TEST_F(ConfigurationTest, AValueWithALineBreakFailsButTheOtherKeysAreWritten) {
  WriteFileBytes(m_File, "[Connection]\nSocketHost=old.example\n");
  Configuration configuration;
  configuration.Load();
  ASSERT_TRUE(configuration.SetFormatted("Connection", "SocketHost", "a\nInjected=1"));
  ASSERT_TRUE(configuration.SetFormatted("Connection", "SocketPort", "5"));
  EXPECT_FALSE(configuration.Save());
  EXPECT_EQ(configuration.LastError().Kind(), ErrorKind::kSetting);
  EXPECT_EQ(configuration.LastError().Message(),
            "cannot save Connection.SocketHost: its value holds a line break");
  EXPECT_TRUE(LoggedSaveFailure());
  IniFile saved = IniFile::Parse(ReadFileBytes(m_File));
  EXPECT_EQ(saved.Get("Connection", "SocketHost"), "old.example");
  EXPECT_EQ(saved.Get("Connection", "SocketPort"), "5");
  EXPECT_EQ(saved.Get("Connection", "Injected"), std::nullopt);
}

TEST_F(ConfigurationTest, SaveReplacesTheTargetOfASymbolicLink) {
  std::filesystem::path real = m_Dir / "real.cfg";
  WriteFileBytes(real, "[General]\nTestMode=1\n");
  std::filesystem::create_symlink(real, m_File);
  Configuration configuration;
  configuration.Load();
  EXPECT_EQ(configuration.GetString("General", "TestMode"), "1");
  ASSERT_TRUE(configuration.SetFormatted("General", "TestMode", "2"));
  ASSERT_TRUE(configuration.Save());
  EXPECT_TRUE(std::filesystem::is_symlink(m_File));
  EXPECT_EQ(IniFile::Parse(ReadFileBytes(real)).Get("General", "TestMode"), "2");
}

}  // namespace

}  // namespace linkwright
