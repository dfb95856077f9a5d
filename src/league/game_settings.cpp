#include "league/game_settings.h"

namespace {
const char* palette_name = nullptr;
}

void clear_screen_palette_name() { palette_name = nullptr; }
void set_video_palette_name() { palette_name = "FRONT_EN\\ANIM\\VIDEO.PAL"; }
const char* screen_palette_name() { return palette_name; }
