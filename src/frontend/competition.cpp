#include "frontend/competition.h"

#include "display/replay.h"
#include "frontend/front_end_graphics.h"
#include "frontend/front_end_state.h"
#include "frontend/match_handover.h"
#include "frontend/pages.h"
#include "frontend/prematch_hub.h"
#include "frontend/resources.h"
#include "frontend/finals_screens.h"
#include "frontend/screen_runner.h"
#include "league/league_data.h"
#include "match/controller_sides.h"
#include "match/game_maths.h"
#include "platform/cd_audio.h"
#include "platform/sound.h"
#include "screen/screen.h"

#include <cstdlib>
#include <cstring>

CompetitionState competition_state;
int16_t fixture_count;
uint8_t human_still_in;
TeamRecord team_record_backups[2];

// clang-format off
const int8_t season_fixtures[SEASON_ROUNDS][ROUND_FIXTURES][2] = {
    {{9, 8}, {3, 10}, {15, 5}, {12, 7}, {14, 13}, {11, 6}, {0, 1}, {4, 2}},
    {{8, 3}, {11, 0}, {6, 14}, {13, 15}, {1, 12}, {10, 4}, {5, 7}, {9, 2}},
    {{13, 8}, {15, 11}, {12, 3}, {10, 6}, {14, 5}, {4, 9}, {2, 0}, {7, 1}},
    {{8, 15}, {3, 2}, {11, 5}, {6, 4}, {12, 13}, {14, 7}, {1, 9}, {0, 10}},
    {{4, 3}, {5, 12}, {8, 14}, {15, 0}, {7, 13}, {10, 1}, {9, 11}, {2, 6}},
    {{14, 15}, {4, 1}, {3, 0}, {6, 5}, {7, 9}, {13, 2}, {12, 8}, {10, 11}},
    {{9, 3}, {11, 2}, {15, 7}, {6, 13}, {12, 10}, {5, 8}, {1, 14}, {0, 4}},
    {{3, 15}, {8, 6}, {9, 10}, {0, 13}, {4, 12}, {2, 7}, {5, 1}, {11, 14}},
    {{10, 8}, {2, 5}, {7, 0}, {13, 3}, {1, 6}, {15, 9}, {12, 11}, {14, 4}},
    {{10, 2}, {9, 14}, {7, 3}, {6, 12}, {11, 8}, {4, 15}, {1, 13}, {5, 0}},
    {{3, 11}, {4, 7}, {15, 6}, {10, 13}, {14, 12}, {8, 0}, {9, 5}, {2, 1}},
    {{13, 11}, {15, 10}, {3, 14}, {6, 7}, {5, 4}, {12, 2}, {0, 9}, {8, 1}},
    {{14, 2}, {11, 4}, {12, 15}, {6, 0}, {10, 5}, {7, 8}, {13, 9}, {1, 3}},
    {{0, 14}, {6, 3}, {2, 15}, {12, 9}, {5, 13}, {4, 8}, {7, 10}, {1, 11}},
    {{9, 6}, {8, 2}, {15, 1}, {3, 5}, {0, 12}, {13, 4}, {11, 7}, {14, 10}},
    {{1, 0}, {2, 4}, {7, 12}, {6, 11}, {13, 14}, {10, 3}, {5, 15}, {8, 9}},
    {{4, 10}, {2, 9}, {7, 5}, {3, 8}, {0, 11}, {14, 6}, {15, 13}, {12, 1}},
    {{9, 4}, {8, 13}, {11, 15}, {6, 10}, {1, 7}, {0, 2}, {3, 12}, {5, 14}},
    {{9, 1}, {2, 3}, {15, 8}, {7, 14}, {5, 11}, {13, 12}, {4, 6}, {10, 0}},
    {{14, 8}, {3, 4}, {12, 5}, {6, 2}, {1, 10}, {13, 7}, {11, 9}, {0, 15}},
    {{8, 12}, {9, 7}, {2, 13}, {15, 14}, {1, 4}, {5, 6}, {11, 10}, {0, 3}},
    {{14, 1}, {8, 5}, {2, 11}, {7, 15}, {13, 6}, {10, 12}, {3, 9}, {4, 0}},
};
// clang-format on

