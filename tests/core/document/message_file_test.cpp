#include "document/message_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "message_row_printer.h"
#include "support/file_size_limit.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

namespace fs = std::filesystem;

MessageTable SampleTable() {
  MessageTable table;
  table.SetRow(1, MessageRow{"PING[CR]", "ask", 1, "PONG[CR]"});
  table.SetRow(3, MessageRow{"<&>", "'\"", 0, ""});
  return table;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(MessageFileTest, TheFormatFollowsTheExtensionWhateverItsCase) {
  struct Case {
    std::string name;
    MessageFileFormat format;
  };
  for (const Case& c : std::vector<Case>{{"a.xml", MessageFileFormat::kXml},
                                         {"dir.txt/A.XML", MessageFileFormat::kXml},
                                         {"a.Xml", MessageFileFormat::kXml},
                                         {".xml", MessageFileFormat::kXml},
                                         {"a.txt", MessageFileFormat::kTextImport},
                                         {"a.TXT", MessageFileFormat::kTextImport},
                                         {"a.tXt", MessageFileFormat::kTextImport},
                                         {"a.xml.bak", MessageFileFormat::kArchive},
                                         {"a.lwr", MessageFileFormat::kArchive},
                                         {"a.xmlx", MessageFileFormat::kArchive},
                                         {"xml", MessageFileFormat::kArchive},
                                         {"a", MessageFileFormat::kArchive}}) {
    EXPECT_EQ(MessageFileFormatFor(c.name), c.format) << c.name;
  }
}

TEST(MessageFileTest, LoadingReadsEachFormatByItsExtension) {
  TempDir dir;
  WriteFileBytes(dir / "rows.TXT", "F1 1\nPING //keep alive\nPONG\n");
  WriteFileBytes(dir / "rows.Xml", "<x><row><message>PING</message><active>1</active></row></x>");
  WriteFileBytes(dir / "rows.dat", std::string("\x01\x00\x00\x00\x04PING\x00", 10));
  struct Case {
    std::string name;
    MessageRow row;
  };
  for (const Case& c : std::vector<Case>{{"rows.TXT", {"PING", "keep alive", 1, "PONG"}},
                                         {"rows.Xml", {"PING", "", 1, ""}},
                                         {"rows.dat", {"PING", "", 1, ""}}}) {
    MessageTable table;
    table.SetItemText(50, MessageTable::kMessageColumn, "old");
    const Error loaded = LoadMessageFile(table, dir / c.name);
    ASSERT_FALSE(loaded.Failed()) << c.name << ": " << loaded.Message();
    EXPECT_EQ(table.GetRow(1), c.row) << c.name;
    EXPECT_TRUE(table.IsRowEmpty(50)) << c.name;
    EXPECT_FALSE(table.IsModified()) << c.name;
  }
}

TEST(MessageFileTest, AFailedLoadExplainsWhyAndKeepsTheTable) {
  TempDir dir;
  WriteFileBytes(dir / "broken.xml", "<Linkwright><row>");
  fs::create_directory(dir / "folder.txt");
  WriteFileBytes(dir / "huge.txt", "");
  fs::resize_file(dir / "huge.txt", (64 << 20) + 1);
  const std::string base = dir.path().string();
  struct Case {
    std::string name;
    ErrorKind kind;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"missing.xml", ErrorKind::kSystem,
            "cannot open " + base + "/missing.xml: No such file or directory"},
           {"missing.txt", ErrorKind::kSystem,
            "cannot open " + base + "/missing.txt: No such file or directory"},
           {"folder.txt", ErrorKind::kSystem,
            "cannot read " + base + "/folder.txt: not a regular file"},
           {"/dev/null", ErrorKind::kSystem, "cannot read /dev/null: not a regular file"},
           {"huge.txt", ErrorKind::kInput,
            "cannot read " + base + "/huge.txt: larger than 64 MiB, too large for a message file"},
           {"broken.xml", ErrorKind::kInput,
            base + "/broken.xml: not a message file: Element tag not found"},
       }) {
    MessageTable table = SampleTable();
    const Error loaded = LoadMessageFile(table, dir / c.name);
    EXPECT_EQ(loaded.Kind(), c.kind) << c.name;
    EXPECT_EQ(loaded.Message(), c.error);
    EXPECT_EQ(table.GetRow(1), SampleTable().GetRow(1)) << c.name;
    EXPECT_TRUE(table.IsModified()) << c.name;
  }
}

