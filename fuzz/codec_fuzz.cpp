#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/escape_codec.h"

namespace linkwright {

namespace {

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

ByteString DecodeStepByStep(const std::string& text) {
  ByteString bytes;
  size_t position = 0;
  while (position < text.size()) {
    bytes.push_back(ReadEscapedByte(text, position));
  }
  return bytes;
}

}  // namespace

// The input is used twice: as bytes to encode, and as escaped text to decode.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteString input(reinterpret_cast<const char*>(data), size);

  // Any bytes survive the all-hexadecimal form.
  Check(TextToBytes(BytesToText(input, true)) == input);

  // Decoded text survives it too, and decoding agrees with its single steps and with the
  // in-place form.
  ByteString decoded = TextToBytes(input);
  Check(TextToBytes(BytesToText(decoded, true)) == decoded);
  Check(decoded == DecodeStepByStep(input));
  std::string inPlace = input;
  TextToBytesInPlace(inPlace);
  Check(inPlace == decoded);

  // Without '[' nothing can spell an escape, so the symbol form gives the bytes back as well.
  if (input.find('[') == std::string::npos) {
    Check(TextToBytes(BytesToText(input, false)) == input);
  }
  return 0;
}

}  // namespace linkwright
