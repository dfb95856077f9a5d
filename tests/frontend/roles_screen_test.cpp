#include "control_fixture.h"

#include "frontend/break_menus.h"
#include "frontend/lineup_screen.h"
#include "frontend/menu_pages.h"
#include "frontend/roles_screen.h"
#include "frontend/team_panels.h"
#include "league/team_lineups.h"
#include "match/match_records.h"

#include <string>
#include <vector>

namespace {

// The drops by the roles' rules, on a screen state set by hand: roles 1-7
// held by players 10-16 (icons 0-6), men on the ground 20-32 (icons 7-19),
// the bench 40-43 (icons 20-23).
TEST(RoleDrops, FollowTheRules)
{
    struct Case {
        const char* what;
        int source, target;
        bool accepted;
        std::vector<std::pair<int, int>> after; // icon, player
        int role7_hidden = 0; // after the drop
        std::vector<std::pair<int, int>> before = {};
    };
    const std::vector<Case> cases = {
        {"role 1 onto a man exchanges", 0, 7, true, {{0, 20}, {7, 10}}},
        {"a man onto role 3 exchanges", 8, 2, true, {{2, 21}, {8, 12}}},
        {"role 2 onto role 5 exchanges", 1, 4, true, {{1, 14}, {4, 11}}},
        {"the bench onto role 1: nothing", 20, 0, false, {{0, 10}, {20, 40}}},
        {"the bench onto a man: nothing", 20, 7, false, {{7, 20}, {20, 40}}},
        {"role 1 onto the bench: refused", 0, 20, false, {{0, 10}, {20, 40}}},
        {"role 6 onto the bench takes him", 5, 20, true, {{5, 40}, {20, 40}}},
        {"role 6 onto a man takes him", 5, 9, true, {{5, 22}, {9, 22}}},
        {"role 6 onto role 7's man: refused", 5, 7, false, {{5, 15}}, 0, {{7, 16}}},
        {"a man onto role 6", 7, 5, true, {{5, 20}, {7, 20}}},
        {"role 7's man onto role 6 from elsewhere: refused", 7, 5, false, {{5, 15}}, 0, {{7, 16}}},
        {"role 7 onto role 6 exchanges", 6, 5, true, {{5, 16}, {6, 15}}},
        {"role 6 onto role 7 exchanges", 5, 6, true, {{5, 16}, {6, 15}}},
        {"role 6 onto a hidden role 7: refused", 5, 6, false, {{5, 15}, {6, -1}}, 1, {{6, -1}}},
        {"a man onto a hidden role 7 shows it", 7, 6, true, {{6, 20}, {7, 20}}, 0, {{6, -1}}},
        {"the bench onto role 7", 21, 6, true, {{6, 41}}},
        {"role 7 let go on nothing is emptied", 6, -1, true, {{6, -1}}, 1},
        {"role 1 let go on nothing stays", 0, -1, false, {{0, 10}}},
    };
    for (const Case& c : cases) {
        reset_roles_screen();
        for (int k = 0; k < ROLE_ICONS; ++k) roles_state.players[k] = 10 + k;
        for (int i = 0; i < 13; ++i) roles_state.players[ROLE_ICON_FIRST_PLAYER + i] = 20 + i, roles_state.kinds[ROLE_ICON_FIRST_PLAYER + i] = 1;
        for (int b = 0; b < 4; ++b) roles_state.players[20 + b] = 40 + b, roles_state.kinds[20 + b] = 9;
        for (int b = 4; b < 6; ++b) roles_state.players[20 + b] = -1;
        for (auto [icon, player] : c.before) roles_state.players[icon] = player;
        roles_state.role7_hidden = roles_state.players[6] < 0;
        EXPECT_EQ(drop_role_player(c.source, c.target), c.accepted) << c.what;
        for (auto [icon, player] : c.after) EXPECT_EQ(roles_state.players[icon], player) << c.what << ", icon " << icon;
        EXPECT_EQ(roles_state.role7_hidden, c.role7_hidden) << c.what;
    }
    reset_roles_screen();
}

struct RolesScreen : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_roles_screen();
        reset_lineup_screen();
        reset_team_panel();
        reset_lineups_and_formations();
        kept = game_settings;
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.home_team = 0, game_settings.away_team = 1;
        game_settings.interchange_players = 4;
        break_menu_state.in_match_menu = 0;
        lineup_side = 0;
    }
    void TearDown() override
    {
        reset_roles_screen();
        reset_lineup_screen();
        reset_team_panel();
        reset_lineups_and_formations();
        free_front_end_animations();
        game_settings = kept;
        Controls::TearDown();
    }
    static constexpr int FADE = ScriptedScreen::FADE_IN_FRAMES;
    // The portraits as 24 x 28 software sprites, so that icons have a size.
    static void give_portraits_a_size()
    {
        static std::vector<uint8_t> face = kit_sw_sprite(24, 28, 12, 14, std::vector<int16_t>(24 * 28, 15));
        set_animation_frames(LINEUP_PORTRAITS_HANDLE, std::vector<const void*>(PORTRAIT_FRAME_COUNT, face.data()));
        for (menu_icon* icon : roles_state.icons)
            if (icon) {
                for (icon_state_record& r : icon->states) r.image = animation_frames(LINEUP_PORTRAITS_HANDLE);
                update_icon(icon);
            }
        mark_clipped_icons();
    }
    GameSettings kept{};
};

