#include "link/xmodem/xmodem_transport.h"

#include <algorithm>
#include <vector>

namespace {

// An Xmodem reception goes into a buffer of this size; messages shorter than the threshold
// are sent in 16-byte blocks, longer ones in 128-byte blocks.
constexpr size_t kXmodemReceiveBuffer = 2049;
constexpr size_t kXmodemShortMessage = 64;
constexpr char kXmodemPadding = 0x1A;

// The text of an Xmodem reception: up to the first 0x00; without one, up to the first padding
// byte; without either, all but the last byte.
ByteString XmodemText(const std::vector<char>& buffer) {
  auto end = std::find(buffer.begin(), buffer.end(), '\0');
  if (end == buffer.end()) {
    end = std::find(buffer.begin(), buffer.end(), kXmodemPadding);
  }
  if (end == buffer.end()) {
    end = buffer.end() - 1;
  }
  return ByteString(buffer.begin(), end);
}

}  // namespace

XmodemTransport::~XmodemTransport() {
  m_Xmodem.Release();
}

bool XmodemTransport::Open() {
  if (!SerialTransport::Open()) {
    return false;
  }
  m_Xmodem.Bind(&m_SerialPort, &XmodemTransport::ReportProgress, this,
                &XmodemTransport::CheckCancel, 0, true);
  return true;
}

bool XmodemTransport::Close() {
  m_Xmodem.Release();
  return SerialTransport::Close();
}

bool XmodemTransport::Send(const ByteString& message) {
  const int32_t blockSize = message.size() < kXmodemShortMessage ? 16 : 128;
  const int32_t length = static_cast<int32_t>(message.size());
  m_TotalBlocks = (length + blockSize - 1) / blockSize;
  const bool sent = m_Xmodem.Transmit(blockSize, message.data(), length);
  return Check(sent,
               std::string("Xmodem transfer failed: ") + XmodemMessage(m_Xmodem.LastResult()));
}

Arrival XmodemTransport::TakeWaiting(size_t /*limit*/) {
  // A byte on the idle line announces a sender; the byte itself is not data.
  if (m_SerialPort.ReadByte() < 0) {
    return NothingWaiting();
  }
  m_TotalBlocks = 0;
  std::vector<char> buffer(kXmodemReceiveBuffer);
  Arrival arrival;
  arrival.wholeMessage = true;
  if (m_Xmodem.Receive(buffer.data(), static_cast<int32_t>(buffer.size()))) {
    arrival.bytes = XmodemText(buffer);
  }
  return arrival;
}

void XmodemTransport::ReportProgress(void* self, std::int32_t blocks, std::int32_t /*bytes*/,
                                     const char* /*message*/) {
  auto& transport = *static_cast<XmodemTransport*>(self);
  // Messages come with a block count of -1; only progress is passed on.
  if (blocks >= 0 && transport.Monitor().progress) {
    transport.Monitor().progress(blocks, transport.m_TotalBlocks);
  }
}

std::int32_t XmodemTransport::CheckCancel(void* self) {
  const auto& transport = *static_cast<XmodemTransport*>(self);
  return IsCancelled(transport.Monitor()) ? 1 : 0;
}
