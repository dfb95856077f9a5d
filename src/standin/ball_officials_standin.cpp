// STAND-IN for interchange, umpires, watches, banners, proposals and the
// set-play director. Delete each piece when its module lands.
#include "standin/ball_officials_standin.h"

#include "match/formation.h"
#include "match/game_maths.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "platform/input.h"

void reset_interchange_queues()
{
    for (TeamRecord& t : team_records) {
        t.queued_interchange_count = 0;
        for (InterchangeEntry& e : t.queued_interchanges)
            e = {255, 255, 0};
    }
}
void update_interchanges() {}
int32_t run_interchanges() { return 1; }
void queue_interchange_for_selected() {}
int32_t is_queued_for_interchange(const PlayerSlot*) { return 0; }
int32_t find_interchange_partner(PlayerSlot*, PlayerSlot*) { return 0; }

// Umpires work through their jobs a step a tick; the field umpire fetches
// the ball for a centre bounce and a ball-up.
void update_officials()
{
    for (PlayerSlot& u : official_slots)
        if (u.official_job && u.job_step < 10)
            ++u.job_step;
    const uint8_t s = match_globals.match_state;
    PlayerSlot& field = official_slots[0];
    if ((s == CENTRE_BOUNCE_SETUP || s == BALL_UP_READY) && !match_globals.umpire_has_ball) {
        if (!field.official_job)
            set_official_job(&field, 1);
        give_ball_to(&field);
    }
}

void set_official_job(PlayerSlot* u, uint8_t job)
{
    if (u->official_job == job)
        return;
    u->man_flags = static_cast<uint16_t>(u->man_flags & ~MAN_BUSY);
    u->action = 2;
    u->official_job = job;
    u->job_step = 0;
    u->arrived = 0;
}

void reset_officials()
{
    for (PlayerSlot& u : official_slots) {
        u.action = 0;
        u.official_job = 0;
        u.job_step = 0;
        u.effort = 100;
    }
}

int32_t face_away_from_throw(PlayerSlot*) { return 1; }
int32_t nearer_boundary_umpire() { return 1; }

void out_of_bounds_watch() {}
void set_kick_time_limit() {}
int32_t play_on_test() { return 0; }

int32_t play_has_stopped()
{
    const MatchGlobals& m = match_globals;
    if (m.period_end_pending)
        return 0;
    if (presentation::message_banner_busy())
        return 1;
    if ((ball_state.flight_flags & 64) && (ball_state.flight_flags & 32))
        return 1;
    if ((m.ball_holder && (m.ball_holder->man_flags & MAN_BUSY)) ||
        (m.umpire_with_ball && (m.umpire_with_ball->man_flags & MAN_BUSY)))
        return 1;
    switch (m.match_state) {
    case 4: case 36: case 39: case 40: case 41: case 42: case 43: case 47: case 48: case 49: case 56:
        return 1;
    default:
        return m.match_state >= 59 && m.match_state <= 73;
    }
}

int32_t encroaches(PlayerSlot*) { return 0; }
void update_text_banner(int32_t) {}
int32_t match_quit_requested() { return (key_state[KEY_ESCAPE] & 0x80) != 0; }

void collect_key_men(PlayerSlot* first, PlayerSlot** out)
{
    TeamRecord* team = first->team;
    if (!team)
        return;
    for (int i = 0; i < 4; ++i)
        out[i] = team->key_men[i] < GROUND_MEN ? &team->slots[team->key_men[i]] : nullptr;
}

// Every free man heads for his spot; umpires stay put.
void men_think_prep()
{
    MatchGlobals& m = match_globals;
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* man = m.active_men[i];
        if (man->busy_flag || !man->team || !man->team->formation_spots || man->number >= GROUND_MEN)
            continue;
        const uint8_t s = m.match_state;
        if (s == PRE_MATCH || s == CENTRE_BOUNCE_SETUP || s == KICK_OUT_SETUP || (s >= 59 && s <= 73) ||
            s == BOUNCE_SIREN || s == AFTER_TOSS || s == CAPTAINS_MEET) {
            man->target_x = clamp16(man->team->formation_spots->spot[man->number].x);
            man->target_y = clamp16(man->team->formation_spots->spot[man->number].y);
        }
    }
}
