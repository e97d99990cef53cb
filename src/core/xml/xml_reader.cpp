#include "xml/xml_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

#include "diag/diag_log.h"
#include "xml/xml_entities.h"

namespace linkwright {

namespace {

constexpr char kElementTagNotFound[] = "Element tag not found";
constexpr char kAbruptEnd[] = "Abrupt end within tag";
constexpr char kTagStartsWithQuote[] = "Tag starts with quote";
constexpr char kInvalidNode[] = "Invalid node";
constexpr char kEndOfTagNotFound[] = "End of tag not found";
constexpr char kEndTagNotFound[] = "End tag of %s element not found";
constexpr char kExpectingEndTag[] = "Expecting end tag of element %s";
constexpr char kEndTagMismatch[] = "End tag does not correspond to %s";
constexpr char kEndTagIncomplete[] = "End tag not completed for element %s";
constexpr char kStrayEndTag[] = "End tag without start tag";
constexpr char kNestedTooDeeply[] = "Elements nested too deeply";
constexpr char kDocumentTooLarge[] = "Document too large";
// Not a parse error, so never part of the result text; only LastError says it.
constexpr char kNoElement[] = "no XML element";

// Parsing recurses once per level; deeper documents fail instead of exhausting the stack.
constexpr int kMaxDepth = 4000;

// Every index, including a few bytes past the end of the text, must fit a record field.
constexpr size_t kMaxDocumentSize = std::numeric_limits<int32_t>::max() - 16;

// Room for a formatted error message, terminator included.
constexpr size_t kMessageRoom = 300;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads a whole file as raw bytes; returns 0 or the error number of what failed.
int ReadWholeFile(const std::filesystem::path& path, ByteString& content) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return EISDIR;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "rb"));
  if (!file) {
    return errno;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) {
    return errno;
  }
  const long size = std::ftell(file.get());
  if (size < 0) {
    return errno;
  }
  if (static_cast<unsigned long>(size) > kMaxDocumentSize) {
    return EFBIG;
  }
  std::rewind(file.get());
  content.resize(static_cast<size_t>(size));
  content.resize(std::fread(content.data(), 1, content.size(), file.get()));
  if (std::ferror(file.get())) {
    return errno != 0 ? errno : EIO;
  }
  return 0;
}

}  // namespace

XmlReader::XmlReader() {
  ParseDocument();
}

bool XmlReader::LoadFile(const std::filesystem::path& path) {
  ByteString content;
  errno = 0;
  if (const int error = ReadWholeFile(path, content); error != 0) {
    m_ResultText = SystemErrorText(error);
    return Fail(ErrorKind::kSystem, m_ResultText);
  }
  m_Document = std::move(content);
  m_ResultText = std::to_string(m_Document.size()) + " bytes";
  return ParseDocument();
}

bool XmlReader::SetText(ByteString text) {
  m_Document = std::move(text);
  m_ResultText.clear();
  return ParseDocument();
}

bool XmlReader::ParseDocument() {
  const ByteString kept = std::move(m_ResultText);
  ClearError();
  m_Parent = m_Current = m_Child = 0;
  m_NextFree = 1;
  m_End = 0;
  const bool tooLarge = m_Document.size() > kMaxDocumentSize;
  if (!tooLarge) {
    m_End = static_cast<int32_t>(std::strlen(m_Document.c_str()));
    m_Positions.Grow(static_cast<int32_t>(m_Document.size() / 64) + 8);
  }
  m_Positions[0] = {};
  int32_t top = 0;
  if (tooLarge) {
    ParseFailure(kDocumentTooLarge);
  } else if (!m_Document.empty()) {
    top = ParseElement(0, 1);
    if (top == 0) {
      ParseFailure(kStrayEndTag);
    }
  }
  if (top > 0) {
    m_Positions[0].firstChild = top;
  } else {
    m_Positions[0] = {};
    m_NextFree = 1;
  }
  m_ResultText = kept;
  if (LastError().Failed()) {
    m_ResultText += (kept.empty() ? "" : ", ") + LastError().Message();
  } else if (top == 0) {
    Fail(ErrorKind::kInput, kNoElement);
  }
  return top > 0;
}

