// Fixtures of the software renderer's tests: a data directory of their own,
// fatal errors that throw, the 640 x 480 screen format, the camera at the
// origin looking along +z, and an 8-bit target whose rows below the screen
// are poison bytes that nothing may touch.
#pragma once

#include "gl3d/angle_maths.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "platform/app_state.h"
#include "screen/screen.h"
#include "gl3d/camera_globals.h"
#include "swrender/sw_device.h"
#include "swrender/sw_display_state.h"
#include "swrender/sw_resources.h"
#include "swrender/x_mesh.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

struct GameExit {
    int code;
};
inline void throw_game_exit(int code) { throw GameExit{code}; }

constexpr uint8_t POISON = 0xA5;
constexpr int32_t GUARD_ROWS = 16;

class SwTest : public ::testing::Test {
protected:
    std::string dir;
    Surface* target = nullptr;

    void SetUp() override
    {
        static std::atomic<int> n{0};
        dir = (std::filesystem::temp_directory_path() / ("kob_sw_" + std::to_string(getpid()) + "_" + std::to_string(n++)))
                  .string();
        std::filesystem::create_directories(dir);
        host_set_data_dir(dir);
        host_set_exit_hook(throw_game_exit);
        app_active = 1; // the set-up pumps messages, which waits while the game is away
        app_suspended = 0;
        init_screen_format(0);
        build_sincos_table();
        build_multiply_table();
        camera_globals = CameraGlobals{0, 0, 0, 0, 0, 50.0, 686.0};
        set_sw_display_services(nullptr);
        reset_display_state(nullptr, 0, 0);
        d3d_meshes_on = 1;
        // A grey ramp palette with a few pure colours, for the nearest-colour matches.
        for (int i = 0; i < 256; ++i) display_palette[i] = PaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        display_palette[200] = PaletteEntry{255, 0, 0, 0};
        display_palette[201] = PaletteEntry{0, 255, 0, 0};
        display_palette[202] = PaletteEntry{0, 0, 255, 0};
        target = surface_new(640, 480 + GUARD_ROWS, 8, 0, 0, 0, 0);
        std::fill(target->pixels.begin(), target->pixels.end(), POISON);
        sw_device_create(target, 0);
    }
    void TearDown() override
    {
        surface_delete(target);
        reset_display_state(nullptr, 0, 0);
        set_sw_display_services(nullptr);
        d3d_meshes_on = 0;
        host_set_exit_hook(nullptr);
        host_set_data_dir("");
        std::filesystem::remove_all(dir);
    }
    void put(const std::string& rel, const std::vector<uint8_t>& bytes)
    {
        std::filesystem::path p = std::filesystem::path(dir) / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void put_text(const std::string& rel, const std::string& text) { put(rel, std::vector<uint8_t>(text.begin(), text.end())); }
    uint8_t pixel(int x, int y) const { return target->pixels[size_t(y) * target->pitch + x]; }
    void clear_screen(uint8_t value)
    {
        for (int y = 0; y < 480; ++y) std::fill_n(target->pixels.begin() + ptrdiff_t(y) * target->pitch, 640, value);
    }
    bool guards_whole() const
    {
        for (size_t i = size_t(480) * target->pitch; i < target->pixels.size(); ++i)
            if (target->pixels[i] != POISON) return false;
        return true;
    }
    int count_pixels(uint8_t value) const
    {
        int n = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) n += pixel(x, y) == value;
        return n;
    }
};

// FNV-1a of the 640 x 480 screen.
inline uint64_t screen_hash(const Surface* s)
{
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            h ^= s->pixels[size_t(y) * s->pitch + x];
            h *= 1099511628211ull;
        }
    return h;
}
