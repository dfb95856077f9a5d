// STAND-IN for the fights' services of the second share.
#include "standin/team_ai_standin.h"

#include "match/game_maths.h"

bool within_blow_reach(PlayerSlot* a, PlayerSlot* b, int32_t distance)
{
    return vector_length(b->x - a->x, b->y - a->y) <= distance;
}

bool rack_off_turns_to_fight(PlayerSlot*, PlayerSlot*) { return false; }

void pair_value_by_number(PlayerSlot* a, PlayerSlot* b, uint8_t value)
{
    if (a->team && a->number < TEAM_SLOTS && b->number < TEAM_SLOTS) a->team->pairings[a->number][b->number] = value;
}

uint8_t contest_group_byte(const PlayerSlot*, int) { return 0; }
