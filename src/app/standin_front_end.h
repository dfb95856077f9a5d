// The stand-in front end, until the real one lands.
#pragma once

#include <cstdint>

// The front end: keeps the window up until Esc or the window is closed.
void front_end_main();
// Its test sounds, once a frame: action 1 on the keyboard or any pad (or
// Enter) plays a sample; action 2 starts and stops a streamed phrase.
extern int32_t test_sound_slot; // -1 when there is no sound
void open_test_sounds();
void test_sounds_frame();
void close_test_sounds();
