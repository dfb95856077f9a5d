// The host: everything the game may ask of the machine, and nothing else.
// A layer above includes the part it needs; this lists every call with the
// contract it keeps (the part's own header says more). No host header shows
// an SDL or GL type. The layer check fails when a call of a part is missing
// here.
#pragma once

#include "host/audio.h"
#include "host/audio_queue.h"
#include "host/cd_drive.h"
#include "host/clock.h"
#include "host/events.h"
#include "host/file_util.h"
#include "host/host_input.h"
#include "host/instance.h"
#include "host/libwindow.h"
#include "host/paths.h"
#include "host/periodic_timer.h"
#include "host/picture.h"
#include "host/process.h"
#include "host/render_device.h"
#include "host/settings_store.h"
#include "host/window.h"

// host/process.h: starting and ending
//   host_init              starts the base layer before any window or device; false when it cannot
//   host_exit              ends the process with the code (tests hook it); never returns
//   host_exit_now          the same from a thread other than the main one: no exit functions run
//   host_start_program     starts a program without waiting; false when it is missing or will not start
//   host_message_box       a modal box; with no display the text goes to stderr and the default answer is taken
//
// host/window.h: the main window and its picture (the 640 x 480 picture, scaled to fit at 4:3)
//   host_start_video       starts video; false with the reason, also when no desktop answered
//   host_create_window     opens the main window (full screen or resizable) and posts its activate; null on failure
//   host_window            the main window, or null
//   host_destroy_window    closes the main window
//   host_window_position   the client area's place on the desktop (0, 0 for none)
//   host_window_has_focus  the window has the keyboard
//   host_set_window_size   resizes the client area
//   host_set_window_full_screen  desktop full screen, or back to a window
//   host_close_window      closes a window other than the main one
//   host_window_minimised  the main window is minimised
//   host_picture_rect      where the picture lies in the drawable area, in pixels
//   host_window_to_picture a window point to a picture point
//   host_picture_to_window a picture point to a window point
//   host_present_blank     clears the window to black and shows it
//   host_show_cursor       shows or hides the pointer over the window
//   host_display_visible   the video driver shows something (not offscreen or dummy)
//   host_choice_box        a box of buttons: the id pressed, or -1; button 0 is Enter's, 1 Escape's and the headless answer
//   host_global_mouse      the pointer on the whole desktop
//   host_capture_mouse     keeps the pointer's events while a button is held
//   host_key_modifiers     HOST_MOD_SHIFT and HOST_MOD_CTRL as held now
//   host_screen_saver_enabled, host_set_screen_saver                the screen saver switch
//   host_monitor_standby_enabled, host_set_monitor_standby          the monitor's standby switch
//   host_monitor_switch_off_enabled, host_set_monitor_switch_off    the monitor's switch-off; any one off keeps the screen on
//
// host/events.h: window messages, queued until the game's pump takes them
//   host_set_message_hook  the game's filter, which sees every message first (0 handled, 1 default follows)
//   host_message_hook      the filter in force
//   host_add_window_listener, host_remove_window_listener   resizes and minimising as they happen
//   host_pump_events       reads waiting events (and scripted ones now due) into messages
//   host_peek_message      pumps, then takes the oldest message; false when none waits
//   host_wait_message      takes the oldest message, waiting for one
//   host_post_message      queues a message
//   host_dispatch_message  the filter, then the default handling when it returns 1
//   host_default_message   the default handling: a close posts the quit message
//   host_load_event_script loads a script of timed events; false with the reason on a bad file
//   host_event_script_pending   scripted events are still to come
//   host_key_lparam        a key message's lparam from its scan code and flags
//
// host/host_input.h: keyboard, mouse and joysticks with the game's key codes
//   host_count_devices     devices of a kind now (always one keyboard and one mouse)
//   host_create_device     a device by kind and number; null when it cannot be opened
//   host_release_device    gives a device back
//   host_acquire_device    starts buffering a keyboard's or mouse's events
//   host_unacquire_device  stops it
//   host_get_device_caps   axes and buttons of a device
//   host_get_device_info   names of a device; HOST_INPUT_FAILED for null or a wrong size field
//   host_set_axis_range    an axis's range; fails on an acquired device
//   host_set_axis_dead_zone  an axis's dead zone in 1/10000 of the half range; fails on an acquired device
//   host_get_joystick_state  polls a stick; false (and a state at rest) when gone or not acquired
//   host_get_keyboard_data takes up to max key events; HOST_INPUT_OVERFLOW when some were lost
//   host_get_mouse_event   takes one mouse event: OK, EMPTY or NOT_ACQUIRED
//   host_get_cursor_pos    the pointer as a desktop point, as the events last saw it
//   host_set_cursor_pos    moves the pointer
//   host_mouse_button_count  buttons the mouse offers
//   host_read_raw_joystick axes on 0..65535 and the first 32 buttons of a joystick; false when there is none
//   host_input_shutdown    releases every device and forgets buffered events
//   host_debug_output      a message for the developer (stderr with KOB99_DEBUG_OUTPUT)
//
// host/clock.h: time and the C runtime's random numbers
//   host_time_ms           milliseconds since start, wrapping at 2^32
//   host_sleep_ms          sleeps the thread
//   host_rand              the C runtime's generator: 0..32767
//
// host/periodic_timer.h: callbacks on a thread of their own
//   host_timer_start       runs the callback every period until killed; an id, never 0
//   host_timer_kill        stops a timer and waits for its callback (from the callback itself: only stops)
//
// host/audio.h: one mono 22050 Hz output mixing every playing buffer (any thread)
//   host_sound_open        opens the output; false with no device
//   host_sound_set_primary_format  accepts only the output's own format
//   host_sound_close       releases every buffer left and closes the output
//   host_sound_create_buffer  a buffer of PCM in the format; null when it cannot be played
//   host_sound_duplicate   a second buffer over the same sound with its own controls
//   host_sound_release     frees a buffer
//   host_sound_lock        one or two pieces of the ring from an offset; one lock at a time
//   host_sound_unlock      what was written reaches the buffer
//   host_sound_play        plays once or looping
//   host_sound_stop        stops, keeping the position
//   host_sound_get_status  HOST_SOUND_PLAYING and HOST_SOUND_LOOPING bits
//   host_sound_set_position, host_sound_get_position   the play cursor in bytes
//   host_sound_set_frequency  the buffer's playing rate in Hz
//   host_sound_set_volume  hundredths of a decibel, down to -10000
//   host_sound_set_pan     hundredths of a decibel, -10000 left to 10000 right
//
// host/audio_queue.h: a plain output queue a software mixer fills block by block; never blocks
//   host_audio_queue_init  brings the audio system up; false with none
//   host_audio_queue_open  opens the output in exactly this rate, width (8 unsigned, 16 signed) and channels
//   host_audio_queue_close closes the output
//   host_audio_queue_isopen  whether the output is open
//   host_audio_queue_bytes bytes queued and not yet played
//   host_audio_queue_put   queues bytes; false when closed
//   host_audio_clock_us    a monotonic clock in microseconds for pacing
//
// host/cd_drive.h: CD audio; there is no drive here, so every command fails as with no disc
//   host_cd_open, host_cd_close                 the device (id 0 with no drive)
//   host_cd_track_count, host_cd_set_track_format, host_cd_media_present   questions of the disc
//   host_cd_play, host_cd_stop, host_cd_pause   playing tracks (to track 0: to the end)
//
// host/paths.h: where files live; game names ("front_en\lang\english.dat") to paths
//   host_data_dir          the read-only data (beside the program, or KOB99_DATA_DIR)
//   host_user_dir          what the program writes (created on first use)
//   host_exe_dir           where the program is
//   host_resolve_path      a game name below a root, matched without regard to case
//   host_data_file, host_user_file   a game name below the data or the user directory
//
// host/file_util.h
//   host_replace_file      writes beside, then renames over: never half a file
//
// host/instance.h
//   host_claim_single_instance  false when another process holds the lock
//   host_instance_lock_path     where that lock lives
//
// host/settings_store.h: the registry stand-in, one text file in the user directory
//   host_settings_key_exists     the key is there
//   host_settings_create_key     creates it and its parents; false when the store cannot be written
//   host_settings_delete_key     the key and every key below it
//   host_settings_get_u32, host_settings_set_u32         a 32-bit value; false when absent or not written
//   host_settings_get_string, host_settings_set_string   a text value; likewise
//   host_settings_keep_bad_copy  keeps an unreadable file as "settings.cfg.bad" before it is written over
//   host_settings_file           the file's path
//
// host/libwindow.h: the engine library's plain window of 16-bit pictures (main thread)
//   host_libwindow_open, host_libwindow_close, host_libwindow_isopen   opens (or replaces), closes, asks
//   host_libwindow_present       shows a picture scaled to the client area
//   host_libwindow_place         moves and sizes the client area
//   host_libwindow_clientrect    where the client area is
//   host_libwindow_screensize    the desktop's size
//   host_libwindow_show, host_libwindow_raise, host_libwindow_minimised   showing and raising
//   host_libwindow_warp          moves the pointer to a client point
//   host_libwindow_cursor        shows or hides the pointer
//   host_libwindow_screensaver, host_libwindow_setscreensaver   the screen saver switch
//   host_libwindow_next_message  the next window message; false when none is left
//
// host/render_device.h: the 3D device and the display provider
//   host_keep_gl_library_loaded  loads the GL library once for the whole run
//   host_display_provider        the machine's drivers, devices and modes (or a test's), and device building
//   HostRenderDevice             draws screen-space lit triangles with textures into the picture and presents it
//
// host/picture.h: PICTURE_WIDTH x PICTURE_HEIGHT, the one picture size.
//
// For the host and its tests only: host/host_sdl.h (SDL behind the handles),
// host/keymap.h (SDL keys to the game's), host/recording_device.h (a 3D
// device that records instead of drawing). Tests of the other folders use
// host/host_test_hooks.h and nothing else of the host's inside.
