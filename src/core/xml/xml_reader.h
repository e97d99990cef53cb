#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "byte_string.h"
#include "error.h"
#include "xml/xml_position_array.h"
#include "xml/xml_scanner.h"

namespace linkwright {

// A small non-validating XML reader. It keeps the whole document as one byte string (no
// character-set conversion; the first NUL byte ends the document) and builds a tree of element
// positions: byte indexes into that string, never copies of names or text. Only elements become
// tree nodes; text, CDATA, comments, processing instructions and document types are skipped
// while parsing, and an element's text is cut out and decoded only when it is asked for.
// Attributes are not parsed. Only the first top-level element is parsed.
//
// Navigation uses three positions: parent, current and child. After every parse all three are
// 0; FindChildElement first steps onto the top-level element, whatever its name.
//
// Name arguments: an empty name matches any element. A name matches an element whose tag name
// equals its first bytes when the name ends there or continues with ' ', '=', '/' or '['.
// Matching is exact and case-sensitive.
//
// A failed load or parse also leaves its error in LastError: kSystem with the system's text when
// the file cannot be read, kInput with the parse error (or "no XML element" for an empty
// document) when the text is not XML.
class XmlReader : public LastErrorHolder {
 public:
  XmlReader();

  // Reads the whole file and parses it. True when a top-level element was parsed. The result
  // text becomes "<size> bytes", followed by ", <error>" when parsing failed. When the file
  // cannot be read, the result text is the system's error text and nothing else changes.
  bool LoadFile(const std::filesystem::path& path);

  // Parses `text` as the document. True when a top-level element was parsed. The result text
  // is empty on success and the error text on failure.
  bool SetText(ByteString text = {});

  // Moves the current position to the next matching sibling (the first matching child of the
  // parent when the current position is 0). On failure nothing changes.
  bool FindElement(std::string_view name = {});

  // Moves the child position to the next matching child of the current element (its first
  // matching child when the child position is 0). On failure the positions stay.
  bool FindChildElement(std::string_view name = {});

  // Descends: the current element becomes the parent and the child the current one.
  bool EnterElement();

  // Ascends: the parent becomes the current element and the current one the child.
  bool LeaveElement();

  // Text of the child element: empty when it has child elements or is empty; the raw bytes of
  // a leading CDATA section; otherwise its content with entities and character references
  // decoded. Nothing is trimmed.
  ByteString GetChildText() const;

  // Looks up the first child of the current element with that name, whatever was searched
  // before, and returns its text. False and an empty text when there is no such child.
  bool GetChildTextByName(std::string_view name, ByteString& text);
  ByteString GetChildTextByName(std::string_view name);

  // "<size> bytes" after a load, with ", <error>" after a failed parse; see LoadFile/SetText.
  const ByteString& GetResultText() const { return m_ResultText; }

 private:
  bool ParseDocument();
  int32_t ParseElement(int32_t parent, int depth);
  int32_t ParseEndTag(int32_t record, std::string_view name);
  int32_t ParseFailure(const char* format, std::string_view name = {});
  int32_t TakeRecord();
  XmlScanner Scanner() const { return {m_Document.c_str(), m_End}; }
  bool NameMatches(int32_t record, std::string_view name) const;
  int32_t FindSibling(int32_t first, std::string_view name) const;

  ByteString m_Document;
  int32_t m_End = 0;  // index of the first NUL byte of the document, where parsing stops
  ByteString m_ResultText;
  int32_t m_Parent = 0;
  int32_t m_Current = 0;
  int32_t m_Child = 0;
  int32_t m_NextFree = 1;
  XmlPositionArray m_Positions;
};

}  // namespace linkwright
