// The host: everything the game may ask of the machine, and nothing else. A
// layer above includes the part it needs; this lists them all, with the
// contract each keeps. No host header shows an SDL or GL type.
#pragma once

#include "host/audio.h"          // sound output: buffers that play, loop, stream and mix
#include "host/cd_drive.h"       // CD audio: no drive here, every command fails as with no disc
#include "host/clock.h"          // the millisecond clock (wraps at 2^32) and the C runtime's rand
#include "host/events.h"         // window messages from the system, queued until the pump takes them
#include "host/file_util.h"      // replacing a file whole or not at all
#include "host/host_input.h"     // keyboard, mouse and joysticks as the game's own key codes and records
#include "host/instance.h"       // one copy at a time: a lock held for the life of the process
#include "host/libwindow.h"      // the engine library's plain window showing a 16-bit picture
#include "host/paths.h"          // where data and user files live; game paths to host paths
#include "host/periodic_timer.h" // callbacks every period on a thread of their own, until killed
#include "host/picture.h"        // the 640 x 480 picture size
#include "host/process.h"        // starting the host, ending the process, message boxes, other programs
#include "host/render_device.h"  // the 3D device: screen-space triangles, textures, render states
#include "host/settings_store.h" // a registry-like store of keys and values in the user directory
#include "host/window.h"         // the main window (an opaque handle), its picture rectangle, the cursor

// For the host and its tests only: host/host_sdl.h (SDL behind the handles),
// host/keymap.h (SDL keys to the game's), host/host_test_hooks.h (test seams),
// host/recording_device.h (a 3D device that records instead of drawing).
