#include "control_fixture.h"

#include "frontend/break_menus.h"
#include "frontend/lineup_screen.h"
#include "frontend/menu_pages.h"
#include "frontend/team_panels.h"
#include "league/team_lineups.h"
#include "match/match_records.h"
#include "frontend/file_browser.h"
#include "frontend/roles_screen.h"

#include <string>
#include <vector>

namespace {

TEST(LineupGeometry, PositionsOutsideTheOvalComeBackAlongTheLineToTheCentre)
{
    struct Case {
        int x, y, to_x, to_y;
    };
    for (const Case c : {Case{390, 0, 195, 0}, Case{0, -258, 0, -129}, Case{100, 50, 100, 50}, Case{195, 0, 195, 0},
                         Case{-300, 200, -137, 92}}) {
        int32_t x = c.x, y = c.y;
        bring_onto_oval(x, y);
        EXPECT_EQ(x, c.to_x) << c.x << "," << c.y;
        EXPECT_EQ(y, c.to_y) << c.x << "," << c.y;
    }
}

TEST(LineupGeometry, ADropIsPushedSixteenPixelsClearOrGoesBack)
{
    struct Case {
        int x, y;        // where position 9 is dropped (position 0 stands at -175, 0)
        bool kept;
        int to_x, to_y;
    };
    for (const Case c : {
             Case{-165, 4, true, -159, 4},   // closer in x than in y: pushed right
             Case{-172, -12, true, -172, -16}, // closer in y: pushed up
             Case{-175, 0, true, -159, 0},   // on top of it: +16 along x
             Case{-150, 0, true, -150, 0},   // 25 away: left alone
         }) {
        TeamLineup l = default_formation;
        l.entries[9].x = c.x, l.entries[9].y = c.y;
        EXPECT_EQ(keep_position_apart(l, 9), c.kept) << c.x << "," << c.y;
        EXPECT_EQ(l.entries[9].x, c.to_x) << c.x << "," << c.y;
        EXPECT_EQ(l.entries[9].y, c.to_y) << c.x << "," << c.y;
    }
    // Pushed out past the oval's end: refused.
    TeamLineup l = default_formation;
    l.entries[0].x = -190, l.entries[0].y = 0;
    l.entries[9].x = -185, l.entries[9].y = 0;
    l.entries[1].x = -170, l.entries[1].y = 0;
    EXPECT_FALSE(keep_position_apart(l, 9));
}

TEST(LineupGeometry, FirstSettingsFitTheirZones)
{
    // Default zone lines: y -40 and 40, x -150, -60, 60 and 150.
    struct Case {
        int setting, x, y;
        bool fits;
    };
    for (const Case c : {Case{2, 0, -46, true}, Case{2, 0, -45, false}, Case{3, 0, 46, true}, Case{3, 0, 45, false},
                         Case{4, -156, 0, true}, Case{4, -155, 0, false}, Case{5, -66, 0, true}, Case{5, -65, 0, false},
                         Case{6, 66, 0, true}, Case{6, 65, 0, false}, Case{7, 156, 0, true}, Case{7, 155, 0, false},
                         Case{8, 0, 0, true}, Case{9, 0, 0, false}}) {
        EXPECT_EQ(first_setting_fits(default_formation, c.setting, c.x, c.y), c.fits)
            << c.setting << " at " << c.x << "," << c.y;
    }
}

struct LineupScreen : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_lineup_screen();
        reset_team_panel();
        reset_lineups_and_formations();
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.home_team = 0, game_settings.away_team = 1;
        game_settings.interchange_players = 4;
        break_menu_state.in_match_menu = 0;
    }
    void TearDown() override
    {
        break_menu_state.in_match_menu = 0;
        reset_lineup_screen();
        reset_team_panel();
        free_front_end_animations();
        Controls::TearDown();
    }
    // The software path's fade-in frames take no input.
    static constexpr int FADE = ScriptedScreen::FADE_IN_FRAMES;
    // Runs the page; `look` runs on the screen's frames once it takes input
    // (from 2) and ends it by setting a result.
    static void run_page(const std::function<void(int)>& look)
    {
        PointerScript::start([&](menu_screen* s, int f) {
            if (s == &lineup_screen && f >= FADE + 2) look(f - FADE);
            else if (s != &lineup_screen && f == 2) front_end_state.result = 2;
        });
        lineup_page();
    }
    // The kit's portrait set is drawn by the hardware path; the software
    // path of the tests sees its frames as 24 x 28 software sprites.
    static void give_portraits_a_size()
    {
        static std::vector<uint8_t> face = kit_sw_sprite(24, 28, 12, 14, std::vector<int16_t>(24 * 28, 15));
        set_animation_frames(LINEUP_PORTRAITS_HANDLE, std::vector<const void*>(PORTRAIT_FRAME_COUNT, face.data()));
        for (menu_icon* icon : lineup_state.players)
            if (icon) {
                for (icon_state_record& r : icon->states) r.image = animation_frames(LINEUP_PORTRAITS_HANDLE);
                update_icon(icon);
            }
        mark_clipped_icons();
    }
    static std::vector<int32_t> shown_players(int first, int end)
    {
        std::vector<int32_t> v;
        for (int e = first; e < end; ++e)
            if (lineup_state.players[e]) v.push_back(lineup_state.players[e]->states[ICON_NORMAL].frame);
        return v;
    }
};

