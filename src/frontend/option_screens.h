// The sound set-up screen (switches, volume sliders and test samples) and
// the replay buffer screen (a slider in kilobytes bounded by the memory to
// be had). Both edit the scratch settings and commit them on OK.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"
#include "platform/settings.h"

#include <cstdint>

// A slider in the screen's control list: steps of a tenth of the range, the
// standard horizontal icons, the handler on every move.
control* create_option_slider(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x,
                              int32_t y, IconFn handler);

// --- Replay buffer ---

struct ReplayBufferScreen {
    int32_t value; // kilobytes
    int32_t minimum, maximum;
    char text[256];
    control_list* controls;
};
extern ReplayBufferScreen replay_buffer_state;
extern menu_screen replay_buffer_screen;

void replay_buffer_open(menu_screen* screen);
void replay_buffer_frame(menu_screen* screen);
void replay_buffer_close(menu_screen* screen);
void apply_replay_buffer(icon_state_record* r, menu_icon* icon, menu_screen* s);

// --- Sound ---

enum SoundKind : int32_t { SOUND_COMMENTARY = 0, SOUND_EFFECTS = 1, SOUND_CROWD = 2 };

struct SoundTestScreen {
    int32_t slots[3];  // the test samples, -1 none
    int32_t voices[3]; // the voice each plays on
    uint8_t playing[3];
    char switch_text[3][8];
    control_list* controls;
};
extern SoundTestScreen sound_test_state;
extern menu_screen sound_config_screen;

void sound_test_menu(menu_screen* screen);
void sound_test_frame(menu_screen* screen);
void sound_test_close(menu_screen* screen);
// Effective level = level x master / 255, into the running sound levels and
// the playing test samples.
void apply_volume_levels(const settings_record& settings);
void toggle_commentary(icon_state_record* r, menu_icon* icon, menu_screen* s);
void toggle_effects(icon_state_record* r, menu_icon* icon, menu_screen* s);
void toggle_crowd(icon_state_record* r, menu_icon* icon, menu_screen* s);
void toggle_second_voice(icon_state_record* r, menu_icon* icon, menu_screen* s);
void test_commentary(icon_state_record* r, menu_icon* icon, menu_screen* s);
void test_effects(icon_state_record* r, menu_icon* icon, menu_screen* s);
void test_crowd(icon_state_record* r, menu_icon* icon, menu_screen* s);
void apply_sound_settings(icon_state_record* r, menu_icon* icon, menu_screen* s);
control* create_volume_slider(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x,
                              int32_t y, IconFn handler, uint8_t group);
void create_volume_sliders(control_list* list);

// The sprite templates of both screens, from the loaded sets.
void prepare_option_screens();
// Tests.
void reset_option_screens();
