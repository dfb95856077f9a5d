#include "match/match_setup.h"
#include "match/scene_choice.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/man_models.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "platform/controllers.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/banners.h"
#include "match/interchange.h"
#include "match/match_watches.h"
#include "match/officials.h"
#include "match/proposals.h"
#include "match/formation.h"
#include "match/kick_out_positions.h"
#include "match/kick_outs.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"

#include <cmath>
#include <cstring>

FormationSpots formation_tables[2];
int32_t marking_offsets[2][GROUND_MEN][3];
int32_t official_words[OFFICIAL_COUNT];

const uint8_t commentary_order_table[16] = {5, 16, 11, 14, 8, 15, 12, 13, 4, 1, 10, 9, 6, 3, 7, 2};

namespace {

constexpr int32_t pairing_weather[4] = {40, 75, 100, 20};

// The ground places' spots as percentages of the half-length and half-width,
// for a team on side 1 (the first team starts on side 2 and so is stored
// mirrored).
struct Percent {
    float p, q;
};

Percent formation_percent(int team, int slot)
{
    const FormationSpot& s = default_formation_spots[team].spot[slot];
    const double sign = team == 0 ? -1.0 : 1.0;
    return {static_cast<float>(sign * s.x * 100.0 / 24576.0), static_cast<float>(sign * s.y * 100.0 / 16384.0)};
}

// The officials' own player records: "A Nofficial", top speed 255, and an
// acceleration like a player's (without one an umpire never gathers speed
// beyond the first quarter of his cap, and a short walk never starts).
league_player official_records[OFFICIAL_COUNT];
constexpr int32_t OFFICIAL_ACCELERATION = 16384;

void fill_official_records()
{
    for (league_player& r : official_records) {
        std::memset(r.bytes, 0, sizeof r.bytes);
        set_player_name(&r, "A Nofficial");
        set_player_i16(&r, PLAYER_SPEED, 255);
        set_player_i32(&r, PLAYER_REACH, OFFICIAL_ACCELERATION);
    }
}

league_player* club_player(const TeamRecord* team, uint8_t index)
{
    if (!team->club || index >= LEAGUE_PLAYERS)
        return nullptr;
    return team->club->players[index];
}

void link_man(PlayerSlot* man, uint8_t index)
{
    man->line_up_index = index;
    man->person = club_player(man->team, index);
    man->top_speed = man->person ? player_i16(man->person, PLAYER_SPEED) : 0;
    fill_man_skills(man);
}

bool in_interchange_list(const TeamSelection& sel, uint8_t index)
{
    for (uint8_t v : sel.interchange)
        if (v == index)
            return true;
    return false;
}

void set_sides_into_men()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < TEAM_SLOTS; ++i)
            team.slots[i].side = team.side;
}

void new_match_steps(bool reset_replay_buffer_too)
{
    MatchGlobals& m = match_globals;
    // 1.
    reset_game_state();
    presentation::reset_commentary();
    // 2. Time of day and kick-off variant come before the weather.
    pick_weather_and_kick_off();
    // 3.
    read_match_settings();
    clear_team_records();
    fill_marking_offsets();
    load_both_lineups();
    clear_player_slots();
    link_lineup_to_slots();
    set_formation_positions();
    // 4.
    release_contest_members();
    attach_controllers_to_teams();
    // 5.
    init_officials();
    reset_ball(0, 0, 0);
    m.period_end_pending = 0;
    m.siren_pending = 1;
    reset_interchange_queues();
    // 6.
    stop_clock_for_restart();
    m.stopped_time = 0;
    m.period_clock = static_cast<int32_t>(m.quarter_minutes) * TICKS_PER_MINUTE;
    // 7.
    presentation::clear_hud_panels();
    init_kickout_slots();
    presentation::init_camera_system();
    presentation::reopen_kick_panel();
    // 8.
    place_players_for_start(&team_records[0]);
    place_players_for_start(&team_records[1]);
    clear_player_links();
    init_pairing_values();
    if (reset_replay_buffer_too)
        presentation::reset_replay();
    // 9.
    m.flow_flags = static_cast<uint16_t>((m.flow_flags & FLOW_KEPT_BY_NEW_MATCH) | QUARTER_1);
    // 10.
    set_competition_flag();
    build_active_men_list();
    set_match_state(PRE_MATCH);
    m.match_started = 1;
}

