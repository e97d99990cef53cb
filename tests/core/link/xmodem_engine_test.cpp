#include "link/xmodem/xmodem_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace linkwright {

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
// arrive next. When nothing is pending the request times out at once. The line also records
// what the engine reports.
class ScriptedLine : public ByteChannel {
 public:
  using Script = std::function<std::string(const std::string& fresh, std::int32_t timeoutMs)>;

  explicit ScriptedLine(Script script) : m_Script(std::move(script)) {}

  // Hooks that record the engine's reports here and ask `cancelled`.
  XmodemHooks Hooks(std::function<bool()> cancelled = nullptr) {
    return {[this](int blocks, int bytes) { progress.emplace_back(blocks, bytes); },
            [this](const std::string& text) { messages.push_back(text); }, std::move(cancelled)};
  }

  std::string sent;
  std::vector<std::int32_t> timeouts;  // time-outs of requests that found nothing
  std::vector<std::string> messages;
  std::vector<std::pair<int, int>> progress;
  int failPutsAfter = -1;  // the put with this index and all after it fail
  std::function<void(ScriptedLine&)> onGet;

  bool WriteByte(std::uint8_t byte) override {
    if (failPutsAfter >= 0 && sent.size() >= static_cast<size_t>(failPutsAfter)) {
      return false;
    }
    sent.push_back(static_cast<char>(byte));
    return true;
  }

  Read ReadByte(std::int32_t timeoutMs, std::uint8_t& byte) override {
    if (onGet) {
      onGet(*this);
    }
    const std::string fresh = sent.substr(m_Seen);
    m_Seen = sent.size();
    const std::string arriving = m_Script(fresh, timeoutMs);
    m_Pending.insert(m_Pending.end(), arriving.begin(), arriving.end());
    if (m_Pending.empty()) {
      timeouts.push_back(timeoutMs);
      return Read::kNothing;
    }
    byte = static_cast<std::uint8_t>(m_Pending.front());
    m_Pending.pop_front();
    return Read::kByte;
  }

 private:
  Script m_Script;
  std::size_t m_Seen = 0;
  std::deque<char> m_Pending;
};

const std::string kSuccess = "Transmission Successful";

// The text of an engine's outcome: its error, or success.
std::string OutcomeOf(bool succeeded, const XmodemEngine& engine) {
  return succeeded ? kSuccess : engine.LastError().Message();
}

// Sends `data` over the line as one transmission; the text of the outcome.
std::string Transmit(ScriptedLine& line, int blockSize, const std::string& data,
                     bool wakeUp = false, std::function<bool()> cancelled = nullptr) {
  XmodemEngine engine(line, wakeUp);
  engine.SetHooks(line.Hooks(std::move(cancelled)));
  return OutcomeOf(engine.Transmit(blockSize, data), engine);
}

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
    int blockSize;
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
    const std::string data = Pattern(c.length);
    EXPECT_EQ(Transmit(line, c.blockSize, data), kSuccess);
    EXPECT_EQ(line.sent, ExpectedTransmission(data, c.wireSize, c.start == "C"));
    ASSERT_FALSE(line.messages.empty());
    EXPECT_EQ(line.messages.back(), kSuccess);
    const auto blocks = static_cast<int>((c.length + c.wireSize - 1) / c.wireSize);
    EXPECT_EQ(line.progress.back(), std::make_pair(blocks, blocks * static_cast<int>(c.wireSize)));
  }
}

TEST(XmodemTransmit, TwentyBytesInShortBlocksPadTheSecondWithTwelveBytes) {
  ScriptedLine line(Receiver("C"));
  ASSERT_EQ(Transmit(line, 16, Pattern(20, 3)), kSuccess);
  ASSERT_EQ(line.sent.size(), 2 * 21 + 1u);
  EXPECT_EQ(line.sent.substr(21, 3), std::string("\x16\x02\xFD"));
  EXPECT_EQ(line.sent.substr(24 + 4, 12), std::string(12, '\x1A'));
}

