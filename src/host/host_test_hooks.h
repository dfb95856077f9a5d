// The host's seams for tests, and for tests only: production code never
// includes this (the layer check refuses it outside src/host). Each is
// defined beside the part of the host it reaches into.
#pragma once

#include <cstdint>
#include <string>

class HostDisplayProvider;

// host/process.h
void host_set_exit_hook(void (*hook)(int code));

// host/clock.h
// Installs a clock for tests; nullptr restores the real one.
void host_set_clock(uint32_t (*clock)());
void host_srand(uint32_t seed);

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
