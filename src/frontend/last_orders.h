// Last Minute Orders: the menu just before a match of the full game (the
// controllers, each human side's line-up, match settings, configuration,
// start), with a difficulty slider for exhibitions and training.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>

struct LastOrdersScreen {
    char title[32];
    char team_names[2][64];
    char formation_texts[2][96];
    uint8_t side_controller[2]; // a controller on the home / away side
    uint8_t human_count[2];     // human controllers a side, from its name list
    int32_t percent;            // the difficulty slider, 0..100
    int32_t items;              // menu items added
    int32_t first_y, spacing;
    menu_icon* item_icons[7];
    menu_icon* labels[3];
    control_list* controls;
};
extern LastOrdersScreen last_orders_state;
extern menu_screen last_orders_screen;

void last_orders_page();
void last_orders_open(menu_screen* screen);
void last_orders_frame(menu_screen* screen);
void last_orders_close(menu_screen* screen);
// The exit question of the game type: Yes quits the match, No stays.
void last_orders_exit();

// Tests.
void reset_last_orders();