TEST(XmodemTransmit, EmptyMessageSendsOnlyEot) {
  ScriptedLine line(Receiver(kNak));
  EXPECT_EQ(Transmit(line, 128, ""), kSuccess);
  EXPECT_EQ(line.sent, kEot);
  EXPECT_TRUE(line.progress.size() == 1 && line.progress[0] == std::make_pair(0, 0));
}

TEST(XmodemTransmit, WakeUpByteGoesBeforeEveryWaitForStart) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  EXPECT_EQ(Transmit(line, 16, "x", true), "Timed out waiting for initial NAK");
  EXPECT_EQ(line.sent, std::string(6, '\xAA') + kCancelSequence);
  // One drain read, then six one-second waits.
  EXPECT_EQ(line.timeouts, (std::vector<std::int32_t>{0, 1000, 1000, 1000, 1000, 1000, 1000}));
  EXPECT_EQ(line.messages.back(), "Timed out waiting for initial NAK");
}

TEST(XmodemTransmit, StartWaitOutcomes) {
  struct Case {
    const char* name;
    std::string fromReceiver;  // delivered one byte per wait
    std::string outcome;
    bool cancelSequence;
  };
  const Case cases[] = {
      {"one CAN is ignored", kCan + "C", kSuccess, false},
      {"two CANs cancel", kCan + kCan, "Receiver cancelled the transfer", true},
      {"CAN memory is cleared by other bytes", kCan + "x" + kCan + kNak, kSuccess, false},
      {"five invalid bytes give up quietly", "abcde", "Timed out waiting for initial NAK", false},
      {"four invalid bytes still wait", "abcdC", kSuccess, false},
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
    EXPECT_EQ(Transmit(line, 16, ""), c.outcome);
    EXPECT_EQ(line.sent.ends_with(kCancelSequence), c.cancelSequence) << line.sent.size();
    EXPECT_EQ(line.messages.back(), c.outcome);
  }
}

TEST(XmodemTransmit, NakAndSilenceRetryTheBlock) {
  ScriptedLine line(Receiver("C", {kNak, "", "zz" + kAck}));
  const std::string data = Pattern(10);
  ASSERT_EQ(Transmit(line, 16, data), kSuccess);
  const std::string block = Block(1, data, 16, true);
  EXPECT_EQ(line.sent, block + block + block + kEot);
  EXPECT_EQ(line.messages, (std::vector<std::string>{
                               "Nak Received", "Timed out waiting for data pack ACK", kSuccess}));
}

TEST(XmodemTransmit, UnacknowledgedBlockGivesUpAfterElevenAttempts) {
  ScriptedLine line(Receiver("C", std::vector<std::string>(20, kNak)));
  EXPECT_EQ(Transmit(line, 16, "abc"), "Timed out waiting for data pack ACK");
  const std::string block = Block(1, "abc", 16, true);
  std::string expected;
  for (int i = 0; i < 11; ++i) {
    expected += block;
  }
  EXPECT_EQ(line.sent, expected + kCancelSequence);
}

TEST(XmodemTransmit, TwoCansWhileWaitingForAckCancel) {
  ScriptedLine line(Receiver("C", {kCan + kCan}));
  EXPECT_EQ(Transmit(line, 16, "abc"), "Receiver cancelled the transfer");
  EXPECT_TRUE(line.sent.ends_with(kCancelSequence));
  EXPECT_EQ(line.messages.back(), "Receiver cancelled the transfer");
}

TEST(XmodemTransmit, EotIsRepeatedUntilAcknowledgedWithinABound) {
  {
    ScriptedLine line(Receiver("C", {kAck, kNak, kAck}));
    EXPECT_EQ(Transmit(line, 16, "abc"), kSuccess);
    EXPECT_TRUE(line.sent.ends_with(kEot + kEot));
  }
  {
    ScriptedLine line(Receiver("C", {kAck, "", ""}));
    EXPECT_EQ(Transmit(line, 16, "abc"), "Timed out waiting for final ACK");
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
    EXPECT_EQ(Transmit(stubborn, 16, "abc"), "Timed out waiting for final ACK");
    EXPECT_EQ(stubborn.sent.substr(21), std::string(10, '\x04'));
  }
}

