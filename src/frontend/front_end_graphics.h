// Graphics several screens share: the caricature (badge) set, the clubs'
// portrait sets and the loading picture shown while a match is prepared.
#pragma once

#include <cstdint>

#include "league/league_data.h"
extern int32_t current_caricature_set;
extern int32_t second_caricature_set;
extern int32_t portrait_handles[LEAGUE_TEAMS]; // sprite set slots, -1 none
extern int32_t current_portrait_set, second_portrait_set, third_portrait_set;

extern const char* const CARICATURE_SET;
extern const char* const CONTROLLER_SET;
extern const char* const LOADING_PICTURE;

void load_caricature_set();
// On the hardware path the set's load lets go of its page textures (they stay
// cached off the device), so a screen that shows a team's badge holds the
// page of that frame while it is open: the texture held, or -1 (software
// path, no set, no such frame). Letting go sets it back to -1.
int32_t hold_caricature_frame(int32_t team);
void let_go_caricature_frame(int32_t* texture);
void load_team_portraits(int32_t team, int32_t unused, int32_t load);
// The portrait set's path of a club (its directory and file are named after it).
const char* portrait_set_path(int32_t team);
void show_loading_picture();

// Tests.
void reset_front_end_graphics();
