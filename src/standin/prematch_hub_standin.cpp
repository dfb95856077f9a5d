// STAND-IN: see prematch_hub_standin.h. Goes straight on to the next round.
#include "standin/prematch_hub_standin.h"

void run_prematch_screen_loop() {}
