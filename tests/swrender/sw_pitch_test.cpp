// The software pitch: ground polygons cut at the near plane, the ring row
// trimming, the edge shade runs and the sky backdrop.
#include "sw_fixture.h"

#include "swrender/sw_pitch.h"
#include "swrender/sw_resources.h"

namespace {

class PitchTest : public SwTest {
protected:
    void SetUp() override
    {
        SwTest::SetUp();
        reset_sw_spans();
    }
    void TearDown() override
    {
        free_x_mesh(&sw_sky_mesh);
        palette_attached = 0;
        SwTest::TearDown();
    }
};

int count_at_near(const std::vector<std::array<int32_t, 3>>& v)
{
    int n = 0;
    for (const auto& p : v) n += p[2] == 0;
    return n;
}

} // namespace

TEST_F(PitchTest, GroundPolygonsAreCutAtTheNearPlane)
{
    struct Case {
        const char* what;
        int32_t z[4];
        int32_t vertices, at_near;
    };
    const Case cases[] = {
        {"in front", {100, 100, 300, 300}, 4, 0},
        {"one corner behind", {-50, 100, 300, 300}, 5, 2},
        {"two corners behind", {-50, -50, 300, 300}, 4, 2},
        {"all behind", {-50, -50, -10, -10}, 0, 0},
        {"one corner on the plane after one behind", {-50, 0, 100, 100}, 4, 2},
    };
    for (const Case& c : cases) {
        const int32_t corners[4][3] = {{-100, -100, c.z[0]}, {100, -100, c.z[1]}, {100, -100, c.z[2]}, {-100, -100, c.z[3]}};
        std::vector<sw_point> screen;
        std::vector<std::array<int32_t, 3>> cam;
        int32_t n = clip_project_ground_polygon(corners, 4, screen, &cam);
        EXPECT_EQ(n, c.vertices) << c.what;
        if (n) {
            EXPECT_EQ(count_at_near(cam), c.at_near) << c.what;
        }
    }
}

TEST_F(PitchTest, RingRowsAreTrimmed)
{
    // Rows 100..300 of the outer span run the whole width at 100 only.
    for (int y = 0; y < SW_SPAN_ROWS; ++y) {
        sw_outer_span_table[y] = sw_span{100, 500};
        sw_span_table[y] = sw_span{150, 450};
    }
    sw_outer_span_table[100] = sw_span{0, 639};
    struct Case {
        const char* what;
        int32_t inner[2], outer[2];
        int32_t inner_visible, outer_visible;
        int32_t want_inner[2], want_outer[2];
    };
    const Case cases[] = {
        {"outer starts with the inner, whole row moves down", {100, 300}, {120, 280}, 1, 1, {100, 300}, {101, 300}},
        {"outer above the inner stays", {150, 300}, {120, 350}, 1, 1, {150, 300}, {120, 350}},
        {"inner not seen: its range is emptied", {150, 300}, {120, 350}, 0, 1, {480, 0}, {120, 350}},
        {"outer not seen: its range is emptied, then joins the inner", {150, 300}, {120, 350}, 1, 0, {150, 300}, {150, 300}},
        {"row 0 and the last row stay", {0, 479}, {0, 479}, 1, 1, {0, 479}, {0, 479}},
    };
    for (const Case& c : cases) {
        int32_t i0 = c.inner[0], i1 = c.inner[1], o0 = c.outer[0], o1 = c.outer[1];
        adjust_ring_rows(&i0, &i1, &o0, &o1, c.inner_visible, c.outer_visible);
        EXPECT_EQ(i0, c.want_inner[0]) << c.what;
        EXPECT_EQ(i1, c.want_inner[1]) << c.what;
        EXPECT_EQ(o0, c.want_outer[0]) << c.what;
        EXPECT_EQ(o1, c.want_outer[1]) << c.what;
    }

    // The arcs' form also moves both first rows when one span starts at the
    // left edge and the other beyond the middle.
    sw_span_table[200] = sw_span{0, 300};
    sw_outer_span_table[200] = sw_span{400, 500};
    int32_t i0 = 200, i1 = 300, o0 = 200, o1 = 300;
    adjust_ring_rows_wide(&i0, &i1, &o0, &o1, 1, 1);
    EXPECT_EQ(i0, 201);
    EXPECT_EQ(o0, 201);
    // Rows reaching the right edge on the outer span move in.
    sw_outer_span_table[250] = sw_span{400, 639};
    i0 = 250, i1 = 300, o0 = 260, o1 = 290;
    adjust_ring_rows_wide(&i0, &i1, &o0, &o1, 1, 1);
    EXPECT_EQ(o0, 251);
    EXPECT_EQ(o1, 300);
}

