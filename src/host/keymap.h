// The keyboard as the game knows it: PC set-1 scan codes. Window messages
// carry the scan code and extended flag; the game's key codes (the indices of
// key_state, key mappings, settings) are the scan code with extended keys at
// +128, as DirectInput numbers them.
#pragma once

#include <SDL.h>

#include <cstdint>

// The set-1 scan code and extended flag of an SDL key; false for a key the PC
// keyboard has no code for.
bool host_scan_code(SDL_Scancode key, uint8_t* scan, bool* extended);

// The game's key code of an SDL key, 0 for none. Num Lock and Pause share scan
// code 0x45 and differ only in the extended flag, which DirectInput numbers
// the other way round: Num Lock 0x45, Pause 0xC5.
uint8_t host_key_code(SDL_Scancode key);

// The SDL key of a game key code, SDL_SCANCODE_UNKNOWN for none.
SDL_Scancode host_sdl_scancode(uint8_t key_code);
