#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace linkwright {

// An initialisation file held as its lines: "[Section]" headers, "Key=value" lines, and
// everything else (comments, blank lines, lines it cannot read) kept exactly as it came.
//
// Reading follows the private-profile rules: section and key names compare without regard to
// ASCII case; the first section of a name and the first key of a name in it win; keys before
// the first header belong to no section; a value loses its surrounding blanks and then one
// pair of enclosing quotes (" or '), and is cut at kMaxValueLength characters.
class IniFile {
 public:
  static constexpr size_t kMaxValueLength = 2599;

  // Never fails: lines that are neither a header nor a key line are kept as they are.
  static IniFile Parse(std::string_view text);

  // The value of a key, or nothing when the section or the key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;

  // Replaces the key's line, or adds the key at the end of its section, or adds the section
  // at the end of the file. The value is quoted where needed so that `Get` gives it back
  // unchanged. False, and nothing changes, when the value holds a line break (it cannot be
  // stored on one line) or when a new line is needed and a name would not read back as itself
  // (empty, a line break, outer blanks; for keys also "=" or a leading "[", ";" or "#").
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // (section, key) of every key line that belongs to a section, in file order.
  std::vector<std::pair<std::string, std::string>> Keys() const;

  // The lines joined again, each ending in LF; untouched lines come back byte for byte. Lines
  // written by `Set` end in CR LF when the parsed text's first line did.
  std::string Serialize() const;

 private:
  enum class LineKind { kOther, kSection, kKey };
  struct Line {
    std::string text;  // without the line end
    LineKind kind = LineKind::kOther;
    std::string name;  // section name or key name
  };

  static Line ReadLine(std::string text);
  // Index of the first header of `section`, or nothing.
  std::optional<size_t> FindSection(std::string_view section) const;
  // Index of the key's line inside the section that starts at `header`, or nothing.
  std::optional<size_t> FindKey(size_t header, std::string_view key) const;
  // Index just past the last non-blank line of the section that starts at `header`.
  size_t SectionInsertPoint(size_t header) const;

  // Line end of the lines `Set` writes, before the LF that every line gets.
  std::string LineEndBeforeLf() const { return m_CrLf ? "\r" : ""; }

  std::vector<Line> m_Lines;
  bool m_CrLf = false;
};

}  // namespace linkwright
