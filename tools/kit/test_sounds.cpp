// The three test sounds the sound set-up screen plays while the levels are
// adjusted: a whistle, a crowd murmur that loops, and a voice-like phrase.
// Made here in code; a fixed-seed generator keeps every build identical.
#include "lib/kit.h"
#include "lib/wav_write.h"
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{

using namespace synth;

// Filtered noise in two bands, swelling slowly. The swells go a whole number
// of times round in the length, and the noise's own seam is cross-faded, so
// the end runs straight on into the start.
std::vector<double> crowd()
{
    const size_t n = RATE * 4, overlap = RATE / 5;
    Noise noise{0xC0DE4711u};
    Resonator low, mid, high;
    std::vector<double> raw(n + overlap);
    for (size_t i = 0; i < raw.size(); ++i) {
        double t = static_cast<double>(i) / RATE;
        double white = noise.next();
        double rumble = low.run(white, 260.0, 400.0);
        double babble = mid.run(white, 900.0, 700.0) + 0.4 * high.run(white, 2300.0, 1200.0);
        double swell = 0.65 + 0.2 * std::sin(TWO_PI * t / 4.0) + 0.1 * std::sin(TWO_PI * 3.0 * t / 4.0 + 1.0);
        double chatter = 0.8 + 0.2 * std::sin(TWO_PI * 7.0 * t / 4.0);
        raw[i] = swell * (1.5 * rumble + babble * chatter);
    }
    std::vector<double> wave(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(n));
    // Equal-power fade, since the two pieces of noise are unrelated.
    for (size_t i = 0; i < overlap; ++i) {
        double a = (static_cast<double>(i) + 0.5) / static_cast<double>(overlap) * PI / 2.0;
        wave[i] = raw[i] * std::sin(a) + raw[n + i] * std::cos(a);
    }
    return wave;
}

struct Syllable {
    double start, length; // seconds
    double pitch_from, pitch_to;
    double f1, f2, f3; // vowel formants
};

// Six gliding syllables, like a caller's phrase heard from another room.
const Syllable phrase[] = {
    {0.10, 0.30, 150, 185, 730, 1090, 2440}, // ah
    {0.45, 0.25, 190, 170, 530, 1840, 2480}, // eh
    {0.75, 0.40, 175, 210, 270, 2290, 3010}, // ee
    {1.25, 0.35, 200, 160, 570, 840, 2410},  // aw
    {1.70, 0.30, 165, 180, 300, 870, 2240},  // oo
    {2.10, 0.75, 185, 125, 730, 1090, 2440}, // ah, falling to the end
};

std::vector<double> voice()
{
    const size_t n = RATE * 3;
    Resonator formant[3];
    std::vector<double> wave(n);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / RATE;
        const Syllable* s = nullptr;
        for (const Syllable& row : phrase)
            if (t >= row.start && t < row.start + row.length) s = &row;
        double source = 0, f1 = 500, f2 = 1500, f3 = 2500, envelope = 0;
        if (s) {
            double k = (t - s->start) / s->length;
            double pitch = s->pitch_from + (s->pitch_to - s->pitch_from) * k;
            phase += TWO_PI * pitch / RATE;
            // Harmonics falling away like a throat's buzz, none past 4 kHz.
            for (int h = 1; h * pitch < 4000.0; ++h)
                source += std::sin(h * phase) / h;
            f1 = s->f1, f2 = s->f2, f3 = s->f3;
            envelope = std::min({(t - s->start) / 0.03, (s->start + s->length - t) / 0.06, 1.0});
        }
        wave[i] = (formant[0].run(source, f1, 90.0) + 0.7 * formant[1].run(source, f2, 110.0) +
                   0.3 * formant[2].run(source, f3, 170.0)) *
                  envelope;
    }
    // The formants favour some pitches over others; even the syllables out.
    for (const Syllable& s : phrase) {
        size_t from = static_cast<size_t>(s.start * RATE),
               to = std::min(n, static_cast<size_t>((s.start + s.length) * RATE));
        double sum = 0;
        for (size_t i = from; i < to; ++i)
            sum += wave[i] * wave[i];
        double level = std::sqrt(sum / static_cast<double>(to - from));
        if (level > 0)
            for (size_t i = from; i < to; ++i)
                wave[i] /= level;
    }
    return wave;
}

bool build_test_sounds(const KitContext& ctx, std::string& error)
{
    return kit_write_file(ctx, "kob99_sfx\\sfxtest.wav", kit_wav_mono16(RATE, to_pcm(whistle(0.6, 0x5EED1234u), 0.7)),
                          error) &&
           kit_write_file(ctx, "kob99_sfx\\crowd.wav", kit_wav_mono16(RATE, to_pcm(crowd(), 0.5)), error) &&
           kit_write_file(ctx, "kob99_sfx\\commtest.wav", kit_wav_mono16(RATE, to_pcm(voice(), 0.7)), error);
}

} // namespace

KIT_STEP(test_sounds, 20, build_test_sounds)
