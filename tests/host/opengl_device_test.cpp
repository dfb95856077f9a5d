// The OpenGL device itself, headless: pixel centres, perspective-correct
// texturing, flat shading and the texture formats it lists.
#include "host/host_sdl.h"
#include "host/render_device.h"
#include "host/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
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
              uint32_t colour1 = 0xFFFFFFFF, float z = 0.5f)
    {
        const HostTLVertex v[4] = {{x0, y0, z, rhw0, colour0, 0, 0, 0}, {x1, y0, z, rhw1, colour1, 0, 1, 0},
                                   {x1, y1, z, rhw1, colour1, 0, 1, 1}, {x0, y1, z, rhw0, colour0, 0, 0, 1}};
        device->draw_primitive(HOST_TRIANGLE_FAN, v, 4);
    }
    // The whole picture in one colour at depth z.
    void cover(uint32_t colour, float z = 0.5f) { quad(-0.5f, -0.5f, 639.5f, 479.5f, 1, 1, colour, colour, z); }

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

TEST_F(OpenGlDeviceTest, EachDepthCompareKeepsItsOwnRule)
{
    // A second cover nearer than, level with and farther than the first, at 0.5.
    const float depths[3] = {0.25f, 0.5f, 0.75f};
    const struct {
        uint32_t function;
        bool drawn[3];
    } cases[] = {
        {HOST_CMP_NEVER, {false, false, false}},       {HOST_CMP_LESS, {true, false, false}},
        {HOST_CMP_EQUAL, {false, true, false}},        {HOST_CMP_LESSEQUAL, {true, true, false}},
        {HOST_CMP_GREATER, {false, false, true}},      {HOST_CMP_NOTEQUAL, {true, false, true}},
        {HOST_CMP_GREATEREQUAL, {false, true, true}},  {HOST_CMP_ALWAYS, {true, true, true}},
    };
    device->set_render_state(HOST_RS_ZENABLE, 1);
    device->set_render_state(HOST_RS_ZWRITEENABLE, 1);
    for (const auto& c : cases)
        for (int d = 0; d < 3; ++d) {
            SCOPED_TRACE(testing::Message() << "compare " << c.function << ", depth " << depths[d]);
            device->clear(0, 1.0f);
            device->set_render_state(HOST_RS_ZFUNC, HOST_CMP_ALWAYS);
            cover(0xFF0000FF);
            device->set_render_state(HOST_RS_ZFUNC, c.function);
            cover(0xFF00FF00, depths[d]);
            ASSERT_TRUE(device->read_picture(picture.data()));
            EXPECT_EQ(pixel(320, 240), c.drawn[d] ? 0x00FF00u : 0x0000FFu);
        }
}

