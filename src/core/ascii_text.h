#pragma once

#include <string>
#include <string_view>

// Letter case of plain ASCII only: names in files, settings and protocols compare this way
// whatever the locale, and bytes above 0x7F are never letters.
char AsciiLower(char c);
char AsciiUpper(char c);
std::string AsciiLowered(std::string text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
