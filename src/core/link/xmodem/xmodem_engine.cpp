#include "link/xmodem/xmodem_engine.h"

#include <algorithm>
#include <boost/crc.hpp>
#include <chrono>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

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
constexpr std::uint8_t kPadding = 0x1A;
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

constexpr const char* kMessages[] = {
    "Transmission Successful",
    "Receiver cancelled the transfer",
    "Sender cancelled the transfer",
    "User cancelled the transfer",
    "Buffer pointer is NULL",
    "Char number pointer is NULL",
    "Timed out waiting for data pack ACK",
    "Timed out waiting for initial NAK",
    "Timed out waiting for SOH",
    "Timed out waiting for data",
    "Timed out waiting for final ACK",
    "Invalid char waiting for SOH",
    "Block mismatch in packet header",
    "CRC is incorrect",
    "Checksum is incorrect",
    "Block out of sequence",
    "Received character error",
    "Modem is not online",
    "Nak Received",
    "Receiver do not respond to Wakeup",
    "Buffer is too small",
    "Null Handle passed to Xmodem functions",
    "Already Busy",
};

void IgnoreStatus(void*, std::int32_t, std::int32_t, const char*) {}
std::int32_t NeverCancel(void*) {
  return 0;
}

// Header byte and data size of a block.
struct BlockKind {
  std::uint8_t header;
  std::int32_t size;
};

BlockKind BlockKindForSize(std::int32_t blockSize) {
  if (blockSize == 1024) {
    return {kStx, 1024};
  }
  if (blockSize == 128) {
    return {kSoh, 128};
  }
  return {kShortBlock, 16};
}

// The data size a header byte announces, or 0 for any other byte.
std::int32_t BlockSizeForHeader(std::int32_t header) {
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
std::vector<std::uint8_t> BlockCheck(const std::uint8_t* data, std::int32_t size, bool crc) {
  if (!crc) {
    std::uint8_t sum = 0;
    for (std::int32_t i = 0; i < size; ++i) {
      sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    return {sum};
  }
  boost::crc_optimal<16, 0x1021, 0, 0, false, false> crc16;
  crc16.process_bytes(data, static_cast<std::size_t>(size));
  const auto value = crc16.checksum();
  return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF)};
}

// One transfer over an engine: the byte primitives and both directions of the protocol.
class Transfer {
 public:
  explicit Transfer(XmodemEngine& engine) : m_Engine(engine) {}

  std::int32_t Transmit(std::int32_t blockSize, const std::uint8_t* data, std::int32_t length);
  std::int32_t Receive(std::uint8_t* buffer, std::int32_t size);

 private:
  bool Put(std::uint8_t byte) { return m_Engine.m_PutByte(m_Engine.m_UserData, byte) == 0; }
  bool PutAll(const std::vector<std::uint8_t>& bytes);

  // The next byte or -1 on time-out; error tells of a reception error.
  std::int32_t Get(std::int32_t timeoutMs, bool& error) {
    std::int32_t failed = 0;
    const std::int32_t byte = m_Engine.m_GetByte(m_Engine.m_UserData, timeoutMs, &failed);
    error = failed != 0;
    return error ? -1 : byte;
  }

  void Drain() {
    bool error = false;
    for (int taken = 0; taken < kMaxDrainBytes && Get(0, error) >= 0; ++taken) {
    }
  }

  bool CancelRequested() {
    return (m_Engine.m_Flags & kXmodemCancelRequested) != 0 ||
           m_Engine.m_CancelCheck(m_Engine.m_UserData) != 0;
  }

  // Tells the peer the transfer is over: CAN eight times, then BS eight times to wipe them off
  // a terminal screen.
  void SendCancelSequence() {
    for (int i = 0; i < kCancelRepeat; ++i) {
      Put(kCan);
    }
    for (int i = 0; i < kCancelRepeat; ++i) {
      Put(kBackspace);
    }
  }

  std::int32_t CancelWith(std::int32_t code) {
    SendCancelSequence();
    return code;
  }

  void Report(std::int32_t code) {
    m_Engine.m_Status(m_Engine.m_UserData, -1, -1, XmodemMessage(code));
  }

  void Progress(std::int32_t blocks, std::int32_t bytes) {
    m_Engine.m_Status(m_Engine.m_UserData, blocks, bytes, "");
  }

