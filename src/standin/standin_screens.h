// STAND-IN helper (used by the stand-in screens of issue 28): the
// plainest menu screen the runner can run, a title with an OK (result 1) and
// a Back (result 2) text icon. Delete with the last stand-in screen.
#pragma once

#include "frontend/menu_icons.h"
#include "frontend/screen_runner.h"

struct StandinScreenParts {
    menu_icon title, ok, back;
    menu_screen_entry entries[3];
};

// The screen over the parts (which must outlive it); OK has the focus.
menu_screen standin_screen(StandinScreenParts& parts, const char* title);
