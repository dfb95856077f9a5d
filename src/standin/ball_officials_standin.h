// STAND-IN: interchange, umpires, match-flow watches, banners, proposals and
// the set-play director, until their own modules
// land. Same names and arguments as the real operations; crude bodies that
// only keep a headless match moving.
#pragma once

#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_records.h"

#include <cstdint>

void reset_interchange_queues();
void update_interchanges();
int32_t run_interchanges();
void queue_interchange_for_selected();
int32_t is_queued_for_interchange(const PlayerSlot* man);
int32_t find_interchange_partner(PlayerSlot* man_off, PlayerSlot* bench_man);

void update_officials();
void set_official_job(PlayerSlot* umpire, uint8_t job);
void reset_officials();
int32_t face_away_from_throw(PlayerSlot* umpire);
int32_t nearer_boundary_umpire();

void out_of_bounds_watch();
void set_kick_time_limit();
int32_t play_on_test();
int32_t play_has_stopped();
int32_t encroaches(PlayerSlot* man);
void update_text_banner(int32_t force);
int32_t match_quit_requested();
void collect_key_men(PlayerSlot* first, PlayerSlot** out);

void men_think_prep();
