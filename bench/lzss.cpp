// How fast ".LKZ" pictures pack and unpack: a 256 x 256 picture of 32-bit
// pixels with smooth shading and flat areas, as menu pictures have.
#include "lib/lzss_write.h"
#include "platform/lzss.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::vector<uint32_t> picture()
{
    std::vector<uint32_t> pixels(256 * 256);
    for (uint32_t y = 0; y < 256; ++y)
        for (uint32_t x = 0; x < 256; ++x)
            pixels[y * 256 + x] = y < 128 ? 0xFF000000u | (x << 16) | (y << 8) : 0xFF204060u;
    return pixels;
}

void PackPicture(benchmark::State& state)
{
    std::vector<uint32_t> pixels = picture();
    for (auto _ : state) benchmark::DoNotOptimize(kit_lkz_image(256, 256, pixels));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 256 * 256 * 4);
}
BENCHMARK(PackPicture);

void UnpackPicture(benchmark::State& state)
{
    std::vector<uint8_t> file = kit_lkz_image(256, 256, picture());
    for (auto _ : state) {
        std::FILE* f = fmemopen(file.data(), file.size(), "rb");
        uint8_t* image = load_lkz_image(f, nullptr, nullptr);
        benchmark::DoNotOptimize(image);
        std::free(image);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 256 * 256 * 4);
    state.counters["packed_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(UnpackPicture);

} // namespace
