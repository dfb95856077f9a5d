// STAND-IN: the director's loose-ball pickup assignment; nothing yet.
#include "standin/set_plays_standin.h"

void assign_loose_ball_pickup() {}
