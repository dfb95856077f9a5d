// Provisional: each definition here goes once its owner (input, sound,
// match) defines it for real.
#include "platform/settings_targets.h"

void apply_sound_settings(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
