#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "byte_string.h"

namespace linkwright {

// Splits an HTTP response arriving as a byte stream into its header and body. The header ends
// with the line feed that closes an empty line (a bare LF LF ends it as well as CR LF CR LF; a
// stream that starts with a line feed has a header of that one byte). When the header announces
// a Content-Length the body ends after that many bytes; otherwise it ends with the stream.
class HttpResponseReader {
 public:
  // Takes the next bytes of the stream and returns how many it used: all of them, except bytes
  // that come after a body of announced length is complete.
  size_t Take(std::string_view bytes);

  bool HeaderComplete() const { return m_HeaderComplete; }
  // True once a body of announced length has come whole; a body without a length is never
  // complete (it ends when the stream ends).
  bool BodyComplete() const;

  // The body length the header announced; nothing before the header is complete or when it
  // announced none.
  const std::optional<uint64_t>& ContentLength() const { return m_ContentLength; }

  const ByteString& Header() const { return m_Header; }
  const ByteString& Body() const { return m_Body; }

 private:
  size_t TakeHeader(std::string_view bytes);
  size_t TakeBody(std::string_view bytes);

  ByteString m_Header;
  ByteString m_Body;
  bool m_HeaderComplete = false;
  // Characters other than CR and LF since the last line feed of the header.
  size_t m_LineLength = 0;
  std::optional<uint64_t> m_ContentLength;
};

// The body length a response header announces: the value of its Content-Length field (name
// matched without regard to case), when there is exactly one distinct, well-formed value.
std::optional<uint64_t> AnnouncedContentLength(std::string_view header);

}  // namespace linkwright
