#include "link/xmodem/xmodem_engine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kAck = "\x06";
const std::string kNak = "\x15";
const std::string kCan = "\x18";
const std::string kEot = "\x04";
const std::string kCancelSequence = std::string(8, '\x18') + std::string(8, '\x08');

// Bitwise CRC-16/XMODEM, written out independently of the engine.
std::uint16_t Crc16(const std::string& data) {
  std::uint16_t crc = 0;
  for (unsigned char byte : data) {
    crc ^= static_cast<std::uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) != 0 ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                                : static_cast<std::uint16_t>(crc << 1);
    }
  }
  return crc;
}

std::string Check(const std::string& data, bool crc) {
  if (crc) {
    const std::uint16_t value = Crc16(data);
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
  }
  unsigned sum = 0;
  for (unsigned char byte : data) {
    sum += byte;
  }
  return std::string(1, static_cast<char>(sum & 0xFF));
}

char HeaderFor(std::size_t size) {
  return size == 1024 ? '\x02' : size == 128 ? '\x01' : '\x16';
}

// One block as it appears on the wire; data shorter than size is padded with 0x1A.
std::string Block(int number, std::string data, std::size_t size, bool crc) {
  data.resize(size, '\x1A');
  std::string block = {HeaderFor(size), static_cast<char>(number & 0xFF),
                       static_cast<char>(255 - (number & 0xFF))};
  return block + data + Check(data, crc);
}

// Deterministic bytes of the given length.
std::string Pattern(std::size_t length, int seed = 0) {
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i) {
    bytes.push_back(static_cast<char>((i * 7 + static_cast<std::size_t>(seed)) & 0xFF));
  }
  return bytes;
}

// The far end of the line, played by a script: on every byte request the script sees what the
// engine sent since the last request and the time-out asked for, and returns the bytes that
// arrive next. When nothing is pending the request times out at once.
class ScriptedLine {
 public:
  using Script = std::function<std::string(const std::string& fresh, std::int32_t timeoutMs)>;

  explicit ScriptedLine(Script script) : m_Script(std::move(script)) {}

  XmodemEngine* Create(bool wakeUp, XmodemCancelCheck cancel = nullptr) {
    return XmodemCreate(&Put, &Get, &Status, cancel, this, wakeUp ? 1 : 0);
  }

  std::string sent;
  std::vector<std::int32_t> timeouts;  // time-outs of requests that found nothing
  std::vector<std::string> messages;
  std::vector<std::pair<std::int32_t, std::int32_t>> progress;
  int failPutsAfter = -1;  // the put with this index and all after it fail
  std::function<void(ScriptedLine&)> onGet;

 private:
  static std::int32_t Put(void* self, std::uint8_t byte) {
    auto& line = *static_cast<ScriptedLine*>(self);
    if (line.failPutsAfter >= 0 && line.sent.size() >= static_cast<size_t>(line.failPutsAfter)) {
      return 1;
    }
    line.sent.push_back(static_cast<char>(byte));
    return 0;
  }

  static std::int32_t Get(void* self, std::int32_t timeoutMs, std::int32_t* error) {
    auto& line = *static_cast<ScriptedLine*>(self);
    *error = 0;
    if (line.onGet) {
      line.onGet(line);
    }
    const std::string fresh = line.sent.substr(line.m_Seen);
    line.m_Seen = line.sent.size();
    const std::string arriving = line.m_Script(fresh, timeoutMs);
    line.m_Pending.insert(line.m_Pending.end(), arriving.begin(), arriving.end());
    if (line.m_Pending.empty()) {
      line.timeouts.push_back(timeoutMs);
      return -1;
    }
    const auto byte = static_cast<unsigned char>(line.m_Pending.front());
    line.m_Pending.pop_front();
    return byte;
  }

  static void Status(void* self, std::int32_t blocks, std::int32_t bytes, const char* message) {
    auto& line = *static_cast<ScriptedLine*>(self);
    if (blocks == -1 && bytes == -1) {
      line.messages.emplace_back(message);
    } else {
      line.progress.emplace_back(blocks, bytes);
    }
  }

  Script m_Script;
  std::size_t m_Seen = 0;
  std::deque<char> m_Pending;
};

// Owns an engine for the length of a test.
struct EngineGuard {
  explicit EngineGuard(XmodemEngine* created) : engine(created) {}
  ~EngineGuard() { XmodemDestroy(engine); }
  XmodemEngine* engine;
};

