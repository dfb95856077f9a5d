// Speech by batches: one espeak-ng run speaks many texts with long breaks
// between them, and the wave is cut at those breaks. A batch that does not
// cut into as many pieces as it has texts is spoken a text at a time.
#include "speech.h"

#include "synth.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace synth;

namespace
{

constexpr size_t BATCH = 48;
constexpr uint32_t BREAK_MS = 1500;
constexpr size_t CUT = RATE * 9 / 10; // a silence this long ends a text
constexpr int QUIET = 160;

bool engine_used = false;

std::string scratch_name(const char* suffix)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kobkit-speech-" + std::to_string(getpid()) + suffix;
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// The samples of a 16-bit mono WAV as espeak-ng writes it; empty on failure.
std::vector<int16_t> read_wav(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t size = b[at + 4] | b[at + 5] << 8 | b[at + 6] << 16 | static_cast<uint32_t>(b[at + 7]) << 24;
        if (b[at] == 'd' && b[at + 1] == 'a' && b[at + 2] == 't' && b[at + 3] == 'a') {
            const size_t n = std::min<size_t>(size, b.size() - at - 8) / 2;
            for (size_t i = 0; i < n; ++i)
                out.push_back(static_cast<int16_t>(b[at + 8 + 2 * i] | b[at + 9 + 2 * i] << 8));
            break;
        }
        at += 8 + size + (size & 1);
    }
    return out;
}

std::vector<int16_t> run_espeak(const std::vector<std::string>& texts, const SpeechVoice& voice)
{
    const std::string ssml = scratch_name(".ssml"), wav = scratch_name(".wav");
    {
        std::ofstream out(ssml);
        out << "<speak>";
        for (size_t i = 0; i < texts.size(); ++i)
            out << (i ? "<break time=\"" + std::to_string(BREAK_MS) + "ms\"/> " : "") << escaped(texts[i]) << ". ";
        out << "</speak>";
    }
    const std::string command = std::string("espeak-ng -m -v ") + voice.name + " -p " + std::to_string(voice.pitch) +
                                " -s " + std::to_string(voice.words_a_minute) + " -f '" + ssml + "' -w '" + wav +
                                "' >/dev/null 2>&1";
    std::vector<int16_t> pcm;
    if (std::system(command.c_str()) == 0) pcm = read_wav(wav);
    std::remove(ssml.c_str());
    std::remove(wav.c_str());
    return pcm;
}

// Pieces between long silences, each trimmed to a few milliseconds of quiet.
std::vector<std::vector<int16_t>> cut(const std::vector<int16_t>& pcm)
{
    std::vector<std::vector<int16_t>> pieces;
    size_t start = SIZE_MAX, last_loud = 0, quiet = 0;
    for (size_t i = 0; i <= pcm.size(); ++i) {
        const bool loud = i < pcm.size() && std::abs(pcm[i]) >= QUIET;
        if (loud) {
            if (start == SIZE_MAX) start = i;
            last_loud = i, quiet = 0;
        } else if (++quiet >= CUT || i == pcm.size()) {
            if (start != SIZE_MAX) {
                const size_t from = start > 200 ? start - 200 : 0, to = std::min(pcm.size(), last_loud + 600);
                pieces.emplace_back(pcm.begin() + static_cast<std::ptrdiff_t>(from),
                                    pcm.begin() + static_cast<std::ptrdiff_t>(to));
            }
            start = SIZE_MAX;
        }
    }
    return pieces;
}

// Without a speech engine: a syllable a word, gliding like a voice heard from
// another room, so that the phrases still have their lengths and rhythm.
std::vector<int16_t> murmur(const std::string& text, const SpeechVoice& voice, uint32_t seed)
{
    int words = 1;
    for (char c : text) words += c == ' ';
    Noise noise{seed | 1};
    Resonator f1, f2;
    const double syllable = 60.0 / voice.words_a_minute, base = 90.0 + voice.pitch;
    const size_t n = static_cast<size_t>(RATE * (syllable * words + 0.1));
    std::vector<double> wave(n);
    double phase = 0, formant1 = 600, formant2 = 1400;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / RATE;
        const double k = std::fmod(t, syllable) / syllable;
        if (k < 1.0 / RATE * 2) formant1 = 400 + 300 * (noise.next() + 1) / 2, formant2 = 1000 + 1200 * (noise.next() + 1) / 2;
        phase += TWO_PI * base * (1.1 - 0.2 * t / (syllable * words)) / RATE;
        double source = 0;
        for (int h = 1; h * base < 3500.0; ++h) source += std::sin(h * phase) / h;
        const double envelope = std::sin(PI * std::min(k * 1.2, 1.0));
        wave[i] = (f1.run(source, formant1, 90) + 0.6 * f2.run(source, formant2, 120)) * envelope;
    }
    return to_pcm(wave, 0.6);
}

} // namespace

std::vector<std::vector<int16_t>> speak_all(const std::vector<std::string>& texts, const SpeechVoice& voice)
{
    std::vector<std::vector<int16_t>> out;
    engine_used = std::system("espeak-ng --version >/dev/null 2>&1") == 0;
    for (size_t first = 0; first < texts.size(); first += BATCH) {
        const std::vector<std::string> batch(texts.begin() + static_cast<std::ptrdiff_t>(first),
                                             texts.begin() + static_cast<std::ptrdiff_t>(std::min(texts.size(), first + BATCH)));
        std::vector<std::vector<int16_t>> pieces;
        if (engine_used) pieces = cut(run_espeak(batch, voice));
        if (engine_used && pieces.size() != batch.size()) {
            pieces.clear();
            for (const std::string& text : batch) {
                auto one = cut(run_espeak({text}, voice));
                std::vector<int16_t> joined;
                for (auto& p : one) joined.insert(joined.end(), p.begin(), p.end());
                pieces.push_back(joined);
            }
        }
        for (size_t i = 0; i < batch.size(); ++i) {
            if (i < pieces.size() && !pieces[i].empty()) out.push_back(std::move(pieces[i]));
            else out.push_back(murmur(batch[i], voice, static_cast<uint32_t>(first + i) * 2654435761u));
        }
    }
    return out;
}

bool speech_engine_used() { return engine_used; }
