// The pre-match hub: the menu a competition or an exhibition passes through
// before a match (controllers, both line-ups, settings, configuration) with
// the two clubs' mascots; OK starts the match, Back asks before leaving.
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

struct PrematchHubState {
    char title[32];
};
extern PrematchHubState prematch_hub_state;
extern menu_screen prematch_hub_screen;

void prematch_hub_open(menu_screen* screen);
void prematch_hub_frame(menu_screen* screen);
void prematch_hub_close(menu_screen* screen);
// The leave question of the game type: Yes abandons (result 3), No stays.
void prematch_hub_leave();
// The hub's templates follow the sets loaded now (the caricature mascots).
void prepare_prematch_hub();

// The hub page run until the player starts the round (OK) or leaves; what a
// competition runs before a human club's next round. OK leaves the page and
// the done flag as they were found.
void run_prematch_screen_loop();

// Tests.
void reset_prematch_hub();
