#include "link/xmodem/xmodem_engine.h"

#include <algorithm>
#include <boost/crc.hpp>
#include <chrono>

namespace linkwright {

// How a transfer or one of its steps ended. kSuccess lets a step's caller go on.
enum class XmodemEngine::Outcome {
  kSuccess,
  kReceiverCancelled,
  kSenderCancelled,
  kUserCancelled,
  kAckTimeout,
  kInitialNakTimeout,
  kSohTimeout,
  kDataTimeout,
  kFinalAckTimeout,
  kInvalidChar,
  kBlockMismatch,
  kBadCrc,
  kBadChecksum,
  kOutOfSequence,
  kCharError,
  kOffline,
  kNakReceived,
  kBufferTooSmall,
  kBusy,
};

namespace {

constexpr std::uint8_t kSoh = 0x01;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kShortBlock = 0x16;
constexpr std::uint8_t kEot = 0x04;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kCan = 0x18;
constexpr std::uint8_t kCrcRequest = 'C';
constexpr std::uint8_t kBackspace = 0x08;
constexpr char kPadding = 0x1A;
constexpr std::uint8_t kWakeUp = 0xAA;

constexpr int kCancelRepeat = 8;
constexpr int kStartWaitsPerCycle = 6;
constexpr int kStartInvalidLimit = 5;
constexpr std::int32_t kStartWaitMs = 1000;
// Tries per block, in both directions: the first and ten retries.
constexpr int kMaxBlockAttempts = 11;
// Bytes one drain discards at most: more than the rest of the largest block (header, number
// pair, 1024 data bytes, CRC), so a line carrying a bad block's tail is cleared, while a peer
// that never stops sending cannot keep the drain going.
constexpr int kMaxDrainBytes = 4 * (3 + 1024 + 2);
constexpr std::int32_t kAnswerWaitMs = 10000;
constexpr std::int32_t kEotAnswerWaitMs = 6000;
// A receiver that answers every EOT with something other than ACK would otherwise keep the
// transmission going for ever.
constexpr int kMaxEotAttempts = 10;
constexpr std::int32_t kSecondCanWaitMs = 2000;
constexpr std::int32_t kBlockByteWaitMs = 1000;
// Receiver handshakes: the start in CRC mode, the start in checksum mode, and the answers to
// a block (ACK or NAK), each sent again on every try.
constexpr int kCrcStartTries = 4;
constexpr std::int32_t kCrcStartWaitMs = 500;
constexpr int kHandshakeTries = 10;
constexpr std::int32_t kHandshakeWaitMs = 1000;

// Header byte and data size of a block.
struct BlockKind {
  std::uint8_t header;
  int size;
};

BlockKind BlockKindForSize(int blockSize) {
  if (blockSize == 1024) {
    return {kStx, 1024};
  }
  if (blockSize == 128) {
    return {kSoh, 128};
  }
  return {kShortBlock, 16};
}

// The data size a header byte announces, or 0 for any other byte.
int BlockSizeForHeader(std::int32_t header) {
  switch (header) {
    case kSoh:
      return 128;
    case kStx:
      return 1024;
    case kShortBlock:
      return 16;
    default:
      return 0;
  }
}

// The check bytes behind a block's data: one checksum byte, or the CRC-16/XMODEM high first.
ByteString BlockCheck(const ByteString& data, bool crc) {
  if (!crc) {
    std::uint8_t sum = 0;
    for (const char byte : data) {
      sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(byte));
    }
    return ByteString(1, static_cast<char>(sum));
  }
  boost::crc_optimal<16, 0x1021, 0, 0, false, false> crc16;
  crc16.process_bytes(data.data(), data.size());
  const auto value = crc16.checksum();
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

}  // namespace

Error XmodemEngine::ErrorOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::kSuccess:
      return {};
    case Outcome::kReceiverCancelled:
      return {ErrorKind::kPeer, "Receiver cancelled the transfer"};
    case Outcome::kSenderCancelled:
      return {ErrorKind::kPeer, "Sender cancelled the transfer"};
    case Outcome::kUserCancelled:
      return {ErrorKind::kStopped, "User cancelled the transfer"};
    case Outcome::kAckTimeout:
      return {ErrorKind::kTimeout, "Timed out waiting for data pack ACK"};
    case Outcome::kInitialNakTimeout:
      return {ErrorKind::kTimeout, "Timed out waiting for initial NAK"};
    case Outcome::kSohTimeout:
      return {ErrorKind::kTimeout, "Timed out waiting for SOH"};
    case Outcome::kDataTimeout:
      return {ErrorKind::kTimeout, "Timed out waiting for data"};
    case Outcome::kFinalAckTimeout:
      return {ErrorKind::kTimeout, "Timed out waiting for final ACK"};
    case Outcome::kInvalidChar:
      return {ErrorKind::kPeer, "Invalid char waiting for SOH"};
    case Outcome::kBlockMismatch:
      return {ErrorKind::kPeer, "Block mismatch in packet header"};
    case Outcome::kBadCrc:
      return {ErrorKind::kPeer, "CRC is incorrect"};
    case Outcome::kBadChecksum:
      return {ErrorKind::kPeer, "Checksum is incorrect"};
    case Outcome::kOutOfSequence:
      return {ErrorKind::kPeer, "Block out of sequence"};
    case Outcome::kCharError:
      return {ErrorKind::kSystem, "Received character error"};
    case Outcome::kOffline:
      return {ErrorKind::kSystem, "Modem is not online"};
    case Outcome::kNakReceived:
      return {ErrorKind::kPeer, "Nak Received"};
    case Outcome::kBufferTooSmall:
      return {ErrorKind::kPeer, "Buffer is too small"};
    case Outcome::kBusy:
      return {ErrorKind::kState, "Already Busy"};
  }
  return {};
}

