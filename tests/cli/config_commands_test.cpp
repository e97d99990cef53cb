#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/running_cli.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

size_t LineCount(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n');
}

class ConfigCommandsTest : public testing::Test {
 protected:
  ProcessResult Config(std::vector<std::string> args) {
    args.insert(args.begin(), {"--config", m_File.string(), "config"});
    return RunCli(args);
  }

  // A failure: exit 1, nothing on standard output, one line on standard error.
  static void ExpectFailure(const ProcessResult& result, const std::string& errorPart) {
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(LineCount(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find(errorPart), std::string::npos) << result.err;
  }

  TempDir m_Dir;
  std::filesystem::path m_File = m_Dir / "settings.cfg";
};

TEST_F(ConfigCommandsTest, ListPrintsEveryDefaultWithoutWritingAFile) {
  ProcessResult result = Config({"list"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(LineCount(result.out), 22u);
  EXPECT_EQ(result.out.find("General.TestMode=0\nConnection.Mode=0\n"), 0u);
  EXPECT_NE(result.out.find("\nConnection.HttpUrl=http://www.example.com:80/baseurl/\n"
                            "Connection.PacketOpener=\nConnection.PacketCloser=[CR]\n"),
            std::string::npos);
  EXPECT_TRUE(result.out.ends_with("\nAutoSend.CycleTime=1000\nAutoReply.UseRegex=1\n"));
  EXPECT_FALSE(std::filesystem::exists(m_File));
}

TEST_F(ConfigCommandsTest, ListShowsTheFilesValuesAsStored) {
  WriteFileBytes(m_File, "[autosend]\nenabled=1\n[Connection]\nPacketCloser=\n");
  ProcessResult result = Config({"list"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("\nAutoSend.Enabled=1\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\nConnection.PacketCloser=\n"), std::string::npos) << result.out;
}

struct GetCase {
  std::vector<std::string> args;
  std::string out;
};

class ConfigGetTest : public ConfigCommandsTest, public testing::WithParamInterface<GetCase> {};

TEST_P(ConfigGetTest, PrintsTheValueInTheAskedForm) {
  WriteFileBytes(m_File,
                 "[Connection]\nResponseTimeout=250ms\nSocketHost=  \"  spaced  \"  \n"
                 "PacketOpener=\n[UserInterface]\nHexTrace=abc\nTransparency=2\n");
  std::vector<std::string> args{"get"};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  ProcessResult result = Config(args);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, GetParam().out);
  EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ConfigGetTest,
    testing::Values(GetCase{{"Connection", "ResponseTimeout"}, "250ms\n"},
                    GetCase{{"--int", "Connection", "ResponseTimeout"}, "250\n"},
                    GetCase{{"--bool", "connection", "RESPONSETIMEOUT"}, "1\n"},
                    GetCase{{"Connection", "SocketHost"}, "  spaced  \n"},
                    GetCase{{"Connection", "PacketOpener"}, "\n"},
                    GetCase{{"Connection", "PacketCloser"}, "[CR]\n"},
                    GetCase{{"--int", "UserInterface", "HexTrace"}, "0\n"},
                    GetCase{{"--bool", "UserInterface", "HexTrace"}, "0\n"},
                    GetCase{{"--bool", "UserInterface", "Transparency"}, "1\n"},
                    GetCase{{"--int", "Connection", "SocketPort"}, "1024\n"}));

TEST_F(ConfigCommandsTest, GetOfAnUnknownSettingFails) {
  ExpectFailure(Config({"get", "Connection", "NoSuchKey"}), "NoSuchKey");
  ExpectFailure(Config({"get", "General", "Mode"}), "General");
}

TEST_F(ConfigCommandsTest, GetTakesOnlyOneForm) {
  ProcessResult result = Config({"get", "--int", "--bool", "Connection", "SocketPort"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
}

TEST_F(ConfigCommandsTest, SetSavesTheValueAndKeepsTheRestOfTheFile) {
  WriteFileBytes(m_File, "; mine\n[Connection]\nSocketPort=1\n\n[Extra]\nKeep=yes\n");
  ProcessResult set = Config({"set", "connection", "socketport", "8080"});
  EXPECT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out, "");
  EXPECT_EQ(set.err, "");
  std::string text = ReadFileBytes(m_File);
  EXPECT_EQ(text.find("; mine\n[Connection]\nSocketPort=8080\n"), 0u) << text;
  EXPECT_NE(text.find("\n[Extra]\nKeep=yes\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n[AutoReply]\nUseRegex=1\n"), std::string::npos) << text;
  EXPECT_EQ(Config({"get", "--int", "Connection", "SocketPort"}).out, "8080\n");
}

TEST_F(ConfigCommandsTest, SetKeepsValuesThatNeedQuotingAndNegativeNumbers) {
  ASSERT_EQ(Config({"set", "Connection", "PacketOpener", " [STX] "}).exitCode, 0);
  ASSERT_EQ(Config({"set", "Connection", "PacketCloser", ""}).exitCode, 0);
  ASSERT_EQ(Config({"set", "General", "TestMode", "-5"}).exitCode, 0);
  EXPECT_EQ(Config({"get", "Connection", "PacketOpener"}).out, " [STX] \n");
  EXPECT_EQ(Config({"get", "Connection", "PacketCloser"}).out, "\n");
  EXPECT_EQ(Config({"get", "--int", "General", "TestMode"}).out, "-5\n");
}

TEST_F(ConfigCommandsTest, SetKeepsAutoSendAsGiven) {
  ASSERT_EQ(Config({"set", "AutoSend", "Enabled", "1"}).exitCode, 0);
  EXPECT_EQ(Config({"get", "--bool", "AutoSend", "Enabled"}).out, "1\n");
}

TEST_F(ConfigCommandsTest, RefusedSetsWriteNothing) {
  const std::string old = "[Connection]\nSocketHost=old\n";
  WriteFileBytes(m_File, old);
  ExpectFailure(Config({"set", "Connection", "Nothing", "1"}), "Nothing");
  const std::vector<std::pair<std::vector<std::string>, std::string>> unusable = {
      {{"Connection", "SocketHost", "two\nlines"}, "line break"},
      {{"Connection", "SocketHost", std::string(2048, 'h')}, "at most 2047 characters"},
      {{"Connection", "SocketPort", "0"}, "Connection.SocketPort takes a whole number from 1"},
      {{"connection", "socketport", "-1"}, "Connection.SocketPort takes"},
      {{"Connection", "ActAsServer", "yes"},
       "Connection.ActAsServer takes a whole number from 0 to 1"},
      {{"UserInterface", "Transparency", "-5"}, "UserInterface.Transparency takes"},
  };
  for (const auto& [args, errorPart] : unusable) {
    std::vector<std::string> set{"set"};
    set.insert(set.end(), args.begin(), args.end());
    ProcessResult result = Config(set);
    EXPECT_EQ(result.exitCode, 2) << errorPart;
    EXPECT_NE(result.err.find(errorPart), std::string::npos) << result.err;
  }
  EXPECT_EQ(ReadFileBytes(m_File), old);

  std::filesystem::remove(m_File);
  ExpectFailure(Config({"set", "Connection", "Nothing", "1"}), "Nothing");
  EXPECT_FALSE(std::filesystem::exists(m_File));
}

TEST_F(ConfigCommandsTest, AFileThatCannotBeReadGivesTheDefaultsAndOneWarning) {
  std::filesystem::create_directory(m_File);
  ProcessResult result = Config({"get", "--int", "Connection", "SocketPort"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "1024\n");
  EXPECT_EQ(result.err, "linkwright-cli: warning: cannot read " + m_File.string() +
                            ": not a regular file; using the default settings\n");

  ProcessResult empty = RunCli({"--config", "", "config", "list"});
  EXPECT_EQ(empty.exitCode, 2);
  EXPECT_EQ(empty.out, "");
  EXPECT_NE(empty.err.find("--config: the configuration file name is empty"), std::string::npos)
      << empty.err;
}

TEST_F(ConfigCommandsTest, ConcurrentSetsOfDifferentKeysAllLast) {
  const std::vector<std::pair<std::string, std::string>> changes = {
      {"SocketHost", "host.example"},    {"SocketPort", "2000"},    {"ResponseTimeout", "123"},
      {"HttpUrl", "http://h/"},          {"PacketOpener", "[STX]"}, {"PacketBreakTimeout", "77"},
      {"CommConfig", "COM2:9600,N,8,1"}, {"RxPollingTime", "55"},
  };
  for (int round = 0; round < 4; ++round) {
    std::filesystem::remove(m_File);
    std::vector<std::unique_ptr<RunningCli>> setters;
    for (const auto& [key, value] : changes) {
      setters.push_back(std::make_unique<RunningCli>(std::vector<std::string>{
          "--config", m_File.string(), "config", "set", "Connection", key, value}));
    }
    for (const auto& setter : setters) {
      EXPECT_EQ(setter->Wait(), 0) << setter->Err();
    }
    ProcessResult list = Config({"list"});
    for (const auto& [key, value] : changes) {
      EXPECT_NE(list.out.find("\nConnection." + key + "=" + value + "\n"), std::string::npos)
          << "round " << round << " lost " << key;
    }
  }
}

TEST_F(ConfigCommandsTest, SetIntoAMissingFolderFailsNamingTheFile) {
  m_File = m_Dir / "missing" / "settings.cfg";
  ExpectFailure(Config({"set", "Connection", "SocketPort", "1"}), m_File.string());
  EXPECT_FALSE(std::filesystem::exists(m_File.parent_path()));
}

TEST_F(ConfigCommandsTest, SetOnAFileThatCannotBeReadIsRefusedAtOnce) {
  ASSERT_EQ(mkfifo(m_File.c_str(), 0600), 0);
  RunningCli set({"--config", m_File.string(), "config", "set", "General", "TestMode", "7"});
  EXPECT_EQ(set.Wait(), 1) << "waited for a writer to the FIFO";
  EXPECT_EQ(set.Err(), "linkwright-cli: cannot read " + m_File.string() + ": not a regular file\n");
  EXPECT_TRUE(std::filesystem::is_fifo(m_File));
}

TEST_F(ConfigCommandsTest, AFailedSaveLeavesTheLogLineWithDiag) {
  const std::string file = (m_Dir / "missing" / "settings.cfg").string();
  ProcessResult result =
      RunCli({"--diag", "--config", file, "config", "set", "Connection", "SocketPort", "1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("|E|CConfiguration::Save() failed\n"), std::string::npos) << result.err;
}

TEST_F(ConfigCommandsTest, WithoutConfigTheUsersConfigFolderIsCreatedOnSave) {
  std::filesystem::path cli = LINKWRIGHT_CLI_PATH;
  if (std::filesystem::exists(cli.parent_path() / "linkwright.cfg")) {
    GTEST_SKIP() << "a linkwright.cfg beside the program takes precedence";
  }
  std::filesystem::path home = m_Dir / "xdg";
  std::string xdg = "XDG_CONFIG_HOME=" + home.string();
  ProcessResult set =
      RunProgram("env", {xdg, cli.string(), "config", "set", "General", "TestMode", "3"});
  EXPECT_EQ(set.exitCode, 0) << set.err;
  std::filesystem::path file = home / "linkwright" / "linkwright.cfg";
  EXPECT_NE(ReadFileBytes(file).find("[General]\nTestMode=3\n"), std::string::npos);
  ProcessResult get =
      RunProgram("env", {xdg, cli.string(), "config", "get", "General", "TestMode"});
  EXPECT_EQ(get.out, "3\n");
}

}  // namespace

}  // namespace linkwright