namespace {

constexpr uint16_t FLOW_KEPT_BY_SIMULATION = 0x6300;
constexpr int32_t KICKER_POSITION = 17;
constexpr int32_t FINAL_8_PLACES = 8;

void run_controllers() { controllers_page(1); }

void hand_over(int32_t)
{
    // The controllers page left its play result; the hand-over reads it.
    front_end_state.result = 1;
    start_match();
}

void run_prematch() { run_prematch_screen_loop(); }

bool team_is_human(int32_t team)
{
    return team >= 0 && team < 16 && kind_is_human(competition_state.kinds[team]);
}

league_team* team_of(int32_t number) { return league_team_at(number); }

int16_t& score_of(int32_t side) { return team_records[side].points; }

// Doubles `low` while it is below a third of `high`.
void double_below_third(int16_t& low, int16_t high)
{
    while (low > 0 && low < high / 3) low = static_cast<int16_t>(low * 2);
}

// The controllers page until it plays; false when the player quit it.
bool controllers_until_play()
{
    for (;;) {
        if (competition_controllers) competition_controllers();
        if (front_end_state.result == 3) {
            match_globals.flow_flags = MATCH_PLAYED;
            return false;
        }
        if (front_end_state.result == 1) return true;
    }
}

// Sets the fixture's teams; a human fixture also readies the controllers.
bool start_fixture(int32_t k, bool& any_human)
{
    const int32_t home = competition_state.fixtures[k][0], away = competition_state.fixtures[k][1];
    set_next_match_teams(home, away);
    if (!team_is_human(home) && !team_is_human(away)) return false;
    human_still_in = 1;
    any_human = true;
    reset_controller_sides();
    return true;
}

void back_up_team_records()
{
    team_record_backups[0] = team_records[0];
    team_record_backups[1] = team_records[1];
}

void hand_over_fixture(int32_t k, int32_t end, int32_t& last_human)
{
    const bool last = count_human_fixtures(k, end) < 2;
    if (last) last_human = k;
    if (competition_hand_over) competition_hand_over(last ? 0 : 1);
    back_up_team_records();
}

void prematch_for(int32_t fixture)
{
    if (fixture < 0) return;
    set_next_match_teams(competition_state.fixtures[fixture][0], competition_state.fixtures[fixture][1]);
    load_caricature_set();
    if (competition_prematch) competition_prematch();
    free_animation_set(HANDLE_CARICATURE);
}

// A Final 8 team's rank 1..8 by its place in the bracket bytes, 0 when it
// holds none. Places 0..3 are the homes of pairs 3..0, places 4..7 the
// aways of pairs 0..3.
int32_t final8_rank(int32_t team)
{
    for (int32_t place = 0; place < FINAL_8_PLACES; ++place) {
        const int32_t byte = place < 4 ? competition_state.fixtures[3 - place][0] : competition_state.fixtures[place - 4][1];
        if (byte == team) return place + 1;
    }
    return 0;
}

// A qualifying-final loser keeps its kind when ranked in the top four: it
// has a second chance in the semi finals.
bool knocked_out(int32_t team)
{
    if (game_settings.game_type != GAME_FINAL_8 || competition_state.round != 2) return true;
    const int32_t rank = final8_rank(team);
    return rank == 0 || rank > 4;
}

void set_kind(int32_t team, uint32_t kind)
{
    if (team >= 0 && team < 16) competition_state.kinds[team] = kind;
}

} // namespace

int32_t position_in_order(int32_t team, int32_t fallback)
{
    int32_t found = -1;
    for (int32_t i = 0; i < 16; ++i)
        if (competition_state.order[i] == team) found = i; // the last match counts
    return found < 0 ? fallback : found;
}


void (*competition_controllers)() = run_controllers;
void (*competition_hand_over)(int32_t last) = hand_over;
void (*competition_prematch)() = run_prematch;

