#include "match/rule_queries.h"

#include "league/league_data.h"
#include "match/formation.h"
#include "match/game_maths.h"

namespace {

// Busy here means off the ground on the bench.
bool is_busy(const PlayerSlot* man) { return man->busy_flag != 0; }

bool out_of_play(const PlayerSlot* man) { return (man->man_flags & MAN_OUT_OF_PLAY) != 0; }

bool queued_to_go_off(const PlayerSlot* man)
{
    const TeamRecord* team = man->team;
    for (int i = 0; i < team->queued_interchange_count && i < MAX_QUEUED_INTERCHANGES; ++i)
        if (team->queued_interchanges[i].pending && team->queued_interchanges[i].man_off == man->number)
            return true;
    return false;
}

// Whether a free team-mate of `man` already has `opponent` as his spot.
bool claimed_by_teammate(const PlayerSlot* man, const PlayerSlot* opponent)
{
    const TeamRecord* team = man->team;
    for (int i = 0; i < men_in_use(); ++i) {
        const PlayerSlot& mate = team->slots[i];
        if (&mate != man && !is_busy(&mate) && mate.spot == opponent)
            return true;
    }
    return false;
}

const FormationSpot& default_spot(const PlayerSlot* man)
{
    return default_formation_spots[man->team->team_number & 1].spot[man->number % TEAM_SLOTS];
}

} // namespace

int32_t score_margin_threshold(uint32_t quarter_minutes)
{
    // Lengths between the offered ones take the threshold of the next
    // shorter offered length.
    static const struct {
        uint32_t minutes;
        int32_t points;
    } thresholds[] = {{20, 30}, {15, 23}, {10, 15}, {8, 12}, {6, 9}, {0, 8}};
    for (const auto& t : thresholds)
        if (quarter_minutes >= t.minutes)
            return t.points;
    return 8;
}

int8_t score_margin_check(int32_t with_kicker)
{
    const TeamRecord& first = team_records[0];
    const TeamRecord& second = team_records[1];
    const PlayerSlot* kicker = match_globals.last_kicker;
    int32_t d;
    if (with_kicker == 1 && kicker && kicker->team && kicker->team->other_team)
        d = kicker->team->points - kicker->team->other_team->points + 6;
    else
        d = first.points - second.points;
    const int32_t m = int_abs(d);
    const int32_t threshold = score_margin_threshold(match_globals.quarter_minutes);

    const bool first_human = first.human_count != 0, second_human = second.human_count != 0;
    if (first_human == second_human)
        return int_abs(first.points - second.points) >= threshold ? 1 : 0;
    const int32_t lead = first_human ? first.points - second.points : second.points - first.points;
    if (lead > 0)
        return m >= threshold ? 1 : 0;
    if (lead < 0)
        return m >= threshold ? -1 : 0;
    return 0;
}

// Every man is tested as a candidate, so a busy man in the first slot
// neither blocks the others nor is returned; nor is the man selected to go
// off, who would win back the role he is losing. With nobody free, slot 0.
PlayerSlot* best_man_by_attribute(TeamRecord* team, int32_t (*attribute)(const PlayerSlot*))
{
    PlayerSlot* best = nullptr;
    int32_t best_value = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* man = &team->slots[i];
        if (is_busy(man) || out_of_play(man) || man == match_globals.selected_man)
            continue;
        const int32_t value = attribute(man);
        if (!best || value > best_value) {
            best = man;
            best_value = value;
        }
    }
    return best ? best : &team->slots[0];
}

int32_t kick_range_of(const PlayerSlot* man)
{
    return man->person ? player_i16(man->person, PLAYER_KICKING) : 0;
}

int32_t ruck_value_of(const PlayerSlot* man) { return man->person ? player_i32(man->person, PLAYER_HEIGHT) : 0; }

PlayerSlot* best_man_by_kick_range(TeamRecord* team) { return best_man_by_attribute(team, kick_range_of); }
PlayerSlot* best_man_by_ruck_value(TeamRecord* team) { return best_man_by_attribute(team, ruck_value_of); }

uint8_t find_man_by_number(int32_t t, int32_t n)
{
    if (t < 0 || t > 1)
        return 255;
    const TeamRecord& team = team_records[t];
    // The men on the ground only: a bench man is never found.
    const int ground = men_in_use() < GROUND_MEN ? men_in_use() : GROUND_MEN;
    for (int i = 0; i < ground; ++i)
        if (team.slots[i].line_up_index == n)
            return team.slots[i].number;
    return 255;
}

PlayerSlot* nearest_free_opponent_by_formation(const PlayerSlot* man)
{
    TeamRecord* other = man->team->other_team;
    const FormationSpot& own = default_spot(man);
    PlayerSlot* best = nullptr;
    int32_t best_distance = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* opponent = &other->slots[i];
        if (is_busy(opponent) || claimed_by_teammate(man, opponent))
            continue;
        const FormationSpot& theirs = default_spot(opponent);
        const int32_t d = vector_length(theirs.x - own.x, theirs.y - own.y);
        if (!best || d < best_distance) {
            best = opponent;
            best_distance = d;
        }
    }
    return best;
}

PlayerSlot* nearest_free_opponent_by_spots(const PlayerSlot* man)
{
    if (man == match_globals.controlled_man_b)
        return nullptr;
    const TeamRecord* team = man->team;
    TeamRecord* other = team->other_team;
    if (!team->formation_spots || !other->formation_spots)
        return nullptr;
    // Both spots turn with the man's side, so the distance does not.
    const int32_t sign = man->side == 1 ? -1 : 1;
    const FormationSpot& own = team->formation_spots->spot[man->number % TEAM_SLOTS];
    PlayerSlot* best = nullptr;
    int32_t best_distance = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* opponent = &other->slots[i];
        if (is_busy(opponent) || claimed_by_teammate(man, opponent) || opponent->number == other->key_man_e)
            continue;
        const FormationSpot& theirs = other->formation_spots->spot[opponent->number % TEAM_SLOTS];
        const int32_t d = approx_vector_length(sign * theirs.x - sign * own.x, sign * theirs.y - sign * own.y);
        if (!best || d < best_distance) {
            best = opponent;
            best_distance = d;
        }
    }
    return best;
}

PlayerSlot* nearest_free_player_to_goal(TeamRecord* team)
{
    PlayerSlot* best = nullptr;
    int32_t best_distance = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* man = &team->slots[i];
        if (is_busy(man) || queued_to_go_off(man) || out_of_play(man))
            continue;
        const int32_t goal_x = man->side == 2 ? 20480 : -20480;
        const FormationSpot& spot = default_spot(man);
        const int32_t d = vector_length(spot.x - goal_x, spot.y);
        if (!best || d < best_distance) {
            best = man;
            best_distance = d;
        }
    }
    return best;
}

int32_t is_marked(const PlayerSlot* man)
{
    const TeamRecord* other = man->team->other_team;
    for (int i = 0; i < men_in_use(); ++i)
        if (!is_busy(&other->slots[i]) && other->slots[i].spot == man)
            return 1;
    return 0;
}

void clear_team_claims(TeamRecord* team)
{
    for (int i = 0; i < men_in_use(); ++i)
        team->slots[i].stoppage_man = 0;
}

void clear_all_arrived()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < GROUND_MEN; ++i)
            team.slots[i].arrived = 0;
}

void flag_all_ball_coming()
{
    for (int i = 0; i < match_globals.active_men_count; ++i)
        if (!is_busy(match_globals.active_men[i]))
            match_globals.active_men[i]->ball_coming = 1;
}