void restart_steps(int32_t mode)
{
    MatchGlobals& m = match_globals;
    // 1.
    m.clock_enabled = 0;
    for (TeamRecord& team : team_records)
        team.side = team.side == 1 ? 2 : 1;
    set_sides_into_men();
    // 2.
    set_formation_positions();
    read_match_settings();
    load_both_lineups();
    link_lineup_to_slots();
    set_formation_positions();
    // 3.
    if (mode == INIT_SWAP_ENDS_FULL) {
        release_contest_members();
        attach_controllers_to_teams();
    }
    // 4.
    init_officials();
    reset_ball(0, 0, 0);
    // 5. The next period starts unfrozen and without time on.
    m.flow_flags = static_cast<uint16_t>((m.flow_flags | CLOCK_STOPPED) & ~(CLOCK_RUNNING | CLOCK_FROZEN | TIME_ON));
    m.period_end_pending = 0;
    m.time_off = 0;
    m.period_clock = static_cast<int32_t>(m.quarter_minutes) * TICKS_PER_MINUTE;
    m.stopped_time = 0;
    presentation::clear_hud_panels();
    // 6.
    if (mode == INIT_SWAP_ENDS)
        init_kickout_slots();
    else
        match_key_men();
    presentation::init_camera_system();
    presentation::reopen_kick_panel();
    // 7.
    if (mode == INIT_SWAP_ENDS_FULL) {
        place_set_play_positions(&team_records[0]);
        place_set_play_positions(&team_records[1]);
    }
    // 8.
    clear_player_links();
    set_competition_flag();
    m.match_started = 1;
    m.restart_countdown = 0;
    presentation::reset_cameras(7);
    // 9.
    if (mode == INIT_SWAP_ENDS)
        presentation::unmute_commentary();
    // 10.
    build_active_men_list();
    set_match_state(CENTRE_BOUNCE_SETUP);
}

} // namespace

void swap_team_ends() { restart_steps(INIT_SWAP_ENDS); }
void swap_team_ends_full() { restart_steps(INIT_SWAP_ENDS_FULL); }

void init_match(int32_t mode)
{
    MatchGlobals& m = match_globals;
    m.init_mode = static_cast<uint8_t>(mode);
    switch (mode) {
    case INIT_NEW_MATCH:
        new_match_steps(true);
        break;
    case INIT_SWAP_ENDS:
    case INIT_SWAP_ENDS_FULL:
        restart_steps(mode);
        break;
    case INIT_RELOAD_LINEUPS:
        reload_lineups_and_panel();
        break;
    case INIT_REPLAY_PLAYBACK:
        presentation::set_replay_playback(1);
        new_match_steps(false);
        break;
    default:
        return;
    }
    // The scene draws the match's random numbers whether it is drawn or not.
    if (mode == INIT_NEW_MATCH || mode == INIT_REPLAY_PLAYBACK)
        choose_match_scene();
    // Every mode: the graphics, the models and the sound.
    presentation::load_match_presentation(mode);
    load_team_textures();
    if (mode == INIT_NEW_MATCH)
        reset_man_records();
    if (!presentation::replay_playback_active())
        presentation::crowd_react(0);
}

