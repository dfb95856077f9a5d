#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "lib/pack_write.h"
#include "lib/shape_write.h"
#include "win/shapes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

KitShape image(const char* name, uint8_t type, int16_t width, int16_t height, uint8_t fill)
{
    KitShape s;
    s.name = name;
    s.image.type = type;
    s.image.width = width;
    s.image.height = height;
    KitShapeRecord probe = s.image;
    s.image.data.assign(static_cast<size_t>(shaperowbytes(kit_shape_record(probe, 0).data()) * height), fill);
    return s;
}

class Shapes : public ::testing::Test {
protected:
    void SetUp() override { initmemsize(1 << 20); }
    void TearDown() override { releasemem(); }
    AbortCatcher aborts;
};

TEST_F(Shapes, TheLaterOfTwoNamesWinsAndMissingNamesAreReportedWithTheBanksBlock)
{
    std::vector<KitShape> shapes;
    const char* names[] = {"AAAA", "ABCD", "CCCC", "DDDD", "EEEE", "ABCD"};
    for (int i = 0; i < 6; ++i) shapes.push_back(image(names[i], 0x7B, 2, 1, static_cast<uint8_t>(i)));
    Bytes file = kit_shape_bank(shapes);
    auto* bank = static_cast<uint8_t*>(reservememadr("pitch", static_cast<int32_t>(file.size()), 0));
    std::memcpy(bank, file.data(), file.size());

    auto* found = static_cast<uint8_t*>(locateshape(bank, "ABCD"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found[16], 5);
    EXPECT_EQ(found, shapepointer(bank, 5));
    EXPECT_EQ(findshape(bank, "ZZZZ"), nullptr);
    EXPECT_EQ(aborts.count(), 0u);
    EXPECT_EQ(locateshape(bank, "ZZZZ"), nullptr);
    EXPECT_TRUE(aborts.saw("locateshape - 'ZZZZ' SHAPE NOT FOUND IN 'pitch'"));

    Bytes loose = kit_shape_bank({});
    EXPECT_EQ(locateshape(loose.data(), "ABCD"), nullptr);
    EXPECT_TRUE(aborts.saw("locateshape - 'ABCD' SHAPE NOT FOUND IN ''"));
}

TEST_F(Shapes, SignatureComparesOnlyTheFirstThreeBytes)
{
    Bytes bank = kit_shape_bank({image("ONE ", 0x7B, 1, 1, 0), image("TWO ", 0x7B, 1, 1, 0)}, 0x00);
    EXPECT_EQ(shapecount(bank.data()), 2);
    EXPECT_NE(shapepointer(bank.data(), 1), nullptr);
    EXPECT_EQ(aborts.count(), 0u);

    bank[2] = 'Q';
    EXPECT_EQ(shapecount(bank.data()), 2); // reported, then counted all the same
    EXPECT_TRUE(aborts.saw("shapecount - UNRECOGNIZED SHAPE SIGNATURE"));
    EXPECT_EQ(shapepointer(bank.data(), 0), nullptr);
    EXPECT_TRUE(aborts.saw("shapepointer - UNRECOGNIZED SHAPE SIGNATURE"));
    uint32_t name = 0xDEAD;
    shapename(bank.data(), 0, &name);
    EXPECT_EQ(name, 0u);
    EXPECT_TRUE(aborts.saw("shapename - UNRECOGNIZED SHAPE SIGNATURE"));
}

TEST_F(Shapes, ShapeNumbersOutOfRange)
{
    Bytes bank = kit_shape_bank({image("ONE ", 0x7B, 1, 1, 0), image("TWO ", 0x7B, 1, 1, 0)});
    const struct {
        int32_t n;
        bool pointerreports, namereports;
    } cases[] = {{2, false, true}, {1000000, false, true}, {1000001, true, true}, {-1, true, true}, {INT32_MIN, true, true}};
    for (const auto& c : cases) {
        AbortCatcher fresh;
        EXPECT_EQ(shapepointer(bank.data(), c.n), nullptr) << c.n;
        EXPECT_EQ(fresh.count(), c.pointerreports ? 1u : 0u) << c.n;
        uint32_t name = 0xDEAD;
        shapename(bank.data(), c.n, &name);
        EXPECT_EQ(name, 0u) << c.n;
        EXPECT_EQ(fresh.count(), (c.pointerreports ? 1u : 0u) + 1u) << c.n;
        EXPECT_TRUE(fresh.saw("shapename - INVALID SHAPE NUMBER\n requested: " + std::to_string(c.n) + ", available: 1\n"));
    }
    uint32_t name = 0;
    shapename(bank.data(), 1, &name);
    EXPECT_EQ(name, uint32_t('T' | 'W' << 8 | 'O' << 16 | ' ' << 24));
}

TEST_F(Shapes, RowBytesByTypeAndWidth)
{
    const struct {
        uint8_t type;
        int16_t width;
        int32_t bytes;
    } cases[] = {{0x40, 5, 4}, {0x7A, 5, 3}, {0x44, 17, 4}, {0x79, 17, 3}, {0x7E, 3, 6}, {0x42, 3, 6},
                 {0x7B, 5, 5}, {0x41, 5, 6}, {0x43, 1, 4}, {0x7F, 1, 3}, {0x7D, 3, 12}, {0x6D, 3, 6}, {0x78, 1, 2}};
    for (const auto& c : cases) {
        Bytes shape = kit_shape_record({c.type, c.width, 1, 0, 0, {}}, 0);
        EXPECT_EQ(shaperowbytes(shape.data()), c.bytes) << std::hex << int(c.type) << " width " << std::dec << c.width;
    }
    Bytes packed = kit_shape_record({0xFB, 4, 1, 0, 0, {}}, 0);
    EXPECT_EQ(shaperowbytes(packed.data()), 0);
    EXPECT_TRUE(aborts.saw("shaperowbytes - PACKED SHAPES NOT SUPPORTED. PACKTYPE fb"));
}

TEST_F(Shapes, PaletteIsTheFirstPaletteRecordOfTheChain)
{
    KitShape s = image("PIC ", 0x7B, 2, 2, 1);
    s.chain.push_back({0x6F, 0, 0, 0, 0, Bytes(8, 'c')});
    s.chain.push_back({0x2A, 2, 0, 0, 0, Bytes(8, 0x11)});
    s.chain.push_back({0x24, 1, 0, 0, 0, Bytes(4, 0x22)});
    Bytes bank = kit_shape_bank({s, image("BARE", 0x7B, 2, 2, 0)});
    ASSERT_EQ(checkshapebank(bank.data(), static_cast<uint32_t>(bank.size())), 1);
    auto* clut = static_cast<uint8_t*>(getshapeclut(shapepointer(bank.data(), 0)));
    ASSERT_NE(clut, nullptr);
    EXPECT_EQ(clut[0], 0x2A);
    EXPECT_EQ(clut[16], 0x11);
    EXPECT_EQ(getshapeclut(shapepointer(bank.data(), 1)), nullptr);
    EXPECT_EQ(getshapeclut(nullptr), nullptr);
    EXPECT_EQ(aborts.count(), 0u);

    Bytes bad = kit_shape_record({0x50, 1, 1, 0, 0, {}}, 0);
    EXPECT_EQ(getshapeclut(bad.data()), nullptr);
    EXPECT_TRUE(aborts.saw("getshapeclut - INVALID SHAPE TYPE ($50)"));
}

TEST_F(Shapes, HeaderFieldsAndTheStoredPosition)
{
    Bytes shape = kit_shape_record({0x7B, -3, 7, -8, 9, {}}, -20);
    shape[15] = 0xA0; // the bits no writer touches
    EXPECT_EQ(shapenext(shape.data()), -20);
    EXPECT_EQ(shapewidth(shape.data()), -3);
    EXPECT_EQ(shapehotx(shape.data()), -8);
    setshapelast(shape.data(), -5, 2047);
    EXPECT_EQ(shape[12] | (shape[13] & 0x0F) << 8, 0xFFB);
    EXPECT_EQ(shapelastx(shape.data()), -5);
    EXPECT_EQ(shapelasty(shape.data()), 2047);
    EXPECT_EQ(shape[15] & 0xF0, 0xA0);
    setshapelast(shape.data(), 2048, 0); // positions wrap at 12 bits
    EXPECT_EQ(shapelastx(shape.data()), -2048);
}

TEST_F(Shapes, HostileBanksAreRefused)
{
    KitShape s = image("PIC ", 0x78, 3, 2, 7);
    s.chain.push_back({0x29, 4, 0, 0, 0, Bytes(8, 1)});
    Bytes good = kit_shape_bank({image("A   ", 0x7A, 5, 3, 0), s});
    ASSERT_EQ(checkshapebank(good.data(), static_cast<uint32_t>(good.size())), 1);
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_EQ(checkshapebank(good.data(), static_cast<uint32_t>(n)), 0) << "cut at " << n;

    auto edit = [&](size_t at, uint32_t value) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
        return checkshapebank(b.data(), static_cast<uint32_t>(b.size()));
    };
    uint32_t second = static_cast<uint32_t>(static_cast<uint8_t*>(shapepointer(good.data(), 1)) - good.data());
    EXPECT_EQ(edit(8, 0x20000000), 0);                      // a count past the file
    EXPECT_EQ(edit(20, 0xFFFFFFF0), 0);                     // a shape past the file
    EXPECT_EQ(edit(second, 0x78 | 0xFFFFF0u << 8), 0);      // a chain running backwards
    EXPECT_EQ(edit(second, 0x78 | 0x100000u << 8), 0);      // a chain past the file
    EXPECT_EQ(edit(second + 4, 0x7FFF0003), 0);             // pixels past the file
    EXPECT_EQ(edit(second + 16 + 12 + 4, 0x00000100 | 0x29), 0); // a palette of 256 entries
}

