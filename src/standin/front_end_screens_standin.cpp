// STAND-IN: see front_end_screens_standin.h.
#include "standin/front_end_screens_standin.h"

#include "frontend/screen_runner.h"
#include "standin/standin_screens.h"

namespace {
StandinScreenParts g_browser;
} // namespace

menu_screen file_browser_screen = standin_screen(g_browser, "Files");
int32_t browser_mode;

void set_browser_background(int32_t mode) { browser_mode = mode; }