int32_t XmlReader::TakeRecord() {
  if (m_NextFree == m_Positions.Count()) {
    m_Positions.Grow(m_NextFree + m_NextFree / 2);
  }
  return m_NextFree++;
}

// Parses the next element inside `parent`, whose endTagOpen holds where scanning resumes.
// Returns the new record, 0 when the parent's end tag comes first (its '<' is then left in the
// parent's endTagOpen), or -1 after an error. Records may move while children are parsed, so
// no reference to one is held across the recursion.
int32_t XmlReader::ParseElement(int32_t parent, int depth) {
  const XmlScanner scan = Scanner();
  const int32_t record = TakeRecord();
  m_Positions[record] = {};
  m_Positions[record].parent = parent;
  int32_t index = m_Positions[parent].endTagOpen;
  XmlToken token;
  for (;;) {
    if (!scan.FindChar(index, '<')) {
      return ParseFailure(kElementTagNotFound);
    }
    m_Positions[record].startTagOpen = index;
    m_Positions[parent].endTagOpen = index;
    token.next = index + 1;
    if (!scan.NextToken(token)) {
      return ParseFailure(kAbruptEnd);
    }
    if (token.quoted) {
      return ParseFailure(kTagStartsWithQuote);
    }
    const char first = scan.Text()[token.left];
    if (first == '/') {
      --m_NextFree;
      return 0;
    }
    if (first != '?' && first != '!') {
      break;
    }
    if (!scan.SkipSpecialNode(index)) {
      return ParseFailure(kInvalidNode);
    }
  }
  const std::string_view name = scan.TokenText(token);
  if (depth > kMaxDepth) {
    return ParseFailure(kNestedTooDeeply);
  }
  int32_t close = token.next;
  if (!scan.FindChar(close, '>')) {
    return ParseFailure(kEndOfTagNotFound);
  }
  m_Positions[record].startTagClose = close;
  if (scan.Text()[close - 1] == '/') {
    m_Positions[record].endTagOpen = close - 1;
    m_Positions[record].endTagClose = close;
    return record;
  }
  m_Positions[record].endTagOpen = close + 1;
  int32_t previous = 0;
  for (;;) {
    const int32_t child = ParseElement(record, depth + 1);
    if (child < 0) {
      return child;
    }
    if (child == 0) {
      break;
    }
    if (previous == 0) {
      m_Positions[record].firstChild = child;
    } else {
      m_Positions[previous].nextSibling = child;
    }
    previous = child;
    m_Positions[record].endTagOpen = m_Positions[child].endTagClose + 1;
  }
  return ParseEndTag(record, name);
}

// Checks the end tag that follows the element's content: '/', the element's name, then any
// tokens up to an unquoted '>'. Returns the record or -1.
int32_t XmlReader::ParseEndTag(int32_t record, std::string_view name) {
  const XmlScanner scan = Scanner();
  int32_t index = m_Positions[record].endTagOpen;
  if (!scan.FindChar(index, '<')) {
    return ParseFailure(kEndTagNotFound, name);
  }
  m_Positions[record].endTagOpen = index;
  XmlToken token;
  token.next = index + 1;
  int count = 0;
  while (scan.NextToken(token)) {
    ++count;
    if (token.quoted) {
      continue;
    }
    const std::string_view text = scan.TokenText(token);
    if (count == 1 && text != "/") {
      return ParseFailure(kExpectingEndTag, name);
    }
    if (count == 2 && !XmlNameMatches(text, name)) {
      return ParseFailure(kEndTagMismatch, name);
    }
    if (count >= 2 && text == ">") {
      m_Positions[record].endTagClose = token.left;
      return record;
    }
  }
  return ParseFailure(kEndTagIncomplete, name);
}