void reset_game_state()
{
    MatchGlobals& m = match_globals;
    // What a new match keeps.
    const uint16_t flow = m.flow_flags;
    const int8_t weather = m.weather;
    const int16_t wind_x = m.wind_x, wind_y = m.wind_y;
    const uint32_t difficulty = m.difficulty;
    const uint32_t random_a = m.random_state_a;
    const uint8_t speed = m.game_speed;
    const uint8_t init_mode = m.init_mode;
    const uint8_t option_bytes[7] = {m.option_bytes[0], m.option_bytes[1], m.option_bytes[2], m.option_bytes[3],
                                     m.option_bytes[4], m.option_bytes[5], m.option_bytes[6]};

    std::memset(static_cast<void*>(&game_state.match), 0, sizeof game_state.match);
    std::memset(static_cast<void*>(&game_state.teams), 0, sizeof game_state.teams);
    std::memset(static_cast<void*>(&game_state.officials), 0, sizeof game_state.officials);
    std::memset(static_cast<void*>(&game_state.ball), 0, sizeof game_state.ball);

    m.flow_flags = flow;
    m.weather = weather;
    m.wind_x = wind_x;
    m.wind_y = wind_y;
    m.difficulty = difficulty;
    m.game_speed = speed;
    m.init_mode = init_mode;
    std::memcpy(m.option_bytes, option_bytes, sizeof option_bytes);
    m.random_state_a = random_a;
    m.random_state_b = random_a;

    std::memcpy(m.commentary_order, commentary_order_table, sizeof commentary_order_table);
    randomise_angles();
    m.pending_cut_state = -1;
    m.aspect_ratio = 4.0f / 3.0f;
}

void randomise_angles()
{
    for (uint32_t& a : match_globals.random_angles)
        a = (game_random() & 15) * 64;
}

void pick_weather_and_kick_off()
{
    MatchGlobals& m = match_globals;
    const GameSettings& s = game_settings;
    m.time_of_day = s.time_of_day >= 3 ? static_cast<uint8_t>((game_random() & 0xFFFF) % 3) : s.time_of_day;
    m.kick_off_variant =
        s.kick_off_variant >= 7 ? static_cast<uint8_t>((game_random() & 0xFFFF) % 7) : s.kick_off_variant;
    switch (m.kick_off_variant) {
    case 0:
        m.gather_x = 25600;
        m.gather_y = 512;
        break;
    case 2:
        m.gather_x = -21248;
        m.gather_y = 16896;
        break;
    default:
        m.gather_x = 0;
        m.gather_y = -16896;
        break;
    }
}

void apply_weather()
{
    MatchGlobals& m = match_globals;
    set_ball_ground_values(static_cast<uint8_t>(m.weather & 3));
    m.friction_word = 4;
}

void read_match_settings()
{
    MatchGlobals& m = match_globals;
    const GameSettings& s = game_settings;
    m.quarter_minutes = s.quarter_length > 0 ? static_cast<uint32_t>(s.quarter_length) : 0;
    m.quarter_ticks = static_cast<int32_t>(m.quarter_minutes) * TICKS_PER_MINUTE;
    m.game_type = static_cast<uint8_t>(s.game_type);
    m.difficulty = s.difficulty == 0 ? 1 : (s.difficulty > 100 ? 100 : s.difficulty);
    if (m.difficulty == 1)
        m.game_type = GAME_TRAINING;
    m.interchange_count = s.interchange_players == 6 ? 6 : 4;
    m.men_per_team = static_cast<int8_t>(GROUND_MEN + m.interchange_count);
    m.active_men_count = static_cast<int8_t>(2 * m.men_per_team);
    m.marking_percent = s.marking_percent >= 0 && s.marking_percent <= 100 ? s.marking_percent : 0;
    m.aggression_percent = s.fights_level < 0 ? 0 : (s.fights_level > 100 ? 100 : s.fights_level);
    m.game_speed = static_cast<uint8_t>(s.game_speed);
    match_tick_record.speed_percent = (static_cast<int32_t>(m.game_speed) + 2) * 50;
    // A random weather and toss are drawn once, for the whole match.
    if (m.init_mode == INIT_NEW_MATCH || m.init_mode == INIT_REPLAY_PLAYBACK) {
        m.weather = s.weather >= 4 ? static_cast<int8_t>(game_random() & 3) : static_cast<int8_t>(s.weather);
        m.toss_winner = s.toss_winner == 0 || s.toss_winner == 1 ? static_cast<uint8_t>(s.toss_winner)
                                                                  : static_cast<uint8_t>(game_random() & 1);
    }
    apply_weather();
    // No wind in this edition: the strength is 0.
    m.wind_x = static_cast<int16_t>(fixed_sin(0, 0));
    m.wind_y = static_cast<int16_t>(fixed_cos(0, 0));
}

