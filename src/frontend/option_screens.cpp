#include "frontend/option_screens.h"

#include "frontend/control_events.h"
#include "frontend/controller_config.h"
#include "frontend/front_end_state.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "platform/controllers.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "screen/screen.h"
#include "display/replay.h"

#include <cstdio>
#include <cstring>

ReplayBufferScreen replay_buffer_state;
SoundTestScreen sound_test_state;

namespace {

constexpr int32_t KILOBYTE = 1024;
constexpr int32_t SCREEN_MAX_KB = 8192;

ReplayBufferScreen& rb = replay_buffer_state;
SoundTestScreen& st = sound_test_state;

menu_icon g_decoration, g_play, g_back, g_sound_ok;

void result_two(menu_screen*) { front_end_state.result = 2; }

// --- Replay buffer ---

menu_icon g_replay_title = text_template("Set Replay Buffer", 3);
menu_icon g_replay_caption = text_template("Current Replay Buffer Size :", 1);
menu_icon g_replay_value = text_template(replay_buffer_state.text, 1);
menu_screen_entry g_replay_entries[7] = {
    {0, &g_decoration, -60, 55, nullptr},        {0, &g_decoration, 1596, 436, nullptr},
    {6, &g_replay_title, 20, 20, nullptr},       {6, &g_replay_caption, 175, 214, nullptr},
    {0, &g_replay_value, 210, 244, nullptr},     {7, &g_back, 50, 450, nullptr},
    {7, &g_play, 110, 450, nullptr},
};
const char* const k_replay_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\club.lbm",
                                          "front_en\\front_end_gfx\\menu_screens\\hw\\black.tga"};

void centre_replay_texts()
{
    for (int e : {3, 4})
        if (menu_icon* icon = g_replay_entries[e].copy) centre_icon_text_on_screen(icon);
}

// --- Sound ---

const char* const k_sample_files[3] = {"kob99_sfx\\commtest.wav", "kob99_sfx\\sfxtest.wav", "kob99_sfx\\crowd.wav"};

void switch_normal_font(icon_state_record*, menu_icon* icon, menu_screen*)
{
    for (auto& s : icon->states) s.image = 1;
}
void switch_highlight_font(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon->state == ICON_INACTIVE) return;
    for (auto& s : icon->states) s.image = 2;
}

menu_icon switch_template(char* text, IconFn click)
{
    menu_icon t = text_template(text, 1, ICON_FOCUSABLE);
    t.states[ICON_NORMAL].handler = switch_normal_font;
    t.states[ICON_FOCUSED].handler = switch_highlight_font;
    t.states[ICON_CLICKED].handler = click;
    return t;
}
menu_icon test_template(IconFn click)
{
    menu_icon t = text_template("Test", 1, ICON_FOCUSABLE);
    t.states[ICON_CLICKED].handler = click;
    return t;
}

menu_icon g_sound_title = text_template("Sound Configuration", 3);
menu_icon g_switches[3] = {switch_template(sound_test_state.switch_text[0], toggle_commentary),
                           switch_template(sound_test_state.switch_text[1], toggle_effects),
                           switch_template(sound_test_state.switch_text[2], toggle_crowd)};
menu_icon g_volume_titles[3] = {text_template("Commentary Volume", 3), text_template("SFX Volume", 3),
                                text_template("Crowd Volume", 3)};
menu_icon g_tests[3] = {test_template(test_commentary), test_template(test_effects), test_template(test_crowd)};
menu_screen_entry g_sound_entries[14] = {
    {0, &g_decoration, -100, 55, nullptr},    {0, &g_decoration, 1596, 436, nullptr},
    {0, &g_sound_title, 20, 20, nullptr},     {2, &g_switches[0], 134, 135, nullptr},
    {3, &g_switches[1], 134, 260, nullptr},   {4, &g_switches[2], 134, 385, nullptr},
    {0, &g_volume_titles[0], 134, 80, nullptr}, {0, &g_volume_titles[1], 134, 205, nullptr},
    {0, &g_volume_titles[2], 134, 330, nullptr}, {2, &g_tests[0], 200, 135, nullptr},
    {3, &g_tests[1], 200, 260, nullptr},      {4, &g_tests[2], 200, 385, nullptr},
    {1, &g_back, 50, 450, nullptr},           {1, &g_sound_ok, 110, 450, nullptr},
};
const char* const k_sound_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\sound configuration.lbm",
                                         "front_en\\front_end_gfx\\menu_screens\\hw\\sound configuration.tga"};

