#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/xmodem/xmodem_engine.h"

namespace linkwright {

namespace {

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

// A hostile sender: the input bytes arrive one by one, and once they are used up every wait
// times out at once, so no run can hang. A 0xFF byte after 0xFE reads as a reception error.
class HostileLine : public ByteChannel {
 public:
  HostileLine(const uint8_t* next, const uint8_t* end) : m_Next(next), m_End(end) {}

  bool WriteByte(uint8_t /*byte*/) override { return true; }

  Read ReadByte(int32_t /*timeoutMs*/, uint8_t& byte) override {
    if (m_Next == m_End) {
      return Read::kNothing;
    }
    byte = *m_Next++;
    if (byte == 0xFE && m_Next != m_End && *m_Next == 0xFF) {
      ++m_Next;
      return Read::kFailed;
    }
    return Read::kByte;
  }

 private:
  const uint8_t* m_Next;
  const uint8_t* m_End;
};

}  // namespace

// The first two bytes choose the buffer size (up to 4 KiB); the rest is what the sender sends.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) {
    return 0;
  }
  const auto capacity = static_cast<int>(((data[0] << 8) | data[1]) & 0x0FFF);
  HostileLine line(data + 2, data + size);
  XmodemEngine engine(line, false);
  // Progress never claims more bytes than the buffer holds, and every outcome has a text.
  engine.SetHooks(
      {[capacity](int /*blocks*/, int bytes) { Check(bytes >= 0 && bytes <= capacity); },
       [](const std::string& text) { Check(!text.empty()); }, nullptr});
  // Exactly the buffer's size, so that any write past it is caught.
  ByteString buffer(static_cast<size_t>(capacity), '\0');
  const bool received = engine.Receive(buffer);
  Check(received != engine.LastError().Failed());
  Check(buffer.size() == static_cast<size_t>(capacity));
  return 0;
}

}  // namespace linkwright
