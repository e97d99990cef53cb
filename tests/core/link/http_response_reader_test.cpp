#include "link/http/http_response_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace linkwright {

namespace {

struct ReaderCase {
  const char* name;
  std::string stream;
  std::string header;
  std::string body;
  bool headerComplete;
  bool bodyComplete;
};

const std::vector<ReaderCase> kReaderCases = {
    {"CrLfHeaderEnd", "HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody", "HTTP/1.0 200 OK\r\nA: b\r\n\r\n",
     "body", true, false},
    {"BareLfHeaderEnd", "HTTP/1.0 200 OK\nA: b\n\nbody", "HTTP/1.0 200 OK\nA: b\n\n", "body", true,
     false},
    {"LeadingLineFeedIsTheWholeHeader", "\nrest", "\n", "rest", true, false},
    {"CrBeforeTheLeadingLineFeed", "\r\nrest", "\r\n", "rest", true, false},
    {"NoEmptyLineYet", "HTTP/1.0 200 OK\r\nA: b\r\n", "HTTP/1.0 200 OK\r\nA: b\r\n", "", false,
     false},
    {"ContentLengthEndsTheBody", "H\r\nContent-Length: 3\r\n\r\nabcdef",
     "H\r\nContent-Length: 3\r\n\r\n", "abc", true, true},
    {"ContentLengthZero", "H\r\nContent-Length: 0\r\n\r\nx", "H\r\nContent-Length: 0\r\n\r\n", "",
     true, true},
    {"ContentLengthNameInAnyCase", "H\nCONTENT-length:\t2 \n\nxyz", "H\nCONTENT-length:\t2 \n\n",
     "xy", true, true},
    {"ShortBodyIsNotComplete", "H\r\nContent-Length: 9\r\n\r\nabc",
     "H\r\nContent-Length: 9\r\n\r\n", "abc", true, false},
    {"MalformedLengthIsIgnored", "H\r\nContent-Length: 3x\r\n\r\nabcdef",
     "H\r\nContent-Length: 3x\r\n\r\n", "abcdef", true, false},
    {"ConflictingLengthsAreIgnored", "H\nContent-Length: 1\nContent-Length: 2\n\nabc",
     "H\nContent-Length: 1\nContent-Length: 2\n\n", "abc", true, false},
    {"RepeatedEqualLengthsCount", "H\nContent-Length: 2\nContent-Length: 2\n\nabc",
     "H\nContent-Length: 2\nContent-Length: 2\n\n", "ab", true, true},
    {"LengthInTheBodyIsNotLookedAt", "H\n\nContent-Length: 1\n", "H\n\n", "Content-Length: 1\n",
     true, false},
    {"ZeroBytesStayInHeaderAndBody", std::string("H\0\n\n\0b", 6), std::string("H\0\n\n", 4),
     std::string("\0b", 2), true, false},
};

class HttpResponseReaderCases : public testing::TestWithParam<ReaderCase> {};

// Every split of the stream into two takes must give the same result as one take.
TEST_P(HttpResponseReaderCases, SplitsHeaderAndBodyWhateverTheChunking) {
  const ReaderCase& c = GetParam();
  for (size_t split = 0; split <= c.stream.size(); ++split) {
    SCOPED_TRACE("split at " + std::to_string(split));
    HttpResponseReader reader;
    const size_t taken = reader.Take(std::string_view(c.stream).substr(0, split)) +
                         reader.Take(std::string_view(c.stream).substr(split));
    EXPECT_EQ(reader.Header(), c.header);
    EXPECT_EQ(reader.Body(), c.body);
    EXPECT_EQ(reader.HeaderComplete(), c.headerComplete);
    EXPECT_EQ(reader.BodyComplete(), c.bodyComplete);
    EXPECT_EQ(taken, c.header.size() + c.body.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpResponseReaderCases, testing::ValuesIn(kReaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AnnouncedContentLength, ReadsOnlyAWellFormedField) {
  EXPECT_EQ(AnnouncedContentLength("HTTP/1.0 200 OK\r\nContent-Length: 42\r\n\r\n"), 42u);
  EXPECT_EQ(AnnouncedContentLength("HTTP/1.0 200 OK\r\n\r\n"), std::nullopt);
  EXPECT_EQ(AnnouncedContentLength("Content-Length: \r\n"), std::nullopt);
  EXPECT_EQ(AnnouncedContentLength("Content-Length: -1\r\n"), std::nullopt);
  EXPECT_EQ(AnnouncedContentLength("Content-Length: 99999999999999999999\r\n"), std::nullopt);
  EXPECT_EQ(AnnouncedContentLength("X-Content-Length: 5\r\n"), std::nullopt);
}

}  // namespace

}  // namespace linkwright
