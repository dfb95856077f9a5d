// Provisional stand-ins; see provisional_neighbours.h.
#include "standin/provisional_neighbours.h"

#include "gl3d/hw_camera.h"

ProvisionalCameraGlobals& camera_globals()
{
    static ProvisionalCameraGlobals globals{0, 0, 0, 0, 0, DEFAULT_PROJECTION_D};
    return globals;
}


uint32_t front_end_anim_frame = 0;
