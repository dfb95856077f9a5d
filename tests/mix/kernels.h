// Test drivers for the mixer's kernels: a resampler fed block by block as
// the mixer feeds it, and compression 7 mono blocks written by hand.
#pragma once

#include "mix/mixer.h"

#include <cstdint>
#include <vector>

// Drives one resampler over a signal f(frame, channel), in the sample type
// of its kernel set, block by block.
template <typename T>
struct DrivenResampler {
    SndResampler r{};
    SndSetStep set_step = nullptr;
    SndInputNeeded input_needed = nullptr;
    SndResample resample = nullptr;
    // Room in front for the frames the resampler puts back.
    std::vector<T> area = std::vector<T>(16 + 2 * 4200);
    size_t fed = 0;
    DrivenResampler(SndResamplerInit init, uint32_t step)
    {
        init(&r, &set_step, &input_needed, &resample);
        set_step(&r, step);
    }
    // n output frames of a ch-wide signal.
    template <typename F>
    std::vector<T> run(int32_t n, int ch, F f)
    {
        int32_t need = input_needed(&r, n);
        T* in = area.data() + 16;
        for (int32_t i = 0; i < need; ++i)
            for (int c = 0; c < ch; ++c) in[i * ch + c] = static_cast<T>(f(fed + static_cast<size_t>(i), c));
        fed += static_cast<size_t>(need);
        std::vector<T> out(static_cast<size_t>(n * ch));
        void* o = out.data();
        resample(&r, n, in, &o);
        const T* got = static_cast<const T*>(o);
        return std::vector<T>(got, got + n * ch);
    }
};

// A compression 7 mono block: its header byte and 28 four-bit codes.
inline std::vector<uint8_t> monoblock(uint8_t header, std::vector<uint8_t> codes)
{
    codes.resize(28, 0);
    std::vector<uint8_t> b{header};
    for (int i = 0; i < 28; i += 2) b.push_back(static_cast<uint8_t>(codes[i] << 4 | codes[i + 1]));
    return b;
}
