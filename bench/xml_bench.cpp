#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "xml/xml_builders.h"
#include "xml/xml_reader.h"

namespace linkwright {

namespace {

constexpr size_t kSize = 10 << 20;

// A message file of about `size` bytes: a root holding many rows, each with short message,
// comment, active and trigger elements, as the save routine lays them out.
ByteString MessageFileDocument(size_t size) {
  std::mt19937 random(3);
  auto text = [&random](size_t length) {
    std::string value;
    for (size_t i = 0; i < length; ++i) {
      value.push_back(static_cast<char>(' ' + random() % 95));
    }
    return value;
  };
  ByteString document = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
  auto line = [&document](std::string_view indent, const ByteString& tags) {
    document.append(indent).append(tags).append("\r\n");
  };
  line("", XmlOpenTag("table"));
  for (int row = 1; document.size() < size; ++row) {
    line("\t", XmlOpenTag("row", "id=\"" + std::to_string(row) + "\""));
    line("\t\t", XmlElement("message", text(8 + random() % 32)));
    line("\t\t", XmlElement("comment", text(random() % 24)));
    line("\t\t", XmlElement("active", row % 3 == 0 ? "1" : "0"));
    line("\t\t", XmlElement("trigger", text(random() % 12)));
    line("\t", XmlCloseTag("row"));
  }
  line("", XmlCloseTag("table"));
  return document;
}

const ByteString& Document() {
  static const ByteString document = MessageFileDocument(kSize);
  return document;
}

// What a load does with text it already holds: copy it into the reader and parse it.
void BM_XmlSetText(benchmark::State& state) {
  const ByteString& document = Document();
  XmlReader reader;
  for (auto _ : state) {
    bool parsed = reader.SetText(document);
    benchmark::DoNotOptimize(parsed);
    if (!parsed) {
      state.SkipWithError(reader.GetResultText().c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}
BENCHMARK(BM_XmlSetText)->Unit(benchmark::kMillisecond);

// The same bytes copied once: the floor any parse of this text stands on.
void BM_MemcpyDocument(benchmark::State& state) {
  const ByteString& document = Document();
  ByteString copy(document.size(), '\0');
  for (auto _ : state) {
    std::memcpy(copy.data(), document.data(), document.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}
BENCHMARK(BM_MemcpyDocument)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace linkwright