bool XmodemEngine::Transmit(int blockSize, const ByteString& data) {
  const Outcome outcome = Run([&] { return Send(blockSize, data); });
  return outcome == Outcome::kSuccess || Fail(ErrorOf(outcome));
}

bool XmodemEngine::Receive(ByteString& buffer) {
  const Outcome outcome = Run([&] { return Take(buffer); });
  return outcome == Outcome::kSuccess || Fail(ErrorOf(outcome));
}

// Runs one transfer, refusing a second one started from inside it, and reports its outcome.
XmodemEngine::Outcome XmodemEngine::Run(const std::function<Outcome()>& transfer) {
  if (m_Busy) {
    return Outcome::kBusy;
  }
  m_Busy = true;
  const Outcome outcome = transfer();
  m_Busy = false;
  Report(outcome);
  if (outcome == Outcome::kSuccess) {
    ClearError();
  }
  return outcome;
}

std::int32_t XmodemEngine::Get(std::int32_t timeoutMs, bool& error) {
  std::uint8_t byte = 0;
  const ByteChannel::Read read = m_Channel.ReadByte(timeoutMs, byte);
  error = read == ByteChannel::Read::kFailed;
  return read == ByteChannel::Read::kByte ? byte : -1;
}

void XmodemEngine::Drain() {
  bool error = false;
  for (int taken = 0; taken < kMaxDrainBytes && Get(0, error) >= 0; ++taken) {
  }
}

bool XmodemEngine::CancelRequested() const {
  return m_Hooks.cancelled && m_Hooks.cancelled();
}

// Tells the peer the transfer is over: CAN eight times, then BS eight times to wipe them off a
// terminal screen.
void XmodemEngine::SendCancelSequence() {
  for (int i = 0; i < kCancelRepeat; ++i) {
    Put(kCan);
  }
  for (int i = 0; i < kCancelRepeat; ++i) {
    Put(kBackspace);
  }
}

XmodemEngine::Outcome XmodemEngine::CancelWith(Outcome outcome) {
  SendCancelSequence();
  return outcome;
}

void XmodemEngine::Report(Outcome outcome) {
  if (m_Hooks.notice) {
    const Error error = ErrorOf(outcome);
    m_Hooks.notice(error.Failed() ? error.Message() : "Transmission Successful");
  }
}

void XmodemEngine::Progress(int blocks, int bytes) {
  if (m_Hooks.progress) {
    m_Hooks.progress(blocks, bytes);
  }
}

