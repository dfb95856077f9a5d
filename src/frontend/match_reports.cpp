#include "frontend/match_reports.h"

#include "frontend/competition_screens.h"
#include "frontend/control_events.h"
#include "frontend/front_end_state.h"
#include "frontend/screen_templates.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

TeamReport team_reports[LEAGUE_TEAMS];
MatchReportFlags match_report_flags;
MatchReportScreen match_report_state;
int (*report_random)() = std::rand;

const InjuryKind injury_kinds[INJURY_TYPES] = {
    {"n head", 2, 8}, {" back", 2, 10}, {" leg", 1, 4},   {"n arm", 1, 2},
    {" hand", 1, 2},  {" foot", 1, 3},  {" groin", 3, 8}, {" face", 1, 4},
};

namespace {

constexpr int32_t MAX_REPORT_TRIALS = 3;

menu_icon g_continue;
menu_icon g_tribunal_heading = text_template("Tribunal Findings", 3);
menu_icon g_medical_heading = text_template("Medical Officer's Prognosis", 3);
menu_screen_entry g_entries[3] = {{1, &g_continue, 110, 450, nullptr},
                                  {0, &g_tribunal_heading, 20, 20, nullptr},
                                  {0, &g_medical_heading, 20, 260, nullptr}};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\round results.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\round results.tga"};

int32_t side_team(int32_t side) { return side == 0 ? game_settings.home_team : game_settings.away_team; }

bool valid(int32_t team, int32_t s) { return team >= 0 && team < LEAGUE_TEAMS && s >= 0 && s < LEAGUE_PLAYERS; }

int draw(int32_t modulus) { return modulus > 0 ? report_random() % modulus : 0; }

const char* name_of(int32_t team, int32_t squad)
{
    const league_team* club = league_team_at(team);
    const league_player* p = club && squad >= 0 && squad < LEAGUE_PLAYERS ? club->players[squad] : nullptr;
    return p ? player_name(p) : "";
}

} // namespace

menu_screen match_report_screen = {3, SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[0], match_report_open,
                                   match_report_close, nullptr, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

void set_injury(int32_t team, int32_t s, int32_t type)
{
    if (!valid(team, s)) return;
    const int32_t t = type >= 0 && type < INJURY_TYPES ? type : 0;
    TeamReport& r = team_reports[team];
    r.injured[s] = 1;
    r.injury_type[s] = static_cast<uint8_t>(t);
    r.injury_games[s] = static_cast<uint8_t>(injury_kinds[t].base_games + draw(injury_kinds[t].spread));
}

void tribunal_ruling(int32_t team, int32_t s, int16_t a, int16_t b)
{
    if (!valid(team, s)) return;
    TeamReport& r = team_reports[team];
    // Each ruling starts clean: an earlier ban is served, not shown again.
    r.banned[s] = 0;
    r.ban_games[s] = 0;
    if ((a == 0 && b == 0) || a <= 3) return;
    const int32_t t = 8 - a < 0 ? 0 : 8 - a;
    const int32_t trials = a / 2 < MAX_REPORT_TRIALS ? a / 2 : MAX_REPORT_TRIALS;
    int32_t ban = 0;
    for (int32_t i = 0; i < trials; ++i)
        if (draw(t + 1) == t) ++ban;
    if (ban > 0) {
        r.banned[s] = 1;
        r.ban_games[s] = static_cast<uint8_t>(ban);
    }
    if (b != 0) {
        ban += 1 + (b > 3 ? b - 3 : 0);
        if (ban > MAX_BAN_GAMES) ban = MAX_BAN_GAMES;
        if (ban > 0) {
            r.banned[s] = 1;
            r.ban_games[s] = static_cast<uint8_t>(ban);
        }
    }
}

void collect_match_reports()
{
    MatchReportFlags& f = match_report_flags;
    for (int32_t side = 0; side < 2; ++side) {
        std::memset(f.injury_listed[side], 0, sizeof f.injury_listed[side]);
        std::memset(f.report_listed[side], 0, sizeof f.report_listed[side]);
        f.injury_lines[side] = f.tribunal_lines[side] = 0;
        const int32_t team = side_team(side);
        if (team < 0 || team >= LEAGUE_TEAMS) continue;
        const TeamRecord& record = team_records[side];
        for (int32_t s = 0; s < league_squad_size[team]; ++s)
            for (int32_t slot = 0; slot < TEAM_SLOTS; ++slot) {
                const PlayerSlot& man = record.slots[slot];
                if (man.line_up_index != s) continue;
                if (man.injured_in_match == 1) {
                    set_injury(team, s, man.injury_type);
                    f.injury_listed[side][slot] = 1;
                    ++f.injury_lines[side];
                }
                if (man.reports > 0) {
                    tribunal_ruling(team, s, man.reports, man.report_points);
                    // Only a man the tribunal bans has a line.
                    if (team_reports[team].banned[s]) {
                        f.report_listed[side][slot] = 1;
                        ++f.tribunal_lines[side];
                    }
                }
            }
    }
}

std::vector<std::string> tribunal_lines()
{
    std::vector<std::string> lines;
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t slot = 0; slot < TEAM_SLOTS; ++slot) {
            if (!match_report_flags.report_listed[side][slot]) continue;
            const int32_t team = side_team(side), s = team_records[side].slots[slot].line_up_index;
            if (!valid(team, s)) continue;
            char line[160];
            std::snprintf(line, sizeof line, "%s will be banned for %d games", name_of(team, s),
                          team_reports[team].ban_games[s]);
            lines.emplace_back(line);
        }
    return lines;
}

std::vector<std::string> injury_lines()
{
    std::vector<std::string> lines;
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t slot = 0; slot < TEAM_SLOTS; ++slot) {
            if (!match_report_flags.injury_listed[side][slot]) continue;
            const int32_t team = side_team(side), s = team_records[side].slots[slot].line_up_index;
            if (!valid(team, s)) continue;
            const TeamReport& r = team_reports[team];
            char line[192];
            std::snprintf(line, sizeof line, "%s will be out for %d games due to a%s injury", name_of(team, s),
                          r.injury_games[s], injury_kinds[r.injury_type[s] % INJURY_TYPES].name);
            lines.emplace_back(line);
        }
    return lines;
}

void match_report_open(menu_screen*)
{
    MatchReportScreen& m = match_report_state;
    collect_match_reports();
    m.tribunal = tribunal_lines();
    m.injuries = injury_lines();
    set_clip_window(1, 50, 100, 250, 500);
    set_clip_window(2, 290, 100, 440, 500);
    free_control_tree(&m.controls);
    create_list(&m.controls);
    add_text_list(m.controls, {1, {50, 100, 250, 500}, 100, 50, 10}, m.tribunal);
    // The prognosis is shown too, under its own heading.
    add_text_list(m.controls, {2, {290, 100, 440, 500}, 100, 290, 10}, m.injuries);
    draw_control_list(m.controls);
    front_end_state.default_action = nullptr;
}

void match_report_close(menu_screen*)
{
    free_control_tree(&match_report_state.controls);
    front_end_state.default_action = nullptr;
}

void prepare_match_report_screen()
{
    prepare_control_templates();
    common_button_templates(&g_continue, nullptr, nullptr);
}

void reset_match_reports()
{
    free_control_tree(&match_report_state.controls);
    match_report_state.tribunal.clear();
    match_report_state.injuries.clear();
    std::memset(team_reports, 0, sizeof team_reports);
    match_report_flags = MatchReportFlags{};
    report_random = std::rand;
}
