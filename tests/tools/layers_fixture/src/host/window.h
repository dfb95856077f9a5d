#pragma once
#include <SDL.h>
struct SDL_Window* host_window();
