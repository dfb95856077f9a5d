// The rules of the game: one state machine over match_state, the changes of
// state with their entry actions, possession, the awards and the scoring.
#pragma once

#include "match/match_records.h"

#include <cstdint>

enum MatchState : uint8_t {
    PLAY_ON = 1,
    QUARTER_START = 2,
    FIGHT = 3,
    GOAL = 4,
    SET_KICK_START = 6,
    KICK_PENDING = 8,
    SET_KICK_FLIGHT = 9,
    CENTRE_BOUNCE_SETUP = 10,
    CENTRE_BOUNCE_READY = 11,
    CENTRE_BOUNCE = 12,
    BOUNCE_IN_AIR = 13,
    BREAK = 14,
    FULL_TIME = 15,
    FULL_TIME_EXIT = 16,
    BREAK_EXIT = 17,
    GOAL_B = 18,
    PRE_MATCH = 19,
    COIN_TOSS_WAIT = 20,
    END_OF_PERIOD = 21,
    CAPTAINS_MEET = 22,
    COIN_TOSS = 23,
    AFTER_TOSS = 24,
    BEHIND = 36,
    OUT_OF_BOUNDS = 37,
    THROW_IN_SETUP = 38,
    THROW_IN_READY = 39,
    MARK = 41,
    MARK_KICK_PENDING = 42,
    FIGHT_PENDING = 44,
    ADVANTAGE = 45,
    BALL_UP_SETUP = 47,
    BALL_UP = 48,
    FREE_KICK = 49,
    BOUNCE_SIREN = 52,
    BALL_UP_IN_AIR = 53,
    THROW_IN_IN_AIR = 54,
    NEXT_PERIOD = 55,
    BALL_UP_READY = 57,
    KICK_OUT_SETUP = 58,
    KICK_OUT_FORMING_FIRST = 59,
    KICK_OUT_KICKED_LAST = 72,
    KICK_OUT_PLAN_7 = 73,
};

// Umpire slots.
enum : int { FIELD_UMPIRE = 0, BOUNDARY_UMPIRE_1 = 1, BOUNDARY_UMPIRE_2 = 2, GOAL_UMPIRE_1 = 3, GOAL_UMPIRE_2 = 4 };

// Effects and animations the rules name.
enum : int32_t { EFFECT_CATCH = 0, EFFECT_WHISTLE = 12, EFFECT_SIREN = 13, EFFECT_WHISTLE_LONG = 25 };
enum : uint32_t { ANIM_STEP_OFF_MARK = 357, ANIM_STAND_MARK_B = 355 };

// The state machine, once a tick.
void update_match_flow();

// Changes of state, possession and the per-tick checks.
void set_match_state(int32_t n);
void give_ball_to(PlayerSlot* man);
void check_period_clock();
void handle_injury_at_stoppage();
void check_fight_interrupt();
int32_t men_in_place_for_state(int32_t s);
int32_t kick_out_men_in_place();
void start_period();
void run_coin_toss_wait();
void reset_men_marks();

// Awards.
void award_free_kick(PlayerSlot* man, int32_t kind);
void award_mark();
void award_ball_up(PlayerSlot* man, int32_t mode);
void judge_pending_infringement();
// The man on the mark who gives way to another steps off it.
void step_off_mark(PlayerSlot* previous, PlayerSlot* next);
// The period clock `ticks` on: later when it counts up in time on.
int32_t clock_mark_after(int32_t ticks);
// True when the period clock has run out and no award may be made.
bool period_guard_holds();

// Scoring and the period end.
void watch_score();
void finish_goal();
void finish_behind_banner();
void handle_behind();
void handle_time_up();
void show_score_banner();
void clear_ball_marks();
// The ball is in a man's hands, at rest or no higher than 256.
bool ball_is_down();

// The language text of a team's club name.
uint16_t club_text_id(const TeamRecord* team);
// The team whose side is `side` (the second when neither).
TeamRecord* team_of_side(int32_t side);
// Restores both teams' default formation tables.
void use_default_formation_tables();
// Installs a kick-out spot list of `count` spots (written for side 2) as the
// team's formation spots; places past the list keep the default spots.
void install_kickout_spots(TeamRecord* team, const struct FormationSpot* spots, int32_t count);
// Opens a banner of the kind and shows the language texts (ids ending
// 0xFFFF) with an optional name after them; false when the banner refused.
bool show_banner_texts(int32_t kind, const uint16_t* ids, const char* name);
