#pragma once

#include <chrono>
#include <string_view>
#include <vector>

#include "byte_string.h"
#include "session/packet_cutter.h"
#include "session/packet_list.h"

namespace linkwright {

class Configuration;
class TraceWriter;
struct Arrival;

// Where incoming bytes become packets. Each chunk the link received is shown in the trace and
// cut into packets by "PacketOpener", "PacketCloser" and "PacketBreakTimeout" (section
// "Connection", read for every chunk); the packets are handed back in order for the session to
// offer to AutoReply. The packet-building buffer is m_RxPacket; the time of its
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
// A receive tick takes what is waiting chunk by chunk, each chunk cut, traced and its packets
// answered before the next is taken, until nothing more is waiting or kTickWorkLimit has
// passed; a stream is then not throttled by the polling period, and a tick stays short.
class ReceiveCycle {
 public:
  using Clock = std::chrono::steady_clock;

  static constexpr size_t kMaxRxPacket = 1 << 20;
  // A tick takes no further chunk once it has worked this long.
  static constexpr std::chrono::milliseconds kTickWorkLimit{5};

  ReceiveCycle(const Configuration& config, TraceWriter& trace);

  // True when a poll of the link brought something to take: bytes, or a new peer.
  static bool Brings(const Arrival& arrival);
  // Traces and cuts what arrived at time `now`; the packets cut, in order.
  PacketList TakeArrival(const Arrival& arrival, Clock::time_point now);
  // On a tick that brought nothing: the packet that the break time-out ends, if any.
  PacketList TakeTimedOutPacket(Clock::time_point now);

  // The bytes of the packet being collected.
  const ByteString& RxPacket() const { return m_RxPacket; }
  // When m_RxPacket last changed (or the break time-out last looked at it).
  Clock::time_point LastRxTime() const { return m_LastRxTime; }
  // Packets cut since the cycle began.
  size_t PacketCount() const { return m_PacketCount; }

 private:
  PacketList Counted(PacketList packets);
  PacketList TakeArrivedPackets(const Arrival& arrival);
  // Adds the packets the chunk completes to `packets`.
  void CutPackets(std::string_view chunk, PacketList& packets);
  void StartNewPeer();
  // Ends the trace line on which the unfinished packet's pieces were shown.
  void EndTraceLine();

  const Configuration& m_Config;
  TraceWriter& m_Trace;
  PacketCutter m_Cutter;
  ByteString m_RxPacket;
  Clock::time_point m_LastRxTime;
  size_t m_PacketCount = 0;
};

}  // namespace linkwright
