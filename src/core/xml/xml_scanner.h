#pragma once

#include <cstdint>
#include <string_view>

namespace linkwright {

// Byte-index scanning over document text that ends at its first NUL byte. Indexes are signed
// 32-bit like the element positions; they never pass the end of the text.

// One token: bytes left..right (empty when left > right), scanning resumes at next. A quoted
// token holds the bytes between its quotes.
struct XmlToken {
  int32_t left = 0;
  int32_t right = -1;
  int32_t next = 0;
  bool quoted = false;
};

class XmlScanner {
 public:
  // `end` is the index of the first NUL byte of `text` (text[end] must be readable and 0).
  XmlScanner(const char* text, int32_t end) : m_Text(text), m_End(end) {}

  const char* Text() const { return m_Text; }
  int32_t End() const { return m_End; }

  // Moves `index` to the next byte equal to `c`, or to the end; true when `c` was found.
  bool FindChar(int32_t& index, char c) const;

  // Moves `index` past spaces, tabs, LFs and CRs; true when a byte other than the end follows.
  bool SkipWhitespace(int32_t& index) const;

  // Reads the token that starts at or after token.next: a quoted string, a run of bytes up to
  // the next blank or one of < > = \ / ? !, or that one delimiter byte alone. False at the end
  // of the text (left = right = next = the end).
  bool NextToken(XmlToken& token) const;

  std::string_view TokenText(const XmlToken& token) const;

  // Index of the first occurrence of `marker` at or after `from`, or -1.
  int32_t Find(std::string_view marker, int32_t from) const;

  // Skips a processing instruction, comment, CDATA section or document type that starts with
  // the '<' at `index`, leaving `index` just past it. False, with `index` unchanged, when the
  // node is not one of those or its end is missing.
  bool SkipSpecialNode(int32_t& index) const;

 private:
  bool SkipDocumentType(int32_t& index) const;

  const char* m_Text;
  int32_t m_End;
};

// Whether the element name `tagName` is meant by `name`: an empty `name` means any element;
// otherwise `name` starts with `tagName` and ends there or continues with ' ', '=', '/' or '['.
bool XmlNameMatches(std::string_view tagName, std::string_view name);

}  // namespace linkwright
