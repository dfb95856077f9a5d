// Provisional: start-up owns the display path switch. Until its definition
// is linked in, this one (which gives way to it) takes the hardware path.
#include "players/paf.h"

__attribute__((weak)) uint32_t use_3d_hardware = 1;
