#include "codec/escape_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "ascii_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace linkwright {

namespace {

constexpr std::array<std::string_view, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "SLE", "CS1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Each control byte's name in its brackets, as the symbol form shows it: "[CR]".
const std::array<std::string, 32>& BracketedControlNames() {
  static const std::array<std::string, 32> names = [] {
    std::array<std::string, 32> bracketed;
    for (size_t value = 0; value < kControlNames.size(); ++value) {
      bracketed[value] = "[" + std::string(kControlNames[value]) + "]";
    }
    return bracketed;
  }();
  return names;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  char upper = AsciiUpper(c);
  if (upper >= 'A' && upper <= 'F') {
    return upper - 'A' + 10;
  }
  return -1;
}

std::optional<unsigned char> SymbolValue(std::string_view token) {
  for (size_t value = 0; value < kControlNames.size(); ++value) {
    if (EqualsIgnoringCase(token, kControlNames[value])) {
      return static_cast<unsigned char>(value);
    }
  }
  return std::nullopt;
}

// "x" followed by at least one hexadecimal digit; the value is taken modulo 256, which only
// the last two digits decide.
std::optional<unsigned char> HexValue(std::string_view token) {
  if (token.size() < 2 || (token[0] != 'x' && token[0] != 'X')) {
    return std::nullopt;
  }
  unsigned value = 0;
  for (char c : token.substr(1)) {
    int digit = HexDigitValue(c);
    if (digit < 0) {
      return std::nullopt;
    }
    value = ((value << 4) | static_cast<unsigned>(digit)) & 0xFF;
  }
  return static_cast<unsigned char>(value);
}

std::optional<unsigned char> DecimalValue(std::string_view token) {
  unsigned value = 0;
  for (char c : token) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = (value * 10 + static_cast<unsigned>(c - '0')) % 256;
  }
  return static_cast<unsigned char>(value);
}

std::optional<unsigned char> TokenValue(std::string_view token) {
  if (token.empty()) {
    return std::nullopt;
  }
  if (auto symbol = SymbolValue(token)) {
    return symbol;
  }
  if (auto hex = HexValue(token)) {
    return hex;
  }
  return DecimalValue(token);
}

// The first ']' at or after a position, remembered across the steps of one decoding: text
// with many '[' and no ']' after them is then scanned once instead of once per '['.
class ClosingBracketFinder {
 public:
  explicit ClosingBracketFinder(std::string_view text) : m_Text(text) {}

  size_t At(size_t position) {
    if (!m_Searched || m_Next < position) {
      m_Next = m_Text.find(']', position);
      m_Searched = true;
    }
    return m_Next;
  }

 private:
  std::string_view m_Text;
  size_t m_Next = 0;
  bool m_Searched = false;
};

// One decoding step at `position`, which advances past what it consumed.
char DecodeStep(std::string_view text, size_t& position, ClosingBracketFinder& closes) {
  char c = text[position];
  if (c == '[') {
    size_t close = closes.At(position);
    if (close != std::string_view::npos) {
      auto token = text.substr(position + 1, close - position - 1);
      if (auto value = TokenValue(token)) {
        position = close + 1;
        return static_cast<char>(*value);
      }
    }
  }
  ++position;
  return c;
}

// Decodes `text` into `out` and returns the number of bytes written. Every step consumes at
// least one character and yields one byte, so `out` may be `text.data()` itself: writing never
// overtakes reading.
size_t DecodeInto(std::string_view text, char* out) {
  ClosingBracketFinder closes(text);
  size_t position = 0;
  size_t written = 0;
  while (position < text.size()) {
    // Runs of ordinary characters are copied in one step; only '[' needs the escape rules.
    size_t bracket = std::min(text.find('[', position), text.size());
    if (out + written != text.data() + position) {
      std::memmove(out + written, text.data() + position, bracket - position);
    }
    written += bracket - position;
    position = bracket;
    if (position < text.size()) {
      out[written++] = DecodeStep(text, position, closes);
    }
  }
  return written;
}

