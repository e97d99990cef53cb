#include "config/ini_file.h"

#include <algorithm>

#include "ascii_text.h"

namespace linkwright {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

bool IsEnclosedInQuotes(std::string_view text) {
  return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

bool IsCommentStart(char c) {
  return c == ';' || c == '#';
}

// The value of a key line as a reader sees it: blanks trimmed, one pair of quotes removed, cut.
std::string DecodeValue(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (IsEnclosedInQuotes(value)) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, IniFile::kMaxValueLength));
}

// The text that `DecodeValue` turns back into `value`: quoted when trimming or quote removal
// would change it, so values with outer blanks or quotes survive a save.
std::string EncodeValue(std::string_view value) {
  bool needsQuotes = !value.empty() &&
                     (IsBlank(value.front()) || IsBlank(value.back()) || IsEnclosedInQuotes(value));
  return needsQuotes ? "\"" + std::string(value) + "\"" : std::string(value);
}

bool HasLineBreak(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsLineBreak);
}

bool IsStorableSectionName(std::string_view name) {
  return !name.empty() && !HasLineBreak(name) && TrimBlanks(name) == name;
}

bool IsStorableKeyName(std::string_view name) {
  return !name.empty() && !HasLineBreak(name) && TrimBlanks(name) == name &&
         name.find('=') == std::string_view::npos && !IsCommentStart(name.front()) &&
         name.front() != '[';
}

}  // namespace

IniFile::Line IniFile::ReadLine(std::string text) {
  Line line;
  std::string_view content = TrimBlanks(text);
  if (!content.empty() && !IsCommentStart(content.front())) {
    size_t close = content.rfind(']');
    size_t equals = content.find('=');
    if (content.front() == '[' && close != std::string_view::npos) {
      line.kind = LineKind::kSection;
      line.name = TrimBlanks(content.substr(1, close - 1));
    } else if (equals != std::string_view::npos) {
      line.kind = LineKind::kKey;
      line.name = TrimBlanks(content.substr(0, equals));
    }
  }
  line.text = std::move(text);
  return line;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile file;
  size_t firstLf = text.find('\n');
  file.m_CrLf = firstLf != std::string_view::npos && firstLf > 0 && text[firstLf - 1] == '\r';
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = std::min(text.find('\n', pos), text.size());
    file.m_Lines.push_back(ReadLine(std::string(text.substr(pos, end - pos))));
    pos = end + 1;
  }
  return file;
}

std::optional<size_t> IniFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < m_Lines.size(); ++i) {
    if (m_Lines[i].kind == LineKind::kSection && EqualsIgnoringCase(m_Lines[i].name, section)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<size_t> IniFile::FindKey(size_t header, std::string_view key) const {
  for (size_t i = header + 1; i < m_Lines.size() && m_Lines[i].kind != LineKind::kSection; ++i) {
    if (m_Lines[i].kind == LineKind::kKey && EqualsIgnoringCase(m_Lines[i].name, key)) {
      return i;
    }
  }
  return std::nullopt;
}

size_t IniFile::SectionInsertPoint(size_t header) const {
  size_t point = header + 1;
  for (size_t i = header + 1; i < m_Lines.size() && m_Lines[i].kind != LineKind::kSection; ++i) {
    if (m_Lines[i].kind == LineKind::kKey) {
      point = i + 1;
    }
  }
  return point;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  std::optional<size_t> header = FindSection(section);
  std::optional<size_t> line = header ? FindKey(*header, key) : std::nullopt;
  if (!line) {
    return std::nullopt;
  }
  std::string_view text = m_Lines[*line].text;
  return DecodeValue(text.substr(text.find('=') + 1));
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
  return Get(section, key).value_or(std::string(defaultValue));
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(value)) {
    return false;
  }
  std::string encoded = EncodeValue(value) + LineEndBeforeLf();
  std::optional<size_t> header = FindSection(section);
  std::optional<size_t> line = header ? FindKey(*header, key) : std::nullopt;
  if (line) {
    // The file's own spelling of the key stays.
    m_Lines[*line] = ReadLine(m_Lines[*line].name + "=" + encoded);
    return true;
  }
  if (!IsStorableKeyName(key) || (!header && !IsStorableSectionName(section))) {
    return false;
  }
  std::string keyLine = std::string(key) + "=" + encoded;
  if (header) {
    m_Lines.insert(m_Lines.begin() + static_cast<std::ptrdiff_t>(SectionInsertPoint(*header)),
                   ReadLine(std::move(keyLine)));
    return true;
  }
  if (!m_Lines.empty() && !TrimBlanks(m_Lines.back().text).empty()) {
    m_Lines.push_back(ReadLine(LineEndBeforeLf()));
  }
  m_Lines.push_back(ReadLine("[" + std::string(section) + "]" + LineEndBeforeLf()));
  m_Lines.push_back(ReadLine(std::move(keyLine)));
  return true;
}

std::vector<std::pair<std::string, std::string>> IniFile::Keys() const {
  std::vector<std::pair<std::string, std::string>> keys;
  const std::string* section = nullptr;
  for (const Line& line : m_Lines) {
    if (line.kind == LineKind::kSection) {
      section = &line.name;
    } else if (line.kind == LineKind::kKey && section != nullptr) {
      keys.emplace_back(*section, line.name);
    }
  }
  return keys;
}

std::string IniFile::Serialize() const {
  std::string text;
  for (const Line& line : m_Lines) {
    text += line.text;
    text += '\n';
  }
  return text;
}

}  // namespace linkwright
