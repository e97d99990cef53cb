#include "config/config_file_path.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace linkwright {

namespace {

struct NameCase {
  const char* baseName;
  const char* fileName;
};

class ConfigFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ConfigFileNameTest, DropsTheDebugAndConsoleSuffixes) {
  EXPECT_EQ(ConfigFileNameFor(GetParam().baseName), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(ProgramNames, ConfigFileNameTest,
                         testing::Values(NameCase{"linkwright", "linkwright.cfg"},
                                         NameCase{"linkwright-d", "linkwright.cfg"},
                                         NameCase{"linkwright-D", "linkwright.cfg"},
                                         NameCase{"linkwright-cli", "linkwright.cfg"},
                                         NameCase{"linkwright-CLI", "linkwright.cfg"},
                                         NameCase{"linkwright-cli-d", "linkwright.cfg"},
                                         NameCase{"linkwright-d-cli", "linkwright-d.cfg"},
                                         NameCase{"linkwright-dd", "linkwright-dd.cfg"},
                                         NameCase{"tool", "tool.cfg"}, NameCase{"x-d", "x.cfg"},
                                         NameCase{"-d", "-d.cfg"}, NameCase{"-cli", "-cli.cfg"},
                                         NameCase{"a-cli", "a.cfg"}, NameCase{"", ".cfg"}));

class DefaultLocationTest : public testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(m_Dir / "bin"); }

  TempDir m_Dir;
  std::filesystem::path m_Program = m_Dir / "bin" / "linkwright-cli";
};

TEST_F(DefaultLocationTest, UsesTheFileBesideTheProgramWhenItExists) {
  WriteFileBytes(m_Dir / "bin" / "linkwright.cfg", "");
  for (const char* program : {"linkwright-cli", "linkwright", "linkwright-d.exe"}) {
    ConfigFileLocation found =
        FindDefaultConfigLocation(m_Dir / "bin" / program, "/xdg", "/home/user");
    EXPECT_EQ(found.path, m_Dir / "bin" / "linkwright.cfg") << program;
    EXPECT_FALSE(found.createFolders);
  }
}

TEST_F(DefaultLocationTest, OtherwiseUsesTheUsersConfigFolder) {
  ConfigFileLocation found = FindDefaultConfigLocation(m_Program, "/xdg", "/home/user");
  EXPECT_EQ(found.path, "/xdg/linkwright/linkwright.cfg");
  EXPECT_TRUE(found.createFolders);

  found = FindDefaultConfigLocation(m_Program, "", "/home/user");
  EXPECT_EQ(found.path, "/home/user/.config/linkwright/linkwright.cfg");
  EXPECT_TRUE(found.createFolders);
}

TEST_F(DefaultLocationTest, IgnoresARelativeConfigHome) {
  EXPECT_EQ(FindDefaultConfigLocation(m_Program, "relative", "/home/user").path,
            "/home/user/.config/linkwright/linkwright.cfg");
}

TEST_F(DefaultLocationTest, FallsBackBesideTheProgramWithoutAHome) {
  ConfigFileLocation found = FindDefaultConfigLocation(m_Program, "", "");
  EXPECT_EQ(found.path, m_Dir / "bin" / "linkwright.cfg");
  EXPECT_FALSE(found.createFolders);
}

TEST_F(DefaultLocationTest, ADirectoryBesideTheProgramIsNotTheFile) {
  std::filesystem::create_directory(m_Dir / "bin" / "linkwright.cfg");
  EXPECT_EQ(FindDefaultConfigLocation(m_Program, "/xdg", "").path,
            "/xdg/linkwright/linkwright.cfg");
}

}  // namespace

}  // namespace linkwright