TEST_F(OpenGlDeviceTest, BlendFactorsWeighBothColours)
{
    // Every channel of both colours is non-zero, so every factor shows.
    const uint32_t under = 0xFF604020, over = 0x80C0A0E0; // alpha 128
    auto channels = [](uint32_t c) { return std::array<int, 3>{int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)}; };
    const auto u = channels(under), o = channels(over);
    const double a = 128.0 / 255.0;
    const struct {
        const char* what;
        uint32_t src, dest;
        double (*mix)(double over, double under, double alpha);
    } cases[] = {
        {"src alpha, 1 - src alpha", HOST_BLEND_SRCALPHA, HOST_BLEND_INVSRCALPHA,
         [](double s, double d, double al) { return s * al + d * (1 - al); }},
        {"one, one", HOST_BLEND_ONE, HOST_BLEND_ONE, [](double s, double d, double) { return s + d; }},
        {"dest colour, zero", HOST_BLEND_DESTCOLOR, HOST_BLEND_ZERO,
         [](double s, double d, double) { return s * d / 255.0; }},
        {"zero, src colour", HOST_BLEND_ZERO, HOST_BLEND_SRCCOLOR,
         [](double s, double d, double) { return d * s / 255.0; }},
        {"one, 1 - src colour", HOST_BLEND_ONE, HOST_BLEND_INVSRCCOLOR,
         [](double s, double d, double) { return s + d * (1 - s / 255.0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        device->clear(0, 1.0f);
        cover(under);
        device->set_texture_stage_state(0, HOST_TSS_ALPHAOP, HOST_TOP_SELECTARG1);
        device->set_texture_stage_state(0, HOST_TSS_ALPHAARG1, HOST_TA_DIFFUSE);
        device->set_render_state(HOST_RS_ALPHABLENDENABLE, 1);
        device->set_render_state(HOST_RS_SRCBLEND, c.src);
        device->set_render_state(HOST_RS_DESTBLEND, c.dest);
        cover(over);
        device->set_render_state(HOST_RS_ALPHABLENDENABLE, 0);
        ASSERT_TRUE(device->read_picture(picture.data()));
        const auto got = channels(pixel(320, 240));
        for (int i = 0; i < 3; ++i) {
            double want = c.mix(o[i], u[i], a);
            EXPECT_NEAR(got[i], want > 255 ? 255 : want, 2.0) << "channel " << i;
        }
    }
}

// The main window keeps the picture's 4:3 shape: a wide window shows it
// centred between black bars (80 pixels each side of 800 x 480).
TEST(OpenGlDeviceWindow, TheMainWindowLetterboxesThePicture)
{
    std::string reason;
    ASSERT_TRUE(host_start_video(&reason)) << reason;
    SDL_Window* window = as_sdl(host_create_window("letterbox", false));
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_SetWindowSize(window, 800, 480);
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    ASSERT_EQ(width, 800);
    ASSERT_EQ(height, 480);
    HostRenderDevice* device = host_display_provider()->create_device(0, 0, as_host(window), false);
    ASSERT_NE(device, nullptr);
    device->clear(0xFFFFFFFF, 1.0f);
    ASSERT_TRUE(device->present());

    // What the window now shows (a pbuffer without a display keeps it).
    using BindFramebuffer = void (*)(unsigned, unsigned);
    using ReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
    auto bind = reinterpret_cast<BindFramebuffer>(SDL_GL_GetProcAddress("glBindFramebuffer"));
    auto read = reinterpret_cast<ReadPixels>(SDL_GL_GetProcAddress("glReadPixels"));
    ASSERT_TRUE(bind && read);
    std::vector<uint32_t> shown(800 * 480);
    bind(0x8CA8 /* GL_READ_FRAMEBUFFER */, 0);
    read(0, 0, 800, 480, 0x1908 /* GL_RGBA */, 0x1401 /* GL_UNSIGNED_BYTE */, shown.data());
    auto lit = [&](int x) { return (shown[240 * 800 + x] & 0xFFFFFF) != 0; };
    // The headless surface keeps the size the window was made with, so only
    // the left bar and where the picture starts can be seen.
    EXPECT_FALSE(lit(40)) << "the left bar";
    EXPECT_FALSE(lit(79));
    EXPECT_TRUE(lit(81)) << "the picture from x = 80";
    EXPECT_TRUE(lit(300));

    host_display_provider()->release_device(device);
    host_destroy_window();
}

// A screenshot asked for is the next picture shown on the main window,
// written as a PNG of the 640 x 480 picture (not the letterboxed window);
// the request is used up.
namespace shot {

uint32_t be32(const std::vector<uint8_t>& d, size_t at)
{
    return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3];
}

uint32_t crc(const uint8_t* p, size_t n)
{
    uint32_t c = ~0u;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

// The rows of an RGB PNG made of stored deflate blocks; empty on any fault.
std::vector<uint8_t> decode(const std::vector<uint8_t>& d, uint32_t* w, uint32_t* h)
{
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (d.size() < 8 || !std::equal(sig, sig + 8, d.begin())) return {};
    std::vector<uint8_t> z;
    for (size_t at = 8; at + 12 <= d.size();) {
        const uint32_t n = be32(d, at);
        if (at + 12 + n > d.size() || crc(&d[at + 4], n + 4) != be32(d, at + 8 + n)) return {};
        const std::string type(d.begin() + long(at) + 4, d.begin() + long(at) + 8);
        if (type == "IHDR") {
            *w = be32(d, at + 8);
            *h = be32(d, at + 12);
            if (d[at + 16] != 8 || d[at + 17] != 2) return {};
        }
        if (type == "IDAT") z.insert(z.end(), d.begin() + long(at) + 8, d.begin() + long(at) + 8 + n);
        at += 12 + n;
    }
    std::vector<uint8_t> raw;
    for (size_t at = 2; at + 5 <= z.size();) {
        const bool last = z[at] & 1;
        const size_t n = z[at + 1] | z[at + 2] << 8;
        raw.insert(raw.end(), z.begin() + long(at) + 5, z.begin() + long(at + 5 + n));
        at += 5 + n;
        if (last) break;
    }
    return raw;
}

} // namespace shot

TEST(OpenGlDeviceWindow, AScreenshotAskedForIsTheNextPictureShownAsAPng)
{
    std::string reason;
    ASSERT_TRUE(host_start_video(&reason)) << reason;
    SDL_Window* window = as_sdl(host_create_window("screenshot", false));
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_SetWindowSize(window, 800, 480);
    HostRenderDevice* device = host_display_provider()->create_device(0, 0, as_host(window), false);
    ASSERT_NE(device, nullptr);
    device->set_render_state(HOST_RS_ZENABLE, 0);
    device->clear(0xFF2040C0, 1.0f);
    // A red block at the top left, 10 x 5.
    const HostTLVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFF0000, 0, 0, 0}, {9.5f, -0.5f, 0.5f, 1, 0xFFFF0000, 0, 1, 0},
                               {9.5f, 4.5f, 0.5f, 1, 0xFFFF0000, 0, 1, 1}, {-0.5f, 4.5f, 0.5f, 1, 0xFFFF0000, 0, 0, 1}};
    device->draw_primitive(HOST_TRIANGLE_FAN, v, 4);

    const std::string path = testing::TempDir() + "kob_screenshot.png";
    std::remove(path.c_str());
    host_request_screenshot(path);
    ASSERT_TRUE(device->present());
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    uint32_t w = 0, h = 0;
    const std::vector<uint8_t> raw = shot::decode(file, &w, &h);
    ASSERT_EQ(w, uint32_t(PICTURE_WIDTH));
    ASSERT_EQ(h, uint32_t(PICTURE_HEIGHT));
    ASSERT_EQ(raw.size(), size_t(h) * (w * 3 + 1));
    auto rgb = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = &raw[y * (w * 3 + 1) + 1 + x * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };
    EXPECT_EQ(raw[0], 0) << "rows unfiltered";
    EXPECT_EQ(rgb(0, 0), 0xFF0000u) << "the top row first";
    EXPECT_EQ(rgb(9, 4), 0xFF0000u);
    EXPECT_EQ(rgb(10, 0), 0x2040C0u);
    EXPECT_EQ(rgb(0, 5), 0x2040C0u);
    EXPECT_EQ(rgb(639, 479), 0x2040C0u);

    in.close();
    std::remove(path.c_str());
    ASSERT_TRUE(device->present());
    EXPECT_FALSE(std::ifstream(path).good()) << "one picture a request";

    host_request_screenshot(testing::TempDir() + "no such folder/kob.png");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(device->present()) << "a screenshot that fails does not stop the game";
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);

    host_display_provider()->release_device(device);
    host_destroy_window();
}

} // namespace
