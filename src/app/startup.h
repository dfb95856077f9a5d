// Program start-up and shut-down, and the window-message filter that turns
// key messages into key_state bytes and tracks whether the program is active.
#pragma once

#include "platform/app_state.h"

#include <cstdint>

extern uint32_t message_keys_enabled; // key messages reach key_state only while 1 (0 during a match)
extern uint8_t cursor_shown;

extern const char* const second_copy_message;

// The entry: runs the game from start to end; never returns (the process
// ends with 0, or 1 for a second copy, a fatal error or a quit message).
[[noreturn]] int win_main(int argc, char** argv);

int32_t app_setup(AppRecord* app);
int32_t game_init(AppRecord* app);
int32_t run_front_end();
int32_t game_shutdown();
void app_stub(AppRecord* app);
void app_stub2();
void run_video_player();
void shutdown_game();
void release_match_resources();
// The 3D display, its window, the message filter and the restore after a pause.
void reinit_3d_framework();
// Back to the values before any start: for a run that ended part way.
void reset_startup_flags();

// 0 when the message was handled, 1 when the default handling should follow.
int32_t app_message_filter(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam);

// The command line as one string, the way the game reads it.
const char* program_command_line();