// A receiver that starts with `start`, then answers each block, and EOT, from `answers` in
// turn (ACK when they run out).
ScriptedLine::Script Receiver(std::string start, std::vector<std::string> answers = {}) {
  auto queue = std::make_shared<std::deque<std::string>>(answers.begin(), answers.end());
  auto started = std::make_shared<bool>(false);
  return [=](const std::string& fresh, std::int32_t timeoutMs) -> std::string {
    if (!*started) {
      if (timeoutMs == 0) {
        return {};
      }
      *started = true;
      return start;
    }
    if (fresh.empty()) {
      return {};
    }
    if (queue->empty()) {
      return kAck;
    }
    std::string answer = queue->front();
    queue->pop_front();
    return answer;
  };
}

std::string ExpectedTransmission(const std::string& data, std::size_t size, bool crc) {
  std::string wire;
  for (std::size_t offset = 0, number = 1; offset < data.size(); offset += size, ++number) {
    wire += Block(static_cast<int>(number), data.substr(offset, size), size, crc);
  }
  return wire + kEot;
}

TEST(XmodemTransmit, BlockSizeAndCheckFollowTheReceiver) {
  struct Case {
    const char* name;
    std::string start;
    std::int32_t blockSize;
    std::size_t wireSize;
    std::size_t length;
  };
  const Case cases[] = {
      {"C gives CRC, 128", "C", 128, 128, 300},
      {"NAK gives checksum, 128", kNak, 128, 128, 300},
      {"1024-byte STX blocks", "C", 1024, 1024, 2049},
      {"20 bytes in 16-byte blocks", "C", 16, 16, 20},
      {"any other size means 16", kNak, 64, 16, 63},
      {"exact multiple needs no padding", "C", 16, 16, 32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedLine line(Receiver(c.start));
    EngineGuard guard(line.Create(false));
    const std::string data = Pattern(c.length);
    EXPECT_EQ(XmodemTransmit(guard.engine, c.blockSize, data.data(),
                             static_cast<std::int32_t>(data.size())),
              kXmodemSuccess);
    EXPECT_EQ(line.sent, ExpectedTransmission(data, c.wireSize, c.start == "C"));
    ASSERT_FALSE(line.messages.empty());
    EXPECT_EQ(line.messages.back(), "Transmission Successful");
    EXPECT_EQ(guard.engine->m_LastResult, kXmodemSuccess);
    const auto blocks = static_cast<std::int32_t>((c.length + c.wireSize - 1) / c.wireSize);
    EXPECT_EQ(line.progress.back(),
              std::make_pair(blocks, blocks * static_cast<std::int32_t>(c.wireSize)));
  }
}

TEST(XmodemTransmit, TwentyBytesInShortBlocksPadTheSecondWithTwelveBytes) {
  ScriptedLine line(Receiver("C"));
  EngineGuard guard(line.Create(false));
  const std::string data = Pattern(20, 3);
  ASSERT_EQ(XmodemTransmit(guard.engine, 16, data.data(), 20), kXmodemSuccess);
  ASSERT_EQ(line.sent.size(), 2 * 21 + 1u);
  EXPECT_EQ(line.sent.substr(21, 3), std::string("\x16\x02\xFD"));
  EXPECT_EQ(line.sent.substr(24 + 4, 12), std::string(12, '\x1A'));
}

TEST(XmodemTransmit, EmptyMessageSendsOnlyEot) {
  ScriptedLine line(Receiver(kNak));
  EngineGuard guard(line.Create(false));
  EXPECT_EQ(XmodemTransmit(guard.engine, 128, "", 0), kXmodemSuccess);
  EXPECT_EQ(line.sent, kEot);
  EXPECT_TRUE(line.progress.size() == 1 && line.progress[0] == std::make_pair(0, 0));
}

TEST(XmodemTransmit, WakeUpByteGoesBeforeEveryWaitForStart) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  EngineGuard guard(line.Create(true));
  EXPECT_EQ(XmodemTransmit(guard.engine, 16, "x", 1), kXmodemInitialNakTimeout);
  EXPECT_EQ(line.sent, std::string(6, '\xAA') + kCancelSequence);
  // One drain read, then six one-second waits.
  EXPECT_EQ(line.timeouts, (std::vector<std::int32_t>{0, 1000, 1000, 1000, 1000, 1000, 1000}));
  EXPECT_EQ(line.messages.back(), "Timed out waiting for initial NAK");
}

