#include "document/message_file.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <vector>

#include "ascii_text.h"
#include "atomic_file.h"
#include "diag/diag_log.h"
#include "document/message_archive.h"
#include "document/message_xml.h"
#include "document/text_import.h"

namespace {

void SetError(std::string* error, std::string text) {
  if (error != nullptr) {
    *error = std::move(text);
  }
}

// Far above any real table (99 rows); a larger file is not a message file, and reading it
// whole could exhaust memory.
constexpr std::uintmax_t kMaxMessageFileBytes = std::uintmax_t{64} << 20;

// Why the file must not be read at all, or nothing: only a regular file of at most the size
// limit is read, so that a device such as /dev/zero or a pipe that never ends is refused
// before the first byte. A missing file is left to the open, which names the reason.
std::optional<std::string> ReadRefusal(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(status)) {
    return "cannot read " + path.string() + ": not a regular file";
  }
  if (std::filesystem::file_size(path, error) > kMaxMessageFileBytes) {
    return "cannot read " + path.string() + ": larger than 64 MiB, too large for a message file";
  }
  return std::nullopt;
}

bool ReadWholeFile(const std::filesystem::path& path, ByteString& data, std::string& error) {
  if (std::optional<std::string> refusal = ReadRefusal(path)) {
    error = std::move(*refusal);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path.string() + ": " + SystemErrorText(errno);
    return false;
  }
  data.clear();
  char buffer[65536];
  // The limit holds for a file that grows while it is read, too.
  while (data.size() <= kMaxMessageFileBytes &&
         (in.read(buffer, sizeof buffer) || in.gcount() > 0)) {
    data.append(buffer, static_cast<size_t>(in.gcount()));
  }
  if (data.size() > kMaxMessageFileBytes) {
    error = "cannot read " + path.string() + ": larger than 64 MiB, too large for a message file";
    return false;
  }
  if (in.bad()) {
    error = "cannot read " + path.string() + ": " + SystemErrorText(errno);
    return false;
  }
  return true;
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

bool SaveMessageFile(MessageTable& table, const std::filesystem::path& path, std::string* error) {
  if (Error written = WriteFileAtomically(path, FormatMessageXml(table)); written.Failed()) {
    SetError(error, written.Message());
    return false;
  }
  table.SetModified(false);
  return true;
}

bool LoadMessageFile(MessageTable& table, const std::filesystem::path& path, std::string* error) {
  ByteString data;
  std::string reason;
  if (!ReadWholeFile(path, data, reason)) {
    SetError(error, reason);
    return false;
  }
  if (!LoadMessageBytes(table, MessageFileFormatFor(path), data, &reason)) {
    SetError(error, path.string() + ": " + reason);
    return false;
  }
  return true;
}

bool LoadMessageBytes(MessageTable& table, MessageFileFormat format, const ByteString& data,
                      std::string* error) {
  std::vector<MessageRow> rows;
  switch (format) {
    case MessageFileFormat::kXml: {
      std::string reason;
      if (!ParseMessageXml(data, table.RowCount(), rows, reason)) {
        SetError(error, "not a message file: " + reason);
        return false;
      }
      break;
    }
    case MessageFileFormat::kTextImport:
      rows = ParseTextImport(data, table.RowCount());
      break;
    case MessageFileFormat::kArchive:
      rows = ParseMessageArchive(data, table.RowCount());
      break;
  }
  table.LoadRows(rows);
  return true;
}