TEST_F(LineupScreen, OpensOnTheClubsOwnLineUpWithItsSquadsReserves)
{
    struct Case {
        int side, team;
        int8_t type;
        size_t reserves;
    };
    // Club 0 has 41 men, club 1 42; a pre-season cup keeps two more back.
    for (const Case c : {Case{0, 0, GAME_EXHIBITION, 19}, Case{1, 1, GAME_EXHIBITION, 20}, Case{0, 0, GAME_PRE_SEASON, 17}}) {
        SCOPED_TRACE(c.reserves);
        game_settings.game_type = c.type;
        team_lineups[c.team].entries[3].player = 30; // the club's own record is the one shown
        lineup_side = static_cast<uint8_t>(c.side);
        run_page([&](int) {
            EXPECT_EQ(lineup_state.team, c.team);
            EXPECT_EQ(std::string(lineup_state.caption), "Player Selected Formation");
            EXPECT_EQ(lineup_state.work.entries[3].player, 30);
            const std::vector<int32_t> reserves = shown_players(LINEUP_RESERVE_FIRST, LINEUP_ENTRIES);
            EXPECT_EQ(reserves.size(), c.reserves);
            if (league_squad_size[c.team] == 41) {
                for (int32_t p : reserves) EXPECT_NE(p, 41) << "a 41-man club shows no 42nd man";
            }
            EXPECT_EQ(shown_players(LINEUP_BENCH_FIRST, LINEUP_RESERVE_FIRST).size(), 4u);
            EXPECT_EQ(team_panel.kind, PANEL_PLAYER_D);
            front_end_state.result = 2;
        });
        EXPECT_EQ(team_lineups[c.team].entries[3].player, 30);
        reset_lineups_and_formations();
    }
}

TEST_F(LineupScreen, EnterOnTwoPlacesExchangesTheirPlayersAndOkKeepsIt)
{
    const int32_t on_field = team_lineups[0].entries[5].player, reserve = team_lineups[0].entries[26].player;
    run_page([&](int f) {
        // The keyboard: focus a reserve, Enter; focus a position, Enter.
        if (f == 2) {
            give_portraits_a_size();
            set_focus_icon(lineup_state.players[26]);
        }
        if (f == 4) key_state[KEY_ENTER] = 0x80;
        if (f == 8) set_focus_icon(lineup_state.players[5]);
        if (f == 10) key_state[KEY_ENTER] = 0x80;
        if (f == 12) {
            EXPECT_EQ(lineup_state.players[5]->states[ICON_NORMAL].frame, reserve);
            EXPECT_EQ(lineup_state.players[26]->states[ICON_NORMAL].frame, on_field);
            EXPECT_EQ(std::string(lineup_state.status),
                      player_name(league_team_at(0)->players[reserve]));
            front_end_state.result = 1;
        }
    });
    EXPECT_EQ(team_lineups[0].entries[5].player, reserve);
    EXPECT_EQ(team_lineups[0].entries[26].player, on_field);
}