  std::int32_t AwaitStart(bool& crc);
  std::int32_t SendBlock(const std::vector<std::uint8_t>& block);
  std::int32_t AwaitBlockAnswer();
  std::int32_t FinishTransmission();

  std::int32_t Handshake(std::uint8_t send, int tries, std::int32_t timeoutMs, bool acceptEot,
                         std::int32_t& answer);
  std::int32_t ReadBlock(std::int32_t size, bool crc, std::uint8_t& number,
                         std::vector<std::uint8_t>& data);

  XmodemEngine& m_Engine;
};

bool Transfer::PutAll(const std::vector<std::uint8_t>& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [this](std::uint8_t byte) { return Put(byte); });
}

// Waits for NAK (checksum) or "C" (CRC) from the receiver.
std::int32_t Transfer::AwaitStart(bool& crc) {
  bool sawCan = false;
  for (int invalid = 0; invalid < kStartInvalidLimit;) {
    bool restart = false;
    for (int wait = 0; wait < kStartWaitsPerCycle && !restart; ++wait) {
      if (m_Engine.m_WakeUp != 0 && !Put(kWakeUp)) {
        return CancelWith(kXmodemOffline);
      }
      bool error = false;
      const std::int32_t answer = Get(kStartWaitMs, error);
      if (error) {
        return CancelWith(kXmodemCharError);
      }
      if (answer < 0) {
        if (CancelRequested()) {
          return CancelWith(kXmodemUserCancelled);
        }
      } else if (answer == kNak || answer == kCrcRequest) {
        crc = answer == kCrcRequest;
        return kXmodemSuccess;
      } else if (answer == kCan) {
        if (sawCan) {
          return CancelWith(kXmodemReceiverCancelled);
        }
        sawCan = true;
      } else {
        ++invalid;
        sawCan = false;
        restart = true;
      }
    }
    if (!restart) {
      return CancelWith(kXmodemInitialNakTimeout);
    }
  }
  return kXmodemInitialNakTimeout;
}

// Waits for the answer to one block within one answer time, however many other characters come.
std::int32_t Transfer::AwaitBlockAnswer() {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kAnswerWaitMs);
  bool sawCan = false;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    bool error = false;
    const std::int32_t answer =
        left.count() > 0 ? Get(static_cast<std::int32_t>(left.count()), error) : -1;
    if (error) {
      Report(kXmodemCharError);
    } else if (answer < 0) {
      return kXmodemAckTimeout;
    } else if (answer == kAck) {
      return kXmodemSuccess;
    } else if (answer == kNak) {
      return kXmodemNakReceived;
    } else if (answer == kCan) {
      if (sawCan) {
        return kXmodemReceiverCancelled;
      }
      sawCan = true;
    } else {
      sawCan = false;
    }
  }
}

std::int32_t Transfer::SendBlock(const std::vector<std::uint8_t>& block) {
  for (int attempt = 0;; ++attempt) {
    if (attempt >= kMaxBlockAttempts) {
      return CancelWith(kXmodemAckTimeout);
    }
    if (CancelRequested()) {
      return CancelWith(kXmodemUserCancelled);
    }
    if (!PutAll(block)) {
      return kXmodemOffline;
    }
    const std::int32_t answer = AwaitBlockAnswer();
    if (answer == kXmodemSuccess) {
      return answer;
    }
    if (answer == kXmodemReceiverCancelled) {
      return CancelWith(answer);
    }
    Report(answer);
  }
}

std::int32_t Transfer::FinishTransmission() {
  for (int attempt = 0; attempt < kMaxEotAttempts; ++attempt) {
    if (!Put(kEot)) {
      return kXmodemOffline;
    }
    bool error = false;
    const std::int32_t answer = Get(kEotAnswerWaitMs, error);
    if (answer < 0 && !error) {
      return kXmodemFinalAckTimeout;
    }
    if (answer == kAck) {
      return kXmodemSuccess;
    }
  }
  return kXmodemFinalAckTimeout;
}

