// The rasterising kernels on the guarded 8-bit screen: hand-worked rows of
// the scanners and fills, their clipping, and one golden hash per fill.
#include "sw_fixture.h"

#include "swrender/sw_kernels.h"
#include "swrender/sw_resources.h"

#include <cmath>
#include <numeric>

namespace {

class SwKernels : public SwTest {
protected:
    uint8_t* screen = nullptr;
    void SetUp() override
    {
        SwTest::SetUp();
        reset_sw_spans();
        ground_detail = 1;
        ASSERT_EQ(target->pitch, 640);
        screen = target->pixels.data();
        clear_screen(0);
    }
    void TearDown() override
    {
        EXPECT_TRUE(guards_whole());
        ground_detail = 1;
        SwTest::TearDown();
    }
    void set_span(int y, int l, int r) { sw_span_table[y] = sw_span{int16_t(l), int16_t(r)}; }
    // Columns of row y holding `value`, as [first, last], or {-1, -1}.
    std::pair<int, int> run_of(int y, uint8_t value) const
    {
        int first = -1, last = -1;
        for (int x = 0; x < 640; ++x)
            if (pixel(x, y) == value) {
                if (first < 0) first = x;
                last = x;
            }
        return {first, last};
    }
};

// ---- Scanners

TEST_F(SwKernels, PolygonScannerRejectsWhatLiesOffTheScreen)
{
    struct Case {
        sw_point c[3];
        int32_t want;
    } cases[] = {
        {{{-20, 10}, {-1, 10}, {-10, 30}}, 0},   // x_max = -1
        {{{639, 10}, {700, 10}, {650, 30}}, 1},  // x_min = 639
        {{{10, -30}, {20, -30}, {15, -1}}, 0},   // above
        {{{10, 480}, {20, 480}, {15, 500}}, 0},  // below
    };
    for (const Case& c : cases) EXPECT_EQ(scan_polygon_edges(c.c, 3), c.want);
    EXPECT_EQ(scan_polygon_edges_wide(cases[0].c, 3), 0);
}

TEST_F(SwKernels, FlatPolygonFillsDownToTheRowAboveItsLowestCorner)
{
    sw_point quad[4] = {{100, 10}, {200, 10}, {200, 20}, {100, 20}};
    ASSERT_EQ(scan_polygon_edges(quad, 4), 1);
    fill_flat_polygon(quad, 4, 7, screen);
    EXPECT_EQ(run_of(9, 7), std::make_pair(-1, -1));
    for (int y = 10; y <= 19; ++y) EXPECT_EQ(run_of(y, 7), std::make_pair(100, 200)) << y;
    EXPECT_EQ(run_of(20, 7), std::make_pair(-1, -1));
}

TEST_F(SwKernels, PolygonEdgesShareTheirCornersRows)
{
    // A triangle whose lowest corner sits on the last screen row: both edges
    // meeting there write it, left then right.
    sw_point tri[3] = {{300, 400}, {350, 479}, {250, 420}};
    sw_row_side_table[479] = 77;
    sw_span_table[479] = sw_span{-9, -9};
    ASSERT_EQ(scan_polygon_edges(tri, 3), 1);
    EXPECT_NE(sw_row_side_table[479], 77u);
    EXPECT_EQ(sw_span_table[479].left, 349);
    EXPECT_EQ(sw_span_table[479].right, 349);
    // A vertical edge writes one row fewer than a sloped one of the same height.
    sw_point right_angle[3] = {{100, 100}, {100, 110}, {90, 110}};
    for (auto& s : sw_span_table) s = sw_span{-9, -9};
    scan_polygon_edges(right_angle, 3);
    EXPECT_EQ(sw_span_table[100].left, 100); // the vertical edge starts the row
    EXPECT_EQ(sw_span_table[109].left, 100);
    EXPECT_EQ(sw_span_table[109].right, 91);
}

TEST_F(SwKernels, PolygonColumnsSaturateInsteadOfWrapping)
{
    // Far corners give huge steps: the walk holds at the limit, never wraps.
    sw_point sliver[3] = {{10, 0}, {2000000000, 1}, {10, 300}};
    ASSERT_EQ(scan_polygon_edges(sliver, 3), 1);
    sw_point wide[3] = {{10, -100000}, {2000000000, 470}, {-2000000000, 470}};
    ASSERT_EQ(scan_polygon_edges_wide(wide, 3), 1);
    for (int y = 0; y < 470; ++y) {
        int32_t l = std::min(sw_wide_span_table[y].first, sw_wide_span_table[y].second);
        int32_t r = std::max(sw_wide_span_table[y].first, sw_wide_span_table[y].second);
        ASSERT_LE(l, 10 * 65536) << y;
        ASSERT_GE(r, 10 * 65536) << y;
    }
    fill_flat_polygon_edged(wide, 3, 9, screen);
}

TEST_F(SwKernels, TriangleScannerDropsTrianglesTurnedAway)
{
    sw_point uv[3] = {{0, 0}, {0, 0}, {0, 0}};
    sw_point clockwise[3] = {{100, 100}, {200, 150}, {100, 200}};
    sw_point anticlockwise[3] = {{100, 100}, {100, 200}, {200, 150}};
    sw_point collinear[3] = {{100, 100}, {150, 150}, {200, 200}};
    EXPECT_EQ(scan_textured_triangle_edges(clockwise, uv), 1);
    EXPECT_EQ(scan_textured_triangle_edges(anticlockwise, uv), 0);
    EXPECT_EQ(scan_textured_triangle_edges(collinear, uv), 1);
}

TEST_F(SwKernels, RotatedQuadStartsItsEdgesOnTheRowBelowAFraction)
{
    // An upright 16.16 square with its top at y = 10.5: row 11 is its first.
    const int32_t F = 65536;
    sw_point quad[4] = {{100 * F, 10 * F + F / 2}, {120 * F, 10 * F + F / 2}, {120 * F, 30 * F}, {100 * F, 30 * F}};
    for (auto& s : sw_span_table) s = sw_span{-9, -9};
    scan_rotated_quad_edges(quad, 0, 0x7FFFFFFF);
    // The top edge is horizontal: its row is its own, the corner before it lying lower.
    EXPECT_EQ(sw_span_table[10].left, 100);
    EXPECT_EQ(sw_span_table[10].right, 119);
    EXPECT_EQ(sw_span_table[9].left, -9);
    EXPECT_EQ(sw_span_table[11].left, 100);
    EXPECT_EQ(sw_span_table[11].right, 119);
    EXPECT_EQ(sw_span_table[29].right, 119);
}

// ---- Flat, edged and ring fills

TEST_F(SwKernels, EdgedFillShadesItsEndsByTheirFractions)
{
    struct Case {
        double left, right;
        uint8_t at_left, at_right;
    } cases[] = {{100.25, 200.75, 0x81, 0x81}, {100.5, 200.25, 0x88, 0x88}};
    for (const Case& c : cases) {
        clear_screen(0);
        sw_point quad[4] = {{100, 50}, {200, 50}, {200, 51}, {100, 51}};
        sw_wide_span_table[50] = sw_wide_span{int32_t(c.right * 65536), int32_t(c.left * 65536)};
        fill_flat_polygon_edged(quad, 4, 0x80, screen);
        EXPECT_EQ(pixel(100, 50), c.at_left);
        EXPECT_EQ(run_of(50, 0x80), std::make_pair(101, 199));
        EXPECT_EQ(pixel(200, 50), c.at_right);
    }
    // Both ends in one column: the right shade.
    sw_point quad[4] = {{300, 60}, {301, 60}, {301, 61}, {300, 61}};
    sw_wide_span_table[60] = sw_wide_span{300 * 65536 + 0x1000, 300 * 65536 + 0x9000};
    fill_flat_polygon_edged(quad, 4, 0x80, screen);
    EXPECT_EQ(pixel(300, 60), 0x81);
    EXPECT_EQ(pixel(299, 60), 0);
    EXPECT_EQ(pixel(301, 60), 0);
}

TEST_F(SwKernels, ShadedLineDrawsOnlyShallowLines)
{
    draw_shaded_line(sw_point{0, 0}, sw_point{10, 2}, screen, 0);
    // Eleven line pixels, the row stepping after columns 2 and 7, and one
    // 0x81 below the column before each step.
    EXPECT_EQ(count_pixels(0), 640 * 480 - 13);
    EXPECT_EQ(pixel(0, 0), 0x88); // half a row down: the second shade
    EXPECT_EQ(pixel(2, 0), 0x88);
    EXPECT_EQ(pixel(2, 1), 0x81);
    EXPECT_EQ(pixel(3, 1), 0x81);
    EXPECT_EQ(pixel(7, 2), 0x81);
    EXPECT_EQ(pixel(10, 2), 0x81);
    clear_screen(0);
    draw_shaded_line(sw_point{0, 0}, sw_point{10, 2}, screen, 1);
    EXPECT_EQ(count_pixels(0), 640 * 480 - 11);

    clear_screen(0);
    draw_shaded_line(sw_point{100, 100}, sw_point{110, 110}, screen, 0); // 45 degrees
    draw_shaded_line(sw_point{100, 100}, sw_point{101, 150}, screen, 0);
    EXPECT_EQ(count_pixels(0), 640 * 480);
    draw_shaded_line(sw_point{120, 5}, sw_point{100, 5}, screen, 1); // horizontal: right end left out
    EXPECT_EQ(run_of(5, 0x81), std::make_pair(100, 119));
    // Clipped on both sides and below: nothing outside the screen.
    draw_shaded_line(sw_point{-500, 470}, sw_point{1200, 490}, screen, 0);
    draw_shaded_line(sw_point{900, -40}, sw_point{-300, 20}, screen, 0);
}

TEST_F(SwKernels, RingFillsTheTwoPiecesBesideTheInnerSpan)
{
    sw_outer_span_table[100] = sw_span{100, 500};
    sw_span_table[100] = sw_span{300, 340};
    sw_outer_span_table[101] = sw_span{639, 639}; // squeezed against the right side
    sw_span_table[101] = sw_span{639, 639};
    sw_outer_span_table[102] = sw_span{10, 20}; // outside the band: whole
    fill_ring_rows(screen, 100, 101, 100, 102, 5);
    EXPECT_EQ(run_of(100, 5), std::make_pair(100, 500));
    EXPECT_EQ(pixel(320, 100), 0);
    EXPECT_EQ(pixel(300, 100), 5);
    EXPECT_EQ(pixel(340, 100), 5);
    EXPECT_EQ(pixel(341, 100), 5);
    EXPECT_EQ(pixel(299, 100), 5);
    EXPECT_EQ(run_of(101, 5), std::make_pair(-1, -1));
    EXPECT_EQ(run_of(102, 5), std::make_pair(10, 20));

    clear_screen(0);
    sw_clip_span_table[100] = sw_span{200, 400};
    fill_ring_rows_clipped(screen, 100, 101, 100, 100, 6);
    EXPECT_EQ(run_of(100, 6), std::make_pair(200, 400));
    EXPECT_EQ(pixel(320, 100), 0);
}

// ---- Affine fills

TEST_F(SwKernels, QuadFillStepsTheTextureAcrossItsRows)
{
    // A 4 x 4 texture, columns 1..4 on each row; row 1 is transparent.
    uint8_t tex[16] = {1, 2, 3, 4, 0, 0, 0, 0, 9, 10, 11, 12, 13, 14, 15, 16};
    const int32_t F = 65536;
    sw_point corners[4] = {{100 * F, 50 * F}, {108 * F, 50 * F}, {108 * F, 58 * F}, {100 * F, 58 * F}};
    for (int y = 50; y < 58; ++y) set_span(y, 100, 107);
    set_span(52, 107, 100); // reversed: skipped, but the rows below keep their step
    clear_screen(0xEE);
    fill_textured_quad(corners, screen, tex, 4, 4, 0, 0, F / 2, 0, 0, F / 2, 0, 8);
    EXPECT_EQ(pixel(100, 50), 1);
    EXPECT_EQ(pixel(102, 50), 2);
    EXPECT_EQ(pixel(107, 50), 4);
    EXPECT_EQ(pixel(100, 51), 1);
    EXPECT_EQ(pixel(100, 52), 0xEE); // skipped row
    EXPECT_EQ(pixel(100, 53), 0xEE); // texel 0 leaves the pixel
    EXPECT_EQ(pixel(100, 54), 9);
    EXPECT_EQ(pixel(106, 57), 16);
    // A stray coordinate past the texture holds at its edge.
    clear_screen(0xEE);
    fill_textured_quad_clipped(corners, screen, tex, 4, 4, 0, 0, F, 0, 0, F, 0, 8);
    EXPECT_EQ(pixel(107, 50), 4);
    EXPECT_EQ(pixel(107, 57), 16);
}

TEST_F(SwKernels, TextureRow255ReadsRowZero)
{
    std::vector<uint8_t> tex(2 * 256, 0);
    tex[0] = 0x31;
    for (size_t i = 2; i < tex.size(); ++i) tex[i] = 0x40;
    const int32_t F = 65536;
    sw_point corners[4] = {{10 * F, 10 * F}, {11 * F, 10 * F}, {11 * F, 11 * F}, {10 * F, 11 * F}};
    set_span(10, 10, 10);
    fill_textured_quad(corners, screen, tex.data(), 2, 255, 0, 255 * F + 1, 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(pixel(10, 10), 0x31);
}

TEST_F(SwKernels, ClippedTriangleRowStartsAtColumnZeroWithItsSteppedTexel)
{
    std::vector<uint8_t> tex(256);
    std::iota(tex.begin(), tex.end(), 0);
    sw_point corners[3] = {{-10, 100}, {700, 100}, {300, 101}};
    set_span(100, -10, 700);
    // One texel a column from u = 0 at column -10.
    sw_span_tex_table[100] = sw_span_tex{0, 0, 711 * 65536, 0};
    fill_textured_triangle_clipped(corners, screen, tex.data(), 255, 1);
    EXPECT_EQ(pixel(0, 100), 10);
    EXPECT_EQ(pixel(100, 100), 110);
    EXPECT_EQ(pixel(639, 100), 254); // held at the texture's last column
    // Texel 0 is written by the triangle fills.
    sw_span_tex_table[100] = sw_span_tex{0, 0, 0, 0};
    clear_screen(0xEE);
    fill_textured_triangle_clipped(corners, screen, tex.data(), 255, 1);
    EXPECT_EQ(pixel(5, 100), 0);
}

// ---- Perspective ground fills

class SwGround : public SwKernels {
protected:
    std::vector<uint8_t> texture_a, texture_b;
    int32_t origin[3] = {0, -400, 0};
    void SetUp() override
    {
        SwKernels::SetUp();
        camera_globals.pitch = 1200;
        texture_a.assign(128 * 128 + 8, 0);
        texture_b.assign(128 * 128 + 8, 0);
        for (size_t i = 0; i < texture_a.size(); ++i) {
            texture_a[i] = uint8_t(1 + (i * 7) % 100);
            texture_b[i] = uint8_t(150 + (i * 3) % 100);
        }
    }
};

TEST_F(SwGround, CoordinatesThatDoNotFitBecomeTheIntegerIndefinite)
{
    EXPECT_EQ(ground_coordinate(std::nan("")), INT32_MIN);
    EXPECT_EQ(ground_coordinate(HUGE_VAL), INT32_MIN);
    EXPECT_EQ(ground_coordinate(3e9), INT32_MIN);
    EXPECT_EQ(ground_coordinate(-2.5), -2);
    EXPECT_EQ(ground_coordinate(1.5), 2);
}

TEST_F(SwGround, FourPixelModePaintsTheAlignmentRunOnly)
{
    ground_detail = 0;
    sw_point corners[3] = {{0, 400}, {10, 400}, {5, 401}};
    set_span(400, 5, 6);
    set_span(401, 1, 0);
    fill_ground_polygon(corners, 3, texture_a.data(), screen, origin);
    EXPECT_EQ(pixel(4, 400), 0);
    EXPECT_NE(pixel(5, 400), 0);
    EXPECT_NE(pixel(6, 400), 0);
    EXPECT_NE(pixel(7, 400), 0);
    EXPECT_EQ(pixel(8, 400), 0);
    // An aligned span of 9 columns paints whole groups up to column 11.
    set_span(400, 0, 8);
    clear_screen(0);
    fill_ground_polygon(corners, 3, texture_a.data(), screen, origin);
    EXPECT_EQ(run_of(400, 0).first, 12);
}

TEST_F(SwGround, BandRowsPaintTheInnerSpanWithTheInnerTexture)
{
    sw_point corners[4] = {{0, 300}, {639, 300}, {639, 303}, {0, 303}};
    sw_outer_span_table[300] = sw_span{100, 200};
    sw_span_table[300] = sw_span{100, 200};
    sw_outer_span_table[301] = sw_span{500, 50};
    sw_span_table[301] = sw_span{200, 300};
    sw_outer_span_table[302] = sw_span{50, 800}; // beyond the band: outer only
    sw_outer_span_table[303] = sw_span{1, 0};
    fill_ground_with_inner_band(corners, 4, texture_a.data(), texture_b.data(), screen, origin, 300, 301);
    auto from = [](uint8_t p) { return p == 0 ? '.' : p < 150 ? 'A' : 'B'; };
    for (int x = 100; x <= 200; ++x) ASSERT_EQ(from(pixel(x, 300)), 'A') << x;
    EXPECT_EQ(from(pixel(99, 300)), '.');
    EXPECT_EQ(from(pixel(50, 301)), 'B');
    EXPECT_EQ(from(pixel(199, 301)), 'B');
    EXPECT_EQ(from(pixel(200, 301)), 'A');
    EXPECT_EQ(from(pixel(299, 301)), 'A');
    EXPECT_EQ(from(pixel(300, 301)), 'B');
    EXPECT_EQ(from(pixel(500, 301)), 'B');
    EXPECT_EQ(from(pixel(639, 302)), 'B');
}

TEST_F(SwGround, GoldenFrames)
{
    // The grass oval's rows and a sized quad, at both ground details.
    sw_point corners[4] = {{0, 250}, {639, 250}, {639, 479}, {0, 479}};
    for (int y = 250; y <= 479; ++y) {
        sw_outer_span_table[y] = sw_span{int16_t(y - 250), int16_t(639 - (y - 250))};
        int w = (y - 250) / 2;
        sw_span_table[y] = sw_span{int16_t(320 - w), int16_t(320 + w)};
    }
    fill_ground_with_inner_band(corners, 4, texture_a.data(), texture_b.data(), screen, origin, 260, 470);
    uint64_t full = screen_hash(target);
    ground_detail = 0;
    fill_ground_with_inner_band(corners, 4, texture_a.data(), texture_b.data(), screen, origin, 260, 470);
    uint64_t fast = screen_hash(target);
    std::vector<uint8_t> small(64 * 32);
    for (size_t i = 0; i < small.size(); ++i) small[i] = uint8_t(i % 5 ? i : 0);
    sw_point quad[4] = {{200, 300}, {440, 300}, {440, 420}, {200, 420}};
    ASSERT_EQ(scan_polygon_edges(quad, 4), 1);
    fill_ground_polygon_sized(quad, 4, small.data(), screen, origin, 64, 32, 1, -3000.0, 4000.0);
    EXPECT_EQ(full, 0x7156d5eb83b6f66aull) << std::hex << full;
    EXPECT_EQ(fast, 0x4711eeb7cab1311eull) << std::hex << fast;
    EXPECT_EQ(screen_hash(target), 0x91774d6ef0019ba3ull) << std::hex << screen_hash(target);
}

TEST_F(SwKernels, GoldenFrameOfTheFlatAndAffineFills)
{
    // Flat and edge-shaded polygons, marking lines, a rolled sprite quad and a
    // textured triangle, each clipped by a screen side somewhere.
    sw_point pentagon[5] = {{320, 20}, {420, 90}, {380, 200}, {260, 200}, {220, 90}};
    ASSERT_EQ(scan_polygon_edges(pentagon, 5), 1);
    fill_flat_polygon(pentagon, 5, 0x40, screen);
    sw_point slab[4] = {{-40, 230}, {300, 250}, {290, 262}, {-50, 240}};
    ASSERT_EQ(scan_polygon_edges_wide(slab, 4), 1);
    fill_flat_polygon_edged(slab, 4, 0x80, screen);
    draw_shaded_line(sw_point{-20, 300}, sw_point{700, 340}, screen, 0);
    draw_shaded_line(sw_point{600, 350}, sw_point{100, 390}, screen, 1);
    std::vector<uint8_t> tex(16 * 16);
    for (size_t i = 0; i < tex.size(); ++i) tex[i] = uint8_t(i % 7 ? 0x90 + i % 40 : 0);
    const int32_t F = 65536;
    // A 16 x 16 sprite turned a little, scaled by 4, its top corner at (600.5, 380.25).
    sw_point quad[4] = {{600 * F + F / 2, 380 * F + F / 4}, {662 * F, 396 * F}, {646 * F, 458 * F}, {584 * F, 442 * F}};
    scan_rotated_quad_edges(quad, 16384, 4 * 65536);
    fill_textured_quad_clipped(quad, screen, tex.data(), 16, 16, 0, 0, 15 * F / 64, -4 * F / 64, 4 * F / 64, 15 * F / 64,
                               0, 78);
    sw_point tri[3] = {{40, 400}, {120, 470}, {-30, 479}};
    sw_point uv[3] = {{0, 0}, {15 * F, 0}, {0, 15 * F}};
    ASSERT_EQ(scan_textured_triangle_edges(tri, uv), 1);
    fill_textured_triangle_clipped(tri, screen, tex.data(), 16, 16);
    EXPECT_EQ(screen_hash(target), 0x11bf4a33348cf644ull) << std::hex << screen_hash(target);
}

// ---- Ellipses

TEST_F(SwKernels, EllipseSpansFollowTheMidpointRule)
{
    // Region 2 steps x one past the half-width: the centre row takes it.
    int32_t widest = build_sw_ellipse_spans(320, 240, 10, 5);
    EXPECT_EQ(widest, 11);
    EXPECT_EQ(sw_span_table[240].left, 320 - widest);
    EXPECT_EQ(sw_span_table[240].right, 320 + widest);
    for (int y = 235; y <= 245; ++y) {
        EXPECT_EQ(sw_span_table[y].left + sw_span_table[y].right, 640) << y;
        if (y < 240) {
            EXPECT_GE(sw_span_table[y].left, sw_span_table[y + 1].left) << y;
        }
    }
    EXPECT_GT(sw_span_table[235].left, 310);
    // No ellipse from a side of 0 or less.
    sw_span_table[100] = sw_span{1, 2};
    EXPECT_EQ(build_sw_ellipse_spans(320, 100, 10, 0), 0);
    EXPECT_EQ(sw_span_table[100].left, 1);
    draw_sw_ellipse_solid(320, 100, 10, 0, screen, 9);
    draw_sw_ellipse_solid(320, 100, -4, 3, screen, 9);
    EXPECT_EQ(count_pixels(9), 0);
}

TEST_F(SwKernels, EllipseFillsClipAndKeepTheirTexturePosition)
{
    std::vector<uint8_t> tex(8 * 8);
    for (int i = 0; i < 64; ++i) tex[size_t(i)] = uint8_t((i / 8) * 16 + i % 8 + 1);
    // Half above the screen: the visible rows keep their texture rows.
    draw_sw_ellipse_texture_opaque(100, 0, 40, 40, screen, tex.data(), 8, 8);
    // 40 rows skipped at floor(8 x 65536 / 80) a row: texture row 3.
    EXPECT_EQ(pixel(100, 0) >> 4, 3);
    EXPECT_EQ(pixel(100, 39) >> 4, 7);
    EXPECT_EQ(pixel(100, 40), 0); // the last row cy + ry is not filled
    // Past the left side: column 0 takes the texel column 0 maps to.
    clear_screen(0);
    int32_t a = build_sw_ellipse_spans(10, 200, 40, 20);
    draw_sw_ellipse_texture_opaque(10, 200, 40, 20, screen, tex.data(), 8, 8);
    uint32_t du = (8u << 16) / uint32_t(2 * a);
    EXPECT_EQ(pixel(0, 200) & 15, 1 + int((uint32_t(a - 10) * du) >> 16));
    EXPECT_NE(pixel(10 + a, 200), 0);
    EXPECT_EQ(pixel(11 + a, 200), 0);
}

TEST_F(SwKernels, GoldenFrameOfTheFiveEllipseModes)
{
    std::vector<uint8_t> tex(64 * 64);
    for (size_t i = 0; i < tex.size(); ++i) tex[i] = uint8_t((i / 64 + i % 64) % 5);
    std::vector<uint8_t> table(SW_BLEND_ROWS * 256);
    for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(i / 256 * 50 + (i % 256) / 4);
    clear_screen(0x30);
    draw_sw_ellipse_solid(60, 60, 50, 30, screen, 9);
    draw_sw_ellipse_texture_opaque(200, 100, 60, 80, screen, tex.data(), 64, 64);
    draw_sw_ellipse_texture(380, 10, 90, 40, screen, tex.data(), 64, 64);
    sw_draw_object_b(560, 300, 120, 50, screen, tex.data(), 64, 64, table.data());
    draw_sw_ellipse_marker(20, 460, 70, 35, screen, tex.data(), 64, 64, table.data());
    EXPECT_EQ(screen_hash(target), 0x6032d1838f7b9e5eull) << std::hex << screen_hash(target);
}

TEST_F(SwKernels, KeyedAndBlendedModesTreatTexelZeroApart)
{
    uint8_t tex[4] = {0, 0, 0, 0};
    std::vector<uint8_t> table(SW_BLEND_ROWS * 256);
    for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(200 + i / 256);
    clear_screen(7);
    draw_sw_ellipse_texture(320, 240, 20, 10, screen, tex, 2, 2);
    EXPECT_EQ(count_pixels(7), 640 * 480);
    draw_sw_ellipse_marker(320, 240, 20, 10, screen, tex, 2, 2, table.data());
    EXPECT_EQ(count_pixels(7), 640 * 480);
    sw_draw_object_b(320, 240, 20, 10, screen, tex, 2, 2, table.data());
    EXPECT_EQ(pixel(320, 240), 200);
    // A texel past the table's rows leaves the pixel.
    uint8_t high[4] = {9, 9, 9, 9};
    clear_screen(7);
    sw_draw_object_b(320, 240, 20, 10, screen, high, 2, 2, table.data());
    EXPECT_EQ(count_pixels(7), 640 * 480);
}

TEST_F(SwKernels, WorldPlacedEllipsesCullBehindTheCamera)
{
    std::vector<uint8_t> tex(64 * 64, 1);
    std::vector<uint8_t> table(SW_BLEND_ROWS * 256, 3);
    camera_globals = CameraGlobals{0, 300, 0, 1500, 0, 50.0, 686.0};
    sw_span_table[240] = sw_span{11, 12};
    draw_sw_ground_texture_alpha(0, 0, -2000, 50, screen, tex.data(), 64, 64, table.data());
    EXPECT_EQ(count_pixels(0), 640 * 480);
    EXPECT_EQ(sw_span_table[240].left, 11);
    // Far enough that the half-width rounds to 0.
    draw_sw_ground_solid(0, 0, 40000000, 1, screen, 4);
    EXPECT_EQ(count_pixels(4), 0);
    draw_sw_ground_texture_alpha(0, 0, 1500, 50, screen, tex.data(), 64, 64, table.data());
    int shadow = count_pixels(3);
    EXPECT_GT(shadow, 100);
    draw_sw_ground_solid(0, 0, 1500, 50, screen, 4);
    EXPECT_EQ(count_pixels(4), shadow);
    EXPECT_EQ(screen_hash(target), 0x23231f68f71493a3ull) << std::hex << screen_hash(target);
}

} // namespace
