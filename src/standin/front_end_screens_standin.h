// STAND-IN (until the team screens issue, 28, lands the file browser): the
// file browser's screen as a minimal screen of the runner (a title, OK (1)
// and Back (2)), with its mode and the background chosen for the mode. Same
// names as the real ones; delete when it lands.
#pragma once

#include <cstdint>

struct menu_screen;

// The file browser in its mode, its background chosen for the mode.
extern menu_screen file_browser_screen;
extern int32_t browser_mode;
void set_browser_background(int32_t mode);
