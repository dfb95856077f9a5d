// The front end on the 3D path, drawn into the recording device: the camera,
// lens and colour mode as the front end's set-up leaves them, its resources
// loaded, and everything the screens keep emptied before and after.
#pragma once

#include "front_end_fixture.h"

#include "gl3d/gl_fixture.h"
#include "gl3d/hw_camera.h"
#include "gl3d/menu_objects.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"

#include <cstring>

struct HardwareFrontEnd : GlFixture {
    void SetUp() override
    {
        GlFixture::SetUp();
        saved_hardware = use_3d_hardware;
        use_3d_hardware = 1;
        sprite_hardware_switch = 1;
        reset_hw_camera();
        init_hw_lens();
        set_viewport(0, 0, 640, 480);
        set_colour_mode(2, 0xFFFFFFFF); // vertex colours, as the front end's set-up has it
        init_screen_format(0);
        set_screen_display_kind(1);
        for (int32_t w = 0; w < 4; ++w) set_clip_window(w, 0, 0, 480, 640);
        reset_texture_cache();
        tex_destroy_all();
        reset_everything();
        load_front_end_resources();
    }
    void TearDown() override
    {
        front_end_shutdown();
        reset_everything();
        reset_texture_cache();
        tex_destroy_all();
        set_screen_display_kind(0);
        sprite_hardware_switch = 0;
        use_3d_hardware = saved_hardware;
        GlFixture::TearDown();
    }
    static void reset_everything()
    {
        reset_menu_objects();
        reset_fonts();
        reset_menu_icons();
        reset_screen_runner();
        reset_front_end_state();
        reset_message_box();
        reset_front_end_resources();
        reset_match_handover();
        reset_sprite_sets();
        reset_sprite_queues();
        std::memset(key_state, 0, sizeof key_state);
        mouse_state = MouseState{};
    }
    uint32_t saved_hardware = 0;
};
