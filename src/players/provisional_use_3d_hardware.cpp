// Provisional: start-up owns the display path switch and sets it; until it
// does, the game takes the hardware path.
#include "players/paf.h"

int32_t use_3d_hardware = 1;
