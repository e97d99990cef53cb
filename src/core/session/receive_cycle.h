#pragma once

#include <functional>
#include <vector>

#include "byte_string.h"
#include "session/packet_cutter.h"

class CConfiguration;
class CLinkController;

// The one place where incoming bytes enter the tool. Each tick takes what the link received,
// shows it in the trace, cuts it into packets by "PacketOpener", "PacketCloser" and
// "PacketBreakTimeout" (section "Connection", read on every tick) and offers each packet, in
// order, to a handler (AutoReply). The packet-building buffer is the link controller's
// m_RxPacket, stamped in m_LastRxTick.
//
// Every complete packet in the buffer is cut in the same tick; the bytes after the last closer
// stay as the start of the next packet, while bytes before an opener go with the packet cut
// after them. The trace shows every received byte once, in order, with a line end after each
// packet whose closer arrived in this tick. In mode
// Xmodem every chunk is one packet. The buffer keeps at most kMaxRxPacket bytes: beyond that
// the oldest go, with a warning.
class ReceiveCycle {
 public:
  using PacketHandler = std::function<void(const ByteString& packet)>;

  static constexpr size_t kMaxRxPacket = 1 << 20;

  explicit ReceiveCycle(const CConfiguration& config);

  // One tick of the receive-polling timer; the trace goes to the link's trace writer.
  void ReceiveTick(CLinkController& link, const PacketHandler& offer);

 private:
  std::vector<ByteString> TakeArrivedPackets(CLinkController& link, const ByteString& chunk);
  std::vector<ByteString> CutPackets(CLinkController& link, const ByteString& chunk);
  std::vector<ByteString> TakeTimedOutPacket(CLinkController& link);

  const CConfiguration& m_Config;
  PacketCutter m_Cutter;
};
