#include "win/viddec.h"

#include "win/grfreq.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <cmath>
#include <cstring>
#include <vector>

const uint8_t videointramatrix[64] = {
    8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37, 19, 22, 26, 27, 29, 34,
    34, 38, 22, 22, 26, 27, 29, 34, 37, 40, 22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32,
    35, 40, 48, 58, 26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83,
};

// The usual zigzag, transposed.
const uint8_t videoscan[64] = {
    0,  8,  1,  2,  9,  16, 24, 17, 10, 3,  4,  11, 18, 25, 32, 40, 33, 26, 19, 12, 5,  6,
    13, 20, 27, 34, 41, 48, 56, 49, 42, 35, 28, 21, 14, 7,  15, 22, 29, 36, 43, 50, 57, 58,
    51, 44, 37, 30, 23, 31, 38, 45, 52, 59, 60, 53, 46, 39, 47, 54, 61, 62, 55, 63,
};

namespace {

double aanscale(int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * M_PI / 16.0); }

struct Prescale {
    int32_t v[64];
    Prescale()
    {
        for (int i = 0; i < 64; ++i) v[i] = static_cast<int32_t>(std::lround(8192.0 / (aanscale(i >> 3) * aanscale(i & 7))));
    }
};
const Prescale prescale_table;

} // namespace

int32_t videoprescale(int i) { return prescale_table.v[i & 63]; }

