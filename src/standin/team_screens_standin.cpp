// STAND-IN: see team_screens_standin.h.
#include "standin/team_screens_standin.h"

#include "standin/standin_screens.h"

namespace {
StandinScreenParts g_roles_parts;
} // namespace

menu_screen roles_screen = standin_screen(g_roles_parts, "Assign Roles");
