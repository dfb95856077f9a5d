#include "league/league_data.h"

#include <array>
#include <cstddef>

namespace {

struct LeagueTeamRow {
    uint16_t strength, word_a, word_b;
};

struct LeaguePlayerRow {
    const char* name;
    int16_t speed, marking, handball, tackling, kicking, strength, agility, stamina, accuracy, recovery;
    int32_t height;
    int16_t aggression, skill, weight;
    uint32_t reach;
    uint8_t hair_class;
    const char* hair;
    const char* skin;
    const char* facial_hair;
    uint8_t guernsey;
};

#include "league/league_players.inc"

constexpr bool fits(const char* text, int size)
{
    int n = 0;
    while (text[n])
        ++n;
    return n < size;
}

// A name or look too long for its field would be cut without a word.
constexpr bool rows_fit_their_fields()
{
    for (const auto& club : league_player_rows)
        for (const LeaguePlayerRow& r : club)
            if (!fits(r.name, PLAYER_NAME_SIZE) || !fits(r.hair, PLAYER_LOOK_SIZE) ||
                !fits(r.skin, PLAYER_LOOK_SIZE) || !fits(r.facial_hair, PLAYER_LOOK_SIZE))
                return false;
    return true;
}
static_assert(rows_fit_their_fields(), "a name or look of the league is too long for its field");

constexpr void put_u16(league_player& p, int offset, uint32_t v)
{
    p.bytes[offset] = static_cast<uint8_t>(v & 0xFF);
    p.bytes[offset + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

constexpr void put_u32(league_player& p, int offset, uint32_t v)
{
    put_u16(p, offset, v & 0xFFFF);
    put_u16(p, offset + 2, v >> 16);
}

constexpr void put_text(league_player& p, int offset, int size, const char* text)
{
    for (int i = 0; i < size - 1 && text[i]; ++i)
        p.bytes[offset + i] = static_cast<uint8_t>(text[i]);
}

constexpr league_player pack(const LeaguePlayerRow& r)
{
    league_player p{};
    put_text(p, PLAYER_NAME, PLAYER_NAME_SIZE, r.name);
    put_u16(p, PLAYER_SPEED, static_cast<uint16_t>(r.speed));
    put_u16(p, PLAYER_MARKING, static_cast<uint16_t>(r.marking));
    put_u16(p, PLAYER_HANDBALL, static_cast<uint16_t>(r.handball));
    put_u16(p, PLAYER_TACKLING, static_cast<uint16_t>(r.tackling));
    put_u16(p, PLAYER_KICKING, static_cast<uint16_t>(r.kicking));
    put_u16(p, PLAYER_STRENGTH, static_cast<uint16_t>(r.strength));
    put_u16(p, PLAYER_AGILITY, static_cast<uint16_t>(r.agility));
    put_u16(p, PLAYER_STAMINA, static_cast<uint16_t>(r.stamina));
    put_u16(p, PLAYER_ACCURACY, static_cast<uint16_t>(r.accuracy));
    put_u16(p, PLAYER_RECOVERY, static_cast<uint16_t>(r.recovery));
    put_u32(p, PLAYER_HEIGHT, static_cast<uint32_t>(r.height));
    put_u16(p, PLAYER_AGGRESSION, static_cast<uint16_t>(r.aggression));
    put_u16(p, PLAYER_SKILL, static_cast<uint16_t>(r.skill));
    put_u16(p, PLAYER_WEIGHT, static_cast<uint16_t>(r.weight));
    put_u32(p, PLAYER_REACH, r.reach);
    p.bytes[PLAYER_HAIR_CLASS] = r.hair_class;
    put_text(p, PLAYER_HAIR, PLAYER_LOOK_SIZE, r.hair);
    put_text(p, PLAYER_SKIN, PLAYER_LOOK_SIZE, r.skin);
    put_text(p, PLAYER_FACIAL_HAIR, PLAYER_LOOK_SIZE, r.facial_hair);
    p.bytes[PLAYER_GUERNSEY] = r.guernsey;
    return p;
}

using PlayerTable = std::array<std::array<league_player, LEAGUE_PLAYERS>, LEAGUE_TEAMS>;

constexpr PlayerTable pack_players()
{
    PlayerTable t{};
    for (int c = 0; c < LEAGUE_TEAMS; ++c)
        for (int i = 0; i < LEAGUE_PLAYERS; ++i)
            t[c][i] = pack(league_player_rows[c][i]);
    return t;
}

// Packed when the program is built; the database screens edit them in place.
constinit PlayerTable builtin_players = pack_players();

using TeamTable = std::array<league_team, LEAGUE_TEAMS>;

constexpr TeamTable make_teams()
{
    TeamTable t{};
    for (int c = 0; c < LEAGUE_TEAMS; ++c) {
        t[c].number = static_cast<uint16_t>(c);
        t[c].strength = league_team_rows[c].strength;
        t[c].word_a = league_team_rows[c].word_a;
        t[c].word_b = league_team_rows[c].word_b;
        for (int i = 0; i < LEAGUE_PLAYERS; ++i)
            t[c].players[i] = &builtin_players[c][i];
    }
    return t;
}

constinit TeamTable builtin_teams = make_teams();

constexpr league_data make_league()
{
    league_data l{LEAGUE_TEAMS, 0, {}};
    for (int c = 0; c < LEAGUE_TEAMS; ++c)
        l.teams[c] = &builtin_teams[c];
    return l;
}

uint32_t get_u16(const league_player* p, int offset)
{
    return static_cast<uint32_t>(p->bytes[offset]) | static_cast<uint32_t>(p->bytes[offset + 1]) << 8;
}

uint32_t get_u32(const league_player* p, int offset) { return get_u16(p, offset) | get_u16(p, offset + 2) << 16; }

void set_text(league_player* p, int offset, int size, const char* text)
{
    int i = 0;
    for (; i < size - 1 && text && text[i]; ++i)
        p->bytes[offset + i] = static_cast<uint8_t>(text[i]);
    for (; i < size; ++i)
        p->bytes[offset + i] = 0;
}

// The setters always leave the field's last byte zero.
const char* text_at(const league_player* p, int offset) { return reinterpret_cast<const char*>(p->bytes + offset); }

} // namespace

const uint8_t league_squad_size[LEAGUE_TEAMS] = {41, 42, 41, 41, 42, 41, 42, 41, 42, 42, 42, 41, 41, 42, 41, 42};

constinit league_data builtin_league = make_league();
league_data* current_league = &builtin_league;

void select_builtin_league_data() { current_league = &builtin_league; }

void reset_league_data()
{
    builtin_players = pack_players();
    builtin_teams = make_teams();
    builtin_league = make_league();
    current_league = &builtin_league;
}

league_team* league_team_at(int32_t team_number)
{
    if (!current_league || team_number < 0 || team_number >= LEAGUE_TEAMS ||
        static_cast<uint32_t>(team_number) >= current_league->count)
        return nullptr;
    return current_league->teams[team_number];
}

const char* player_name(const league_player* p) { return text_at(p, PLAYER_NAME); }
void set_player_name(league_player* p, const char* name) { set_text(p, PLAYER_NAME, PLAYER_NAME_SIZE, name); }

int16_t player_i16(const league_player* p, int offset) { return static_cast<int16_t>(get_u16(p, offset)); }
void set_player_i16(league_player* p, int offset, int16_t value) { put_u16(*p, offset, static_cast<uint16_t>(value)); }
int32_t player_i32(const league_player* p, int offset) { return static_cast<int32_t>(get_u32(p, offset)); }
void set_player_i32(league_player* p, int offset, int32_t value) { put_u32(*p, offset, static_cast<uint32_t>(value)); }
uint32_t player_u32(const league_player* p, int offset) { return get_u32(p, offset); }
void set_player_u32(league_player* p, int offset, uint32_t value) { put_u32(*p, offset, value); }
uint8_t player_u8(const league_player* p, int offset) { return p->bytes[offset]; }
void set_player_u8(league_player* p, int offset, uint8_t value) { p->bytes[offset] = value; }

const char* player_look(const league_player* p, int offset) { return text_at(p, offset); }
void set_player_look(league_player* p, int offset, const char* text) { set_text(p, offset, PLAYER_LOOK_SIZE, text); }
