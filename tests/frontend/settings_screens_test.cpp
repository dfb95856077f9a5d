#include "control_fixture.h"

#include "frontend/hints.h"
#include "frontend/settings_screens.h"
#include "match/match_records.h"
#include "platform/language.h"
#include "platform/settings.h"
#include "display/replay.h"

#include <cstring>
#include <string>

namespace {

struct SettingsScreens : Controls {
    settings_record saved{};
    GameSettings saved_game{};
    int32_t saved_joysticks = 0;
    void SetUp() override
    {
        Controls::SetUp();
        std::memcpy(&saved, &user_settings, sizeof saved);
        saved_game = game_settings;
        saved_joysticks = joystick_controllers;
        default_settings(user_settings);
        reset_settings_screens();
        install_common_frames();
        install_control_frames();
        prepare_settings_screens();
    }
    void TearDown() override
    {
        reset_settings_screens();
        std::memcpy(&user_settings, &saved, sizeof user_settings);
        game_settings = saved_game;
        joystick_controllers = saved_joysticks;
        Controls::TearDown();
    }
};

TEST_F(SettingsScreens, FightsLevelsHaveTheirWords)
{
    const struct {
        int32_t level;
        const char* text;
    } cases[] = {{0, "0 - Pacifists Convention"},      {1, "1 - All Mouth"},
                 {10, "10 - All Mouth"},               {11, "11 - Half Hearted Pushing"},
                 {95, "95 - Last Match Of The Season"}, {99, "99 - Last Match Of The Season"},
                 {100, "100 - Forget The Ball"},        {-3, "-3 - Forget The Ball"}};
    for (const auto& c : cases) {
        char text[64];
        fights_level_text(c.level, text, sizeof text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST_F(SettingsScreens, OptionsCycleWithinTheirRangesAndTheMoonFixesThree)
{
    match_settings_open(nullptr);
    MatchSettingsScreen& ms = match_settings_state;
    for (int i = 0; i < 7; ++i) cycle_match_option(OPT_QUARTER);
    EXPECT_STREQ(ms.value_text[OPT_QUARTER], "4 minutes");
    ms.choice[OPT_PEEL_1] = 1;
    std::string seen;
    for (int i = 0; i < 4; ++i) {
        cycle_match_option(OPT_PEEL_1);
        seen += std::string(ms.value_text[OPT_PEEL_1]) + ",";
    }
    EXPECT_EQ(seen, "Two,Three,Four,One,") << "Empty is never reached";
    ms.choice[OPT_MEN_2] = 3;
    cycle_match_option(OPT_MEN_2);
    EXPECT_EQ(ms.choice[OPT_MEN_2], 1);
    ms.moon = 1;
    const int32_t weather = ms.choice[OPT_WEATHER];
    cycle_match_option(OPT_WEATHER);
    EXPECT_EQ(ms.choice[OPT_WEATHER], weather);
    refresh_match_setting_texts();
    EXPECT_STREQ(ms.value_text[OPT_TIME], "Earthrise");
    EXPECT_STREQ(ms.value_text[OPT_WEATHER], "What weather?");
    EXPECT_STREQ(ms.value_text[OPT_LOCATION], "On the Moon");
    match_settings_close(nullptr);
}

TEST_F(SettingsScreens, TheUnplacedOptionIconsCycleTheirTextsAndStoreNothing)
{
    // Byte copies, so that padding counts too.
    unsigned char before[sizeof user_settings], game_before[sizeof game_settings];
    std::memcpy(before, &user_settings, sizeof before);
    std::memcpy(game_before, &game_settings, sizeof game_before);
    std::string crowd;
    for (int i = 0; i < 5; ++i) {
        spare_option_icons[SPARE_CROWD_SIZE].states[ICON_CLICKED].handler(nullptr, nullptr, nullptr);
        crowd += std::string(spare_option_text[SPARE_CROWD_SIZE]) + ",";
    }
    EXPECT_EQ(crowd, "Massive,Miniscule,Small,Medium,Large,");
    std::string sw;
    for (int i = 0; i < 3; ++i) {
        cycle_spare_option(SPARE_SWITCH_2);
        sw += std::string(spare_option_text[SPARE_SWITCH_2]) + ",";
    }
    EXPECT_EQ(sw, "On,Off,On,");
    EXPECT_STREQ(spare_option_text[SPARE_SWITCH_1], "Off") << "each switch keeps its own choice";
    cycle_spare_option(SPARE_OPTIONS);
    cycle_spare_option(-1);
    EXPECT_EQ(std::memcmp(before, &user_settings, sizeof before), 0);
    EXPECT_EQ(std::memcmp(game_before, &game_settings, sizeof game_before), 0);
    spare_option_choice[SPARE_SWITCH_2] = 0;
    std::snprintf(spare_option_text[SPARE_SWITCH_2], sizeof spare_option_text[SPARE_SWITCH_2], "Off");
    spare_option_choice[SPARE_CROWD_SIZE] = 0;
}

TEST_F(SettingsScreens, MatchSettingsOpenWithTheDemoLocksAndCommitTheChoices)
{
    user_settings.replay_buffer_size = 512u << 10;
    user_settings.word_1452 = 250;
    user_settings.push_in_back_infringements = 0;
    free_replay_node();
    match_settings_open(nullptr);
    MatchSettingsScreen& ms = match_settings_state;
    EXPECT_EQ(ms.replay_kb, 1024) << "512 k opens as 1024";
    EXPECT_EQ(user_settings.replay_buffer_size, 1u << 20);
    EXPECT_EQ(ms.fights, 100);
    EXPECT_EQ(user_settings.weather_selection, 3u);
    EXPECT_EQ(user_settings.word_1468, 2u);
    EXPECT_EQ(ms.values[OPT_QUARTER]->flags & ICON_FOCUSABLE, 0) << "the locked options cannot be chosen";
    EXPECT_NE(ms.values[OPT_PUSH]->flags & ICON_FOCUSABLE, 0);
    cycle_match_option(OPT_PUSH);
    cycle_match_option(OPT_QUARTER);
    ms.fights = 40;
    commit_match_settings(nullptr, nullptr, nullptr);
    EXPECT_EQ(user_settings.push_in_back_infringements, 1u);
    EXPECT_EQ(user_settings.quarter_length, 6u) << "the settings keep the minutes chosen";
    EXPECT_EQ(game_settings.quarter_length, 4) << "the match plays four";
    EXPECT_EQ(user_settings.word_1452, 40u);
    EXPECT_EQ(user_settings.replay_buffer_size, 1u << 20);
    EXPECT_EQ(replay_buffer.capacity, (1u << 20) / (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    free_replay_node();
    match_settings_close(nullptr);
    EXPECT_EQ(active_icon_table.count, 0);
}

TEST_F(SettingsScreens, DifficultyScalesFromTheGameTypesBase)
{
    game_type_open(nullptr);
    game_type_state.difficulty = 50;
    front_end_state.result = 8; // Premiership
    game_type_close(nullptr);
    EXPECT_EQ(user_settings.word_1464, 80u);
    game_type_open(nullptr);
    game_type_state.difficulty = 50;
    front_end_state.result = 11; // Training
    game_type_close(nullptr);
    EXPECT_EQ(user_settings.word_1464, 50u);
}

TEST_F(SettingsScreens, TheGameTypeScreenOffersOnlyExhibition)
{
    PointerScript::start([](menu_screen* s, int f) {
        if (s != &game_type_screen) return;
        if (f == 2) {
            for (int32_t r : {11, 7, 8, 9}) {
                bool found = false;
                for (const IconSlot& slot : active_icon_table.slots)
                    if (slot.icon && slot.icon->result_code == r) found = !(slot.icon->flags & ICON_FOCUSABLE);
                EXPECT_TRUE(found) << r;
            }
            EXPECT_STREQ(game_type_state.left_text, "Medium") << "Exhibition holds the focus";
        }
        if (f == 3) key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&game_type_screen);
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(user_settings.word_1464, 50u) << "Back: the base 0 and the slider's 50";
}

TEST_F(SettingsScreens, InGameOptionsStepThroughTheirRowsAndStoreOnAccept)
{
    EXPECT_EQ(option_index(3, "Player in Possession"), 2);
    EXPECT_EQ(option_index(3, "Nothing like it"), 0);
    game_settings.team_options[0].name_display = 2; // "Human Controlled"
    game_settings.team_options[1].auto_bounce = 0;
    user_settings.team[1].auto_bounce = 1;
    in_game_options_open(nullptr);
    EXPECT_STREQ(option_row_title(1), (std::string(get_text(static_cast<uint16_t>(game_settings.home_team))) + " Auto-Offload").c_str());
    // Row 3's value, and a value whose text is not in its row.
    A_LIST_CONTROL* values = nullptr;
    for (A_LLIST_NODE* n = screen_list->first; n; n = n->next) (void)n;
    for (const IconSlot& slot : active_icon_table.slots) {
        if (!slot.icon || !slot.icon->record) continue;
        auto* s = static_cast<A_STRING_CONTROL*>(slot.icon->record);
        if (!(s->display.text_flags & ICON_FOCUSABLE) || s->settings.user_value != 3) continue;
        EXPECT_STREQ(s->settings.text, "Human Controlled");
        next_option_choice(nullptr, slot.icon, nullptr);
        EXPECT_STREQ(s->settings.text, "Player in Possession");
        next_option_choice(nullptr, slot.icon, nullptr);
        next_option_choice(nullptr, slot.icon, nullptr);
        EXPECT_STREQ(s->settings.text, "All Names") << "wraps to the first";
        set_string_control_text(s, "Odd");
        next_option_choice(nullptr, slot.icon, nullptr);
        EXPECT_STREQ(s->settings.text, "Human Controlled") << "not in the row: the second choice";
        set_string_control_text(s, "Off");
        values = list_record(s->self->parent);
    }
    ASSERT_NE(values, nullptr);
    commit_in_game_options(nullptr, nullptr, nullptr);
    EXPECT_EQ(user_settings.team[0].displayed_player_name_state, 4u) << "stored as the index + 1";
    EXPECT_EQ(game_settings.team_options[0].name_display, 4) << "and in the match's switch";
    EXPECT_EQ(user_settings.team[1].auto_bounce, 0u) << "the auto-bounce switches are copied at open";
    in_game_options_close(nullptr);
}

TEST_F(SettingsScreens, WithoutJoysticksTheConfigurationMenuGreysTheirEntry)
{
    joystick_controllers = 0;
    std::string joystick_text;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &configuration_screen) return;
        if (f == 2) {
            menu_icon* j = configuration_screen.entries[4].copy;
            joystick_text = j->text;
            EXPECT_EQ(j->flags & ICON_FOCUSABLE, 0);
        }
        if (f == 3) key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&configuration_screen);
    EXPECT_EQ(joystick_text, "No Joystick");
    EXPECT_EQ(front_end_state.result, 1) << "Esc is the back icon's 1 here";
}

// Opening the in-game options notes which teams have a joystick or pad:
// the keyboard and the mouse do not count.
TEST_F(SettingsScreens, InGameOptionsNoteWhichTeamsHaveAJoystick)
{
    const int32_t saved_mouse = mouse_controller, saved_keyboard = keyboard_controller;
    int32_t saved_sides[CONTROLLER_RECORDS];
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) saved_sides[r] = controller_side(r);
    joystick_controllers = 2, mouse_controller = 2, keyboard_controller = 3;
    struct Case {
        int32_t sides[4]; // joysticks 0 and 1, mouse, keyboard
        uint8_t home, away;
    };
    const Case cases[] = {
        {{0, 0, -1, 1}, 0, 0},
        {{-1, 0, 0, 0}, 1, 0},
        {{0, 1, 0, -1}, 0, 1},
        {{1, -1, 0, 0}, 1, 1},
    };
    for (const Case& c : cases) {
        for (int32_t r = 0; r < 4; ++r) set_controller_side(r, c.sides[r]);
        in_game_options_open(nullptr);
        EXPECT_EQ(team_has_joystick[0], c.home) << c.sides[0] << " " << c.sides[1];
        EXPECT_EQ(team_has_joystick[1], c.away) << c.sides[0] << " " << c.sides[1];
        in_game_options_close(nullptr);
    }
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, saved_sides[r]);
    mouse_controller = saved_mouse, keyboard_controller = saved_keyboard;
}

// The in-game options screen holds the busy flag while it runs; the
// configuration, game-type and hints screens clear it as they open.
TEST_F(SettingsScreens, TheBusyFlagIsHeldByInGameOptionsAndClearedByTheMenus)
{
    struct Case {
        const char* name;
        menu_screen* screen;
        uint8_t before, while_open, after;
    };
    const Case cases[] = {
        {"in-game options", &in_game_options_screen, 0, 1, 0},
        {"configuration", &configuration_screen, 1, 0, 0},
        {"game type", &game_type_screen, 1, 0, 0},
        {"hints", &hints_screen, 1, 0, 0},
    };
    for (const Case& c : cases) {
        screen_busy_flag = c.before;
        int seen = -1;
        PointerScript::start([&](menu_screen* s, int f) {
            if (s != c.screen || f != 2) return;
            seen = screen_busy_flag;
            front_end_state.result = 2;
        });
        run_front_end_screen(c.screen);
        EXPECT_EQ(seen, c.while_open) << c.name;
        EXPECT_EQ(screen_busy_flag, c.after) << c.name;
    }
}

TEST_F(SettingsScreens, MatchOptionsShowTheGameSettingsAndCommitThemOnClose)
{
    game_settings.quarter_length = 10;
    game_settings.weather = 2;
    game_settings.game_speed = 1;
    PointerScript::start([](menu_screen* s, int f) {
        if (s != &match_options_screen || f != 3) return;
        // The weather select: one step on from "Wet".
        for (const IconSlot& slot : active_icon_table.slots) {
            if (!slot.icon || !slot.icon->text || std::strcmp(slot.icon->text, "Weather") != 0) continue;
            auto* sel = static_cast<A_SELECT_CONTROL*>(slot.icon->record);
            EXPECT_EQ(sel->settings.current, 2);
            select_next_choice(nullptr, &sel->display.next_icon, nullptr);
        }
        front_end_state.result = 1;
    });
    run_front_end_screen(&match_options_screen);
    EXPECT_EQ(game_settings.weather, 3);
    EXPECT_EQ(user_settings.weather_selection, 3u);
    EXPECT_EQ(game_settings.quarter_length, 4);
    EXPECT_EQ(user_settings.turbo_mode, 1u);
}

} // namespace
