// Provisional: the event source's own key table replaces this file.
#pragma once

#include <SDL.h>

#include <cstdint>

// The game's key code of an SDL key: PC set-1 scan code, extended keys +128;
// 0 for a key the game has no code for.
uint8_t host_key_code(SDL_Scancode scancode);