const VideoCode videocodes[] = {
    {2, 0b11, 0, 1},          {3, 0b011, 1, 1},         {4, 0b0100, 0, 2},        {4, 0b0101, 2, 1},
    {5, 0b00101, 0, 3},       {5, 0b00111, 3, 1},       {5, 0b00110, 4, 1},       {6, 0b000110, 1, 2},
    {6, 0b000111, 5, 1},      {6, 0b000101, 6, 1},      {6, 0b000100, 7, 1},      {7, 0b0000110, 0, 4},
    {7, 0b0000100, 2, 2},     {7, 0b0000111, 8, 1},     {7, 0b0000101, 9, 1},     {8, 0b00100110, 0, 5},
    {8, 0b00100001, 0, 6},    {8, 0b00100101, 1, 3},    {8, 0b00100100, 3, 2},    {8, 0b00100111, 10, 1},
    {8, 0b00100011, 11, 1},   {8, 0b00100010, 12, 1},   {8, 0b00100000, 13, 1},   {10, 0b0000001010, 0, 7},
    {10, 0b0000001100, 1, 4}, {10, 0b0000001011, 2, 3}, {10, 0b0000001111, 4, 2}, {10, 0b0000001001, 5, 2},
    {10, 0b0000001110, 14, 1}, {10, 0b0000001101, 15, 1}, {10, 0b0000001000, 16, 1},
    {12, 0b000000011101, 0, 8}, {12, 0b000000011000, 0, 9}, {12, 0b000000010011, 0, 10},
    {12, 0b000000010000, 0, 11}, {12, 0b000000011011, 1, 5}, {12, 0b000000010100, 2, 4},
    {12, 0b000000011100, 3, 3}, {12, 0b000000010010, 4, 3}, {12, 0b000000011110, 6, 2},
    {12, 0b000000010101, 7, 2}, {12, 0b000000010001, 8, 2}, {12, 0b000000011111, 17, 1},
    {12, 0b000000011010, 18, 1}, {12, 0b000000011001, 19, 1}, {12, 0b000000010111, 20, 1},
    {12, 0b000000010110, 21, 1}, {13, 0b0000000011010, 0, 12}, {13, 0b0000000011001, 0, 13},
    {13, 0b0000000011000, 0, 14}, {13, 0b0000000010111, 0, 15}, {13, 0b0000000010110, 1, 6},
    {13, 0b0000000010101, 1, 7}, {13, 0b0000000010100, 2, 5}, {13, 0b0000000010011, 3, 4},
    {13, 0b0000000010010, 5, 3}, {13, 0b0000000010001, 9, 2}, {13, 0b0000000010000, 10, 2},
    {13, 0b0000000011111, 22, 1}, {13, 0b0000000011110, 23, 1}, {13, 0b0000000011101, 24, 1},
    {13, 0b0000000011100, 25, 1}, {13, 0b0000000011011, 26, 1}, {14, 0b00000000011111, 0, 16},
    {14, 0b00000000011110, 0, 17}, {14, 0b00000000011101, 0, 18}, {14, 0b00000000011100, 0, 19},
    {14, 0b00000000011011, 0, 20}, {14, 0b00000000011010, 0, 21}, {14, 0b00000000011001, 0, 22},
    {14, 0b00000000011000, 0, 23}, {14, 0b00000000010111, 0, 24}, {14, 0b00000000010110, 0, 25},
    {14, 0b00000000010101, 0, 26}, {14, 0b00000000010100, 0, 27}, {14, 0b00000000010011, 0, 28},
    {14, 0b00000000010010, 0, 29}, {14, 0b00000000010001, 0, 30}, {14, 0b00000000010000, 0, 31},
    {15, 0b000000000011000, 0, 32}, {15, 0b000000000010111, 0, 33}, {15, 0b000000000010110, 0, 34},
    {15, 0b000000000010101, 0, 35}, {15, 0b000000000010100, 0, 36}, {15, 0b000000000010011, 0, 37},
    {15, 0b000000000010010, 0, 38}, {15, 0b000000000010001, 0, 39}, {15, 0b000000000010000, 0, 40},
    {15, 0b000000000011111, 1, 8}, {15, 0b000000000011110, 1, 9}, {15, 0b000000000011101, 1, 10},
    {15, 0b000000000011100, 1, 11}, {15, 0b000000000011011, 1, 12}, {15, 0b000000000011010, 1, 13},
    {15, 0b000000000011001, 1, 14}, {16, 0b0000000000010011, 1, 15}, {16, 0b0000000000010010, 1, 16},
    {16, 0b0000000000010001, 1, 17}, {16, 0b0000000000010000, 1, 18}, {16, 0b0000000000010100, 6, 3},
    {16, 0b0000000000011010, 11, 2}, {16, 0b0000000000011001, 12, 2}, {16, 0b0000000000011000, 13, 2},
    {16, 0b0000000000010111, 14, 2}, {16, 0b0000000000010110, 15, 2}, {16, 0b0000000000010101, 16, 2},
    {16, 0b0000000000011111, 27, 1}, {16, 0b0000000000011110, 28, 1}, {16, 0b0000000000011101, 29, 1},
    {16, 0b0000000000011100, 30, 1}, {16, 0b0000000000011011, 31, 1},
};
const int videocodecount = sizeof videocodes / sizeof videocodes[0];

int32_t videodequant(int32_t q, int i)
{
    int64_t product = i == 0 ? int64_t{videointramatrix[0]} * 32768 * prescale_table.v[0]
                             : int64_t{q} * videointramatrix[i] * 4096 * prescale_table.v[i];
    return static_cast<int32_t>(static_cast<uint32_t>((product >> 16) + ((product >> 15) & 1)));
}

