#include "front_end_fixture.h"

#include "frontend/victory_screen.h"
#include "match/match_hooks.h"

#include <string>
#include <vector>

namespace {

std::vector<int32_t> g_phrases;
void record_phrase(int32_t event, int32_t, int32_t, int32_t, int32_t, int32_t delay)
{
    g_phrases.push_back(event);
    g_phrases.push_back(delay);
}

struct Victory : FrontEnd {
    MatchHooks saved_hooks{};
    void SetUp() override
    {
        FrontEnd::SetUp();
        saved_hooks = match_hooks;
        match_hooks.commentate = record_phrase;
        g_phrases.clear();
        reset_victory_screen();
    }
    void TearDown() override
    {
        match_hooks = saved_hooks;
        reset_victory_screen();
        FrontEnd::TearDown();
    }
};

// Each kind: its background, its message, its competition line; the
// winner's lines and badge; every text centred on x 200; Continue plays on.
TEST_F(Victory, TheWinnersLinesAndBadgeOverTheKindsBackground)
{
    const struct {
        int32_t kind, team;
        const char* picture;
        const char* message;
        const char* competition;
        std::vector<int32_t> phrases;
    } cases[] = {
        {VICTORY_PRE_SEASON, 3, "front_en\\front_end_gfx\\menu_screens\\hw\\Win_pre_season.tga",
         "The Premiership awaits ....", "Pre-Season Cup Champions", {}},
        {VICTORY_PREMIERSHIP, 15, "front_en\\front_end_gfx\\menu_screens\\hw\\Win_premiership.tga",
         "A superlative win! Well Done!", "Premiership Champions", {271, 500}},
    };
    for (const auto& c : cases) {
        g_phrases.clear();
        std::vector<std::string> texts;
        int32_t badge_frame = -1, worst_offset = 0;
        PointerScript::start([&](menu_screen* s, int f) {
            if (s != &victory_screen || f != 2) return;
            for (int32_t i = 0; i < victory_screen.count; ++i) {
                const menu_icon* icon = victory_screen.entries[i].copy;
                if (!icon->text) {
                    badge_frame = icon->states[ICON_NORMAL].frame;
                    continue;
                }
                texts.emplace_back(icon->text);
                const int32_t centre = (icon->rect_left + icon->rect_right) / 2;
                worst_offset = std::max(worst_offset, std::abs(centre - scale_x_from_640(200)));
            }
            key_state[KEY_ENTER] = 0x80; // Continue has the focus
        });
        run_victory_screen(c.kind, c.team);
        EXPECT_EQ(front_end_state.result, 1);
        EXPECT_STREQ(victory_screen.pictures[1], c.picture);
        EXPECT_EQ(badge_frame, c.team);
        ASSERT_EQ(texts.size(), 7u);
        EXPECT_EQ(texts[1], victory_club_lines[c.team]);
        EXPECT_EQ(texts[2], victory_nickname_lines[c.team]);
        EXPECT_EQ(texts[4], c.competition);
        EXPECT_EQ(texts[5], c.message);
        EXPECT_LE(worst_offset, 1) << "every text centred on x 200";
        EXPECT_EQ(g_phrases, c.phrases) << "the premiership's cheer, half a second on";
    }
}

TEST_F(Victory, TheBackgroundFollowsTheKindAlone)
{
    victory_texts.kind = VICTORY_PREMIERSHIP;
    victory_screen_background();
    EXPECT_STREQ(victory_screen.pictures[0], "front_en\\front_end_gfx\\menu_screens\\sw\\Win_premiership.lbm");
    victory_texts.kind = VICTORY_PRE_SEASON;
    victory_screen_background();
    EXPECT_STREQ(victory_screen.pictures[0], "front_en\\front_end_gfx\\menu_screens\\sw\\Win_pre_season.lbm");
    EXPECT_EQ(g_phrases.size(), 0u);
    EXPECT_EQ(victory_texts.message[0], 0) << "only the pictures change";
}

} // namespace
