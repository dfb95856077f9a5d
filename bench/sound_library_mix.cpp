// What the sound library's mixer spends on one 256-frame block of 16-bit
// stereo output, on each kernel set: voices of every source format, half of
// them resampled, at uneven levels.
#include "cmn/cpu.h"
#include "mix/mixer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

void MixBlock(benchmark::State& state)
{
    libcpu.mmx = state.range(0) != 0;
    const int32_t voices = static_cast<int32_t>(state.range(1));
    iSNDmixinit(8, nullptr);
    static constexpr int32_t FORMATS[4] = {1, 2, 4, 8};
    static constexpr uint32_t STEPS[4] = {0x10000, 0xB000, 0x10000, 0x17000};
    // Long enough that no voice ends while the benchmark runs: they loop.
    std::vector<uint8_t> data(4 * 44100);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>((i * 37) ^ (i >> 5));
    for (int32_t v = 0; v < voices; ++v) {
        int32_t format = FORMATS[v % 4];
        int32_t frames = static_cast<int32_t>(data.size()) / (format == 8 ? 4 : format == 1 ? 1 : 2);
        iSNDmixstart(v, format, 0, 1, reinterpret_cast<intptr_t>(data.data()), frames, 0, frames - 1, 127 - 7 * v,
                     40 + 5 * v, STEPS[(v / 4) % 4], 100, 0);
    }
    std::vector<int16_t> out(2 * SND_BLOCK);
    for (auto _ : state) {
        iSNDmix(out.data(), SND_BLOCK);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * SND_BLOCK);
    state.SetLabel(libcpu.mmx ? "MMX set" : "plain set");
    for (int32_t v = 0; v < SND_CHANNELS; ++v) sndmixvoices[v].state = 0;
}
BENCHMARK(MixBlock)->ArgsProduct({{0, 1}, {1, 8, 16}});

} // namespace
