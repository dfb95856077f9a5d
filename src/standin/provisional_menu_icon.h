// Provisional: the fields of a menu icon that text alignment uses, until the
// front end's screens define the whole icon.
#pragma once

#include <cstdint>

struct menu_icon {
    const char* text; // null for an icon without text
    int16_t font;
    int32_t x; // left edge, in 640 x 480 units
};

// Redraws the icon after its text moved.
void update_icon(menu_icon* icon);