TEST(XmodemTransmit, StartWaitOutcomes) {
  struct Case {
    const char* name;
    std::string fromReceiver;  // delivered one byte per wait
    std::int32_t code;
    bool cancelSequence;
  };
  const Case cases[] = {
      {"one CAN is ignored", kCan + "C", kXmodemSuccess, false},
      {"two CANs cancel", kCan + kCan, kXmodemReceiverCancelled, true},
      {"CAN memory is cleared by other bytes", kCan + "x" + kCan + kNak, kXmodemSuccess, false},
      {"five invalid bytes give up quietly", "abcde", kXmodemInitialNakTimeout, false},
      {"four invalid bytes still wait", "abcdC", kXmodemSuccess, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto remaining = std::make_shared<std::string>(c.fromReceiver);
    ScriptedLine line([remaining](const std::string& fresh, std::int32_t timeoutMs) {
      if (timeoutMs == 1000 && !remaining->empty()) {
        std::string next = remaining->substr(0, 1);
        remaining->erase(0, 1);
        return next;
      }
      return fresh.empty() ? std::string() : kAck;
    });
    EngineGuard guard(line.Create(false));
    EXPECT_EQ(XmodemTransmit(guard.engine, 16, "", 0), c.code);
    EXPECT_EQ(line.sent.ends_with(kCancelSequence), c.cancelSequence) << line.sent.size();
    EXPECT_EQ(line.messages.back(), XmodemMessage(c.code));
  }
}

TEST(XmodemTransmit, NakAndSilenceRetryTheBlock) {
  ScriptedLine line(Receiver("C", {kNak, "", "zz" + kAck}));
  EngineGuard guard(line.Create(false));
  const std::string data = Pattern(10);
  ASSERT_EQ(XmodemTransmit(guard.engine, 16, data.data(), 10), kXmodemSuccess);
  const std::string block = Block(1, data, 16, true);
  EXPECT_EQ(line.sent, block + block + block + kEot);
  EXPECT_EQ(line.messages,
            (std::vector<std::string>{"Nak Received", "Timed out waiting for data pack ACK",
                                      "Transmission Successful"}));
}

TEST(XmodemTransmit, UnacknowledgedBlockGivesUpAfterElevenAttempts) {
  ScriptedLine line(Receiver("C", std::vector<std::string>(20, kNak)));
  EngineGuard guard(line.Create(false));
  EXPECT_EQ(XmodemTransmit(guard.engine, 16, "abc", 3), kXmodemAckTimeout);
  const std::string block = Block(1, "abc", 16, true);
  std::string expected;
  for (int i = 0; i < 11; ++i) {
    expected += block;
  }
  EXPECT_EQ(line.sent, expected + kCancelSequence);
}

TEST(XmodemTransmit, TwoCansWhileWaitingForAckCancel) {
  ScriptedLine line(Receiver("C", {kCan + kCan}));
  EngineGuard guard(line.Create(false));
  EXPECT_EQ(XmodemTransmit(guard.engine, 16, "abc", 3), kXmodemReceiverCancelled);
  EXPECT_TRUE(line.sent.ends_with(kCancelSequence));
  EXPECT_EQ(line.messages.back(), "Receiver cancelled the transfer");
}

TEST(XmodemTransmit, EotIsRepeatedUntilAcknowledgedWithinABound) {
  {
    ScriptedLine line(Receiver("C", {kAck, kNak, kAck}));
    EngineGuard guard(line.Create(false));
    EXPECT_EQ(XmodemTransmit(guard.engine, 16, "abc", 3), kXmodemSuccess);
    EXPECT_TRUE(line.sent.ends_with(kEot + kEot));
  }
  {
    ScriptedLine line(Receiver("C", {kAck, "", ""}));
    EngineGuard guard(line.Create(false));
    EXPECT_EQ(XmodemTransmit(guard.engine, 16, "abc", 3), kXmodemFinalAckTimeout);
    EXPECT_EQ(line.messages.back(), "Timed out waiting for final ACK");
  }
  {
    ScriptedLine::Script answers = [](const std::string& fresh, std::int32_t timeoutMs) {
      if (timeoutMs == 1000) {
        return std::string("C");
      }
      return fresh == kEot ? kNak : fresh.empty() ? std::string() : kAck;
    };
    ScriptedLine stubborn(answers);
    EngineGuard stubbornGuard(stubborn.Create(false));
    EXPECT_EQ(XmodemTransmit(stubbornGuard.engine, 16, "abc", 3), kXmodemFinalAckTimeout);
    EXPECT_EQ(stubborn.sent.substr(21), std::string(10, '\x04'));
  }
}

TEST(XmodemTransmit, FailedPutMeansModemOffline) {
  ScriptedLine line(Receiver("C"));
  line.failPutsAfter = 5;
  EngineGuard guard(line.Create(false));
  EXPECT_EQ(XmodemTransmit(guard.engine, 16, "abc", 3), kXmodemOffline);
  EXPECT_EQ(line.messages.back(), "Modem is not online");

  ScriptedLine silent([](const std::string&, std::int32_t) { return std::string(); });
  silent.failPutsAfter = 0;
  EngineGuard wakeUpGuard(silent.Create(true));
  EXPECT_EQ(XmodemTransmit(wakeUpGuard.engine, 16, "abc", 3), kXmodemOffline);
}

TEST(XmodemTransmit, CancelCheckStopsTheWaitForStart) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  EngineGuard guard(line.Create(false, [](void*) -> std::int32_t { return 1; }));
  EXPECT_EQ(XmodemTransmit(guard.engine, 16, "abc", 3), kXmodemUserCancelled);
  EXPECT_EQ(line.sent, kCancelSequence);
  EXPECT_EQ(line.messages.back(), "User cancelled the transfer");
}

