#include "control_fixture.h"

#include "frontend/competition.h"
#include "frontend/lineup_screen.h"
#include "frontend/team_icon_sets.h"
#include "frontend/team_panels.h"
#include "frontend/team_selection.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/language.h"

#include <string>

namespace {

struct TeamSelection : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_team_choice();
        reset_team_panel();
        reset_team_icon_sets();
        lineup_side = 0;
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.home_team = 2, game_settings.away_team = 6;
        clear_competition_teams();
        // The caricature set as 48 x 48 software sprites, so mascots have a
        // size to point at.
        static std::vector<uint8_t> badge = kit_sw_sprite(48, 48, 24, 24, std::vector<int16_t>(48 * 48, 15));
        set_animation_frames(HANDLE_CARICATURE, std::vector<const void*>(BADGE_FRAME_COUNT, badge.data()));
        prepare_team_selection_screens();
    }
    void TearDown() override
    {
        reset_team_choice();
        reset_team_panel();
        reset_team_icon_sets();
        free_animation_set(HANDLE_CARICATURE);
        Controls::TearDown();
    }
    static constexpr int FADE = ScriptedScreen::FADE_IN_FRAMES;
    // Runs the screen; look sees its frames from the first that takes input.
    static void run(menu_screen* screen, const std::function<void(int)>& look)
    {
        PointerScript::start([&](menu_screen* s, int f) {
            if (s == screen && f >= FADE + 2) look(f - FADE - 1);
        });
        run_front_end_screen(screen);
    }
    static menu_icon* entry(menu_screen& s, int i) { return s.entries[i].copy; }
    static int32_t centre_x(const menu_icon* icon) { return (icon->rect_left + icon->rect_right) / 2; }
    static int32_t centre_y(const menu_icon* icon) { return (icon->rect_top + icon->rect_bottom) / 2; }
    // The runner takes the key (and clears it) on the next frame.
    static void press(int key, int f, int at)
    {
        if (f == at) key_state[key] = 0x80;
    }
};

TEST_F(TeamSelection, ExhibitionOpensOnTheChosenClubsAndOkKeepsThem)
{
    struct Case {
        int8_t type;
        const char* title;
    };
    for (const Case c : {Case{GAME_EXHIBITION, "Exhibition Game - Team Selection"},
                         Case{GAME_TRAINING, "Training - Team Selection"}}) {
        SCOPED_TRACE(c.title);
        game_settings.game_type = c.type;
        competition_state.kinds[4] = KIND_HUMAN, competition_state.order_count = 3;
        run(&team_selection_screen, [&](int f) {
            if (f == 1) {
                menu_screen& s = team_selection_screen;
                EXPECT_EQ(std::string(team_select_state.title), c.title);
                EXPECT_EQ(entry(s, 18)->user_index, 2);
                EXPECT_EQ(entry(s, 19)->user_index, 6);
                EXPECT_EQ(std::string(team_select_state.names[0]), get_text(2));
                EXPECT_EQ(std::string(team_select_state.names[1]), get_text(6));
                EXPECT_EQ(active_icon_table.focus_icon, entry(s, 1)) << "OK has the focus";
                EXPECT_EQ(team_panel.kind, PANEL_TEAM_A);
                EXPECT_EQ(team_panel.x, 100) << "the home side's panel";
                // Each small mascot is its club, centred in its 64 x 64 cell.
                for (int k = 0; k < 16; ++k) {
                    const menu_icon* m = entry(s, 2 + k);
                    EXPECT_EQ(m->user_index, k);
                    EXPECT_NEAR(centre_x(m), scale_x_from_640(75 + 70 * (k % 8) + 32), 1) << k;
                    EXPECT_NEAR(centre_y(m), scale_y_from_480((k < 8 ? 320 : 390) + 32), 1) << k;
                }
            }
            press(KEY_ENTER, f, 3);
        });
        key_state[KEY_ENTER] = 0;
        EXPECT_EQ(front_end_state.result, 1);
        EXPECT_EQ(game_settings.home_team, 2);
        EXPECT_EQ(game_settings.away_team, 6);
        EXPECT_EQ(team_records[0].club, league_team_at(2));
        EXPECT_EQ(team_records[1].club, league_team_at(6));
        EXPECT_EQ(competition_state.kinds[4], KIND_OUT) << "no competition runs";
        EXPECT_EQ(competition_state.order_count, 0u);
        EXPECT_EQ(team_panel.controls, nullptr) << "closing frees the panel";
    }
}

