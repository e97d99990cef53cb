#pragma once

#include <QByteArray>
#include <QString>
#include <string>

namespace linkwright {

// Trace text is bytes, as the console prints them. The window shows each byte as the character
// of the same code (Latin-1), so every byte keeps a character of its own, and turns the
// characters back into those bytes when it writes the trace to a file.
inline QString TraceChars(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline QByteArray TraceBytes(const QString& chars) {
  return chars.toLatin1();
}

}  // namespace linkwright
