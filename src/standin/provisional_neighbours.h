// Provisional: what the 3D display needs of neighbours that are not built
// yet (the front end's frame counter). Each owner
// replaces these with the real thing and deletes the matching stand-in.
#pragma once

#include <cstdint>

// The front end's animation frame counter, advanced once per drawn frame.
extern uint32_t front_end_anim_frame;
