// The table over the kit's own data set (the build's data directory).
#include "fixtures.h"
#include "host/host_test_hooks.h"

#include "model/anim_table.h"
#include "model/skeleton.h"

#include <cstring>

namespace {

class AnimTable : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        host_set_exit_hook(throw_game_exit);
        host_set_data_dir(kit_data_dir());
        use_3d_hardware = 1;
        load_player_model();
        load_animations();
    }
    static void TearDownTestSuite()
    {
        free_animations();
        free_player_model();
        host_set_exit_hook(nullptr);
        host_set_data_dir("");
    }
};

TEST_F(AnimTable, ContactAndReleaseFramesComeFromTheLastMarks)
{
    struct Case {
        int row, contact, release;
    };
    const Case cases[] = {
        {21, 0, 21},  // kick: release at frame 20
        {40, 22, 0},  // chest catch
        {131, 0, 3},  // released in the tackle
        {134, 0, 5},  // 3 at frame 4
        {136, 0, 29}, // 21 is a release mark too
        {142, 8, 0},  // kick along the ground: 27
        {46, 10, 0},  // slap: 20
        {265, 0, 23}, // bumped: 32 spills the ball; the thud 53 and 31 mark nothing
        {193, 0, 0},  // the bounce's 29, 36 and 30 mark nothing
        {264, 0, 0},  // nor does the bump's 28
        {167, 0, 44}, // ball-up throw after a 35
        {239, 14, 0}, // pick-up: 25
        {268, 0, 30}, // two release marks: 32, then 21 later
        {165, 0, 0},  // no marks
        {375, 0, 0},  // 28 marks nothing here
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(animation_table[c.row].contact_frame, c.contact) << c.row;
        EXPECT_EQ(animation_table[c.row].release_frame, c.release) << c.row;
    }
    for (int k = 378; k < 426; ++k) EXPECT_EQ(animation_table[k].contact_frame + animation_table[k].release_frame, 0);
    // 41 (the ball spilled) is a release mark in no script of the table.
    EXPECT_TRUE(is_release_event(41));
}

TEST_F(AnimTable, SharedRowsAndTheirMirrorFlags)
{
    const AnimationRow* t = animation_table;
    EXPECT_EQ(t[341].data, t[338].data);
    EXPECT_EQ(t[338].mirror, 1u);
    EXPECT_EQ(t[341].mirror, 0u); // the flag is the row's, not the data's
    EXPECT_EQ(t[342].data, t[339].data);
    EXPECT_EQ(t[342].mirror, 1u);
    EXPECT_EQ(t[374].data, t[165].data);
    EXPECT_EQ(t[374].mirror, 1u);
    EXPECT_EQ(t[13].data, t[12].data);
    EXPECT_EQ(t[10].data, t[96].data);
    EXPECT_EQ(t[10].owns_data, 0u);
    // Rows that load the same file keep copies of their own.
    EXPECT_NE(t[0].data, t[194].data);
    EXPECT_EQ(t[0].owns_data + t[194].owns_data, 2u);
    EXPECT_NE(t[5].data, t[217].data);
    // Row 51 plays its file as stored but starts on the mirrored side.
    EXPECT_EQ(t[51].mirror, 0u);
    EXPECT_TRUE(t[51].on_start->flags & START_MIRROR_SIDE);
}

TEST_F(AnimTable, LabelsAreTheRowsOwn)
{
    const AnimationRow* t = animation_table;
    EXPECT_STREQ(t[0].label, "L_idlesway");
    EXPECT_STREQ(t[131].label, "L_idlesway"); // but loads L_tackle_idle.paf
    EXPECT_NE(t[131].data, t[0].data);
    EXPECT_EQ(paf_length(t[131].data), 38u * PAF_FRAME_US);
    EXPECT_STREQ(t[10].label, "temp");
    EXPECT_STREQ(t[192].label, "Init_TestAnim");
    EXPECT_STREQ(t[13].label, "L_handball4");
    EXPECT_STREQ(t[378].label, "blend anim for player 0");
    EXPECT_STREQ(t[425].label, "blend anim for player 47");
    EXPECT_STREQ(animation_name(0), "STAND");
    EXPECT_STREQ(animation_name(374), "DATA_TEST");
    EXPECT_EQ(animation_name(375), nullptr);
}

TEST_F(AnimTable, RowsWithoutAnimationAreEmpty)
{
    for (int row : {27, 28, 31, 39, 105, 130, 144, 315, 319, 358, 359, 376}) {
        const AnimationRow& r = animation_table[row];
        EXPECT_EQ(r.data, nullptr) << row;
        EXPECT_EQ(r.on_start, nullptr) << row;
        EXPECT_EQ(r.events, nullptr) << row;
        EXPECT_EQ(r.label[0], 0) << row;
    }
}

TEST_F(AnimTable, OnStartEffectsAndScripts)
{
    struct Case {
        int row, follow, second, katch;
        uint8_t flags;
    };
    const Case cases[] = {
        {220, 273, -1, 221, 0},
        {345, 0, -1, -1, START_STOP | START_STOP_WANTED},
        {150, 0, -1, -1, START_STOP},
        {310, -1, 310, -1, 0},
        {180, -1, -1, -1, 0},
        {122, 0, -1, -1, START_MIRROR_SIDE},
    };
    for (const Case& c : cases) {
        const AnimStartEffect* e = animation_table[c.row].on_start;
        ASSERT_NE(e, nullptr) << c.row;
        EXPECT_EQ(e->follow_on, c.follow) << c.row;
        EXPECT_EQ(e->follow_on_secondary, c.second) << c.row;
        EXPECT_EQ(e->follow_on_catch, c.katch) << c.row;
        EXPECT_EQ(e->flags, c.flags) << c.row;
    }
    const uint8_t* s = animation_table[193].events; // 0*3 29 0*4 36 0*3 30 0*5 1
    const uint8_t want[] = {0, 0, 0, 29, 0, 0, 0, 0, 36, 0, 0, 0, 30, 0, 0, 0, 0, 0, 1, ANIM_SCRIPT_END};
    EXPECT_EQ(std::memcmp(s, want, sizeof want), 0);
    EXPECT_EQ(animation_script(165, nullptr), 246);
}

TEST_F(AnimTable, EveryRowHasAFrameForEachScriptByte)
{
    for (int row = 0; row < ANIM_PLAYED_ROWS; ++row) {
        const AnimationRow& r = animation_table[row];
        if (!r.data) continue;
        EXPECT_EQ(paf_length(r.data), static_cast<uint32_t>(animation_script(row, nullptr)) * PAF_FRAME_US) << row;
        int src = animation_source_row(row);
        if (src >= 0) {
            EXPECT_NE(animation_file(src), nullptr) << row << " shares a row that loads nothing";
        }
    }
}

TEST_F(AnimTable, FreeReleasesOwnedDataOnce)
{
    free_animations();
    for (const AnimationRow& r : animation_table) EXPECT_EQ(r.data, nullptr);
    free_animations(); // a second release finds nothing left
    load_animations();
    EXPECT_NE(animation_table[0].data, nullptr);
}

} // namespace
