// STAND-IN (until the team screens issue, 28, lands its screens): the
// line-up and roles screens as plain screens of the runner (a
// title, OK and Back), and the line-up screen's side and first-open flag the
// pages set. Same names as the real ones; delete when they land.
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

// The side the line-up screen edits (0 home, 1 away) and its first-open flag.
extern uint8_t lineup_side;
extern uint8_t lineup_first_open;

extern menu_screen lineup_screen;
extern menu_screen roles_screen;

// The line-up screen's state into the team's record (the stand-in keeps it).
void store_lineup_to_team();
