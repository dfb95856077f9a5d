// Packed data and its decoders. Packed resources come from files, so every
// decoder bounds its reads by the input and its writes by the header's size.
#include "cmn/unpack.h"

#include "cmn/lib.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char* SITE = "cmn\\unpack";
// Pair codes expanding pair codes: deeper than this is a loop.
constexpr int MAXPAIRDEPTH = 256;

uint32_t be(const uint8_t* p, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

bool knowncode(uint8_t code)
{
    switch (code & 0xFE) {
    case 0x10: case 0x18: case 0x30: case 0x32: case 0x34: case 0x46: case 0x4A: return true;
    default: return false;
    }
}

bool knownmarker(uint8_t marker) { return marker == 0xFB || marker == 0x32; }

// The output side of a decoder: every write is checked against the size.
struct Output {
    uint8_t* base;
    uint32_t size, at = 0;
    bool put(uint8_t b)
    {
        if (at >= size) return false;
        base[at++] = b;
        return true;
    }
};

} // namespace

uint32_t unpacksizeraw(const void* data, uint32_t length)
{
    auto* p = static_cast<const uint8_t*>(data);
    if (!p || length < 5 || !knownmarker(p[1]) || !knowncode(p[0])) return 0;
    return be(p + 2, 3);
}

uint32_t unpacksize(const void* data, uint32_t length)
{
    auto* p = static_cast<const uint8_t*>(data);
    uint32_t size = 0;
    bool known = p && length >= 2 && knownmarker(p[1]) && knowncode(p[0]);
    if (known) {
        switch (p[0] & 0xFE) {
        case 0x10: size = unpack10(p, length, nullptr, 0); break;
        case 0x18: size = unpack18size(p, length); break;
        case 0x46:
            if (p[0] == 0x47 && p[1] == 0xFB) size = length >= 8 ? be(p + 5, 3) : 0;
            else size = unpacksizeraw(p, length);
            break;
        case 0x4A: size = unpacksizeraw(p, length); break;
        default: size = unpackhuff(p, length, nullptr, 0); break;
        }
    }
    if (!known && p && length >= 2 && p[0] >= 0x10 && p[0] <= 0x7F && p[1] == 0xFB)
        LIBFAIL(SITE, "unpacksize - INVALID PACK CODE (%x)\n", be(p, 2));
    return size;
}

namespace {

// The decoder's size, and whether it decoded; an empty result can be right.
uint32_t dispatch(const uint8_t* p, uint32_t length, void* out, bool* ok)
{
    *ok = false;
    if (!p || length < 2 || !knownmarker(p[1])) return 0;
    uint32_t size = 0;
    switch (p[0] & 0xFE) {
    case 0x10: size = unpack10(p, length, out, 1); break;
    case 0x18: size = unpack18(p, length, out, 1); break;
    case 0x30: case 0x32: case 0x34: size = unpackhuff(p, length, out, 1); break;
    case 0x46: size = unpack46(p, length, out); break;
    case 0x4A: size = unpack4a(p, length, out) ? unpacksizeraw(p, length) : 0; break;
    default: return 0;
    }
    *ok = size != 0 || unpacksize(p, length) == 0;
    return size;
}

} // namespace

uint32_t unpackdispatch(const void* data, uint32_t length, void* out)
{
    bool ok;
    return dispatch(static_cast<const uint8_t*>(data), length, out, &ok);
}

uint32_t unpack(const void* data, uint32_t length, void* out)
{
    auto* p = static_cast<const uint8_t*>(data);
    bool ok;
    uint32_t size = dispatch(p, length, out, &ok);
    if (!ok && p && length >= 2 && p[0] >= 0x10 && p[0] <= 0x7F && p[1] == 0xFB)
        LIBFAIL(SITE, "unpack - INVALID PACK CODE (%x)\n", be(p, 2));
    return size;
}

