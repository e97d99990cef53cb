#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <boost/regex.hpp>

// The regular-expression test of AutoReply triggers. Patterns are compiled with Boost.Regex in
// Perl syntax, case-sensitive, and kept by their text, so a trigger is compiled once and not for
// every packet; the results are those of compiling anew each time.
class RegexChecker {
 public:
  // True when the whole subject matches the pattern. Both texts end at their first 0x00 byte.
  // False when it does not match, when the pattern is not a valid expression or when the
  // expression is too complex to match; those failures write the "Check regex" warning, again
  // on every call.
  bool CheckRegex(const std::string& pattern, const std::string& subject);

 private:
  // Hashes std::string and std::string_view alike, so a lookup needs no copy of the pattern.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  // A compiled expression, or nothing for a pattern that does not compile.
  using Compiled = std::optional<boost::regex>;

  const Compiled& CompiledFor(std::string_view pattern);

  std::unordered_map<std::string, Compiled, TextHash, std::equal_to<>> m_Compiled;
};
