// The device framework over a fake provider: the saved choice in
// "devconfig.dat", build failures and fallbacks, and rebuilding on a resize.
#include "gl3d/d3d.h"
#include "host/host_test_hooks.h"
#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_manager.h"
#include "gl3d/window_shell.h"
#include "host/events.h"
#include "host/paths.h"
#include "host/process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct ExitCalled {
    int code;
};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = host_test_hidden_window();
        ASSERT_NE(window, nullptr) << host_test_last_error();
        provider = RecordingDisplayProvider::standard();
        host_set_display_provider(&provider);
        std::filesystem::remove(config_path());
        d3d_forget_error_box();
        d3d_windowed = 1;
        glw_set_reshape_func(nullptr);
        context = {};
        context.window = window;
        context.width = 640;
        context.height = 480;
        context.active = 1;
    }
    void TearDown() override
    {
        gl_make_current(nullptr);
        d3d_destroy_framework();
        free_driver_list();
        refresh_display_info();
        host_set_display_provider(nullptr);
        host_set_exit_hook(nullptr);
        host_test_destroy_hidden_window(window);
    }
    static std::string config_path() { return host_user_file("devconfig.dat"); }
    static std::vector<uint8_t> config_bytes()
    {
        std::ifstream f(config_path(), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
    }
    static void write_config(const char* driver, const char* mode, uint32_t windowed, uint32_t valid)
    {
        devconfig_record r{};
        std::strncpy(r.driver, driver, sizeof r.driver - 1);
        std::strncpy(r.mode, mode, sizeof r.mode - 1);
        r.windowed = windowed;
        r.valid = valid;
        ASSERT_TRUE(devconfig_write(config_path().c_str(), &r));
    }

    HostWindow* window = nullptr;
    RecordingDisplayProvider provider;
    gl_device context{};
};

TEST_F(FrameworkTest, AMissingChoiceIsSavedAtTheEndOfAFullScreenStart)
{
    context.full_screen = 1;
    ASSERT_EQ(d3d_init_from_config(&context), 1u);
    EXPECT_EQ(context.device, provider.last);
    EXPECT_EQ(context.hw_flag, 1);
    EXPECT_EQ(context.full_screen, 1u);
    std::vector<uint8_t> bytes = config_bytes();
    ASSERT_EQ(bytes.size(), DEVCONFIG_SIZE);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[0]), "Primary Display Driver");
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[40]), "640 x 480 x 16");
    EXPECT_EQ(bytes[88], 0);
    EXPECT_EQ(bytes[92], 1);
    EXPECT_EQ(bytes[93] | bytes[94] | bytes[95], 0);
}

TEST_F(FrameworkTest, AWindowedStartLeavesTheNewChoiceFileEmpty)
{
    ASSERT_EQ(d3d_init_from_config(&context), 1u);
    EXPECT_TRUE(std::filesystem::exists(config_path()));
    EXPECT_EQ(std::filesystem::file_size(config_path()), 0u);
    EXPECT_EQ(context.full_screen, 0u);
    EXPECT_EQ(d3d_last_error_code(), 0u);
}

TEST_F(FrameworkTest, TheSavedChoiceWinsOnlyWhenItIsValid)
{
    write_config("Primary Display Driver", "640 x 480 x 32", 0, 0);
    ASSERT_EQ(d3d_init_from_config(&context), 1u);
    d3d_device* device = nullptr;
    get_selected(nullptr, &device);
    EXPECT_STREQ(device->current_mode->text, "640 x 480 x 16");
    EXPECT_EQ(context.full_screen, 0u);
    d3d_destroy_framework();

    // A valid record's windowed flag beats the window mode asked for.
    write_config("Primary Display Driver", "640 x 480 x 32", 0, 1);
    context.full_screen = 0;
    ASSERT_EQ(d3d_init_from_config(&context), 1u);
    get_selected(nullptr, &device);
    EXPECT_STREQ(device->current_mode->text, "640 x 480 x 32");
    EXPECT_EQ(context.full_screen, 1u);
    EXPECT_EQ(d3d_windowed, 0u);
    std::vector<uint8_t> bytes = config_bytes();
    ASSERT_EQ(bytes.size(), DEVCONFIG_SIZE);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[40]), "640 x 480 x 32");
}

TEST_F(FrameworkTest, AWindowedStartOnADeviceThatCannotRunWindowedEnds)
{
    provider.desktop = {640, 480, 24};
    EXPECT_EQ(d3d_init_from_config(&context), 0u);
    EXPECT_EQ(d3d_last_error_code(), D3DERR_NEED_16BIT_DESKTOP);
    std::string text = d3d_last_error_message();
    EXPECT_EQ(text.rfind("This sample requires a 16-bit (or higher) display mode", 0), 0u);
    EXPECT_NE(text.find("\n\nThis sample will now exit."), std::string::npos);
}

