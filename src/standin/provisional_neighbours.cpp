// Provisional stand-ins; see provisional_neighbours.h.
#include "standin/provisional_neighbours.h"

ProvisionalCameraGlobals& camera_globals()
{
    static ProvisionalCameraGlobals globals{0, 0, 0, 0, 0, 579.4112549695428};
    return globals;
}


uint32_t front_end_anim_frame = 0;
