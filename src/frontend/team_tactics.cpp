#include "frontend/team_tactics.h"

#include "match/match_records.h"
#include "match/team_selection.h"
#include "platform/settings.h"
#include "league/team_lineups.h"

#include <cstddef>
#include <cstring>

namespace {

// The drawing is 390 x 258 around its centre; the factors are single
// precision 1/195 and 1/129 times 100.
const float PER_X = (1.0f / 195.0f) * 100.0f;
const float PER_Y = (1.0f / 129.0f) * 100.0f;
constexpr int32_t BLOCK_OFFSET = 1; // the block's eighth word within rest[]

uint32_t* block_words(int32_t side) { return &user_settings.team[side & 1].rest[BLOCK_OFFSET]; }

void write_block(int32_t side, const TacticsBlock& b) { std::memcpy(block_words(side), &b, sizeof b); }

int32_t side_team(int32_t side) { return side ? game_settings.away_team : game_settings.home_team; }

// The block from a line-up (players from 0) and its role row (from 1).
void store_tactics(int32_t side, const TeamLineup& lineup, const int32_t role_row[TEAM_ROLES])
{
    TacticsBlock b{};
    b.zone_lines[0] = -(float(lineup.zone_y[0] - 6) * PER_Y);
    b.zone_lines[1] = -(float(lineup.zone_y[1] + 6) * PER_Y);
    b.zone_lines[2] = float(lineup.zone_x[0] - 6) * PER_X;
    b.zone_lines[3] = float(lineup.zone_x[1] - 6) * PER_X;
    b.zone_lines[4] = float(lineup.zone_x[2] + 6) * PER_X;
    b.zone_lines[5] = float(lineup.zone_x[3] + 6) * PER_X;
    for (int32_t i = 0; i < LINEUP_ON_FIELD; ++i) {
        const LineupEntry& e = lineup.entries[i];
        b.on_field[i] = {e.player, e.setting1, e.setting2, float(e.x) * PER_X, -(float(e.y) * PER_Y)};
    }
    for (int32_t i = 0; i < 6; ++i) b.bench[i] = lineup.entries[LINEUP_BENCH_FIRST + i].player;

    // The holders are checked against the line-up being stored, on a copy of
    // the row, so that no slot is left over from an earlier line-up.
    const int32_t interchanges = game_settings.interchange_players;
    int32_t saved[TEAM_ROLES], roles[TEAM_ROLES];
    std::memcpy(saved, current_roles, sizeof saved);
    std::memcpy(current_roles, role_row, sizeof current_roles);
    assign_team_roles(lineup, interchanges);
    std::memcpy(roles, current_roles, sizeof roles);
    std::memcpy(current_roles, saved, sizeof saved);

    b.role7_slot = b.role7_player = -1;
    // Slots 0-4 hold roles 3, 2, 4, 5, 1.
    static const int32_t slot_of_role[5] = {4, 1, 0, 2, 3};
    const int32_t bench_end = LINEUP_ON_FIELD + (interchanges < 6 ? interchanges : 6);
    for (int32_t i = 0; i < bench_end; ++i) {
        const int32_t p = lineup.entries[i].player;
        if (i < LINEUP_ON_FIELD)
            for (int32_t r = 0; r < 5; ++r)
                if (p == roles[r] - 1) b.role_slots[slot_of_role[r]] = i;
        if (p == roles[5] - 1) b.role6_slot = i, b.role6_player = p;
        if (p == roles[6] - 1) b.role7_slot = i, b.role7_player = p;
    }
    write_block(side, b);
}

} // namespace

TacticsBlock read_tactics_block(int32_t side)
{
    TacticsBlock b;
    std::memcpy(&b, block_words(side), sizeof b);
    return b;
}

void store_team_tactics(int32_t side)
{
    const int32_t team = side_team(side);
    if (team < 0 || team >= LEAGUE_TEAMS) return;
    store_tactics(side, team_lineups[team], team_role_rows[team]);
}

void store_default_tactics(int32_t side)
{
    const int32_t team = side_team(side);
    if (team < 0 || team >= LEAGUE_TEAMS) return;
    TeamLineup lineup = default_formation;
    for (int32_t i = 0; i < SQUAD_POSITIONS; ++i) lineup.entries[i].player = default_team_sheets[team][i] - 1;
    store_tactics(side, lineup, default_role_rows[team]);
}

namespace {

// The match reads a side's 480 bytes from its block's first word (the team
// block's second), so the last word is the next block's first.
constexpr size_t SELECTION_BYTES = 480;
constexpr size_t TACTICS_AT = 28, NAME_LABELS_AT = 8, BEHAVIOUR_AT = 476;
constexpr size_t TACTIC_AT[3] = {0, 4, 12};
constexpr size_t CONTEST_SIZE_AT = 16;

uint32_t word_at(const uint8_t* record, size_t at)
{
    uint32_t w;
    std::memcpy(&w, record + at, sizeof w);
    return w;
}

uint8_t slot_or_none(int32_t slot) { return slot < 0 || slot > 0xFE ? SELECTION_NONE : static_cast<uint8_t>(slot); }

} // namespace

void hand_over_team_selections()
{
    static_assert(offsetof(settings_record, team) + 2 * sizeof(settings_team) + sizeof(uint32_t) <= SETTINGS_BYTES);
    for (int32_t side = 0; side < 2; ++side) {
        const uint8_t* record = reinterpret_cast<const uint8_t*>(&user_settings) + offsetof(settings_record, team) +
                                side * sizeof(settings_team) + offsetof(settings_team, auto_offload);
        static_assert(offsetof(settings_team, auto_offload) + SELECTION_BYTES == sizeof(settings_team) + 4);
        TacticsBlock b;
        std::memcpy(&b, record + TACTICS_AT, sizeof b);
        TeamSelection& sel = team_selections[side];
        std::memset(&sel, 0, sizeof sel);
        for (int32_t i = 0; i < 18; ++i)
            sel.entries[i] = {static_cast<uint8_t>(b.on_field[i].player), static_cast<uint8_t>(b.on_field[i].setting_1),
                              static_cast<uint8_t>(b.on_field[i].setting_2)};
        for (int32_t i = 0; i < 6; ++i) sel.interchange[i] = static_cast<uint8_t>(b.bench[i]);
        std::memcpy(sel.zone_percent, b.zone_lines, sizeof sel.zone_percent);
        for (int32_t k = 0; k < 4; ++k) sel.key_men[k] = slot_or_none(b.role_slots[k]);
        sel.key_man_e = slot_or_none(b.role_slots[4]);
        sel.captain = slot_or_none(b.role6_slot);
        sel.vice_captain = slot_or_none(b.role7_slot);
        sel.tactic_a = static_cast<uint8_t>(word_at(record, TACTIC_AT[0]));
        sel.tactic_b = static_cast<uint8_t>(word_at(record, TACTIC_AT[1]));
        sel.tactic_c = static_cast<uint8_t>(word_at(record, TACTIC_AT[2]));
        sel.name_labels = word_at(record, NAME_LABELS_AT);
        sel.selection_extra = word_at(record, CONTEST_SIZE_AT);
        sel.behaviour_set = word_at(record, BEHAVIOUR_AT);
    }
}