TEST(XmodemTransmit, FailedPutMeansModemOffline) {
  ScriptedLine line(Receiver("C"));
  line.failPutsAfter = 5;
  EXPECT_EQ(Transmit(line, 16, "abc"), "Modem is not online");
  EXPECT_EQ(line.messages.back(), "Modem is not online");

  ScriptedLine silent([](const std::string&, std::int32_t) { return std::string(); });
  silent.failPutsAfter = 0;
  EXPECT_EQ(Transmit(silent, 16, "abc", true), "Modem is not online");
}

TEST(XmodemTransmit, CancelCheckStopsTheWaitForStart) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  EXPECT_EQ(Transmit(line, 16, "abc", false, [] { return true; }), "User cancelled the transfer");
  EXPECT_EQ(line.sent, kCancelSequence);
  EXPECT_EQ(line.messages.back(), "User cancelled the transfer");
}

TEST(XmodemEngine, RefusesATransferStartedFromInsideAnother) {
  ScriptedLine line(Receiver("C"));
  XmodemEngine engine(line, false);
  engine.SetHooks(line.Hooks());
  std::vector<std::string> nested;
  line.onGet = [&](ScriptedLine&) {
    if (nested.empty()) {
      ByteString buffer(16, '\0');
      nested.push_back(OutcomeOf(engine.Transmit(16, "a"), engine));
      nested.push_back(OutcomeOf(engine.Receive(buffer), engine));
    }
  };
  EXPECT_EQ(OutcomeOf(engine.Transmit(16, "abc"), engine), kSuccess);
  EXPECT_EQ(nested, (std::vector<std::string>{"Already Busy", "Already Busy"}));
  EXPECT_EQ(std::count(line.messages.begin(), line.messages.end(), "Already Busy"), 0);
}

TEST(XmodemEngine, FailuresCarryAKindToReactTo) {
  struct Case {
    const char* name;
    ScriptedLine::Script script;
    std::function<bool()> cancelled;
    ErrorKind kind;
  };
  const ScriptedLine::Script silent = [](const std::string&, std::int32_t) {
    return std::string();
  };
  const Case cases[] = {
      {"stop asked for", silent, [] { return true; }, ErrorKind::kStopped},
      {"silent receiver", silent, nullptr, ErrorKind::kTimeout},
      {"receiver cancels", Receiver(kCan + kCan), nullptr, ErrorKind::kPeer},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedLine line(c.script);
    XmodemEngine engine(line, false);
    engine.SetHooks(line.Hooks(c.cancelled));
    EXPECT_FALSE(engine.Transmit(16, "abc"));
    EXPECT_EQ(engine.LastError().Kind(), c.kind);
  }
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
  std::string outcome;
  std::string buffer;
};

Received ReceiveWith(ScriptedLine& line, std::size_t size,
                     std::function<bool()> cancelled = nullptr) {
  XmodemEngine engine(line, false);
  engine.SetHooks(line.Hooks(std::move(cancelled)));
  std::string buffer(size, '\0');
  const bool received = engine.Receive(buffer);
  return {OutcomeOf(received, engine), buffer};
}

TEST(XmodemReceive, TakesEveryBlockKindWithCrc) {
  for (std::size_t size : {16u, 128u, 1024u}) {
    SCOPED_TRACE(size);
    const std::string first = Pattern(size, 1);
    const std::string second = Pattern(size / 2, 2);
    ScriptedLine line(Sender({Block(1, first, size, true), Block(2, second, size, true), kEot}));
    const auto result = ReceiveWith(line, 2049);
    EXPECT_EQ(result.outcome, kSuccess);
    std::string expected = first + second;
    expected.resize(2049, '\x1A');
    EXPECT_EQ(result.buffer, expected);
    EXPECT_EQ(line.sent, "C" + kAck + kAck + kAck);
    EXPECT_EQ(line.progress.back(), std::make_pair(2, static_cast<int>(2 * size)));
    EXPECT_EQ(line.messages.back(), kSuccess);
  }
}

