#include "document/message_archive.h"

#include <cstdint>
#include <optional>
#include <string>

#include "document/message_text.h"

namespace linkwright {

namespace {

constexpr uint16_t kWideMarker = 0xFFFE;

// Little-endian reads from a byte string that fail, without moving, when too few bytes remain.
class ArchiveReader {
 public:
  explicit ArchiveReader(std::string_view data) : m_Data(data) {}

  template <typename Unsigned>
  bool Read(Unsigned& value) {
    if (m_Data.size() - m_Position < sizeof(Unsigned)) {
      return false;
    }
    value = 0;
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
      auto byte = static_cast<uint8_t>(m_Data[m_Position + i]);
      value = static_cast<Unsigned>(value | static_cast<Unsigned>(byte) << (8 * i));
    }
    m_Position += sizeof(Unsigned);
    return true;
  }

  bool ReadBytes(uint64_t count, std::string_view& bytes) {
    if (m_Data.size() - m_Position < count) {
      return false;
    }
    bytes = m_Data.substr(m_Position, static_cast<size_t>(count));
    m_Position += static_cast<size_t>(count);
    return true;
  }

 private:
  std::string_view m_Data;
  size_t m_Position = 0;
};

// The length of a counted string; `wide` becomes true when the wide marker came first (it is
// recognised once: after it, 0xFFFE is an ordinary 16-bit length).
std::optional<uint32_t> ReadLength(ArchiveReader& in, bool& wide) {
  uint8_t shortLength = 0;
  if (!in.Read(shortLength)) {
    return std::nullopt;
  }
  if (shortLength < 0xFF) {
    return shortLength;
  }
  uint16_t mediumLength = 0;
  if (!in.Read(mediumLength)) {
    return std::nullopt;
  }
  if (mediumLength == kWideMarker && !wide) {
    wide = true;
    return ReadLength(in, wide);
  }
  if (mediumLength < 0xFFFF) {
    return mediumLength;
  }
  uint32_t longLength = 0;
  if (!in.Read(longLength)) {
    return std::nullopt;
  }
  return longLength;
}

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | codePoint >> 6));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | codePoint >> 12));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | codePoint >> 18));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

bool IsHighSurrogate(uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-16 little-endian to UTF-8; a surrogate without its partner becomes U+FFFD.
std::string WideToUtf8(std::string_view bytes) {
  auto unitAt = [bytes](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                 static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  };
  std::string out;
  size_t count = bytes.size() / 2;
  for (size_t i = 0; i < count; ++i) {
    uint32_t unit = unitAt(i);
    if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(unitAt(i + 1))) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::optional<std::string> ReadCountedString(ArchiveReader& in) {
  bool wide = false;
  std::optional<uint32_t> length = ReadLength(in, wide);
  std::string_view bytes;
  if (!length || !in.ReadBytes(uint64_t{*length} * (wide ? 2 : 1), bytes)) {
    return std::nullopt;
  }
  return wide ? WideToUtf8(bytes) : std::string(bytes);
}

std::optional<MessageRow> ReadRow(ArchiveReader& in) {
  uint32_t active = 0;
  if (!in.Read(active)) {
    return std::nullopt;
  }
  std::optional<std::string> messageAndComment = ReadCountedString(in);
  if (!messageAndComment) {
    return std::nullopt;
  }
  std::optional<std::string> trigger = ReadCountedString(in);
  if (!trigger) {
    return std::nullopt;
  }
  return MakeImportedRow(static_cast<int>(active), *messageAndComment, *trigger);
}

}  // namespace

std::vector<MessageRow> ParseMessageArchive(std::string_view data, int maxRows) {
  std::vector<MessageRow> rows;
  ArchiveReader in(data);
  while (static_cast<int>(rows.size()) < maxRows) {
    std::optional<MessageRow> row = ReadRow(in);
    if (!row) {
      break;
    }
    rows.push_back(std::move(*row));
  }
  return rows;
}

}  // namespace linkwright
