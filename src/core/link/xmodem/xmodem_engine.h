#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "byte_string.h"
#include "error.h"
#include "link/xmodem/byte_channel.h"

namespace linkwright {

// What a transfer tells while it runs, and what it asks; each may be left empty.
struct XmodemHooks {
  // Blocks and bytes done so far; bytes count whole blocks, padding included.
  std::function<void(int blocks, int bytes)> progress;
  // The text of an attempt that failed and is tried again, and of the transfer's outcome.
  std::function<void(const std::string& text)> notice;
  // Asked before each try and after each silent wait for the start; true stops the transfer.
  std::function<bool()> cancelled;
};

// Xmodem file transfer with 8-bit checksum or CRC-16, 128-byte (SOH), 1024-byte (STX) and
// 16-byte (0x16) blocks, over any byte channel. One transfer runs at a time; a failed one
// leaves its reason in LastError, with the engine's own texts ("Timed out waiting for SOH").
class XmodemEngine : public LastErrorHolder {
 public:
  // With `wakeUp` the byte 0xAA goes out before each wait for the receiver's start character.
  // The channel must outlive the engine.
  XmodemEngine(ByteChannel& channel, bool wakeUp) : m_Channel(channel), m_WakeUp(wakeUp) {}

  void SetHooks(XmodemHooks hooks) { m_Hooks = std::move(hooks); }

  // Sends `data` as one transfer. A block size of 1024 gives STX blocks, 128 SOH blocks, any
  // other value 16-byte blocks.
  bool Transmit(int blockSize, const ByteString& data);
  // Receives one transfer into `buffer`: it is filled with 0x1A first and takes at most its
  // size; more data than that ends the reception.
  bool Receive(ByteString& buffer);

 private:
  enum class Outcome;

  // What an outcome means to the code that reacts to it, and its text.
  static Error ErrorOf(Outcome outcome);
  Outcome Run(const std::function<Outcome()>& transfer);
  Outcome Send(int blockSize, const ByteString& data);
  Outcome Take(ByteString& buffer);

  bool Put(std::uint8_t byte) { return m_Channel.WriteByte(byte); }
  // The next byte, or -1 on time-out; `error` tells of a reception error.
  std::int32_t Get(std::int32_t timeoutMs, bool& error);
  void Drain();
  bool CancelRequested() const;
  void SendCancelSequence();
  Outcome CancelWith(Outcome outcome);
  void Report(Outcome outcome);
  void Progress(int blocks, int bytes);

  Outcome AwaitStart(bool& crc);
  Outcome SendBlock(const ByteString& block);
  Outcome AwaitBlockAnswer();
  Outcome FinishTransmission();
  Outcome Handshake(std::uint8_t send, int tries, std::int32_t timeoutMs, bool acceptEot,
                    std::int32_t& answer);
  Outcome ReadBlock(int size, bool crc, std::uint8_t& number, ByteString& data);

  ByteChannel& m_Channel;
  bool m_WakeUp;
  XmodemHooks m_Hooks;
  bool m_Busy = false;
};

}  // namespace linkwright