std::int32_t Transfer::Transmit(std::int32_t blockSize, const std::uint8_t* data,
                                std::int32_t length) {
  Progress(0, 0);
  Drain();
  bool crc = false;
  if (const std::int32_t code = AwaitStart(crc); code != kXmodemSuccess) {
    return code;
  }
  const BlockKind kind = BlockKindForSize(blockSize);
  std::uint8_t number = 1;
  std::int32_t blocks = 0;
  std::int32_t bytes = 0;
  for (std::int32_t offset = 0; offset < length; offset += kind.size) {
    std::vector<std::uint8_t> block = {kind.header, number,
                                       static_cast<std::uint8_t>(255 - number)};
    const std::int32_t taken = std::min(kind.size, length - offset);
    block.insert(block.end(), data + offset, data + offset + taken);
    block.resize(block.size() + static_cast<std::size_t>(kind.size - taken), kPadding);
    const auto check = BlockCheck(block.data() + 3, kind.size, crc);
    block.insert(block.end(), check.begin(), check.end());
    if (const std::int32_t code = SendBlock(block); code != kXmodemSuccess) {
      return code;
    }
    ++blocks;
    bytes += kind.size;
    Progress(blocks, bytes);
    ++number;
  }
  return FinishTransmission();
}

// Sends one character and waits for a block header (or EOT when acceptEot) in answer, trying
// again on silence or any other character.
std::int32_t Transfer::Handshake(std::uint8_t send, int tries, std::int32_t timeoutMs,
                                 bool acceptEot, std::int32_t& answer) {
  for (int attempt = 0; attempt < tries; ++attempt) {
    if (CancelRequested()) {
      return CancelWith(kXmodemUserCancelled);
    }
    if (!Put(send)) {
      return kXmodemOffline;
    }
    bool error = false;
    answer = Get(timeoutMs, error);
    if (error) {
      return kXmodemCharError;
    }
    if (answer == kCan || BlockSizeForHeader(answer) != 0 || (acceptEot && answer == kEot)) {
      return kXmodemSuccess;
    }
  }
  return kXmodemSohTimeout;
}

// Reads the rest of a block after its header, whole even when the number pair is already wrong,
// so that a retransmission starts on a clean line.
std::int32_t Transfer::ReadBlock(std::int32_t size, bool crc, std::uint8_t& number,
                                 std::vector<std::uint8_t>& data) {
  const std::size_t total = 2 + static_cast<std::size_t>(size) + (crc ? 2 : 1);
  std::vector<std::uint8_t> bytes;
  while (bytes.size() < total) {
    bool error = false;
    const std::int32_t byte = Get(kBlockByteWaitMs, error);
    if (error) {
      return kXmodemCharError;
    }
    if (byte < 0) {
      return kXmodemDataTimeout;
    }
    bytes.push_back(static_cast<std::uint8_t>(byte));
  }
  number = bytes[0];
  if (bytes[1] != 255 - number) {
    return kXmodemBlockMismatch;
  }
  data.assign(bytes.begin() + 2, bytes.begin() + 2 + size);
  if (BlockCheck(data.data(), size, crc) != std::vector(bytes.begin() + 2 + size, bytes.end())) {
    return crc ? kXmodemBadCrc : kXmodemBadChecksum;
  }
  return kXmodemSuccess;
}

std::int32_t Transfer::Receive(std::uint8_t* buffer, std::int32_t size) {
  std::memset(buffer, kPadding, static_cast<std::size_t>(size));
  Progress(0, 0);
  bool crc = true;
  std::int32_t answer = -1;
  std::int32_t code = Handshake(kCrcRequest, kCrcStartTries, kCrcStartWaitMs, false, answer);
  if (code == kXmodemSohTimeout) {
    crc = false;
    code = Handshake(kNak, kHandshakeTries, kHandshakeWaitMs, false, answer);
  }
  std::uint8_t expected = 1;
  std::uint8_t lastAccepted = 1;
  std::int32_t blocks = 0;
  std::int32_t bytes = 0;
  std::vector<std::uint8_t> data;
  // Bad blocks in a row; a sender that keeps sending garbage ends the reception.
  int failedAttempts = 0;
  while (code == kXmodemSuccess) {
    if (answer == kEot) {
      return Put(kAck) ? kXmodemSuccess : kXmodemOffline;
    }
    if (answer == kCan) {
      bool error = false;
      return Get(kSecondCanWaitMs, error) == kCan ? CancelWith(kXmodemSenderCancelled)
                                                  : kXmodemInvalidChar;
    }
    // The handshakes let only CAN, EOT and block headers through.
    const std::int32_t blockSize = BlockSizeForHeader(answer);
    std::uint8_t number = 0;
    if (const std::int32_t failed = ReadBlock(blockSize, crc, number, data);
        failed != kXmodemSuccess) {
      Report(failed);
      if (++failedAttempts >= kMaxBlockAttempts) {
        return CancelWith(failed);
      }
      Drain();
      code = Handshake(kNak, kHandshakeTries, kHandshakeWaitMs, true, answer);
      continue;
    }
    failedAttempts = 0;
    if (number == expected) {
      if (bytes + blockSize > size) {
        return CancelWith(kXmodemBufferTooSmall);
      }
      std::copy(data.begin(), data.end(), buffer + bytes);
      ++blocks;
      bytes += blockSize;
      Progress(blocks, bytes);
      lastAccepted = expected;
      ++expected;
    } else if (number != lastAccepted) {
      return CancelWith(kXmodemOutOfSequence);
    }
    code = Handshake(kAck, kHandshakeTries, kHandshakeWaitMs, true, answer);
  }
  return code;
}

