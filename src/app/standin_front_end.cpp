// The stand-in front end: keeps the window up until Esc or the window is
// closed, playing the test sounds. It goes when the real front end lands.
#include "app/standin_front_end.h"

#include "host/clock.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "screen/screen_flip.h"
#include "standin/provisional_subsystems.h"

int32_t test_sound_slot = -1;

namespace {

constexpr uint8_t escape_key = 0x01;
constexpr uint8_t enter_key = 0x1C;
constexpr const char* test_sample_name = "kob99_sfx\\sfxtest.wav";
constexpr const char* test_phrase_name = "kob99_sfx\\commtest.wav";
uint8_t enter_was_down;

// Newly pressed action bits of the keyboard and every pad; the mouse's record
// is not filled by the menu read.
uint32_t actions_pressed()
{
    uint32_t pressed = 0;
    for (int32_t n = 0; n < joystick_controllers; ++n) pressed |= controllers[n].pressed;
    if (const controller_record* keyboard = controller_at(keyboard_controller)) pressed |= keyboard->pressed;
    return pressed;
}

} // namespace

void open_test_sounds()
{
    test_sound_slot = load_sample(test_sample_name, -1, 0);
    enter_was_down = 0;
}

void test_sounds_frame()
{
    poll_live_input();
    uint32_t pressed = actions_pressed();
    bool enter_pressed = key_state[enter_key] != 0 && !enter_was_down;
    enter_was_down = key_state[enter_key];
    // Without a sound device the slot is -1 and the stream never opens.
    if ((pressed & ACTION_1 || enter_pressed) && test_sound_slot >= 0)
        play_sample(test_sound_slot, -1, 0, 127, 0, 0);
    if (pressed & ACTION_2) {
        if (stream_state.playing)
            toggle_stream_wav();
        else if (open_stream_wav(test_phrase_name) == 0)
            toggle_stream_wav();
    }
}

void close_test_sounds()
{
    close_stream_wav();
    free_sample(test_sound_slot);
    test_sound_slot = -1;
}

void front_end_main()
{
    provisional_calls.emplace_back("front_end_main");
    load_settings(user_settings);
    load_language_text();
    select_language(0);
    input_reset();
    open_test_sounds();
    for (;;) {
        flip_screen();
        // Looked at straight after the messages, before the keyboard read can
        // clear a press that came and went within the frame.
        if (key_state[escape_key]) break;
        test_sounds_frame();
        host_sleep_ms(15);
    }
    key_state[escape_key] = 0;
    close_test_sounds();
    save_settings(user_settings);
}
