#include "control_fixture.h"

#include "frontend/break_menus.h"
#include "frontend/lineup_screen.h"
#include "frontend/menu_pages.h"
#include "frontend/team_panels.h"
#include "league/team_lineups.h"
#include "match/interchange.h"
#include "match/match_records.h"
#include "frontend/file_browser.h"
#include "frontend/roles_screen.h"
#include "frontend/team_icon_sets.h"
#include "platform/input.h"

#include <algorithm>
#include <functional>
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

TEST(LineupGeometry, ZoneLinesKeepTheirRangesAndClearOfTheirPositions)
{
    // Default lines on the screen: x 127, 217, 337, 427 and y 294, 374.
    // Setting 4 men stand at x 102 and 117, setting 5 at 162, setting 6 at
    // 397, setting 7 at 442 and 457, the setting 2 man at y 254 and the
    // setting 3 man at 414.
    struct Case {
        int line, at;
        int want;                  // the line's new place
        int other = -1, other_at = 0; // a line pushed by it
    };
    for (const Case c : {
             Case{0, 500, 448}, Case{0, 50, 123},                        // range, then clear of the 4s
             Case{0, 300, 300, 1, 312},                                  // line 2 pushed 12 right of it
             Case{1, 50, 168}, Case{1, 600, 460},                        // from 112 at the start, clear of the 5s
             Case{2, 500, 391}, Case{2, 10, 94},                         // up to 442 at the start, clear of the 6
             Case{3, 50, 106}, Case{3, 448, 436},                        // clear of the 7s
             Case{3, 200, 200, 2, 188},                                  // line 3 pushed 12 left of it
             Case{4, 0, 260}, Case{4, 999, 451},                         // below the 2
             Case{5, 999, 408}, Case{5, 0, 217},                         // above the 3
         }) {
        TeamLineup l = default_formation;
        ZoneLineLimits limits = START_ZONE_LIMITS;
        move_zone_line(l, limits, c.line, c.at);
        auto at = [&](int line) { return line < 4 ? 277 + l.zone_x[line] : 334 + l.zone_y[line - 4]; };
        EXPECT_EQ(at(c.line), c.want) << "line " << c.line << " to " << c.at;
        if (c.other >= 0) {
            EXPECT_EQ(at(c.other), c.other_at) << "line " << c.line << " to " << c.at;
        }
    }
    // Line 2's lower limit follows line 1 once it moved, even back left.
    TeamLineup l = default_formation;
    ZoneLineLimits limits = START_ZONE_LIMITS;
    move_zone_line(l, limits, 0, 200);
    move_zone_line(l, limits, 1, 150);
    EXPECT_EQ(277 + l.zone_x[1], 212);
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
        mouse_buttons = 0;
    }
    void TearDown() override
    {
        mouse_buttons = 0;
        set_cursor_pos(0, 0);
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
    // The formation set as software sprites of the kit's sizes: options,
    // choices and the cancel mark 40 x 15, the markers 10 x 16 and 16 x 10,
    // the rings 32 x 36 and the hints 64 x 40.
    static void give_formation_a_size()
    {
        auto sprite = [](uint32_t w, uint32_t h) {
            return kit_sw_sprite(w, h, static_cast<int32_t>(w / 2), static_cast<int32_t>(h / 2),
                                 std::vector<int16_t>(w * h, 15));
        };
        static std::vector<uint8_t> button = sprite(40, 15), vertical = sprite(10, 16), across = sprite(16, 10),
                                    ring = sprite(32, 36), hint = sprite(64, 40), swap = sprite(16, 16);
        std::vector<const void*> frames(FORMATION_FRAME_COUNT, button.data());
        for (int f = 0; f < FORMATION_HINTS; ++f) frames[FORMATION_HINT + f] = hint.data();
        frames[FORMATION_MARKER_VERTICAL] = frames[FORMATION_MARKER_VERTICAL + 1] = vertical.data();
        frames[FORMATION_MARKER_HORIZONTAL] = frames[FORMATION_MARKER_HORIZONTAL + 1] = across.data();
        frames[FORMATION_RING_CHOSEN] = frames[FORMATION_RING_POINTED] = ring.data();
        frames[FORMATION_SWAP_MARKER] = swap.data();
        set_animation_frames(HANDLE_FORMATION, frames);
        std::vector<menu_icon*> shown(std::begin(lineup_state.markers), std::end(lineup_state.markers));
        shown.insert(shown.end(), std::begin(lineup_state.rings), std::end(lineup_state.rings));
        for (menu_icon* icon : shown) {
            for (icon_state_record& r : icon->states) r.image = animation_frames(HANDLE_FORMATION);
            update_icon(icon);
        }
    }
    // The mouse as the player moves it: the screen sees it from the next
    // frame's reading on.
    static void mouse(int x, int y, uint8_t buttons = 0)
    {
        set_cursor_pos(x, y);
        mouse_buttons = buttons;
    }
    // Runs a step on every third frame (the mouse a step moves is seen by
    // the next), once the pictures have their sizes; then leaves.
    static void run_steps(const std::vector<std::function<void()>>& steps, uint8_t leave = 1)
    {
        run_page([&](int f) {
            if (f == 2) {
                give_portraits_a_size();
                give_formation_a_size();
            }
            if (f < 5 || (f - 5) % 3) return;
            const size_t k = static_cast<size_t>((f - 5) / 3);
            if (k < steps.size()) steps[k]();
            else front_end_state.result = leave;
        });
    }
    static void press_key(uint8_t key) { key_state[key] = 0x80; }
    static void expect_at(const menu_icon* icon, int x, int y)
    {
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->x, x);
        EXPECT_EQ(icon->y, y);
    }
    static int frame_of(const menu_icon* icon) { return icon->states[icon->state].frame; }
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

