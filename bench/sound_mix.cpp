// What the sound device's thread spends mixing: a block of 512 frames (about
// 23 ms of output) with the match's usual load of voices playing at once,
// some at their own rate and some resampled, and one shade table build (a
// front-end message box builds five).
#include "host/audio.h"
#include "host/host_test_hooks.h"
#include "screen/screen.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

void MixBlock(benchmark::State& state)
{
    host_sound_set_manual_output(true);
    host_sound_open();
    const uint32_t voices = static_cast<uint32_t>(state.range(0));
    std::vector<uint8_t> sound(44100);
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = static_cast<uint8_t>(i * 7);
    for (uint32_t v = 0; v < voices; ++v) {
        HostSoundBuffer* b = host_sound_create_buffer(HostSoundFormat{1, 16, 22050}, 44100);
        void *p1, *p2;
        uint32_t n1, n2;
        host_sound_lock(b, 0, 44100, &p1, &n1, &p2, &n2);
        std::memcpy(p1, sound.data(), n1);
        host_sound_unlock(b, p1, n1, p2, n2);
        host_sound_set_frequency(b, v % 2 ? 22050 : 18000 + 500 * v);
        host_sound_set_volume(b, -100 * static_cast<int32_t>(v));
        host_sound_play(b, true);
    }
    std::vector<int16_t> out(512);
    for (auto _ : state) {
        host_sound_mix(out.data(), 512);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 512);
    host_sound_close();
}
BENCHMARK(MixBlock)->Arg(1)->Arg(8)->Arg(32);

void BuildShadeTable(benchmark::State& state)
{
    std::vector<uint8_t> palette(768);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 37 % 64);
    uint8_t table[256];
    for (auto _ : state) {
        build_shade_table(palette.data(), table, 0x050709C8);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BuildShadeTable);

} // namespace
