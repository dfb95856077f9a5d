// Small sound-making helpers the kit's sound steps share: a fixed-seed noise
// source, a two-pole resonator and scaling to 16-bit samples.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace synth
{

constexpr uint32_t RATE = 22050;
constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;

// xorshift32: the same noise on every machine and every run.
struct Noise {
    uint32_t state;
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

// A two-pole resonator, for formants and noise bands; its gain is left to the
// final scaling.
struct Resonator {
    double y1 = 0, y2 = 0;
    double run(double x, double centre, double width)
    {
        double r = std::exp(-PI * width / RATE);
        double y = (1.0 - r) * x + 2.0 * r * std::cos(TWO_PI * centre / RATE) * y1 - r * r * y2;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// Scales to the given share of full scale, well clear of the 16-bit limits.
inline std::vector<int16_t> to_pcm(const std::vector<double>& wave, double peak_share)
{
    double peak = 0;
    for (double v : wave)
        peak = std::max(peak, std::fabs(v));
    double scale = peak > 0 ? peak_share * 32767.0 / peak : 0.0;
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); ++i)
        pcm[i] = static_cast<int16_t>(std::lrint(wave[i] * scale));
    return pcm;
}

// A referee-style whistle: a bright tone with a little flutter and breath,
// up to full in a few milliseconds, dying away over the length.
inline std::vector<double> whistle(double seconds, uint32_t seed)
{
    const size_t n = static_cast<size_t>(RATE * seconds);
    const double attack = 0.012, fade = 0.02, length = static_cast<double>(n) / RATE;
    Noise noise{seed};
    Resonator breath;
    std::vector<double> wave(n);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / RATE;
        double pitch = 2750.0 + 120.0 * std::min(t / 0.05, 1.0) + 35.0 * std::sin(TWO_PI * 28.0 * t);
        phase += TWO_PI * pitch / RATE;
        double tone = std::sin(phase) + 0.18 * std::sin(2.0 * phase);
        double air = breath.run(noise.next(), pitch, 900.0) * 6.0;
        double envelope = std::min(t / attack, 1.0) * std::exp(-3.5 * t) * std::min((length - t) / fade, 1.0);
        wave[i] = (tone + air) * envelope;
    }
    return wave;
}

} // namespace synth
