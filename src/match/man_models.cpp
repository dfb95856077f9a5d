#include "match/man_models.h"

#include "league/league_data.h"
#include "match/match_hooks.h"
#include "match/match_setup.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* hair_names[4] = {"shorthair", "longhair", "curlyhair", "baldhead"};
constexpr const char* level_names[3] = {"highplayer_", "midplayer_", "lowplayer_"};
constexpr float size_scales[3] = {0.9f, 1.0f, 1.1f};
constexpr int32_t level_shadows[3] = {-1, -1, -2};

struct ModelTable {
    ModelRecord r[MODEL_RECORDS];
};

ModelTable build_model_table()
{
    ModelTable t{};
    for (int h = 0; h < 4; ++h)
        for (int s = 0; s < 3; ++s)
            for (int k = 0; k < 3; ++k) {
                ModelRecord& r = t.r[h * 9 + s * 3 + k];
                std::snprintf(r.name, sizeof r.name, "3d display\\pgfs\\%s%s.pgf", level_names[k], hair_names[h]);
                r.scale = size_scales[s];
                r.shadow_kind = level_shadows[k];
            }
    static const char* umpires[6] = {"field_ump_high", "field_ump_med", "field_ump_low",
                                     "goal_ump_high",  "goal_ump_med",  "goal_ump_low"};
    for (int i = 0; i < 6; ++i) {
        ModelRecord& r = t.r[36 + i];
        std::snprintf(r.name, sizeof r.name, "3d display\\pgfs\\%s.pgf", umpires[i]);
        r.scale = 1.0f;
        r.shadow_kind = level_shadows[i % 3];
    }
    return t;
}

const ModelTable model_table = build_model_table();

// One directory per club, by the team number of the match settings.
constexpr const char* club_directories[16] = {
    "harbour\\", "ironbark\\", "saltbush\\", "quarry\\",  "tidewater\\", "redgum\\",   "lighthouse\\", "bluestone\\",
    "mallee\\",  "riverbend\\", "stockmen\\", "granite\\", "wattle\\",    "foundry\\",  "coastline\\",  "brolga\\",
};

void add_name(ManTextures& t, const char* name)
{
    if (t.count >= MAX_MAN_TEXTURES)
        return;
    std::snprintf(t.names[t.count], sizeof t.names[t.count], "%s", name);
    ++t.count;
}

void build_instances(PlayerSlot* man, const ManTextures& t, const char* directory)
{
    const char* names[MAX_MAN_TEXTURES];
    for (int i = 0; i < t.count; ++i)
        names[i] = t.names[i];
    for (int k = 0; k < 3; ++k)
        presentation::build_model_instance(man, k, t.model_record + k, directory, names, t.count);
    man->model_ready = 0;
}

} // namespace

const ModelRecord& model_record(int index) { return model_table.r[index < 0 || index >= MODEL_RECORDS ? 0 : index]; }

uint32_t size_class_of_height(int32_t h)
{
    // The exact height: h x 100 / 256 cm above 190 is large.
    if (static_cast<int64_t>(h) * 100 > 190 * 256)
        return 2;
    if (static_cast<int64_t>(h) * 100 >= 170 * 256)
        return 1;
    return 0;
}

ManTextures man_textures(const PlayerSlot* man, uint8_t time_of_day)
{
    ManTextures t{};
    int32_t hair = 0, height = 0, number = 0;
    const league_player* p = man->person;
    if (p) {
        hair = player_u8(p, PLAYER_HAIR_CLASS);
        height = player_i32(p, PLAYER_HEIGHT);
        number = player_u8(p, PLAYER_GUERNSEY);
    }
    if (hair > 3) {
        add_name(t, hair == 4 ? "STUBBLE" : "CREWCUT");
        hair = 3;
    }
    t.size_index = size_class_of_height(height);
    if (p) {
        add_name(t, player_look(p, PLAYER_HAIR));
        add_name(t, player_look(p, PLAYER_SKIN));
        add_name(t, player_look(p, PLAYER_FACIAL_HAIR));
    }
    char buf[8];
    if (number < 10) {
        std::snprintf(buf, sizeof buf, "%d", number);
        add_name(t, buf);
    } else {
        std::snprintf(buf, sizeof buf, "L%d", (number / 10) % 10);
        add_name(t, buf);
        std::snprintf(buf, sizeof buf, "R%d", number % 10);
        add_name(t, buf);
    }
    if (time_of_day == 0)
        add_name(t, "YELLOW");
    t.model_record = hair * 9 + static_cast<int32_t>(t.size_index) * 3;
    return t;
}

ManTextures umpire_textures(int umpire, uint8_t time_of_day)
{
    ManTextures t{};
    t.size_index = 1;
    if (time_of_day == 0)
        add_name(t, "YELLOW");
    t.model_record = umpire < 3 ? 36 : 39;
    return t;
}

void team_texture_directory(int team, char* out, int size)
{
    const int club = team == 0 ? game_settings.home_team : game_settings.away_team;
    const char* kit = match_globals.game_type == GAME_PREMIERSHIP ? "season_kit\\" : "club_kit\\";
    std::snprintf(out, static_cast<size_t>(size), "3d display\\team_textures\\%s%s%s", club_directories[club & 15], kit,
                  team == 0 ? "home\\" : "away\\");
}

void load_team_textures()
{
    const uint8_t tod = match_globals.time_of_day;
    for (int u = 0; u < OFFICIAL_COUNT; ++u) {
        PlayerSlot* man = &official_slots[u];
        const ManTextures t = umpire_textures(u, tod);
        man->size_index = t.size_index;
        build_instances(man, t, nullptr);
    }
    for (int team = 0; team < 2; ++team) {
        char directory[160];
        team_texture_directory(team, directory, sizeof directory);
        for (int i = 0; i < men_in_use(); ++i) {
            PlayerSlot* man = &team_records[team].slots[i];
            const ManTextures t = man_textures(man, tod);
            man->size_index = t.size_index;
            build_instances(man, t, directory);
        }
    }
}

void copy_team_sides()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < TEAM_SLOTS; ++i)
            team.slots[i].side = team.side;
    set_formation_positions();
}

namespace {
constexpr uint8_t default_lineup[2][24] = {
    {16, 9, 14, 3, 15, 23, 17, 40, 2, 32, 22, 39, 24, 35, 29, 28, 1, 20, 18, 30, 34, 4, 5, 6},
    {21, 3, 5, 1, 36, 30, 33, 2, 18, 7, 10, 31, 35, 11, 14, 24, 34, 4, 8, 20, 37, 6, 9, 12},
};
}

void assign_default_lineup_a()
{
    for (int i = 0; i < TEAM_SLOTS; ++i)
        team_records[0].slots[i].line_up_index = default_lineup[0][i];
}

void assign_default_lineup_b()
{
    for (int i = 0; i < TEAM_SLOTS; ++i)
        team_records[1].slots[i].line_up_index = default_lineup[1][i];
}
