#include "xml/xml_entities.h"

#include <array>
#include <cstring>
#include <optional>

namespace linkwright {

namespace {

struct Entity {
  char character;
  std::string_view name;  // what follows the '&', ';' included
};

constexpr std::array<Entity, 5> kEntities{{
    {'<', "lt;"},
    {'&', "amp;"},
    {'>', "gt;"},
    {'\'', "apos;"},
    {'"', "quot;"},
}};

// A reference may hold at most this many bytes between its digit start and its ';'.
constexpr int kMaxReferenceDigits = 7;

int DigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'z') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'Z') {
    return c - 'A' + 10;
  }
  return 99;
}

// Like strtol without its "0x" prefix: leading blanks, an optional sign, then digits of the
// base up to the first byte that is not one. At most 7 digits, so the value fits. Empty when
// there is no digit: such a reference is left as text rather than read as the number 0.
std::optional<long> ParseReferenceNumber(const char* digits, int base) {
  while (*digits == ' ' || (*digits >= '\t' && *digits <= '\r')) {
    ++digits;
  }
  const bool negative = *digits == '-';
  if (*digits == '-' || *digits == '+') {
    ++digits;
  }
  if (DigitValue(*digits) >= base) {
    return std::nullopt;
  }
  long value = 0;
  for (int digit = DigitValue(*digits); digit < base; digit = DigitValue(*++digits)) {
    value = value * base + digit;
  }
  return negative ? -value : value;
}

// Writes a character number in UTF-8. Numbers beyond 0xFFFF take four bytes when they are
// Unicode characters; any other number is written in the three-byte form of its low 16 bits.
void AppendCharacter(ByteString& out, long v) {
  auto byte = [&out](long bits) { out.push_back(static_cast<char>(bits)); };
  if (v < 0x80) {
    byte(v & 0xFF);
  } else if (v < 0x800) {
    byte(0xC0 | (v >> 6 & 0x1F));
    byte(0x80 | (v & 0x3F));
  } else if (v >= 0x10000 && v <= 0x10FFFF) {
    byte(0xF0 | (v >> 18 & 0x07));
    byte(0x80 | (v >> 12 & 0x3F));
    byte(0x80 | (v >> 6 & 0x3F));
    byte(0x80 | (v & 0x3F));
  } else {
    byte(0xE0 | (v >> 12 & 0x0F));
    byte(0x80 | (v >> 6 & 0x3F));
    byte(0x80 | (v & 0x3F));
  }
}

// Decodes the reference whose '&' is at text[i]; returns the index after its ';', or i when
// there is no ';' within reach or no number before it.
int32_t DecodeReference(const char* text, int32_t i, ByteString& out) {
  const bool hex = text[i + 2] == 'x';
  const int32_t digits = i + (hex ? 3 : 2);
  for (int32_t j = digits; j <= digits + kMaxReferenceDigits && text[j] != '\0'; ++j) {
    if (text[j] == ';') {
      const std::optional<long> number = ParseReferenceNumber(text + digits, hex ? 16 : 10);
      if (!number) {
        return i;
      }
      AppendCharacter(out, *number);
      return j + 1;
    }
  }
  return i;
}

// Decodes the named entity whose '&' is at text[i] if it ends by `right`; returns the index
// after it, or i when none matches.
int32_t DecodeEntity(const char* text, int32_t i, int32_t right, ByteString& out) {
  for (const Entity& entity : kEntities) {
    const auto length = static_cast<int32_t>(entity.name.size());
    if (i <= right - length && std::memcmp(text + i + 1, entity.name.data(), length) == 0) {
      out.push_back(entity.character);
      return i + length + 1;
    }
  }
  return i;
}

}  // namespace

ByteString DecodeXmlText(const char* text, int32_t left, int32_t right) {
  ByteString out;
  if (left > right) {
    return out;
  }
  out.reserve(static_cast<size_t>(right - left + 1));
  for (int32_t i = left; i <= right;) {
    if (text[i] != '&') {
      out.push_back(text[i++]);
      continue;
    }
    const int32_t after =
        text[i + 1] == '#' ? DecodeReference(text, i, out) : DecodeEntity(text, i, right, out);
    if (after == i) {
      out.push_back('&');
      ++i;
    } else {
      i = after;
    }
  }
  return out;
}

ByteString EncodeXmlText(std::string_view value) {
  ByteString out;
  out.reserve(value.size());
  for (char c : value) {
    const Entity* entity = nullptr;
    for (const Entity& candidate : kEntities) {
      if (candidate.character == c) {
        entity = &candidate;
      }
    }
    if (entity == nullptr) {
      out.push_back(c);
    } else {
      out.push_back('&');
      out.append(entity->name);
    }
  }
  return out;
}

}  // namespace linkwright
