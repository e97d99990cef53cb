#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "link/serial/serial_lines.h"
#include "link/serial/serial_port.h"
#include "support/pty_pair.h"

namespace linkwright {

namespace {

using Action = LineCommand::Action;

TEST(SerialLines, LineCommandsAreReadFromTheirTextsAndNothingElse) {
  struct Case {
    const char* text;
    std::optional<LineCommand> expected;
  };
  const Case cases[] = {
      {"on", LineCommand{Action::kSet, ControlLine::kRts, 0}},
      {"off", LineCommand{Action::kClear, ControlLine::kRts, 0}},
      {"pulse:50", LineCommand{Action::kPulse, ControlLine::kRts, 50}},
      {"pulse:10000", LineCommand{Action::kPulse, ControlLine::kRts, 10000}},
      {"pulse:10001", std::nullopt},
      {"pulse:0", std::nullopt},
      {"pulse:", std::nullopt},
      {"pulse:5x", std::nullopt},
      {"ON", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseLineCommand(ControlLine::kRts, c.text), c.expected) << c.text;
  }
  EXPECT_EQ(ParseBreakCommand("250"), (LineCommand{Action::kBreak, ControlLine::kDtr, 250}));
  EXPECT_EQ(ParseBreakCommand("-1"), std::nullopt);
}

// Speeds off the classic list reach the driver, which a pseudo-terminal reports back as set.
TEST(SerialLines, APortOpensAtAnySpeedTheDriverTakes) {
  PtyPair pty;
  ASSERT_TRUE(pty.ready());
  for (const std::uint32_t baud : {250000u, 1000000u, 3000000u, 115200u}) {
    SerialPort port;
    ASSERT_TRUE(port.ParseSettings(pty.a() + ":" + std::to_string(baud) + ",N,8,1"));
    ASSERT_TRUE(port.OpenPort()) << port.LastError().Message();
    EXPECT_EQ(port.LineSpeed(), baud);
  }
}

TEST(SerialLines, APseudoTerminalRefusesModemLinesButKeepsTheLinkAndTakesABreak) {
  PtyPair pty;
  ASSERT_TRUE(pty.ready());
  SerialPort port;
  ASSERT_TRUE(port.ParseSettings(pty.a() + ":9600,N,8,1"));
  ASSERT_TRUE(port.OpenPort());
  EXPECT_FALSE(port.ApplyLineCommand(*ParseLineCommand(ControlLine::kDtr, "pulse:20")));
  EXPECT_EQ(port.LastError().Message(),
            "DTR pulse 20 ms: " + pty.a() + " has no modem lines (a pseudo-terminal has none)");
  EXPECT_EQ(port.ReadModemStatus(), std::nullopt);
  EXPECT_TRUE(port.ApplyLineCommand(*ParseBreakCommand("20"))) << port.LastError().Message();
  EXPECT_TRUE(port.IsOpen());
  PtyEnd peer(pty.b());
  ASSERT_TRUE(port.WriteBytes(ByteString("ok")));
  EXPECT_EQ(peer.Read(2, std::chrono::milliseconds(2000)), "ok");
}

}  // namespace

}  // namespace linkwright
