#pragma once

// What the printing benchmarks share: the counters of a run that wrote
// `pages` pages to `pdf` (pages, seconds a page, PDF bytes a page). Their
// main() is page_bench_main.cpp: a Qt application without a display, with
// settings of its own.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

namespace sq::bench {

inline void setPageCounters(benchmark::State& state, int pages,
                            const std::filesystem::path& pdf) {
  state.counters["pages"] = pages;
  state.counters["s_per_page"] = benchmark::Counter(
      pages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["pdf_bytes_per_page"] =
      static_cast<double>(std::filesystem::file_size(pdf)) / std::max(1, pages);
}

}  // namespace sq::bench
