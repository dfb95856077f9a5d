// STAND-IN: see team_screens_standin.h.
#include "standin/team_screens_standin.h"

#include "standin/standin_screens.h"

namespace {
StandinScreenParts g_lineup_parts, g_roles_parts, g_hub_parts;
} // namespace

uint8_t lineup_side;
uint8_t lineup_first_open;

menu_screen lineup_screen = standin_screen(g_lineup_parts, "Line-up and Formation");
menu_screen roles_screen = standin_screen(g_roles_parts, "Assign Roles");
menu_screen prematch_hub_screen = standin_screen(g_hub_parts, "Start Game");

void store_lineup_to_team() {}
