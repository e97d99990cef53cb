#include "document/message_text.h"

#include <climits>

namespace linkwright {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

// Blanks as the C library's isspace sees them in the "C" locale.
bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

std::pair<std::string, std::string> SplitMessageComment(std::string_view text) {
  constexpr std::string_view kMarker = " //";
  size_t marker = text.find(kMarker);
  if (marker == std::string_view::npos) {
    return {std::string(text), std::string()};
  }
  return {std::string(text.substr(0, marker)), TrimBlanks(text.substr(marker + kMarker.size()))};
}

MessageRow MakeImportedRow(int active, std::string_view messageAndComment,
                           std::string_view trigger) {
  auto [message, comment] = SplitMessageComment(TrimBlanks(messageAndComment));
  return MessageRow{std::move(message), std::move(comment), active, TrimBlanks(trigger)};
}

bool ReadDecimal(std::string_view text, size_t& position, int& value) {
  size_t i = position;
  while (i < text.size() && IsSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || !IsDigit(text[i])) {
    return false;
  }
  // Past the range of int more digits cannot bring the value back, so it stops growing there.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (magnitude <= kLimit) {
      magnitude = magnitude * 10 + (text[i] - '0');
    }
  }
  long long signedValue = negative ? -magnitude : magnitude;
  value = static_cast<int>(signedValue < INT_MIN   ? INT_MIN
                           : signedValue > INT_MAX ? INT_MAX
                                                   : signedValue);
  position = i;
  return true;
}

int DecimalValue(std::string_view text) {
  size_t position = 0;
  int value = 0;
  return ReadDecimal(text, position, value) ? value : 0;
}

}  // namespace linkwright
