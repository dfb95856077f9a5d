// The attach helpers that put a controller on a man: both links, the man's
// driven mark and the team's count of human controllers.
#include "front_end_fixture.h"

#include "display/replay.h"
#include "gl3d/sprite_sets.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <filesystem>

#include <memory>

namespace {

struct Attach : ::testing::Test {
    void SetUp() override
    {
        team = std::make_unique<TeamRecord>();
        for (PlayerSlot& s : team->slots) s.team = team.get();
    }
    std::unique_ptr<TeamRecord> team;
    controller_record pads[3]{};
};

TEST_F(Attach, AControllerAndAManAreLinkedBothWaysAndCounted)
{
    PlayerSlot& man = team->slots[5];
    EXPECT_TRUE(attach_to_slot(&pads[0], &man));
    EXPECT_EQ(static_cast<void*>(man.contest_group), static_cast<void*>(&pads[0]));
    EXPECT_EQ(pads[0].men[0], &man);
    EXPECT_TRUE(man.man_flags & MAN_IN_CONTEST);
    EXPECT_EQ(team->human_count, 1);
    EXPECT_FALSE(attach_to_slot(&pads[1], &man)) << "a man with a controller takes no second";
    EXPECT_EQ(static_cast<void*>(man.contest_group), static_cast<void*>(&pads[0]));
    EXPECT_EQ(pads[1].men[0], nullptr);
    EXPECT_EQ(team->human_count, 1);
    EXPECT_FALSE(attach_to_slot(nullptr, &team->slots[6]));
    EXPECT_FALSE(attach_to_slot(&pads[1], nullptr));
}

TEST_F(Attach, TheTeamsCountAnswersFalseFromItsThirtyFirst)
{
    team->human_count = 29;
    EXPECT_TRUE(attach_to_slot(&pads[0], &team->slots[0]));
    EXPECT_FALSE(attach_to_slot(&pads[1], &team->slots[1])) << "the 31st is linked but answered false";
    EXPECT_EQ(team->human_count, 31);
    EXPECT_EQ(pads[1].men[0], &team->slots[1]);
}

TEST_F(Attach, TheTeamHelperTakesTheFirstManWithoutAController)
{
    attach_to_slot(&pads[0], &team->slots[0]);
    EXPECT_TRUE(attach_to_team_slot(team.get(), &pads[1]));
    EXPECT_EQ(pads[1].men[0], &team->slots[1]);
    EXPECT_EQ(team->human_count, 2);
    for (int i = 2; i < TEAM_SLOTS; ++i) attach_to_slot(&pads[2], &team->slots[i]);
    controller_record late{};
    EXPECT_FALSE(attach_to_team_slot(team.get(), &late)) << "all 24 have controllers";
    EXPECT_EQ(late.men[0], nullptr);
    EXPECT_FALSE(attach_to_team_slot(nullptr, &late));
    EXPECT_FALSE(attach_to_team_slot(team.get(), nullptr));
}

TEST_F(FrontEnd, ResourcesLoadOnceAndAreReleasedOnce)
{
    reset_sprite_sets(); // sets other tests left behind take no slot from this one
    load_front_end_resources();
    ASSERT_EQ(front_end_loaded, 1);
    const uint8_t* buffer = sprite_scaling_buffer;
    const int32_t common = animation_handles[HANDLE_COMMON];
    ASSERT_NE(buffer, nullptr);
    ASSERT_GE(common, 0);
    load_front_end_resources();
    EXPECT_EQ(sprite_scaling_buffer, buffer) << "a second load takes nothing more";
    EXPECT_EQ(animation_handles[HANDLE_COMMON], common);
    front_end_shutdown();
    EXPECT_EQ(front_end_loaded, 0);
    EXPECT_EQ(sprite_scaling_buffer, nullptr);
    EXPECT_EQ(animation_handles[HANDLE_COMMON], -1);
    front_end_shutdown(); // nothing is freed twice
    EXPECT_EQ(front_end_loaded, 0);
}

// The replay size read at start-up is kept within what the replay screen
// can set: at least 1 MB and at most 8 MB.
TEST_F(FrontEnd, TheSetUpKeepsTheStoredReplaySizeWithinTheScreensRange)
{
    const std::string own = host_user_dir() + "/resources-setup-user";
    std::filesystem::remove_all(own);
    std::filesystem::create_directories(own);
    host_set_user_dir(own);
    const settings_record kept = user_settings;
    const struct {
        uint32_t stored, used;
    } cases[] = {{512u << 10, 1u << 20}, {3u << 20, 3u << 20}, {64u << 20, 8u << 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        settings_record r{};
        default_settings(r);
        r.replay_buffer_size = c.stored;
        ASSERT_TRUE(save_settings(r));
        front_end_setup();
        EXPECT_EQ(user_settings.replay_buffer_size, c.used);
        EXPECT_EQ(replay_buffer.capacity, c.used / (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
        free_replay_node();
    }
    user_settings = kept;
    host_set_user_dir("");
    std::filesystem::remove_all(own);
}

} // namespace
