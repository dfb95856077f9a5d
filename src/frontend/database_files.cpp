#include "frontend/database_files.h"

#include "frontend/competition.h"
#include "frontend/player_editor.h"
#include "host/file_util.h"
#include "host/paths.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

uint16_t team_name_change_buffer[LEAGUE_TEAMS];
char original_names[LEAGUE_TEAMS][SQUAD_POSITIONS][PLAYER_NAME_SIZE];
uint8_t original_names_loaded;
SlideDbOwner slide_db_owner = {{-1, -1}, 0};

namespace {

// The whole file, or false when it cannot be opened or read. At most `limit`
// bytes are read: a larger file is reported by its size alone.
bool read_small_file(const std::string& path, std::vector<uint8_t>& out, size_t& size, size_t limit)
{
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.assign(limit + 1, 0);
    size = std::fread(out.data(), 1, out.size(), f);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

const league_player* player_at(int32_t team, int32_t index)
{
    const league_team* club = league_team_at(team);
    return club && index >= 0 && index < SQUAD_POSITIONS ? club->players[index] : nullptr;
}

void put_u16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint32_t get_u16(const uint8_t* b) { return static_cast<uint32_t>(b[0] | b[1] << 8); }

// Masked player k of a club: the listing order is the player order.
bool masked(int32_t team, int32_t k) { return k < MASKED_PLAYERS && (team_name_change_buffer[team] >> k & 1) != 0; }

bool printable_name(const uint8_t* name)
{
    for (uint32_t i = 0; i < PLAYER_NAME_SIZE; ++i) {
        if (name[i] == 0) return true;
        if (name[i] < 0x20 || name[i] > 0x7E) return false;
    }
    return false; // no NUL within the field
}

} // namespace

std::string database_file_path(const char* name)
{
    const char* dir = user_settings.data_directory;
    if (dir[0] == '/') {
        std::string path = dir;
        if (path.back() != '/') path += '/';
        return path + name;
    }
    return host_user_dir() + "/" + name;
}

bool parse_delta_db(const uint8_t* data, size_t size, uint16_t masks[LEAGUE_TEAMS])
{
    if (!data || size != DELTA_DB_BYTES) return false;
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t) masks[t] = static_cast<uint16_t>(data[2 * t] | data[2 * t + 1] << 8);
    return true;
}

void load_delta_db()
{
    const std::string path = database_file_path(DELTA_DB_FILE);
    std::vector<uint8_t> bytes;
    size_t size = 0;
    if (!read_small_file(path, bytes, size, DELTA_DB_BYTES)) {
        // Only a missing file is made anew; one that cannot be read is left be.
        if (errno != ENOENT) return;
        const uint8_t zeros[DELTA_DB_BYTES] = {};
        host_replace_file(path, zeros, sizeof zeros);
        return;
    }
    uint16_t masks[LEAGUE_TEAMS];
    if (parse_delta_db(bytes.data(), size, masks)) std::memcpy(team_name_change_buffer, masks, sizeof masks);
}

bool save_delta_db()
{
    uint8_t bytes[DELTA_DB_BYTES];
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t) {
        bytes[2 * t] = static_cast<uint8_t>(team_name_change_buffer[t]);
        bytes[2 * t + 1] = static_cast<uint8_t>(team_name_change_buffer[t] >> 8);
    }
    return host_replace_file(database_file_path(DELTA_DB_FILE), bytes, sizeof bytes);
}

bool write_slide_db(const uint8_t* buffer)
{
    return buffer && host_replace_file(database_file_path(SLIDE_DB_FILE), buffer, SLIDE_DB_BYTES);
}

bool read_slide_db(std::vector<uint8_t>& out)
{
    size_t size = 0;
    if (!read_small_file(database_file_path(SLIDE_DB_FILE), out, size, SLIDE_DB_BYTES) || size != SLIDE_DB_BYTES) {
        out.clear();
        return false;
    }
    out.resize(SLIDE_DB_BYTES);
    return true;
}

uint32_t slide_db_check(const uint8_t* data, size_t size)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; data && i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

std::vector<uint8_t> name_db_image()
{
    std::vector<uint8_t> entries;
    uint32_t count = 0;
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t)
        for (int32_t k = 0; k < MASKED_PLAYERS; ++k) {
            const league_player* p = masked(t, k) ? player_at(t, k) : nullptr;
            if (!p || (original_names_loaded && !player_name_altered(t, k))) continue;
            entries.push_back(static_cast<uint8_t>(t));
            entries.push_back(static_cast<uint8_t>(k));
            uint8_t name[PLAYER_NAME_SIZE] = {};
            std::memcpy(name, player_name(p), PLAYER_NAME_SIZE - 1); // the field always ends in a NUL
            entries.insert(entries.end(), name, name + PLAYER_NAME_SIZE);
            ++count;
        }
    std::vector<uint8_t> out;
    put_u16(out, NAME_DB_VERSION);
    put_u16(out, count);
    out.push_back(static_cast<uint8_t>(slide_db_owner.teams[0]));
    out.push_back(static_cast<uint8_t>(slide_db_owner.teams[1]));
    put_u16(out, slide_db_owner.check & 0xFFFF);
    put_u16(out, slide_db_owner.check >> 16);
    out.insert(out.end(), entries.begin(), entries.end());
    return out;
}

