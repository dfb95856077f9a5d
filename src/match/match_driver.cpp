#include "match/match_driver.h"

#include "platform/app_state.h"
#include "match/ball.h"
#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "match/team_selection.h"
#include "model/anim_table.h"
#include "model/skeleton.h"
#include "players/contact_tables.h"

#include <cstddef>

namespace {
uint32_t tick_number = 0;
bool data_loaded = false;

// FNV-1a, fed whole values a byte at a time (little end first).
struct Digest {
    uint32_t h = 2166136261u;
    template <typename T>
    Digest& operator<<(T v)
    {
        auto u = static_cast<uint64_t>(v);
        for (std::size_t i = 0; i < sizeof v; ++i, u >>= 8) {
            h ^= static_cast<uint8_t>(u);
            h *= 16777619u;
        }
        return *this;
    }
};

// The set-up steps of the match screen that touch the match (no drawing).
void open_match_screen(int32_t mode)
{
    MatchGlobals& m = match_globals;
    m.ticks_halted = 0;
    m.closing_transition_running = 0;
    m.opening_transition_running = 0;
    init_match(mode);
    m.flow_flags = static_cast<uint16_t>(m.flow_flags & ~(0x2000 | LEAVE));
}

void digest_man(Digest& d, const PlayerSlot& p)
{
    d << p.x << p.y << p.z << p.x_frac << p.y_frac << p.facing << p.wanted_facing << p.speed << p.speed_frac
      << p.action << p.target_x << p.target_y << p.primary_animation << p.primary_position
      << p.secondary_animation << p.man_flags << p.man_flags2 << p.arrived << p.official_job << p.job_step;
}
} // namespace

void headless_match_load_data()
{
    if (data_loaded)
        return;
    use_3d_hardware = 1;
    load_player_model();
    load_animations();
    init_ball_contact_tables();
    data_loaded = true;
}

void headless_match_setup(const MatchRunSettings& s)
{
    headless_match_load_data();
    clear_game_state_block();
    select_builtin_league_data();
    build_sine_table();
    build_boundary_tables();
    GameSettings& g = game_settings;
    g.home_team = s.home_team;
    g.away_team = s.away_team;
    g.game_type = s.game_type;
    g.quarter_length = s.quarter_minutes;
    g.weather = s.weather;
    g.time_of_day = s.time_of_day;
    g.kick_off_variant = s.kick_off_variant;
    g.interchange_players = s.interchange_players;
    g.difficulty = s.difficulty;
    g.marking_percent = 50;
    g.fights_level = s.fights_level;
    g.toss_winner = s.toss_winner;
    g.game_speed = s.game_speed;
    default_team_selection(&team_selections[0]);
    default_team_selection(&team_selections[1]);
    match_globals.random_state_a = match_globals.random_state_b = s.seed ? s.seed : 1;
    tick_number = 0;
    open_match_screen(INIT_NEW_MATCH);
}

int32_t headless_match_resume()
{
    MatchGlobals& m = match_globals;
    if (!headless_match_over() || m.init_mode != INIT_SWAP_ENDS_FULL)
        return 0;
    open_match_screen(INIT_SWAP_ENDS_FULL);
    return 1;
}

int32_t headless_match_full_time() { return headless_match_over() && match_globals.init_mode == 0; }

void headless_match_tick()
{
    MatchGlobals& m = match_globals;
    m.ticks_last_frame = 1;
    game_tick(tick_number++);
    if (m.closing_transition_running && m.ticks_halted)
        end_closing_transition();
    if (m.flow_flags & LEAVE_OVER)
        m.init_mode = 0;
}

int32_t headless_match_over() { return (match_globals.flow_flags & FLOW_ENDS_FRAME_LOOP) != 0; }

int32_t headless_match_run(int32_t tick_cap)
{
    int32_t n = 0;
    while (n < tick_cap && !headless_match_over()) {
        headless_match_tick();
        ++n;
    }
    return n;
}

uint32_t headless_match_hash()
{
    const MatchGlobals& m = match_globals;
    const BallState& b = ball_state;
    Digest d;
    d << m.match_state << m.period_clock << m.ticks_played << m.flow_flags << m.random_state_a << m.random_state_b;
    d << b.x << b.y << b.z << b.vx << b.vy << b.vz << b.flags << b.flight_flags << b.bounce_count;
    for (const TeamRecord& t : team_records) {
        d << t.points << t.goals << t.behinds << t.side;
        for (const PlayerSlot& p : t.slots)
            digest_man(d, p);
    }
    for (const PlayerSlot& u : official_slots)
        digest_man(d, u);
    return d.h;
}
