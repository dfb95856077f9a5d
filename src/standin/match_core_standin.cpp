// STAND-IN for the ball release from the hands and the proposal post.
#include "standin/match_core_standin.h"

#include "match/match_flow.h"
#include "match/match_setup.h"

void drop_ball_from_hands(PlayerSlot*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    give_ball_to(nullptr);
}

void post_man_message(PlayerSlot* man, uint16_t action, PlayerSlot* target, uint16_t argument, int16_t x, int16_t y,
                      uint16_t priority)
{
    if (man->proposal_count >= MAX_PROPOSALS || man->proposal_count < 0) return;
    man->proposals[man->proposal_count++] = ActionProposal{action, target, argument, x, y, priority};
}
