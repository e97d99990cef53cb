#include "automation/regex_checker.h"

#include <exception>

#include "diag/diag_log.h"

namespace {

// Triggers come from at most 99 rows, but edits add new texts; past this many the cache
// starts afresh rather than grow without end.
constexpr size_t kMaxCompiled = 512;

// The text up to its first 0x00 byte, as a zero-terminated string reads it.
std::string_view UpToNul(const std::string& text) {
  return std::string_view(text.c_str());
}

bool WarnInvalid(std::string_view pattern) {
  DiagLog('W', "Check regex \"%s\"\n", std::string(pattern).c_str());
  return false;
}

}  // namespace

bool RegexChecker::CheckRegex(const std::string& pattern, const std::string& subject) {
  const std::string_view patternText = UpToNul(pattern);
  const std::string_view subjectText = UpToNul(subject);
  const Compiled& expression = CompiledFor(patternText);
  if (!expression) {
    return WarnInvalid(patternText);
  }
  try {
    return boost::regex_match(subjectText.begin(), subjectText.end(), *expression);
  } catch (const std::exception&) {
    // Boost gives up on expressions whose matching would take too long.
    return WarnInvalid(patternText);
  }
}

const RegexChecker::Compiled& RegexChecker::CompiledFor(std::string_view pattern) {
  if (auto found = m_Compiled.find(pattern); found != m_Compiled.end()) {
    return found->second;
  }
  if (m_Compiled.size() >= kMaxCompiled) {
    m_Compiled.clear();
  }
  Compiled expression;
  try {
    expression.emplace(pattern.begin(), pattern.end(), boost::regex::perl);
  } catch (const std::exception&) {
    // Left empty: CheckRegex warns about this pattern whenever it is used.
  }
  return m_Compiled.emplace(std::string(pattern), std::move(expression)).first->second;
}
