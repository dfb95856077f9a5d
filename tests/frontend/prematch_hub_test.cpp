#include "control_fixture.h"

#include "frontend/menu_pages.h"
#include "frontend/pages.h"
#include "frontend/prematch_hub.h"
#include "frontend/settings_screens.h"
#include "gl3d/sprite_sets.h"
#include "league/game_settings.h"
#include "league/team_lineups.h"
#include "match/match_records.h"
#include "platform/language.h"
#include "frontend/lineup_screen.h"
#include "frontend/roles_screen.h"

#include <string>
#include <vector>

namespace {

struct PrematchHub : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_prematch_hub();
        reset_lineups_and_formations();
        game_settings.game_type = GAME_PREMIERSHIP;
        game_settings.home_team = 3, game_settings.away_team = 12;
        match_globals.flow_flags = 0;
    }
    void TearDown() override
    {
        free_animation_set(HANDLE_CARICATURE);
        Controls::TearDown();
    }
    // Where a text of font 1 starts when it is centred on x.
    static int centred_x(const char* text, int x)
    {
        select_font(1);
        return scale_x_from_640(x) - string_width(text) / 2;
    }
};

TEST_F(PrematchHub, OpensOnTheClubsAndStartsWithEnter)
{
    struct Case {
        int8_t type;
        const char* title;
    };
    for (const Case c : {Case{GAME_PREMIERSHIP, "KOB 99"}, Case{GAME_FINAL_8, "KOB - Final 8"}}) {
        SCOPED_TRACE(c.title);
        game_settings.game_type = c.type;
        front_end_state.done = 0;
        menu_screen_entry* e = prematch_hub_screen.entries;
        PointerScript::start([&](menu_screen* s, int f) {
            if (s != &prematch_hub_screen) return;
            if (f == 2) {
                EXPECT_EQ(std::string(prematch_hub_state.title), c.title);
                EXPECT_EQ(e[2].copy->states[ICON_NORMAL].frame, 3);
                EXPECT_EQ(e[3].copy->states[ICON_NORMAL].frame, 12);
                EXPECT_NEAR(e[4].copy->x, centred_x("Home Team", 550), 1);
                EXPECT_NEAR(e[5].copy->x, centred_x("Away Team", 550), 1);
                EXPECT_EQ(active_icon_table.focus_icon, e[15].copy) << "OK has the focus";
            }
            if (f == 3) key_state[KEY_ENTER] = 0x80;
        });
        prematch_hub_page();
        key_state[KEY_ENTER] = 0;
        EXPECT_EQ(front_end_state.result, 1);
        EXPECT_EQ(front_end_state.done, 1);
    }
    EXPECT_EQ(front_end_state.default_action, nullptr) << "closing clears the leave question";
}

TEST_F(PrematchHub, LeavingAsksAndYesAbandonsTheCompetition)
{
    std::vector<std::string> asked;
    int step = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (f != 2) return;
        if (s == &prematch_hub_screen) {
            key_state[KEY_ESCAPE] = 0x80;
            return;
        }
        key_state[KEY_ESCAPE] = 0;
        asked.push_back(message_box_layout.message);
        front_end_state.result = step++ == 0 ? 4 : 3;
    });
    prematch_hub_page();
    EXPECT_EQ(asked.size(), 2u) << "No stayed on the hub, Yes left it";
    EXPECT_EQ(front_end_state.result, 3);
    EXPECT_TRUE(match_globals.flow_flags & 0x80);
    EXPECT_EQ(front_end_state.page, welcome_page);
}

void some_page() {}

TEST_F(PrematchHub, TheLoopRunsTheHubUntilTheRoundStarts)
{
    // A settings visit comes back to the hub; OK then hands back to the
    // competition without ending the front end.
    std::vector<menu_screen*> seen;
    std::vector<int> answers = {8, 2, 1};
    size_t next = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (f != 2 || next >= answers.size()) return;
        seen.push_back(s);
        front_end_state.result = static_cast<uint8_t>(answers[next++]);
    });
    front_end_state.page = some_page;
    run_prematch_screen_loop();
    EXPECT_EQ(seen, (std::vector<menu_screen*>{&prematch_hub_screen, &match_settings_screen, &prematch_hub_screen}));
    EXPECT_EQ(front_end_state.page, some_page);
    EXPECT_EQ(front_end_state.done, 0);

    // Leaving with Yes goes to the welcome menu.
    answers = {0, 3};
    next = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (f != 2) return;
        if (s == &prematch_hub_screen) {
            key_state[KEY_ESCAPE] = 0x80;
            return;
        }
        key_state[KEY_ESCAPE] = 0;
        front_end_state.result = 3;
    });
    front_end_state.page = some_page;
    run_prematch_screen_loop();
    EXPECT_EQ(front_end_state.page, welcome_page);
    EXPECT_TRUE(match_globals.flow_flags & 0x80);
}

} // namespace
