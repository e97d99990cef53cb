#include <benchmark/benchmark.h>

#include <random>

#include "checksum/checksum.h"
#include "memcpy_baseline.h"

namespace linkwright {

namespace {

constexpr size_t kSize = 1 << 20;

ByteString RandomBytes() {
  std::mt19937 random(3);
  ByteString bytes(kSize, '\0');
  for (char& b : bytes) {
    b = static_cast<char>(random() % 256);
  }
  return bytes;
}

void BM_Memcpy(benchmark::State& state) {
  MemcpyBaseline(state, kSize);
}
BENCHMARK(BM_Memcpy);

// Each checksum takes its bytes by value, so the copy is part of what a caller pays.
template <auto Checksum>
void BM_Checksum(benchmark::State& state) {
  ByteString bytes = RandomBytes();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Checksum(bytes));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}
BENCHMARK_TEMPLATE(BM_Checksum, XorChecksum);
BENCHMARK_TEMPLATE(BM_Checksum, LrcChecksum);
BENCHMARK_TEMPLATE(BM_Checksum, ModbusLrc);
// ModbusCrc and SolCrc decode their input as escaped text first; SolCrc then uses only the
// first 1000 decoded bytes, so its figure is mostly the decoding.
BENCHMARK_TEMPLATE(BM_Checksum, ModbusCrc);
BENCHMARK_TEMPLATE(BM_Checksum, ModbusGeCrc);
BENCHMARK_TEMPLATE(BM_Checksum, SolCrc);
BENCHMARK_TEMPLATE(BM_Checksum, OplcCrc);
BENCHMARK_TEMPLATE(BM_Checksum, Md5Hex);

// The sol register at the largest input it ever covers, bracket-free so all of it is used.
void BM_SolCrcThousandBytes(benchmark::State& state) {
  ByteString bytes = RandomBytes().substr(0, 4000);
  std::erase(bytes, '[');
  bytes.resize(1000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(SolCrc(bytes));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_SolCrcThousandBytes);

}  // namespace

}  // namespace linkwright