TEST_F(LineupScreen, PicksFollowTheExchangeRules)
{
    struct Case {
        std::vector<int> clicks;
        std::vector<std::pair<int, int>> exchanged; // entries whose players changed places
    };
    const std::vector<Case> cases = {
        {{0, 24}, {{0, 24}}},          // ground and reserve
        {{18, 3}, {{18, 3}}},          // bench and ground
        {{18, 30}, {{18, 30}}},        // bench and reserve
        {{0, 4, 25}, {{4, 25}}},       // a second position replaces the first pick
        {{7, 7, 20}, {}},              // a second click lets go
    };
    for (const Case& c : cases) {
        reset_lineups_and_formations();
        run_page([&](int) {
            const TeamLineup before = lineup_state.work;
            for (int e : c.clicks) lineup_place_click(e);
            TeamLineup want = before;
            for (auto [a, b] : c.exchanged) std::swap(want.entries[a].player, want.entries[b].player);
            for (int e = 0; e < LINEUP_ENTRIES; ++e)
                EXPECT_EQ(lineup_state.work.entries[e].player, want.entries[e].player) << "entry " << e;
            front_end_state.result = 2;
        });
        EXPECT_EQ(team_lineups[0].entries[0].player, default_team_sheets[0][0] - 1) << "Back keeps the club's record";
    }
}

TEST_F(LineupScreen, DuringAMatchOnlyTheInterchangeRulesLetMenOn)
{
    break_menu_state.in_match_menu = 1;
    // The match knows no one: every swap of the ground is refused, and a
    // reserve never comes on.
    run_page([&](int f) {
        if (f != 2) return;
        const TeamLineup before = lineup_state.work;
        lineup_place_click(24);
        lineup_place_click(0);
        EXPECT_EQ(std::string(lineup_state.status), "Illegal Swap");
        EXPECT_EQ(lineup_state.work.entries[0].player, before.entries[0].player);
        lineup_place_click(18);
        lineup_place_click(2);
        EXPECT_EQ(lineup_state.work.entries[2].player, before.entries[2].player);
        front_end_state.result = 2;
    });
}

TEST_F(LineupScreen, LoadingAFormationInAMatchIsRefusedAndTheScreenStays)
{
    break_menu_state.in_match_menu = 1;
    std::vector<std::string> boxes;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &lineup_screen && f == FADE + 2 && boxes.empty()) {
            set_focus_icon(lineup_screen.entries[4].copy); // Load
            key_state[KEY_ENTER] = 0x80;
        } else if (s != &lineup_screen && f == 2) {
            key_state[KEY_ENTER] = 0;
            boxes.push_back(message_box_layout.message);
            EXPECT_EQ(front_end_state.result, 0);
            front_end_state.result = 1;
        } else if (s == &lineup_screen && !boxes.empty() && f == 3) {
            front_end_state.result = 2;
        }
    });
    lineup_page();
    EXPECT_EQ(boxes, std::vector<std::string>{"You can't load a formation during a match"});
    EXPECT_EQ(front_end_state.result, 2) << "the screen stayed until Back";
}

TEST_F(LineupScreen, FormationSlotsWrapAndTheChosenShapeKeepsTheMen)
{
    std::snprintf(formation_slots[9].name, LINEUP_NAME_SIZE, "Flood The Forward Line");
    formation_slots[9].entries[4].x = 120;
    formation_slots[9].zone_y[0] = -60;
    formation_slots[3].version = -1;
    run_page([&](int) {
        const int32_t man = lineup_state.work.entries[4].player;
        previous_formation_slot();
        EXPECT_EQ(lineup_state.shown_slot, 9);
        EXPECT_EQ(std::string(lineup_state.caption), "9) Flood The Forward Line");
        next_formation_slot();
        EXPECT_EQ(lineup_state.shown_slot, 0);
        previous_formation_slot();
        select_formation_slot();
        EXPECT_EQ(lineup_state.shown_slot, 0);
        EXPECT_EQ(lineup_state.work.entries[4].x, 120);
        EXPECT_EQ(lineup_state.work.zone_y[0], -60);
        // An unusable slot is not chosen.
        for (int i = 0; i < 3; ++i) next_formation_slot();
        EXPECT_EQ(lineup_state.shown_slot, 3);
        select_formation_slot();
        EXPECT_EQ(lineup_state.shown_slot, 3);
        for (int i = 0; i < 3; ++i) previous_formation_slot();
        EXPECT_EQ(lineup_state.work.entries[4].player, man) << "the men stay where they were";
        front_end_state.result = 1;
    });
    EXPECT_EQ(team_lineups[0].entries[4].x, 120) << "OK keeps the chosen shape";
    EXPECT_EQ(formation_slots[3].version, -1) << "nothing is stored into an unusable slot";
}

} // namespace