void fill_marking_offsets()
{
    // A matched man stands 256 or 512 goal-side of his opponent.
    for (auto& team : marking_offsets)
        for (int i = 0; i < GROUND_MEN; ++i) {
            team[i][0] = -(256 + 256 * (i & 1));
            team[i][1] = 0;
            team[i][2] = 0;
        }
}

void clear_team_records()
{
    std::memset(static_cast<void*>(&game_state.teams), 0, sizeof game_state.teams);
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        team.team_number = static_cast<uint8_t>(t);
        team.club = team.club_sheet = league_team_at(t == 0 ? game_settings.home_team : game_settings.away_team);
        team.side = t == 0 ? 2 : 1;
        formation_tables[t] = default_formation_spots[t];
        team.formation_spots = &formation_tables[t];
        team.other_team = &team_records[1 - t];
    }
}

void load_team_lineup(TeamRecord* team, const TeamSelection* sel)
{
    team->captain = sel->captain < GROUND_MEN ? &team->slots[sel->captain] : nullptr;
    team->vice_captain = sel->vice_captain < GROUND_MEN ? &team->slots[sel->vice_captain] : nullptr;
    // d5, d2, d1, d0, d4, d3: the x lines by the half-length, the y lines by
    // the half-width.
    static const struct {
        int d;
        float scale;
    } zones[6] = {{5, 24576.0f}, {2, 24576.0f}, {1, 16384.0f}, {0, 16384.0f}, {4, 24576.0f}, {3, 24576.0f}};
    for (int i = 0; i < 6; ++i) {
        const float v = sel->zone_percent[zones[i].d] * zones[i].scale / 100.0f;
        int32_t line = static_cast<int32_t>(std::lrintf(v));
        team->zone_lines[i] = team->side == 2 ? -line : line;
    }
    std::memcpy(team->key_men, sel->key_men, sizeof team->key_men);
    team->key_man_e = sel->key_man_e;
    team->tactic_a = sel->tactic_a;
    team->tactic_b = sel->tactic_b;
    team->tactic_c = sel->tactic_c;
    team->name_labels = sel->name_labels;
    team->behaviour_set = sel->behaviour_set;
    team->selection_extra = sel->selection_extra;
    team->tactic_enabled = 1;
    team->ruck_contest_count = 3;
    team->second_count = 3;
}

void load_both_lineups()
{
    load_team_lineup(&team_records[0], &team_selections[0]);
    load_team_lineup(&team_records[1], &team_selections[1]);
}

void clear_player_slots()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < men_in_use(); ++i) {
            PlayerSlot& man = team.slots[i];
            std::memset(static_cast<void*>(&man), 0, sizeof man);
            man.number = static_cast<uint8_t>(i);
            man.team_index = team.team_number;
            man.team = &team;
            man.side = team.side;
        }
}

void link_lineup_to_slots()
{
    if (match_globals.init_mode != INIT_NEW_MATCH && match_globals.init_mode != INIT_REPLAY_PLAYBACK) {
        relink_after_break();
        return;
    }
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        const TeamSelection& sel = team_selections[t];
        for (int i = 0; i < GROUND_MEN; ++i) {
            PlayerSlot& man = team.slots[i];
            link_man(&man, sel.entries[i].player_index);
            man.line_up_code = sel.entries[i].code_a;
            man.position_role = sel.entries[i].position_role;
            ++team.ruck_contest_count;
        }
        // The bench carries no codes of its own: an interchange swaps whole
        // slots, so a bench man's role would go onto the ground with him.
        for (int i = FIRST_BENCH_SLOT; i < men_in_use(); ++i) {
            PlayerSlot& man = team.slots[i];
            link_man(&man, sel.interchange[i - FIRST_BENCH_SLOT]);
            man.line_up_code = 0;
            man.position_role = 0;
        }
    }
}

