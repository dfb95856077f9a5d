// STAND-IN (issue 24, the match scene): the side-bar and coin models;
// nothing is drawn until the scene holds them.
#include "standin/scene_overlay_standin.h"

void place_screen_model(int32_t, const float*, int32_t, int32_t, float) {}
void draw_side_bars() {}
void activate_coin_model(float, float, float, float) {}
