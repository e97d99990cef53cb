#include "message_round_trip.h"

namespace linkwright {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadAndCheckRoundTrip(MessageFileFormat::kTextImport, data, size);
  return 0;
}

}  // namespace linkwright
