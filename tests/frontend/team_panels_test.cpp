#include "control_fixture.h"

#include "frontend/frame_manifest.h"
#include "frontend/front_end_graphics.h"
#include "frontend/team_panels.h"
#include "frontend/team_selection.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/files.h"
#include "screen/screen.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct TeamPanels : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_team_panel();
        reset_team_choice();
        game_settings.game_type = GAME_EXHIBITION;
    }
    void TearDown() override
    {
        reset_team_panel();
        Controls::TearDown();
    }
};

TEST(StepToward, MovesByTheStepOrSnapsWithinIt)
{
    struct Case {
        int value, target, step, after;
    };
    for (const Case c : {Case{0, 10, 8, 8}, Case{0, 8, 8, 8}, Case{0, 9, 8, 8}, Case{1, 9, 8, 9}, Case{10, 0, 3, 7},
                         Case{5, 5, 1, 5}, Case{-4, -20, 4, -8}}) {
        EXPECT_EQ(step_toward(c.value, c.target, c.step), c.after) << c.value << " to " << c.target;
    }
}

TEST(SliderCell, SixteenCellsAndNoneOnANarrowTrack)
{
    struct Case {
        int p, w, cell;
    };
    // An 84-pixel bar has 5-pixel cells: its last four pixels would be a
    // seventeenth; they belong to the last cell.
    for (const Case c : {Case{0, 15, -1}, Case{7, 1, -1}, Case{0, 16, 0}, Case{15, 16, 15}, Case{74, 84, 14},
                         Case{80, 84, 15}, Case{83, 84, 15}, Case{-3, 84, 0}, Case{500, 160, 15}}) {
        EXPECT_EQ(slider_cell(c.p, c.w), c.cell) << c.p << " of " << c.w;
    }
}

TEST(SliderCallbacks, ChooseClubsAndFlipPlaces)
{
    reset_team_choice();
    slider_selection(33, 160); // cell 3 while the home side is chosen
    EXPECT_EQ(team_choice.home, 3);
    team_choice.side = 0;
    slider_selection(159, 160);
    EXPECT_EQ(team_choice.away, 15);
    EXPECT_EQ(team_panel.team, 15) << "the panel follows the choice";
    slider_panel_team(50, 160);
    EXPECT_EQ(team_panel.team, 5);
    EXPECT_EQ(team_choice.side, 1) << "the edited side goes back to home";
    EXPECT_EQ(team_choice.home, 3);

    EXPECT_EQ(team_choice.computer[7], 1);
    slider_toggle(70, 160);
    EXPECT_EQ(team_choice.computer[7], 0);
    slider_toggle(70, 160);
    EXPECT_EQ(team_choice.computer[7], 1);

    // A track too narrow for cells does nothing.
    const TeamChoice before = team_choice;
    slider_selection(0, 15);
    slider_panel_team(0, 8);
    slider_toggle(0, 0);
    EXPECT_EQ(std::memcmp(&before, &team_choice, sizeof before), 0);
    reset_team_panel();
}

TEST_F(TeamPanels, TeamBarsShowTheSquadMeansAndGlideAtTheirOwnPace)
{
    build_team_panel_b();
    EXPECT_EQ(team_panel.bar_count, 12);
    EXPECT_EQ(powerbar_images[0].users, 12) << "every bar is a plain powerbar";
    EXPECT_EQ(powerbar_images[0].loaded, 1);
    int32_t zero[PANEL_VALUES];
    team_panel_targets(0, zero);
    EXPECT_EQ(std::vector<int32_t>(team_panel.values, team_panel.values + PANEL_VALUES),
              std::vector<int32_t>(zero, zero + PANEL_VALUES))
        << "a new panel shows club 0 at once";
    EXPECT_EQ(zero[MEAN_SPEED], team_attribute_mean(league_team_at(0), MEAN_SPEED, 0, 24));
    EXPECT_EQ(zero[PANEL_OVERALL], team_overall_rating(league_team_at(0), 0, 24));

    // One frame toward club 1 moves each bar by its own step at most.
    const int32_t steps[PANEL_VALUES] = {1, 10, 10, 1, 10, 19, 10, 13, 10, 1, 122, 4, 8};
    int32_t one[PANEL_VALUES];
    team_panel_targets(1, one);
    team_panel.team = 1;
    team_panel_frame();
    for (int i = 0; i < PANEL_VALUES; ++i) {
        const int32_t d = one[i] - zero[i];
        const int32_t moved = std::abs(d) <= steps[i] ? d : (d > 0 ? steps[i] : -steps[i]);
        EXPECT_EQ(team_panel.values[i], zero[i] + moved) << "slot " << i;
    }
    for (int i = 0; i < 400; ++i) team_panel_frame();
    EXPECT_EQ(std::vector<int32_t>(team_panel.values, team_panel.values + PANEL_VALUES),
              std::vector<int32_t>(one, one + PANEL_VALUES));

    // A club number out of range shows club 0.
    team_panel.team = 40;
    for (int i = 0; i < 400; ++i) team_panel_frame();
    EXPECT_EQ(team_panel.team, 0);
    EXPECT_EQ(team_panel.values[MEAN_REACH], zero[MEAN_REACH]);
    free_team_panel();
    EXPECT_EQ(powerbar_images[0].loaded, 0) << "the bars' image goes with the panel";
}