TEST_F(TeamSelection, EnterOnClubsChoosesHomeThenAway)
{
    // The keyboard or a pad: a club for the home side, then one for the
    // away side; the panel goes with the side being chosen.
    menu_screen& s = team_selection_screen;
    run(&s, [&](int f) {
        if (f == 1) set_focus_icon(entry(s, 2 + 11));
        press(KEY_ENTER, f, 3);
        if (f == 5) {
            EXPECT_EQ(game_settings.home_team, 11) << "written into the settings every frame";
            EXPECT_EQ(entry(s, 18)->states[ICON_NORMAL].frame, mascot_frame(11));
            EXPECT_EQ(std::string(team_select_state.names[0]), get_text(11));
            EXPECT_EQ(team_panel.x, 530) << "now the away side";
            set_focus_icon(entry(s, 2 + 4));
        }
        press(KEY_ENTER, f, 7);
        if (f == 9) {
            EXPECT_EQ(game_settings.away_team, 4);
            EXPECT_EQ(team_panel.x, 100) << "back to the home side";
            EXPECT_EQ(team_panel.team, 11);
            front_end_state.result = 2;
        }
    });
    key_state[KEY_ENTER] = 0;
    EXPECT_EQ(game_settings.home_team, 11);
    EXPECT_EQ(game_settings.away_team, 4);
}

TEST_F(TeamSelection, MascotsDroppedOnTheBigMascotsChangeTheSides)
{
    struct Case {
        int club;
        int target; // 18 home, 19 away, -1 the background
        int home, away;
    };
    menu_screen& s = team_selection_screen;
    for (const Case c : {Case{7, 19, 2, 7}, Case{9, 18, 9, 6}, Case{12, -1, 2, 6}}) {
        SCOPED_TRACE(c.club);
        reset_team_choice();
        game_settings.home_team = 2, game_settings.away_team = 6;
        run(&s, [&](int f) {
            if (f != 1) return;
            const menu_icon* m = entry(s, 2 + c.club);
            // Press on the club, grabbing it 5 pixels off its hot spot.
            icon_input.x = m->x + 5, icon_input.y = m->y + 5;
            icon_input.left_down = icon_input.left_pressed = true;
            team_selection_pointer();
            ASSERT_NE(team_select_state.drag_icon, nullptr);
            icon_input.left_pressed = false;
            const menu_icon* to = c.target >= 0 ? entry(s, c.target) : nullptr;
            icon_input.x = (to ? to->x : 10) + 5, icon_input.y = (to ? to->y : 10) + 5;
            team_selection_pointer();
            EXPECT_EQ(team_select_state.drag_icon->x, to ? to->x : 10) << "the drag icon keeps the grab offset";
            icon_input.left_down = false;
            team_selection_pointer();
            EXPECT_EQ(team_select_state.drag_icon, nullptr);
            front_end_state.result = 2;
        });
        EXPECT_EQ(game_settings.home_team, c.home);
        EXPECT_EQ(game_settings.away_team, c.away);
    }
}

// The sliders' callbacks show their club on the open screen's big mascot:
// the chosen side's on the exhibition screen, the pointed club's on the
// season screen.
TEST_F(TeamSelection, SlidersShowTheirClubsOnTheBigMascots)
{
    run(&team_selection_screen, [&](int f) {
        if (f != 1) return;
        menu_screen& s = team_selection_screen;
        team_choice.side = 1;
        set_selection_from_slider(11);
        EXPECT_EQ(entry(s, 18)->user_index, 11);
        EXPECT_EQ(std::string(team_select_state.names[0]), get_text(11));
        team_choice.side = 0;
        set_selection_from_slider(12);
        EXPECT_EQ(entry(s, 19)->user_index, 12);
        EXPECT_EQ(std::string(team_select_state.names[1]), get_text(12));
        front_end_state.result = 2;
    });
    game_settings.game_type = GAME_PREMIERSHIP;
    run(&season_team_select_screen, [&](int f) {
        if (f != 1) return;
        set_panel_team_from_slider(9);
        EXPECT_EQ(entry(season_team_select_screen, 3)->user_index, 9);
        EXPECT_EQ(team_panel.team, 9);
        front_end_state.result = 2;
    });
}