// The home side's match men as the match holds them: slot n is line-up
// entry n, the bench men off the ground, nobody queued.
struct MatchMen {
    std::vector<TeamRecord> kept{std::begin(team_records), std::end(team_records)};
    explicit MatchMen(const TeamLineup& lineup)
    {
        TeamRecord& t = team_records[0];
        t.interchanges_used = 0;
        t.queued_interchange_count = 0;
        for (int n = 0; n < TEAM_SLOTS; ++n) {
            PlayerSlot& man = t.slots[n];
            man.team = &t;
            man.number = static_cast<uint8_t>(n);
            man.line_up_index = static_cast<uint8_t>(lineup.entries[n].player);
            man.busy_flag = n >= FIRST_BENCH_SLOT;
            man.excluded = 0;
        }
        match_globals.interchange_count = 4;
        reset_interchange_queues();
    }
    ~MatchMen() { std::copy(kept.begin(), kept.end(), std::begin(team_records)); }
};

TEST_F(LineupScreen, InAMatchTheBenchComesOnOnlyAsTheRulesAllow)
{
    break_menu_state.in_match_menu = 1;
    game_settings.interchange_players = 6;
    struct Case {
        const char* what;
        int bench, ground;
        std::function<void()> match;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {"a fit bench man for a man on the ground", 18, 3, [] {}, true},
        {"the fifth bench place asks the same", 22, 3, [] {}, true},
        {"a bench man already on the ground", 22, 3, [] { team_records[0].slots[22].busy_flag = 0; }, false},
        {"a reported bench man", 19, 3, [] { team_records[0].slots[19].excluded = 1; }, false},
        {"no interchanges left", 18, 3, [] { team_records[0].interchanges_used = 4; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reset_lineups_and_formations();
        reset_lineup_screen();
        break_menu_state.in_match_menu = 1;
        MatchMen men(team_lineups[0]);
        c.match();
        run_page([&](int) {
            const TeamLineup before = lineup_state.work;
            lineup_place_click(c.bench);
            lineup_place_click(c.ground);
            const bool swapped = lineup_state.work.entries[c.ground].player == before.entries[c.bench].player;
            EXPECT_EQ(swapped, c.allowed);
            EXPECT_EQ(std::string(lineup_state.status) == "Illegal Swap", !c.allowed);
            front_end_state.result = 2;
        });
    }
}

TEST_F(LineupScreen, InAMatchEverySlotHoldsTheMenOnTheGround)
{
    // The club's last reserves differ from the slots' own men, so a copy
    // that stopped short of the end would show one man twice.
    std::swap(team_lineups[0].entries[5].player, team_lineups[0].entries[42].player);
    const TeamLineup club = team_lineups[0];
    formation_slots[4].entries[3].x = -50;
    break_menu_state.in_match_menu = 1;
    MatchMen men(club);
    run_page([&](int) {
        for (int k = 0; k < FORMATION_SLOTS; ++k)
            for (int e = 0; e < LINEUP_ENTRIES; ++e)
                EXPECT_EQ(formation_slots[k].entries[e].player, club.entries[e].player) << "slot " << k << " entry " << e;
        // An interchange, then another slot's shape: the interchange stays.
        lineup_place_click(18);
        lineup_place_click(3);
        ASSERT_EQ(lineup_state.work.entries[3].player, club.entries[18].player);
        for (int i = 0; i < 4; ++i) next_formation_slot();
        EXPECT_EQ(lineup_state.work.entries[3].player, club.entries[18].player);
        select_formation_slot();
        EXPECT_EQ(lineup_state.work.entries[3].x, -50) << "the slot's shape";
        EXPECT_EQ(lineup_state.work.entries[3].player, club.entries[18].player) << "the men on the ground";
        EXPECT_EQ(lineup_state.work.entries[18].player, club.entries[3].player);
        front_end_state.result = 1;
    });
    EXPECT_EQ(team_lineups[0].entries[3].player, club.entries[18].player);
}

TEST_F(LineupScreen, ASixManBenchNeverShowsAClubsMissingMan)
{
    // Club 0 has 41 men; the default shape names player 41 on its sixth
    // bench place and among the reserves.
    ASSERT_EQ(league_squad_size[0], 41);
    game_settings.interchange_players = 6;
    run_page([&](int) {
        next_formation_slot();
        const std::vector<int32_t> shown = shown_players(0, LINEUP_ENTRIES);
        EXPECT_EQ(shown_players(LINEUP_BENCH_FIRST, LINEUP_RESERVE_FIRST).size(), 6u);
        for (int32_t p : shown) EXPECT_NE(p, 41);
        for (int e = 0; e < LINEUP_RESERVE_FIRST; ++e) EXPECT_LT(lineup_state.work.entries[e].player, 41) << e;
        select_formation_slot();
        front_end_state.result = 1;
    });
    for (int e = 0; e < LINEUP_RESERVE_FIRST; ++e)
        EXPECT_LT(team_lineups[0].entries[e].player, 41) << "no missing man goes into the match, entry " << e;
}

TEST_F(LineupScreen, LoadingAFormationInAMatchIsRefusedAndTheScreenStays)
{
    break_menu_state.in_match_menu = 1;
    std::vector<std::string> boxes;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &lineup_screen && f == FADE + 2 && boxes.empty()) {
            set_focus_icon(lineup_state.load_button);
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

TEST_F(LineupScreen, ZoneLineMarkersMoveTheirLineTogetherAndNameIt)
{
    LineupScreenState& lu = lineup_state;
    run_steps({
        [] { mouse(127, 270); }, // line 1's upper marker
        [&] {
            ASSERT_NE(lu.hint, nullptr);
            EXPECT_EQ(frame_of(lu.hint), FORMATION_HINT + 0);
            expect_at(lu.hint, 177, 320);
            mouse(127, 270, MOUSE_LEFT);
        },
        [] { mouse(250, 300, MOUSE_LEFT); },
        [&] {
            // Both markers go across only; line 2 is pushed 12 right of it.
            expect_at(lu.markers[0], 250, 270);
            expect_at(lu.markers[1], 250, 398);
            expect_at(lu.markers[2], 262, 270);
            EXPECT_EQ(lu.hint, nullptr) << "no hint while a button is down";
            mouse(250, 300);
        },
        [&] {
            EXPECT_EQ(lu.marker_line, -1);
            mouse(600, 150);
        },
        [&] {
            EXPECT_EQ(lu.hint, nullptr) << "leaving the marker removes the hint";
            set_focus_icon(lu.markers[8]); // the upper line's, by the keys
        },
        [&] {
            ASSERT_NE(lu.hint, nullptr);
            EXPECT_EQ(frame_of(lu.hint), FORMATION_HINT + 4);
            press_key(KEY_ENTER);
        },
        [] { press_key(KEY_DOWN); },
        [] { press_key(KEY_DOWN); },
        [&] {
            for (int m : {8, 9, 10}) EXPECT_EQ(lu.markers[m]->y, 298) << m;
            EXPECT_EQ(lu.markers[11]->y, 374) << "the lower line stays";
            press_key(KEY_ENTER);
        },
        [&] { EXPECT_EQ(lu.marker_line, -1) << "Enter again lets the line go"; },
    });
    EXPECT_EQ(team_lineups[0].zone_x[0], 250 - 277) << "OK keeps the lines";
    EXPECT_EQ(team_lineups[0].zone_x[1], 262 - 277);
    EXPECT_EQ(team_lineups[0].zone_y[0], 298 - 334);
}

TEST_F(LineupScreen, TheRightButtonSetsAPositionsTacticalSettings)
{
    LineupScreenState& lu = lineup_state;
    auto expect_column = [&](int first, int last, int x, int top) {
        for (int s = first; s <= last; ++s) expect_at(lu.options[s], x, top + 16 * (s - first));
    };
    run_steps({
        // Position 9 stands at (257, 334) with settings 8 and 12.
        [] { mouse(257, 334); },
        [] { mouse(257, 334, MOUSE_RIGHT); },
        [&] {
            EXPECT_EQ(lu.popup_entry, 9);
            expect_at(lu.choices[0], 317, 342);
            expect_at(lu.choices[1], 317, 358);
            mouse(317, 342, MOUSE_RIGHT);
        },
        [&] {
            // Held over the first choice: options 2-8, 120 to its right;
            // only 8 fits the middle of the ground, the rest are greyed.
            EXPECT_EQ(lu.popup_list, 1);
            expect_column(2, 8, 437, 342);
            for (int s = 2; s <= 7; ++s) {
                EXPECT_EQ(lu.options[s]->state, ICON_INACTIVE) << s;
                EXPECT_EQ(frame_of(lu.options[s]), 3 * s + 2) << s;
            }
            EXPECT_NE(lu.options[8]->state, ICON_INACTIVE);
            mouse(317, 358, MOUSE_RIGHT);
        },
        [&] {
            EXPECT_EQ(lu.options[2], nullptr);
            expect_column(9, 12, 437, 358);
            EXPECT_EQ(lu.options[12]->states[ICON_NORMAL].frame, 24) << "option 12 shows frames 24-26";
            mouse(437, 374, MOUSE_RIGHT); // option 10
        },
        [] { mouse(437, 374); },
        [&] {
            EXPECT_EQ(lu.popup_entry, -1);
            EXPECT_EQ(lu.work.entries[9].setting2, 10);
            mouse(457, 334, MOUSE_RIGHT); // position 17, first setting 7
        },
        [] { mouse(457, 334); }, // released on no option: the pop-up stays
        [&] {
            EXPECT_EQ(lu.popup_entry, 17);
            expect_at(lu.choices[0], 517, 342);
            mouse(517, 342, MOUSE_LEFT);
        },
        [] { mouse(517, 342); },
        [&] {
            // Opened by a click, the column stands left of a choice near the
            // right edge and the current option 30 further out.
            EXPECT_EQ(lu.popup_list, 1);
            expect_at(lu.options[6], 397, 406);
            expect_at(lu.options[7], 367, 422);
            mouse(397, 406, MOUSE_LEFT);
        },
        [] { mouse(397, 406); },
        [&] {
            EXPECT_EQ(lu.work.entries[17].setting1, 6);
            EXPECT_EQ(lu.popup_entry, -1);
            mouse(457, 334, MOUSE_RIGHT);
        },
        [] { mouse(457, 334); },
        [] { mouse(600, 100, MOUSE_LEFT); },
        [&] {
            EXPECT_EQ(lu.popup_entry, -1) << "a left press elsewhere closes it";
            EXPECT_EQ(lu.work.entries[17].setting1, 6);
            mouse(600, 100);
            set_focus_icon(lu.players[9]);
            press_key(KEY_ENTER);
        },
        [] { press_key(KEY_ENTER); }, // the same position again: its settings
        [&] {
            EXPECT_EQ(lu.popup_entry, 9);
            EXPECT_EQ(active_icon_table.focus_icon, lu.choices[0]);
            set_focus_icon(lu.choices[1]);
            press_key(KEY_ENTER);
        },
        [&] {
            EXPECT_EQ(lu.popup_list, 2);
            EXPECT_EQ(active_icon_table.focus_icon, lu.options[10]) << "the current option first";
            set_focus_icon(lu.options[12]);
            press_key(KEY_ENTER);
        },
        [&] {
            EXPECT_EQ(lu.work.entries[9].setting2, 12);
            EXPECT_EQ(lu.popup_entry, -1);
            // Low on the screen the choices stop at 436 and a list is lifted.
            open_settings_popup(9, 300, 430);
            expect_at(lu.choices[0], 360, 436);
            set_focus_icon(lu.choices[0]);
            press_key(KEY_ENTER);
        },
        [&] {
            expect_at(lu.options[2], 480, 388);
            close_settings_popup();
        },
    });
    EXPECT_EQ(team_lineups[0].entries[9].setting2, 12);
    EXPECT_EQ(team_lineups[0].entries[17].setting1, 6);
}

TEST_F(LineupScreen, ADroppedPositionWhoseSettingNoLongerFitsMustChoose)
{
    LineupScreenState& lu = lineup_state;
    auto inactive_buttons = [] {
        int n = 0;
        for (int i = 0; i < 6; ++i) n += lineup_screen.entries[i].copy->state == ICON_INACTIVE;
        return n;
    };
    run_steps({
        // Position 0 (setting 4, left of line 1) dragged right of the line;
        // pushed clear of position 3 it lands at -131.
        [] { mouse(102, 334, MOUSE_LEFT); },
        [] { mouse(160, 334, MOUSE_LEFT); },
        [] { mouse(160, 334); },
        [&] {
            ASSERT_TRUE(lu.popup_forced);
            EXPECT_EQ(lu.work.entries[0].x, -131);
            for (int s = 2; s <= 8; ++s) {
                expect_at(lu.options[s], 220, 342 + 16 * (s - 2));
                EXPECT_EQ(lu.options[s]->state == ICON_INACTIVE, s != 5 && s != 8) << s;
            }
            expect_at(lu.cancel, 220, 454);
            EXPECT_EQ(inactive_buttons(), 6);
            EXPECT_EQ(lu.players[3]->state, ICON_INACTIVE) << "nothing else answers";
            EXPECT_EQ(active_icon_table.focus_icon, lu.options[5]);
            mouse(100, 100);
        },
        [&] {
            // The pointer is held 3 pixels inside the column, the cursor too.
            EXPECT_EQ(icon_input.x, lu.options[2]->rect_left + 3);
            EXPECT_EQ(icon_input.y, lu.options[2]->rect_top + 3);
            EXPECT_EQ(mouse_state.x, lu.options[2]->rect_left + 3);
            mouse(220, 454, MOUSE_LEFT); // cancel
        },
        [] { mouse(220, 454); },
        [&] {
            EXPECT_FALSE(lu.popup_forced);
            EXPECT_EQ(lu.work.entries[0].x, -175) << "cancel puts it back";
            EXPECT_EQ(lu.work.entries[0].setting1, 4);
            EXPECT_EQ(inactive_buttons(), 0);
            mouse(102, 334, MOUSE_LEFT);
        },
        [] { mouse(160, 334, MOUSE_LEFT); },
        [] { mouse(160, 334); },
        [&] {
            ASSERT_TRUE(lu.popup_forced);
            mouse(220, 390, MOUSE_LEFT); // option 5
        },
        [] { mouse(220, 390); },
        [&] {
            EXPECT_FALSE(lu.popup_forced);
            EXPECT_EQ(lu.work.entries[0].x, -131) << "the choice keeps the new place";
            EXPECT_EQ(lu.work.entries[0].setting1, 5);
            // Position 17 (setting 7) dragged inward; the keys choose.
            mouse(457, 334, MOUSE_LEFT);
        },
        [] { mouse(400, 334, MOUSE_LEFT); },
        [] { mouse(400, 334); },
        [&] {
            ASSERT_TRUE(lu.popup_forced);
            expect_at(lu.options[2], 460, 342);
            EXPECT_EQ(active_icon_table.focus_icon, lu.options[6]);
            press_key(KEY_ENTER);
        },
        [&] {
            EXPECT_FALSE(lu.popup_forced);
            EXPECT_EQ(lu.work.entries[17].setting1, 6);
            EXPECT_EQ(lu.work.entries[17].x, 136);
        },
    });
    EXPECT_EQ(team_lineups[0].entries[0].setting1, 5);
    EXPECT_EQ(team_lineups[0].entries[0].x, -131);
    EXPECT_EQ(team_lineups[0].entries[17].setting1, 6);
}

TEST_F(LineupScreen, TheMouseDragsMenOntoPositionsAndPlaces)
{
    LineupScreenState& lu = lineup_state;
    std::vector<int32_t> before;
    auto player = [&](int e) { return lu.work.entries[e].player; };
    run_steps({
        [&] {
            for (const LineupEntry& e : lu.work.entries) before.push_back(e.player);
            mouse(337, 32, MOUSE_LEFT); // reserve 24
        },
        [] { mouse(257, 334, MOUSE_LEFT); }, // over position 9
        [&] {
            ASSERT_NE(lu.drag_icon, nullptr);
            EXPECT_EQ(frame_of(lu.drag_icon), before[24]);
            EXPECT_EQ(frame_of(lu.players[9]), before[24]) << "the position shows the dragged man";
            expect_at(lu.swap_marker, 302, 352);
            EXPECT_EQ(player(9), before[9]);
            mouse(257, 334);
        },
        [&] {
            EXPECT_EQ(player(9), before[24]);
            EXPECT_EQ(player(24), before[9]);
            EXPECT_EQ(lu.drag_icon, nullptr);
            EXPECT_EQ(lu.swap_marker, nullptr);
            mouse(382, 32, MOUSE_LEFT); // reserve 25, dropped on nothing
        },
        [] { mouse(600, 150, MOUSE_LEFT); },
        [] { mouse(600, 150); },
        [&] {
            EXPECT_EQ(player(25), before[25]);
            mouse(516, 406, MOUSE_LEFT); // bench 18 onto reserve 26
        },
        [] { mouse(427, 32, MOUSE_LEFT); },
        [] { mouse(427, 32); },
        [&] {
            EXPECT_EQ(player(18), before[26]);
            EXPECT_EQ(player(26), before[18]);
            mouse(162, 334, MOUSE_LEFT); // position 3 chosen
        },
        [] { mouse(162, 334); },
        [&] {
            EXPECT_EQ(lu.selected, 3);
            EXPECT_FALSE(lu.rings[0]->flags & ICON_HIDDEN);
            expect_at(lu.rings[0], 162, 334);
            mouse(472, 32, MOUSE_LEFT); // reserve 27 pressed
        },
        [&] {
            EXPECT_EQ(lu.pressed_place, 27);
            EXPECT_FALSE(lu.rings[1]->flags & ICON_HIDDEN);
            expect_at(lu.rings[1], 472, 32);
            mouse(472, 32);
        },
        [&] {
            EXPECT_EQ(player(3), before[27]);
            EXPECT_EQ(player(27), before[3]);
            EXPECT_TRUE(lu.rings[0]->flags & ICON_HIDDEN);
        },
    });
    EXPECT_EQ(team_lineups[0].entries[9].player, before[24]);
    EXPECT_EQ(team_lineups[0].entries[3].player, before[27]);
}

} // namespace
