// The render-state cache's sequences, scene nesting and the array wrappers.
#include "gl_fixture.h"

#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"

#include <vector>

namespace {

struct Sent {
    bool stage;
    uint32_t state, value;
    bool operator==(const Sent&) const = default;
};

std::vector<Sent> sent(const RecordingDevice& device)
{
    std::vector<Sent> out;
    for (const RecordedCall& c : device.states()) out.push_back({c.kind == RecordedCall::STAGE_STATE, c.a, c.b});
    return out;
}

const std::vector<Sent> k_alpha_on = {
    {true, HOST_TSS_TEXCOORDINDEX, 0},   {true, HOST_TSS_COLOROP, HOST_TOP_MODULATE},
    {true, HOST_TSS_COLORARG1, HOST_TA_TEXTURE}, {true, HOST_TSS_COLORARG2, HOST_TA_CURRENT},
    {true, HOST_TSS_ALPHAOP, HOST_TOP_MODULATE}, {true, HOST_TSS_ALPHAARG1, HOST_TA_TEXTURE},
    {true, HOST_TSS_ALPHAARG2, HOST_TA_CURRENT}, {false, HOST_RS_ALPHABLENDENABLE, 1},
    {false, HOST_RS_SRCBLEND, HOST_BLEND_SRCALPHA}, {false, HOST_RS_DESTBLEND, HOST_BLEND_INVSRCALPHA},
    {true, HOST_TSS_ALPHAOP, HOST_TOP_SELECTARG1}, {false, HOST_RS_COLORKEYENABLE, 1},
};
const std::vector<Sent> k_alpha_off = {
    {true, HOST_TSS_TEXCOORDINDEX, 0}, {true, HOST_TSS_COLORARG1, HOST_TA_TEXTURE},
    {true, HOST_TSS_COLORARG2, HOST_TA_CURRENT}, {true, HOST_TSS_COLOROP, HOST_TOP_MODULATE},
    {false, HOST_RS_ALPHATESTENABLE, 0}, {false, HOST_RS_ALPHABLENDENABLE, 0}, {false, HOST_RS_COLORKEYENABLE, 0},
};

class RenderStateTest : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        reset_render_state_cache();
        reset_hw_camera();
    }
};

TEST_F(RenderStateTest, AlphaBlendWaitsUntilAllowed)
{
    set_alpha_blend_allowed(0);
    EXPECT_TRUE(sent(device).empty()); // never applied: nothing to switch off
    set_alpha_blend(1);
    EXPECT_TRUE(sent(device).empty());
    EXPECT_EQ(get_alpha_blend(), 1u);
    set_alpha_blend_allowed(1);
    EXPECT_EQ(sent(device), k_alpha_on);
    device.forget();
    set_alpha_blend_allowed(0); // forbidding takes an applied state off
    EXPECT_EQ(sent(device), k_alpha_off);
    EXPECT_EQ(get_alpha_blend(), 1u);
}

TEST_F(RenderStateTest, TogglesTalkToTheDeviceOnlyOnAChange)
{
    set_z_buffer(1);
    set_z_buffer(1);
    std::vector<Sent> z_on = {{false, HOST_RS_ZENABLE, 1}, {false, HOST_RS_ZWRITEENABLE, 1}};
    EXPECT_EQ(sent(device), z_on);
    device.forget();
    set_bilinear_filter(0); // never applied
    EXPECT_TRUE(sent(device).empty());
    set_filter_option(1);
    set_bilinear_filter(1);
    std::vector<Sent> linear = {{true, HOST_TSS_MINFILTER, HOST_FILTER_LINEAR}, {true, HOST_TSS_MAGFILTER, HOST_FILTER_LINEAR}};
    EXPECT_EQ(sent(device), linear);
    device.forget();
    set_filter_option(0);
    std::vector<Sent> point = {{true, HOST_TSS_MINFILTER, HOST_FILTER_POINT}, {true, HOST_TSS_MAGFILTER, HOST_FILTER_POINT}};
    EXPECT_EQ(sent(device), point);
}

TEST_F(RenderStateTest, BlendModesOutsideTheTableSendNothingButAreCached)
{
    set_blend_mode(11, 5);
    std::vector<Sent> only_dest = {{false, HOST_RS_DESTBLEND, HOST_BLEND_INVSRCALPHA}};
    EXPECT_EQ(sent(device), only_dest);
    uint32_t s = 0, d = 0;
    get_blend_mode(&s, &d);
    EXPECT_EQ(s, 11u);
    EXPECT_EQ(d, 5u);
    device.forget();
    set_blend_mode(0, 10);
    std::vector<Sent> both = {{false, HOST_RS_SRCBLEND, HOST_BLEND_ZERO}, {false, HOST_RS_DESTBLEND, HOST_BLEND_SRCALPHASAT}};
    EXPECT_EQ(sent(device), both);
}