TEST_F(FrameworkTest, ErrorTexts)
{
    EXPECT_STREQ(d3d_error_text(D3DERR_NO_FRONT_SURFACE),
                 "Generic application error.\n\nEnable debug output for detailed information.");
    EXPECT_STREQ(d3d_error_text(D3DERR_OUT_OF_VIDEO_MEMORY),
                 "There was insufficient video memory to use the\nhardware device.");
    d3d_error_box(D3DERR_NO_ZBUFFER, 2);
    EXPECT_STREQ(d3d_last_error_message(), "No ZBuffer\n\nSwitching to software rasterizer.");
    d3d_error_box(D3DERR_NO_CONFIG_FILE, 0);
    EXPECT_STREQ(d3d_last_error_message(), "Could not create a config file.\n\nyour setings will not be save\n");
}

TEST_F(FrameworkTest, ASoftwareDeviceStartsWithoutTheHardwareFlag)
{
    provider.drivers[0].devices = {RecordingDisplayProvider::software_device("RGB Emulation", D3D_RGB_DEVICE_GUID)};
    ASSERT_EQ(d3d_init_from_config(&context), 1u);
    EXPECT_EQ(context.hw_flag, 0);
    EXPECT_NE(context.device, nullptr);
}

TEST_F(FrameworkTest, AFailedHardwareBuildFallsBackToSoftware)
{
    provider.drivers[0].devices.push_back(
        RecordingDisplayProvider::software_device("RGB Emulation", D3D_RGB_DEVICE_GUID));
    provider.refusals = 1;
    ASSERT_EQ(d3d_init_from_config(&context), 1u);
    EXPECT_EQ(d3d_last_error_code(), D3DERR_NO_3D_DEVICE);
    EXPECT_NE(std::string(d3d_last_error_message()).find("Switching to software rasterizer."), std::string::npos);
    d3d_device* device = nullptr;
    get_selected(nullptr, &device);
    EXPECT_STREQ(device->name, "RGB Emulation");
    EXPECT_EQ(context.hw_flag, 0);
}

TEST_F(FrameworkTest, ADisplayThatCannotStartEndsWithCodeOne)
{
    provider.refuse_create = true;
    host_set_exit_hook([](int code) { throw ExitCalled{code}; });
    try {
        gl_create_device(window, nullptr, 640, 480, 0);
        FAIL() << "the process should have ended";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 1);
    }
    EXPECT_EQ(d3d_last_error_code(), D3DERR_NO_3D_DEVICE);
    EXPECT_EQ(gl_current_device, nullptr);
    window = host_test_hidden_window(); // the failed start destroyed it
}

TEST_F(FrameworkTest, AResizeRebuildReachesEveryUserOfTheDevice)
{
    reset_render_state_cache();
    reset_hw_camera();
    glw_set_reshape_func(hw_camera_reshape);
    gl_device* device = gl_create_device(window, nullptr, 640, 480, 0);
    gl_make_current(device);
    HostRenderDevice* first = device->device;
    ASSERT_EQ(display_3d_device(), first);
    int built_before = provider.created;

    glw_window_proc(window, GLW_WM_SIZE, 0, 600u << 16 | 800);
    EXPECT_EQ(display_ready, 1u);
    EXPECT_EQ(display_active, 1u);
    ASSERT_NE(provider.last, nullptr);
    // A new device was built (its address may be the old one's, freed first).
    EXPECT_EQ(provider.created, built_before + 1);
    EXPECT_EQ(provider.released, built_before);
    EXPECT_EQ(device->device, provider.last);
    EXPECT_EQ(display_3d_device(), provider.last);
    // The new device was given the cached states.
    bool shade_mode_sent = false;
    for (const RecordedCall& c : provider.last->states())
        shade_mode_sent = shade_mode_sent || (c.kind == RecordedCall::RENDER_STATE && c.a == HOST_RS_SHADEMODE);
    EXPECT_TRUE(shade_mode_sent);

    // A rebuild that fails is reported, and nothing draws on released objects.
    provider.refuse_create = true;
    host_clear_messages();
    glw_window_proc(window, GLW_WM_SIZE, 0, 480u << 16 | 640);
    EXPECT_EQ(d3d_last_error_code(), D3DERR_NO_3D_DEVICE);
    EXPECT_EQ(device->device, nullptr);
    EXPECT_EQ(display_3d_device(), nullptr);
    const float xyz[] = {0, 0, -10, 1, 0, -10, 0, 1, -10};
    const uint32_t indices[] = {0, 1, 2};
    gl_vertex_pointer(3, 1, xyz);
    gl_draw_arrays(3, indices);
    gl_clear(GL_CLEAR_COLOUR_BIT);
    gl_swap_buffers();
    HostMessage m{};
    ASSERT_TRUE(host_peek_message(&m)); // the window goes, and with it the program
    EXPECT_EQ(m.id, HOST_WM_QUIT);
    host_clear_messages();
    gl_destroy_device(device);
}

