// STAND-IN for the ball release from the hands.
#include "standin/match_core_standin.h"

#include "match/match_flow.h"

void drop_ball_from_hands(PlayerSlot*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    give_ball_to(nullptr);
}