// The first byte below 0x20 (shown by its name) at or after `from`; the size when there is none.
// Received data is mostly printable, so many bytes are tested at once: with SSE2 sixteen, where a
// byte is at least 0x20 exactly when the larger of it and 0x20 is the byte itself; then eight,
// where subtracting 0x20 from each byte borrows into a byte's top bit, where it was clear, exactly
// when some byte is below 0x20 (the lowest such byte always shows), and only then is the word
// looked at byte by byte.
size_t FindControlByte(std::string_view bytes, size_t from) {
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(0x20);
  for (; from + sizeof(__m128i) <= bytes.size(); from += sizeof(__m128i)) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + from));
    const auto printable =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(block, blank), block)));
    if (printable != 0xFFFF) {
      return from + static_cast<size_t>(std::countr_one(printable));
    }
  }
#endif
  constexpr uint64_t kEachByte = 0x0101010101010101;
  constexpr uint64_t kTopBits = 0x8080808080808080;
  for (; from + sizeof(uint64_t) <= bytes.size(); from += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + from, sizeof word);
    if (((word - kEachByte * 0x20) & ~word & kTopBits) != 0) {
      break;
    }
  }
  while (from < bytes.size() && static_cast<unsigned char>(bytes[from]) >= 0x20) {
    ++from;
  }
  return from;
}

void AppendAllHexForm(std::string_view bytes, std::string& text) {
  const size_t at = text.size();
  text.resize(at + bytes.size() * 5);
  char* out = text.data() + at;
  for (unsigned char b : bytes) {
    *out++ = '[';
    *out++ = 'x';
    *out++ = kHexDigits[b >> 4];
    *out++ = kHexDigits[b & 0x0F];
    *out++ = ']';
  }
}

void AppendSymbolForm(std::string_view bytes, std::string& text) {
  text.reserve(text.size() + bytes.size() + bytes.size() / 8);
  // Runs of bytes shown as themselves are copied whole.
  for (size_t run = 0; run < bytes.size();) {
    const size_t control = FindControlByte(bytes, run);
    text.append(bytes.data() + run, control - run);
    if (control == bytes.size()) {
      break;
    }
    const std::string_view symbol =
        BracketedControlNames()[static_cast<unsigned char>(bytes[control])];
    text.append(symbol.data(), symbol.size());
    run = control + 1;
  }
}

}  // namespace

std::string ControlSymbolName(int value) {
  if (value < 0 || value >= static_cast<int>(kControlNames.size())) {
    return {};
  }
  return std::string(kControlNames[static_cast<size_t>(value)]);
}

char ReadEscapedByte(const std::string& text, size_t& position) {
  ClosingBracketFinder closes(text);
  return DecodeStep(text, position, closes);
}

ByteString TextToBytes(const std::string& text) {
  ByteString bytes = text;
  TextToBytesInPlace(bytes);
  return bytes;
}

void TextToBytesInPlace(std::string& text) {
  text.resize(DecodeInto(text, text.data()));
}

std::string BytesToText(std::string_view bytes, bool allHex) {
  std::string text;
  AppendBytesAsText(bytes, allHex, text);
  return text;
}

void AppendBytesAsText(std::string_view bytes, bool allHex, std::string& text) {
  if (allHex) {
    AppendAllHexForm(bytes, text);
  } else {
    AppendSymbolForm(bytes, text);
  }
}

std::string HexDump(std::string_view bytes, const std::string& separator) {
  std::string text;
  AppendHexDump(bytes, separator, text);
  return text;
}

void AppendHexDump(std::string_view bytes, const std::string& separator, std::string& text) {
  text.reserve(text.size() + bytes.size() * (2 + separator.size()));
  for (unsigned char b : bytes) {
    text.push_back(kHexDigits[b >> 4]);
    text.push_back(kHexDigits[b & 0x0F]);
    text.append(separator);
  }
}

}  // namespace linkwright