TEST_F(TeamSelection, TheBigMascotsLeadToTheirSidesLineUp)
{
    menu_screen& s = team_selection_screen;
    for (int side : {1, 0}) {
        run(&s, [&](int f) {
            if (f == 1) set_focus_icon(entry(s, 18 + side));
            press(KEY_ENTER, f, 3);
        });
        key_state[KEY_ENTER] = 0;
        EXPECT_EQ(front_end_state.result, 5 + side);
        EXPECT_EQ(lineup_side, side);
    }
}

TEST_F(TeamSelection, SeasonScreenFlipsWhoPlaysEachClub)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    menu_screen& s = season_team_select_screen;
    auto control = [&](int place) { return std::string(entry(s, 20 + place)->text); };
    auto verb = [&](int place) { return std::string(entry(s, 36 + place)->text); };
    run(&s, [&](int f) {
        if (f == 1) {
            EXPECT_EQ(std::string(team_select_state.title), "Premiership Team Select");
            EXPECT_EQ(control(0), "YOU");
            EXPECT_EQ(verb(0), "PLAY");
            EXPECT_EQ(entry(s, 20)->states[ICON_NORMAL].image, FONT_PERSON_PLACE);
            for (int k = 1; k < 16; ++k) {
                EXPECT_EQ(control(k), "CPU");
                EXPECT_EQ(verb(k), "PLAYS");
            }
            EXPECT_EQ(entry(s, 36 + 5)->states[ICON_NORMAL].image, FONT_COMPUTER_PLACE);
            EXPECT_EQ(team_panel.kind, PANEL_TEAM_B);
            EXPECT_EQ(active_icon_table.focus_icon, entry(s, 1));
            // Pointing at a club shows it.
            set_focus_icon(entry(s, 4 + 9));
        }
        if (f == 3) {
            EXPECT_EQ(entry(s, 3)->user_index, 9) << "the big mascot";
            EXPECT_EQ(std::string(team_select_state.names[0]), get_text(9));
            EXPECT_EQ(team_panel.team, 9);
        }
        press(KEY_ENTER, f, 4); // club 9 to a person
        if (f == 6) {
            EXPECT_EQ(control(9), "YOU");
            EXPECT_EQ(verb(9), "PLAY");
            // The right button flips the club under the pointer once a press.
            const menu_icon* m = entry(s, 4 + 3);
            icon_input.x = centre_x(m), icon_input.y = centre_y(m);
            mouse_state.buttons = MOUSE_RIGHT;
        }
        if (f == 10) {
            mouse_state.buttons = 0;
            EXPECT_EQ(control(3), "YOU") << "held for several frames, flipped once";
            set_focus_icon(entry(s, 1));
        }
        press(KEY_ENTER, f, 12);
    });
    key_state[KEY_ENTER] = 0;
    ASSERT_EQ(front_end_state.result, 1);
    for (int t = 0; t < 16; ++t) {
        EXPECT_EQ(competition_state.order[t], t);
        EXPECT_EQ(competition_state.kinds[t], t == 0 || t == 3 || t == 9 ? KIND_HUMAN : KIND_COMPUTER) << t;
    }
    EXPECT_EQ(competition_state.order_count, 16u);
}

TEST_F(TeamSelection, LeavingTheSeasonScreenKeepsTheCompetition)
{
    game_settings.game_type = GAME_PRE_SEASON;
    competition_state.kinds[5] = KIND_HUMAN;
    competition_state.order[0] = 5, competition_state.order_count = 1;
    menu_screen& s = season_team_select_screen;
    run(&s, [&](int f) {
        if (f == 1) {
            EXPECT_EQ(std::string(team_select_state.title), "Pre Season Team Select");
            set_focus_icon(entry(s, 4 + 2));
        }
        press(KEY_ENTER, f, 3);
        press(KEY_ESCAPE, f, 5);
    });
    key_state[KEY_ESCAPE] = key_state[KEY_ENTER] = 0;
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(competition_state.kinds[5], KIND_HUMAN);
    EXPECT_EQ(competition_state.kinds[2], KIND_OUT);
    EXPECT_EQ(competition_state.order_count, 1u);
}

} // namespace
