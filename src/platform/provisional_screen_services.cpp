// Provisional: the 8-bit display palette and the sprite queues belong to the
// display layers; nothing is drawn through them yet.
#include "platform/provisional_screen_services.h"

void set_ddpal() {}
void reset_sprite_queues() {}
