#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "byte_string.h"
#include "session/packet_cutter.h"

class CConfiguration;
class CLinkController;
class TraceWriter;
struct Arrival;

// The one place where incoming bytes enter the tool. Each tick takes what the link received,
// shows it in the trace, cuts it into packets by "PacketOpener", "PacketCloser" and
// "PacketBreakTimeout" (section "Connection", read on every tick) and offers each packet, in
// order, to a handler (AutoReply). The packet-building buffer is m_RxPacket; the time of its
// last change is kept with it, on the clock the caller passes in.
//
// Every complete packet in the buffer is cut in the same tick; the bytes after the last closer
// stay as the start of the next packet, while bytes before an opener go with the packet cut
// after them. The trace shows every received byte once, in order, with a line end after each
// packet whose closer arrived in this tick. A transport that delivers whole messages (Xmodem)
// has every chunk taken as one packet. The bytes of a new peer, and the first bytes after the
// link opened, start with an empty buffer: what the previous peer left unfinished is dropped
// with a warning, and its trace line is ended. The buffer keeps at most kMaxRxPacket bytes: beyond
// that the oldest go, with a warning.
//
// A tick takes what is waiting chunk by chunk, each chunk cut, traced and its packets offered
// before the next is taken, until nothing more is waiting or kTickWorkLimit has passed; a
// stream is then not throttled by the polling period, and a tick stays short. The replies sent
// while a chunk's packets are offered leave together when the chunk is done.
class ReceiveCycle {
 public:
  using Clock = std::chrono::steady_clock;
  using PacketHandler = std::function<void(const ByteString& packet)>;

  static constexpr size_t kMaxRxPacket = 1 << 20;
  // A tick takes no further chunk once it has worked this long.
  static constexpr std::chrono::milliseconds kTickWorkLimit{5};

  ReceiveCycle(const CConfiguration& config, TraceWriter& trace);

  // One tick of the receive-polling timer at time `now`. True when the tick stopped at
  // kTickWorkLimit, so more may be waiting and the next tick is due at once.
  bool ReceiveTick(CLinkController& link, Clock::time_point now, const PacketHandler& offer);

  // The bytes of the packet being collected.
  const ByteString& RxPacket() const { return m_RxPacket; }
  // When m_RxPacket last changed (or the break time-out last looked at it).
  Clock::time_point LastRxTime() const { return m_LastRxTime; }
  // Packets cut since the cycle began.
  size_t PacketCount() const { return m_PacketCount; }

 private:
  void Offer(const std::vector<ByteString>& packets, const PacketHandler& offer);
  std::vector<ByteString> TakeArrivedPackets(const Arrival& arrival);
  std::vector<ByteString> CutPackets(const ByteString& chunk);
  std::vector<ByteString> TakeTimedOutPacket(Clock::time_point now);
  void StartNewPeer();
  // Ends the trace line on which the unfinished packet's pieces were shown.
  void EndTraceLine();

  const CConfiguration& m_Config;
  TraceWriter& m_Trace;
  PacketCutter m_Cutter;
  ByteString m_RxPacket;
  Clock::time_point m_LastRxTime;
  size_t m_PacketCount = 0;
};
