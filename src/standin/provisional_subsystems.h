// Provisional: stand-ins for the subsystems that start-up, the message pump
// and the match teardown call before those subsystems exist. Each keeps the
// name its owner will define; each goes once the owner lands. Every call is
// noted in provisional_calls so that the start-up order can be checked.
#pragma once

#include "gl3d/angle_maths.h"
#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "gl3d/window_shell.h"
#include "platform/tick_timer.h"

struct HostWindow;

#include <cstdint>
#include <string>
#include <vector>

extern std::vector<std::string> provisional_calls;

// Input: the mouse device value start-up hands on.
extern int32_t mouse_device_value;
// The mouse's look at window messages: 0 when it took the message.



