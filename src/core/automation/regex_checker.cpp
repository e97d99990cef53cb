#include "automation/regex_checker.h"

#include <exception>
#include <string_view>

#include "diag/diag_log.h"

namespace linkwright {

namespace {

// The text up to its first 0x00 byte, as a zero-terminated string reads it.
std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace

RegexChecker::RegexChecker(const std::string& pattern) : m_Pattern(UpToNul(pattern)) {
  try {
    m_Expression.emplace(m_Pattern, boost::regex::perl);
  } catch (const std::exception&) {
    // Left empty: CheckRegex warns about this pattern whenever it is used.
  }
}

bool RegexChecker::WarnInvalid() const {
  DiagLog('W', "Check regex \"%s\"\n", m_Pattern.c_str());
  return false;
}

bool RegexChecker::CheckRegex(std::string_view subject) const {
  if (!m_Expression) {
    return WarnInvalid();
  }
  const std::string_view subjectText = UpToNul(subject);
  try {
    return boost::regex_match(subjectText.begin(), subjectText.end(), *m_Expression);
  } catch (const std::exception&) {
    // Boost gives up on expressions whose matching would take too long.
    return WarnInvalid();
  }
}

}  // namespace linkwright
