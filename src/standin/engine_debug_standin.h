// Provisional: the engine library's prompts and memory viewers,
// which the library's debug Parts will provide; each keeps its owner's name.
#pragma once

#include <cstdint>

void memorydisplayscreen();
void memorydisplayconsole();
void pauseprompt();
void exitprompt();
void promptbox2(const char* text, int32_t time);
