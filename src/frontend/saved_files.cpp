#include "frontend/saved_files.h"

#include "frontend/competition.h"
#include "frontend/competition_teams.h"
#include "frontend/final8_screen.h"
#include "frontend/front_end_state.h"
#include "frontend/pages.h"
#include "host/file_util.h"
#include "host/paths.h"
#include "league/game_settings.h"
#include "platform/settings.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void put_i32(uint8_t* p, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
    p[3] = static_cast<uint8_t>(u >> 24);
}

int32_t get_i32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void put_u16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

uint16_t get_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The whole file, read only when it is no larger than limit bytes: a larger
// one comes back with one byte more than the limit, so the caller refuses it
// without reading it all.
bool read_whole(const char* path, uint32_t limit, std::vector<uint8_t>& out)
{
    std::FILE* f = std::fopen(saved_file_on_disk(path).c_str(), "rb");
    if (!f) return false;
    out.resize(static_cast<size_t>(limit) + 1);
    size_t got = std::fread(out.data(), 1, out.size(), f);
    bool ok = !std::ferror(f);
    std::fclose(f);
    out.resize(got);
    return ok;
}

// Where the fields of a ".game" lie.
namespace game_at {
constexpr size_t VERSION = 0, QUARTER = 1, WEATHER = 2, PUSH = 3, SPEED = 4;
constexpr size_t PITCH_DETAIL = 8, OFFLOAD = 9, BOUNCE = 11, NAMES = 13, MARK = 15, LOGOS = 17, RADAR = 20;
constexpr size_t FINALISTS = 25, OTHERS = 33, CONTROLLERS = 44;
// The competition record, from 164.
constexpr size_t FIXTURES = 164, SCORES = 196, WIN_FLAGS = 260, ROUND = 325, ORDER = 328;
constexpr size_t WINS = 348, DRAWS = 368, LOSSES = 388, POINTS_FOR = 408, POINTS_AGAINST = 448;
constexpr size_t KINDS = 488, ORDER_COUNT = 552;
} // namespace game_at

constexpr int32_t WEATHER_CHOICES = 5, SPEED_CHOICES = 3, NAME_DISPLAY_LAST = 4, LAST_ROUND = 23;

bool team_number(int32_t v) { return v >= 0 && v < 16; }
bool switch_value(uint8_t v) { return v <= 1; }

// Everything a ".game" puts back must lie in its range before any of it is.
bool game_is_valid(const uint8_t* b)
{
    using namespace game_at;
    if (b[VERSION] != 1) return false;
    if (b[WEATHER] >= WEATHER_CHOICES || !switch_value(b[PUSH]) || get_i32(b + SPEED) < 0 ||
        get_i32(b + SPEED) >= SPEED_CHOICES)
        return false;
    for (size_t at : {PITCH_DETAIL, OFFLOAD, OFFLOAD + 1, BOUNCE, BOUNCE + 1, MARK, MARK + 1, LOGOS})
        if (!switch_value(b[at])) return false;
    if (static_cast<uint32_t>(get_i32(b + RADAR)) > 1) return false;
    // Name displays run 1..4; 0 is the first run's value, before the
    // options screen has ever been left, and the game must load its own save.
    for (size_t at : {NAMES, NAMES + 1})
        if (static_cast<int8_t>(b[at]) < 0 || static_cast<int8_t>(b[at]) > NAME_DISPLAY_LAST) return false;
    for (size_t i = 0; i < 16; ++i)
        if (!team_number(b[FINALISTS + i])) return false;
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) {
        const int32_t team = get_i32(b + CONTROLLERS + 4 * i);
        if (team < -1 || team > 15) return false;
    }
    for (size_t i = 0; i < 2 * FIXTURE_PAIRS; ++i)
        if (!team_number(static_cast<int8_t>(b[FIXTURES + i]))) return false;
    for (size_t i = 0; i < 16; ++i)
        if (!team_number(b[ORDER + i])) return false;
    return b[ROUND] <= LAST_ROUND && static_cast<uint32_t>(get_i32(b + ORDER_COUNT)) <= 16;
}

} // namespace

uint8_t game_loaded;

std::string saved_file_on_disk(const char* path)
{
    // An absolute path is matched without regard to case as well, from the
    // root down, so that a name the game builds finds the file as listed.
    if (path && (path[0] == '/' || (path[0] == '\\' && path[1] != '\\'))) return host_resolve_path("/", path + 1);
    return host_resolve_path(host_user_dir(), path);
}

