#include "lib/pack_write.h"

#include "lib/lzss_write.h"

#include <algorithm>
#include <array>
#include <map>
#include <queue>
#include <stdexcept>

namespace {

void put3(KitBytes& out, uint32_t v)
{
    if (v > 0xFFFFFF) throw std::runtime_error("packed data over 16 MB");
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

KitBytes header(uint8_t code, bool extra, uint32_t size)
{
    KitBytes out{static_cast<uint8_t>(code | (extra ? 1 : 0)), 0xFB};
    if (extra) put3(out, size);
    put3(out, size);
    return out;
}

} // namespace

// ---- 0x10 -------------------------------------------------------------

KitBytes kit_pack_lz(const KitBytes& data, bool extra)
{
    KitBytes out = header(0x10, extra, static_cast<uint32_t>(data.size()));
    size_t pending = 0; // start of the literals not yet written
    auto flush = [&](size_t upto, size_t keep) {
        // Runs of 4..112 literals until at most keep (0..3) remain.
        while (upto - pending > keep) {
            size_t k = std::min<size_t>(112, (upto - pending) & ~size_t{3});
            if (k == 0) break;
            out.push_back(static_cast<uint8_t>(0xE0 + k / 4 - 1));
            out.insert(out.end(), data.begin() + pending, data.begin() + pending + k);
            pending += k;
        }
    };
    std::map<uint32_t, std::vector<size_t>> seen;
    auto key = [&](size_t i) { return uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2]; };
    size_t i = 0;
    while (i < data.size()) {
        size_t best = 0, bestdist = 0;
        if (i + 3 <= data.size()) {
            auto& list = seen[key(i)];
            int tries = 0;
            for (auto it = list.rbegin(); it != list.rend() && tries < 64; ++it, ++tries) {
                size_t dist = i - *it;
                if (dist > 131072) break;
                size_t len = 0;
                while (i + len < data.size() && len < 1028 && data[*it + len] == data[i + len]) ++len;
                bool usable = (len >= 3 && dist <= 1024) || (len >= 4 && dist <= 16384) || len >= 5;
                if (usable && len > best) best = len, bestdist = dist;
            }
        }
        if (!best) {
            if (i + 3 <= data.size()) seen[key(i)].push_back(i);
            ++i;
            continue;
        }
        flush(i, 3);
        uint32_t lit = static_cast<uint32_t>(i - pending);
        uint32_t d = static_cast<uint32_t>(bestdist - 1);
        size_t len = best;
        if (bestdist <= 1024 && len <= 10) {
            out.push_back(static_cast<uint8_t>((d >> 8) << 5 | (len - 3) << 2 | lit));
            out.push_back(static_cast<uint8_t>(d));
        } else if (bestdist <= 16384 && len >= 4) {
            len = std::min<size_t>(len, 67);
            out.push_back(static_cast<uint8_t>(0x80 | (len - 4)));
            out.push_back(static_cast<uint8_t>(lit << 6 | d >> 8));
            out.push_back(static_cast<uint8_t>(d));
        } else {
            out.push_back(static_cast<uint8_t>(0xC0 | (d >> 16) << 4 | ((len - 5) >> 8) << 2 | lit));
            out.push_back(static_cast<uint8_t>(d >> 8));
            out.push_back(static_cast<uint8_t>(d));
            out.push_back(static_cast<uint8_t>(len - 5));
        }
        out.insert(out.end(), data.begin() + pending, data.begin() + i);
        for (size_t k = 0; k < len; ++k)
            if (i + k + 3 <= data.size()) seen[key(i + k)].push_back(i + k);
        i += len;
        pending = i;
    }
    flush(data.size(), 3);
    out.push_back(static_cast<uint8_t>(0xFC | (data.size() - pending)));
    out.insert(out.end(), data.begin() + pending, data.end());
    return out;
}

// ---- 0x18 -------------------------------------------------------------

