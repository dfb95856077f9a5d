// STAND-IN (until the team screens issue, 28, lands its roles screen): the
// roles screen as a plain screen of the runner (a title, OK and Back).
// Same name as the real one; delete when it lands.
#pragma once

#include "frontend/screen_runner.h"

extern menu_screen roles_screen;
