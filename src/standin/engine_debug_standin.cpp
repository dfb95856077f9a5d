// STAND-IN (until the engine-periphery issue lands; see the header): the viewers print the memory map and the
// prompts only log.
#include "standin/engine_debug_standin.h"

#include "cmn/lib.h"
#include "win/key.h"

void memorydisplayscreen() { printmemorymap(); }
void memorydisplayconsole() { printmemorymap(); }
void pauseprompt() { liblog(nullptr, 0, "PAUSE - PRESS ANY KEY TO RESUME\n"); }
void exitprompt() { liblog(nullptr, 0, "Exit (Y/N)\n"); }
void promptbox2(const char* text, int32_t) { liblog(nullptr, 0, "%s\n", text ? text : ""); }
