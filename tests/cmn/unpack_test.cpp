#include "cmn/libtest.h"
#include "cmn/unpack.h"
#include "lib/lzss_write.h"
#include "lib/pack_write.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

// Unpacks into an area with a guard pattern after the size; the guard must
// survive.
struct Unpacked {
    uint32_t result;
    Bytes bytes;
    bool guard_intact;
};
Unpacked unpack_all(const Bytes& packed, uint32_t room)
{
    Bytes area(room + 4, 0xEE);
    uint32_t got = unpack(packed.data(), static_cast<uint32_t>(packed.size()), area.data());
    bool guard = true;
    for (uint32_t i = room; i < room + 4; ++i) guard = guard && area[i] == 0xEE;
    area.resize(got <= room ? got : 0);
    return {got, area, guard};
}

Bytes sample(const std::string& kind)
{
    std::mt19937 rng(7);
    Bytes d;
    if (kind == "text") {
        std::string t = "the ball goes long, the ball goes short, the ball goes long again; ";
        for (int i = 0; i < 40; ++i) d.insert(d.end(), t.begin(), t.end());
    } else if (kind == "noise") {
        for (int i = 0; i < 3000; ++i) d.push_back(static_cast<uint8_t>(rng()));
    } else if (kind == "runs") {
        for (int i = 0; i < 60; ++i) d.insert(d.end(), static_cast<size_t>(rng() % 200 + 1), static_cast<uint8_t>(rng() % 4));
    } else if (kind == "ramp") {
        for (int i = 0; i < 2000; ++i) d.push_back(static_cast<uint8_t>(i * 3 + (i >> 4)));
    } else if (kind == "every_byte") {
        for (int r = 0; r < 3; ++r)
            for (int i = 0; i < 256; ++i) d.push_back(static_cast<uint8_t>(i ^ r));
    } else if (kind == "far") {
        // A block repeated beyond the short reach of the LZ commands.
        Bytes block;
        for (int i = 0; i < 700; ++i) block.push_back(static_cast<uint8_t>(rng()));
        d = block;
        for (int i = 0; i < 40000; ++i) d.push_back(static_cast<uint8_t>(rng()));
        d.insert(d.end(), block.begin(), block.end());
    } else if (kind == "one") {
        d = {0x41};
    }
    return d;
}

struct Packer {
    const char* name;
    std::function<Bytes(const Bytes&)> pack;
};

class Unpack : public ::testing::Test {
protected:
    AbortCatcher aborts;
    ErrorsOn errors{1};
};