TEST(MessageFileTest, SavingWritesXmlThatLoadsBackAndClearsTheModifiedFlag) {
  TempDir dir;
  MessageTable table = SampleTable();
  ASSERT_TRUE(table.IsModified());
  const Error saved = SaveMessageFile(table, dir / "out.lwr");
  ASSERT_FALSE(saved.Failed()) << saved.Message();
  EXPECT_FALSE(table.IsModified());
  EXPECT_EQ(ReadFileBytes(dir / "out.lwr").substr(0, 5), "<?xml");
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.lwr"});

  fs::rename(dir / "out.lwr", dir / "out.xml");
  MessageTable loaded;
  const Error read = LoadMessageFile(loaded, dir / "out.xml");
  ASSERT_FALSE(read.Failed()) << read.Message();
  for (int row = 1; row <= 99; ++row) {
    ASSERT_EQ(loaded.GetRow(row), table.GetRow(row)) << row;
  }
}

TEST(MessageFileTest, SavingReplacesTheOldFileKeepingItsPermissionsAndFollowingALink) {
  TempDir dir;
  WriteFileBytes(dir / "real.xml", "old");
  fs::permissions(dir / "real.xml",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real.xml", dir / "link.xml");
  MessageTable table = SampleTable();
  ASSERT_FALSE(SaveMessageFile(table, dir / "link.xml").Failed());
  EXPECT_TRUE(fs::is_symlink(dir / "link.xml"));
  EXPECT_NE(ReadFileBytes(dir / "real.xml"), "old");
  EXPECT_EQ(fs::status(dir / "real.xml").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"link.xml", "real.xml"}));
}

// Checks a save that must fail: the error, the old content and no leftovers.
void ExpectFailedSave(const fs::path& folder, const fs::path& target, const std::string& reason) {
  std::vector<std::string> before = FolderEntries(folder);
  std::string oldContent = fs::is_regular_file(target) ? ReadFileBytes(target) : "";
  MessageTable table = SampleTable();
  for (int row = 1; row <= 99; ++row) {
    table.SetItemText(row, MessageTable::kCommentColumn, std::string(2000, 'c'));
  }
  const Error saved = SaveMessageFile(table, target);
  EXPECT_EQ(saved.Kind(), ErrorKind::kSystem);
  EXPECT_EQ(saved.Message(), "cannot write " + target.string() + ": " + reason);
  EXPECT_TRUE(table.IsModified());
  EXPECT_EQ(FolderEntries(folder), before);
  if (!oldContent.empty()) {
    EXPECT_EQ(ReadFileBytes(target), oldContent);
  }
}

TEST(MessageFileTest, ASaveThatCannotCreateOrRenameFailsAndLeavesNothingBehind) {
  TempDir dir;
  ExpectFailedSave(dir.path(), dir / "no-such-folder" / "a.xml", "No such file or directory");
  fs::create_directory(dir / "taken.xml");
  WriteFileBytes(dir / "taken.xml" / "inside", "x");
  ExpectFailedSave(dir.path(), dir / "taken.xml", "not a regular file");
  EXPECT_TRUE(fs::is_directory(dir / "taken.xml"));
}

TEST(MessageFileTest, ASaveNeverReplacesADeviceOrPipe) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe.xml").c_str(), 0600), 0);
  ExpectFailedSave(dir.path(), dir / "pipe.xml", "not a regular file");
  EXPECT_TRUE(fs::is_fifo(dir / "pipe.xml"));
}

// A tmpfs of 64 KiB, unmounted again at the end of the test.
class SmallDisk {
 public:
  explicit SmallDisk(const fs::path& folder) : m_Folder(folder) {
    fs::create_directory(folder);
    m_Mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    m_Error = m_Mounted ? "" : std::strerror(errno);
  }
  ~SmallDisk() {
    if (m_Mounted) {
      umount(m_Folder.c_str());
    }
  }
  bool mounted() const { return m_Mounted; }
  const std::string& error() const { return m_Error; }

 private:
  fs::path m_Folder;
  bool m_Mounted = false;
  std::string m_Error;
};

TEST(MessageFileTest, ASaveToAFullDiskFailsAndKeepsTheOldFile) {
  TempDir dir;
  SmallDisk disk(dir / "disk");
  if (!disk.mounted()) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << disk.error()
                 << "); the file size limit test covers the write error path";
  }
  MessageTable old = SampleTable();
  ASSERT_FALSE(SaveMessageFile(old, dir / "disk" / "table.xml").Failed());
  ExpectFailedSave(dir / "disk", dir / "disk" / "table.xml", "No space left on device");
}

TEST(MessageFileTest, AWriteErrorFailsTheSaveAndKeepsTheOldFile) {
  TempDir dir;
  MessageTable old = SampleTable();
  ASSERT_FALSE(SaveMessageFile(old, dir / "table.xml").Failed());
  FileSizeLimit limit(4096);
  ExpectFailedSave(dir.path(), dir / "table.xml", "File too large");
}

}  // namespace

}  // namespace linkwright