// Waits for NAK (checksum) or "C" (CRC) from the receiver.
XmodemEngine::Outcome XmodemEngine::AwaitStart(bool& crc) {
  bool sawCan = false;
  for (int invalid = 0; invalid < kStartInvalidLimit;) {
    bool restart = false;
    for (int wait = 0; wait < kStartWaitsPerCycle && !restart; ++wait) {
      if (m_WakeUp && !Put(kWakeUp)) {
        return CancelWith(Outcome::kOffline);
      }
      bool error = false;
      const std::int32_t answer = Get(kStartWaitMs, error);
      if (error) {
        return CancelWith(Outcome::kCharError);
      }
      if (answer < 0) {
        if (CancelRequested()) {
          return CancelWith(Outcome::kUserCancelled);
        }
      } else if (answer == kNak || answer == kCrcRequest) {
        crc = answer == kCrcRequest;
        return Outcome::kSuccess;
      } else if (answer == kCan) {
        if (sawCan) {
          return CancelWith(Outcome::kReceiverCancelled);
        }
        sawCan = true;
      } else {
        ++invalid;
        sawCan = false;
        restart = true;
      }
    }
    if (!restart) {
      return CancelWith(Outcome::kInitialNakTimeout);
    }
  }
  return Outcome::kInitialNakTimeout;
}

// Waits for the answer to one block within one answer time, however many other characters come.
XmodemEngine::Outcome XmodemEngine::AwaitBlockAnswer() {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kAnswerWaitMs);
  bool sawCan = false;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    bool error = false;
    const std::int32_t answer =
        left.count() > 0 ? Get(static_cast<std::int32_t>(left.count()), error) : -1;
    if (error) {
      Report(Outcome::kCharError);
    } else if (answer < 0) {
      return Outcome::kAckTimeout;
    } else if (answer == kAck) {
      return Outcome::kSuccess;
    } else if (answer == kNak) {
      return Outcome::kNakReceived;
    } else if (answer == kCan) {
      if (sawCan) {
        return Outcome::kReceiverCancelled;
      }
      sawCan = true;
    } else {
      sawCan = false;
    }
  }
}

XmodemEngine::Outcome XmodemEngine::SendBlock(const ByteString& block) {
  for (int attempt = 0;; ++attempt) {
    if (attempt >= kMaxBlockAttempts) {
      return CancelWith(Outcome::kAckTimeout);
    }
    if (CancelRequested()) {
      return CancelWith(Outcome::kUserCancelled);
    }
    if (!std::all_of(block.begin(), block.end(),
                     [this](char byte) { return Put(static_cast<std::uint8_t>(byte)); })) {
      return Outcome::kOffline;
    }
    const Outcome answer = AwaitBlockAnswer();
    if (answer == Outcome::kSuccess) {
      return answer;
    }
    if (answer == Outcome::kReceiverCancelled) {
      return CancelWith(answer);
    }
    Report(answer);
  }
}

XmodemEngine::Outcome XmodemEngine::FinishTransmission() {
  for (int attempt = 0; attempt < kMaxEotAttempts; ++attempt) {
    if (!Put(kEot)) {
      return Outcome::kOffline;
    }
    bool error = false;
    const std::int32_t answer = Get(kEotAnswerWaitMs, error);
    if (answer < 0 && !error) {
      return Outcome::kFinalAckTimeout;
    }
    if (answer == kAck) {
      return Outcome::kSuccess;
    }
  }
  return Outcome::kFinalAckTimeout;
}

XmodemEngine::Outcome XmodemEngine::Send(int blockSize, const ByteString& data) {
  Progress(0, 0);
  Drain();
  bool crc = false;
  if (const Outcome outcome = AwaitStart(crc); outcome != Outcome::kSuccess) {
    return outcome;
  }
  const BlockKind kind = BlockKindForSize(blockSize);
  std::uint8_t number = 1;
  int blocks = 0;
  for (size_t offset = 0; offset < data.size(); offset += static_cast<size_t>(kind.size)) {
    ByteString body = data.substr(offset, static_cast<size_t>(kind.size));
    body.resize(static_cast<size_t>(kind.size), kPadding);
    const ByteString header = {static_cast<char>(kind.header), static_cast<char>(number),
                               static_cast<char>(255 - number)};
    if (const Outcome outcome = SendBlock(header + body + BlockCheck(body, crc));
        outcome != Outcome::kSuccess) {
      return outcome;
    }
    ++blocks;
    Progress(blocks, blocks * kind.size);
    ++number;
  }
  return FinishTransmission();
}

