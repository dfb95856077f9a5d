// "Assign Roles": seven of a club's players named for seven roles on a
// drawing of the ground, the other men on the ground and the bench below.
// A player is moved onto a role by dragging him there with the mouse, or by
// Enter on him and Enter on the role. OK keeps the seven roles.
#pragma once

#include "frontend/screen_runner.h"
#include "league/team_lineups.h"

#include <cstdint>

constexpr int ROLE_ICONS = TEAM_ROLES, ROLE_PLAYER_ICONS = 13 + 6;
// The icons by number: the seven roles first, then the player icons.
constexpr int ROLE_ICON_FIRST_PLAYER = ROLE_ICONS;

struct RolesScreenState {
    int32_t team, slot, interchanges;
    int32_t players[ROLE_ICONS + ROLE_PLAYER_ICONS]; // player by icon (from 0), -1 none
    uint8_t kinds[ROLE_ICONS + ROLE_PLAYER_ICONS];   // 2-8 the roles, 1 on the ground, 9 the bench
    uint8_t role7_hidden;
    menu_icon* icons[ROLE_ICONS + ROLE_PLAYER_ICONS];
    int32_t dragging, grab_dx, grab_dy; // the icon dragged, -1 none
    int32_t picked;                     // the icon picked by Enter, -1 none
    int32_t pointed;                    // the icon whose player is shown
    char name[40];
};
extern RolesScreenState roles_state;
extern menu_screen roles_screen;

void roles_screen_open(menu_screen* screen);
void roles_screen_frame(menu_screen* screen);
void roles_screen_close(menu_screen* screen);
// OK: the role icons' players into current_roles (a hidden role 7 as -1).
void commit_roles_screen();
// A drop of one icon's player on another icon (-1: on nothing), by the
// roles' rules; false when refused.
bool drop_role_player(int32_t source, int32_t target);

// Tests.
void reset_roles_screen();
