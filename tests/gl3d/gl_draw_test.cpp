// The transform pipeline and the triangle drawer, checked at the device.
#include "gl_fixture.h"

#include <cmath>
#include <vector>

namespace {

class DrawTest : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        look_down_minus_z();
    }
    // Window position of a point at depth 10 in this camera: (24 x + 320, 24 y + 240).
    std::vector<RecordedCall> draws() const { return device.of_kind(RecordedCall::DRAW); }
};

TEST_F(DrawTest, UnclippedTrianglesGoOutInOneListWithTheirValues)
{
    const float xyz[] = {0, 0, -10, 1, 0, -10, 0, 1, -10, 2, 2, -10};
    const float uv[] = {0.25f, 0.5f, 1, 0, 0, 1, 1, 1};
    const uint32_t indices[] = {0, 1, 2, 1, 3, 2, 0, 2, 1}; // the last one faces away
    gl_colour4f(1.0f, 0.5f, 0.0f, 1.0f);
    gl_vertex_pointer(4, 1, xyz);
    gl_texcoord_pointer(8, 1, uv);
    gl_draw_arrays(9, indices);

    auto d = draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].a, HOST_TRIANGLE_LIST);
    ASSERT_EQ(d[0].b, 6u);
    const HostTLVertex& v = d[0].vertices[0];
    EXPECT_FLOAT_EQ(v.x, 320.0f);
    EXPECT_FLOAT_EQ(v.y, 240.0f);
    EXPECT_NEAR(v.z, 0.909090f, 1e-5f); // ((810/99)/10 * 32767.5 + 32767.5) / 65535
    EXPECT_FLOAT_EQ(v.rhw, 0.1f);
    EXPECT_EQ(v.diffuse, 0xFFFF7F00u);
    EXPECT_EQ(v.specular, 0u);
    EXPECT_EQ(v.u, 0.25f);
    EXPECT_EQ(v.v, 0.5f);
    EXPECT_FLOAT_EQ(d[0].vertices[1].x, 344.0f);
    EXPECT_FLOAT_EQ(d[0].vertices[2].y, 264.0f);
    EXPECT_FLOAT_EQ(d[0].vertices[4].x, 368.0f); // vertex 3 of the second triangle
}

TEST_F(DrawTest, NothingIsDrawnWhenEveryTriangleIsCulled)
{
    const float xyz[] = {0, 0, -10, 1, 0, -10, 0, 1, -10};
    const uint32_t indices[] = {0, 2, 1};
    gl_vertex_pointer(3, 1, xyz);
    gl_draw_arrays(3, indices);
    EXPECT_TRUE(draws().empty());
}

TEST_F(DrawTest, CollinearTrianglesKeepPlusZeroAndDropMinusZero)
{
    // (0,0) (1,0) (2,0): 24*0 - 48*0 = +0.0, drawn; (0,0) (-1,0) (1,0): -0.0 - +0.0 = -0.0, dropped.
    const float xyz[] = {0, 0, -10, 1, 0, -10, 2, 0, -10, -1, 0, -10};
    gl_vertex_pointer(4, 1, xyz);
    const uint32_t plus_zero[] = {0, 1, 2};
    gl_draw_arrays(3, plus_zero);
    EXPECT_EQ(draws().size(), 1u);
    device.forget();
    const uint32_t minus_zero[] = {0, 3, 1};
    gl_draw_arrays(3, minus_zero);
    EXPECT_TRUE(draws().empty());
}

TEST_F(DrawTest, ANearClippedTriangleIsAFanDrawnBeforeTheBatch)
{
    // Vertex 2 lies in front of the camera but closer than the near plane.
    const float xyz[] = {0, 0, -10, 2, 0, -10, 0.2f, 0.2f, -0.5f, 5, 5, -10, 6, 5, -10, 5, 6, -10};
    const uint32_t indices[] = {3, 4, 5, 0, 1, 2};
    gl_colour_white();
    gl_vertex_pointer(6, 1, xyz);
    gl_draw_arrays(6, indices);
    auto d = draws();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].a, HOST_TRIANGLE_FAN);
    EXPECT_EQ(d[0].b, 4u);
    EXPECT_EQ(d[1].a, HOST_TRIANGLE_LIST);
    EXPECT_EQ(d[1].b, 3u);
    for (const HostTLVertex& v : d[0].vertices) {
        EXPECT_GE(v.z, -1e-6f); // nothing nearer than the near plane
        EXPECT_GT(v.rhw, 0.0f);
        EXPECT_EQ(v.diffuse, 0xFFFFFFFFu); // colours survive the round trip through floats
    }
}

