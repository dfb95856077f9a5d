// The host's seams for tests, and for tests only: production code never
// includes this (the layer check refuses it outside src/host). Each is
// defined beside the part of the host it reaches into.
#pragma once

#include "host/events.h"
#include "host/window.h"

#include <cstdint>
#include <string>

class HostDisplayProvider;

// host/process.h
void host_set_exit_hook(void (*hook)(int code));

// host/clock.h
// Installs a clock for tests; nullptr restores the real one.
void host_set_clock(uint32_t (*clock)());
void host_srand(uint32_t seed);
// The fast clock of KOB99_FAST_CLOCK: the rate its value asks for (1, the
// real rate, with a message, when it is not a whole number from 1 to 100),
// and the rate set directly, counting from now.
uint32_t host_parse_fast_clock(const char* value);
void host_set_fast_clock(uint32_t rate);
// How far the fast clock has run since the last frame shown, after that much
// real time (microseconds both).
uint64_t host_fast_clock_lead_us(uint64_t real_since_frame_us, uint32_t rate);

// host/paths.h
// Tests point the two directories elsewhere (an empty string restores the
// environment's choice).
void host_set_data_dir(const std::string& dir);
void host_set_user_dir(const std::string& dir);

// host/events.h
// Empties the queue (tests).
void host_clear_messages();

// host/settings_store.h
// Tests: read the file again (as a new run would), and make the store refuse writes.
void host_settings_reload();
void host_settings_set_writable(bool writable);

// host/host_input.h
void host_set_debug_output_hook(void (*hook)(const char* text));

// host/render_device.h
void host_set_display_provider(HostDisplayProvider* provider); // nullptr: the machine's

// host/audio.h
// Tests: with manual output, opening makes no device and no timer thread;
// the test mixes the output itself and runs the timers by hand
// (host_timer_run_manual). Set before host_sound_open.
void host_sound_set_manual_output(bool manual);
bool host_sound_manual_output();
// Mixes the next frames of output (mono 16-bit) and advances every playing
// buffer, exactly as the device would.
void host_sound_mix(int16_t* out, uint32_t frames);
// Buffers alive, duplicates included.
uint32_t host_sound_buffer_count();
// Every block of output, as it is sent to the device, goes to the hook too.
void host_sound_set_capture(void (*hook)(const int16_t* frames, uint32_t count, void* user), void* user);

// host/periodic_timer.h
// With manual sound output (host/audio.h) timers have no thread: a test runs
// each live timer's callback once, on its own thread, with this.
void host_timer_run_manual();

// host/cd_drive.h
// Tests: a pretend disc of n tracks (0 takes it out), and the commands it got.
void host_cd_insert_test_disc(uint32_t tracks);
const std::string& host_cd_test_log();

// Input as the machine would give it: to the input devices (what
// host/host_input.h reads), to the window messages (what the pump makes), or
// both. Keys by the game's key code; held buttons as HOST_MK_ bits.
enum HostTestRoute { HOST_TO_DEVICES = 1, HOST_TO_MESSAGES = 2, HOST_TO_BOTH = 3 };
enum HostTestButton { HOST_TEST_LEFT = 1, HOST_TEST_MIDDLE = 2, HOST_TEST_RIGHT = 3 };
void host_test_key(HostTestRoute to, uint8_t key_code, bool down, bool repeat = false);
void host_test_mouse_move(HostTestRoute to, int32_t x, int32_t y, int32_t dx, int32_t dy, uint32_t held = 0);
void host_test_mouse_button(HostTestRoute to, HostTestButton button, bool down, int32_t x = 0, int32_t y = 0);
// These become window messages only.
void host_test_text(const char* text);
void host_test_window_exposed();
void host_test_window_moved(int32_t x, int32_t y);
// The shift and control keys as held from now (HOST_MOD_ bits of host/window.h).
void host_test_set_key_modifiers(int modifiers);

// Scripted pads: begin answers the joysticks already attached (-1 when there
// is no joystick support); pads attached after it are found as the machine's.
// Hats take the HOST_HAT_ bits.
struct HostTestPad;
enum : uint8_t { HOST_HAT_CENTRED = 0, HOST_HAT_UP = 1, HOST_HAT_RIGHT = 2, HOST_HAT_DOWN = 4, HOST_HAT_LEFT = 8 };
int host_test_pads_begin();
HostTestPad* host_test_attach_pad(const char* name, int buttons, int hats); // nullptr when it cannot
void host_test_pad_axes(HostTestPad* pad, int16_t x, int16_t y);
void host_test_pad_hat(HostTestPad* pad, uint8_t hat);
void host_test_pad_button(HostTestPad* pad, int button, bool down);
void host_test_unplug_last_pad();
void host_test_pads_end(); // unplugs every pad

// A hidden window of the picture's size, with the video started; and its end
// (which also drops the events it left).
struct HostWindow;
HostWindow* host_test_hidden_window();
void host_test_destroy_hidden_window(HostWindow* window);
bool host_test_window_full_screen(HostWindow* window);
// Why the last of these failed.
const char* host_test_last_error();

// host/recording_device.h: a 3D device and display provider that record.
#include "host/recording_device.h"
