#include "lib/mad_write.h"

#include "win/viddec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void KitMadBits::put(uint32_t value, int bits)
{
    for (int i = bits - 1; i >= 0; --i) {
        if (used == 16) {
            words.push_back(0);
            used = 0;
        }
        if (value >> i & 1) words.back() = static_cast<uint16_t>(words.back() | 1u << (15 - used));
        ++used;
    }
}

std::vector<uint8_t> KitMadBits::bytes() const
{
    std::vector<uint8_t> out;
    for (uint16_t w : words) {
        out.push_back(static_cast<uint8_t>(w));
        out.push_back(static_cast<uint8_t>(w >> 8));
    }
    return out;
}

KitMoviePicture kit_movie_picture_rgb(int32_t width, int32_t height, const std::vector<uint8_t>& rgb)
{
    KitMoviePicture p;
    p.width = width;
    p.height = height;
    size_t n = static_cast<size_t>(width) * height;
    p.y.resize(n);
    p.cb.resize(n);
    p.cr.resize(n);
    for (size_t i = 0; i < n; ++i) {
        double r = rgb[i * 3], g = rgb[i * 3 + 1], b = rgb[i * 3 + 2];
        double luma = 0.299 * r + 0.587 * g + 0.114 * b;
        // The decoder gives channel = 2 s + 129 for a sample sum s.
        p.y[i] = (luma - 129) / 2;
        p.cb[i] = (b - luma) / (2 * 1.772);
        p.cr[i] = (r - luma) / (2 * 1.402);
    }
    return p;
}

namespace {

void putsigned(std::vector<uint8_t>& out, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// An 8 x 8 block of samples, natural order (row * 8 + column).
void codeblock(KitMadBits& bits, const double f[64], int32_t q)
{
    static double basis[8][8]; // basis[k][x] = cos((2x + 1) k pi / 16)
    if (basis[0][0] == 0)
        for (int k = 0; k < 8; ++k)
            for (int x = 0; x < 8; ++x) basis[k][x] = std::cos((2 * x + 1) * k * M_PI / 16);
    double rows[64], g[64];
    for (int y = 0; y < 8; ++y)
        for (int u = 0; u < 8; ++u) {
            double sum = 0;
            for (int x = 0; x < 8; ++x) sum += f[y * 8 + x] * basis[u][x];
            rows[y * 8 + u] = sum * (u ? 0.25 : 0.125);
        }
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
            double sum = 0;
            for (int y = 0; y < 8; ++y) sum += rows[y * 8 + u] * basis[v][y];
            g[v * 8 + u] = sum * (v ? 0.25 : 0.125);
        }
    long dc = std::clamp(std::lround(2 * g[0]), -128L, 127L);
    bits.put(static_cast<uint32_t>(dc) & 255, 8);
    int run = 0;
    for (int position = 1; position < 64; ++position) {
        int n = videoscan[position];
        // The decoder's transform weighs each AC frequency by sqrt 2 per axis
        // and takes its input prescaled.
        double weight = ((n >> 3) ? M_SQRT2 : 1.0) * ((n & 7) ? M_SQRT2 : 1.0);
        double input = g[n] / weight * 65536.0 * videoprescale(n) / 8192.0;
        long level = std::clamp(std::lround(input / videodequant(q, n)), -512L, 511L);
        if (level == 0) {
            ++run;
            continue;
        }
        bits.put(0b000001, 6);
        bits.put(static_cast<uint32_t>(level) & 1023, 10);
        bits.put(static_cast<uint32_t>(run), 6);
        run = 0;
    }
    bits.put(0b10, 2);
}

} // namespace

std::vector<uint8_t> kit_mad_keyframe_payload(const KitMoviePicture& p, int32_t quantiser)
{
    KitMadBits bits;
    for (int32_t my = 0; my < p.height / 16; ++my)
        for (int32_t mx = 0; mx < p.width / 16; ++mx) {
            double block[64];
            for (int b = 0; b < 4; ++b) {
                for (int j = 0; j < 8; ++j)
                    for (int i = 0; i < 8; ++i)
                        block[j * 8 + i] = p.y[static_cast<size_t>(my * 16 + (b >> 1) * 8 + j) * p.width + mx * 16 + (b & 1) * 8 + i];
                codeblock(bits, block, quantiser);
            }
            for (const std::vector<double>* plane : {&p.cb, &p.cr}) {
                for (int j = 0; j < 8; ++j)
                    for (int i = 0; i < 8; ++i) {
                        double sum = 0;
                        for (int k = 0; k < 4; ++k)
                            sum += (*plane)[static_cast<size_t>(my * 16 + 2 * j + (k >> 1)) * p.width + mx * 16 + 2 * i + (k & 1)];
                        block[j * 8 + i] = sum / 4;
                    }
                codeblock(bits, block, quantiser);
            }
        }
    return bits.bytes();
}

