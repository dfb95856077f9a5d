// STAND-IN for the team AI and the contest groups.
#include "standin/team_ai_standin.h"

#include "match/game_maths.h"
#include "players/anim_driver.h"


int32_t start_animation_by_id(PlayerSlot* man, int32_t animation)
{
    play_man_animation(man, animation, 0, 1.0);
    man->man_flags |= MAN_BUSY;
    return 1;
}

bool within_blow_reach(PlayerSlot* a, PlayerSlot* b, int32_t distance)
{
    return vector_length(b->x - a->x, b->y - a->y) <= distance;
}

bool rack_off_turns_to_fight(PlayerSlot*, PlayerSlot*) { return false; }

void pair_value_by_number(PlayerSlot* a, PlayerSlot* b, uint8_t value)
{
    if (a->team && a->number < TEAM_SLOTS && b->number < TEAM_SLOTS) a->team->pairings[a->number][b->number] = value;
}

PlayerSlot* choose_best_teammate(PlayerSlot*) { return nullptr; }


void react_to_controlled_player(PlayerSlot*) {}

uint8_t contest_group_byte(const PlayerSlot*, int) { return 0; }

int32_t wants_to_fight(const PlayerSlot*, const PlayerSlot*) { return 0; }