namespace {

std::array<uint32_t, 4> block_palette(uint32_t c0, uint32_t c1)
{
    std::array<uint32_t, 4> pal{c0, c1, 0, 0};
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) {
        uint64_t x0 = c0 & m, x1 = c1 & m;
        if (c0 > c1) {
            pal[2] |= static_cast<uint32_t>((x0 * 43690 + x1 * 21846) >> 16) & m;
            pal[3] |= static_cast<uint32_t>((x0 * 21846 + x1 * 43690) >> 16) & m;
        } else {
            pal[2] |= static_cast<uint32_t>((x0 + x1) / 2) & m;
        }
    }
    return pal;
}

int colour_distance(uint32_t a, uint32_t b)
{
    int dr = int(a >> 11) - int(b >> 11), dg = int((a >> 5) & 63) - int((b >> 5) & 63), db = int(a & 31) - int(b & 31);
    return dr * dr + dg * dg + db * db;
}

} // namespace

KitBytes kit_pack_blocks(const std::vector<uint16_t>& pixels, uint32_t width, uint32_t height)
{
    if (width % 4 || height % 4 || width == 0 || width > 0xFFFF || pixels.size() != size_t{width} * height)
        throw std::runtime_error("colour blocks need a whole number of 4 x 4 blocks");
    KitBytes out = header(0x18, false, width * height * 2);
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(width >> 8));
    out.push_back(static_cast<uint8_t>(width));
    for (uint32_t by = 0; by < height; by += 4) {
        for (uint32_t bx = 0; bx < width; bx += 4) {
            uint32_t hi = 0, lo = 0xFFFF;
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t x = 0; x < 4; ++x) {
                    uint32_t c = pixels[(by + y) * width + bx + x];
                    hi = std::max(hi, c), lo = std::min(lo, c);
                }
            auto pal = block_palette(hi, lo);
            out.push_back(static_cast<uint8_t>(hi)), out.push_back(static_cast<uint8_t>(hi >> 8));
            out.push_back(static_cast<uint8_t>(lo)), out.push_back(static_cast<uint8_t>(lo >> 8));
            int used = hi > lo ? 4 : 1;
            for (uint32_t y = 0; y < 4; ++y) {
                uint8_t row = 0;
                for (uint32_t x = 0; x < 4; ++x) {
                    uint32_t c = pixels[(by + y) * width + bx + x];
                    int pick = 0;
                    for (int k = 1; k < used; ++k)
                        if (colour_distance(c, pal[k]) < colour_distance(c, pal[pick])) pick = k;
                    row |= static_cast<uint8_t>(pick << (2 * x));
                }
                out.push_back(row);
            }
        }
    }
    return out;
}

// ---- 0x30, 0x32, 0x34 ------------------------------------------------

void kit_huff_number(KitBitWriter& out, uint32_t v)
{
    if (v < 4) {
        out.bits(4 | v, 3);
        return;
    }
    int n = 3;
    while (v >= (1u << (n + 1)) - 4) ++n;
    // Past 16 leading zeros the reader counts one more bit, so 18 is unsayable.
    if (n == 18) throw std::runtime_error("number too large for the Huffman stream");
    int zeros = n <= 17 ? n - 2 : n - 3;
    out.bits(0, zeros);
    out.bit(1);
    out.bits(v - ((1u << n) - 4), n);
}

namespace {

// Code lengths of at most 16 for the used symbols (at least two).
std::map<int, int> code_lengths(std::map<int, uint64_t> freq)
{
    for (;;) {
        using Node = std::pair<uint64_t, int>;
        std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
        std::vector<int> parent;
        std::vector<int> leaf_symbol;
        for (auto& [s, f] : freq) {
            heap.push({f, static_cast<int>(parent.size())});
            parent.push_back(-1);
            leaf_symbol.push_back(s);
        }
        while (heap.size() > 1) {
            auto [fa, a] = heap.top();
            heap.pop();
            auto [fb, b] = heap.top();
            heap.pop();
            int n = static_cast<int>(parent.size());
            parent.push_back(-1);
            parent[a] = parent[b] = n;
            heap.push({fa + fb, n});
        }
        std::map<int, int> lengths;
        int longest = 0;
        for (size_t i = 0; i < leaf_symbol.size(); ++i) {
            int depth = 0;
            for (int at = static_cast<int>(i); parent[at] >= 0; at = parent[at]) ++depth;
            lengths[leaf_symbol[i]] = depth;
            longest = std::max(longest, depth);
        }
        if (longest <= 16) return lengths;
        for (auto& [s, f] : freq) f = f / 2 + 1;
    }
}

} // namespace

