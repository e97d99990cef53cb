#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>

#include "codec/escape_codec.h"
#include "memcpy_baseline.h"

namespace linkwright {

namespace {

constexpr size_t kSize = 1 << 20;

char PrintableCharacter(std::mt19937& random) {
  return static_cast<char>(' ' + random() % 95);
}

// Message text as users write it: runs of printable characters with a bracketed escape now
// and then (a literal '[' would only fall back, so the runs hold none), by name, in hexadecimal or
// in decimal.
std::string TypicalMessageText(size_t size) {
  static constexpr std::array<const char*, 8> kEscapes = {"[STX]", "[ETX]", "[CR]", "[LF]",
                                                          "[x1B]", "[ACK]", "[27]", "[x0D]"};
  std::mt19937 random(1);
  std::string text;
  while (text.size() < size) {
    size_t run = 8 + random() % 40;
    for (size_t i = 0; i < run; ++i) {
      char c = PrintableCharacter(random);
      text.push_back(c == '[' ? '(' : c);
    }
    text += kEscapes[random() % kEscapes.size()];
  }
  text.resize(size);
  return text;
}

// Received bytes of the same kind: printable runs with a control byte now and then.
ByteString TypicalMessageBytes(size_t size) {
  static constexpr std::array<char, 6> kControls = {'\x02', '\x03', '\r', '\n', '\x1B', '\x06'};
  std::mt19937 random(2);
  ByteString bytes;
  while (bytes.size() < size) {
    size_t run = 8 + random() % 40;
    for (size_t i = 0; i < run; ++i) {
      bytes.push_back(PrintableCharacter(random));
    }
    bytes.push_back(kControls[random() % kControls.size()]);
  }
  bytes.resize(size);
  return bytes;
}

void BM_Memcpy(benchmark::State& state) {
  MemcpyBaseline(state, kSize);
}
BENCHMARK(BM_Memcpy);

void BM_TextToBytes(benchmark::State& state) {
  std::string text = TypicalMessageText(kSize);
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToBytes(text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextToBytes);

// The worst case for the bracket rules: every '[' looks for a ']' that never comes.
void BM_TextToBytesOpenBrackets(benchmark::State& state) {
  std::string text(kSize, '[');
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToBytes(text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextToBytesOpenBrackets);

void BM_BytesToTextSymbols(benchmark::State& state) {
  ByteString bytes = TypicalMessageBytes(kSize);
  for (auto _ : state) {
    benchmark::DoNotOptimize(BytesToText(bytes, false));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_BytesToTextSymbols);

}  // namespace

}  // namespace linkwright
