// The screen a club sees when it wins a cup: its name, its nickname, the
// competition, a message and its badge over the competition's background.
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

constexpr int32_t VICTORY_PRE_SEASON = 0, VICTORY_PREMIERSHIP = 1;
constexpr int32_t VICTORY_TEXT_SIZE = 256;

struct VictoryTexts {
    int32_t kind; // VICTORY_PRE_SEASON or VICTORY_PREMIERSHIP
    uint8_t team; // the winner's club number
    char club[VICTORY_TEXT_SIZE];
    char nickname[VICTORY_TEXT_SIZE];
    char competition[VICTORY_TEXT_SIZE];
    char message[VICTORY_TEXT_SIZE];
};
extern VictoryTexts victory_texts;
extern menu_screen victory_screen;

// The lines the screen shows, by club and by kind.
extern const char* const victory_club_lines[16];
extern const char* const victory_nickname_lines[16];
extern const char* const victory_competition_names[2];

// Fills the texts, the badge and the background from kind and team, and
// centres the text icons (the screen's on_open).
void victory_screen_text();
// Only the two background paths, by kind.
void victory_screen_background();
// The screen for the winner of a competition of the given kind.
void run_victory_screen(int32_t kind, int32_t team);

// Tests.
void reset_victory_screen();
