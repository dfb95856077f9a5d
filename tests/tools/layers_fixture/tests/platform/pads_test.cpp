#include "host/host_test_hooks.h"
#include "host/host_sdl.h"
#include "match/ball.h"
static SDL_Event pressed;
