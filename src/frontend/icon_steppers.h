// Step functions an icon's state records can name: frame animations on a
// per-state timer, a pair of linked icons working as a two-way switch,
// opening and closing transitions reloaded from the icon's template, a
// sprite's idle fidgets, and a state chosen from the pointer alone.
#pragma once

#include "frontend/menu_icons.h"

void step_to_middle(icon_state_record* r, menu_icon* icon, menu_screen* s);
void step_back_to_rest(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_left_of_pair(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_right_of_pair(icon_state_record* r, menu_icon* icon, menu_screen* s);
void activate_partner(icon_state_record* r, menu_icon* icon, menu_screen* s);
void deactivate_partner(icon_state_record* r, menu_icon* icon, menu_screen* s);
void reset_transition_icon(icon_state_record* r, menu_icon* icon, menu_screen* s);
void open_step(icon_state_record* r, menu_icon* icon, menu_screen* s);
void close_step(icon_state_record* r, menu_icon* icon, menu_screen* s);
void random_idle_step(icon_state_record* r, menu_icon* icon, menu_screen* s);
void decide_icon_state(icon_state_record* r, menu_icon* icon, menu_screen* s);