uint32_t* switch_of(settings_record& s, int32_t kind)
{
    return kind == SOUND_COMMENTARY ? &s.commentary : (kind == SOUND_EFFECTS ? &s.sfx : &s.crowd);
}
uint32_t* level_of(settings_record& s, int32_t kind)
{
    return kind == SOUND_COMMENTARY ? &s.commentary_volume : (kind == SOUND_EFFECTS ? &s.sfx_volume : &s.crowd_volume);
}

uint32_t effective(const settings_record& s, uint32_t level) { return level * s.level_2488 / 255; }

void set_test_font(int32_t kind, uint8_t font)
{
    if (menu_icon* icon = g_sound_entries[9 + kind].copy)
        for (auto& s : icon->states) s.image = font;
}

void stop_test(int32_t kind)
{
    if (st.slots[kind] >= 0) stop_sample(st.slots[kind]);
    st.voices[kind] = -1;
}

void toggle_switch(int32_t kind)
{
    st.playing[kind] = 0;
    uint32_t* sw = switch_of(settings_scratch, kind);
    *sw = *sw == 0 ? 1 : 0;
    stop_test(kind);
    set_test_font(kind, 1);
}

void toggle_test(int32_t kind)
{
    st.playing[kind] = !st.playing[kind];
    const uint32_t volume = effective(settings_scratch, *level_of(settings_scratch, kind));
    if (st.playing[kind] && *switch_of(settings_scratch, kind) && volume != 0) {
        apply_volume_levels(settings_scratch);
        if (st.slots[kind] >= 0) st.voices[kind] = play_sample(st.slots[kind], -1, 0, volume, 0, 1);
        set_test_font(kind, 2);
    } else {
        stop_test(kind);
        set_test_font(kind, 1);
    }
}

void write_switch_texts()
{
    for (int32_t k = 0; k < 3; ++k) {
        std::snprintf(st.switch_text[k], sizeof st.switch_text[k], "%s", *switch_of(settings_scratch, k) ? "on" : "off");
        if (menu_icon* icon = g_sound_entries[3 + k].copy) update_icon(icon);
    }
}

void commentary_level_changed(icon_state_record*, menu_icon*, menu_screen*) { apply_volume_levels(settings_scratch); }
void effects_level_changed(icon_state_record*, menu_icon*, menu_screen*) { apply_volume_levels(settings_scratch); }
void crowd_level_changed(icon_state_record*, menu_icon*, menu_screen*) { apply_volume_levels(settings_scratch); }
const IconFn k_level_changed[3] = {commentary_level_changed, effects_level_changed, crowd_level_changed};

} // namespace

menu_screen replay_buffer_screen = {7, SCREEN_MENU, k_replay_pictures, nullptr, 0, &g_replay_entries[5],
                                    replay_buffer_open, replay_buffer_close, replay_buffer_frame, nullptr,
                                    0, 0, 0, 0, 0, 0, g_replay_entries};
menu_screen sound_config_screen = {14, SCREEN_MENU, k_sound_pictures, nullptr, 0, &g_sound_entries[12],
                                   sound_test_menu, sound_test_close, sound_test_frame, nullptr,
                                   0, 0, 0, 0, 0, 0, g_sound_entries};

void prepare_option_screens()
{
    prepare_control_templates();
    common_button_templates(&g_play, &g_back, &g_decoration);
    g_play.states[ICON_CLICKED].handler = apply_replay_buffer;
    g_sound_ok = g_play;
    g_sound_ok.result_code = 0; // its handler gives the result
    g_sound_ok.states[ICON_CLICKED].handler = apply_sound_settings;
}