TEST_F(DrawTest, ClippedColoursRoundBackExceptInTheTwinsFans)
{
    // Identity matrices: clip = (x, y, -1, 1) through either path. Vertex 0 is
    // black and inside; the cuts at x = 1 lie a quarter of the way from it to
    // white, 63.75 in each channel.
    struct Case {
        bool twin;
        bool quad; // vertex 2 inside (a quad is left) or outside beside vertex 1 (a triangle)
        uint32_t primitive;
        uint32_t channel;
    };
    const Case cases[] = {
        {false, false, HOST_TRIANGLE_LIST, 64}, {false, true, HOST_TRIANGLE_FAN, 64},
        {true, false, HOST_TRIANGLE_LIST, 64},  {true, true, HOST_TRIANGLE_FAN, 63},
    };
    gl_matrix_mode(GL_PROJECTION_MODE);
    gl_load_identity();
    gl_enable(GL_CAP_COLOUR_MATERIAL);
    for (const Case& c : cases) {
        device.forget();
        const bool quad = c.quad;
        const float xyz[] = {0, 0, -1, 4, 0, -1, quad ? 0.0f : 4.0f, 0.5f, -1};
        const uint8_t last = quad ? 0 : 255;
        const uint8_t colours[] = {0, 0, 0, 255, 255, 255, 255, 255, last, last, last, 255};
        const float uv[] = {0, 0, 0, 0, 0, 0};
        const uint32_t indices[] = {0, 1, 2};
        gl_vertex_pointer(3, 1, xyz);
        gl_colour_pointer(3, 1, colours);
        gl_texcoord_pointer(6, 1, uv);
        if (c.twin) gl_draw_eye_arrays(3, indices, indices);
        else gl_draw_arrays(3, indices);
        auto d = draws();
        ASSERT_EQ(d.size(), 1u) << c.twin << quad;
        EXPECT_EQ(d[0].a, c.primitive);
        int cuts = 0;
        for (const HostTLVertex& v : d[0].vertices) {
            uint32_t blue = v.diffuse & 0xFF;
            if (blue == 0 || blue == 255) continue;
            EXPECT_EQ(blue, c.channel) << c.twin << quad;
            ++cuts;
        }
        EXPECT_EQ(cuts, 2);
    }
}

TEST_F(DrawTest, TrianglesWhollyBeyondOnePlaneDrawNothing)
{
    const float xyz[] = {100, 0, -10, 101, 0, -10, 100, 1, -10};
    const uint32_t indices[] = {0, 1, 2};
    gl_vertex_pointer(3, 1, xyz);
    gl_draw_arrays(3, indices);
    EXPECT_TRUE(draws().empty());
}

TEST_F(DrawTest, CountsAndIndicesAreHeldToTheArrays)
{
    const float xyz[] = {0, 0, -10, 1, 0, -10, 0, 1, -10};
    gl_vertex_pointer(3, 1, xyz);
    // An index beyond the work arrays skips its triangle; a partial triple is dropped.
    const uint32_t indices[] = {0, 1, 20000, 0, 1, 2, 0, 1};
    gl_draw_arrays(8, indices);
    auto d = draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].b, 3u);

    // More triangles than the batch holds go out in several lists.
    device.forget();
    std::vector<uint32_t> many;
    for (int t = 0; t < 4001; ++t) many.insert(many.end(), {0, 1, 2});
    gl_draw_arrays(static_cast<int32_t>(many.size()), many.data());
    d = draws();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].b, static_cast<uint32_t>(MAX_GL_VERTICES));
    EXPECT_EQ(d[1].b, 3u);

    // A vertex count beyond the work arrays is cut to them.
    std::vector<float> big(3 * 20000, -10.0f);
    std::vector<uint8_t> colours(4 * 20000, 9);
    gl_vertex_pointer(20000, 1, big.data());
    gl_colour_pointer(20000, 1, colours.data());
    EXPECT_EQ(context->position_array.count, MAX_GL_VERTICES);
    EXPECT_EQ(context->colour_array.count, MAX_GL_VERTICES);
    gl_transform_vertices();
}