// Each bar of panels A, B and E has its field's name beside it, on the bar's
// line; panel B's first column starts at the left edge. The ten-bar player
// panels have none, and the names leave with the panel.
TEST_F(TeamPanels, NamesStandBesideTheirBars)
{
    using Names = std::vector<std::string>;
    const Names seven = {"Speed", "Kicking", "Handball", "Tackling", "Strength", "Height", "Overall"};
    const Names twelve = {"Speed",  "Ball Handling", "Handball", "Tackling",   "Kicking", "Strength",
                          "Weight", "Fitness",       "Height",   "Aggression", "Jumping", "Acceleration"};
    struct Case {
        const char* what;
        void (*build)();
        int32_t x, y;
        Names names;
        std::vector<int32_t> bar_x, bar_y;
    } cases[] = {
        {"A", build_team_panel_a, 100, 300, seven, std::vector<int32_t>(7, 0), {0, 14, 28, 42, 56, 70, 84}},
        {"E", build_player_panel_e, 530, 300, seven, std::vector<int32_t>(7, 0), {0, 14, 28, 42, 56, 70, 84}},
        {"B", build_team_panel_b, 157, 200, twelve, {0, 0, 0, 0, 0, 0, 350, 350, 350, 350, 350, 350},
         {0, 16, 32, 49, 66, 83, -2, 15, 32, 48, 64, 80}},
        {"D", build_player_panel_d, 505, 62, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        team_panel.x = c.x, team_panel.y = c.y;
        c.build();
        ASSERT_EQ(team_panel.label_count, static_cast<int32_t>(c.names.size()));
        for (size_t i = 0; i < c.names.size(); ++i) {
            const menu_icon* label = team_panel.labels[i];
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->text, c.names[i]);
            EXPECT_EQ(label->states[ICON_NORMAL].image, 1) << "the body font";
            EXPECT_GE(icon_slot(label), 0) << "on the screen";
            EXPECT_EQ(label->y, scale_y_from_480(c.y + c.bar_y[i] - 2)) << c.names[i];
            const int32_t bar_left = scale_x_from_640(c.x + c.bar_x[i]);
            if (c.names.size() == 12 && c.bar_x[i] == 0) EXPECT_EQ(label->x, scale_x_from_640(20)) << c.names[i];
            else EXPECT_LT(label->x, bar_left) << c.names[i] << ": before its bar";
        }
        const std::vector<menu_icon*> shown(team_panel.labels, team_panel.labels + team_panel.label_count);
        free_team_panel();
        EXPECT_EQ(team_panel.label_count, 0);
        for (menu_icon* label : shown) EXPECT_LT(icon_slot(label), 0) << "taken off the screen";
    }
}

