// A GL context bound to a recording device, without a window.
#pragma once

#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/window_shell.h"
#include "host/host_test_hooks.h"
#include "platform/app_state.h"

#include <gtest/gtest.h>

#include <cstring>

class GlFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        glw_set_reshape_func(nullptr);
        reset_display_device();
        app_active = 1; // presenting pumps messages, which waits while the program is inactive
        app_suspended = 0;
        context = gl_create_context();
        ASSERT_NE(context, nullptr);
        binding.device = &device;
        binding.context = context;
        binding.width = 640;
        binding.height = 480;
        binding.active = 1;
        binding.full_screen = 0;
        gl_make_current(&binding);
        refresh_display_info();
    }
    void TearDown() override
    {
        gl_make_current(nullptr);
        refresh_display_info();
        gl_destroy_context(context);
    }

    // A perspective camera at the origin looking down -z, square pixels.
    void look_down_minus_z()
    {
        set_gl_viewport(0, 0, 640, 480);
        set_projection(90.0f, 4.0f / 3.0f, 1.0f, 100.0f);
        gl_matrix_mode(GL_MODELVIEW_MODE);
        gl_load_identity();
    }

    RecordingDevice device;
    gl_device binding{};
    gl_context* context = nullptr;
};

inline void expect_matrix_near(const float* actual, const float* expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "entry " << i;
}