namespace {

// Code table entries: kind in the top bits, then length, run and level.
enum : uint8_t { VC_NONE = 0, VC_COEF = 1, VC_EOB = 2, VC_ESCAPE = 3, VC_LONG = 4 };
struct CodeEntry {
    uint8_t kind = VC_NONE;
    uint8_t length = 0;
    uint8_t run = 0;
    int16_t level = 0;
};

struct CodeTables {
    CodeEntry first[512];     // the next 9 bits
    CodeEntry second[8][256]; // codes of 10 bits and more: the 8 bits after their first 9
    CodeTables()
    {
        auto put = [this](uint32_t code, int length, CodeEntry e) {
            e.length = static_cast<uint8_t>(length);
            if (length <= 9) {
                uint32_t base = code << (9 - length);
                for (uint32_t k = 0; k < (1u << (9 - length)); ++k) first[base + k] = e;
            } else {
                uint32_t top = code >> (length - 9), rest = code & ((1u << (length - 9)) - 1);
                first[top].kind = VC_LONG;
                uint32_t base = rest << (17 - length);
                for (uint32_t k = 0; k < (1u << (17 - length)); ++k) second[top][base + k] = e;
            }
        };
        for (int i = 0; i < videocodecount; ++i) {
            const VideoCode& c = videocodes[i];
            for (int sign = 0; sign < 2; ++sign)
                put(static_cast<uint32_t>(c.code) << 1 | sign, c.length + 1,
                    {VC_COEF, 0, c.run, static_cast<int16_t>(sign ? -c.level : c.level)});
        }
        put(0b10, 2, {VC_EOB, 0, 0, 0});
        put(0b000001, 6, {VC_ESCAPE, 0, 0, 0});
    }
};

const CodeTables& codetables()
{
    static const CodeTables t;
    return t;
}

// Bits past the payload read as 0; reading well past it marks the frame bad.
struct BitReader {
    const uint8_t* data = nullptr;
    uint32_t bytes = 0;
    uint64_t position = 0; // in bits

    uint32_t bit(uint64_t at) const
    {
        uint64_t word = at >> 4;
        uint64_t byte = word * 2 + (at & 8 ? 0 : 1); // each word little-endian, its bits from the top
        if (byte >= bytes) return 0;
        return data[byte] >> (7 - (at & 7)) & 1;
    }
    uint32_t peek(int n) const
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = v << 1 | bit(position + i);
        return v;
    }
    uint32_t read(int n)
    {
        uint32_t v = peek(n);
        position += n;
        return v;
    }
    bool overrun() const { return position > uint64_t{bytes} * 8 + 32; }
};

struct Decoder {
    BitReader bits;
    int delta = 0;
    bool bad = false;
    int32_t dequant[64] = {};
} dec;

int32_t smallcode()
{
    if (!dec.bits.read(1)) return 0;
    if (!dec.bits.read(1)) return static_cast<int32_t>(dec.bits.read(4)) + 1;
    return static_cast<int32_t>(dec.bits.read(4)) - 16;
}

// 1D passes: the transpose of the fast forward factorisation, so the
// prescale in the dequantisation table cancels.
constexpr int64_t K_C4 = 46341;   // 0.707107 in 16.16
constexpr int64_t K_C6S = 35468;  // 0.541196
constexpr int64_t K_C2S = 85627;  // 1.306563
constexpr int64_t K_C6 = 25080;   // 0.382683

// Kept in 64 bits: a damaged stream's coefficients can take the sums of
// these products past 32 bits; the pass narrows once, at its end.
int64_t mul(int64_t a, int64_t k) { return static_cast<int32_t>((a * k + 32768) >> 16); }

void idct8(int32_t* p, int stride)
{
    int64_t o[8];
    for (int i = 0; i < 8; ++i) o[i] = p[i * stride];
    int64_t z13 = o[5] + o[3], z2 = o[5] - o[3], z11 = o[1] + o[7], z4 = o[1] - o[7];
    int64_t t7 = z11 + z13, z3 = z11 - z13;
    int64_t t11 = mul(z3, K_C4);
    int64_t z5 = z2 + z4;
    int64_t t10 = mul(z2, K_C6S) + mul(z5, K_C6);
    int64_t t12 = mul(z4, K_C2S) - mul(z5, K_C6);
    int64_t t4 = t10, t5 = t10 + t11, t6 = t11 + t12;
    t7 += t12;
    int64_t e10 = o[0] + o[4], e11 = o[0] - o[4], z1 = o[2] - o[6];
    int64_t e12 = mul(z1, K_C4), e13 = o[2] + o[6] + e12;
    int64_t t0 = e10 + e13, t3 = e10 - e13, t1 = e11 + e12, t2 = e11 - e12;
    int64_t d[8] = {t0 + t7, t1 + t6, t2 + t5, t3 + t4, t3 - t4, t2 - t5, t1 - t6, t0 - t7};
    for (int i = 0; i < 8; ++i) p[i * stride] = static_cast<int32_t>(d[i]);
}