void reset_competition()
{
    CompetitionState& c = competition_state;
    c.round = 0;
    std::memset(c.wins, 0, sizeof c.wins);
    std::memset(c.draws, 0, sizeof c.draws);
    std::memset(c.losses, 0, sizeof c.losses);
    std::memset(c.points_for, 0, sizeof c.points_for);
    std::memset(c.points_against, 0, sizeof c.points_against);
    const int8_t type = game_settings.game_type;
    if (type == GAME_PREMIERSHIP || type == GAME_PRE_SEASON || type == GAME_FINAL_8)
        for (uint8_t i = 0; i < 16; ++i) c.order[i] = i;
    c.order_count = 0;
}

void clear_competition_teams()
{
    CompetitionState& c = competition_state;
    std::memset(c.kinds, 0, sizeof c.kinds);
    std::memset(c.order, 0, sizeof c.order);
    std::memset(c.wins, 0, sizeof c.wins);
    std::memset(c.draws, 0, sizeof c.draws);
    std::memset(c.losses, 0, sizeof c.losses);
    c.order_count = 0;
    human_still_in = 0;
}

void shuffle_team_order(int16_t n, int8_t seed)
{
    if (n > 16) n = 16;
    int8_t s = seed;
    for (int8_t i = 0; i < n; ++i) {
        int8_t j = static_cast<int8_t>(s + i);
        while (j >= n) j = static_cast<int8_t>(j - n);
        s = static_cast<int8_t>(s * 3 / 2 + 7);
        if (s > 31) s = static_cast<int8_t>(s - 32);
        if (j < 0) continue; // a seed outside 0..31 may wrap below zero
        std::swap(competition_state.order[i], competition_state.order[j]);
    }
}

uint32_t count_human_fixtures(int32_t from, int32_t to)
{
    uint32_t count = 0;
    if (from < 0) from = 0;
    if (to > FIXTURE_PAIRS) to = FIXTURE_PAIRS;
    for (int32_t k = from; k < to; ++k)
        if (team_is_human(competition_state.fixtures[k][0]) || team_is_human(competition_state.fixtures[k][1])) ++count;
    return count;
}

void set_next_match_teams(int32_t home, int32_t away)
{
    game_settings.home_team = static_cast<int8_t>(home);
    game_settings.away_team = static_cast<int8_t>(away);
    score_of(0) = 0;
    score_of(1) = 0;
}

int32_t load_round_fixtures(int32_t round)
{
    if (round < 1 || round > SEASON_ROUNDS) return 0;
    for (int32_t k = 0; k < ROUND_FIXTURES; ++k) {
        competition_state.fixtures[k][0] = season_fixtures[round - 1][k][0];
        competition_state.fixtures[k][1] = season_fixtures[round - 1][k][1];
    }
    return ROUND_FIXTURES;
}

void record_match_result(int32_t home, int32_t away, int32_t fixture)
{
    if (fixture < 0 || fixture >= FIXTURE_PAIRS) return;
    CompetitionState& c = competition_state;
    const uint16_t hs = static_cast<uint16_t>(score_of(0)), as = static_cast<uint16_t>(score_of(1));
    c.scores[fixture][0] = hs;
    c.scores[fixture][1] = as;
    if (game_settings.game_type != GAME_PREMIERSHIP) {
        if (hs == as) return;
        c.win_flags[fixture][0] = hs < as ? 0 : 1;
        c.win_flags[fixture][1] = hs < as ? 1 : 0;
        return;
    }
    const int32_t h = position_in_order(home, fixture), a = position_in_order(away, fixture);
    if (hs == as) {
        ++c.draws[h];
        ++c.draws[a];
    } else if (hs > as) {
        ++c.wins[h];
        ++c.losses[a];
    } else {
        ++c.wins[a];
        ++c.losses[h];
    }
    c.points_for[h] = static_cast<uint16_t>(c.points_for[h] + hs);
    c.points_for[a] = static_cast<uint16_t>(c.points_for[a] + as);
    c.points_against[h] = static_cast<uint16_t>(c.points_against[h] + as);
    c.points_against[a] = static_cast<uint16_t>(c.points_against[a] + hs);
}

void reset_match_flow()
{
    match_globals.flow_flags = static_cast<uint16_t>((match_globals.flow_flags & FLOW_KEPT_BY_SIMULATION) | QUARTER_1);
    match_globals.match_started = 1;
    reset_replay();
}

