#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <boost/regex.hpp>

namespace linkwright {

// The regular-expression test of one AutoReply trigger. The pattern is compiled once, with
// Boost.Regex in Perl syntax, case-sensitive, and then matched against any number of packets;
// the results are those of compiling it anew for each packet.
class RegexChecker {
 public:
  // Compiles the pattern up to its first 0x00 byte. A pattern that is not a valid expression
  // is kept as it is: every CheckRegex on it fails with the warning.
  explicit RegexChecker(const std::string& pattern);

  // True when the whole subject, up to its first 0x00 byte, matches the pattern. False when it
  // does not match, when the pattern is not a valid expression or when the expression is too
  // complex to match; those failures write the "Check regex" warning, again on every call.
  bool CheckRegex(std::string_view subject) const;

 private:
  bool WarnInvalid() const;

  std::string m_Pattern;
  std::optional<boost::regex> m_Expression;
};

}  // namespace linkwright