// Reads a coded block into 16.16 samples; false when the picture is bad.
bool codedblock(int32_t out[64])
{
    int32_t coef[64] = {};
    coef[0] = static_cast<int32_t>(static_cast<int8_t>(dec.bits.read(8))) * dec.dequant[0];
    const CodeTables& t = codetables();
    int position = 0;
    bool ac = false;
    for (;;) {
        if (dec.bits.overrun()) return false;
        CodeEntry e = t.first[dec.bits.peek(9)];
        if (e.kind == VC_LONG) e = t.second[dec.bits.peek(9)][dec.bits.peek(17) & 255];
        if (e.kind == VC_NONE) return false;
        dec.bits.position += e.length;
        if (e.kind == VC_EOB) break;
        int32_t run = e.run, level = e.level;
        if (e.kind == VC_ESCAPE) {
            level = static_cast<int32_t>(dec.bits.read(10));
            if (level & 512) level -= 1024;
            run = static_cast<int32_t>(dec.bits.read(6));
        }
        position += run + 1;
        if (position > 63) continue; // past the block: read and dropped
        int n = videoscan[position];
        coef[n] = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(level) * dec.dequant[n]));
        ac = true;
    }
    if (!ac) {
        for (int i = 0; i < 64; ++i) out[i] = coef[0];
        return true;
    }
    videoidct(coef);
    std::memcpy(out, coef, sizeof coef);
    return true;
}

uint8_t clampsample(int32_t v)
{
    int32_t s = v >> 16;
    s = s < -64 ? -64 : s > 63 ? 63 : s;
    return static_cast<uint8_t>(s + 64);
}

int32_t clampi(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

} // namespace

void videoidct(int32_t block[64])
{
    for (int c = 0; c < 8; ++c) {
        bool flat = true;
        for (int r = 1; r < 8; ++r) flat = flat && block[r * 8 + c] == 0;
        if (flat)
            for (int r = 1; r < 8; ++r) block[r * 8 + c] = block[c];
        else
            idct8(block + c, 8);
    }
    for (int r = 0; r < 8; ++r) idct8(block + r * 8, 1);
}

void startvideoframe(const uint8_t* payload, uint32_t bytes, int delta, int32_t quantiser)
{
    codetables();
    dec.bits = BitReader{payload, payload ? bytes : 0, 0};
    dec.delta = delta;
    dec.bad = false;
    for (int i = 0; i < 64; ++i) dec.dequant[i] = videodequant(quantiser, i);
}

