#pragma once

#include <string>
#include <string_view>

namespace linkwright {

// Letter case of plain ASCII only: names in files, settings and protocols compare this way
// whatever the locale, and bytes above 0x7F are never letters.
// Inline: settings lookups fold every name they are asked for.
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string AsciiLowered(std::string text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace linkwright