// Sends one character and waits for a block header (or EOT when acceptEot) in answer, trying
// again on silence or any other character.
XmodemEngine::Outcome XmodemEngine::Handshake(std::uint8_t send, int tries, std::int32_t timeoutMs,
                                              bool acceptEot, std::int32_t& answer) {
  for (int attempt = 0; attempt < tries; ++attempt) {
    if (CancelRequested()) {
      return CancelWith(Outcome::kUserCancelled);
    }
    if (!Put(send)) {
      return Outcome::kOffline;
    }
    bool error = false;
    answer = Get(timeoutMs, error);
    if (error) {
      return Outcome::kCharError;
    }
    if (answer == kCan || BlockSizeForHeader(answer) != 0 || (acceptEot && answer == kEot)) {
      return Outcome::kSuccess;
    }
  }
  return Outcome::kSohTimeout;
}

// Reads the rest of a block after its header, whole even when the number pair is already wrong,
// so that a retransmission starts on a clean line.
XmodemEngine::Outcome XmodemEngine::ReadBlock(int size, bool crc, std::uint8_t& number,
                                              ByteString& data) {
  const size_t total = 2 + static_cast<size_t>(size) + (crc ? 2 : 1);
  ByteString bytes(total, '\0');
  for (char& slot : bytes) {
    bool error = false;
    const std::int32_t byte = Get(kBlockByteWaitMs, error);
    if (error) {
      return Outcome::kCharError;
    }
    if (byte < 0) {
      return Outcome::kDataTimeout;
    }
    slot = static_cast<char>(byte);
  }
  number = static_cast<std::uint8_t>(bytes[0]);
  if (static_cast<std::uint8_t>(bytes[1]) != 255 - number) {
    return Outcome::kBlockMismatch;
  }
  data = bytes.substr(2, static_cast<size_t>(size));
  if (BlockCheck(data, crc) != bytes.substr(2 + static_cast<size_t>(size))) {
    return crc ? Outcome::kBadCrc : Outcome::kBadChecksum;
  }
  return Outcome::kSuccess;
}

XmodemEngine::Outcome XmodemEngine::Take(ByteString& buffer) {
  std::fill(buffer.begin(), buffer.end(), kPadding);
  Progress(0, 0);
  bool crc = true;
  std::int32_t answer = -1;
  Outcome outcome = Handshake(kCrcRequest, kCrcStartTries, kCrcStartWaitMs, false, answer);
  if (outcome == Outcome::kSohTimeout) {
    crc = false;
    outcome = Handshake(kNak, kHandshakeTries, kHandshakeWaitMs, false, answer);
  }
  std::uint8_t expected = 1;
  std::uint8_t lastAccepted = 1;
  int blocks = 0;
  size_t bytes = 0;
  ByteString data;
  // Bad blocks in a row; a sender that keeps sending garbage ends the reception.
  int failedAttempts = 0;
  while (outcome == Outcome::kSuccess) {
    if (answer == kEot) {
      return Put(kAck) ? Outcome::kSuccess : Outcome::kOffline;
    }
    if (answer == kCan) {
      bool error = false;
      return Get(kSecondCanWaitMs, error) == kCan ? CancelWith(Outcome::kSenderCancelled)
                                                  : Outcome::kInvalidChar;
    }
    // The handshakes let only CAN, EOT and block headers through.
    const int blockSize = BlockSizeForHeader(answer);
    std::uint8_t number = 0;
    if (const Outcome failed = ReadBlock(blockSize, crc, number, data);
        failed != Outcome::kSuccess) {
      Report(failed);
      if (++failedAttempts >= kMaxBlockAttempts) {
        return CancelWith(failed);
      }
      Drain();
      outcome = Handshake(kNak, kHandshakeTries, kHandshakeWaitMs, true, answer);
      continue;
    }
    failedAttempts = 0;
    if (number == expected) {
      if (bytes + data.size() > buffer.size()) {
        return CancelWith(Outcome::kBufferTooSmall);
      }
      std::copy(data.begin(), data.end(), buffer.begin() + static_cast<std::ptrdiff_t>(bytes));
      ++blocks;
      bytes += data.size();
      Progress(blocks, static_cast<int>(bytes));
      lastAccepted = expected;
      ++expected;
    } else if (number != lastAccepted) {
      return CancelWith(Outcome::kOutOfSequence);
    }
    outcome = Handshake(kAck, kHandshakeTries, kHandshakeWaitMs, true, answer);
  }
  return outcome;
}

}  // namespace linkwright
