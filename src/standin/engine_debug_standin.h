// STAND-IN (until the engine-periphery issue lands): the engine library's
// framed prompts and memory viewers; each keeps its owner's name.
#pragma once

#include <cstdint>

void memorydisplayscreen();
void memorydisplayconsole();
void pauseprompt();
void exitprompt();
void promptbox2(const char* text, int32_t time);