// LZ back-references with literal runs.
uint32_t unpack10(const void* data, uint32_t length, void* out, int decode)
{
    auto* p = static_cast<const uint8_t*>(data);
    uint32_t at = (p[0] & 1) ? 5 : 2;
    if (length < at + 3) return 0;
    uint32_t size = be(p + at, 3);
    at += 3;
    if (!decode) return size;
    Output o{static_cast<uint8_t*>(out), size};
    for (;;) {
        if (at >= length) return 0;
        uint8_t b0 = p[at];
        uint32_t need = b0 < 0x80 ? 2 : b0 < 0xC0 ? 3 : b0 < 0xE0 ? 4 : 1;
        if (length - at < need) return 0;
        const uint8_t* c = p + at;
        at += need;
        uint32_t literals = 0, distance = 0, run = 0;
        bool last = false;
        if (b0 < 0x80) {
            literals = b0 & 3;
            distance = ((b0 >> 5) & 3) * 256u + c[1] + 1;
            run = ((b0 >> 2) & 7) + 3;
        } else if (b0 < 0xC0) {
            literals = c[1] >> 6;
            distance = (c[1] & 0x3Fu) * 256 + c[2] + 1;
            run = (b0 & 0x3F) + 4;
        } else if (b0 < 0xE0) {
            literals = b0 & 3;
            distance = ((b0 >> 4) & 1u) * 65536 + c[1] * 256u + c[2] + 1;
            run = ((b0 >> 2) & 3u) * 256 + c[3] + 5;
        } else if (b0 < 0xFC) {
            literals = ((b0 & 0x1Fu) + 1) * 4;
        } else {
            literals = b0 & 3;
            last = true;
        }
        if (length - at < literals) return 0;
        for (uint32_t i = 0; i < literals; ++i)
            if (!o.put(p[at++])) return 0;
        if (last) return o.at == size ? size : 0;
        if (distance > o.at) return 0;
        // Byte by byte forward, so a short distance repeats what was just written.
        for (uint32_t i = 0; i < run; ++i)
            if (!o.put(o.base[o.at - distance])) return 0;
    }
}

// 4 x 4 colour blocks to 5:6:5 pixels.
uint32_t unpack18size(const void* data, uint32_t length)
{
    return length >= 5 ? be(static_cast<const uint8_t*>(data) + 2, 3) : 0;
}

uint32_t unpack18(const void* data, uint32_t length, void* out, int decode)
{
    auto* p = static_cast<const uint8_t*>(data);
    if (length < 8) return 0;
    uint32_t size = be(p + 2, 3);
    if (!decode) return size;
    uint32_t width = be(p + 6, 2);
    uint32_t blocks = width / 4;
    if (blocks == 0) return 0;
    uint64_t band = uint64_t{width} * 8;
    uint64_t bands = (size + band - 1) / band;
    if (bands * band != size) return 0; // the last band would run past the size
    if (8 + bands * blocks * 8 > length) return 0;
    auto* o = static_cast<uint8_t*>(out);
    const uint8_t* in = p + 8;
    static constexpr uint32_t MASKS[3] = {0xF800, 0x07E0, 0x001F};
    for (uint64_t b = 0; b < bands; ++b) {
        for (uint32_t k = 0; k < blocks; ++k, in += 8) {
            uint32_t c0 = in[0] | in[1] << 8, c1 = in[2] | in[3] << 8;
            uint32_t pal[4] = {c0, c1, 0, 0};
            for (uint32_t m : MASKS) {
                uint64_t x0 = c0 & m, x1 = c1 & m;
                if (c0 > c1) {
                    pal[2] |= static_cast<uint32_t>((x0 * 43690 + x1 * 21846) >> 16) & m;
                    pal[3] |= static_cast<uint32_t>((x0 * 21846 + x1 * 43690) >> 16) & m;
                } else {
                    pal[2] |= static_cast<uint32_t>((x0 + x1) / 2) & m;
                }
            }
            for (uint32_t row = 0; row < 4; ++row) {
                uint8_t bits = in[4 + row];
                uint8_t* px = o + (b * 4 + row) * width * 2 + k * 8;
                for (int x = 0; x < 4; ++x, bits >>= 2) {
                    uint32_t c = pal[bits & 3];
                    px[2 * x] = static_cast<uint8_t>(c);
                    px[2 * x + 1] = static_cast<uint8_t>(c >> 8);
                }
            }
        }
    }
    return size;
}