TEST_F(DrawTest, OddTexcoordCountsCopyAWholePair)
{
    const float uv[] = {1, 2, 3, 4};
    gl_texcoord_pointer(3, 1, uv);
    EXPECT_EQ(context->texcoords[1][1], 4.0f);
}

TEST_F(DrawTest, ClipCodesHoldOnlyTheCurrentTransform)
{
    const float first[] = {100, 0, -10, -100, 0, -10};  // right, left
    const float second[] = {-100, 0, -10, 100, 0, -10}; // left, right
    EXPECT_EQ(gl_points_visible(2, first), 1);
    EXPECT_EQ(context->clip_codes[0], CLIP_RIGHT);
    EXPECT_EQ(gl_points_visible(2, second), 1);
    EXPECT_EQ(context->clip_codes[0], CLIP_LEFT);
    EXPECT_EQ(gl_range_visible(0, 2), 1);
}

TEST_F(DrawTest, PointSetsAgainstTheViewVolume)
{
    struct Case {
        std::vector<float> xyz;
        int expected;
    };
    const Case cases[] = {
        {{100, 0, -10, 100, 5, -10, 200, 0, -20, 100, -5, -10}, 0}, // all to the right
        {{-100, 0, -10, 100, 0, -10}, 1},                        // left and right: straddles
        {{0, 0, -200, 1, 1, -300}, 0},                           // all beyond the far plane
        {{0, 0, -10}, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(gl_points_visible(static_cast<int32_t>(c.xyz.size() / 3), c.xyz.data()), c.expected);
    EXPECT_EQ(gl_points_visible(0, cases[3].xyz.data()), 0);
    EXPECT_EQ(gl_range_visible(0, 0), 0);
}

TEST_F(DrawTest, RasterPositionsOfSinglePoints)
{
    int32_t x = -1, y = -1;
    const float on_near_plane[3] = {0.1f, 0.1f, -1.0f};
    EXPECT_EQ(gl_project_raster(on_near_plane, &x, &y), 1);
    EXPECT_EQ(x, 344); // 0.75 * 0.1 / 1 * 320 + 320 = 344
    EXPECT_EQ(y, 264);
    const float behind[3] = {0, 0, 5};
    EXPECT_EQ(gl_project_raster(behind, &x, &y), 0);
    EXPECT_EQ(context->position_array.pointer, behind);
}

TEST_F(DrawTest, ADegenerateProjectionPutsAPointAtTheOrigin)
{
    const float zero[16] = {};
    gl_matrix_mode(GL_PROJECTION_MODE);
    gl_load_matrix(zero);
    const float p[3] = {0, 0, 0};
    gl_vertex_pointer(1, 1, p);
    context->window[0][0] = context->window[0][1] = context->window[0][2] = 77;
    gl_transform_vertices();
    gl_project_vertices();
    EXPECT_EQ(context->clip_codes[0], 0);
    EXPECT_EQ(context->window[0][0], 0);
    EXPECT_EQ(context->window[0][2], 0);
}

TEST_F(DrawTest, ColourSources)
{
    const float xyz[] = {0, 0, -10};
    const uint8_t colours[] = {1, 2, 3, 4};
    gl_vertex_pointer(1, 1, xyz);
    gl_colour_pointer(1, 1, colours);
    gl_colour4f(0, 1, 0, 1);
    const uint32_t none[1] = {0};
    gl_draw_arrays(0, none);
    EXPECT_EQ(context->lit[0][1], 255);
    gl_enable(GL_CAP_COLOUR_MATERIAL);
    gl_draw_arrays(0, none);
    EXPECT_EQ(std::memcmp(context->lit[0], colours, 4), 0);
}

TEST_F(DrawTest, ClearingAlwaysClearsColourAndDepth)
{
    uint32_t rest = context->clear(context, GL_CLEAR_COLOUR_BIT | 0x0400);
    EXPECT_EQ(rest, 0x0400u);
    gl_clear(GL_CLEAR_COLOUR_BIT);
    auto clears = device.of_kind(RecordedCall::CLEAR);
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[1].a, 0u);
    EXPECT_EQ(clears[1].z, 1.0f);
}

TEST_F(DrawTest, PresentingRetriesALostWindowOnce)
{
    struct Case {
        uint32_t full_screen, active;
        bool lost;
        size_t presents;
    };
    const Case cases[] = {{0, 1, false, 1}, {0, 1, true, 2}, {1, 1, true, 1}, {0, 0, false, 0}};
    for (const Case& c : cases) {
        device.forget();
        binding.full_screen = c.full_screen;
        binding.active = c.active;
        device.lose_picture = c.lost;
        gl_swap_buffers();
        EXPECT_EQ(device.of_kind(RecordedCall::PRESENT).size(), c.presents);
    }
}

TEST_F(DrawTest, PolygonClipperResults)
{
    auto triangle = [](float x0, float x1, float x2) {
        clip_polygon p{};
        p.count = 3;
        p.mask = 0x7BF;
        const float xs[3] = {x0, x1, x2};
        for (int i = 0; i < 3; ++i) {
            p.v[i].f[0] = xs[i];
            p.v[i].f[1] = static_cast<float>(i == 2);
            p.v[i].f[3] = 1.0f;
        }
        return p;
    };
    clip_polygon inside = triangle(-0.5f, 0.5f, 0.0f);
    EXPECT_EQ(clip_polygon_homogeneous(&inside), 2);
    EXPECT_EQ(inside.count, 3u);
    clip_polygon outside = triangle(2.0f, 3.0f, 2.5f);
    EXPECT_EQ(clip_polygon_homogeneous(&outside), 0);
    EXPECT_EQ(outside.count, 0u);
    clip_polygon straddling = triangle(0.0f, 3.0f, 0.0f);
    EXPECT_EQ(clip_polygon_homogeneous(&straddling), 1);
    EXPECT_EQ(straddling.count, 4u);
    for (uint32_t i = 0; i < straddling.count; ++i) EXPECT_LE(straddling.v[i].f[0], 1.0f + 1e-6f);

    // The masked floats are carried along the cut edges: u was set equal to x.
    clip_polygon carried = triangle(0.0f, 3.0f, 0.0f);
    for (uint32_t i = 0; i < 3; ++i) carried.v[i].f[4] = carried.v[i].f[0];
    EXPECT_EQ(clip_polygon_homogeneous(&carried), 1);
    for (uint32_t i = 0; i < carried.count; ++i) EXPECT_FLOAT_EQ(carried.v[i].f[4], carried.v[i].f[0]) << i;
    EXPECT_FLOAT_EQ(carried.v[1].f[0], 1.0f); // the cut of the edge from x 0 to x 3, at t = 1/3

    clip_polygon empty{};
    EXPECT_EQ(clip_polygon_homogeneous(&empty), 2); // nothing outside any plane

    const float box[6] = {-0.25f, 0.25f, -1, 1, -1, 1};
    clip_polygon boxed = triangle(-0.5f, 0.5f, 0.0f);
    EXPECT_EQ(clip_polygon_box(&boxed, box), 1);
    for (uint32_t i = 0; i < boxed.count; ++i) EXPECT_LE(std::fabs(boxed.v[i].f[0]), 0.25f + 1e-6f);
}

TEST_F(DrawTest, TextureFormatSearchKeepsTheFirstWithoutAlpha)
{
    HostPixelFormat found{};
    testing::internal::CaptureStdout();
    HostPixelFormat kept = find_texture_format(&device, 16, &found);
    std::string listing = testing::internal::GetCapturedStdout();
    EXPECT_EQ(kept.red_mask, 0xF800u);
    EXPECT_EQ(found.alpha_mask, 0u);
    EXPECT_NE(listing.find("bitcount 16  R 7c00 G 3e0 B 1f Alp 8000 \n "), std::string::npos);
    EXPECT_NE(listing.find("KEEP bitcount =16  R f800 G 7e0 B 1f Alp 0"), std::string::npos);
}

} // namespace
