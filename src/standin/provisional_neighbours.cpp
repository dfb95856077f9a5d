// Provisional stand-ins; see provisional_neighbours.h.
#include "standin/provisional_neighbours.h"


uint32_t front_end_anim_frame = 0;