TEST_F(Unpack, EveryPackerRoundTripsEveryKindOfData)
{
    const Packer packers[] = {
        {"lz", [](const Bytes& d) { return kit_pack_lz(d); }},
        {"lz extra", [](const Bytes& d) { return kit_pack_lz(d, true); }},
        {"huff", [](const Bytes& d) { return kit_pack_huff(d, 0x30); }},
        {"huff sum", [](const Bytes& d) { return kit_pack_huff(d, 0x32); }},
        {"huff double sum", [](const Bytes& d) { return kit_pack_huff(d, 0x34); }},
        {"huff extra", [](const Bytes& d) { return kit_pack_huff(d, 0x34, true); }},
        {"pairs", [](const Bytes& d) { return kit_pack_pairs(d); }},
        {"pairs extra", [](const Bytes& d) { return kit_pack_pairs(d, true); }},
        {"runs", [](const Bytes& d) { return kit_pack_runs(d); }},
    };
    for (const Packer& p : packers) {
        for (const char* kind : {"text", "noise", "runs", "ramp", "every_byte", "far", "one"}) {
            SCOPED_TRACE(std::string(p.name) + " / " + kind);
            Bytes data = sample(kind);
            Bytes packed = p.pack(data);
            auto size = static_cast<uint32_t>(data.size());
            EXPECT_EQ(unpacksize(packed.data(), static_cast<uint32_t>(packed.size())), size);
            Unpacked u = unpack_all(packed, size);
            EXPECT_EQ(u.result, size);
            EXPECT_EQ(u.bytes, data);
            EXPECT_TRUE(u.guard_intact);
        }
    }
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(Unpack, EmptyDataIsAValidResultNotAnError)
{
    for (const Bytes& packed : {kit_pack_lz({}), kit_pack_huff({}), kit_pack_pairs({}), kit_pack_runs({})}) {
        Bytes area(4, 0xEE);
        EXPECT_EQ(unpack(packed.data(), static_cast<uint32_t>(packed.size()), area.data()), 0u);
        EXPECT_EQ(area, Bytes(4, 0xEE));
    }
    // An LZ stream of only the end command leaves the byte after it alone.
    Bytes only_end{0x10, 0xFB, 0, 0, 0, 0xFC};
    Unpacked u = unpack_all(only_end, 0);
    EXPECT_EQ(u.result, 0u);
    EXPECT_TRUE(u.guard_intact);
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(Unpack, HandMadeStreamsOfEachMethod)
{
    struct Case {
        const char* what;
        Bytes packed;
        Bytes expect;
    };
    Bytes eleven(11, 0x41);
    const Case cases[] = {
        // One literal 0x41, then distance 1, length 10, and the end.
        {"lz distance 1 fills", {0x10, 0xFB, 0, 0, 11, 0x1D, 0x00, 0x41, 0xFC}, eleven},
        {"lz code 0x11 reads the size at 5", {0x11, 0xFB, 9, 9, 9, 0, 0, 11, 0x1D, 0x00, 0x41, 0xFC}, eleven},
        {"lz four-byte command",
         {0x10, 0xFB, 0, 0, 12, 0xE0, 1, 2, 3, 4, 0xC0, 0x00, 0x03, 0x03, 0xFC},
         {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4}},
        {"runs nibble packing", {0x4A, 0xFB, 0, 0, 3, 0xC3, 0x5A, 0x12}, {0x5A, 0x51, 0x52}},
        {"runs fill and literals", {0x4A, 0xFB, 0, 0, 6, 0x82, 0x43, 0x07, 0x01, 0x09}, {0, 0, 7, 7, 7, 0x09}},
        {"pairs nest depth first",
         {0x46, 0xFB, 0, 0, 5, 0xFF, 2, 0x80, 0x41, 0x42, 0x81, 0x80, 0x43, 0x81, 0x44, 0x00, 0xFF, 0x00},
         {0x41, 0x42, 0x43, 0x44, 0x00}},
        {"pairs escaped escape", {0x46, 0xFB, 0, 0, 2, 0x80, 0, 0x80, 0x80, 0x31, 0x80, 0x00}, {0x80, 0x31}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Unpacked u = unpack_all(c.packed, static_cast<uint32_t>(c.expect.size()));
        EXPECT_EQ(u.result, c.expect.size());
        EXPECT_EQ(u.bytes, c.expect);
        EXPECT_TRUE(u.guard_intact);
    }
}

uint16_t px(const Bytes& b, size_t i) { return static_cast<uint16_t>(b[2 * i] | b[2 * i + 1] << 8); }

TEST_F(Unpack, ColourBlocksBuildTheirPalettes)
{
    // c0 > c1: four colours, the two between at a third and two thirds.
    Bytes four{0x18, 0xFB, 0, 0, 32, 0, 0, 4, 0xFF, 0xFF, 0x00, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    Unpacked u = unpack_all(four, 32);
    ASSERT_EQ(u.result, 32u);
    // Row 0 of 0xE4 is indices 0, 1, 2, 3 left to right.
    EXPECT_EQ(px(u.bytes, 0), 0xFFFF);
    EXPECT_EQ(px(u.bytes, 1), 0x0000);
    EXPECT_EQ(px(u.bytes, 2), (0xF800ull * 43690 >> 16 & 0xF800) | (0x07E0ull * 43690 >> 16 & 0x07E0) | (31ull * 43690 >> 16));
    EXPECT_EQ(px(u.bytes, 3), (0xF800ull * 21846 >> 16 & 0xF800) | (0x07E0ull * 21846 >> 16 & 0x07E0) | (31ull * 21846 >> 16));

    // c0 = c1: three colours, the third the average and index 3 black.
    Bytes three{0x18, 0xFB, 0, 0, 32, 0, 0, 4, 0x1F, 0x08, 0x1F, 0x08, 0xE4, 0, 0, 0};
    u = unpack_all(three, 32);
    ASSERT_EQ(u.result, 32u);
    EXPECT_EQ(px(u.bytes, 0), 0x081F);
    EXPECT_EQ(px(u.bytes, 2), 0x081F);
    EXPECT_EQ(px(u.bytes, 3), 0x0000);
    EXPECT_EQ(px(u.bytes, 4), 0x081F); // row 1 is all index 0

    // The kit's blocks of at most two colours come back exactly.
    std::vector<uint16_t> picture(16 * 8);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = (i / 16 + (i % 16) / 4) % 2 ? 0x1234 : 0xF81F;
    Bytes packed = kit_pack_blocks(picture, 16, 8);
    u = unpack_all(packed, 256);
    ASSERT_EQ(u.result, 256u);
    for (size_t i = 0; i < picture.size(); ++i) EXPECT_EQ(px(u.bytes, i), picture[i]) << i;
}

// Huffman streams written bit by bit: two codes of length 1 (0 and the escape
// 0xFF), which fill the code space at once.
Bytes huff_stream(uint8_t code, uint32_t size, const std::function<void(KitBitWriter&)>& body,
                  const std::function<void(KitBitWriter&)>& table = nullptr)
{
    KitBitWriter w;
    w.bits(uint32_t{code} << 8 | 0xFB, 16);
    w.bits(size, 24);
    w.bits(0xFF, 8); // the escape
    if (table) {
        table(w);
    } else {
        kit_huff_number(w, 2); // two codes of length 1
        kit_huff_number(w, 1); // symbol 1 (code 0)
        kit_huff_number(w, 253); // then 0xFF, the escape (code 1)
    }
    body(w);
    return w.finish();
}
void escape_end(KitBitWriter& w) { w.bit(1), kit_huff_number(w, 0), w.bit(1); }

TEST_F(Unpack, HuffmanEscapesRunsLiteralsAndSums)
{
    struct Case {
        const char* what;
        uint8_t code;
        Bytes expect;
        std::function<void(KitBitWriter&)> body;
    };
    auto literal = [](KitBitWriter& w, uint8_t b) { w.bit(1), kit_huff_number(w, 0), w.bit(0), w.bits(b, 8); };
    const Case cases[] = {
        {"only the end mark", 0x30, {}, [](KitBitWriter& w) { escape_end(w); }},
        {"a run of three more",
         0x30,
         {0x41, 0x41, 0x41, 0x41},
         [&](KitBitWriter& w) { literal(w, 0x41), w.bit(1), kit_huff_number(w, 3), escape_end(w); }},
        {"an escaped literal", 0x30, {0xFB, 1}, [&](KitBitWriter& w) { literal(w, 0xFB), w.bit(0), escape_end(w); }},
        {"one running sum", 0x32, {1, 2, 3}, [](KitBitWriter& w) { w.bit(0), w.bit(0), w.bit(0), escape_end(w); }},
        {"two running sums",
         0x34,
         {1, 2, 3},
         [&](KitBitWriter& w) { w.bit(0), literal(w, 0), literal(w, 0), escape_end(w); }},
        {"a long run", 0x30, Bytes(5001, 1), [](KitBitWriter& w) { w.bit(0), w.bit(1), kit_huff_number(w, 5000), escape_end(w); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes packed = huff_stream(c.code, static_cast<uint32_t>(c.expect.size()), c.body);
        Unpacked u = unpack_all(packed, static_cast<uint32_t>(c.expect.size()));
        EXPECT_EQ(u.result, c.expect.size());
        EXPECT_EQ(u.bytes, c.expect);
        EXPECT_TRUE(u.guard_intact);
    }
    // The marker 0x32 decodes but gets no running sum.
    Bytes plain = huff_stream(0x32, 3, [](KitBitWriter& w) { w.bit(0), w.bit(0), w.bit(0), escape_end(w); });
    plain[1] = 0x32;
    EXPECT_EQ(unpack_all(plain, 3).bytes, Bytes({1, 1, 1}));
    EXPECT_EQ(aborts.count(), 0u);
}

// Every broken stream gives 0 with a report, writes nothing past the size and
// ends (no loop, no recursion without end).
TEST_F(Unpack, HostileDataFailsCleanly)
{
    auto counts = [](std::initializer_list<uint32_t> per_length, std::initializer_list<uint32_t> order) {
        return [=](KitBitWriter& w) {
            for (uint32_t c : per_length) kit_huff_number(w, c);
            for (uint32_t v : order) kit_huff_number(w, v);
        };
    };
    auto nothing = [](KitBitWriter&) {};
    struct Case {
        const char* what;
        Bytes packed;
        uint32_t room;
    };
    Bytes lz_long = kit_pack_lz(sample("text"));
    lz_long.resize(lz_long.size() / 2);
    Bytes huff_long = kit_pack_huff(sample("text"));
    huff_long.resize(huff_long.size() / 2);
    auto text = static_cast<uint32_t>(sample("text").size());
    const Case cases[] = {
        {"lz reference before the start", {0x10, 0xFB, 0, 0, 4, 0x00, 0x00, 0xFC}, 4},
        {"lz run past the size", {0x10, 0xFB, 0, 0, 4, 0x1D, 0x00, 0x41, 0xFC}, 4},
        {"lz literals past the input", {0x10, 0xFB, 0, 0, 8, 0xE1, 1, 2}, 8},
        {"lz without its end", lz_long, text},
        {"lz short of the size", {0x10, 0xFB, 0, 0, 9, 0xFD, 0x41}, 9},
        {"blocks of width 0", {0x18, 0xFB, 0, 0, 32, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, 32},
        {"blocks past the input", {0x18, 0xFB, 0, 1, 0, 0, 0, 4, 1, 2, 3, 4, 5, 6, 7, 8}, 256},
        {"blocks past the size", {0x18, 0xFB, 0, 0, 20, 0, 0, 4, 1, 2, 3, 4, 5, 6, 7, 8}, 20},
        {"pairs in a cycle", {0x46, 0xFB, 0, 0, 4, 0xFF, 2, 1, 2, 0x41, 2, 1, 0x41, 1, 0xFF, 0}, 4},
        {"pairs past the size", {0x46, 0xFB, 0, 0, 1, 0xFF, 1, 1, 0x41, 0x42, 1, 0xFF, 0}, 1},
        {"pairs without the end", {0x46, 0xFB, 0, 0, 1, 0xFF, 0, 0x41}, 1},
        {"runs count past the size", {0x4A, 0xFB, 0, 0, 2, 0x83}, 2},
        {"runs nibbles of none", {0x4A, 0xFB, 0, 0, 2, 0xC0, 0x12, 0x02, 0x12, 0x34}, 2},
        {"runs literals past the input", {0x4A, 0xFB, 0, 0, 5, 0x05, 1, 2}, 5},
        {"huff code space never full", huff_stream(0x30, 1, nothing, counts({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {})), 1},
        {"huff code space over full", huff_stream(0x30, 1, nothing, counts({3}, {0, 0, 0})), 1},
        {"huff over 256 codes", huff_stream(0x30, 1, nothing, counts({0, 0, 0, 0, 0, 0, 0, 0, 300}, {})), 1},
        {"huff repeat before any byte", huff_stream(0x30, 4, [](KitBitWriter& w) { w.bit(1), kit_huff_number(w, 3), escape_end(w); }), 4},
        {"huff run past the size", huff_stream(0x30, 4, [](KitBitWriter& w) { w.bit(0), w.bit(1), kit_huff_number(w, 9), escape_end(w); }), 4},
        {"huff symbols past the size", huff_stream(0x30, 2, [](KitBitWriter& w) { w.bit(0), w.bit(0), w.bit(0), escape_end(w); }), 2},
        {"huff without its end", huff_long, text},
        {"huff zeros for ever", huff_stream(0x30, 1, [](KitBitWriter& w) { w.bit(1), w.bits(0, 20), w.bits(0, 20); }), 1},
        {"unknown code", {0x20, 0xFB, 0, 0, 1}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        size_t before = aborts.count();
        Unpacked u = unpack_all(c.packed, c.room);
        EXPECT_EQ(u.result, 0u);
        EXPECT_TRUE(u.guard_intact);
        EXPECT_EQ(aborts.count(), before + 1);
        EXPECT_TRUE(aborts.saw("unpack - INVALID PACK CODE"));
    }
}

TEST_F(Unpack, HeadersAndReports)
{
    Bytes lz{0x11, 0xFB, 0, 0, 7, 0, 0, 9, 0xFC};
    EXPECT_EQ(unpacksizeraw(lz.data(), 9), 7u); // the raw size never skips
    EXPECT_EQ(unpacksize(lz.data(), 9), 9u);
    Bytes runs{0x4B, 0xFB, 0, 0, 3, 0x03, 1, 2, 3};
    EXPECT_EQ(unpacksize(runs.data(), 9), 3u);
    Bytes area(8);
    EXPECT_EQ(unpack(runs.data(), 9, area.data()), 3u);
    // The input length is the limit even for the header.
    EXPECT_EQ(unpacksize(lz.data(), 4), 0u);
    EXPECT_EQ(aborts.count(), 0u);

    // Unknown markers give 0 quietly; unknown codes with 0xFB are reported.
    Bytes odd_marker{0x10, 0x00, 0, 0, 1, 0xFD, 0x41};
    EXPECT_EQ(unpack(odd_marker.data(), 7, area.data()), 0u);
    EXPECT_EQ(unpacksize(odd_marker.data(), 7), 0u);
    Bytes high_code{0x90, 0xFB, 0, 0, 1};
    EXPECT_EQ(unpack(high_code.data(), 5, area.data()), 0u);
    EXPECT_EQ(aborts.count(), 0u);
    Bytes unknown{0x20, 0xFB, 0, 0, 1};
    EXPECT_EQ(unpacksize(unknown.data(), 5), 0u);
    EXPECT_TRUE(aborts.saw("unpacksize - INVALID PACK CODE (20fb)"));
    // With the library's errors off nothing is reported.
    ErrorsOn quiet(0);
    size_t seen = aborts.count();
    EXPECT_EQ(unpack(unknown.data(), 5, area.data()), 0u);
    EXPECT_EQ(aborts.count(), seen);
}

} // namespace
