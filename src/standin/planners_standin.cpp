// STAND-IN for the handball contact planner.
#include "standin/planners_standin.h"

int32_t plan_handball_contact(PlayerSlot*, PlayerSlot*, int32_t, int32_t, int32_t, int32_t) { return 10; }
