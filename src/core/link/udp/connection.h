#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "byte_string.h"
#include "error.h"

namespace linkwright {

// A request/response connection: open/closed state, a receive buffer that collects incoming
// bytes across reads, and the command exchange `SendCommand` (send, then poll for a reply framed
// by an opener and a closer until a time-out). Derived classes supply the four transport
// primitives. Every byte sent and received leaves a line in the diagnostic log. Why the last
// operation failed is its LastError.
class Connection : public LastErrorHolder {
 public:
  Connection();
  virtual ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // False at once when already open. Otherwise opens the transport; on success the connection
  // counts as open and pending input is discarded. Returns the transport's result.
  bool Open();
  // False when not open. Otherwise closes the transport; on success the connection is closed.
  bool Close();
  bool IsOpen() const { return m_IsOpen; }

  // Sends `length` bytes of `data`; a negative length sends up to the first 0x00 byte. False
  // without a log line when closed; otherwise writes the "<Tx" line (level " " on success, "E"
  // on failure) for a non-empty send and returns the transport's result.
  bool Send(const char* data, int32_t length);

  // Reads what is waiting (one transport read) into the receive buffer and returns the number of
  // new bytes: 0 when none came, and also when the connection is closed or the read failed,
  // with LastError telling why. A buffer already above 4096 bytes is emptied first, with a
  // warning line.
  size_t Receive();

  // Cuts a reply out of the receive buffer. With an opener or a closer: the bytes between the
  // first opener (an empty one matches at the start) and the next closer (an empty one matches
  // at once); `consume` removes everything up to and including the closer. With neither: the
  // whole non-empty buffer, emptied when consuming. `reply` is assigned in every case (empty
  // when nothing was found); the result tells whether a reply was found.
  bool ExtractReply(const ByteString& opener, const ByteString& closer, ByteString& reply,
                    bool consume);

  // Discards input, sends `command` and waits for a reply framed by `opener` and `closer`
  // (nullopt stands for an absent value and behaves as empty) for at most the time-out. The
  // wait is split into polls (see SetPollInterval): each poll reads once and, when that brought
  // no reply, waits up to one pause for more input, until the time-out has passed; one last read
  // follows the last pause. However many reads stray input takes, the reply counts when it comes
  // within the time-out. A cancel check (SetCancelCheck) that says stop ends the wait as a
  // failure. Writes the "Connection::SendCommand()" progress lines. `reply` is meaningful only when
  // the result is true; a failure leaves LastError telling why.
  bool SendCommand(const ByteString& command, const std::optional<ByteString>& opener,
                   const std::optional<ByteString>& closer, ByteString& reply);

  // Size of one transport read; n <= 0 is ignored. The default is 1024.
  void SetChunkSize(int32_t n);
  int32_t ChunkSize() const { return m_ChunkSize; }

  // Total time in milliseconds that SendCommand waits for a reply (default 1000).
  void SetTimeout(int32_t milliseconds) { m_Timeout = milliseconds; }
  int32_t Timeout() const { return m_Timeout; }

  // Longest pause in milliseconds between two reply polls (at least 1). 0 or less (the default)
  // means a tenth of the time-out.
  void SetPollInterval(int32_t milliseconds) { m_PollInterval = milliseconds; }
  int32_t PollInterval() const { return m_PollInterval; }

  // Asked between two reply polls of SendCommand, which gives up as soon as it returns true;
  // the pauses between polls are then no longer than `period`.
  void SetCancelCheck(std::function<bool()> cancelled, std::chrono::milliseconds period) {
    m_Cancelled = std::move(cancelled);
    m_CancelCheckPeriod = period;
  }

  // Bytes received and not yet taken as a reply.
  const ByteString& RxBuffer() const { return m_RxBuffer; }

 protected:
  // Empties the input side before a command goes out: reads (and logs) what is pending, then
  // empties the receive buffer.
  virtual void DiscardInput();
  virtual bool DoOpen() = 0;
  virtual bool DoClose() = 0;
  // Sends all `length` bytes (length >= 0); false on a transport error.
  virtual bool DoSend(const char* data, int32_t length) = 0;
  // Reads whatever is waiting into the chunk without blocking and sets `received` to the number
  // of bytes read, 0 when nothing is waiting; false on a transport error.
  virtual bool DoReceive(size_t& received) = 0;
  // Returns when input is waiting or after `milliseconds`, whichever comes first. This version
  // cannot see input and just sleeps.
  virtual void WaitForInput(int32_t milliseconds);

  // Target of one DoReceive: at least ChunkSize() bytes; a transport may enlarge it to take a
  // whole datagram.
  std::vector<char>& Chunk() { return m_Chunk; }

  ByteString m_RxBuffer;

 private:
  bool PollForReply(const ByteString& opener, const ByteString& closer, ByteString& reply);

  bool m_IsOpen = false;
  int32_t m_Timeout = 1000;
  int32_t m_PollInterval = 0;
  int32_t m_ChunkSize = 0;
  std::vector<char> m_Chunk;
  std::function<bool()> m_Cancelled;
  std::chrono::milliseconds m_CancelCheckPeriod{0};
};

}  // namespace linkwright
