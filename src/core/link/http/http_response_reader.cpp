#include "link/http/http_response_reader.h"

#include <algorithm>

#include "ascii_text.h"

namespace linkwright {

namespace {

constexpr std::string_view kContentLengthName = "content-length";
// Larger values cannot be a real body length and would overflow the parse.
constexpr size_t kMaxLengthDigits = 18;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanksAndCr(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool NameIsContentLength(std::string_view name) {
  return EqualsIgnoringCase(name, kContentLengthName);
}

std::optional<uint64_t> ParseLength(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxLengthDigits) {
    return std::nullopt;
  }
  uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

std::optional<uint64_t> AnnouncedContentLength(std::string_view header) {
  std::optional<uint64_t> announced;
  while (!header.empty()) {
    const size_t lineEnd = std::min(header.find('\n'), header.size());
    const std::string_view line = header.substr(0, lineEnd);
    header.remove_prefix(std::min(lineEnd + 1, header.size()));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || !NameIsContentLength(line.substr(0, colon))) {
      continue;
    }
    const std::optional<uint64_t> value = ParseLength(TrimBlanksAndCr(line.substr(colon + 1)));
    if (!value || (announced && *announced != *value)) {
      return std::nullopt;
    }
    announced = value;
  }
  return announced;
}

size_t HttpResponseReader::Take(std::string_view bytes) {
  const size_t headerBytes = m_HeaderComplete ? 0 : TakeHeader(bytes);
  return headerBytes + TakeBody(bytes.substr(headerBytes));
}

bool HttpResponseReader::BodyComplete() const {
  return m_HeaderComplete && m_ContentLength && m_Body.size() >= *m_ContentLength;
}

size_t HttpResponseReader::TakeHeader(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char byte = bytes[i];
    if (byte != '\n') {
      m_LineLength += byte != '\r';
      continue;
    }
    if (m_LineLength == 0) {
      m_Header.append(bytes.substr(0, i + 1));
      m_HeaderComplete = true;
      m_ContentLength = AnnouncedContentLength(m_Header);
      return i + 1;
    }
    m_LineLength = 0;
  }
  m_Header.append(bytes);
  return bytes.size();
}

size_t HttpResponseReader::TakeBody(std::string_view bytes) {
  if (!m_HeaderComplete) {
    return 0;
  }
  size_t room = bytes.size();
  if (m_ContentLength) {
    room = static_cast<size_t>(std::min<uint64_t>(
        room, *m_ContentLength - std::min<uint64_t>(*m_ContentLength, m_Body.size())));
  }
  m_Body.append(bytes.substr(0, room));
  return room;
}

}  // namespace linkwright
