// STAND-IN (until the sound-library-and-movie issue lands with the packed
// data decoders; see the header): nothing unpacks yet.
#include "standin/engine_unpack_standin.h"

uint32_t unpacksize(const void*) { return 0; }
uint32_t unpack(const void*, void*) { return 0; }
