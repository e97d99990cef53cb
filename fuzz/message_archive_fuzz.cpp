#include "message_round_trip.h"

namespace linkwright {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadAndCheckRoundTrip(MessageFileFormat::kArchive, data, size);
  return 0;
}

}  // namespace linkwright
