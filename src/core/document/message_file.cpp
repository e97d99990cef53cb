#include "document/message_file.h"

#include <cerrno>
#include <fstream>
#include <vector>

#include "ascii_text.h"
#include "atomic_file.h"
#include "diag/diag_log.h"
#include "document/message_archive.h"
#include "document/message_xml.h"
#include "document/text_import.h"

namespace linkwright {

namespace {

// Far above any real table (99 rows); a larger file is not a message file, and reading it
// whole could exhaust memory.
constexpr std::uintmax_t kMaxMessageFileBytes = std::uintmax_t{64} << 20;

Error TooLarge(const std::filesystem::path& path) {
  return Error(ErrorKind::kInput, "cannot read " + path.string() +
                                      ": larger than 64 MiB, too large for a message file");
}

// Why the file must not be read at all, or no failure: only a regular file of at most the size
// limit is read, so that a device such as /dev/zero or a pipe that never ends is refused
// before the first byte. A missing file is left to the open, which names the reason.
Error ReadRefusal(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return Error();
  }
  if (!std::filesystem::is_regular_file(status)) {
    return Error(ErrorKind::kSystem, "cannot read " + path.string() + ": not a regular file");
  }
  if (std::filesystem::file_size(path, error) > kMaxMessageFileBytes) {
    return TooLarge(path);
  }
  return Error();
}

Error ReadWholeFile(const std::filesystem::path& path, ByteString& data) {
  if (Error refusal = ReadRefusal(path); refusal.Failed()) {
    return refusal;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return Error(ErrorKind::kSystem,
                 "cannot open " + path.string() + ": " + SystemErrorText(errno));
  }
  data.clear();
  char buffer[65536];
  // The limit holds for a file that grows while it is read, too.
  while (data.size() <= kMaxMessageFileBytes &&
         (in.read(buffer, sizeof buffer) || in.gcount() > 0)) {
    data.append(buffer, static_cast<size_t>(in.gcount()));
  }
  if (data.size() > kMaxMessageFileBytes) {
    return TooLarge(path);
  }
  if (in.bad()) {
    return Error(ErrorKind::kSystem,
                 "cannot read " + path.string() + ": " + SystemErrorText(errno));
  }
  return Error();
}

}  // namespace

MessageFileFormat MessageFileFormatFor(const std::filesystem::path& path) {
  // The text after the last dot of the name, so that a file called ".xml" counts as XML too.
  std::string name = path.filename().string();
  size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? "" : AsciiLowered(name.substr(dot));
  if (extension == ".xml") {
    return MessageFileFormat::kXml;
  }
  if (extension == ".txt") {
    return MessageFileFormat::kTextImport;
  }
  return MessageFileFormat::kArchive;
}

Error SaveMessageFile(MessageTable& table, const std::filesystem::path& path) {
  Error written = WriteFileAtomically(path, FormatMessageXml(table));
  if (!written.Failed()) {
    table.SetModified(false);
  }
  return written;
}

Error LoadMessageFile(MessageTable& table, const std::filesystem::path& path) {
  ByteString data;
  if (Error read = ReadWholeFile(path, data); read.Failed()) {
    return read;
  }
  if (Error loaded = LoadMessageBytes(table, MessageFileFormatFor(path), data); loaded.Failed()) {
    return Error(loaded.Kind(), path.string() + ": " + loaded.Message());
  }
  return Error();
}

Error LoadMessageBytes(MessageTable& table, MessageFileFormat format, const ByteString& data) {
  std::vector<MessageRow> rows;
  switch (format) {
    case MessageFileFormat::kXml:
      if (Error parsed = ParseMessageXml(data, table.RowCount(), rows); parsed.Failed()) {
        return Error(parsed.Kind(), "not a message file: " + parsed.Message());
      }
      break;
    case MessageFileFormat::kTextImport:
      rows = ParseTextImport(data, table.RowCount());
      break;
    case MessageFileFormat::kArchive:
      rows = ParseMessageArchive(data, table.RowCount());
      break;
  }
  table.LoadRows(rows);
  return Error();
}

}  // namespace linkwright
