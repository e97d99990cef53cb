#include "link/xmodem/xmodem_transport.h"

#include <algorithm>

namespace linkwright {

namespace {

// An Xmodem reception goes into a buffer of this size; messages shorter than the threshold
// are sent in 16-byte blocks, longer ones in 128-byte blocks.
constexpr size_t kXmodemReceiveBuffer = 2049;
constexpr size_t kXmodemShortMessage = 64;
constexpr char kXmodemPadding = 0x1A;
// The message a transport sends when it is not open, as the engine named it.
constexpr const char* kNotOpen = "Null Handle passed to Xmodem functions";

// The text of an Xmodem reception: up to the first 0x00; without one, up to the first padding
// byte; without either, all but the last byte.
ByteString XmodemText(const ByteString& buffer) {
  auto end = std::find(buffer.begin(), buffer.end(), '\0');
  if (end == buffer.end()) {
    end = std::find(buffer.begin(), buffer.end(), kXmodemPadding);
  }
  if (end == buffer.end()) {
    end = buffer.end() - 1;
  }
  return {buffer.begin(), end};
}

}  // namespace

XmodemTransport::XmodemTransport(const Configuration& config)
    : SerialTransport(config), m_Channel(m_SerialPort), m_Xmodem(m_Channel, true) {
  m_Xmodem.SetHooks({[this](int blocks, int /*bytes*/) { ReportProgress(blocks); }, nullptr,
                     [this] { return IsCancelled(Monitor()); }});
}

bool XmodemTransport::Send(const ByteString& message) {
  const int blockSize = message.size() < kXmodemShortMessage ? 16 : 128;
  m_TotalBlocks = static_cast<int>((message.size() + blockSize - 1) / blockSize);
  if (!IsOpen()) {
    return FailTransfer({ErrorKind::kState, kNotOpen});
  }
  return m_Xmodem.Transmit(blockSize, message) || FailTransfer(m_Xmodem.LastError());
}

Arrival XmodemTransport::TakeWaiting(size_t /*limit*/) {
  // A byte on the idle line announces a sender; the byte itself is not data.
  if (!m_SerialPort.ReadByte()) {
    return NothingWaiting();
  }
  m_TotalBlocks = 0;
  ByteString buffer(kXmodemReceiveBuffer, '\0');
  Arrival arrival;
  arrival.wholeMessage = true;
  if (m_Xmodem.Receive(buffer)) {
    arrival.bytes = XmodemText(buffer);
  }
  return arrival;
}

bool XmodemTransport::FailTransfer(const Error& reason) {
  return Fail(reason.Kind(), "Xmodem transfer failed: " + reason.Message());
}

void XmodemTransport::ReportProgress(int blocks) const {
  if (Monitor().progress) {
    Monitor().progress(blocks, m_TotalBlocks);
  }
}

}  // namespace linkwright
