// STAND-IN (until issue 24, the match scene, lands its overlay models): the
// two side-bar models the HUD's bars are placed on and drawn with, and the
// coin overlay model shown at the toss. Replaced by the scene's own.
#pragma once

#include <cstdint>

void place_screen_model(int32_t bar, const float point[2], int32_t height, int32_t width, float fill);
void draw_side_bars();
// The coin made active at a point with its first rotation angle (radians).
void activate_coin_model(float x, float y, float z, float angle);