int32_t file_exists_flag(const char* path)
{
    std::FILE* f = std::fopen(saved_file_on_disk(path).c_str(), "rb");
    if (!f) return 0;
    std::fclose(f);
    return 1;
}

int32_t next_free_numbered_name(const char* stem)
{
    const char* dir = user_settings.data_directory;
    size_t len = strnlen(dir, sizeof user_settings.data_directory);
    bool ends_in_separator = len > 0 && (dir[len - 1] == '\\' || dir[len - 1] == '/');
    std::string base(dir, len);
    if (!ends_in_separator) base += '\\';
    for (int32_t n = 0; n <= 998; ++n) {
        char tail[64];
        std::snprintf(tail, sizeof tail, "%03d.", n);
        std::string name = base + stem + tail + stem;
        if (!file_exists_flag(name.c_str())) return n;
    }
    return 0;
}

void encode_formation(const TeamLineup& record, uint8_t out[FORMATION_FILE_SIZE])
{
    uint8_t* p = out;
    put_i32(p, record.version);
    p += 4;
    std::memcpy(p, record.name, LINEUP_NAME_SIZE);
    p += LINEUP_NAME_SIZE;
    for (int32_t v : record.zone_y) {
        put_i32(p, v);
        p += 4;
    }
    for (int32_t v : record.zone_x) {
        put_i32(p, v);
        p += 4;
    }
    for (const LineupEntry& e : record.entries) {
        for (int32_t v : {e.player, e.setting1, e.setting2, e.x, e.y}) {
            put_i32(p, v);
            p += 4;
        }
    }
}

bool decode_formation(const uint8_t* bytes, uint32_t size, TeamLineup& record)
{
    if (size != FORMATION_FILE_SIZE || get_i32(bytes) != 1) return false;
    TeamLineup read{};
    const uint8_t* p = bytes;
    read.version = get_i32(p);
    p += 4;
    std::memcpy(read.name, p, LINEUP_NAME_SIZE);
    p += LINEUP_NAME_SIZE;
    for (int32_t& v : read.zone_y) {
        v = get_i32(p);
        p += 4;
    }
    for (int32_t& v : read.zone_x) {
        v = get_i32(p);
        p += 4;
    }
    for (LineupEntry& e : read.entries) {
        for (int32_t* v : {&e.player, &e.setting1, &e.setting2, &e.x, &e.y}) {
            *v = get_i32(p);
            p += 4;
        }
    }
    if (!lineup_is_valid(read)) return false;
    record = read;
    return true;
}

int32_t save_formation_file(const char* path, const TeamLineup& record)
{
    uint8_t buffer[FORMATION_FILE_SIZE];
    encode_formation(record, buffer);
    return host_replace_file(saved_file_on_disk(path), buffer, sizeof buffer) ? 1 : 0;
}

int32_t load_formation_file(const char* path, TeamLineup& record)
{
    std::vector<uint8_t> bytes;
    if (!read_whole(path, FORMATION_FILE_SIZE, bytes)) return 0;
    return decode_formation(bytes.data(), static_cast<uint32_t>(bytes.size()), record) ? 1 : 0;
}

void encode_game(uint8_t out[GAME_FILE_SIZE])
{
    using namespace game_at;
    const GameSettings& g = game_settings;
    const CompetitionState& c = competition_state;
    std::memset(out, 0, GAME_FILE_SIZE); // the bytes no field uses stay 0
    out[VERSION] = 1;
    out[QUARTER] = static_cast<uint8_t>(g.quarter_length);
    out[WEATHER] = g.weather;
    out[PUSH] = g.push_in_back;
    put_i32(out + SPEED, static_cast<int32_t>(g.game_speed));
    out[PITCH_DETAIL] = g.pitch_quality;
    for (int32_t side = 0; side < 2; ++side) {
        const TeamOptions& o = g.team_options[side];
        out[OFFLOAD + side] = o.auto_offload;
        out[BOUNCE + side] = o.auto_bounce;
        out[NAMES + side] = o.name_display;
        out[MARK + side] = o.intercept_circle;
    }
    out[LOGOS] = g.pitch_logos;
    put_i32(out + RADAR, g.radar);
    // Places 1 to 16 of the Final 8 selection, finalists first; a place
    // holding no club is written as the club that holds it at the start.
    for (int32_t p = 0; p < FINAL8_PLACES; ++p) {
        const int32_t team = final8_state.teams[p];
        out[FINALISTS + p] = static_cast<uint8_t>(team_number(team) ? team : p);
    }
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) put_i32(out + CONTROLLERS + 4 * i, g.controller_team_table[i]);
    for (int32_t i = 0; i < FIXTURE_PAIRS; ++i) {
        for (int32_t side = 0; side < 2; ++side) {
            out[FIXTURES + 2 * i + side] = static_cast<uint8_t>(c.fixtures[i][side]);
            put_u16(out + SCORES + 4 * i + 2 * side, c.scores[i][side]);
            put_u16(out + WIN_FLAGS + 4 * i + 2 * side, c.win_flags[i][side]);
        }
    }
    out[ROUND] = c.round;
    std::memcpy(out + ORDER, c.order, sizeof c.order);
    std::memcpy(out + WINS, c.wins, sizeof c.wins);
    std::memcpy(out + DRAWS, c.draws, sizeof c.draws);
    std::memcpy(out + LOSSES, c.losses, sizeof c.losses);
    for (int32_t i = 0; i < LADDER_ENTRIES; ++i) {
        put_u16(out + POINTS_FOR + 2 * i, c.points_for[i]);
        put_u16(out + POINTS_AGAINST + 2 * i, c.points_against[i]);
    }
    for (int32_t t = 0; t < 16; ++t) put_i32(out + KINDS + 4 * t, static_cast<int32_t>(c.kinds[t]));
    put_i32(out + ORDER_COUNT, static_cast<int32_t>(c.order_count));
}

