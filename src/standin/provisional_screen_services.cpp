// Provisional: the sprite queues belong to the sprite layer; nothing is
// queued yet.
#include "standin/provisional_screen_services.h"

void reset_sprite_queues() {}
