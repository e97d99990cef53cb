#include "console_front_end.h"

#include <gtest/gtest.h>

#include <sstream>

namespace linkwright {

namespace {

TracePiece Received(std::string text, bool endsLine) {
  return {TraceDirection::kReceived, std::move(text), endsLine};
}

// Consecutive batches share the front-end's text buffer, so a short batch after a long one
// must not carry any of the long one's bytes, and only CR LF pairs lose their CR.
TEST(ConsoleFrontEnd, WritesEachBatchWithLineFeedsAndNothingLeftOver) {
  std::ostringstream out;
  std::ostringstream err;
  ConsoleFrontEnd console(out, err);
  const std::string longLine(5000, 'x');
  const std::vector<std::pair<TraceBatch, std::string>> cases = {
      {{Received(longLine, true), Received("tail", false)}, longLine + "\ntail"},
      {{Received("a", true)}, "a\n"},
      {{Received("", false)}, ""},
      {{Received("lone\rCR", true), Received("\r", true)}, "lone\rCR\n\r\n"},
      {{Received("report\r\nline", true), Received("\r\r\n", false)}, "report\nline\n\r\n"},
  };
  std::string expected;
  for (const auto& [batch, text] : cases) {
    console.AppendTrace(batch);
    expected += text;
    EXPECT_EQ(out.str(), expected);
  }
  EXPECT_FALSE(console.TraceStopped());
}

}  // namespace

}  // namespace linkwright
