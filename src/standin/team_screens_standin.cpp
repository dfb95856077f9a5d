// STAND-IN: see team_screens_standin.h.
#include "standin/team_screens_standin.h"

#include "standin/standin_screens.h"

namespace {
StandinScreenParts g_lineup_parts, g_roles_parts;
} // namespace

uint8_t lineup_side;
uint8_t lineup_first_open;

menu_screen lineup_screen = standin_screen(g_lineup_parts, "Line-up and Formation");
menu_screen roles_screen = standin_screen(g_roles_parts, "Assign Roles");

void store_lineup_to_team() {}
