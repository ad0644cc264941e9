// The settings reader's cost grows with the file, whatever its lines: a chain of continued
// lines made of backslashes is the case that once grew with the square of its length.
#include <benchmark/benchmark.h>

#include <string>

#include "core/properties.h"

namespace {

std::string continuedChain(std::int64_t lines, const char* line) {
    std::string text = "key=";
    for (std::int64_t i = 0; i < lines; ++i)
        text += line;
    return text;
}

void BM_ContinuedBackslashLines(benchmark::State& state) {
    const std::string text = continuedChain(state.range(0), "\\\\\\\n");
    for (auto _ : state)
        benchmark::DoNotOptimize(vemo::core::parseProperties(text));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ContinuedBackslashLines)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();

void BM_ContinuedTextLines(benchmark::State& state) {
    const std::string text = continuedChain(state.range(0), "  value\\\r\n");
    for (auto _ : state)
        benchmark::DoNotOptimize(vemo::core::parseProperties(text));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ContinuedTextLines)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();

}  // namespace
