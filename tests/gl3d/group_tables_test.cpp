// The group tables against one per-pixel model: every entry of every table
// drawn into a cell with poison on both sides, its colour bytes followed by
// poison, and the pointer moves and handler sharing checked.
#include "gl3d/group_tables.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <set>
#include <vector>

namespace {

constexpr uint8_t POISON = 0xA5;
constexpr int PAD = 8;

struct Kind {
    const char* name;
    const group_table* table;
    bool mirror, shift;
    size_t handlers;
};
const Kind kinds[] = {
    {"copy", &group_copy_table, false, false, 765},
    {"shifted", &group_shifted_table, false, true, 765},
    {"mirror", &group_mirror_table, true, false, 758},
    {"mirror shifted", &group_mirror_shifted_table, true, true, 758},
};

bool column_kept(int code, int column)
{
    if (code == 0) return true;
    if (code <= 8) return column <= 7 - code;
    return column >= 16 - code;
}

// Colour bytes that differ from each other and from the poison; they wrap
// under the shift too (0xDF -> 0x00, 0xFF -> 0x20).
uint8_t colour(int k) { return uint8_t(k == 0 ? 0xDF : k == 1 ? 0xFF : 0x10 + 0x11 * k); }

TEST(GroupTables, EveryCopyEntryMatchesThePixelModel)
{
    for (const Kind& kind : kinds) {
        for (int code = 0; code < 16; ++code)
            for (int mask = 0; mask < 256; ++mask) {
                int n = std::popcount(unsigned(mask));
                std::vector<uint8_t> source(size_t(n) + PAD, POISON);
                for (int k = 0; k < n; ++k) source[size_t(k)] = colour(k);
                std::array<uint8_t, 8 + 2 * PAD> cell;
                cell.fill(POISON);
                std::array<uint8_t, 8 + 2 * PAD> want = cell;
                int k = 0;
                for (int b = 7; b >= 0; --b) {
                    if (!(mask & (1 << b))) continue;
                    int column = kind.mirror ? b : 7 - b;
                    if (column_kept(code, column))
                        want[size_t(PAD + column)] = uint8_t(colour(k) + (kind.shift ? 0x21 : 0));
                    ++k;
                }
                const uint8_t* s = source.data();
                uint8_t* d = cell.data() + PAD;
                (*kind.table)[size_t(code * 256 + mask)](s, d);
                SCOPED_TRACE(testing::Message() << kind.name << " code " << code << " mask " << mask);
                ASSERT_EQ(cell, want);
                ASSERT_EQ(s, source.data() + n);
                ASSERT_EQ(d, cell.data() + PAD + (kind.mirror ? 0 : 8));
            }
    }
}

TEST(GroupTables, EveryRestoreEntryCopiesTheKeptOpaqueColumnsBack)
{
    std::array<uint8_t, 8 + 2 * PAD> background;
    for (size_t i = 0; i < background.size(); ++i) background[i] = uint8_t(0x40 + i);
    for (int code = 0; code < 16; ++code)
        for (int mask = 0; mask < 256; ++mask) {
            std::array<uint8_t, 8 + 2 * PAD> screen;
            screen.fill(POISON);
            auto want = screen;
            for (int c = 0; c < 8; ++c)
                if ((mask & (0x80 >> c)) && column_kept(code, c)) want[size_t(PAD + c)] = background[size_t(PAD + c)];
            const uint8_t* s = background.data() + PAD;
            uint8_t* d = screen.data() + PAD;
            group_restore_table[size_t(code * 256 + mask)](s, d);
            SCOPED_TRACE(testing::Message() << "code " << code << " mask " << mask);
            ASSERT_EQ(screen, want);
            ASSERT_EQ(s, background.data() + PAD + 8);
            ASSERT_EQ(d, screen.data() + PAD + 8);
        }
}

TEST(GroupTables, EntriesOfEqualEffectShareOneHandler)
{
    for (const Kind& kind : kinds) {
        std::set<group_handler> all(kind.table->begin(), kind.table->end());
        EXPECT_EQ(all.size(), kind.handlers) << kind.name;
        // A clipped entry reuses the whole-group handler of its own mask exactly
        // when no set bit is cut, and never another mask's.
        int reuses = 0;
        for (int code = 1; code < 16; ++code)
            for (int mask = 0; mask < 256; ++mask) {
                group_handler h = (*kind.table)[size_t(code * 256 + mask)];
                for (int other = 0; other < 256; ++other) {
                    if (other != mask) {
                        ASSERT_NE(h, (*kind.table)[size_t(other)]) << kind.name;
                    }
                }
                reuses += h == (*kind.table)[size_t(mask)];
            }
        EXPECT_EQ(reuses, 509) << kind.name;
    }
    // Distinct handlers within each code of the unmirrored tables.
    const int per_code[16] = {256, 256, 192, 128, 80, 48, 28, 16, 9, 16, 28, 48, 80, 128, 192, 256};
    for (int code = 0; code < 16; ++code) {
        std::set<group_handler> row(group_copy_table.begin() + code * 256, group_copy_table.begin() + code * 256 + 256);
        EXPECT_EQ(row.size(), size_t(per_code[code])) << code;
    }
    // Worked sharings: code 0 and 1 with bit 0 clear; code 0 and 9 with mask 0x01.
    EXPECT_EQ(group_copy_table[0x0FE], group_copy_table[0x1FE]);
    EXPECT_EQ(group_copy_table[0x001], group_copy_table[0x901]);
    EXPECT_EQ(std::set<group_handler>(group_restore_table.begin(), group_restore_table.end()).size(), 256u);
    EXPECT_EQ(group_restore_table[0x2B7], group_restore_table[0xB4]);
}

// A sprite row of groups drawn at screen column x of a row `width` wide, with
// the clip codes the sprite engine builds for that width.
int clip_code(int x, int width)
{
    if (x >= 0 && x + 8 <= width) return 0;
    if (x < width && width < x + 8) return x + 8 - width;
    if (x + 8 <= 0 || x >= width) return 8;
    return 16 + x;
}

// Screen column 0 lies ORIGIN bytes into the buffer, so that cells wholly
// off the screen still address the buffer.
constexpr int ORIGIN = 64;

void draw_row(const group_table& table, bool mirror, const std::vector<uint8_t>& row, int groups, int x,
              std::vector<uint8_t>& screen, int width)
{
    const uint8_t* s = row.data();
    if (!mirror) {
        uint8_t* d = screen.data() + ORIGIN + x;
        for (int g = 0; g < groups; ++g) {
            uint8_t mask = *s++;
            table[size_t(clip_code(x + 8 * g, width) * 256 + mask)](s, d);
        }
        return;
    }
    // Mirrored: x is the screen column right of the image's rightmost one.
    uint8_t* d = screen.data() + ORIGIN + x;
    for (int g = 0; g < groups; ++g) {
        d -= 8;
        uint8_t mask = *s++;
        table[size_t(clip_code(x - 8 - 8 * g, width) * 256 + mask)](s, d);
    }
}

TEST(GroupTables, WholeRowsCutAtTheScreenEdgesMatchTheUncutDraw)
{
    // Three groups: masks 0xF0, 0x0F, 0xA5 and their colours.
    std::vector<uint8_t> row = {0xF0, 1, 2, 3, 4, 0x0F, 5, 6, 7, 8, 0xA5, 9, 10, 11, 12};
    constexpr int width = 40, shift = 56;
    for (const Kind& kind : kinds)
        for (int x = -30; x <= 40; ++x) {
            // The uncut reference: the same row drawn wholly on a wide screen.
            std::vector<uint8_t> wide(ORIGIN + 256, 0), clipped(ORIGIN + width + 64, POISON);
            draw_row(*kind.table, kind.mirror, row, 3, x + shift, wide, 200);
            draw_row(*kind.table, kind.mirror, row, 3, x, clipped, width);
            for (int c = -ORIGIN; c < width + 64; ++c) {
                uint8_t got = clipped[size_t(ORIGIN + c)];
                if (c < 0 || c >= width) {
                    ASSERT_EQ(got, POISON) << kind.name << " x " << x << " column " << c;
                    continue;
                }
                uint8_t ref = wide[size_t(ORIGIN + c + shift)];
                ASSERT_EQ(got, ref == 0 ? POISON : ref) << kind.name << " x " << x << " column " << c;
            }
        }
    // Unmirrored from column 0: masks 0xF0 then 0x0F leave columns 4..11 alone.
    std::vector<uint8_t> screen(ORIGIN + 64, 0);
    draw_row(group_shifted_table, false, row, 2, 0, screen, 40);
    EXPECT_EQ(screen[ORIGIN + 0], 0x22);
    EXPECT_EQ(screen[ORIGIN + 3], 0x25);
    EXPECT_EQ(screen[ORIGIN + 4], 0);
    EXPECT_EQ(screen[ORIGIN + 11], 0);
    EXPECT_EQ(screen[ORIGIN + 12], 0x26);
    // Mirrored masks 0xC0, 0x03 with the image's right end at R: pixels at R,
    // R - 1, then R - 14, R - 15.
    std::vector<uint8_t> m = {0xC0, 1, 2, 0x03, 3, 4};
    std::vector<uint8_t> ms(ORIGIN + 64, 0);
    draw_row(group_mirror_table, true, m, 2, 31, ms, 40);
    EXPECT_EQ(ms[ORIGIN + 30], 1);
    EXPECT_EQ(ms[ORIGIN + 29], 2);
    EXPECT_EQ(ms[ORIGIN + 16], 3);
    EXPECT_EQ(ms[ORIGIN + 15], 4);
    for (int c = 17; c <= 28; ++c) EXPECT_EQ(ms[size_t(ORIGIN + c)], 0) << c;
}

} // namespace
