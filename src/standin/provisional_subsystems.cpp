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

int32_t mouse_device_value = 0;