control* create_option_slider(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x,
                              int32_t y, IconFn handler)
{
    control* t = new_slider_template(value, minimum, maximum, x, y, (maximum - minimum) / 10);
    A_SLIDER_CONTROL::Callbacks& cb = slider_record(t)->callbacks;
    cb.thumb_dragged = cb.paged_up = cb.paged_down = cb.decrease_clicked = cb.increase_clicked = handler;
    return add_from_template(list, nullptr, t);
}

// --- Replay buffer ---

void replay_buffer_open(menu_screen*)
{
    std::memcpy(&settings_scratch, &user_settings, sizeof settings_scratch);
    front_end_state.default_action = result_two;
    create_list(&rb.controls);
    rb.maximum = static_cast<int32_t>(largest_free_block(REPLAY_SIZE_MIN, KILOBYTE) / KILOBYTE);
    rb.minimum = rb.maximum < KILOBYTE ? 0 : KILOBYTE;
    if (rb.maximum > SCREEN_MAX_KB) rb.maximum = SCREEN_MAX_KB;
    // A slider needs a range to divide by.
    if (rb.maximum <= rb.minimum) rb.maximum = rb.minimum + 1;
    rb.value = static_cast<int32_t>(settings_scratch.replay_buffer_size / KILOBYTE);
    int32_t corrected = rb.value;
    if (corrected > rb.maximum) corrected = rb.maximum;
    if (corrected < rb.minimum) corrected = rb.minimum;
    if (corrected != rb.value) {
        rb.value = corrected;
        user_settings.replay_buffer_size = settings_scratch.replay_buffer_size = static_cast<uint32_t>(corrected) * KILOBYTE;
    }
    create_option_slider(rb.controls, &rb.value, rb.minimum, rb.maximum, 320, 284, nullptr);
    draw_control_list(rb.controls);
    update_control_list(rb.controls);
    std::snprintf(rb.text, sizeof rb.text, "%ld k", static_cast<long>(rb.value));
    centre_replay_texts();
}

void replay_buffer_frame(menu_screen*)
{
    std::snprintf(rb.text, sizeof rb.text, "%ld k", static_cast<long>(rb.value));
    centre_replay_texts();
    update_control_list(rb.controls);
    read_keyboard_controller();
}

void apply_replay_buffer(icon_state_record*, menu_icon*, menu_screen*)
{
    settings_scratch.replay_buffer_size = static_cast<uint32_t>(rb.value) * KILOBYTE;
    std::memcpy(&user_settings, &settings_scratch, sizeof user_settings);
    if (user_settings.replay_buffer_size < REPLAY_SIZE_MIN) user_settings.replay_buffer_size = REPLAY_SIZE_MIN;
    new_replay_node(user_settings.replay_buffer_size);
}

void replay_buffer_close(menu_screen*)
{
    free_control_tree(&rb.controls);
    front_end_state.default_action = nullptr;
}

// --- Sound ---

void apply_volume_levels(const settings_record& s)
{
    const uint32_t levels[3] = {effective(s, s.commentary_volume), effective(s, s.sfx_volume), effective(s, s.crowd_volume)};
    active_sound_levels.commentary_volume = static_cast<uint8_t>(levels[0]);
    active_sound_levels.sfx_volume = static_cast<uint8_t>(levels[1]);
    active_sound_levels.crowd_volume = static_cast<uint8_t>(levels[2]);
    for (int32_t k = 0; k < 3; ++k)
        if (st.playing[k] && st.slots[k] >= 0 && st.voices[k] >= 0) set_sample_volume(st.slots[k], st.voices[k], levels[k]);
    // The fourth level, the master level and the further value drive nothing.
    nop_c(effective(s, s.level_2484), 0);
    nop_b(s.level_2488, 0);
    nop_a(s.drive_letter, 0);
}

control* create_volume_slider(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x,
                              int32_t y, IconFn handler, uint8_t group)
{
    control* c = create_option_slider(list, value, minimum, maximum, x, y, handler);
    A_SLIDER_CONTROL* s = slider_record(c);
    s->callbacks.increase_repeat = s->callbacks.decrease_repeat = handler;
    set_slider_icon_layers(&s->display, group, group, group, group);
    return c;
}

