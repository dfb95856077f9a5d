#include "host/host_sdl.h"
#include "host/window.h"
static SDL_Event moved;
