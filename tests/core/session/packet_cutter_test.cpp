#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "session/packet_cutter.h"

namespace linkwright {

namespace {

struct Cut {
  std::vector<std::string> packets;
  std::string rest;
};

// The extraction rule applied again and again to the whole buffer from its start.
Cut CutWhole(std::string buffer, const std::string& opener, const std::string& closer) {
  Cut cut;
  for (;;) {
    const size_t openerAt = buffer.find(opener);
    const size_t closerAt =
        openerAt == std::string::npos ? openerAt : buffer.find(closer, openerAt + opener.size());
    if (closerAt == std::string::npos) {
      break;
    }
    const size_t end = closerAt + closer.size();
    cut.packets.push_back(buffer.substr(openerAt, end - openerAt));
    buffer.erase(0, end);
  }
  cut.rest = buffer;
  return cut;
}

// The same bytes arriving in pieces, each piece cut at once as the receive cycle does.
Cut CutInPieces(const std::string& bytes, const std::vector<size_t>& pieceSizes,
                const std::string& opener, const std::string& closer) {
  PacketCutter cutter;
  std::string buffer;
  Cut cut;
  size_t at = 0;
  for (size_t i = 0; at < bytes.size(); ++i) {
    const size_t size = pieceSizes[i % pieceSizes.size()];
    cutter.Append(buffer, bytes.substr(at, size));
    at += size;
    const std::vector<PacketSpan> spans = cutter.FindPackets(buffer, opener, closer);
    for (const PacketSpan& span : spans) {
      cut.packets.push_back(buffer.substr(span.begin, span.end - span.begin));
    }
    cutter.Discard(buffer, spans.empty() ? 0 : spans.back().end);
  }
  cut.rest = buffer;
  return cut;
}

TEST(PacketCutterTest, PiecesOfAnySizeCutLikeTheWholeBuffer) {
  struct Frame {
    std::string opener;
    std::string closer;
  };
  const std::vector<Frame> frames = {{"", "\r"},   {"", "\r\n"}, {"\x02", "\x03"},
                                     {"<<", ">>"}, {"ab", "ba"}, {"aa", "aa"}};
  std::mt19937 random(7);
  for (const Frame& frame : frames) {
    // Few distinct bytes, so openers and closers turn up often and overlap.
    const std::string alphabet = "ab<>\r\n\x02\x03";
    std::string bytes;
    for (int i = 0; i < 3000; ++i) {
      bytes.push_back(alphabet[random() % alphabet.size()]);
    }
    const Cut whole = CutWhole(bytes, frame.opener, frame.closer);
    for (const std::vector<size_t>& pieces :
         std::vector<std::vector<size_t>>{{1}, {2}, {3, 1}, {7, 2, 5}, {64}, {3000}}) {
      const Cut inPieces = CutInPieces(bytes, pieces, frame.opener, frame.closer);
      EXPECT_EQ(inPieces.packets, whole.packets) << "opener " << frame.opener;
      EXPECT_EQ(inPieces.rest, whole.rest) << "opener " << frame.opener;
    }
  }
}

TEST(PacketCutterTest, AnEmptyCloserFindsNothing) {
  PacketCutter cutter;
  std::string buffer;
  cutter.Append(buffer, "abc\r");
  EXPECT_TRUE(cutter.FindPackets(buffer, "", "").empty());
  EXPECT_TRUE(cutter.FindPackets(buffer, "a", "").empty());
}

TEST(PacketCutterTest, DiscardingAPendingOpenerSearchesForTheNextOne) {
  PacketCutter cutter;
  std::string buffer;
  cutter.Append(buffer, "<aaa<bb");
  EXPECT_TRUE(cutter.FindPackets(buffer, "<", ">").empty());
  cutter.Discard(buffer, 2);
  cutter.Append(buffer, ">");
  const std::vector<PacketSpan> spans = cutter.FindPackets(buffer, "<", ">");
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(buffer.substr(spans[0].begin, spans[0].end - spans[0].begin), "<bb>");
}

TEST(PacketCutterTest, ABufferChangedBehindItsBackIsSearchedAgain) {
  PacketCutter cutter;
  std::string buffer;
  cutter.Append(buffer, "xxxxxxxx");
  EXPECT_TRUE(cutter.FindPackets(buffer, "", "\r").empty());
  buffer = "ab\r";
  const std::vector<PacketSpan> spans = cutter.FindPackets(buffer, "", "\r");
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].end, 3u);
}

}  // namespace

}  // namespace linkwright
