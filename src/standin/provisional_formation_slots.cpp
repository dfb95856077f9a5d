// Provisional: nothing to clear until the formation slots exist.
#include "standin/provisional_formation_slots.h"

void clear_formation_slots() {}
