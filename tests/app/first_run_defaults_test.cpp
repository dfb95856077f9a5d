// The first-run front end: every value the routine sets, from a state where
// each was something else.
#include "app/first_run_defaults.h"

#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/language.h"
#include "platform/sound.h"
#include "screen/fonts.h"
#include "screen/screen.h"
#include "display/replay.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(FirstRunDefaults, EveryValueTheFrontEndStartsWith)
{
    clear_game_state_block();
    GameSettings& s = game_settings;
    s.game_type = GAME_DEMO;
    s.home_team = 3, s.away_team = 4;
    s.pitch_quality = 0, s.quarter_length = 5;
    for (TeamOptions& t : s.team_options) t = TeamOptions{0, 0, 2, 0};
    team_records[0].club = team_records[1].club = nullptr;
    const int32_t saved_total = controller_total;
    controller_total = 2;
    for (controller_record& c : controllers) c.side = 1;
    init_screen_format(0);
    set_screen_display_kind(0);
    reset_fonts();
    load_font(1, 1);
    ASSERT_TRUE(font_loaded(1)) << "the kit's fonts are in the data set";
    const uint32_t had_sound = sound_available;

    reset_front_end_defaults();

    EXPECT_EQ(replay_buffer.capacity, 3528000u / (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    const uint8_t order[16] = {5, 16, 11, 14, 8, 15, 12, 13, 4, 1, 10, 9, 6, 3, 7, 2};
    EXPECT_EQ(std::memcmp(match_globals.commentary_order, order, 16), 0);
    EXPECT_EQ(s.game_type, GAME_EXHIBITION);
    for (const TeamOptions& t : s.team_options) {
        EXPECT_EQ(t.auto_offload, 1);
        EXPECT_EQ(t.auto_bounce, 1);
        EXPECT_EQ(t.intercept_circle, 1);
        EXPECT_EQ(t.name_display, 0);
    }
    EXPECT_EQ(s.home_team, 0);
    EXPECT_EQ(s.away_team, 9);
    EXPECT_EQ(team_records[0].club, builtin_league.teams[0]);
    EXPECT_EQ(team_records[1].club, builtin_league.teams[9]);
    EXPECT_EQ(current_league, &builtin_league);
    EXPECT_NE(get_text(0)[0], 0) << "the language is loaded and selected";
    EXPECT_FALSE(font_loaded(1)) << "every font freed";
    EXPECT_EQ(s.front_end_count, 8);
    EXPECT_EQ(controllers[0].side, 0);
    EXPECT_EQ(controllers[1].side, 0);
    EXPECT_EQ(controllers[2].side, -1) << "the end of the controllers in use";
    EXPECT_EQ(controllers[3].side, 0);
    EXPECT_EQ(s.pitch_quality, 1);
    EXPECT_EQ(s.quarter_length, 20);

    if (!had_sound) shutdown_direct_sound();
    controller_total = saved_total;
    for (controller_record& c : controllers) c.side = 0;
    reset_language_text();
    reset_fonts();
    clear_game_state_block();
}