// From the line-up's roles button to OK, all by keys: Enter on role 1,
// Enter on a man on the ground; OK there and OK on the line-up keep it.
TEST_F(RolesScreen, OpensFromTheLineUpAndKeepsARoleChangedByKeys)
{
    const int32_t first = default_role_rows[0][0];
    std::vector<int32_t> bench;
    int32_t man = -1;
    int lineup_opens = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &lineup_screen) {
            if (f != FADE + 2) return;
            if (++lineup_opens == 1) {
                set_focus_icon(lineup_screen.entries[0].copy); // "Assign Roles"
                key_state[KEY_ENTER] = 0x80;
            } else {
                front_end_state.result = 1;
            }
            return;
        }
        if (s != &roles_screen) return;
        if (f == FADE + 2) {
            give_portraits_a_size();
            EXPECT_EQ(roles_state.players[0], first - 1) << "role 1 as the club's row has it";
            EXPECT_EQ(roles_state.icons[0]->x, 164);
            EXPECT_EQ(roles_state.icons[0]->y, 198);
            for (int b = 0; b < 6; ++b)
                if (roles_state.icons[20 + b]) bench.push_back(roles_state.icons[20 + b]->x);
            man = roles_state.players[ROLE_ICON_FIRST_PLAYER];
            set_focus_icon(roles_state.icons[0]);
            key_state[KEY_ENTER] = 0x80;
        }
        if (f == FADE + 4) {
            set_focus_icon(roles_state.icons[ROLE_ICON_FIRST_PLAYER]);
            key_state[KEY_ENTER] = 0x80;
        }
        if (f == FADE + 6) {
            EXPECT_EQ(roles_state.players[0], man);
            EXPECT_EQ(std::string(roles_state.name), player_name(league_team_at(0)->players[first - 1]));
            set_focus_icon(roles_screen.entries[2].copy); // OK
            key_state[KEY_ENTER] = 0x80;
        }
    });
    lineup_page();
    EXPECT_EQ(bench, (std::vector<int32_t>{428, 473, 518, 563})) << "four on the bench from x 428";
    EXPECT_EQ(team_role_rows[0][0], man + 1);
    EXPECT_EQ(lineup_opens, 2);
}

TEST_F(RolesScreen, BackKeepsTheRolesAndAnEmptyRole7IsOffTheScreen)
{
    team_role_rows[0][6] = 0;
    const std::vector<int32_t> before(team_role_rows[0], team_role_rows[0] + TEAM_ROLES);
    int lineup_opens = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &lineup_screen && f == FADE + 2) {
            if (++lineup_opens == 1) {
                set_focus_icon(lineup_screen.entries[0].copy);
                key_state[KEY_ENTER] = 0x80;
            } else {
                front_end_state.result = 2;
            }
        }
        if (s == &roles_screen && f == FADE + 2) {
            EXPECT_EQ(roles_state.role7_hidden, 1);
            EXPECT_EQ(roles_state.icons[6]->y, -395);
            drop_role_player(0, ROLE_ICON_FIRST_PLAYER + 3);
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    lineup_page();
    EXPECT_EQ(std::vector<int32_t>(team_role_rows[0], team_role_rows[0] + TEAM_ROLES), before);
}

} // namespace