TEST_F(FrameworkTest, PickingAnotherDeviceRebuildsAndSavesAFullScreenChoice)
{
    gl_device* device = gl_create_device(window, nullptr, 640, 480, 0);
    gl_make_current(device);
    int created = provider.created;

    d3d_set_dialog_runner([](D3dDialogState* s) { return d3d_dialog_end(s, DIALOG_OK); });
    gl_reshape_current(); // OK without a change: nothing rebuilt or saved
    EXPECT_EQ(provider.created, created);
    EXPECT_EQ(std::filesystem::file_size(config_path()), 0u);

    d3d_set_dialog_runner([](D3dDialogState* s) {
        d3d_dialog_select(s, DIALOG_MODE_LIST, 2); // "640 x 480 x 32", full screen
        return d3d_dialog_end(s, DIALOG_OK);
    });
    gl_reshape_current();
    d3d_set_dialog_runner(nullptr);
    EXPECT_EQ(provider.created, created + 1);
    EXPECT_EQ(d3d_windowed, 0u);
    EXPECT_EQ(device->device, provider.last);
    EXPECT_EQ(device->full_screen, 1u);
    EXPECT_EQ(display_active, 1u);
    devconfig_record saved{};
    ASSERT_TRUE(devconfig_read(config_path().c_str(), &saved));
    EXPECT_EQ(saved.valid, 1u);
    EXPECT_STREQ(saved.mode, "640 x 480 x 32");
    EXPECT_EQ(saved.windowed, 0u);
    gl_destroy_device(device);
}

TEST_F(FrameworkTest, MinimisingStoresTheSizeButNeitherReadiesNorRebuilds)
{
    display_ready = 0;
    ASSERT_EQ(d3d_init_from_config(&context), 1u);
    int created = provider.created;
    glw_window_proc(window, GLW_WM_SIZE, GLW_SIZE_MINIMIZED, 0);
    EXPECT_EQ(display_ready, 0u);
    EXPECT_EQ(provider.created, created);
}

TEST_F(FrameworkTest, ChoiceRecordsRoundTripAndStayWithinTheirFields)
{
    devconfig_record out{};
    std::strcpy(out.driver, "Some Driver");
    std::strcpy(out.mode, "800 x 600 x 16");
    out.windowed = 1;
    out.valid = 0x01020304;
    ASSERT_TRUE(devconfig_write(config_path().c_str(), &out));
    devconfig_record in{};
    ASSERT_TRUE(devconfig_read(config_path().c_str(), &in));
    EXPECT_STREQ(in.driver, "Some Driver");
    EXPECT_STREQ(in.mode, "800 x 600 x 16");
    EXPECT_EQ(in.windowed, 1u);
    EXPECT_EQ(in.valid, 0x01020304u);
    std::vector<uint8_t> bytes = config_bytes();
    EXPECT_EQ(bytes[92], 4);
    EXPECT_EQ(bytes[95], 1);

    // Strings without terminators are cut at their fields' ends.
    std::ofstream(config_path(), std::ios::binary) << std::string(96, 'A');
    ASSERT_TRUE(devconfig_read(config_path().c_str(), &in));
    EXPECT_EQ(std::strlen(in.driver), 39u);
    EXPECT_EQ(std::strlen(in.mode), 47u);

    std::ofstream(config_path(), std::ios::binary) << std::string(50, 'B');
    EXPECT_FALSE(devconfig_read(config_path().c_str(), &in));
    EXPECT_EQ(in.valid, 0u);

    // A write that cannot be made leaves the record that was there whole.
    ASSERT_TRUE(devconfig_write(config_path().c_str(), &out));
    std::filesystem::create_directory(config_path() + ".new"); // where the new copy would go
    out.valid = 0;
    EXPECT_FALSE(devconfig_write(config_path().c_str(), &out));
    std::filesystem::remove(config_path() + ".new");
    ASSERT_TRUE(devconfig_read(config_path().c_str(), &in));
    EXPECT_EQ(in.valid, 0x01020304u);
}

} // namespace

namespace {

// Textures on a device that wants powers of two, and square ones.
TEST_F(FrameworkTest, TexturesGrowToWhatTheDeviceTakes)
{
    struct Case {
        uint32_t caps, width, height;
    } cases[] = {{0, 100, 60}, {0x2, 128, 64}, {0x2 | 0x20, 128, 128}};
    std::vector<uint32_t> pixels(100 * 60, 0xFF204080);
    const TextureImage image{0, 100, 60, 400, 1, 32, pixels.data()};
    for (const Case& c : cases) {
        provider.drivers[0].devices[0].hardware.tri_texture_caps = HOST_TEXCAPS_PERSPECTIVE | c.caps;
        ASSERT_EQ(d3d_init_from_config(&context), 1u);
        ASSERT_EQ(tex_create_dib("wide.tga", 0, 0, &image), TEX_OK);
        ASSERT_EQ(tex_restore_one("wide.tga", context.device), TEX_OK);
        auto made = provider.last->of_kind(RecordedCall::CREATE_TEXTURE);
        ASSERT_FALSE(made.empty());
        EXPECT_EQ(made.back().b, c.width) << c.caps;
        EXPECT_EQ(made.back().c, c.height) << c.caps;
        auto written = provider.last->of_kind(RecordedCall::WRITE_TEXTURE);
        EXPECT_EQ(written.back().texels.back(), c.width == 100 ? 0x2210 : 0) << "padding is zero";
        tex_destroy_all();
        d3d_destroy_framework();
        free_driver_list();
    }
}

} // namespace
