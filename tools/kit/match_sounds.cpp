// The match's sound effects ("kob99_sfx\<name>.lka"): body knocks, the kick,
// the ball's bounce, whistles and the siren, the crowd's cheers, boos and
// chants, the players' grunts and the umpire's two calls. Made here in code
// from fixed seeds, so every build is identical.
#include "lib/adpcm_write.h"
#include "lib/kit.h"
#include "speech.h"
#include "synth.h"

#include "display/match_sound.h"

#include <cstring>
#include <string>

using namespace synth;

namespace
{

std::vector<double> silence(double seconds) { return std::vector<double>(static_cast<size_t>(RATE * seconds), 0.0); }

// A body knock: a low thump under a short burst of cloth and noise.
std::vector<double> knock(uint32_t seed, double pitch, double seconds, double grit)
{
    std::vector<double> w = silence(seconds);
    Noise noise{seed};
    Resonator body, cloth;
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        phase += TWO_PI * pitch * (1.0 - 0.4 * std::min(t / seconds, 1.0)) / RATE;
        const double thump = std::sin(phase) * std::exp(-t * 18.0);
        const double burst = cloth.run(noise.next(), 1200 + 900 * grit, 1500) * std::exp(-t * 40.0) * (2 + 6 * grit);
        w[i] = thump + body.run(burst, 300, 400) * 3 + burst;
    }
    return w;
}

// The post: a hollow wooden clonk.
std::vector<double> clonk()
{
    std::vector<double> w = silence(0.6);
    for (size_t i = 0; i < w.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        w[i] = (std::sin(TWO_PI * 420 * t) + 0.6 * std::sin(TWO_PI * 1130 * t) + 0.3 * std::sin(TWO_PI * 2270 * t)) *
               std::exp(-t * 9.0);
    }
    return w;
}

std::vector<double> slap()
{
    std::vector<double> w = silence(0.18);
    Noise noise{0x51A9u};
    Resonator band;
    for (size_t i = 0; i < w.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        w[i] = band.run(noise.next(), 2600, 2500) * std::exp(-t * 45.0);
    }
    return w;
}

// The siren: a wailing tone up and back down.
std::vector<double> siren()
{
    std::vector<double> w = silence(2.6);
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        const double rise = t < 0.6 ? t / 0.6 : (t < 1.9 ? 1.0 : std::max(0.0, 1.0 - (t - 1.9) / 0.7));
        phase += TWO_PI * (330 + 300 * rise) / RATE;
        w[i] = (std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.25 * std::sin(3 * phase)) * std::min(1.0, rise * 3 + 0.1) *
               std::min(1.0, (2.6 - t) / 0.1);
    }
    return w;
}

// Many voices at once: noise shaped by moving vowel formants.
std::vector<double> roar(uint32_t seed, double seconds, double f1, double f2, double swell_hz, double brightness)
{
    std::vector<double> w = silence(seconds);
    Noise noise{seed};
    Resonator a, b, c, low;
    for (size_t i = 0; i < w.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        const double white = noise.next();
        const double envelope = std::min(t / 0.35, 1.0) * std::min((seconds - t) / 0.8, 1.0) *
                                (0.8 + 0.2 * std::sin(TWO_PI * swell_hz * t));
        w[i] = (a.run(white, f1, 250) + 0.8 * b.run(white, f2, 350) + brightness * c.run(white, 3000, 1500) +
                0.8 * low.run(white, 200, 300)) *
               envelope;
    }
    return w;
}

// A chant: the crowd's rhythm, claps between sung vowels.
std::vector<double> chant(uint32_t seed, double beat, int beats)
{
    const double seconds = beat * beats + 0.4;
    std::vector<double> w = silence(seconds);
    std::vector<double> voices = roar(seed, seconds, 500, 900, 0.5, 0.1);
    Noise noise{seed ^ 0xC1A9u};
    Resonator clap;
    for (size_t i = 0; i < w.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        const double k = std::fmod(t, beat) / beat;
        const int n = static_cast<int>(t / beat);
        const bool sung = (n % 4) < 2;
        const double clap_env = std::exp(-k * beat * 60.0);
        w[i] = (sung ? voices[i] * std::sin(PI * std::min(k * 1.1, 1.0)) * 1.6 : 0.0) +
               clap.run(noise.next(), 1800, 2000) * clap_env * 4;
    }
    return w;
}

