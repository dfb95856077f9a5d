// One picture through the whole 3D display headless: the display started as
// the game starts it, a lit, clipped, textured, colour-keyed and blended
// scene drawn through the GL-style calls, and the picture read back.
#include "gl3d/d3d.h"
#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/render_state.h"
#include "gl3d/window_shell.h"
#include "host/paths.h"
#include "host/render_device.h"
#include "platform/app_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

struct Rgb {
    int r, g, b;
};

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(host_user_file("devconfig.dat"));
        reset_render_state_cache();
        app_active = 1; // presenting pumps messages, which waits while the program is inactive
        app_suspended = 0;
        start_3d_display(0, 0, 0, 1);
        device = display_3d_device();
        ASSERT_NE(device, nullptr);
        picture.resize(PICTURE_WIDTH * PICTURE_HEIGHT);
    }
    void TearDown() override
    {
        for (HostTexture* t : textures) device->release_texture(t);
        glw_destroy_window();
        free_driver_list();
        refresh_display_info();
    }

    HostTexture* texture(uint32_t w, uint32_t h, int format, const std::vector<uint16_t>& texels)
    {
        HostPixelFormat f = device->texture_format(format);
        HostTexture* t = device->create_texture(w, h, f);
        EXPECT_NE(t, nullptr);
        device->write_texture(t, texels.data());
        textures.push_back(t);
        return t;
    }

    void draw(std::vector<float> xyz, std::vector<float> uv, std::vector<uint32_t> indices)
    {
        vertices.push_back(xyz); // the layer reads positions in place until the draw
        set_vertex_array(static_cast<uint32_t>(xyz.size() / 3), 1, vertices.back().data());
        if (!uv.empty()) set_texcoord_array(static_cast<uint32_t>(uv.size() / 2), 1, uv.data());
        draw_vertex_arrays(static_cast<int32_t>(indices.size()), indices.data());
    }

    // The picture's pixel where a world point lands.
    Rgb at(float x, float y, float z)
    {
        const float p[3] = {x, y, z};
        int32_t px = 0, py = 0;
        EXPECT_EQ(gl_project_raster(p, &px, &py), 1);
        uint32_t c = picture[static_cast<size_t>(py) * PICTURE_WIDTH + static_cast<size_t>(px)];
        return {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
    }

    HostRenderDevice* device = nullptr;
    std::vector<HostTexture*> textures;
    std::vector<std::vector<float>> vertices;
    std::vector<uint32_t> picture;
};

void expect_colour(Rgb actual, Rgb expected, int tolerance, const char* what)
{
    EXPECT_NEAR(actual.r, expected.r, tolerance) << what;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << what;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what;
}

TEST_F(PictureTest, ALitClippedTexturedBlendedScene)
{
    EXPECT_EQ(display_width(), 640);
    EXPECT_EQ(get_hw_accel_flag(), 1u);
    EXPECT_NE(display_window(), nullptr);

    set_gl_viewport(0, 0, 640, 480);
    set_projection(90.0f, 4.0f / 3.0f, 1.0f, 100.0f);
    set_look_at(0, 0, 0, 0, 0, -1); // normals go through the inverse this keeps
    set_bilinear_filter(0);
    set_z_buffer(1);
    set_alpha_blend(1);
    begin_scene();
    gl_clear(GL_CLEAR_COLOUR_BIT | GL_CLEAR_DEPTH_BIT);

    // Near, lit: green material under a white light from the viewer.
    device->set_texture(0, nullptr);
    gl_enable(GL_CAP_LIGHTING);
    gl_enable(GL_CAP_LIGHT0);
    const float green[4] = {0, 1, 0, 1};
    gl_material(0x0404, 0x1201, green);
    const float normals[] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    gl_normal_pointer(3, 1, normals);
    gl_begin_scene(); // sets the lights up
    draw({-7, -3, -10, -2, -3, -10, -4.5f, 3, -10}, {}, {0, 1, 2});
    gl_disable(GL_CAP_LIGHTING);

    // Far, textured: red, green / blue, white, with white as the colour key.
    HostTexture* quarters = texture(2, 2, 0, {0xF800, 0x07E0, 0x001F, 0xFFFF});
    device->set_colour_key(quarters, 0xFFFF);
    device->set_texture(0, quarters);
    set_colour_mode(0, 0);
    draw({-8, -6, -20, 8, -6, -20, 8, 6, -20, -8, 6, -20}, {0, 0, 1, 0, 1, 1, 0, 1}, {0, 1, 2, 0, 2, 3});

    // Between them, half-transparent white over the green quarter.
    HostTexture* glass = texture(1, 1, 2, {0x8FFF});
    device->set_texture(0, glass);
    draw({2, -5, -15, 6, -5, -15, 6, -1, -15, 2, -1, -15}, {0, 0, 1, 0, 1, 1, 0, 1}, {0, 1, 2, 0, 2, 3});

    // Reaching behind the camera: clipped at the near plane, drawn as a fan.
    device->set_texture(0, nullptr);
    set_colour_mode(1, 0xFFFFFF00); // yellow
    draw({6, -4, -5, 4, -4, -5, 5, -3, 1}, {}, {0, 1, 2});
    end_scene();

    ASSERT_TRUE(device->read_picture(picture.data()));
    expect_colour(at(-4.5f, -1, -10), {10, 255, 10}, 2, "lit triangle");
    expect_colour(at(-5.8f, -5, -20), {10, 255, 10}, 2, "the near triangle hides the far quad");
    expect_colour(at(-4, -3, -20), {255, 0, 0}, 1, "red quarter");
    expect_colour(at(4, 3, -20), {0, 0, 0}, 1, "colour-keyed quarter");
    expect_colour(at(-4, 3, -20), {0, 0, 255}, 1, "blue quarter");
    expect_colour(at(1.5f, -1, -20), {0, 255, 0}, 1, "green quarter outside the glass");
    Rgb glass_over_green = at(4, -3, -15);
    EXPECT_NEAR(glass_over_green.g, 255, 1);
    EXPECT_NEAR(glass_over_green.r, 136, 3) << "8/15 of white over green";
    EXPECT_NEAR(glass_over_green.b, 136, 3);
    expect_colour(at(5, -3.9f, -4.4f), {254, 254, 0}, 2, "clipped triangle");
    expect_colour(at(0, -7.4f, -10), {0, 0, 0}, 0, "background");

    present_and_clear();
    ASSERT_TRUE(device->read_picture(picture.data()));
    expect_colour(at(-4, -3, -20), {0, 0, 0}, 0, "cleared after presenting");
}

} // namespace
