// Icon templates the menu screens build their entries from: a text in a
// font, and a sprite from a loaded set (one frame, or one a state).
#pragma once

#include "frontend/menu_icons.h"

menu_icon text_template(const char* text, uint8_t font, uint16_t flags = 0);
// A focusable text in font 1 that shows font 2 while focused or pressed,
// leaving result and running click when chosen.
menu_icon focus_text_template(const char* text, uint16_t result, IconFn click = nullptr);
void sprite_template(menu_icon* t, int32_t handle, uint8_t base, bool per_state, uint16_t result);
// The play, back and decoration sprites of the common set.
void common_button_templates(menu_icon* play, menu_icon* back, menu_icon* decoration);