std::vector<double> grunt(uint32_t seed)
{
    Noise noise{seed};
    const double seconds = 0.22 + 0.1 * (noise.next() + 1);
    const double pitch = 110 + 40 * (noise.next() + 1), f1 = 500 + 200 * (noise.next() + 1);
    std::vector<double> w = silence(seconds);
    Resonator a, b;
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        phase += TWO_PI * pitch * (1.0 - 0.3 * t / seconds) / RATE;
        double source = 0;
        for (int h = 1; h * pitch < 3000; ++h) source += std::sin(h * phase) / h;
        source += 0.3 * noise.next();
        w[i] = (a.run(source, f1, 120) + 0.5 * b.run(source, 1200, 200)) * std::sin(PI * t / seconds);
    }
    return w;
}

std::vector<int16_t> effect(const char* name)
{
    const std::string n = name;
    auto number = [&] { return static_cast<uint32_t>(std::atoi(n.c_str() + n.find_first_of("0123456789"))); };
    if (n.rfind("TACKLE", 0) == 0) return to_pcm(knock(0x7AC0u + number(), 70 + 6 * number(), 0.35, 0.4), 0.8);
    if (n.rfind("FIGHT_", 0) == 0) return to_pcm(knock(0xF167u + number(), 90 + 5 * number(), 0.3, 0.9), 0.8);
    if (n.rfind("GRUNT_", 0) == 0) return to_pcm(grunt(0x6A0Bu + number()), 0.6);
    if (n.rfind("CHEER", 0) == 0) return to_pcm(roar(0xC4EEu + number(), 2.6 + 0.4 * number(), 850, 1700, 0.9, 0.6), 0.8);
    if (n.rfind("BOO", 0) == 0) return to_pcm(roar(0xB000u + n.size(), 2.4, 320, 700, 0.4, 0.0), 0.7);
    if (n.rfind("CHANT", 0) == 0) return to_pcm(chant(0xC4A7u + number(), 0.3 + 0.02 * (number() % 5), 12), 0.7);
    if (n == "CATCH3") return to_pcm(knock(0xCA7Cu, 140, 0.2, 0.2), 0.8);
    if (n == "THUD1") return to_pcm(knock(0x7D1u, 60, 0.4, 0.1), 0.8);
    if (n == "KICK1") return to_pcm(knock(0x41C4u, 95, 0.25, 0.6), 0.9);
    if (n == "BOUNCE") return to_pcm(knock(0xB0CEu, 180, 0.18, 0.3), 0.8);
    if (n == "HITPOST1") return to_pcm(clonk(), 0.8);
    if (n == "SLAP1") return to_pcm(slap(), 0.7);
    if (n == "WHISTLE1") return to_pcm(whistle(1.1, 0x3415u), 0.7);
    if (n == "WHISTLE2") return to_pcm(whistle(0.45, 0x3416u), 0.7);
    if (n == "SIREN") return to_pcm(siren(), 0.7);
    return {};
}

bool build_match_sounds(const KitContext& ctx, std::string& error)
{
    // The umpire's two calls are spoken in his own voice.
    const SpeechVoice umpire{"en-gb+m1", 35, 190};
    const std::vector<std::vector<int16_t>> calls = speak_all({"All clear", "Play on"}, umpire);
    for (const MatchEffect& e : match_effects) {
        std::vector<int16_t> pcm;
        if (std::strcmp(e.file, "ALLCLEAR") == 0) pcm = calls[0];
        else if (std::strcmp(e.file, "PLAYON") == 0) pcm = calls[1];
        else pcm = effect(e.file);
        if (pcm.empty()) {
            error = std::string("no sound is made for the effect ") + e.file;
            return false;
        }
        const std::string name = std::string("kob99_sfx\\") + e.file + ".lka";
        if (!kit_write_file(ctx, name.c_str(), kit_adpcm_sample(pcm), error)) return false;
    }
    return true;
}

} // namespace

KIT_STEP(match_sounds, 21, build_match_sounds)