TEST_F(TeamPanels, PlayerBarsComeFromThePlayersOwnRecord)
{
    // The sixth player of club 4 is index 5 of club 4, not of club 0.
    const league_player* p = league_team_at(4)->players[5];
    int32_t t[PANEL_VALUES];
    player_panel_targets(4, 5, t);
    EXPECT_EQ(t[MEAN_SPEED], player_i16(p, PLAYER_SPEED));
    EXPECT_EQ(t[MEAN_REACH], static_cast<int32_t>(player_u32(p, PLAYER_REACH)));
    EXPECT_EQ(t[MEAN_HEIGHT], player_i32(p, PLAYER_HEIGHT));
    EXPECT_EQ(t[PANEL_OVERALL], (player_i16(p, PLAYER_SPEED) + player_i16(p, PLAYER_KICKING) +
                                 player_i16(p, PLAYER_HANDBALL) + player_i16(p, PLAYER_TACKLING) +
                                 player_i16(p, PLAYER_STRENGTH) + player_i32(p, PLAYER_HEIGHT)) / 6);
    player_panel_targets(4, 42, t);
    EXPECT_EQ(t[MEAN_SPEED], 0) << "no such player";

    team_panel.player_team = 4, team_panel.player = 5;
    build_player_panel_d();
    EXPECT_EQ(team_panel.bar_count, 10);
    player_panel_targets(4, 6, t);
    int32_t before = team_panel.values[MEAN_REACH];
    player_panel_frame(4, 6);
    EXPECT_LE(std::abs(team_panel.values[MEAN_REACH] - before), 122);
    EXPECT_EQ(team_panel.targets[MEAN_REACH], t[MEAN_REACH]);

    // Training shows the values as they are.
    game_settings.game_type = GAME_TRAINING;
    player_panel_frame(9, 0);
    player_panel_targets(9, 0, t);
    EXPECT_EQ(team_panel.values[MEAN_REACH], t[MEAN_REACH]);
    EXPECT_EQ(team_panel.values[PANEL_OVERALL], t[PANEL_OVERALL]);
}

TEST_F(TeamPanels, FacePalettesFillTheFirst160ColoursOfKnownClubsOnly)
{
    std::memset(working_palette, 7, sizeof working_palette);
    for (int team : {-1, 16, 99}) load_team_face_palette(0, team);
    EXPECT_EQ(working_palette[5][0], 7) << "no club, no change";

    load_team_face_palette(0, 3);
    uint32_t size = 0;
    uint8_t* bytes = load_file(data_path("front_en\\front_end_gfx\\face palettes\\WES_face.pal"), &size);
    const std::vector<uint8_t> file(bytes, bytes + size);
    free_mem(bytes);
    ASSERT_EQ(file.size(), 480u);
    EXPECT_EQ(working_palette[0][0] | working_palette[0][1] | working_palette[0][2], 0) << "entry 0 is black";
    for (int i : {1, 80, 159})
        for (int c = 0; c < 3; ++c) EXPECT_EQ(working_palette[i][c], file[3 * i + c]) << i;
    EXPECT_EQ(working_palette[160][0], 7) << "the rest of the palette stays";
}

} // namespace

namespace {

void no_action(menu_screen*) {}
void some_click(icon_state_record*, menu_icon*, menu_screen*) {}

TEST_F(TeamPanels, ClosingTakesTrainingsIconsAndTheOtherTreesAway)
{
    struct Case {
        int8_t type;
        bool icons_go;
    };
    for (const Case c : {Case{GAME_TRAINING, true}, Case{GAME_EXHIBITION, false}}) {
        SCOPED_TRACE(c.type);
        game_settings.game_type = c.type;
        menu_icon a = text_icon("A", 0), b = text_icon("B", 0), clicked = text_icon("C", 0);
        clicked.states[ICON_CLICKED].handler = some_click;
        add_child_icon(&a, 10, 10, 0);
        add_child_icon(&b, 20, 20, 0);
        team_panel.training_icons[0] = &a, team_panel.training_icons[1] = &b;
        team_panel.training_click_icon = &clicked;
        create_list(&team_panel.extra_controls[1]);
        front_end_state.default_action = no_action;
        close_panel_and_training_icons();
        EXPECT_EQ(icon_slot(&a) < 0, c.icons_go);
        EXPECT_EQ(icon_slot(&b) < 0, c.icons_go);
        EXPECT_EQ(clicked.states[ICON_CLICKED].handler == nullptr, c.icons_go);
        EXPECT_EQ(team_panel.extra_controls[1], nullptr) << "freed in every game type";
        EXPECT_EQ(front_end_state.default_action, nullptr);
        clear_icon_table();
        reset_team_panel();
    }
}

TEST_F(TeamPanels, TheRedrawnFreeEmptiesThePanelAfterTwoFrames)
{
    build_team_panel_a();
    ASSERT_NE(team_panel.controls, nullptr);
    menu_screen screen{};
    free_team_panel_redrawn(&screen);
    EXPECT_EQ(team_panel.controls, nullptr);
    EXPECT_EQ(team_panel.kind, PANEL_NONE);
}

} // namespace