bool parse_name_db(const uint8_t* data, size_t size, std::vector<EditedName>& names, SlideDbOwner& owner)
{
    if (!data || size < NAME_DB_HEAD_BYTES || get_u16(data) != NAME_DB_VERSION) return false;
    const uint32_t count = get_u16(data + 2);
    if (count > LEAGUE_TEAMS * MASKED_PLAYERS || size != NAME_DB_HEAD_BYTES + NAME_DB_ENTRY_BYTES * count) return false;
    const int8_t home = static_cast<int8_t>(data[4]), away = static_cast<int8_t>(data[5]);
    const bool no_owner = home == -1 && away == -1;
    const bool owned = home >= 0 && home < LEAGUE_TEAMS && away >= 0 && away < LEAGUE_TEAMS;
    if (!no_owner && !owned) return false;
    std::vector<EditedName> read;
    bool seen[LEAGUE_TEAMS][MASKED_PLAYERS] = {};
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = data + NAME_DB_HEAD_BYTES + NAME_DB_ENTRY_BYTES * i;
        if (e[0] >= LEAGUE_TEAMS || e[1] >= MASKED_PLAYERS || seen[e[0]][e[1]] || !printable_name(e + 2)) return false;
        seen[e[0]][e[1]] = true;
        EditedName n{e[0], e[1], {}};
        std::memcpy(n.name, e + 2, PLAYER_NAME_SIZE);
        read.push_back(n);
    }
    names.swap(read);
    owner = {{home, away}, get_u16(data + 6) | get_u16(data + 8) << 16};
    return true;
}

bool save_name_edits()
{
    const bool masks = save_delta_db();
    const std::vector<uint8_t> image = name_db_image();
    return host_replace_file(database_file_path(NAME_DB_FILE), image.data(), image.size()) && masks;
}

void load_database_files()
{
    load_delta_db();
    // The built-in names are taken before any edit comes back over them.
    if (!original_names_loaded) load_original_names();
    std::vector<uint8_t> bytes;
    size_t size = 0;
    std::vector<EditedName> names;
    SlideDbOwner owner{};
    if (!read_small_file(database_file_path(NAME_DB_FILE), bytes, size, NAME_DB_MOST_BYTES) ||
        !parse_name_db(bytes.data(), size, names, owner))
        return;
    // A name whose bit the masks do not carry was not committed with them.
    for (const EditedName& n : names) {
        league_team* club = league_team_at(n.team);
        if (club && club->players[n.player] && masked(n.team, n.player)) set_player_name(club->players[n.player], n.name);
    }
    slide_db_owner = owner;
    if (owner.teams[0] >= 0) load_slide_db(owner.teams[0], owner.teams[1], owner.check);
}

void load_original_names()
{
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t)
        for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) {
            const league_team* club = builtin_league.teams[t];
            const league_player* p = club ? club->players[k] : nullptr;
            std::snprintf(original_names[t][k], PLAYER_NAME_SIZE, "%s", p ? player_name(p) : "");
        }
    original_names_loaded = 1;
}

bool player_name_altered(int32_t team, int32_t index)
{
    const league_player* p = player_at(team, index);
    return p && original_names_loaded && std::strncmp(player_name(p), original_names[team][index], PLAYER_NAME_SIZE) != 0;
}

bool team_has_altered_names(int32_t team, int32_t first, int32_t end)
{
    if (end < 0) end = SQUAD_POSITIONS;
    if (first < 0) first = 0;
    if (end > SQUAD_POSITIONS) end = SQUAD_POSITIONS;
    for (int32_t k = first; k < end; ++k)
        if (player_name_altered(team, k)) return true;
    return false;
}

void restore_player_name(int32_t team, int32_t index)
{
    const league_team* club = league_team_at(team);
    if (!original_names_loaded || !club || index < 0 || index >= SQUAD_POSITIONS || !club->players[index]) return;
    set_player_name(club->players[index], original_names[team][index]);
    if (index < MASKED_PLAYERS) team_name_change_buffer[team] = static_cast<uint16_t>(team_name_change_buffer[team] & ~(1u << index));
}

void restore_team_player_names(int32_t team)
{
    for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) restore_player_name(team, k);
}

int32_t approach_value(int32_t value, int32_t target, int32_t step)
{
    const int32_t d = target - value;
    if (d <= step && d >= -step) return target;
    return d > 0 ? value + step : value - step;
}

void reset_match_setup()
{
    game_settings.home_team = 0;
    game_settings.away_team = 9;
    team_records[0].club = team_records[0].club_sheet = league_team_at(0);
    team_records[1].club = team_records[1].club_sheet = league_team_at(9);
    clear_competition_teams();
}

void reset_database_files()
{
    std::memset(team_name_change_buffer, 0, sizeof team_name_change_buffer);
    std::memset(original_names, 0, sizeof original_names);
    original_names_loaded = 0;
    slide_db_owner = {{-1, -1}, 0};
}