TEST_F(Shapes, UnpackedShapesAreThemselvesAndFailedUnpacksLeaveNothing)
{
    Bytes plain = kit_shape_record({0x7B, 2, 2, 0, 0, Bytes(4, 9)}, 0);
    uint32_t before = largestfreemem();
    EXPECT_EQ(unshp(plain.data()), plain.data());
    Bytes packed = kit_shape_record({0xFB, 2, 2, 0, 0, {0x10, 0xFB, 0, 0, 4, 0, 0, 0}}, 0);
    EXPECT_EQ(unshp(packed.data()), nullptr);
    EXPECT_EQ(largestfreemem(), before);
}

TEST_F(Shapes, PackedShapesUnpackWithinTheirBankOnly)
{
    Bytes pixels;
    for (int i = 0; i < 12 * 6; ++i) pixels.push_back(static_cast<uint8_t>(i % 5 * 40));
    KitShape packed;
    packed.name = "PAK ";
    packed.image = {0xFB, 12, 6, 0, 0, kit_pack_lz(pixels)};
    for (bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole bank" : "bank cut short");
        Bytes file = kit_shape_bank({packed});
        // Cut into the packed data: the bank's block ends there.
        if (!whole) file.resize(file.size() - 3);
        auto* bank = static_cast<uint8_t*>(reservememadr("bank", static_cast<int32_t>(file.size()), 0));
        std::memcpy(bank, file.data(), file.size());
        auto* plain = static_cast<uint8_t*>(unshp(shapepointer(bank, 0)));
        if (whole) {
            ASSERT_NE(plain, nullptr);
            EXPECT_EQ(shapetype(plain), 0x7B);
            EXPECT_EQ(Bytes(plain + 16, plain + 16 + pixels.size()), pixels);
            memfree(plain);
        } else {
            EXPECT_EQ(plain, nullptr);
        }
        memfree(bank);
    }
}

TEST_F(Shapes, BlockSearchFindsOnlyInUseBlocks)
{
    auto* a = static_cast<uint8_t*>(reservememadr("first", 40, 0));
    auto* b = static_cast<uint8_t*>(reservememadr("second", 8, 0));
    EXPECT_EQ(findmemblock(a), a);
    EXPECT_EQ(findmemblock(a + 39), a);
    EXPECT_EQ(findmemblock(b + 7), b);
    EXPECT_EQ(findmemblock(a + 40 + 0x100000), nullptr);
    int local = 0;
    EXPECT_EQ(findmemblock(&local), nullptr);
    memfree(a);
    EXPECT_EQ(findmemblock(a + 4), nullptr);
    EXPECT_STREQ(memblockname(findmemblock(b)), "second");
}

} // namespace