// Byte-pair expansion.
uint32_t unpack46(const void* data, uint32_t length, void* out)
{
    auto* p = static_cast<const uint8_t*>(data);
    uint32_t at = length >= 2 && p[0] == 0x47 && p[1] == 0xFB ? 5 : 2;
    if (length < at + 5) return 0;
    uint32_t size = be(p + at, 3);
    uint8_t escape = p[at + 3];
    uint32_t pairs = p[at + 4];
    at += 5;
    enum : uint8_t { PLAIN, ESCAPE, PAIR };
    uint8_t kind[256] = {};
    uint8_t first[256] = {}, second[256] = {};
    kind[escape] = ESCAPE;
    if (length - at < pairs * 3) return 0;
    for (uint32_t i = 0; i < pairs; ++i, at += 3) {
        uint8_t c = p[at];
        kind[c] = PAIR;
        first[c] = p[at + 1];
        second[c] = p[at + 2];
    }
    Output o{static_cast<uint8_t*>(out), size};
    // Depth first through an explicit stack; a deeper nest is a cycle.
    uint8_t stack[MAXPAIRDEPTH + 2];
    for (;;) {
        if (at >= length) return 0;
        uint8_t b = p[at++];
        if (kind[b] == PLAIN) {
            if (!o.put(b)) return 0;
            continue;
        }
        if (kind[b] == ESCAPE) {
            if (at >= length) return 0;
            uint8_t x = p[at++];
            if (x == 0) return o.at == size ? size : 0;
            if (!o.put(x)) return 0;
            continue;
        }
        int depth = 0;
        stack[depth++] = second[b];
        stack[depth++] = first[b];
        while (depth) {
            uint8_t c = stack[--depth];
            if (kind[c] == PLAIN) {
                if (!o.put(c)) return 0;
                continue;
            }
            if (depth + 2 > MAXPAIRDEPTH) return 0;
            stack[depth++] = second[c];
            stack[depth++] = first[c];
        }
    }
}

// Run-length with nibble packing.
uint32_t unpack4a(const void* data, uint32_t length, void* out)
{
    auto* p = static_cast<const uint8_t*>(data);
    uint32_t at, size;
    if (length >= 4 && p[0] == 0x4B && p[1] == 0x31) {
        size = be(p + 2, 2);
        at = 4;
    } else {
        if (length < 5) return 0;
        size = be(p + 2, 3);
        at = 5;
    }
    Output o{static_cast<uint8_t*>(out), size};
    uint8_t fill = 0;
    uint32_t left = size;
    while (left) {
        if (at >= length) return 0;
        uint8_t control = p[at++];
        uint32_t n = control & 0x3F;
        if (n > left) return 0;
        left -= n;
        switch (control >> 6) {
        case 0:
            if (length - at < n) return 0;
            for (uint32_t i = 0; i < n; ++i) o.put(p[at++]);
            break;
        case 1:
            if (at >= length) return 0;
            fill = p[at++];
            [[fallthrough]];
        case 2:
            for (uint32_t i = 0; i < n; ++i) o.put(fill);
            break;
        default: {
            if (n == 0 || length - at < 1 + n / 2) return 0;
            uint8_t h = p[at++];
            o.put(h);
            uint8_t high = h & 0xF0;
            for (uint32_t i = 1; i < n; i += 2) {
                uint8_t b = p[at++];
                o.put(high | b >> 4);
                if (i + 1 < n) o.put(high | (b & 0x0F));
            }
            break;
        }
        }
    }
    return size;
}

