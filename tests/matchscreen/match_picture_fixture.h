// What the match-picture tests share: input and screen wiped before a match
// is set up, and the 3D display taken down once it is over.
#pragma once

#include "display/camera_presets.h"
#include "gl3d/d3d.h"
#include "gl3d/display_device.h"
#include "gl3d/texture_cache.h"
#include "gl3d/window_shell.h"
#include "match/match_hooks.h"
#include "platform/app_state.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "screen/screen.h"

#include <cstring>

// No hooks, no keys down, no controller on a side, the program active.
inline void clear_input_and_screen()
{
    clear_match_hooks();
    std::memset(key_state, 0, sizeof key_state);
    for (controller_record& c : controllers) c.side = 0;
    app_active = 1;
    app_suspended = 0;
    init_screen_format(0, 0);
}

// After the match's own resources are gone: the cameras, the textures and
// the window, so that the next test starts the display afresh.
inline void close_hardware_match_display()
{
    clear_match_hooks();
    std::memset(key_state, 0, sizeof key_state);
    reset_camera_presets();
    reset_texture_cache();
    glw_destroy_window();
    free_driver_list();
    refresh_display_info();
    reset_display_device();
}