std::vector<uint8_t> kit_mad_video_chunk(const char* type, uint32_t period, int32_t width, int32_t height,
                                         int32_t quantiser, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> out(type, type + 4);
    putsigned(out, static_cast<uint32_t>(24 + payload.size()), 4);
    putsigned(out, 0, 4);
    putsigned(out, period, 4);
    putsigned(out, static_cast<uint32_t>(width), 2);
    putsigned(out, static_cast<uint32_t>(height), 2);
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(quantiser));
    putsigned(out, 0, 2);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::vector<uint8_t> kit_mad_sound_header(uint32_t rate, uint32_t channels, uint32_t compression, uint32_t frames)
{
    // "PT", then two bytes with bit 1 of the last clear: a 4-byte preamble.
    std::vector<uint8_t> out = {'S', 'C', 'H', 'l', 0, 0, 0, 0, 'P', 'T', 0, 0};
    auto tag = [&](uint8_t t, uint32_t value, int n) {
        out.push_back(t);
        out.push_back(static_cast<uint8_t>(n));
        for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    tag(0x82, channels, 1);
    tag(0x83, compression, 1);
    tag(0x84, rate, 4);
    tag(0x85, frames, 4);
    out.push_back(0xFF);
    while (out.size() % 4) out.push_back(0);
    uint32_t size = static_cast<uint32_t>(out.size());
    std::memcpy(out.data() + 4, &size, 4);
    return out;
}

std::vector<uint8_t> kit_mad_sound_data(uint32_t frames, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out = {'S', 'C', 'D', 'l'};
    putsigned(out, static_cast<uint32_t>(12 + data.size()), 4);
    putsigned(out, frames, 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> kit_mad_sound_end() { return {'S', 'C', 'E', 'l', 8, 0, 0, 0}; }

std::vector<uint8_t> kit_comp7_packet(const std::vector<int16_t>& samples, double previous[2])
{
    static constexpr double B[4] = {0.0, 60.0 / 64, 115.0 / 64, 98.0 / 64};
    static constexpr double A[4] = {0.0, 0.0, -52.0 / 64, -55.0 / 64};
    // The decoder starts each packet from the header's whole samples.
    double p1 = std::clamp(std::round(previous[0]), -32768.0, 32767.0);
    double p2 = std::clamp(std::round(previous[1]), -32768.0, 32767.0);
    std::vector<uint8_t> out;
    putsigned(out, static_cast<uint16_t>(static_cast<int16_t>(p1)), 2);
    putsigned(out, static_cast<uint16_t>(static_cast<int16_t>(p2)), 2);
    putsigned(out, 0, 4);
    for (size_t at = 0; at < samples.size(); at += 28) {
        double target[28];
        for (size_t i = 0; i < 28; ++i) target[i] = at + i < samples.size() ? samples[at + i] : 0.0;
        // Every filter and shift, coded as the decoder will decode it (floats).
        int bestf = 0, bestk = 12;
        double besterr = -1;
        uint8_t bestcodes[28] = {};
        float bestp1 = 0, bestp2 = 0;
        for (int f = 0; f < 4; ++f) {
            for (int k = 0; k <= 12; ++k) {
                float q1 = static_cast<float>(p1), q2 = static_cast<float>(p2);
                uint8_t codes[28];
                double err = 0;
                for (int i = 0; i < 28; ++i) {
                    float predict = q1 * static_cast<float>(B[f]) + q2 * static_cast<float>(A[f]);
                    double want = (target[i] - predict) * std::ldexp(1.0, k) / 4096.0;
                    int q = static_cast<int>(std::clamp(std::lround(want), -8L, 7L));
                    float v = predict + static_cast<float>((q * 4096) >> k);
                    codes[i] = static_cast<uint8_t>(q & 15);
                    err += (v - target[i]) * (v - target[i]);
                    q2 = q1, q1 = v;
                }
                if (besterr < 0 || err < besterr) {
                    besterr = err, bestf = f, bestk = k, bestp1 = q1, bestp2 = q2;
                    std::copy(codes, codes + 28, bestcodes);
                }
            }
        }
        out.push_back(static_cast<uint8_t>(bestf << 4 | bestk));
        for (int i = 0; i < 28; i += 2) out.push_back(static_cast<uint8_t>(bestcodes[i] << 4 | bestcodes[i + 1]));
        p1 = bestp1, p2 = bestp2;
    }
    previous[0] = p1, previous[1] = p2;
    return out;
}

std::vector<uint8_t> kit_mad(const KitMovie& m)
{
    std::vector<uint8_t> out;
    auto append = [&](const std::vector<uint8_t>& c) { out.insert(out.end(), c.begin(), c.end()); };
    uint32_t period = static_cast<uint32_t>(std::lround(65536.0 * 1000.0 / m.fps));
    size_t perframe = m.rate / m.fps, next = 0;
    double history[2] = {0, 0};
    for (size_t f = 0; f < m.frames.size(); ++f) {
        const KitMoviePicture& p = m.frames[f];
        append(kit_mad_video_chunk("MADk", period, p.width, p.height, m.quantiser,
                                   kit_mad_keyframe_payload(p, m.quantiser)));
        if (m.sound.empty()) continue;
        if (f == 0) append(kit_mad_sound_header(m.rate, 1, m.compression, static_cast<uint32_t>(m.sound.size())));
        size_t end = f + 1 == m.frames.size() ? m.sound.size() : std::min(m.sound.size(), next + perframe);
        // Compressed chunks hold whole blocks; only the last may be short.
        if (m.compression == 7 && end < m.sound.size())
            end = std::max(next, std::min(m.sound.size(), (f + 1) * perframe) / 28 * 28);
        if (end > next) {
            std::vector<uint8_t> data;
            if (m.compression == 7) {
                data = kit_comp7_packet(std::vector<int16_t>(m.sound.begin() + static_cast<long>(next),
                                                             m.sound.begin() + static_cast<long>(end)),
                                        history);
            } else {
                for (size_t i = next; i < end; ++i) putsigned(data, static_cast<uint16_t>(m.sound[i]), 2);
            }
            append(kit_mad_sound_data(static_cast<uint32_t>(end - next), data));
            next = end;
        }
    }
    if (!m.sound.empty()) append(kit_mad_sound_end());
    return out;
}
