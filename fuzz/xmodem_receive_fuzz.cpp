#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/xmodem/xmodem_engine.h"

namespace {

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

// A hostile sender: the input bytes arrive one by one, and once they are used up every wait
// times out at once, so no run can hang. A 0xFF byte after 0xFE reads as a reception error.
struct HostileLine {
  const uint8_t* next;
  const uint8_t* end;
  int32_t capacity;
};

int32_t PutByte(void*, uint8_t) {
  return 0;
}

int32_t GetByte(void* self, int32_t, int32_t* error) {
  auto& line = *static_cast<HostileLine*>(self);
  *error = 0;
  if (line.next == line.end) {
    return -1;
  }
  const uint8_t byte = *line.next++;
  if (byte == 0xFE && line.next != line.end && *line.next == 0xFF) {
    ++line.next;
    *error = 1;
    return -1;
  }
  return byte;
}

// Progress never claims more bytes than the buffer holds.
void Status(void* self, int32_t blocks, int32_t bytes, const char* message) {
  Check(message != nullptr);
  if (blocks >= 0) {
    Check(bytes >= 0 && bytes <= static_cast<HostileLine*>(self)->capacity);
  }
}

}  // namespace

// The first two bytes choose the buffer size (up to 4 KiB); the rest is what the sender sends.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) {
    return 0;
  }
  const auto capacity = static_cast<int32_t>(((data[0] << 8) | data[1]) & 0x0FFF);
  HostileLine line{data + 2, data + size, capacity};
  XmodemEngine* engine = XmodemCreate(&PutByte, &GetByte, &Status, nullptr, &line, 0);
  Check(engine != nullptr);
  // Exactly the buffer's size, so that any write past it is caught.
  std::vector<uint8_t> buffer(static_cast<size_t>(capacity));
  const int32_t code = XmodemReceive(engine, buffer.data(), capacity);
  Check(code >= kXmodemSuccess && code <= kXmodemBusy);
  Check(engine->m_LastResult == code);
  Check(XmodemDestroy(engine) == kXmodemSuccess);
  return 0;
}