void relink_after_break()
{
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        const TeamSelection& sel = team_selections[t];
        PlayerSlot* going_off[GROUND_MEN];
        PlayerSlot* coming_on[4];
        int n_off = 0, n_on = 0;
        for (int i = 0; i < GROUND_MEN; ++i)
            if (in_interchange_list(sel, team.slots[i].line_up_index))
                going_off[n_off++] = &team.slots[i];
        for (int i = FIRST_BENCH_SLOT; i < FIRST_BENCH_SLOT + 4 && i < men_in_use(); ++i)
            if (!in_interchange_list(sel, team.slots[i].line_up_index))
                coming_on[n_on++] = &team.slots[i];
        for (int k = 0; k < n_off && k < n_on; ++k)
            find_interchange_partner(going_off[k], coming_on[k]);
        for (int i = 0; i < GROUND_MEN; ++i) {
            team.slots[i].line_up_code = sel.entries[i].code_a;
            team.slots[i].position_role = sel.entries[i].position_role;
            ++team.ruck_contest_count;
        }
    }
}

void set_formation_positions()
{
    for (int t = 0; t < 2; ++t) {
        const TeamRecord& team = team_records[t];
        const int32_t sign = team.side == 2 ? -1 : 1;
        for (int i = 0; i < GROUND_MEN; ++i) {
            const Percent pc = formation_percent(t, i);
            const int32_t x = static_cast<int32_t>(std::lrint(static_cast<double>(pc.p) * 24576.0 / 100.0));
            const int32_t y = static_cast<int32_t>(std::lrint(static_cast<double>(pc.q) * 16384.0 / 100.0));
            formation_tables[t].spot[i] = {sign * x, sign * y};
        }
    }
}

FormationSpot start_table_point(uint8_t variant, int i)
{
    // A block of six by four beside the gathering point, off the ground.
    int32_t gx, gy;
    if (variant == 0) {
        gx = 25600;
        gy = 512;
    } else if (variant == 2) {
        gx = -21248;
        gy = 16896;
    } else {
        gx = 0;
        gy = -16896;
    }
    const int32_t col = i % 6, row = i / 6;
    return {gx + (col - 3) * 256, gy + (row - 2) * 256};
}

void place_players_for_start(TeamRecord* team)
{
    const uint8_t variant = match_globals.kick_off_variant;
    for (int i = 0; i < men_in_use(); ++i) {
        FormationSpot p = start_table_point(variant, i);
        if (team->side != 2) {
            if (variant != 0)
                p.x += 512;
            else
                p.y -= 512;
        }
        PlayerSlot* man = &team->slots[i];
        place_man_at_spot(man, p.x, p.y);
        man->target_x = man->x;
        man->target_y = man->y;
    }
}

void place_set_play_positions(TeamRecord* team)
{
    static const FormationSpot key_points[3] = {{-6400, 3840}, {6400, -1}, {-1, 0}};
    const bool first = team == &team_records[0];
    const int32_t sign = team->side == 2 ? 1 : -1;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* man = &team->slots[i];
        const FormationSpot& home = team->formation_spots->spot[i];
        int32_t x = home.x, y = home.y;
        if (man->number == team->key_men[0]) {
            x = team->side == 2 ? -2048 : 2048;
            y = 0;
        } else {
            for (int k = 1; k < 4; ++k) {
                if (man->number != team->key_men[k])
                    continue;
                if (first) {
                    x = sign * key_points[k - 1].x;
                    y = sign * key_points[k - 1].y;
                } else if (man->spot) {
                    const PlayerSlot* opponent = static_cast<const PlayerSlot*>(man->spot);
                    const int32_t* off = marking_offsets[team->team_number][i];
                    // Minus the gap, plus it on side 2 (the rows are written for side 2).
                    x = opponent->x + sign * off[0];
                    y = opponent->y + sign * off[1];
                }
                break;
            }
        }
        place_man_at_spot(man, x, y);
        man->target_x = man->x;
        man->target_y = man->y;
    }
}

