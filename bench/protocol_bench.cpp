// Costs of the deck protocol's pure functions: frame building, time-code and status decoding.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "deck/protocol.h"
#include "deck/status_words.h"
#include "deck/timecode.h"

namespace {

using namespace vemo::deck;

void BM_CueFrameFromText(benchmark::State& state) {
    const std::string text = "01:02:03:04";
    for (auto _ : state)
        benchmark::DoNotOptimize(protocol::cueFrame(text));
}
BENCHMARK(BM_CueFrameFromText);

void BM_ShuttleFrame(benchmark::State& state) {
    int speed = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(protocol::shutfwdFrame(speed));
        speed = (speed + 1) & 0xFF;
    }
}
BENCHMARK(BM_ShuttleFrame);

void BM_DecodeTimeData(benchmark::State& state) {
    // The frames byte changes each pass and the checksum follows it: every reply is taken.
    std::uint8_t reply[16] = {0x74, 0x04, 0x59, 0x23, 0x45, 0xC1, 0xFA};
    for (auto _ : state) {
        auto tc = protocol::decodeTimeData(reply, 7);
        benchmark::DoNotOptimize(tc.value().frameCount());
        benchmark::DoNotOptimize(tc->text());
        reply[2] = static_cast<std::uint8_t>((reply[2] + 1) & 0x29);
        reply[6] = protocol::checksum(reply, 6);
    }
}
BENCHMARK(BM_DecodeTimeData);

void BM_DecodeStatus(benchmark::State& state) {
    const std::uint8_t reply[12] = {0x79, 0x29, 0x00, 0x21, 0x31, 0x00, 0x01, 0, 0, 0, 0, 0};
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeStatus(reply, false, false));
}
BENCHMARK(BM_DecodeStatus);

void BM_TimeTextToFrames(benchmark::State& state) {
    const std::string text = "12:34:56:29";
    for (auto _ : state)
        benchmark::DoNotOptimize(framesOf(text));
}
BENCHMARK(BM_TimeTextToFrames);

}  // namespace
