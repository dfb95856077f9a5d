// Provisional: least behaviour of the modules the input code needs; each goes
// when its owner defines it.
#include "platform/provisional_input_neighbours.h"

void pump_messages() {}
void screen_to_game_point(int32_t*, int32_t*) {}
void game_to_screen_point(int32_t*, int32_t*) {}
uint32_t screen_needs_redraw;
uint32_t app_suspended;
int32_t camera_yaw;
