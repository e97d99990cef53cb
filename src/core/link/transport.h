#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "byte_string.h"
#include "error.h"
#include "link/link_state.h"
#include "link/serial/serial_lines.h"
#include "link/wait_handle.h"

namespace linkwright {

// What one poll of a transport brought, besides the bytes.
struct Arrival {
  ByteString bytes;
  // Where the bytes of a new peer begin (a TCP peer taken in, a datagram from another sender):
  // a packet the previous peer began does not go on there. Nothing when the peer stayed.
  std::optional<size_t> newPeerAt;
  // The bytes are one whole message (an Xmodem transfer), not a piece of a stream.
  bool wholeMessage = false;
  // Connections closed at once because a peer was already connected.
  int refusedPeers = 0;
  // The link is gone (the line hung up, the server closed the connection); LastError says why.
  bool lost = false;
  // A change of the link that the trace reports on a line of its own: a serial device went away
  // and is waited for, or came back. Empty when nothing changed.
  std::string report;
};

// How a transport's sends show in the trace.
enum class SendTracing {
  kSentLine,      // the message as a sent line once the transport took it
  kExchange,      // the message as a sent line before the exchange, then the reply lines
  kResponseOnly,  // the response lines only
};

// Progress of a long transfer (blocks done, total blocks or 0 when unknown), and the check a
// transfer or an exchange makes between its steps to learn whether it should stop.
struct TransferMonitor {
  std::function<void(int done, int total)> progress;
  std::function<bool()> cancelled;
};

// True when the monitor has a cancel check and it says stop.
inline bool IsCancelled(const TransferMonitor& monitor) {
  return monitor.cancelled && monitor.cancelled();
}

// The longest an exchange waits for its peer without asking `cancelled` again, so that a stop
// request is followed soon whatever the response time-out.
inline constexpr std::chrono::milliseconds kCancelCheckPeriod{100};

// One kind of link: serial line, TCP server or client, UDP server or client, HTTP, Xmodem. The
// link controller holds the one it opened and talks to every kind through these calls; the
// settings are read when a call needs them. No call blocks without a bound. Why the last call
// failed is its LastError.
class Transport : public LastErrorHolder {
 public:
  virtual ~Transport() = default;

  // False, with LastError telling why, when the link did not open.
  virtual bool Open() = 0;
  // False when the link refused to close; it then counts as still open.
  virtual bool Close() = 0;
  virtual bool IsOpen() const = 0;

  // Sends the whole message, or fails with LastError telling why.
  virtual bool Send(const ByteString& message) = 0;
  // Between StartGathering and EndGathering a transport may keep sent messages back and send
  // them together when the gathering ends, so a burst of short messages costs one system call.
  // Transports without this send each message at once. EndGathering fails, with LastError
  // telling why, when what was kept did not go out.
  virtual void StartGathering() {}
  virtual bool EndGathering() { return true; }
  // Everything waiting, without waiting, up to about `limit` bytes.
  virtual Arrival TakeWaiting(size_t limit) = 0;
  // The handles that turn readable when TakeWaiting has something to take: bytes, a peer to
  // take in, a hang-up. Empty while closed, and for links whose replies come within the send
  // (UDP client, HTTP).
  virtual std::vector<WaitHandle> WaitHandles() { return {}; }

  // The one-line description the status shows, and the link's state.
  virtual std::string Description() const = 0;
  virtual LinkState State() const = 0;

  virtual SendTracing Tracing() const { return SendTracing::kSentLine; }
  // The received lines of the last exchange (kExchange, kResponseOnly), each traced as a line.
  virtual std::vector<ByteString> TakeReply() { return {}; }
  // Closes the connection to the peer only, where a server has one; false when there is none.
  virtual bool DropPeer() { return false; }
  // Serial links: runs a command on the control lines (see SerialPort::ApplyLineCommand).
  // Other links have none and fail.
  virtual bool ApplyLineCommand(const LineCommand& /*command*/) {
    return Fail(ErrorKind::kState, "the link has no serial control lines");
  }
  // Serial links: the input lines; nothing for other links and devices without modem lines.
  virtual std::optional<ModemStatus> ReadModemStatus() const { return std::nullopt; }
  // Where a transfer reports progress and asks whether to stop; used by transports whose
  // transfers or exchanges wait for the peer.
  void SetMonitor(const TransferMonitor& monitor) { m_Monitor = monitor; }

 protected:
  // Fails an exchange that waited for `awaited`: when the monitor said stop, the stop is the
  // reason, else `reason`.
  bool FailExchange(const std::string& awaited, Error reason) {
    if (IsCancelled(m_Monitor)) {
      return Fail(ErrorKind::kStopped, "stopped while waiting for " + awaited);
    }
    return Fail(std::move(reason));
  }

  const TransferMonitor& Monitor() const { return m_Monitor; }

 private:
  TransferMonitor m_Monitor;
};

}  // namespace linkwright
