// The phrase group table, built from a few rows of group ranges.
#include "display/commentary_groups.h"

#include "league/league_data.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// A range of groups alike: samples a group, resident samples, and the name
// kinds of its samples in turn (the last repeats).
struct GroupRow {
    int16_t first, last;
    int16_t count, resident;
    const char* kinds;
};

// Later rows override earlier ones.
const GroupRow group_rows[] = {
    // Play phrases.
    {0, 105, 2, 1, "0"},
    // About the man on the ball.
    {10, 12, 3, 1, "110"},
    {21, 23, 3, 2, "110"},
    {25, 25, 3, 1, "110"},
    {29, 33, 3, 1, "110"},
    {45, 45, 3, 1, "120"},
    {47, 49, 3, 1, "110"},
    {53, 55, 3, 1, "110"},
    {68, 69, 3, 1, "110"},
    {71, 74, 3, 1, "110"},
    {73, 73, 3, 2, "110"},
    {76, 78, 3, 1, "110"},
    {80, 80, 3, 1, "120"},
    {85, 85, 3, 1, "110"},
    {90, 90, 3, 1, "110"},
    {94, 94, 3, 1, "110"},
    // A named player's own phrase: his spoken name follows.
    {56, 57, 2, 1, "1"},
    {75, 75, 2, 1, "1"},
    // The free kick's team.
    {46, 46, 2, 1, "07"},
    // The clubs' spoken names, one group a club.
    {106, 121, NAMED_PLAYERS, NAMED_PLAYERS, "0"},
    // Bloopers, streamed.
    {122, 122, 3, 0, "0"},
    // Colour.
    {123, 231, 2, 1, "0"},
    {126, 132, 3, 1, "10"},
    {214, 218, 3, 1, "10"},
    // Situation remarks (refreshed while the match goes on).
    {139, 142, 3, 1, "0"},
    {145, 148, 3, 1, "0"},
    {151, 165, 3, 1, "0"},
    {159, 160, 3, 1, "09"},
    // Openings.
    {232, 232, 9, 1, "0"},
    {233, 236, 2, 0, "0"},
    {237, 260, 2, 1, "0"},
    {261, 262, 32, 1, "0"},
    {263, 267, 2, 1, "0"},
    // Closings and banter; 268 to 286 streamed.
    {268, 286, 2, 0, "0"},
    {287, 297, 2, 1, "0"},
    {289, 289, 3, 1, "110"},
    {291, 292, 3, 1, "0"},
    {295, 295, 3, 1, "110"},
    // Phrases about each club's named players (the first club's last four).
    {298, 313, NAMED_PLAYERS, NAMED_PLAYERS, "0"},
    {298, 298, NAMED_PLAYERS - 2, NAMED_PLAYERS - 2, "0"},
    // Ball position: the fourteen zone phrases stand in for these.
    {314, 315, 1, 1, "0"},
};

struct BuiltGroup {
    int16_t count = 0, resident = 0;
    std::vector<char> names; // count x 33
};

struct Table {
    BuiltGroup groups[PHRASE_GROUP_COUNT];
    PhraseGroup views[PHRASE_GROUP_COUNT];
    int32_t total = 0;
};

const char* family(int32_t g)
{
    if (g <= 105 || g == 314 || g == 315) return "P_";
    if (g <= 121) return "T_";
    if (g == 122) return "BLOOPERS";
    if (g <= 231 || g >= 298) return "C_";
    if (g <= 267) return "INTRO";
    return "J_";
}

void name_sample(char* out, int32_t g, int32_t i, uint8_t kind)
{
    std::memset(out, 0, PHRASE_NAME_SIZE);
    char text[40];
    if (g >= 106 && g <= 121) {
        int32_t numbers[NAMED_PLAYERS];
        club_named_players(g - 106, numbers);
        // Characters 6 and 7 (from 1) hold the squad number plus one.
        std::snprintf(text, sizeof text, "T_%02d_%02d", g - 106 + 1, numbers[i] + 1);
    } else if (g >= 298 && g <= 313) {
        std::snprintf(text, sizeof text, "C_NP%02d_%02d", g - 298 + 1, i + 1);
    } else if (g == 122) {
        std::snprintf(text, sizeof text, "BLOOPERS%02d", i + 1);
    } else {
        std::snprintf(text, sizeof text, "%s%03d_%02d", family(g), g, i + 1);
    }
    std::memcpy(out, text, std::strlen(text));
    out[PHRASE_NAME_SIZE - 1] = static_cast<char>(kind);
}

Table& table()
{
    static Table* t = [] {
        Table* made = new Table;
        for (int32_t g = 0; g < PHRASE_GROUP_COUNT; ++g) {
            const GroupRow* row = nullptr;
            for (const GroupRow& r : group_rows)
                if (g >= r.first && g <= r.last) row = &r;
            BuiltGroup& b = made->groups[g];
            b.count = row->count;
            b.resident = row->resident;
            if (g >= 106 && g <= 121) {
                int32_t numbers[NAMED_PLAYERS];
                club_named_players(g - 106, numbers);
                int16_t n = 0;
                while (n < NAMED_PLAYERS && numbers[n] >= 0) ++n;
                b.count = b.resident = n > 0 ? n : 1;
            }
            b.names.resize(static_cast<size_t>(b.count) * PHRASE_NAME_SIZE);
            const size_t kinds = std::strlen(row->kinds);
            for (int32_t i = 0; i < b.count; ++i) {
                const char k = row->kinds[static_cast<size_t>(i) < kinds ? i : kinds - 1];
                name_sample(&b.names[static_cast<size_t>(i) * PHRASE_NAME_SIZE], g, i,
                            static_cast<uint8_t>(k - '0'));
            }
            made->views[g] = PhraseGroup{b.count, reinterpret_cast<const char(*)[PHRASE_NAME_SIZE]>(b.names.data())};
            made->total += b.count;
        }
        return made;
    }();
    return *t;
}

} // namespace

const PhraseGroup& phrase_group(int32_t group) { return table().views[group]; }

int16_t phrase_group_resident(int32_t group) { return table().groups[group].resident; }

int32_t phrase_name_total() { return table().total; }

bool phrase_group_streamed(int32_t group)
{
    return group == 122 || (group >= 233 && group <= 236) || (group >= 268 && group <= 286);
}

void club_named_players(int32_t club, int32_t numbers[NAMED_PLAYERS])
{
    for (int32_t i = 0; i < NAMED_PLAYERS; ++i) numbers[i] = -1;
    // The first six of the club's team sheet whose numbers have spoken names.
    league_team* team = club >= 0 && club < LEAGUE_TEAMS ? builtin_league.teams[club] : nullptr;
    if (!team) return;
    int32_t n = 0;
    for (int32_t p = 0; p < SQUAD_POSITIONS && n < NAMED_PLAYERS; ++p) {
        const league_player* man = team->players[p];
        if (!man) continue;
        const int32_t number = man->bytes[PLAYER_GUERNSEY];
        if (number <= 41) numbers[n++] = number;
    }
}
