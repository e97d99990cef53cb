#pragma once

#include <filesystem>
#include <string>

#include "byte_string.h"
#include "document/message_table.h"
#include "error.h"

namespace linkwright {

// Message files: the table is saved as XML and loaded from XML (".xml"), the text import
// (".txt") or the serialization archive (any other extension), chosen by the extension without
// regard to case.
enum class MessageFileFormat { kXml, kTextImport, kArchive };

MessageFileFormat MessageFileFormatFor(const std::filesystem::path& path);

// Writes rows 1 … LastUsedRow() as an XML message file, replacing the file only once the new
// content is safely on disk, and clears the modified flag. Fails (kSystem) when anything went
// wrong; the old file then stays as it was.
Error SaveMessageFile(MessageTable& table, const std::filesystem::path& path);

// Replaces the table's rows with those of the file and clears the modified flag. Fails when the
// file cannot be opened or read (kSystem), or is too large or not XML although its name says so
// (kInput); the table then stays as it was. Text import and archive data that ends early or
// turns malformed are not failures: the rows read up to there are loaded.
Error LoadMessageFile(MessageTable& table, const std::filesystem::path& path);

// The same from the file's content.
Error LoadMessageBytes(MessageTable& table, MessageFileFormat format, const ByteString& data);

}  // namespace linkwright
