// A whole software frame of a posed scene from the kit's data set: the
// ground, the pitch, its pieces and a ring marker, the sky, the stadium and
// posts, and men of both teams with an umpire and the loose ball, all into a
// screen with poison rows below it. Checked by one hash; the frame is also
// written as a screenshot beside the test program.
#include "sw_fixture.h"

#include "lib/image_write.h"
#include "platform/memory.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_pitch.h"
#include "swrender/sw_resources.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

void pose_man(sw_bone_record bones[16], float x, float z, double turn)
{
    const float heights[16] = {90, 80, 45, 5, 80, 45, 5, 130, 170, 150, 120, 95, 150, 120, 95, 100};
    const float sides[16] = {0, -10, -10, -10, 10, 10, 10, 0, 0, -20, -22, -24, 20, 22, 24, 30};
    for (int b = 0; b < 16; ++b) {
        bones[b].x = x + float(sides[b] * std::cos(turn));
        bones[b].y = heights[b];
        bones[b].z = z + float(sides[b] * std::sin(turn));
        make_rotation_matrix_xyz(0, int32_t(turn * 16384 / (2 * M_PI)), 0, bones[b].m);
    }
}

uint64_t draw_scene(Surface* target, bool write_shot)
{
    uint8_t* screen = target->pixels.data();
    for (int y = 0; y < 480; ++y) std::memset(screen + size_t(y) * target->pitch, 0, 640);
    camera_globals = CameraGlobals{0, 420, -3200, 700, 300, 50.0, 686.0};

    draw_sw_ground_objects(screen, pitch_texture + 4, ground_texture + 4);
    draw_sw_pitch(screen);
    draw_pitch_lines(screen);
    draw_sw_ground(screen, 400, -1200, 60, 60, 100);
    draw_sw_extra(screen, sky_picture);
    draw_sw_meshes();

    sw_bone_record bones[16];
    const struct {
        float x, z;
        double turn;
        const sprite_set_table* sets;
        int kind;
    } men[] = {
        {-300, -1500, 0.0, &home_sprite_sets, 0}, {200, -1200, 1.2, &away_sprite_sets, 1},
        {600, -900, 2.5, &home_sprite_sets, 0},   {-700, -600, 4.0, &away_sprite_sets, 0},
        {100, -2200, 5.5, &official_sprite_sets, 0},
    };
    for (const auto& m : men) {
        pose_man(bones, m.x, m.z, m.turn);
        add_sw_display_entry(bones, m.sets, 65536, m.kind);
    }
    double ball[9];
    make_rotation_matrix_xyz(1000, 2000, 3000, ball);
    place_sw_object(ball_sprite_offsets, -100, 30, -1700, ball);
    display_3D_man();

    if (write_shot) {
        KitPicture shot = kit_picture(640, 480);
        for (uint32_t y = 0; y < 480; ++y)
            for (uint32_t x = 0; x < 640; ++x) shot.at(x, y) = screen[size_t(y) * target->pitch + x];
        std::vector<uint32_t> palette(256);
        for (int i = 0; i < 256; ++i)
            palette[size_t(i)] = uint32_t(display_palette[i].red) << 16 | uint32_t(display_palette[i].green) << 8 | display_palette[i].blue;
        const char* dir = std::getenv("KOB_TEST_SCRATCH");
        std::string path = std::string(dir ? dir : ".") + "/sw_frame.bmp";
        std::vector<uint8_t> bmp = kit_bmp(shot, 8, palette);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
        if (const char* keep = std::getenv("KOB_SW_FRAME_OUT"))
            std::ofstream(keep, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
    }
    return screen_hash(target);
}

} // namespace

TEST_F(SwTest, AWholeFrameOfAPosedScene)
{
    const char* kit = std::getenv("KOB99_DATA_DIR");
    ASSERT_TRUE(kit && *kit);
    host_set_data_dir(kit);
    int32_t first = alloc_count;
    set_up_sw_match(SwMatchChoice{2, 7, 0, 1}, target);

    uint64_t hash = draw_scene(target, true);
    EXPECT_TRUE(guards_whole());
    // Every part of the scene left its mark.
    EXPECT_GT(count_pixels(SW_LINE_COLOUR), 0) << "the pitch lines";
    EXPECT_GT(count_pixels(96 + 2 * 2), 0) << "the home kit";
    EXPECT_GT(count_pixels(96 + 2 * 7 + 1), 0) << "the away kit";
    EXPECT_GT(count_pixels(160), 0) << "the umpire";
    EXPECT_GT(count_pixels(162), 0) << "the ball";
    // The same scene again draws the same frame.
    EXPECT_EQ(draw_scene(target, false), hash);
    // The frame itself.
    EXPECT_EQ(hash, 0xa27229ac3fd34860ull) << std::hex << hash;

    release_sw_match();
    reset_sw_display_lists();
    EXPECT_EQ(alloc_count, first);
}
