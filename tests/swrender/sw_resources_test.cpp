// The software match's resources: the kit's data set loads whole and is
// released whole; hostile files are refused before anything reads past them.
#include "sw_fixture.h"

#include "lib/iff_write.h"
#include "lib/sw_write.h"
#include "platform/memory.h"
#include "swrender/sw_resources.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

std::string kit_data_dir()
{
    const char* env = std::getenv("KOB99_DATA_DIR");
    return env && *env ? env : "";
}

class ResourcesTest : public SwTest {
protected:
    int32_t first_block = 0;
    void SetUp() override
    {
        SwTest::SetUp();
        first_block = alloc_count;
    }
    void TearDown() override
    {
        release_sw_match();
        free_tracked_from(first_block); // what a refused load left behind
        reset_sw_display_lists();
        SwTest::TearDown();
    }
    void put_ilbm(const std::string& name, uint32_t w, uint32_t h, uint8_t fill = 1)
    {
        put(name, kit_ilbm(w, h, 8, std::vector<uint8_t>(768, 0), std::vector<uint8_t>(size_t(w) * h, fill)));
    }
};

// The shared sprite file: 11 tables of 256 frames marked with their table.
std::vector<uint8_t> shared_file(int tables = SW_SHARED_TABLES, int wrong_tag_at = -1)
{
    std::vector<KitManFrame> frames;
    for (int t = 0; t < tables; ++t)
        for (int v = 0; v < 256; ++v) {
            KitManFrame f;
            f.tag = uint8_t(t * 256 + v == wrong_tag_at ? t + 1 : t);
            f.width = 2;
            f.height = 2;
            f.texels = {1, 2, 3, 4};
            frames.push_back(f);
        }
    return kit_man_sprites(frames, nullptr);
}

} // namespace

TEST_F(ResourcesTest, TheKitsDataSetLoadsAndIsReleasedWhole)
{
    const std::string kit = kit_data_dir();
    ASSERT_FALSE(kit.empty());
    host_set_data_dir(kit);
    set_up_sw_match(SwMatchChoice{3, 3, 0, 0}, target);

    // The same club both sides: the home kit from "home", the away kit from "away".
    const uint8_t* home = sprite_frame(home_sprite_sets.sets[0], 0);
    const uint8_t* away = sprite_frame(away_sprite_sets.sets[0], 0);
    ASSERT_NE(home, nullptr);
    ASSERT_NE(away, nullptr);
    EXPECT_NE(home_sprite_sets.sets[0].base, away_sprite_sets.sets[0].base);
    // The body's picture in the shirt colour of its side.
    const auto shows = [](const uint8_t* frame, uint8_t colour) {
        return std::count(frame + SW_FRAME_HEADER, frame + SW_FRAME_HEADER + frame[1] * frame[4], colour) > 0;
    };
    EXPECT_TRUE(shows(home, 96 + 2 * 3));
    EXPECT_TRUE(shows(away, 96 + 2 * 3 + 1));
    EXPECT_EQ(home_sprite_sets.sets[2].base, sw_shared_sprite_file);
    EXPECT_NE(sprite_frame(official_sprite_sets.sets[0], 255), nullptr);

    // The grass buffers' guards repeat the far ends.
    EXPECT_EQ(std::memcmp(pitch_texture, pitch_texture + 4 + 16380, 4), 0);
    EXPECT_EQ(std::memcmp(pitch_texture + 4 + 16384, pitch_texture + 4, 4), 0);
    for (uint32_t a : {0u, 1u, 77u, 255u}) EXPECT_EQ(sw_multiply_table[a][255], 0u);
    EXPECT_EQ(sw_multiply_table[3][254], 762u);

    // The pitch mesh gives scales of 3: the outline is 9849 x 6559.
    EXPECT_NEAR(sw_pitch_x_scale, 3.0, 1e-6);
    EXPECT_NEAR(sw_pitch_z_scale, 3.0, 1e-6);
    EXPECT_EQ(ground_outline[4][0], 9849);
    EXPECT_EQ(ground_outline[0][2], 6559);
    EXPECT_EQ(ground_outline[5][1], 75);
    EXPECT_TRUE(sw_stadium_mesh.loaded);
    EXPECT_TRUE(sw_goal_posts.loaded);
    EXPECT_EQ(sw_sky_mesh.flags, MESH_ROWS_ONLY);
    EXPECT_NE(sky_picture, nullptr);
    EXPECT_STREQ(current_palette_file, "palette\\PAL_kob.lbm");
    EXPECT_EQ(display_state.device_ready, 1);
    for (uint8_t* m : marker_textures) EXPECT_NE(m, nullptr);

    release_sw_match();
    EXPECT_EQ(alloc_count, first_block) << "every block is given back";
    EXPECT_EQ(sw_shared_sprite_file, nullptr);
    EXPECT_FALSE(sw_stadium_mesh.loaded);
}

