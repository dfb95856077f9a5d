// STAND-IN: the hardware path's 3D menu objects (an animated full-screen
// picture) and the menu tile textures, until the render services build them.
// Same names and arguments as the real ones; delete when they land. A
// picture is shown whole on one texture; every effect is a quarter-second
// fade, in for the arrivals and out for the carry-aways.
#pragma once

#include <cstdint>

void load_tile_textures();
void release_tile_textures();
// pixels: display width x height words 0xAARRGGBB; the slot or -1.
int32_t create_3d_object(const uint32_t* pixels, int32_t style, int32_t effect, int32_t shown);
// A slot below 0 means the object at that index of the order list.
void start_3d_object(int32_t slot, int32_t index, int32_t style, int32_t effect);
void show_3d_object(int32_t slot, int32_t index);
void restart_3d_object_timer(int32_t slot, int32_t index);
void free_3d_object(int32_t slot, int32_t index);
void free_all_3d_objects();
void draw_3d_objects();
int32_t any_3d_object_active();
int32_t objects_finished();
