// The ground conic builder against the conic's own row crossings: the traced
// ends sit on the curve, rows are whole, and nothing leaves the screen.
#include "sw_fixture.h"

#include "swrender/sw_conic.h"
#include "swrender/sw_kernels.h"

#include <cmath>
#include <cstring>

namespace {

class SwConic : public SwTest {
protected:
    void SetUp() override
    {
        SwTest::SetUp();
        reset_sw_spans();
        // Behind the oval's near end, above it, looking down across it.
        camera_globals = CameraGlobals{0, 3000, -16000, 900, 0, 50.0, 686.0};
    }
    int32_t build(double a, double b, int32_t flags, int32_t* first, int32_t* last, int32_t gx = 0, int32_t gz = 0)
    {
        int32_t lc = 0, rc = 0;
        *first = gx;
        *last = gz;
        int32_t r = build_ground_ellipse_spans(nullptr, a, b, 0, 0, first, last, &lc, &rc, flags);
        counts[0] = lc;
        counts[1] = rc;
        return r;
    }
    int32_t counts[2] = {0, 0};
    void expect_records_on_screen()
    {
        for (int list = 0; list < 2; ++list)
            for (int i = 0; i < counts[list]; ++i) {
                const sw_edge_record& e = sw_edge_records[i][list];
                ASSERT_GE(e.x, 0);
                ASSERT_LE(e.x, 639);
                ASSERT_GE(e.y, 0);
                ASSERT_LE(e.y, 479);
            }
    }
};

TEST_F(SwConic, GradientOctantsGoRoundClockwise)
{
    struct Case {
        double gx, gy;
        int32_t octant;
    } cases[] = {{0, 0, 0}, {1, -3, 1}, {3, -1, 2}, {1, 0, 2}, {3, 1, 3}, {1, 3, 4}, {0, 1, 4},
                 {-1, 3, 5}, {-3, 1, 6}, {-1, 0, 6}, {-3, -1, 7}, {-1, -3, 8}, {0, -1, 8}};
    for (const Case& c : cases) EXPECT_EQ(gradient_octant(c.gx, c.gy), c.octant) << c.gx << " " << c.gy;
    EXPECT_EQ(conic_step_weight(1, 1, 1), 0.5);
    EXPECT_EQ(conic_step_weight(-3, 1, 1), 2.0);
    EXPECT_EQ(conic_step_weight(-1, 1, 1), 1.0);
}

TEST_F(SwConic, TheOvalsRowsEndOnItsCurve)
{
    int32_t first, last;
    ASSERT_EQ(build(9600, 6400, 4, &first, &last), 1);
    ASSERT_LT(first, last);
    const sw_conic q = sw_saved_conic;
    int checked = 0;
    for (int32_t y = first; y <= last; ++y) {
        ASSERT_EQ(sw_span_row_flags[y] & 3, 3u) << y;
        sw_span s = sw_span_table[y];
        ASSERT_GE(s.left, 0);
        ASSERT_LE(s.right, 639);
        ASSERT_LE(s.left, s.right) << y;
        // Each end within a pixel and a half of the curve: |Q| / |gradient Q|.
        for (int32_t end : {int32_t(s.left), int32_t(s.right)}) {
            if (end <= 0 || end >= 639) continue;
            double x = end - 320.0, yc = y - 240.0;
            double gx = 2 * q.xx * x + q.xy * yc + q.x, gy = q.xy * x + 2 * q.yy * yc + q.y;
            EXPECT_LE(std::fabs(eval_screen_conic(end, y, q)) / std::hypot(gx, gy), 1.5) << y << " " << end;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
    EXPECT_GT(counts[0] + counts[1], 0);
    expect_records_on_screen();
    EXPECT_TRUE(guards_whole());
}

TEST_F(SwConic, EllipsesOffTheScreenOrAroundItDrawNothing)
{
    int32_t first, last;
    // Behind the camera.
    EXPECT_EQ(build(300, 300, 132, &first, &last, 0, -30000), 0);
    // Far to one side.
    EXPECT_EQ(build(300, 300, 132, &first, &last, 200000, 0), 0);
    // An ellipse whose image holds the whole screen crosses no edge.
    camera_globals = CameraGlobals{0, 200, 0, 2000, 0, 50.0, 686.0};
    EXPECT_EQ(build(50000, 50000, 4, &first, &last), 0);
    EXPECT_EQ(build(50000, 50000, 36, &first, &last), 0);
}

TEST_F(SwConic, ALastRowAcrossTheScreenFillsTheRowsBelow)
{
    // The grass beyond the oval, seen from inside it near the ground: its
    // rows run off both sides and down to the bottom.
    camera_globals = CameraGlobals{0, 3000, -4000, 900, 0, 50.0, 686.0};
    int32_t first, last;
    ASSERT_EQ(build(9700, 6500, 36, &first, &last), 1);
    for (int32_t y = first; y <= last; ++y) {
        ASSERT_GE(sw_span_table[y].left, 0);
        ASSERT_LE(sw_span_table[y].right, 639);
    }
    if (sw_span_table[last].right - sw_span_table[last].left == 639) {
        for (int32_t y = last + 1; y < 480; ++y) {
            EXPECT_EQ(sw_span_table[y].right - sw_span_table[y].left, 639) << y;
        }
    }
    expect_records_on_screen();
}

TEST_F(SwConic, ArcsStayInsideTheGrassOval)
{
    int32_t first, last;
    ASSERT_EQ(build(9600, 6400, 4, &first, &last), 1);
    const sw_conic oval = sw_saved_conic;
    for (int32_t flags : {12, 20}) {
        if (!build(5000, 5000, flags, &first, &last)) continue;
        for (int32_t y = first; y <= last; ++y) {
            sw_span s = sw_span_table[y];
            if (s.left > 0 && s.left < 639) {
                EXPECT_LE(eval_screen_conic(s.left, y, oval), 0.0) << y;
            }
            if (s.right > 0 && s.right < 639) {
                EXPECT_LE(eval_screen_conic(s.right, y, oval), 0.0) << y;
            }
        }
        // The arc does not overwrite the oval's conic.
        EXPECT_EQ(sw_saved_conic.c, oval.c);
    }
    expect_records_on_screen();
}

TEST_F(SwConic, TheCentreCircleFillsARingBetweenItsTwoOutlines)
{
    camera_globals = CameraGlobals{0, 1500, -3000, 1200, 0, 50.0, 686.0};
    int32_t of, ol, inf, inl;
    ASSERT_EQ(build(150, 150, 4, &of, &ol), 1);
    std::memcpy(sw_outer_span_table, sw_span_table, sizeof sw_outer_span_table);
    ASSERT_EQ(build(137, 137, 2, &inf, &inl), 1);
    EXPECT_LE(of, inf);
    EXPECT_GE(ol, inl);
    clear_screen(0);
    fill_ring_rows(target->pixels.data(), inf, inl, of, ol, 0x80);
    // A ring: its middle row has paint on both sides and none at the centre.
    int32_t mid = (inf + inl) / 2;
    int32_t centre = (sw_span_table[mid].left + sw_span_table[mid].right) / 2;
    EXPECT_EQ(pixel(centre, mid), 0);
    EXPECT_EQ(pixel(sw_outer_span_table[mid].left + 1, mid), 0x80);
    EXPECT_EQ(pixel(sw_outer_span_table[mid].right - 1, mid), 0x80);
    EXPECT_EQ(screen_hash(target), 0x5ce673612ef5be03ull) << std::hex << screen_hash(target);
    EXPECT_TRUE(guards_whole());
}

} // namespace