TEST(XmodemReceive, FallsBackToChecksumWhenCIsIgnored) {
  const std::string data = Pattern(100);
  ScriptedLine line(Sender({Block(1, data, 128, false), kEot}, kNak));
  const auto result = ReceiveWith(line, 256);
  EXPECT_EQ(result.outcome, kSuccess);
  EXPECT_EQ(result.buffer.substr(0, 100), data);
  EXPECT_EQ(line.sent.substr(0, 5), "CCCC" + kNak);
  EXPECT_EQ(line.timeouts, (std::vector<std::int32_t>{500, 500, 500, 500}));
}

TEST(XmodemReceive, SilentSenderTimesOutWaitingForSoh) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  const auto result = ReceiveWith(line, 128);
  EXPECT_EQ(result.outcome, "Timed out waiting for SOH");
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
    EXPECT_EQ(result.outcome, kSuccess);
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
  EXPECT_EQ(result.outcome, kSuccess);
  EXPECT_EQ(line.messages.front(), "Checksum is incorrect");
  EXPECT_EQ(result.buffer.substr(0, 4), "abc\x1A");
}

TEST(XmodemReceive, RepeatedBlockIsAcknowledgedButStoredOnce) {
  const std::string one = Pattern(16, 1);
  const std::string two = Pattern(16, 2);
  ScriptedLine line(
      Sender({Block(1, one, 16, true), Block(1, one, 16, true), Block(2, two, 16, true), kEot}));
  const auto result = ReceiveWith(line, 48);
  EXPECT_EQ(result.outcome, kSuccess);
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
  EXPECT_EQ(result.outcome, kSuccess);
  EXPECT_EQ(result.buffer, expected);
}

TEST(XmodemReceive, FatalConditionsEndTheReception) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    std::size_t size;
    std::string outcome;
    bool cancelSequence;
  };
  const std::string data = Pattern(16);
  const Case cases[] = {
      {"more data than the buffer holds",
       {Block(1, data, 16, true), Block(2, data, 16, true)},
       20,
       "Buffer is too small",
       true},
      {"block out of sequence",
       {Block(1, data, 16, true), Block(3, data, 16, true)},
       64,
       "Block out of sequence",
       true},
      {"first block numbered 2", {Block(2, data, 16, true)}, 64, "Block out of sequence", true},
      {"sender cancels", {kCan + kCan}, 64, "Sender cancelled the transfer", true},
      {"CAN followed by something else", {kCan + "x"}, 64, "Invalid char waiting for SOH", false},
      {"lone CAN", {kCan}, 64, "Invalid char waiting for SOH", false},
      {"only garbage after a block",
       {Block(1, data, 16, true), "x"},
       64,
       "Timed out waiting for SOH",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedLine line(Sender(c.pieces));
    const auto result = ReceiveWith(line, c.size);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(line.sent.ends_with(kCancelSequence), c.cancelSequence);
    EXPECT_EQ(line.messages.back(), c.outcome);
  }
}

TEST(XmodemReceive, OnlyTheFirstBlockFitsWhenTheBufferIsExact) {
  const std::string data = Pattern(16);
  ScriptedLine line(Sender({Block(1, data, 16, true), kEot}));
  const auto result = ReceiveWith(line, 16);
  EXPECT_EQ(result.outcome, kSuccess);
  EXPECT_EQ(result.buffer, data);
}

TEST(XmodemReceive, CancelCheckStopsBeforeTheNextTry) {
  ScriptedLine line([](const std::string&, std::int32_t) { return std::string(); });
  EXPECT_EQ(ReceiveWith(line, 16, [] { return true; }).outcome, "User cancelled the transfer");
  EXPECT_EQ(line.sent, kCancelSequence);
}

TEST(XmodemCrc, MatchesTheKnownCheckValue) {
  EXPECT_EQ(Crc16("123456789"), 0x31C3);
}

}  // namespace

}  // namespace linkwright