KitBytes kit_pack_huff(const KitBytes& data, uint8_t code, bool extra)
{
    if (code != 0x30 && code != 0x32 && code != 0x34) throw std::runtime_error("Huffman codes are 0x30, 0x32, 0x34");
    KitBytes body = data;
    for (int pass = 0; pass < (code - 0x30) / 2; ++pass)
        for (size_t i = body.size(); i-- > 1;) body[i] = static_cast<uint8_t>(body[i] - body[i - 1]);

    // Tokens: a byte, or a repeat of the byte before.
    struct Token {
        uint8_t byte;
        uint32_t run; // repeats after it
    };
    std::vector<Token> tokens;
    for (size_t i = 0; i < body.size();) {
        size_t j = i + 1;
        while (j < body.size() && body[j] == body[i] && j - i <= 65535) ++j;
        uint32_t run = static_cast<uint32_t>(j - i - 1);
        if (run < 2) run = 0, j = i + 1;
        tokens.push_back({body[i], run});
        i = j;
    }
    std::array<uint64_t, 256> counts{};
    for (auto& t : tokens) ++counts[t.byte];
    int escape = 0;
    for (int s = 1; s < 256; ++s)
        if (counts[s] < counts[escape]) escape = s;
    std::map<int, uint64_t> freq;
    for (auto& t : tokens) {
        if (t.byte != escape) ++freq[t.byte];
        if (t.byte == escape || t.run) ++freq[escape];
    }
    ++freq[escape];                                // the end mark
    if (freq.size() < 2) freq[escape == 0 ? 1 : 0] = 1; // a code needs two symbols
    std::map<int, int> lengths = code_lengths(freq);

    std::vector<std::pair<int, int>> byorder; // (length, symbol)
    for (auto& [s, l] : lengths) byorder.push_back({l, s});
    std::sort(byorder.begin(), byorder.end());
    int longest = byorder.back().first;
    std::map<int, std::pair<uint32_t, int>> codes; // symbol -> (code, length)
    uint32_t next = 0;
    int len = 1;
    for (auto& [l, s] : byorder) {
        while (len < l) next <<= 1, ++len;
        codes[s] = {next++, l};
    }

    KitBitWriter out;
    out.bits(static_cast<uint32_t>(code | (extra ? 1 : 0)) << 8 | 0xFB, 16);
    if (extra) out.bits(static_cast<uint32_t>(data.size()), 24);
    out.bits(static_cast<uint32_t>(data.size()), 24);
    out.bits(static_cast<uint32_t>(escape), 8);
    for (int l = 1; l <= longest; ++l) {
        uint32_t c = 0;
        for (auto& [bl, s] : byorder) c += bl == l;
        kit_huff_number(out, c);
    }
    bool chosen[256] = {};
    int from = 0;
    for (auto& [l, s] : byorder) {
        uint32_t v = 0;
        for (int at = from; at != s; at = (at + 1) & 255) v += !chosen[at];
        kit_huff_number(out, v);
        chosen[s] = true;
        from = s;
    }
    auto symbol = [&](int s) { out.bits(codes[s].first, codes[s].second); };
    for (auto& t : tokens) {
        if (t.byte == escape) {
            symbol(escape);
            kit_huff_number(out, 0);
            out.bit(0);
            out.bits(t.byte, 8);
        } else {
            symbol(t.byte);
        }
        if (t.run) {
            symbol(escape);
            kit_huff_number(out, t.run);
        }
    }
    symbol(escape);
    kit_huff_number(out, 0);
    out.bit(1);
    return out.finish();
}

