#pragma once

#include <filesystem>
#include <string>

#include "byte_string.h"
#include "document/message_table.h"

// Message files: the table is saved as XML and loaded from XML (".xml"), the text import
// (".txt") or the serialization archive (any other extension), chosen by the extension without
// regard to case.
enum class MessageFileFormat { kXml, kTextImport, kArchive };

MessageFileFormat MessageFileFormatFor(const std::filesystem::path& path);

// Writes rows 1 … LastUsedRow() as an XML message file, replacing the file only once the new
// content is safely on disk, and clears the modified flag. False, with the reason in `error`
// when given, when anything failed; the old file then stays as it was.
bool SaveMessageFile(MessageTable& table, const std::filesystem::path& path,
                     std::string* error = nullptr);

// Replaces the table's rows with those of the file and clears the modified flag. False, with
// the reason in `error` when given, when the file cannot be read or is not XML although its
// name says so; the table then stays as it was. Text import and archive data that ends early
// or turns malformed are not failures: the rows read up to there are loaded.
bool LoadMessageFile(MessageTable& table, const std::filesystem::path& path,
                     std::string* error = nullptr);

// The same from the file's content.
bool LoadMessageBytes(MessageTable& table, MessageFileFormat format, const ByteString& data,
                      std::string* error = nullptr);
