#pragma once

#include <chrono>
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
//
// A tick takes what is waiting chunk by chunk, each chunk cut, traced and its packets offered
// before the next is taken, until nothing more is waiting or kTickWorkLimit has passed; a
// stream is then not throttled by the polling period, and a tick stays short.
class ReceiveCycle {
 public:
  using PacketHandler = std::function<void(const ByteString& packet)>;

  static constexpr size_t kMaxRxPacket = 1 << 20;
  // A tick takes no further chunk once it has worked this long.
  static constexpr std::chrono::milliseconds kTickWorkLimit{5};

  explicit ReceiveCycle(const CConfiguration& config);

  // One tick of the receive-polling timer; the trace goes to the link's trace writer. True
  // when the tick stopped at kTickWorkLimit, so more may be waiting and the next tick is due at
  // once.
  bool ReceiveTick(CLinkController& link, const PacketHandler& offer);

 private:
  // What the link received, stamping m_LastRxTick when anything came.
  static ByteString ReceiveChunk(CLinkController& link);
  // Cuts the chunk and those still waiting behind it, until none is waiting or the deadline
  // has passed; true in the second case.
  bool TakeWaitingChunks(CLinkController& link, ByteString chunk,
                         std::chrono::steady_clock::time_point deadline,
                         const PacketHandler& offer);
  std::vector<ByteString> CutPackets(CLinkController& link, const ByteString& chunk);
  std::vector<ByteString> TakeTimedOutPacket(CLinkController& link);

  const CConfiguration& m_Config;
  PacketCutter m_Cutter;
};