TEST_F(ResourcesTest, HostileSpriteFilesAreRefused)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> cut = shared_file();
    cut.resize(cut.size() - 3);
    const Case cases[] = {
        {"ten tables", shared_file(10)},
        {"a frame of the wrong table", shared_file(SW_SHARED_TABLES, 3 * 256 + 17)},
        {"the last frame cut short", cut},
        {"empty", {0}},
    };
    for (const Case& c : cases) {
        put("sw team gfx/kob.spr", c.bytes);
        EXPECT_THROW(init_sprite_system("sw team gfx\\kob.spr", target, nullptr), GameExit) << c.what;
    }
    put("sw team gfx/kob.spr", shared_file());
    init_sprite_system("sw team gfx\\kob.spr", target, nullptr);
    EXPECT_EQ(ball_sprite_offsets, shared_sprite_offsets[SHARED_BALL]);
    EXPECT_EQ(shared_sprite_offsets[1][0], uint32_t(256 * (SW_FRAME_HEADER + 4)));
}

TEST_F(ResourcesTest, HostileTeamFilesAreRefused)
{
    KitManFrame f;
    f.width = 2;
    f.height = 2;
    f.texels = {5, 6, 7, 8};
    std::vector<uint8_t> spr = kit_man_sprites({f, f}, nullptr);
    std::array<std::array<uint32_t, 256>, 3> good{};
    for (auto& t : good) t.fill(SW_FRAME_HEADER + 4);
    std::array<std::array<uint32_t, 256>, 3> wild = good;
    wild[2][200] = uint32_t(spr.size() - 2);
    std::vector<uint8_t> short_dwd = kit_team_dwd(good);
    short_dwd.resize(3000);
    struct Case {
        const char* what;
        std::vector<uint8_t> dwd;
        size_t palette_bytes;
        int32_t team;
    };
    const Case cases[] = {
        {"a table short", short_dwd, 768, 1},
        {"a frame past the sprite file", kit_team_dwd(wild), 768, 1},
        {"a short palette", kit_team_dwd(good), 700, 1},
        {"no such club", kit_team_dwd(good), 768, 16},
    };
    for (const Case& c : cases) {
        for (const char* side : {"home", "away"}) {
            std::string dir = std::string("sw team gfx/") + team_sprite_dirs[1] + "/spr/CCup/" + side + "/";
            put(dir + "Team.spr", spr);
            put(dir + "Team.dwd", c.dwd);
            put(dir + "Team.pal", std::vector<uint8_t>(c.palette_bytes, 9));
        }
        EXPECT_THROW(load_team_sprites(c.team, 1), GameExit) << c.what;
    }
    for (const char* side : {"home", "away"}) {
        std::string dir = std::string("sw team gfx/") + team_sprite_dirs[1] + "/spr/CCup/" + side + "/";
        put(dir + "Team.dwd", kit_team_dwd(good));
        put(dir + "Team.pal", std::vector<uint8_t>(768, 9));
    }
    load_team_sprites(1, 1);
    EXPECT_EQ(sprite_frame(away_sprite_sets.sets[11], 255)[SW_FRAME_HEADER], 5);
    EXPECT_EQ(team_palettes[1][767], 9);
}

TEST_F(ResourcesTest, PicturesTooSmallAndFlatPitchMeshesAreRefused)
{
    put_ilbm("game_gfx/software/shadow2.lbm", 32, 32);
    uint8_t* shadow = nullptr;
    EXPECT_THROW(load_sw_shadow_texture("game_gfx\\software\\shadow2.lbm", &shadow, shadow_alpha_table), GameExit);
    put_ilbm("game_gfx/software/shadow2.lbm", 64, 64, 3);
    load_sw_shadow_texture("game_gfx\\software\\shadow2.lbm", &shadow, shadow_alpha_table);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow[4095], 3);
    free_mem(shadow);

    put("sw display/gfx/grassy.lbm", std::vector<uint8_t>{'F', 'O', 'R', 'M'});
    EXPECT_THROW(load_sw_pitch_textures(), GameExit);

    // A pitch whose first and third vertices share their x gives no scale.
    KitMesh flat;
    flat.vertices = {{0, 0, 0}, {0, 0, 100}, {0, 0, 200}, {10, 0, 0}};
    flat.faces = {{0, 1, 3}, {1, 2, 3}};
    flat.face_materials = {0};
    flat.materials = {KitMeshMaterial{}};
    std::string text = kit_x_mesh(flat);
    put_text("sw display/mesh/pitch.x", text);
    uint8_t* sky = nullptr;
    EXPECT_THROW(load_sw_meshes(0, "sw display\\gfx\\clouds1.lbm", &sky), GameExit);
}