// ---- 0x46 -------------------------------------------------------------

KitBytes kit_pack_pairs(const KitBytes& data, bool extra)
{
    bool used[256] = {};
    for (uint8_t b : data) used[b] = true;
    std::vector<int> free;
    for (int v = 1; v < 256; ++v)
        if (!used[v]) free.push_back(v);
    // The escape: an unused value when there is one; else a used one, sent
    // escaped (never 0, since the escape then 0 is the end).
    int escape = free.empty() ? 255 : free.back();
    if (!free.empty()) free.pop_back();

    std::vector<int> seq(data.begin(), data.end());
    std::vector<std::array<int, 3>> pairs;
    while (!free.empty()) {
        std::map<std::pair<int, int>, int> count;
        for (size_t i = 0; i + 1 < seq.size(); ++i)
            if (seq[i] != escape && seq[i + 1] != escape) ++count[{seq[i], seq[i + 1]}];
        auto best = std::max_element(count.begin(), count.end(),
                                     [](auto& a, auto& b) { return a.second < b.second; });
        if (best == count.end() || best->second < 4) break;
        int c = free.back();
        free.pop_back();
        auto [a, b] = best->first;
        pairs.push_back({c, a, b});
        std::vector<int> next;
        for (size_t i = 0; i < seq.size(); ++i) {
            if (i + 1 < seq.size() && seq[i] == a && seq[i + 1] == b) {
                next.push_back(c);
                ++i;
            } else {
                next.push_back(seq[i]);
            }
        }
        seq.swap(next);
    }
    KitBytes out = extra ? KitBytes{0x47, 0xFB, 0, 0, 0} : KitBytes{0x46, 0xFB};
    put3(out, static_cast<uint32_t>(data.size()));
    out.push_back(static_cast<uint8_t>(escape));
    out.push_back(static_cast<uint8_t>(pairs.size()));
    for (auto& p : pairs)
        for (int v : p) out.push_back(static_cast<uint8_t>(v));
    for (int v : seq) {
        if (v == escape) out.push_back(static_cast<uint8_t>(escape));
        out.push_back(static_cast<uint8_t>(v));
    }
    out.push_back(static_cast<uint8_t>(escape));
    out.push_back(0);
    return out;
}

// ---- 0x4A -------------------------------------------------------------

KitBytes kit_pack_runs(const KitBytes& data)
{
    KitBytes out = header(0x4A, false, static_cast<uint32_t>(data.size()));
    uint8_t fill = 0;
    size_t literal = 0; // start of the literal run being gathered
    auto flush = [&](size_t upto) {
        while (literal < upto) {
            size_t n = std::min<size_t>(63, upto - literal);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + literal, data.begin() + literal + n);
            literal += n;
        }
    };
    size_t i = 0;
    while (i < data.size()) {
        size_t same = 1, nibble = 1;
        while (i + same < data.size() && same < 63 && data[i + same] == data[i]) ++same;
        while (i + nibble < data.size() && nibble < 63 && (data[i + nibble] & 0xF0) == (data[i] & 0xF0)) ++nibble;
        if (same >= 3) {
            flush(i);
            if (data[i] == fill) {
                out.push_back(static_cast<uint8_t>(0x80 | same));
            } else {
                out.push_back(static_cast<uint8_t>(0x40 | same));
                out.push_back(data[i]);
                fill = data[i];
            }
            i += same;
            literal = i;
        } else if (nibble >= 5) {
            flush(i);
            out.push_back(static_cast<uint8_t>(0xC0 | nibble));
            out.push_back(data[i]);
            for (size_t k = 1; k < nibble; k += 2) {
                uint8_t lo = data[i + k] & 0x0F;
                uint8_t lo2 = k + 1 < nibble ? data[i + k + 1] & 0x0F : 0;
                out.push_back(static_cast<uint8_t>(lo << 4 | lo2));
            }
            i += nibble;
            literal = i;
        } else {
            ++i;
        }
    }
    flush(data.size());
    return out;
}
