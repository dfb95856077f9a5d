// Fixtures for the animation tests: a data directory of their own, fatal
// errors that throw, and a small player model and animations made with the
// kit's writers.
#pragma once

#include "host/host_test_hooks.h"
#include "lib/paf_writer.h"
#include "lib/tca_writer.h"
#include "model/paf.h"
#include "platform/app_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// The data set the build's kit made (the test environment names it; without
// it, the data directory beside the build's tests).
inline std::string kit_data_dir()
{
    const char* env = std::getenv("KOB99_DATA_DIR");
    return env && *env ? env : std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/../data";
}

struct GameExit {
    int code;
};
inline void throw_game_exit(int code) { throw GameExit{code}; }

// A fresh data directory for the test's files; the exit hook throws.
class DataDirTest : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        static std::atomic<int> n{0};
        dir = (std::filesystem::temp_directory_path() /
               ("kob_anim_" + std::to_string(getpid()) + "_" + std::to_string(n++)))
                  .string();
        std::filesystem::create_directories(dir);
        host_set_data_dir(dir);
        host_set_exit_hook(throw_game_exit);
        use_3d_hardware = 1;
    }
    void TearDown() override
    {
        host_set_exit_hook(nullptr);
        host_set_data_dir("");
        std::filesystem::remove_all(dir);
    }
    void put(const std::string& rel, const std::vector<uint8_t>& bytes)
    {
        std::filesystem::path p = std::filesystem::path(dir) / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    }
};

// A model of 16 meshes, one per attach point, each with the pivot given.
inline TcaFileData skeleton_model(const float pivots[16][3])
{
    static const char* const names[16] = {"VICON01", "LFEMUR", "LTIBIA",   "LFOOT",   "RFEMUR", "RTIBIA",
                                          "RFOOT",   "THORAX", "HEAD",     "LHUMERUS", "LRADIUS", "LHAND",
                                          "RHUMERUS", "RRADIUS", "RHAND",  "WEAPON"};
    TcaFileData f;
    for (int j = 0; j < 16; ++j) {
        TcaMeshData m;
        m.texture = "PLAYER.TGA";
        m.name = names[j];
        m.node_name = names[j];
        for (int c = 0; c < 3; ++c) m.vectors[3][c] = pivots[j][c];
        m.vertices = {{0, 0, 0}};
        f.meshes.push_back(m);
    }
    return f;
}

// Pivots of a simple man: hips and shoulders out to the sides, hands hanging.
inline const float (*simple_pivots())[3]
{
    static const float p[16][3] = {{0, 100, 0},  {-10, 0, 0}, {0, -40, 0}, {0, -40, 0}, {10, 0, 0}, {0, -40, 0},
                                   {0, -40, 0},  {0, 10, 0},  {0, 50, 0},  {-20, 40, 0}, {0, -30, 0}, {0, -25, 0},
                                   {20, 40, 0},  {0, -30, 0}, {0, -25, 0}, {0, 0, 10}};
    return p;
}

// An animation of 16 tracks with `frames` + 1 keys a track: identity
// rotations, root position keys (travel x, height, travel z) of zero.
inline PafFileData still_animation(int frames, uint8_t root_motion)
{
    PafFileData f;
    f.root_motion = root_motion;
    f.tracks.resize(16);
    for (int k = 0; k <= frames; ++k) {
        uint32_t t = static_cast<uint32_t>(k) * PAF_FRAME_US;
        for (auto& tr : f.tracks) tr.rot.push_back({t, 1, 0, 0, 0});
        f.tracks[0].pos.push_back({t, 0, 0, 0});
    }
    return f;
}

inline PafAnimation* parse_or_fail(const std::vector<uint8_t>& bytes)
{
    const char* why = nullptr;
    PafAnimation* a = parse_paf(bytes.data(), static_cast<uint32_t>(bytes.size()), &why);
    EXPECT_NE(a, nullptr) << (why ? why : "");
    return a;
}