// Canonical Huffman with runs, read as one big-endian bit stream.
namespace {

struct BitReader {
    const uint8_t* p;
    uint64_t length, bit = 0;
    // Bits past the input read as 0; far past it the stream is broken.
    bool spent() const { return bit > length * 8 + 32; }
    uint32_t get(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++bit) {
            uint64_t byte = bit >> 3;
            uint32_t b = byte < length ? (p[byte] >> (7 - (bit & 7))) & 1 : 0;
            v = v << 1 | b;
        }
        return v;
    }
    uint32_t peek(int n)
    {
        uint64_t saved = bit;
        uint32_t v = get(n);
        bit = saved;
        return v;
    }
    // The number code; false when it is longer than any number we use.
    bool number(uint32_t* value)
    {
        bool allzero = peek(16) == 0;
        if (get(1)) {
            *value = (4 | get(2)) - 4;
            return true;
        }
        int k = 1;
        while (!get(1)) {
            if (++k > 28 || spent()) return false;
        }
        int n = allzero ? k + 3 : k + 2;
        if (n > 30) return false;
        *value = get(n) + (1u << n) - 4;
        return true;
    }
};

} // namespace

uint32_t unpackhuff(const void* data, uint32_t length, void* out, int decode)
{
    auto* p = static_cast<const uint8_t*>(data);
    BitReader r{p, length};
    uint32_t head = r.get(16);
    if (head & 0x100) r.get(24);
    uint32_t size = r.get(24);
    if (!decode) return length >= 2 ? size : 0;
    uint8_t escape = static_cast<uint8_t>(r.get(8));

    uint32_t first[17] = {}, count[17] = {}, base[17] = {};
    uint32_t code = 0, total = 0;
    int longest = 0;
    for (int len = 1; len <= 16 && !longest; ++len) {
        code <<= 1;
        uint32_t c;
        if (!r.number(&c) || c > 256) return 0;
        first[len] = code;
        count[len] = c;
        base[len] = code - total;
        code += c;
        total += c;
        if (code > (1u << len) || total > 256) return 0;
        if (c && code == (1u << len)) longest = len;
    }
    if (!longest) return 0;

    uint8_t order[256];
    bool chosen[256] = {};
    uint32_t from = 0, left = 256;
    for (uint32_t i = 0; i < total; ++i) {
        uint32_t v;
        if (!r.number(&v)) return 0;
        v %= left;
        uint32_t s = from;
        for (;; s = (s + 1) & 255) {
            if (chosen[s]) continue;
            if (v == 0) break;
            --v;
        }
        chosen[s] = true;
        order[i] = static_cast<uint8_t>(s);
        from = s;
        --left;
    }

    Output o{static_cast<uint8_t*>(out), size};
    for (;;) {
        if (r.spent()) return 0;
        uint32_t value = 0;
        int len = 1;
        for (; len <= longest; ++len) {
            value = value << 1 | r.get(1);
            if (value - first[len] < count[len]) break;
        }
        if (len > longest) return 0;
        uint8_t symbol = order[value - base[len]];
        if (symbol != escape) {
            if (!o.put(symbol)) return 0;
            continue;
        }
        uint32_t run;
        if (!r.number(&run)) return 0;
        if (run) {
            if (o.at == 0 || run > size - o.at) return 0;
            uint8_t last = o.base[o.at - 1];
            for (uint32_t i = 0; i < run; ++i) o.put(last);
            continue;
        }
        if (r.get(1)) break;
        if (!o.put(static_cast<uint8_t>(r.get(8)))) return 0;
    }
    if (o.at != size) return 0;
    uint32_t kind = head & 0xFEFF;
    if (kind == 0x32FB || kind == 0x34FB) {
        uint8_t d = 0, s = 0;
        for (uint32_t i = 0; i < size; ++i) {
            d = static_cast<uint8_t>(d + o.base[i]);
            s = static_cast<uint8_t>(s + d);
            o.base[i] = kind == 0x32FB ? d : s;
        }
    }
    return size;
}
