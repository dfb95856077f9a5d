// A competition in progress: the premiership season with its fixed fixture
// list and ladder columns, and the two knock-out cups. A fixture with a
// human team is played as a match through the controllers page and the
// hand-over; one between two computer teams is decided at once from the
// clubs' strengths and ratings with the game's random numbers.
#pragma once

#include "match/match_records.h"

#include <cstdint>

constexpr int32_t FIXTURE_PAIRS = 16;
constexpr int32_t LADDER_ENTRIES = 20; // 16 used
constexpr int32_t SEASON_ROUNDS = 22;
constexpr int32_t ROUND_FIXTURES = 8;

// A team's kind in a competition.
constexpr uint32_t KIND_OUT = 0, KIND_HUMAN = 1, KIND_COMPUTER = 2;

// The one record of a competition, saved whole with a game. The ladder
// columns are indexed by position in the team order; the kinds by team.
struct CompetitionState {
    int8_t fixtures[FIXTURE_PAIRS][2]; // home, away
    uint16_t scores[FIXTURE_PAIRS][2];
    uint16_t win_flags[FIXTURE_PAIRS][2];
    uint8_t round;
    uint8_t order[16];
    uint8_t wins[LADDER_ENTRIES], draws[LADDER_ENTRIES], losses[LADDER_ENTRIES];
    uint16_t points_for[LADDER_ENTRIES], points_against[LADDER_ENTRIES];
    uint32_t kinds[16];
    uint32_t order_count;
};
extern CompetitionState competition_state;
extern int16_t fixture_count;  // fixtures of the current round
extern uint8_t human_still_in; // some team of the competition is human
// Both teams of the last human match, kept for the statistics screens.
extern TeamRecord team_record_backups[2];

// The season's fixture list: 22 rounds of 8 (home, away) pairs.
extern const int8_t season_fixtures[SEASON_ROUNDS][ROUND_FIXTURES][2];

// A kind that counts as human: anything but "not taking part" and "computer".
inline bool kind_is_human(uint32_t kind) { return kind != KIND_OUT && kind != KIND_COMPUTER; }

void reset_competition();
// The per-team tables (kinds, order, wins, draws, losses), the team count
// and the human-still-in flag, all cleared.
void clear_competition_teams();
void shuffle_team_order(int16_t n, int8_t seed);
uint32_t count_human_fixtures(int32_t from, int32_t to);
void set_next_match_teams(int32_t home, int32_t away);
// Round 1..22 into pairs 0..7; a round outside the season gives none.
int32_t load_round_fixtures(int32_t round);
void record_match_result(int32_t home, int32_t away, int32_t fixture);
// A team's position in the team order (the last entry naming it), or
// fallback when no entry does.
int32_t position_in_order(int32_t team, int32_t fallback);
void reset_match_flow();
void simulate_cpu_match();
void simulate_scoring_chance(TeamRecord* team, const league_player* kicker);
void play_league_round();
void play_finals_round();
void advance_finals();
void restore_front_end_after_match();

// The fixtures a knock-out round plays, [first, end); first == end: none.
struct FixtureRange {
    int32_t first, end;
};
FixtureRange knockout_round_fixtures(int32_t game_type, int32_t round);

// What a human fixture runs, replaceable by tests: the controllers page in
// its competition mode, the hand-over (last: 0 for the last human fixture of
// the round, else 1), the pre-match screens before the next round.
extern void (*competition_controllers)();
extern void (*competition_hand_over)(int32_t last);
extern void (*competition_prematch)();

// Tests: the record and the hooks back to the start.
void reset_competition_state();
