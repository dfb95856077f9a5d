#include "platform/files.h"
#include "host/window.h"
// SDL_Window in a comment and "SDL_Init" in a string are not uses.
const char* name = "SDL_Init";
