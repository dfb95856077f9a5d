// Fights and rack-offs: two men square up, step in, wait, throw blows and
// dodge them; a rack-off pushes an opponent away and may turn into a fight.
#pragma once

#include "match/match_records.h"

#include <cstdint>

enum : uint32_t {
    ANIM_UPPERCUT = 296,
    ANIM_LOW_KICK = 301,
    ANIM_HEADBUTT = 303,
    ANIM_DIRTY_GROUND_KICK = 305,
    ANIM_DIRTY_BIG_GROUND_KICK = 306,
    ANIM_LOW_PUNCH_NOSTEP = 309,
    ANIM_AGGRO_RACK_OFF_MATE_1 = 310,
    ANIM_AGGRO_RACK_OFF_MATE_2 = 311,
    ANIM_ARGUE_HUH = 363,
};

// Fight stages.
enum : uint8_t {
    FIGHT_APPROACH = 0,
    FIGHT_STEP_IN = 1,
    FIGHT_WAIT = 2,
    FIGHT_BLOW_DELIVERED = 3,
    FIGHT_DEFEND = 4,
    FIGHT_CLOSE_IN = 5,
};

struct BlowRow {
    int32_t contact_frame;
    int32_t joint;
};
// Fight moves 296..309: the frame and joint with which each lands.
const BlowRow& blow_row(int32_t animation);
// Where the blow's striking joint lands, relative to the man, in ground
// units {x, y}: the move's root travel to its contact frame plus the joint.
void blow_landing(PlayerSlot* man, int32_t animation, int32_t out[2]);

void act_fight(PlayerSlot* a);
bool choose_fight_blow(PlayerSlot* a, PlayerSlot* o);
void act_rack_off(PlayerSlot* a);