TEST_F(RenderStateTest, ApplyingSendsTheWholeCacheWhateverTheDeviceHeld)
{
    set_z_buffer(1); // applied already: still sent again
    device.forget();
    apply_render_state();
    std::vector<Sent> expected = {
        {false, HOST_RS_SHADEMODE, HOST_SHADE_GOURAUD}, {false, HOST_RS_CULLMODE, HOST_CULL_NONE},
        {false, HOST_RS_ZFUNC, HOST_CMP_LESSEQUAL},     {false, HOST_RS_TEXTUREPERSPECTIVE, 1},
        {false, HOST_RS_SPECULARENABLE, 0},             {false, HOST_RS_TEXTUREMAPBLEND, HOST_TBLEND_MODULATE},
        {false, HOST_RS_SRCBLEND, HOST_BLEND_SRCALPHA}, {false, HOST_RS_DESTBLEND, HOST_BLEND_INVSRCALPHA},
        {true, HOST_TSS_MINFILTER, HOST_FILTER_POINT},  {true, HOST_TSS_MAGFILTER, HOST_FILTER_POINT},
    };
    expected.insert(expected.end(), k_alpha_on.begin(), k_alpha_on.end());
    expected.push_back({false, HOST_RS_ZENABLE, 1});
    expected.push_back({false, HOST_RS_ZWRITEENABLE, 1});
    EXPECT_EQ(sent(device), expected);
    EXPECT_EQ(get_render_option(), 1u);
}

TEST_F(RenderStateTest, ColourModes)
{
    set_colour_mode(1, 0xFF80FF00);
    EXPECT_EQ(context->current_colour[0], 127); // 0x80 / 256 * 255 = 127.5
    EXPECT_EQ(context->current_colour[1], 254); // 255 / 256, never a full 1.0
    EXPECT_EQ(context->current_colour[2], 0);
    EXPECT_EQ(context->current_colour[3], 254);
    set_colour_mode(2, 0x12345678);
    EXPECT_EQ(context->colour_material, 1);
    uint32_t colour = 0;
    EXPECT_EQ(get_colour_mode(&colour), 2u);
    EXPECT_EQ(colour, 0xFF80FF00u); // only mode 1 caches its colour
    set_colour_mode(7, 0);
    EXPECT_EQ(get_colour_mode(nullptr), 2u);
    set_colour_mode(0, 0);
    EXPECT_EQ(context->colour_material, 0);
    EXPECT_EQ(context->current_colour[1], 255);
}

TEST_F(RenderStateTest, ScenesNest)
{
    for (int i = 0; i < 3; ++i) begin_scene();
    EXPECT_EQ(scene_depth(), 3);
    for (int i = 0; i < 3; ++i) end_scene();
    EXPECT_EQ(device.of_kind(RecordedCall::BEGIN_SCENE).size(), 1u);
    EXPECT_EQ(device.of_kind(RecordedCall::END_SCENE).size(), 1u);
    EXPECT_EQ(scene_depth(), 0);
}

TEST_F(RenderStateTest, TheOverlayScalesTheCallersVerticesEachDraw)
{
    set_viewport(0, 0, 320, 480); // aspect 2/3 on a 4/3 display: x-scale 0.5
    EXPECT_FLOAT_EQ(get_x_scale(), 0.5f);
    begin_2d_overlay();
    ASSERT_EQ(get_overlay_active(), 1);
    float xyz[] = {8, 0, -10, 4, 1, -10, 0, 0, -10};
    const uint32_t indices[] = {0, 1, 2};
    set_vertex_array(3, 1, xyz);
    draw_vertex_arrays(3, indices);
    draw_vertex_arrays(3, indices);
    EXPECT_EQ(xyz[0], 2.0f);
    EXPECT_EQ(xyz[3], 1.0f);
    end_2d_overlay();
    draw_vertex_arrays(3, indices);
    EXPECT_EQ(xyz[0], 2.0f);
}

TEST_F(RenderStateTest, PointVisibilityThroughTheWrapper)
{
    look_down_minus_z();
    const float across_left[] = {-100, 0, -10, 0, 0, -10};
    const float beyond_far[] = {0, 0, -500, 1, 1, -600};
    EXPECT_EQ(test_points_visible(2, across_left), 1);
    EXPECT_EQ(test_points_visible(2, beyond_far), 0);
    EXPECT_EQ(test_points_visible(0, beyond_far), 0);
}

} // namespace