// Runs one transfer with the busy flag set, then stores and reports its result.
template <typename Run>
std::int32_t RunTransfer(XmodemEngine& engine, std::int32_t busyFlag, Run run) {
  engine.m_Flags |= busyFlag;
  Transfer transfer(engine);
  const std::int32_t code = run(transfer);
  engine.m_Flags &= ~busyFlag;
  engine.m_LastResult = code;
  engine.m_Status(engine.m_UserData, -1, -1, XmodemMessage(code));
  return code;
}

bool IsBusy(const XmodemEngine& engine) {
  return (engine.m_Flags & (kXmodemReceiving | kXmodemSending)) != 0;
}

}  // namespace

const char* XmodemMessage(std::int32_t code) {
  return code >= 0 && code < static_cast<std::int32_t>(std::size(kMessages)) ? kMessages[code] : "";
}

XmodemEngine* XmodemCreate(XmodemPutByte putByte, XmodemGetByte getByte, XmodemStatus status,
                           XmodemCancelCheck cancelCheck, void* userData, std::int32_t wakeUp) {
  if (putByte == nullptr || getByte == nullptr) {
    return nullptr;
  }
  auto* engine = new (std::nothrow) XmodemEngine;
  if (engine != nullptr) {
    engine->m_UserData = userData;
    engine->m_PutByte = putByte;
    engine->m_GetByte = getByte;
    engine->m_Status = status != nullptr ? status : IgnoreStatus;
    engine->m_CancelCheck = cancelCheck != nullptr ? cancelCheck : NeverCancel;
    engine->m_WakeUp = wakeUp;
  }
  return engine;
}

std::int32_t XmodemDestroy(XmodemEngine* engine) {
  if (engine == nullptr) {
    return kXmodemNullHandle;
  }
  if (IsBusy(*engine)) {
    return kXmodemBusy;
  }
  delete engine;
  return kXmodemSuccess;
}

std::int32_t XmodemTransmit(XmodemEngine* engine, std::int32_t blockSize, const void* data,
                            std::int32_t length) {
  if (engine == nullptr) {
    return kXmodemNullHandle;
  }
  if (data == nullptr || length < 0) {
    return engine->m_LastResult = kXmodemNullBuffer;
  }
  if (IsBusy(*engine)) {
    return engine->m_LastResult = kXmodemBusy;
  }
  return RunTransfer(*engine, kXmodemSending, [&](Transfer& transfer) {
    return transfer.Transmit(blockSize, static_cast<const std::uint8_t*>(data), length);
  });
}

std::int32_t XmodemReceive(XmodemEngine* engine, void* buffer, std::int32_t size) {
  if (engine == nullptr) {
    return kXmodemNullHandle;
  }
  if (IsBusy(*engine)) {
    return engine->m_LastResult = kXmodemBusy;
  }
  if (buffer == nullptr || size < 0) {
    return engine->m_LastResult = kXmodemNullBuffer;
  }
  return RunTransfer(*engine, kXmodemReceiving, [&](Transfer& transfer) {
    return transfer.Receive(static_cast<std::uint8_t*>(buffer), size);
  });
}
