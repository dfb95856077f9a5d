// Provisional: the least each missing subsystem must do for start-up to run
// its whole road. Each definition goes when its owner lands.
#include "standin/provisional_subsystems.h"

#include "host/clock.h"
#include "host/events.h"
#include "host/process.h"
#include "host/window.h"
#include "platform/controllers.h"
#include "platform/fatal_error.h"
#include "platform/input.h"
#include "platform/language.h"
#include "screen/screen_flip.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "app/startup.h"

#include <cstring>

std::vector<std::string> provisional_calls;

namespace {

void note(const char* name) { provisional_calls.emplace_back(name); }

} // namespace

#define STAND_IN(name)                                                                                              \
    void name() { note(#name); }

int32_t mouse_device_value = 0;

bool match_playback_flag() { return false; }


STAND_IN(load_sprite_file)

STAND_IN(free_first_match_buffer)
STAND_IN(free_ground_geometry_buffers)
STAND_IN(free_further_match_buffers)