// Fails with the message, the element name in place of its %s, cut to fit the message room.
// Kept out of line so the recursive parse keeps small stack frames.
[[gnu::noinline]] int32_t XmlReader::ParseFailure(const char* format, std::string_view name) {
  char message[kMessageRoom];
  const std::string terminatedName(name);
  std::snprintf(message, sizeof message, format, terminatedName.c_str());
  Fail(ErrorKind::kInput, message);
  return -1;
}

bool XmlReader::NameMatches(int32_t record, std::string_view name) const {
  if (name.empty()) {
    return true;
  }
  const XmlScanner scan = Scanner();
  XmlToken token;
  token.next = m_Positions[record].startTagOpen + 1;
  scan.NextToken(token);
  return XmlNameMatches(scan.TokenText(token), name);
}

int32_t XmlReader::FindSibling(int32_t first, std::string_view name) const {
  int32_t record = first;
  while (record != 0 && !NameMatches(record, name)) {
    record = m_Positions[record].nextSibling;
  }
  return record;
}

bool XmlReader::FindElement(std::string_view name) {
  const int32_t first =
      m_Current != 0 ? m_Positions[m_Current].nextSibling : m_Positions[m_Parent].firstChild;
  const int32_t found = FindSibling(first, name);
  if (found == 0) {
    return false;
  }
  m_Current = found;
  m_Parent = m_Positions[found].parent;
  m_Child = 0;
  return true;
}

bool XmlReader::FindChildElement(std::string_view name) {
  if (m_Current == 0 && !FindElement()) {
    return false;
  }
  const int32_t first =
      m_Child != 0 ? m_Positions[m_Child].nextSibling : m_Positions[m_Current].firstChild;
  const int32_t found = FindSibling(first, name);
  if (found == 0) {
    return false;
  }
  m_Child = found;
  m_Current = m_Positions[found].parent;
  m_Parent = m_Positions[m_Current].parent;
  return true;
}

bool XmlReader::EnterElement() {
  if (m_Current == 0) {
    return false;
  }
  m_Parent = m_Current;
  m_Current = m_Child;
  m_Child = 0;
  return true;
}

bool XmlReader::LeaveElement() {
  if (m_Parent == 0) {
    return false;
  }
  m_Child = m_Current;
  m_Current = m_Parent;
  m_Parent = m_Positions[m_Parent].parent;
  return true;
}

ByteString XmlReader::GetChildText() const {
  if (m_Child == 0) {
    return {};
  }
  const XmlElementPos& element = m_Positions[m_Child];
  if (element.firstChild != 0 || element.startTagClose == element.endTagOpen + 1) {
    return {};
  }
  const XmlScanner scan = Scanner();
  constexpr std::string_view kCdataStart = "<![CDATA[";
  int32_t i = element.startTagClose + 1;
  scan.SkipWhitespace(i);
  if (i + 11 < element.endTagOpen &&
      std::string_view(scan.Text() + i, kCdataStart.size()) == kCdataStart) {
    const int32_t contentStart = i + static_cast<int32_t>(kCdataStart.size());
    const int32_t end = scan.Find("]]>", contentStart);
    if (end >= 0 && end < element.endTagOpen) {
      return ByteString(scan.Text() + contentStart, static_cast<size_t>(end - contentStart));
    }
  }
  return DecodeXmlText(scan.Text(), element.startTagClose + 1, element.endTagOpen - 1);
}

bool XmlReader::GetChildTextByName(std::string_view name, ByteString& text) {
  m_Child = 0;
  if (!FindChildElement(name)) {
    text.clear();
    return false;
  }
  text = GetChildText();
  return true;
}

ByteString XmlReader::GetChildTextByName(std::string_view name) {
  ByteString text;
  GetChildTextByName(name, text);
  return text;
}

}  // namespace linkwright