int decodevideoframe(const uint8_t* reference, uint8_t* output, int32_t width, int32_t height, int32_t mbx,
                     int32_t mby)
{
    if (dec.bad) return -1;
    uint32_t copied = 0;
    int32_t mx = 0, my = 0;
    if (dec.delta) {
        if (dec.bits.read(1)) {
            copied = 63;
        } else if (dec.bits.read(1)) {
            copied = dec.bits.read(6);
        } else {
            copied = 0;
        }
        if (copied) {
            mx = smallcode();
            my = smallcode();
        }
    }
    int32_t samples[6][64];
    int32_t pairs = width / 2;
    for (int b = 0; b < 6; ++b) {
        int32_t* s = samples[b];
        if (copied >> b & 1) {
            if (!reference) {
                dec.bad = true;
                return -1;
            }
            int32_t d = smallcode();
            for (int j = 0; j < 8; ++j)
                for (int i = 0; i < 8; ++i) {
                    int32_t value;
                    if (b < 4) {
                        int32_t px = clampi(mbx * 16 + (b & 1) * 8 + i + mx, 0, width - 1);
                        int32_t py = clampi(mby * 16 + (b >> 1) * 8 + j + my, 0, height - 1);
                        const uint8_t* cell = reference + (py * pairs + px / 2) * 4;
                        value = cell[px & 1 ? 2 : 3];
                    } else {
                        int32_t pair = clampi(mbx * 8 + i + (mx >> 1), 0, pairs - 1);
                        int32_t py = clampi(mby * 16 + 2 * j + my, 0, height - 1);
                        value = reference[(py * pairs + pair) * 4 + (b == 4 ? 1 : 0)];
                    }
                    s[j * 8 + i] = static_cast<int32_t>(static_cast<uint32_t>(value - 64 + d) << 16);
                }
        } else if (!codedblock(s)) {
            dec.bad = true;
            return -1;
        }
    }
    for (int r = 0; r < 16; ++r) {
        const int32_t* left = samples[(r >> 3) * 2] + (r & 7) * 8;
        const int32_t* right = samples[(r >> 3) * 2 + 1] + (r & 7) * 8;
        const int32_t* cb = samples[4] + (r >> 1) * 8;
        const int32_t* cr = samples[5] + (r >> 1) * 8;
        uint8_t* row = output + ((mby * 16 + r) * pairs + mbx * 8) * 4;
        for (int p = 0; p < 8; ++p) {
            const int32_t* l = p < 4 ? left + 2 * p : right + 2 * (p - 4);
            uint8_t* cell = row + p * 4;
            cell[3] = clampsample(l[0]);
            cell[2] = clampsample(l[1]);
            cell[1] = clampsample(cb[p]);
            cell[0] = clampsample(cr[p]);
        }
    }
    return 0;
}

// ---- Colour conversion ----

namespace {

struct YuvTables {
    int32_t bpp = 0;
    uint32_t luma[128], cb[128], cr[128];
    uint32_t red[512], green[512], blue[512];
} yuv;

uint32_t fields(int32_t r, int32_t g, int32_t b)
{
    // Negative contributions borrow from the field above; the luma's biases pay it back.
    return (static_cast<uint32_t>(r) << 23) + (static_cast<uint32_t>(g) << 11) + static_cast<uint32_t>(b);
}

constexpr int32_t BIAS_R = 153, BIAS_G = 131, BIAS_B = 177;

uint32_t cellsum(uint8_t y, uint8_t u, uint8_t v) { return yuv.luma[y & 127] + yuv.cb[u & 127] + yuv.cr[v & 127]; }

uint32_t pixels(uint32_t sum)
{
    return yuv.red[sum >> 23 & 511] + yuv.green[sum >> 11 & 511] + yuv.blue[sum & 511];
}

} // namespace

void buildyuvtables(int32_t bpp)
{
    yuv.bpp = bpp;
    for (int32_t i = 0; i < 128; ++i) {
        int32_t v = i - 64;
        double h = v + 0.5;
        yuv.luma[i] = fields(v + BIAS_R, v + BIAS_G, v + BIAS_B);
        yuv.cb[i] = fields(0, static_cast<int32_t>(std::lrint(-0.3441 * h)), static_cast<int32_t>(std::lrint(1.772 * h)));
        yuv.cr[i] = fields(static_cast<int32_t>(std::lrint(1.402 * h)), static_cast<int32_t>(std::lrint(-0.7141 * h)), 0);
    }
    int gshift = bpp == 16 ? 2 : 3, gmax = bpp == 16 ? 63 : 31;
    int rpos = bpp == 16 ? 11 : 10;
    for (int32_t f = 0; f < 512; ++f) {
        auto channel = [](int32_t s) { return clampi(2 * s + 129, 0, 255); };
        int32_t r = channel(f - BIAS_R), g = channel(f - BIAS_G), b = channel(f - BIAS_B);
        auto pair = [](int32_t c, int shift, int max, int pos) {
            uint32_t lo = static_cast<uint32_t>(std::min((c + (1 << (shift - 1))) >> shift, max)) << pos;
            uint32_t hi = static_cast<uint32_t>(c >> shift) << pos;
            return lo | hi << 16;
        };
        yuv.red[f] = pair(r, 3, 31, rpos);
        yuv.green[f] = pair(g, gshift, gmax, 5);
        yuv.blue[f] = pair(b, 3, 31, 0);
    }
}