TEST(XmodemEngine, RefusesMissingPiecesAndBusyCalls) {
  std::int32_t (*put)(void*, std::uint8_t) = [](void*, std::uint8_t) -> std::int32_t { return 0; };
  std::int32_t (*get)(void*, std::int32_t, std::int32_t*) =
      [](void*, std::int32_t, std::int32_t*) -> std::int32_t { return -1; };
  EXPECT_EQ(XmodemCreate(nullptr, get, nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(XmodemCreate(put, nullptr, nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(XmodemDestroy(nullptr), kXmodemNullHandle);
  char buffer[16];
  EXPECT_EQ(XmodemTransmit(nullptr, 16, "a", 1), kXmodemNullHandle);
  EXPECT_EQ(XmodemReceive(nullptr, buffer, 16), kXmodemNullHandle);

  ScriptedLine line(Receiver("C"));
  EngineGuard guard(line.Create(false));
  EXPECT_EQ(XmodemTransmit(guard.engine, 16, nullptr, 1), kXmodemNullBuffer);
  EXPECT_EQ(guard.engine->m_LastResult, kXmodemNullBuffer);
  EXPECT_EQ(XmodemReceive(guard.engine, nullptr, 16), kXmodemNullBuffer);
  EXPECT_TRUE(line.messages.empty());

  // Calls made from inside a running transfer are refused.
  std::vector<std::int32_t> nested;
  line.onGet = [&](ScriptedLine&) {
    if (nested.empty()) {
      nested.push_back(XmodemTransmit(guard.engine, 16, "a", 1));
      nested.push_back(XmodemReceive(guard.engine, buffer, 16));
      nested.push_back(XmodemDestroy(guard.engine));
    }
  };
  EXPECT_EQ(XmodemTransmit(guard.engine, 16, "abc", 3), kXmodemSuccess);
  EXPECT_EQ(nested, (std::vector<std::int32_t>{kXmodemBusy, kXmodemBusy, kXmodemBusy}));
}

TEST(XmodemEngine, EveryCodeHasItsText) {
  EXPECT_STREQ(XmodemMessage(kXmodemSuccess), "Transmission Successful");
  EXPECT_STREQ(XmodemMessage(kXmodemSohTimeout), "Timed out waiting for SOH");
  EXPECT_STREQ(XmodemMessage(kXmodemNoWakeupResponse), "Receiver do not respond to Wakeup");
  EXPECT_STREQ(XmodemMessage(kXmodemBusy), "Already Busy");
  EXPECT_STREQ(XmodemMessage(23), "");
  EXPECT_STREQ(XmodemMessage(-1), "");
}

// A sender that answers the receiver's start character and each ACK with the next piece of
// `pieces`, and each NAK with the piece it sent last.
ScriptedLine::Script Sender(std::vector<std::string> pieces, std::string startsOn = "C") {
  auto queue = std::make_shared<std::deque<std::string>>(pieces.begin(), pieces.end());
  auto last = std::make_shared<std::string>();
  return [=](const std::string& fresh, std::int32_t) -> std::string {
    if (fresh.empty()) {
      return {};
    }
    const char answered = fresh.back();
    const bool start = fresh == startsOn || (startsOn == "C" && fresh == kNak && last->empty());
    if (answered == '\x15' && !last->empty()) {
      return *last;
    }
    if (!start && answered != '\x06') {
      return {};
    }
    if (queue->empty()) {
      return {};
    }
    *last = queue->front();
    queue->pop_front();
    return *last;
  };
}

struct Received {
  std::int32_t code;
  std::string buffer;
};

Received ReceiveWith(ScriptedLine& line, std::size_t size) {
  EngineGuard guard(line.Create(false));
  std::string buffer(size, '\0');
  const std::int32_t code =
      XmodemReceive(guard.engine, buffer.data(), static_cast<std::int32_t>(size));
  return {code, buffer};
}

TEST(XmodemReceive, TakesEveryBlockKindWithCrc) {
  for (std::size_t size : {16u, 128u, 1024u}) {
    SCOPED_TRACE(size);
    const std::string first = Pattern(size, 1);
    const std::string second = Pattern(size / 2, 2);
    ScriptedLine line(Sender({Block(1, first, size, true), Block(2, second, size, true), kEot}));
    const auto result = ReceiveWith(line, 2049);
    EXPECT_EQ(result.code, kXmodemSuccess);
    std::string expected = first + second;
    expected.resize(2049, '\x1A');
    EXPECT_EQ(result.buffer, expected);
    EXPECT_EQ(line.sent, "C" + kAck + kAck + kAck);
    EXPECT_EQ(line.progress.back(), std::make_pair(2, static_cast<std::int32_t>(2 * size)));
    EXPECT_EQ(line.messages.back(), "Transmission Successful");
  }
}

TEST(XmodemReceive, FallsBackToChecksumWhenCIsIgnored) {
  const std::string data = Pattern(100);
  ScriptedLine line(Sender({Block(1, data, 128, false), kEot}, kNak));
  const auto result = ReceiveWith(line, 256);
  EXPECT_EQ(result.code, kXmodemSuccess);
  EXPECT_EQ(result.buffer.substr(0, 100), data);
  EXPECT_EQ(line.sent.substr(0, 5), "CCCC" + kNak);
  EXPECT_EQ(line.timeouts, (std::vector<std::int32_t>{500, 500, 500, 500}));
}

TEST(XmodemReceive, SilentSenderTimesOutWaitingForSoh) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  const auto result = ReceiveWith(line, 128);
  EXPECT_EQ(result.code, kXmodemSohTimeout);
  EXPECT_EQ(line.sent, "CCCC" + std::string(10, '\x15'));
  EXPECT_EQ(line.messages.back(), "Timed out waiting for SOH");
  EXPECT_EQ(result.buffer, std::string(128, '\x1A'));
}

TEST(XmodemReceive, BadBlocksAreRefusedWithNakAndTakenWhenResent) {
  struct Case {
    const char* name;
    std::string bad;
    const char* message;
  };
  const std::string data = Pattern(16, 5);
  std::string badCrc = Block(1, data, 16, true);
  badCrc.back() = static_cast<char>(badCrc.back() ^ 1);
  std::string badComplement = Block(1, data, 16, true);
  badComplement[2] = 0;
  const Case cases[] = {
      {"bad CRC", badCrc, "CRC is incorrect"},
      {"header mismatch", badComplement, "Block mismatch in packet header"},
      {"block cut short", Block(1, data, 16, true).substr(0, 10), "Timed out waiting for data"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto sentBad = std::make_shared<bool>(false);
    ScriptedLine line([&, sentBad](const std::string& fresh, std::int32_t) -> std::string {
      if (fresh == "C" && !*sentBad) {
        *sentBad = true;
        return c.bad;
      }
      if (fresh == kNak) {
        return Block(1, data, 16, true);
      }
      return fresh == kAck ? kEot : std::string();
    });
    const auto result = ReceiveWith(line, 64);
    EXPECT_EQ(result.code, kXmodemSuccess);
    EXPECT_EQ(result.buffer.substr(0, 16), data);
    EXPECT_EQ(line.sent, "C" + kNak + kAck + kAck);
    EXPECT_EQ(line.messages.front(), c.message);
  }
}

TEST(XmodemReceive, BadChecksumIsNamedAsSuch) {
  std::string bad = Block(1, "abc", 128, false);
  bad.back() = static_cast<char>(bad.back() + 1);
  auto naks = std::make_shared<int>(0);
  ScriptedLine line([&, naks](const std::string& fresh, std::int32_t) -> std::string {
    if (fresh == kNak && ++*naks == 1) {
      return bad;
    }
    if (fresh == kNak) {
      return Block(1, "abc", 128, false);
    }
    return fresh == kAck ? kEot : std::string();
  });
  const auto result = ReceiveWith(line, 128);
  EXPECT_EQ(result.code, kXmodemSuccess);
  EXPECT_EQ(line.messages.front(), "Checksum is incorrect");
  EXPECT_EQ(result.buffer.substr(0, 4), "abc\x1A");
}

TEST(XmodemReceive, RepeatedBlockIsAcknowledgedButStoredOnce) {
  const std::string one = Pattern(16, 1);
  const std::string two = Pattern(16, 2);
  ScriptedLine line(
      Sender({Block(1, one, 16, true), Block(1, one, 16, true), Block(2, two, 16, true), kEot}));
  const auto result = ReceiveWith(line, 48);
  EXPECT_EQ(result.code, kXmodemSuccess);
  EXPECT_EQ(result.buffer, one + two + std::string(16, '\x1A'));
  EXPECT_EQ(line.sent, "C" + kAck + kAck + kAck + kAck);
}

TEST(XmodemReceive, BlockNumberWrapsFrom255ToZero) {
  std::vector<std::string> pieces;
  std::string expected;
  for (int number = 1; number <= 257; ++number) {
    const std::string data = Pattern(16, number);
    pieces.push_back(Block(number, data, 16, true));
    expected += data;
  }
  pieces.push_back(kEot);
  ScriptedLine line(Sender(pieces));
  const auto result = ReceiveWith(line, expected.size());
  EXPECT_EQ(result.code, kXmodemSuccess);
  EXPECT_EQ(result.buffer, expected);
}

TEST(XmodemReceive, FatalConditionsEndTheReception) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    std::size_t size;
    std::int32_t code;
    bool cancelSequence;
  };
  const std::string data = Pattern(16);
  const Case cases[] = {
      {"more data than the buffer holds",
       {Block(1, data, 16, true), Block(2, data, 16, true)},
       20,
       kXmodemBufferTooSmall,
       true},
      {"block out of sequence",
       {Block(1, data, 16, true), Block(3, data, 16, true)},
       64,
       kXmodemOutOfSequence,
       true},
      {"first block numbered 2", {Block(2, data, 16, true)}, 64, kXmodemOutOfSequence, true},
      {"sender cancels", {kCan + kCan}, 64, kXmodemSenderCancelled, true},
      {"CAN followed by something else", {kCan + "x"}, 64, kXmodemInvalidChar, false},
      {"lone CAN", {kCan}, 64, kXmodemInvalidChar, false},
      {"only garbage after a block", {Block(1, data, 16, true), "x"}, 64, kXmodemSohTimeout, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedLine line(Sender(c.pieces));
    const auto result = ReceiveWith(line, c.size);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(line.sent.ends_with(kCancelSequence), c.cancelSequence);
    EXPECT_EQ(line.messages.back(), XmodemMessage(c.code));
  }
}

TEST(XmodemReceive, OnlyTheFirstBlockFitsWhenTheBufferIsExact) {
  const std::string data = Pattern(16);
  ScriptedLine line(Sender({Block(1, data, 16, true), kEot}));
  const auto result = ReceiveWith(line, 16);
  EXPECT_EQ(result.code, kXmodemSuccess);
  EXPECT_EQ(result.buffer, data);
}

TEST(XmodemReceive, CancelCheckStopsBeforeTheNextTry) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  EngineGuard guard(line.Create(false, [](void*) -> std::int32_t { return 1; }));
  char buffer[16];
  EXPECT_EQ(XmodemReceive(guard.engine, buffer, 16), kXmodemUserCancelled);
  EXPECT_EQ(line.sent, kCancelSequence);
}

TEST(XmodemCrc, MatchesTheKnownCheckValue) {
  EXPECT_EQ(Crc16("123456789"), 0x31C3);
}

}  // namespace
