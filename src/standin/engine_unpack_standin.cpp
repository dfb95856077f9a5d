// Provisional (see the header).
#include "standin/engine_unpack_standin.h"

uint32_t unpacksize(const void*) { return 0; }
uint32_t unpack(const void*, void*) { return 0; }