void copy_formation_to_positions(TeamRecord* team)
{
    for (int i = 0; i < GROUND_MEN; ++i) {
        const FormationSpot& s = team->formation_spots->spot[i];
        team->slots[i].x = clamp16(s.x);
        team->slots[i].y = clamp16(s.y);
    }
}

void reset_period_flags() { match_globals.period_end_pending = 0; }

void start_quarter_clock()
{
    match_globals.stopped_time = 0;
    match_globals.period_clock = static_cast<int32_t>(match_globals.quarter_minutes) * TICKS_PER_MINUTE;
}

void stop_clock_for_restart()
{
    match_globals.time_off = 0;
    match_globals.flow_flags = static_cast<uint16_t>((match_globals.flow_flags | CLOCK_STOPPED) & ~CLOCK_RUNNING);
}

void init_kickout_slots()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < GROUND_MEN; ++i) {
            PlayerSlot& man = team.slots[i];
            man.spot = nullptr;
            if (man.position_role == 9) {
                man.spot_assigned = 1;
                man.spot_index = 0;
                man.spot = kickout_spot_of(&man, 0);
            } else {
                man.spot_assigned = 0;
            }
        }
}

void init_kickout_slots_all()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < GROUND_MEN; ++i) {
            PlayerSlot& man = team.slots[i];
            man.spot = kickout_spot_of(&man, 1);
            man.spot_assigned = man.spot != nullptr;
            man.spot_index = 0;
        }
}

void match_key_men()
{
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        TeamRecord& other = team_records[1 - t];
        for (int k = 1; k < 4; ++k) {
            if (team.key_men[k] >= GROUND_MEN || other.key_men[k] >= GROUND_MEN)
                continue;
            PlayerSlot& man = team.slots[team.key_men[k]];
            man.spot_assigned = 1;
            man.spot_index = 0;
            man.spot = &other.slots[other.key_men[k]];
        }
    }
}

void clear_player_links()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < GROUND_MEN; ++i) {
            PlayerSlot& man = team.slots[i];
            if (man.matched_man) {
                team.pairings[i][man.matched_man->number % TEAM_SLOTS] = 0;
                man.matched_man = nullptr;
            }
            man.fight_opponent = nullptr;
            man.previous_target = nullptr;
            man.tackle_partner = nullptr;
            man.key_man_mark = 0;
        }
    match_globals.fight_pair[0] = match_globals.fight_pair[1] = nullptr;
}

void init_pairing_values()
{
    MatchGlobals& m = match_globals;
    m.marking_percent = game_settings.marking_percent >= 0 && game_settings.marking_percent <= 100
                            ? game_settings.marking_percent
                            : 0;
    const int32_t w = pairing_weather[m.weather & 3];
    for (int t = 0; t < 2; ++t) {
        const int32_t base = t == 0 ? 40 : 60;
        const int32_t value = static_cast<int32_t>((2.0 * base + w / 2) * 0.4);
        for (int i = 0; i < men_in_use(); ++i) {
            team_records[t].slots[i].pairing_value = value;
            std::memset(team_records[t].pairings[i], 0, sizeof team_records[t].pairings[i]);
        }
    }
}

void set_competition_flag()
{
    const uint8_t type = match_globals.game_type;
    match_globals.draw_not_allowed =
        (type == GAME_PRE_SEASON || type == GAME_FINAL_8) && game_settings.round_kind != 5 ? 1 : 0;
}

void build_active_men_list()
{
    MatchGlobals& m = match_globals;
    int n = 0;
    for (TeamRecord& team : team_records)
        for (int i = 0; i < men_in_use(); ++i, ++n) {
            PlayerSlot* man = &team.slots[i];
            m.active_men[n] = man;
            m.active_men_x[n] = man->x;
            m.active_men_y[n] = man->y;
            m.active_men_code[n] = man->line_up_code;
            m.active_men_role[n] = man->position_role;
            m.active_men_slot[n] = man;
        }
    m.active_men_count = static_cast<int8_t>(n);
}

