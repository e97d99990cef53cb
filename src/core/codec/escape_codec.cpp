#include "codec/escape_codec.h"

#include <array>
#include <optional>
#include <string_view>

namespace {

constexpr std::array<const char*, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "SLE", "CS1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

constexpr char kHexDigits[] = "0123456789ABCDEF";

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
      return false;
    }
  }
  return true;
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

}  // namespace

std::string ControlSymbolName(int value) {
  if (value < 0 || value >= static_cast<int>(kControlNames.size())) {
    return {};
  }
  return kControlNames[static_cast<size_t>(value)];
}

char ReadEscapedByte(const std::string& text, size_t& position) {
  char c = text[position];
  if (c == '[') {
    size_t close = text.find(']', position);
    if (close != std::string::npos) {
      auto token = std::string_view(text).substr(position + 1, close - position - 1);
      if (auto value = TokenValue(token)) {
        position = close + 1;
        return static_cast<char>(*value);
      }
    }
  }
  ++position;
  return c;
}

ByteString TextToBytes(const std::string& text) {
  ByteString bytes;
  bytes.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) {
    // Runs of ordinary characters are copied in one step; only '[' needs the escape rules.
    size_t bracket = text.find('[', position);
    if (bracket == std::string::npos) {
      bytes.append(text, position, std::string::npos);
      break;
    }
    bytes.append(text, position, bracket - position);
    position = bracket;
    bytes.push_back(ReadEscapedByte(text, position));
  }
  return bytes;
}

std::string BytesToText(const ByteString& bytes, bool allHex) {
  std::string text;
  if (allHex) {
    text.resize(bytes.size() * 5);
    char* out = text.data();
    for (unsigned char b : bytes) {
      *out++ = '[';
      *out++ = 'x';
      *out++ = kHexDigits[b >> 4];
      *out++ = kHexDigits[b & 0x0F];
      *out++ = ']';
    }
    return text;
  }
  text.reserve(bytes.size() + bytes.size() / 8);
  for (unsigned char b : bytes) {
    if (b < 0x20) {
      text.push_back('[');
      text.append(kControlNames[b]);
      text.push_back(']');
    } else {
      text.push_back(static_cast<char>(b));
    }
  }
  return text;
}

std::string HexDump(const ByteString& bytes, const std::string& separator) {
  std::string text;
  text.reserve(bytes.size() * (2 + separator.size()));
  for (unsigned char b : bytes) {
    text.push_back(kHexDigits[b >> 4]);
    text.push_back(kHexDigits[b & 0x0F]);
    text.append(separator);
  }
  return text;
}
