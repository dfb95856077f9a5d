#include "control_fixture.h"

#include "frontend/competition.h"
#include "frontend/competition_teams.h"
#include "frontend/final8_screen.h"
#include "frontend/team_icon_sets.h"
#include "frontend/team_panels.h"
#include "frontend/team_selection.h"
#include "league/game_settings.h"
#include "platform/language.h"

#include <string>

namespace {

struct Final8Screen : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_team_choice();
        reset_team_panel();
        reset_team_icon_sets();
        reset_final8_screen();
        game_settings.game_type = GAME_FINAL_8;
        clear_competition_teams();
        static std::vector<uint8_t> badge = kit_sw_sprite(48, 48, 24, 24, std::vector<int16_t>(48 * 48, 15));
        set_animation_frames(HANDLE_CARICATURE, std::vector<const void*>(BADGE_FRAME_COUNT, badge.data()));
        prepare_final8_screen();
    }
    void TearDown() override
    {
        reset_final8_screen();
        reset_team_choice();
        reset_team_panel();
        reset_team_icon_sets();
        free_animation_set(HANDLE_CARICATURE);
        Controls::TearDown();
    }
    static constexpr int FADE = ScriptedScreen::FADE_IN_FRAMES;
    static void run(const std::function<void(int)>& look)
    {
        PointerScript::start([&](menu_screen* s, int f) {
            if (s == &final8_screen && f >= FADE + 2) look(f - FADE - 1);
        });
        run_front_end_screen(&final8_screen);
    }
    static menu_icon* entry(int i) { return final8_screen.entries[i].copy; }
    static menu_icon* mascot(int place) { return entry(4 + place); }
    static std::string control(int place) { return entry(20 + place)->text; }
    static std::string verb(int place) { return entry(31 + place)->text; }
    // A press at a mascot, a move to (x, y) and a release there.
    static void drag(int place, int x, int y)
    {
        const menu_icon* m = mascot(place);
        icon_input.x = m->x, icon_input.y = m->y;
        icon_input.left_down = icon_input.left_pressed = true;
        final8_pointer();
        icon_input.left_pressed = false;
        icon_input.x = x, icon_input.y = y;
        final8_pointer();
        icon_input.left_down = false;
        final8_pointer();
    }
};

TEST_F(Final8Screen, OpensWithTheFirstClubPlayedByAPerson)
{
    run([&](int f) {
        if (f != 1) return;
        EXPECT_EQ(control(0), "YOU");
        EXPECT_EQ(verb(0), "PLAY");
        EXPECT_EQ(entry(20)->states[ICON_FOCUSED].image, FONT_PERSON_PLACE);
        for (int k = 1; k < 8; ++k) {
            EXPECT_EQ(control(k), "CPU");
            EXPECT_EQ(verb(k), "PLAYS");
        }
        for (int p = 0; p < 16; ++p) EXPECT_EQ(mascot(p)->user_index, p);
        EXPECT_EQ(team_panel.kind, PANEL_TEAM_B);
        EXPECT_EQ(team_panel.x, 157);
        EXPECT_EQ(team_panel.y, 200);
        EXPECT_EQ(active_icon_table.focus_icon, entry(2));
        front_end_state.result = 2;
    });
    // Afterwards the shared mascots follow the sliders' rules.
    EXPECT_NE(team_mascot_templates[5].states[ICON_CLICKED].handler, nullptr);
    EXPECT_EQ(team_mascot_templates[5].states[ICON_NORMAL].handler, nullptr);
}

TEST_F(Final8Screen, TheMouseClicksFlipsAndDragsBetweenPlaces)
{
    run([&](int f) {
        if (f != 1) return;
        // A click on a finalist flips who plays it and nothing else.
        drag(2, mascot(2)->x, mascot(2)->y);
        EXPECT_EQ(control(2), "YOU");
        EXPECT_EQ(final8_state.teams[2], 2);
        EXPECT_EQ(mascot(2)->states[ICON_NORMAL].frame, mascot_frame(2));
        // Pressing also shows the club.
        EXPECT_EQ(entry(3)->user_index, 2);
        EXPECT_EQ(std::string(final8_state.name), get_text(2));
        // A finalist dropped on a club of the lower row changes places with
        // it; the lower club takes the finalist's rank and control.
        drag(0, mascot(11)->x + 3, mascot(11)->y + 3);
        EXPECT_EQ(final8_state.teams[0], 11);
        EXPECT_EQ(final8_state.teams[11], 0);
        EXPECT_EQ(mascot(0)->user_index, 11);
        EXPECT_EQ(control(0), "CPU") << "club 11's control came up";
        EXPECT_EQ(team_choice.computer[11], 1) << "club 0 went down with the control its press flipped";
        // A drop on the background keeps the clubs; the press's flip stays.
        drag(5, 600, 20);
        EXPECT_EQ(final8_state.teams[5], 5);
        EXPECT_EQ(control(5), "YOU");
        EXPECT_EQ(final8_state.drag_icon, nullptr);
        front_end_state.result = 2;
    });
}

TEST_F(Final8Screen, EnterExchangesTwoPlacesAndOkWritesTheFirstWeek)
{
    run([&](int f) {
        if (f == 1) set_focus_icon(mascot(3));
        if (f == 3) key_state[KEY_ENTER] = 0x80; // place 3 picked, its control flipped
        if (f == 5) set_focus_icon(mascot(14));
        if (f == 7) key_state[KEY_ENTER] = 0x80; // exchanged with place 14
        if (f == 9) {
            EXPECT_EQ(final8_state.teams[3], 14);
            EXPECT_EQ(final8_state.teams[14], 3);
            EXPECT_EQ(control(3), "CPU") << "place 14's control came up";
            // The right button flips once a press.
            icon_input.x = (mascot(6)->rect_left + mascot(6)->rect_right) / 2;
            icon_input.y = (mascot(6)->rect_top + mascot(6)->rect_bottom) / 2;
            mouse_state.buttons = MOUSE_RIGHT;
        }
        if (f == 13) {
            mouse_state.buttons = 0;
            EXPECT_EQ(control(6), "YOU");
            set_focus_icon(entry(2));
        }
        if (f == 15) key_state[KEY_ENTER] = 0x80;
    });
    ASSERT_EQ(front_end_state.result, 1);
    // Places 0..7 hold clubs 0, 1, 2, 14, 4, 5, 6, 7.
    const int8_t pairs[4][2] = {{14, 4}, {2, 5}, {1, 6}, {0, 7}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(competition_state.fixtures[i][0], pairs[i][0]) << i;
        EXPECT_EQ(competition_state.fixtures[i][1], pairs[i][1]) << i;
    }
    const int order[8] = {0, 1, 2, 14, 4, 5, 6, 7};
    ASSERT_EQ(competition_state.order_count, 8u);
    for (int p = 0; p < 8; ++p) {
        EXPECT_EQ(competition_state.order[p], order[p]);
        const bool human = order[p] == 0 || order[p] == 6;
        EXPECT_EQ(competition_state.kinds[order[p]], human ? KIND_HUMAN : KIND_COMPUTER) << order[p];
    }
    EXPECT_EQ(competition_state.kinds[3], KIND_OUT);
    EXPECT_EQ(std::string(final8_state.control_names[6]), "Human");
    EXPECT_EQ(std::string(final8_state.control_names[3]), "CPU");
}

} // namespace
