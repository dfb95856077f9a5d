// The attach helpers that put a controller on a man: both links, the man's
// driven mark and the team's count of human controllers.
#include "front_end_fixture.h"

#include "match/match_records.h"

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

} // namespace
