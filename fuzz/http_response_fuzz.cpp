#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/http/http_response_reader.h"

namespace linkwright {

namespace {

void Require(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

}  // namespace

// The first byte chooses how the rest is cut into reads, so chunk boundaries fall everywhere.
// Whatever the bytes, header followed by body must be exactly the bytes the reader took, a
// complete header must end with a line feed, and a finished body must stop taking bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  const size_t step = static_cast<size_t>(data[0] % 17) + 1;
  const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
  HttpResponseReader reader;
  size_t taken = 0;
  for (size_t at = 0; at < stream.size(); at += step) {
    const std::string_view piece = stream.substr(at, step);
    const bool wasComplete = reader.BodyComplete();
    const size_t used = reader.Take(piece);
    Require(used <= piece.size());
    Require(!wasComplete || used == 0);
    taken += used;
  }
  Require(reader.Header().size() + reader.Body().size() == taken);
  Require(stream.substr(0, reader.Header().size()) == reader.Header());
  Require(stream.substr(reader.Header().size(), reader.Body().size()) == reader.Body());
  Require(!reader.HeaderComplete() || reader.Header().back() == '\n');
  if (reader.HeaderComplete()) {
    const auto announced = AnnouncedContentLength(reader.Header());
    Require(!announced || reader.Body().size() <= *announced);
  }
  return 0;
}

}  // namespace linkwright