bool decode_game(const uint8_t* b, uint32_t size)
{
    using namespace game_at;
    if (size != GAME_FILE_SIZE || !game_is_valid(b)) return false;
    GameSettings& g = game_settings;
    g.quarter_length = static_cast<int8_t>(b[QUARTER]);
    g.weather = b[WEATHER];
    g.push_in_back = b[PUSH];
    g.game_speed = static_cast<uint32_t>(get_i32(b + SPEED));
    g.pitch_quality = b[PITCH_DETAIL];
    for (int32_t side = 0; side < 2; ++side) {
        TeamOptions& o = g.team_options[side];
        o.auto_offload = b[OFFLOAD + side];
        o.auto_bounce = b[BOUNCE + side];
        o.name_display = b[NAMES + side];
        o.intercept_circle = b[MARK + side];
    }
    g.pitch_logos = b[LOGOS];
    g.radar = static_cast<uint8_t>(get_i32(b + RADAR));
    for (int32_t p = 0; p < FINAL8_PLACES; ++p) final8_state.teams[p] = b[FINALISTS + p];
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) g.controller_team_table[i] = get_i32(b + CONTROLLERS + 4 * i);
    CompetitionState c{};
    for (int32_t i = 0; i < FIXTURE_PAIRS; ++i) {
        for (int32_t side = 0; side < 2; ++side) {
            c.fixtures[i][side] = static_cast<int8_t>(b[FIXTURES + 2 * i + side]);
            c.scores[i][side] = get_u16(b + SCORES + 4 * i + 2 * side);
            c.win_flags[i][side] = get_u16(b + WIN_FLAGS + 4 * i + 2 * side);
        }
    }
    c.round = b[ROUND];
    std::memcpy(c.order, b + ORDER, sizeof c.order);
    std::memcpy(c.wins, b + WINS, sizeof c.wins);
    std::memcpy(c.draws, b + DRAWS, sizeof c.draws);
    std::memcpy(c.losses, b + LOSSES, sizeof c.losses);
    for (int32_t i = 0; i < LADDER_ENTRIES; ++i) {
        c.points_for[i] = get_u16(b + POINTS_FOR + 2 * i);
        c.points_against[i] = get_u16(b + POINTS_AGAINST + 2 * i);
    }
    for (int32_t t = 0; t < 16; ++t) {
        const uint32_t kind = static_cast<uint32_t>(get_i32(b + KINDS + 4 * t));
        // A club the selection screen was still choosing when saved is the computer's.
        c.kinds[t] = kind == KIND_CHOOSING ? KIND_COMPUTER : kind;
    }
    c.order_count = static_cast<uint32_t>(get_i32(b + ORDER_COUNT));
    competition_state = c;
    return true;
}

int32_t save_game_file(const char* path)
{
    uint8_t buffer[GAME_FILE_SIZE];
    encode_game(buffer);
    return host_replace_file(saved_file_on_disk(path), buffer, sizeof buffer) ? 1 : 0;
}

int32_t load_game_file(const char* path)
{
    front_end_state.page = first_page;
    game_loaded = 0;
    std::vector<uint8_t> bytes;
    if (!read_whole(path, GAME_FILE_SIZE, bytes)) return 0;
    return decode_game(bytes.data(), static_cast<uint32_t>(bytes.size())) ? 1 : 0;
}
