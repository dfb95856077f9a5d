// Provisional stand-ins; see provisional_neighbours.h.
#include "standin/provisional_neighbours.h"

ProvisionalCameraGlobals& camera_globals()
{
    static ProvisionalCameraGlobals globals{0, 0, 0, 0, 0, 579.4112549695428};
    return globals;
}

uint32_t tex_invalidate_all() { return 0; }
uint32_t tex_restore_all(HostRenderDevice*) { return 0; }