void simulate_scoring_chance(TeamRecord* team, const league_player* kicker)
{
    const league_team* club = team_of(team == &team_records[0] ? game_settings.home_team : game_settings.away_team);
    auto mean = [&](TeamMean m) { return team_attribute_mean(club, m, 0, SQUAD_POSITIONS); };
    const int16_t a = static_cast<int16_t>(mean(MEAN_STRENGTH) + mean(MEAN_KICKING));
    const int16_t b = static_cast<int16_t>(mean(MEAN_SPEED) + mean(MEAN_HANDBALL));
    const int32_t kicking = kicker ? player_i16(kicker, PLAYER_KICKING) : 0;
    int32_t r = static_cast<int32_t>(game_random() & 0x3FC);
    if (r > a + b) r = 2 * (a + b) - r;
    if (r < a) {
        game_random(); // drawn and let go: the order of draws is the behaviour
        if (static_cast<int32_t>(game_random() & 255) < kicking) team->points = static_cast<int16_t>(team->points + 1);
        return;
    }
    if (static_cast<int32_t>(game_random() & 0x200) < b) {
        team->points = static_cast<int16_t>(team->points + 6);
        if (static_cast<int32_t>(game_random() & 255) < kicking) team->points = static_cast<int16_t>(team->points + 1);
    }
}

void simulate_cpu_match()
{
    reset_match_flow();
    score_of(0) = score_of(1) = 0;
    const league_team* home = team_of(game_settings.home_team);
    const league_team* away = team_of(game_settings.away_team);
    const int32_t a = home ? home->strength : 0, b = away ? away->strength : 0;
    int32_t q = static_cast<uint16_t>(game_settings.quarter_length);
    if (q == 0) q = 1;
    int32_t n = ((285 - a) + (285 - b)) / 4 + std::abs(static_cast<int16_t>(a + b));
    n = n * 2 * q / 32;
    n = static_cast<int16_t>(n);
    if (n < 2) n = 2;
    const int32_t rh = team_overall_rating(home, 0, SQUAD_POSITIONS), ra = team_overall_rating(away, 0, SQUAD_POSITIONS);
    const league_player* kickers[2] = {home ? home->players[KICKER_POSITION] : nullptr,
                                       away ? away->players[KICKER_POSITION] : nullptr};
    for (int32_t i = 0; i < n; ++i) {
        // Ratings that sum to nothing give every chance to the home team.
        const int32_t sum = rh + ra;
        const int32_t r = sum > 0 ? static_cast<int32_t>((game_random() & 0xFFFF) % static_cast<uint32_t>(sum)) : 0;
        const int32_t side = r < rh || sum <= 0 ? 0 : 1;
        simulate_scoring_chance(&team_records[side], kickers[side]);
    }
    for (int32_t side = 0; side < 2; ++side) {
        const int32_t v = static_cast<int32_t>(score_of(side) * 0.4 - q * 1.25);
        score_of(side) = static_cast<int16_t>(v < 1 ? 1 : v);
    }
    const int8_t type = game_settings.game_type;
    if (score_of(0) == score_of(1) && (type == GAME_PRE_SEASON || type == GAME_FINAL_8)) {
        if (a >= b) ++score_of(1);
        else ++score_of(0);
    }
    // The favourite has the smaller strength word.
    const int32_t fav = a < b ? 0 : 1, dog = 1 - fav;
    int16_t& f = score_of(fav);
    int16_t& u = score_of(dog);
    if (f > u) {
        double_below_third(u, f);
        return;
    }
    const int32_t d = std::abs(a - b);
    if (static_cast<int32_t>(game_random() & 31) < d) {
        std::swap(f, u);
        double_below_third(u, f);
    } else {
        double_below_third(u, f);
        double_below_third(f, u);
    }
}

void play_league_round()
{
    CompetitionState& c = competition_state;
    bool any_human = false, asked = false;
    int32_t last_human = -1;
    const int32_t count = fixture_count < FIXTURE_PAIRS ? fixture_count : FIXTURE_PAIRS;
    for (int32_t k = 0; k < count; ++k) {
        if (start_fixture(k, any_human)) {
            if (!asked && !controllers_until_play()) return;
            asked = true;
            hand_over_fixture(k, count, last_human);
            if (match_globals.flow_flags & MATCH_PLAYED) return;
        } else {
            simulate_cpu_match();
        }
        record_match_result(c.fixtures[k][0], c.fixtures[k][1], k);
    }
    human_still_in = any_human ? 1 : 0;
    if (c.round < SEASON_ROUNDS && human_still_in) prematch_for(last_human);
}

