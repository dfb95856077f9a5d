// Interchange: a man on the ground and a bench man are queued as a pair, and
// when play allows the man going off walks to his bench spot; there the two
// slots change places.
#pragma once

#include "match/match_records.h"

#include <cstdint>

constexpr int16_t BENCH_LINE_Y = -17920;

// The bench spot's x of a bench number 18..23, for a man of `side`.
int16_t bench_spot_x(uint8_t number, uint8_t side);

void reset_interchange_queues();
int32_t can_queue_interchange(const PlayerSlot* man);
int32_t can_queue_interchange_off(const PlayerSlot* man);
int32_t can_bench_player_come_on(const PlayerSlot* man);
int32_t interchanges_left(const PlayerSlot* man);
int32_t is_queued_for_interchange(const PlayerSlot* man);
int32_t find_interchange_partner(PlayerSlot* man_off, PlayerSlot* bench_man);
void queue_interchange_for_selected();
int32_t interchange_may_go(const TeamRecord* team, const InterchangeEntry* entry);
void update_interchanges();
int32_t carry_out_interchange(PlayerSlot* going, PlayerSlot* coming);
int32_t run_interchanges();
void set_all_player_flags(int32_t on);

// Kept for tools; the match does not call them.
int32_t bumped_by_opponent(const PlayerSlot* man);
int32_t facing_turn_third(const PlayerSlot* a, const PlayerSlot* b);
void remove_interchange_entry(TeamRecord* team, int i);
PlayerSlot* find_slot_by_number(TeamRecord* team, uint8_t number);
void redirect_spot(const PlayerSlot* man, const void* new_spot);