void reload_lineups_and_panel()
{
    read_match_settings();
    load_both_lineups();
    link_lineup_to_slots();
    set_formation_positions();
    presentation::clear_hud_panels();
    presentation::reopen_kick_panel();
}

void clear_team_spots(TeamRecord* team)
{
    for (int i = 0; i < GROUND_MEN; ++i)
        team->slots[i].spot = nullptr;
}

void reset_flow_flags()
{
    match_globals.flow_flags = static_cast<uint16_t>((match_globals.flow_flags & FLOW_KEPT_BY_NEW_MATCH) | QUARTER_1);
}

void reset_replay_buffer() { presentation::reset_replay(); }

void init_officials()
{
    fill_official_records();
    const int16_t w = boundary_half_width(1024);
    static const struct {
        int32_t x;
        int sign_w; // the boundary half-width, with this sign
        int32_t y;
        uint8_t facing;
    } starts[OFFICIAL_COUNT] = {{0, 0, 513, 128}, {-1024, 1, 0, 128}, {-1024, -1, 0, 0}, {-26098, 0, 0, 64}, {26098, 0, 0, 192}};
    for (int i = 0; i < OFFICIAL_COUNT; ++i) {
        PlayerSlot& u = official_slots[i];
        u.effort = 90;
        u.number = static_cast<uint8_t>(FIRST_OFFICIAL_NUMBER + i);
        u.team = nullptr;
        u.person = &official_records[i];
        u.top_speed = player_i16(u.person, PLAYER_SPEED);
        u.arrived = 1;
        u.job_step = 0;
        official_words[i] = 666;
        u.x = clamp16(starts[i].x);
        u.y = clamp16(starts[i].sign_w ? starts[i].sign_w * w : starts[i].y);
        u.z = 0;
        u.target_x = u.x;
        u.target_y = u.y;
        u.facing = starts[i].facing;
        u.wanted_facing = starts[i].facing;
    }
}

void reset_ball(int32_t x, int32_t y, int32_t z)
{
    MatchGlobals& m = match_globals;
    BallState& b = ball_state;
    if (m.ball_holder)
        m.last_ball_holder = m.ball_holder;
    m.ball_holder = nullptr;
    b.x = static_cast<int32_t>(static_cast<uint32_t>(x) << 16);
    b.y = static_cast<int32_t>(static_cast<uint32_t>(y) << 16);
    b.z = static_cast<int32_t>(static_cast<uint32_t>(z) << 16);
    b.vx = b.vy = b.vz = 0;
    b.gravity = 42824;
    b.bounce_count = 0;
    b.flags = 1;
    b.flight_flags = 2;
    b.last_touch = 255;
    b.spin_rate[0] = 1024;
    b.spin_rate[1] = 0;
    b.spin_rate[2] = 512;
}

void reset_man_records()
{
    MatchGlobals& m = match_globals;
    auto reset = [](PlayerSlot* man, int index) {
        man->secondary_animation = 0;
        man->follow_on_primary = man->follow_on_secondary = 0;
        man->primary_animation = 257;
        play_man_animation(man, 194, 0, 1.0);
        man->model_man_index = static_cast<int16_t>(index);
        man->model_last_animation = -1;
    };
    for (int i = 0; i < OFFICIAL_COUNT; ++i)
        reset(&official_slots[i], m.active_men_count + i);
    for (int i = 0; i < men_in_use(); ++i)
        reset(&team_records[0].slots[i], i);
    for (int i = 0; i < men_in_use(); ++i)
        reset(&team_records[1].slots[i], m.men_per_team + i);
}

void attach_controllers_to_teams()
{
    team_records[0].human_count = team_records[1].human_count = 0;
    for (int c = 0; c < CONTROLLER_RECORDS; ++c) {
        const int32_t choice = controllers[c].side;
        if (choice == -1)
            ++team_records[0].human_count;
        else if (choice == 1)
            ++team_records[1].human_count;
    }
}
