// Ball-contest groups: per team, small groups of at most three men round the
// ball, the driven man first. A group is one of the thirty controller
// records; a record with a device is a human's group. The team AI decides
// one behaviour per member each tick; the rules, the ball contacts and the
// frame events rebuild the groups when the ball changes hands.
#pragma once

#include "match/match_records.h"
#include "platform/controllers.h"

#include <cstdint>

constexpr int CONTEST_GROUPS = CONTROLLER_RECORDS;
constexpr int GROUP_SLOTS = 3;

inline ContestGroup& contest_group_record(int g) { return controllers[g]; }

// The gathering list a rebuild fills before it is copied into a group.
extern PlayerSlot* gathering[GROUP_SLOTS];
// A per-group tick counter the tackles keep.
extern uint8_t contest_group_ticks[CONTEST_GROUPS];
// Per chaser by man number, the ticks the last chaser search gave him.
extern int32_t chase_time[TEAM_SLOTS];

// Empties every group and the gathering list.
void reset_contest_groups();
// Every man leaves his group (the groups stay with their devices).
void release_contest_members();

int32_t can_join_contest(const PlayerSlot* man);
int32_t contest_regroup_allowed(const PlayerSlot* man, int32_t check);
void contest_join(PlayerSlot* man, PlayerSlot* first, int32_t count, int32_t check);
void gather_insert_front(PlayerSlot* m, int32_t count);
void contest_restart_with(PlayerSlot* man);
void contest_clear(ContestGroup* group);
void contest_collect_range(PlayerSlot* man, int32_t to, int32_t from);
// A human team's man put alone into a person's group (the first one a man of
// his team is in, else the team's own device); nothing for a computer team.
void team_contests_clear(PlayerSlot* man);
// The rules' upkeep of a man a restart is handed to: he leads his group
// alone, and a human team's man leads a person's group, so the person plays
// him; a computer team's man without a group stays without one.
void contest_upkeep(PlayerSlot* man);
void set_contest_flag_all();
void clear_contest_flag_all();
void set_contest_flag(PlayerSlot* man);
void clear_contest_flag(PlayerSlot* man);
void resolve_contest(PlayerSlot* man);
void assign_gathered(ContestGroup* group);
void add_to_group_slot(PlayerSlot* man, ContestGroup* group, int32_t slot);
void update_contest_groups();
PlayerSlot* find_chaser(PlayerSlot* runner);
PlayerSlot* find_chaser_of_holder(PlayerSlot* excluded);
// Time for a chaser of speed u to reach a runner of speed v at offset (x, y);
// -1 when he never does.
double pursuit_time(int32_t x, int32_t y, int32_t v, int32_t u);

// The member nearest the ball (nearest the landing point while the ball
// moves); the lower slot on ties.
int32_t is_group_leader(const PlayerSlot* man);
int32_t is_group_leader_by_landing(const PlayerSlot* man);
// A free group for a man of the team: its device's group for a human team,
// else the first empty record without a device; null when none is free.
ContestGroup* free_group_for(const TeamRecord* team);
// A man in a turn on the spot takes the facing his turn has reached and runs
// on (a running turn) or stands.
void settle_turning_man(PlayerSlot* man);
// The group index of a record, -1 for none.
int contest_group_index(const ContestGroup* group);
// In a set-kick state: within 1792 of the set-play spot, or in the 64-wide
// corridor from it back toward the kicker.
int32_t is_in_kick_zone(const PlayerSlot* man);