uint32_t videocellpixels(const uint8_t cell[4])
{
    uint32_t left = pixels(cellsum(cell[3], cell[1], cell[0]));
    uint32_t right = pixels(cellsum(cell[2], cell[1], cell[0]));
    return (left & 0xFFFF) | (right & 0xFFFF0000u);
}

namespace {

// One row of cells to pixels: two pixels a cell, or four (each luma twice).
void convertrow(const uint8_t* cells, uint8_t* to, int32_t count, bool doubled)
{
    for (int32_t i = 0; i < count; ++i, cells += 4) {
        if (doubled) {
            uint32_t a = pixels(cellsum(cells[3], cells[1], cells[0]));
            uint32_t b = pixels(cellsum(cells[2], cells[1], cells[0]));
            std::memcpy(to, &a, 4);
            std::memcpy(to + 4, &b, 4);
            to += 8;
        } else {
            uint32_t p = videocellpixels(cells);
            std::memcpy(to, &p, 4);
            to += 4;
        }
    }
}

} // namespace

int32_t showvideoframe(int32_t x, int32_t y, const uint8_t* frame, int32_t width, int32_t height, int32_t mode)
{
    if (mode < 0 || mode > 3) return -1;
    WIND& w = currentwindow;
    if (w.bpp != 15 && w.bpp != 16) return -2;
    if (yuv.bpp != w.bpp) buildyuvtables(w.bpp);
    if (!w.base || !frame) return 0;
    int32_t scale = mode ? 2 : 1;
    x &= ~1;
    int32_t pairs = width / 2;
    // Whole cells of the frame that land inside the clip rectangle.
    int32_t cellpixels = 2 * scale;
    int32_t firstcell = 0, lastcell = pairs;
    int32_t minx = (w.minx + 1) & ~1;
    if (x < minx) firstcell = (minx - x + cellpixels - 1) / cellpixels;
    if (x + pairs * cellpixels > w.maxx) lastcell = (w.maxx - x) / cellpixels;
    if (lastcell - firstcell < 2) return 0;
    int32_t cells = lastcell - firstcell;
    int32_t left = x + firstcell * cellpixels;
    auto rowvisible = [&](int32_t sy) { return sy >= w.miny && sy < w.maxy; };
    int32_t rowbytes = pairs * 4;
    std::vector<uint8_t> blend(static_cast<size_t>(pairs) * 8 + 8);
    std::vector<uint8_t> blend2(static_cast<size_t>(pairs) * 8 + 8);
    // The frame rows.
    for (int32_t r = 0; r < height; ++r) {
        int32_t sy = y + r * scale;
        if (!rowvisible(sy)) continue;
        const uint8_t* src = frame + r * rowbytes + firstcell * 4;
        if (mode == 3) {
            pixrowblend(src, blend.data(), static_cast<uint32_t>(cells));
            convertrow(blend.data(), pixeladdress(left, sy), cells * 2, false);
        } else {
            convertrow(src, pixeladdress(left, sy), cells, mode != 0);
        }
    }
    if (mode < 2) return 0;
    if (static_cast<int64_t>(width) * height > 153600 && !lockdisplayfordraw()) return 0;
    for (int32_t r = 0; r < height; ++r) {
        int32_t sy = y + r * 2 + 1;
        if (!rowvisible(sy)) continue;
        const uint8_t* a = frame + r * rowbytes + firstcell * 4;
        const uint8_t* b = r + 1 < height ? a + rowbytes : a;
        if (mode == 2) {
            for (int32_t i = 0; i < cells * 4; ++i) blend[i] = static_cast<uint8_t>((a[i] + b[i]) >> 1);
            convertrow(blend.data(), pixeladdress(left, sy), cells, true);
        } else {
            pixrowblend2(a, b, blend2.data(), static_cast<uint32_t>(cells));
            convertrow(blend2.data(), pixeladdress(left, sy), cells * 2, false);
        }
    }
    return 0;
}
