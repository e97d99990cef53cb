#include "front_end/result_beep.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/configuration.h"
#include "support/default_configuration.h"
#include "support/recording_front_end.h"

namespace linkwright {

namespace {

struct BeepCase {
  const char* beepOnSuccess;
  const char* beepOnFailure;
  bool result;
  std::vector<bool> expectedSignals;
};

class ResultBeepTest : public ::testing::TestWithParam<BeepCase> {};

TEST_P(ResultBeepTest, SoundsOnlyWhatTheSettingsAskFor) {
  const BeepCase& c = GetParam();
  ResetConfigurationToDefaults();
  SetSetting(setting::kBeepOnSuccess, c.beepOnSuccess);
  SetSetting(setting::kBeepOnFailure, c.beepOnFailure);
  RecordingFrontEnd frontEnd;
  PlayResultBeep(GetConfiguration(), frontEnd, c.result);
  EXPECT_EQ(frontEnd.playedSignals, c.expectedSignals);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ResultBeepTest,
    ::testing::Values(BeepCase{"0", "1", false, {false}}, BeepCase{"0", "1", true, {}},
                      BeepCase{"1", "0", true, {true}}, BeepCase{"1", "0", false, {}},
                      BeepCase{"1", "1", true, {true}}, BeepCase{"0", "0", false, {}},
                      BeepCase{"0", "0", true, {}}));

TEST(ResultBeep, DefaultsSoundFailureOnlyAndAChangeTakesEffectAtTheNextCall) {
  ResetConfigurationToDefaults();
  RecordingFrontEnd frontEnd;
  PlayResultBeep(GetConfiguration(), frontEnd, true);
  PlayResultBeep(GetConfiguration(), frontEnd, false);
  EXPECT_EQ(frontEnd.playedSignals, std::vector<bool>{false});
  SetSetting(setting::kBeepOnSuccess, "1");
  PlayResultBeep(GetConfiguration(), frontEnd, true);
  EXPECT_EQ(frontEnd.playedSignals, (std::vector<bool>{false, true}));
}

}  // namespace

}  // namespace linkwright