TEST_F(PitchTest, EdgeRunsShadeAcrossTheRamp)
{
    sw_edge_record records[3][2] = {};
    records[0][0] = sw_edge_record{10, 20, 8, 0};  // eight pixels rightwards
    records[0][1] = sw_edge_record{10, 30, -8, 0}; // eight leftwards
    records[1][0] = sw_edge_record{50, 40, 0, 1};  // one pixel
    records[2][0] = sw_edge_record{638, 479, 5, 0}; // runs off the screen
    clear_screen(0);
    draw_edge_ramps(target->pixels.data(), records, 3, 0);
    const uint8_t down[8] = {136, 135, 134, 133, 132, 131, 130, 129};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(pixel(10 + k, 20), down[k]) << k;
    EXPECT_EQ(pixel(50, 40), 129);
    EXPECT_EQ(pixel(639, 479), 134);
    draw_edge_ramps(target->pixels.data(), records, 1, 1);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(pixel(10 - k, 30), 129 + k) << k;
    EXPECT_TRUE(guards_whole());
}

TEST_F(PitchTest, SkyFillsDownToTheHorizonAndNoFurther)
{
    std::vector<uint8_t> sky(SW_SKY_WIDTH * SW_SKY_HEIGHT);
    for (size_t i = 0; i < sky.size(); ++i) sky[i] = uint8_t(1 + (i % 200));
    clear_screen(0);
    palette_attached = 0;
    EXPECT_EQ(draw_sw_extra(target->pixels.data(), sky.data()), 1);
    EXPECT_EQ(count_pixels(0), 640 * 480) << "no palette yet: nothing";
    palette_attached = 1;

    // A sky mesh over the whole screen, the camera pitched so that the
    // horizon lies below the screen: the fill stops at the last row.
    sw_sky_mesh = x_mesh{};
    sw_sky_mesh.vertex_count = 4;
    sw_sky_mesh.vertex_int = {-90000, 90000, 5000, 90000, 90000, 5000, 90000, -90000, 5000, -90000, -90000, 5000};
    sw_sky_mesh.duplicate_of.assign(4, -1);
    sw_sky_mesh.camera_vertices.assign(4, mesh_vertex{});
    sw_sky_mesh.quads.push_back(mesh_quad{0, {0, 1, 2, 3}});
    sw_sky_mesh.materials.push_back(mesh_material{});
    sw_sky_mesh.flags = MESH_ROWS_ONLY;
    sw_sky_mesh.loaded = true;
    camera_globals.pitch = -1000;
    ASSERT_EQ(draw_sw_extra(target->pixels.data(), sky.data()), 1);
    EXPECT_EQ(sw_sky_mesh.row_range[1], 480);
    EXPECT_EQ(count_pixels(0), 0);
    EXPECT_TRUE(guards_whole());
    // The picture's start row is an unsigned remainder: -281 gives row 215.
    EXPECT_EQ(pixel(0, 0), sky[215 * 320]);
    EXPECT_EQ(pixel(320, 0), sky[215 * 320]);
    EXPECT_EQ(pixel(5, 25), sky[0 * 320 + 5]);

    // Level: the horizon at row 240 ends the fill.
    camera_globals.pitch = 0;
    clear_screen(0);
    draw_sw_extra(target->pixels.data(), sky.data());
    EXPECT_NE(pixel(100, 240), 0);
    EXPECT_EQ(pixel(100, 241), 0);
}
