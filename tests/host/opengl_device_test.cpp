// The OpenGL device itself, headless: pixel centres, perspective-correct
// texturing, flat shading and the texture formats it lists.
#include "host/host_sdl.h"
#include "host/render_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

class OpenGlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        host_keep_gl_library_loaded();
        window = SDL_CreateWindow("device", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        device = host_display_provider()->create_device(0, 0, as_host(window), false);
        ASSERT_NE(device, nullptr);
        device->set_render_state(HOST_RS_ZENABLE, 0);
        device->clear(0, 1.0f);
        picture.resize(PICTURE_WIDTH * PICTURE_HEIGHT);
    }
    void TearDown() override
    {
        host_display_provider()->release_device(device);
        SDL_DestroyWindow(window);
    }
    uint32_t pixel(int x, int y) const { return picture[static_cast<size_t>(y) * PICTURE_WIDTH + x] & 0xFFFFFF; }
    void quad(float x0, float y0, float x1, float y1, float rhw0, float rhw1, uint32_t colour0 = 0xFFFFFFFF,
              uint32_t colour1 = 0xFFFFFFFF)
    {
        const HostTLVertex v[4] = {{x0, y0, 0.5f, rhw0, colour0, 0, 0, 0}, {x1, y0, 0.5f, rhw1, colour1, 0, 1, 0},
                                   {x1, y1, 0.5f, rhw1, colour1, 0, 1, 1}, {x0, y1, 0.5f, rhw0, colour0, 0, 0, 1}};
        device->draw_primitive(HOST_TRIANGLE_FAN, v, 4);
    }

    SDL_Window* window = nullptr;
    HostRenderDevice* device = nullptr;
    std::vector<uint32_t> picture;
};

TEST_F(OpenGlDeviceTest, PixelCentresLieOnWholeNumbersAndEdgesFollowTheTopLeftRule)
{
    // Between centres: exactly pixel (10, 20).
    quad(9.5f, 19.5f, 10.5f, 20.5f, 1, 1);
    // Edges through centres: the top and left rows of centres belong, the
    // bottom and right ones do not: pixels 100..101 x 200..201.
    quad(100, 200, 102, 202, 1, 1);
    ASSERT_TRUE(device->read_picture(picture.data()));
    struct Case {
        int x, y;
        bool lit;
    };
    const Case cases[] = {{10, 20, true},    {9, 20, false},    {11, 20, false},   {10, 19, false},
                          {10, 21, false},   {100, 200, true},  {101, 201, true},  {99, 200, false},
                          {102, 200, false}, {100, 199, false}, {100, 202, false}};
    for (const Case& c : cases) EXPECT_EQ(pixel(c.x, c.y), c.lit ? 0xFFFFFFu : 0u) << c.x << ", " << c.y;
}

TEST_F(OpenGlDeviceTest, TexturesFollowPerspective)
{
    HostTexture* halves = device->create_texture(2, 1, device->texture_format(0));
    const uint16_t texels[2] = {0x0000, 0xFFFF};
    device->write_texture(halves, texels);
    device->set_texture(0, halves);
    device->set_texture_stage_state(0, HOST_TSS_MINFILTER, HOST_FILTER_POINT);
    device->set_texture_stage_state(0, HOST_TSS_MAGFILTER, HOST_FILTER_POINT);
    // The right edge is four times as far: u = 0.5 falls at 80 % of the width, not half-way.
    quad(-0.5f, -0.5f, 639.5f, 479.5f, 1.0f, 0.25f);
    ASSERT_TRUE(device->read_picture(picture.data()));
    EXPECT_EQ(pixel(400, 240), 0u);
    EXPECT_EQ(pixel(500, 240), 0u);
    EXPECT_EQ(pixel(525, 240), 0xFFFFFFu);
    device->set_texture(0, nullptr);
    device->release_texture(halves);
}

TEST_F(OpenGlDeviceTest, FlatShadingTakesTheFirstVertexColour)
{
    const HostTLVertex v[3] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFF0000, 0, 0, 0},
                               {1300, -0.5f, 0.5f, 1, 0xFF0000FF, 0, 0, 0},
                               {-0.5f, 1000, 0.5f, 1, 0xFF0000FF, 0, 0, 0}};
    device->set_render_state(HOST_RS_SHADEMODE, HOST_SHADE_FLAT);
    device->draw_primitive(HOST_TRIANGLE_LIST, v, 3);
    ASSERT_TRUE(device->read_picture(picture.data()));
    EXPECT_EQ(pixel(600, 100), 0xFF0000u);
    device->set_render_state(HOST_RS_SHADEMODE, HOST_SHADE_GOURAUD);
    device->draw_primitive(HOST_TRIANGLE_LIST, v, 3);
    ASSERT_TRUE(device->read_picture(picture.data()));
    EXPECT_GT(pixel(600, 100) & 0xFF, 100u);
}

TEST_F(OpenGlDeviceTest, SixteenBitFormatsInAFixedOrder)
{
    ASSERT_EQ(device->texture_format_count(), 3);
    const uint32_t alpha_masks[3] = {0, 0x8000, 0xF000};
    for (int i = 0; i < 3; ++i) {
        HostPixelFormat f = device->texture_format(i);
        EXPECT_EQ(f.bits, 16u);
        EXPECT_EQ(f.alpha_mask, alpha_masks[i]);
        EXPECT_EQ((f.flags & HOST_PF_ALPHAPIXELS) != 0, alpha_masks[i] != 0);
    }
    EXPECT_EQ(device->create_texture(4, 4, {HOST_PF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0}), nullptr);
}

} // namespace
