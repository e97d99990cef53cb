#include <cstddef>
#include <cstdint>

#include "xml/xml_reader.h"

namespace linkwright {

// Parses arbitrary bytes, then visits every element depth first and reads its text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  XmlReader reader;
  if (!reader.SetText(ByteString(reinterpret_cast<const char*>(data), size))) {
    return 0;
  }
  int depth = 0;
  for (;;) {
    if (reader.FindChildElement()) {
      // Decoding never lengthens text: every entity or reference is longer than its bytes.
      if (reader.GetChildText().size() > size) {
        __builtin_trap();
      }
      if (reader.EnterElement()) {
        ++depth;
      }
      continue;
    }
    if (depth == 0 || !reader.LeaveElement()) {
      break;
    }
    --depth;
  }
  reader.GetChildTextByName("row");
  return 0;
}

}  // namespace linkwright
