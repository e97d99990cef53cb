#include "xml/xml_scanner.h"

#include <array>
#include <cstring>

namespace linkwright {

namespace {

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Bytes that end an unquoted token; NUL ends the text and therefore every token.
constexpr std::array<bool, 256> kTokenEnd = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : std::string_view(" \t\n\r<>=\\/?!")) {
    table[c] = true;
  }
  table[0] = true;
  return table;
}();

bool EndsToken(char c) {
  return kTokenEnd[static_cast<unsigned char>(c)];
}

}  // namespace

bool XmlScanner::FindChar(int32_t& index, char c) const {
  const void* found = std::memchr(m_Text + index, c, static_cast<size_t>(m_End - index));
  if (found == nullptr) {
    index = m_End;
    return false;
  }
  index = static_cast<int32_t>(static_cast<const char*>(found) - m_Text);
  return true;
}

bool XmlScanner::SkipWhitespace(int32_t& index) const {
  while (IsBlank(m_Text[index])) {
    ++index;
  }
  return index < m_End;
}

bool XmlScanner::NextToken(XmlToken& token) const {
  int32_t index = token.next;
  token.quoted = false;
  if (!SkipWhitespace(index)) {
    token.left = token.right = token.next = index;
    return false;
  }
  const char first = m_Text[index];
  if (first == '"' || first == '\'') {
    token.quoted = true;
    token.left = index + 1;
    index = token.left;
    const bool closed = FindChar(index, first);
    token.right = index - 1;
    token.next = closed ? index + 1 : index;
    return true;
  }
  token.left = index;
  while (!EndsToken(m_Text[index])) {
    ++index;
  }
  if (index == token.left) {
    ++index;
  }
  token.right = index - 1;
  token.next = index;
  return true;
}

std::string_view XmlScanner::TokenText(const XmlToken& token) const {
  if (token.left > token.right) {
    return {};
  }
  return {m_Text + token.left, static_cast<size_t>(token.right - token.left + 1)};
}

int32_t XmlScanner::Find(std::string_view marker, int32_t from) const {
  const size_t found = std::string_view(m_Text, m_End).find(marker, static_cast<size_t>(from));
  return found == std::string_view::npos ? -1 : static_cast<int32_t>(found);
}

bool XmlScanner::SkipSpecialNode(int32_t& index) const {
  if (m_End - index < 3) {
    return false;
  }
  const char* node = m_Text + index;
  std::string_view endMarker;
  if (node[1] == '?') {
    endMarker = "?>";
  } else if (node[1] != '!') {
    return false;
  } else if (node[2] == '[') {
    endMarker = "]]>";
  } else if (node[2] == '-') {
    endMarker = "-->";
  } else {
    return SkipDocumentType(index);
  }
  const int32_t found = Find(endMarker, index);
  if (found < 0) {
    return false;
  }
  index = found + static_cast<int32_t>(endMarker.size());
  return true;
}

// A document type ends at the first '>' outside quotes and outside its bracketed internal
// subset. Every bracket of an unquoted token counts, so "[]" opens and closes the subset.
bool XmlScanner::SkipDocumentType(int32_t& index) const {
  XmlToken token;
  token.next = index;
  int depth = 0;
  while (NextToken(token)) {
    if (token.quoted) {
      continue;
    }
    const std::string_view text = TokenText(token);
    if (text == ">" && depth == 0) {
      index = token.next;
      return true;
    }
    for (char c : text) {
      depth += (c == '[') - (c == ']');
    }
  }
  return false;
}

bool XmlNameMatches(std::string_view tagName, std::string_view name) {
  if (name.empty()) {
    return true;
  }
  if (name.size() < tagName.size() || name.compare(0, tagName.size(), tagName) != 0) {
    return false;
  }
  if (name.size() == tagName.size()) {
    return true;
  }
  const char after = name[tagName.size()];
  return after == ' ' || after == '=' || after == '/' || after == '[' || after == '\0';
}

}  // namespace linkwright