void create_volume_sliders(control_list* list)
{
    const int32_t y[3] = {142, 267, 392};
    for (int32_t k = 0; k < 3; ++k)
        create_volume_slider(list, reinterpret_cast<int32_t*>(level_of(settings_scratch, k)), 0, 127, 334, y[k],
                             k_level_changed[k], static_cast<uint8_t>(2 + k));
}

void sound_test_menu(menu_screen*)
{
    input_reset();
    create_list(&st.controls);
    user_settings.level_2484 = 255;
    user_settings.level_2488 = 255;
    user_settings.drive_letter = 67;
    std::memcpy(&settings_scratch, &user_settings, sizeof settings_scratch);
    for (int32_t k = 0; k < 3; ++k) {
        st.slots[k] = load_sample(data_path(k_sample_files[k]), -1, 0);
        st.voices[k] = -1;
        st.playing[k] = 0;
    }
    create_volume_sliders(st.controls);
    draw_control_list(st.controls);
    for (int32_t k = 0; k < 3; ++k)
        if (menu_icon* icon = g_sound_entries[3 + k].copy) icon->user_index = static_cast<uint8_t>(3 + k);
    write_switch_texts();
    apply_volume_levels(settings_scratch);
}

void sound_test_frame(menu_screen*)
{
    read_keyboard_controller();
    write_switch_texts();
    update_control_list(st.controls);
}

void toggle_commentary(icon_state_record*, menu_icon*, menu_screen*) { toggle_switch(SOUND_COMMENTARY); }
void toggle_effects(icon_state_record*, menu_icon*, menu_screen*) { toggle_switch(SOUND_EFFECTS); }
void toggle_crowd(icon_state_record*, menu_icon*, menu_screen*) { toggle_switch(SOUND_CROWD); }
void toggle_second_voice(icon_state_record*, menu_icon*, menu_screen*)
{
    settings_scratch.second_voice = settings_scratch.second_voice == 0 ? 1 : 0;
}
void test_commentary(icon_state_record*, menu_icon*, menu_screen*) { toggle_test(SOUND_COMMENTARY); }
void test_effects(icon_state_record*, menu_icon*, menu_screen*) { toggle_test(SOUND_EFFECTS); }
void test_crowd(icon_state_record*, menu_icon*, menu_screen*) { toggle_test(SOUND_CROWD); }

void apply_sound_settings(icon_state_record*, menu_icon*, menu_screen*)
{
    active_sound_levels.crowd = settings_scratch.crowd;
    active_sound_levels.sfx_volume = static_cast<uint8_t>(settings_scratch.sfx_volume);
    active_sound_levels.sfx = settings_scratch.sfx;
    active_sound_levels.commentary_volume = static_cast<uint8_t>(settings_scratch.commentary_volume);
    active_sound_levels.crowd_volume = static_cast<uint8_t>(settings_scratch.crowd_volume);
    active_sound_levels.commentary = settings_scratch.commentary;
    std::memcpy(&user_settings, &settings_scratch, sizeof user_settings);
    front_end_state.result = 2;
}

void sound_test_close(menu_screen*)
{
    for (int32_t k = 0; k < 3; ++k) {
        stop_test(k);
        if (st.slots[k] >= 0) free_sample(st.slots[k]);
        st.slots[k] = -1;
        st.playing[k] = 0;
    }
    // Left without OK, the running levels go back to the live settings'.
    if (std::memcmp(&user_settings, &settings_scratch, sizeof user_settings) != 0) apply_volume_levels(user_settings);
    free_control_tree(&st.controls);
    front_end_state.default_action = nullptr;
}

void reset_option_screens()
{
    if (rb.controls) free_control_tree(&rb.controls);
    if (st.controls) free_control_tree(&st.controls);
    rb = ReplayBufferScreen{};
    st = SoundTestScreen{};
    for (int32_t& s : st.slots) s = -1;
}
