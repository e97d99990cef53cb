#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace linkwright {

// A plain copy of `size` bytes, run beside a benchmark so its bytes/s can be read against the
// speed of memory on the same machine at the same moment.
inline void MemcpyBaseline(benchmark::State& state, size_t size) {
  std::string source(size, 'a');
  std::string target(size, '\0');
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), size);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

}  // namespace linkwright