FixtureRange knockout_round_fixtures(int32_t game_type, int32_t round)
{
    static const FixtureRange pre_season[6] = {{0, 0}, {0, 8}, {8, 12}, {12, 14}, {0, 0}, {14, 15}};
    static const FixtureRange final_8[6] = {{0, 0}, {0, 0}, {0, 4}, {4, 6}, {6, 8}, {8, 9}};
    if (round < 0 || round > 5) return {0, 0};
    if (game_type == GAME_PRE_SEASON) return pre_season[round];
    if (game_type == GAME_FINAL_8) return final_8[round];
    return {0, 0};
}

void play_finals_round()
{
    CompetitionState& c = competition_state;
    const int8_t type = game_settings.game_type;
    if (type != GAME_PRE_SEASON && type != GAME_FINAL_8) return;
    const FixtureRange range = knockout_round_fixtures(type, c.round);
    if (range.first == range.end) return;
    human_still_in = 0;
    bool any_human = false;
    int32_t last_human = -1;
    for (int32_t k = range.first; k < range.end; ++k) {
        if (start_fixture(k, any_human)) {
            if (!controllers_until_play()) return;
            // A knock-out match is played again until it has a winner.
            do {
                hand_over_fixture(k, range.end, last_human);
                if (match_globals.flow_flags & MATCH_PLAYED) return;
            } while (score_of(0) == score_of(1));
        } else {
            simulate_cpu_match();
        }
        record_match_result(c.fixtures[k][0], c.fixtures[k][1], k);
    }
    human_still_in = any_human ? 1 : 0;
    if (human_still_in) prematch_for(last_human);
    set_results_background();
    load_caricature_set();
    load_animation_set(HANDLE_TOURNAMENT, TOURNAMENT_SET);
    // A final a person played has had its results already; each cup's final is its own pair.
    const int32_t final_pair = type == GAME_PRE_SEASON ? 14 : 8;
    const bool final_with_human =
        c.round == 5 && (team_is_human(c.fixtures[final_pair][0]) || team_is_human(c.fixtures[final_pair][1]));
    if (!final_with_human) run_front_end_screen(&finals_results_screen);
    free_animation_set(HANDLE_CARICATURE);
    free_animation_set(HANDLE_TOURNAMENT);
    if (!final_with_human && front_end_state.result == 3) {
        match_globals.flow_flags |= MATCH_PLAYED;
        front_end_state.page = first_page;
    }
}

void advance_finals()
{
    const int8_t type = game_settings.game_type;
    if (type != GAME_PRE_SEASON && type != GAME_FINAL_8) return;
    const int32_t home = game_settings.home_team, away = game_settings.away_team;
    const int16_t hs = score_of(0), as = score_of(1);
    // The loser goes to the computer, whichever side it played on.
    if (hs < as && knocked_out(home)) set_kind(home, KIND_COMPUTER);
    if (as < hs && knocked_out(away)) set_kind(away, KIND_COMPUTER);
    human_still_in = 0;
    for (uint32_t kind : competition_state.kinds)
        if (kind_is_human(kind)) human_still_in = 1;
}

void restore_front_end_after_match()
{
    fade_palette(0, 255, nullptr, 12);
    const int8_t type = game_settings.game_type;
    if (type == GAME_PREMIERSHIP || type == GAME_PRE_SEASON || type == GAME_FINAL_8) {
        music_flag_off();
        shutdown_direct_sound();
        init_direct_sound();
    }
    fade_palette(0, 255, &working_palette[0][0], 12);
}

void reset_competition_state()
{
    competition_state = CompetitionState{};
    fixture_count = 0;
    human_still_in = 0;
    std::memset(&team_record_backups, 0, sizeof team_record_backups);
    competition_controllers = run_controllers;
    competition_hand_over = hand_over;
    competition_prematch = run_prematch;
}
