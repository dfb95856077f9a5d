#include "match/formation.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "players/man_queries.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/proposals.h"
#include "match/kick_outs.h"
#include "match/match_records.h"
#include "match/set_kicks.h"
#include "players/behaviour_handlers.h"
#include "players/team_ai.h"
#include "players/contact_tables.h"
#include "match/match_flow.h"
#include "match/match_setup.h"
#include "match/man_behaviours.h"
#include "players/contest_groups.h"

// The first team's forwards stand at the goal of negative x, its backs at
// positive x; its bench waits in a column beyond the end. The second team's
// table mirrors the ground men and lines its bench up along the far side.
const FormationSpots default_formation_spots[2] = {
    {{
        {-20736, 0},     {-20480, 4096},   {-20736, -4096}, {-16384, 0},     // forwards
        {-12800, 10240}, {-12800, -10240}, {-12800, 0},                      //
        {-256, 12800},   {-256, -12800},   {-6400, -256},                    // wings, centre
        {13824, 10240},  {13824, -10240},  {21248, 3840},   {13824, 0},      // backs
        {21248, -3840},                                                      //
        {-1024, 0},      {2304, 0},        {1280, 1280},                     // followers
        {-17920, -512},  {-17920, -768},   {-17920, -1024}, {-17920, -1280}, // bench
        {-17920, -1536}, {-17920, 0},
    }},
    {{
        {20736, 0},      {20480, 4096},    {20736, -4096},  {16384, 0},
        {12800, 10240},  {12800, -10240},  {12800, 0},
        {256, 12800},    {256, -12800},    {6400, -256},
        {-13824, 10240}, {-13824, -10240}, {-21248, 3840},  {-13824, 0},
        {-21248, -3840},
        {1024, 0},       {-2304, 0},       {-1280, 1536},
        {256, -17920},   {512, -17920},    {768, -17920},   {1024, -17920},
        {1280, -17920},  {1536, -17920},
    }},
};

void place_man_at_spot(PlayerSlot* man, int32_t x, int32_t y)
{
    man->x = clamp16(x);
    man->y = clamp16(y);
    man->z = 0;
    man->x_frac = man->y_frac = man->z_frac = 0;
    man->man_flags = man->man_flags2 = 0;
    man->move_dx = man->move_dy = man->path_dx = man->path_dy = 0;
    man->velocity_x = man->velocity_y = 0;
    man->turning = 0;
    man->arrived = 1;
    man->lead_reaction_delay = 0;
    man->lead_skill = 0;
    man->previous_target = nullptr;
    man->action = 0; // stand
    man->target_x = man->x;
    man->target_y = man->y;
    const int32_t bx = ball_whole_x(), by = ball_whole_y();
    // Set at once so that this tick's set play already sees it.
    man->ball_distance = static_cast<uint16_t>(approx_vector_length(bx - man->x, by - man->y));
    man->tackle_state = 0;
    man->tackle_partner = nullptr;
    man->tackle_animation = 0xFFFF;
    if (man != match_globals.ball_holder) {
        const uint16_t to_ball = vector_angle(bx - man->x, by - man->y);
        man->facing = static_cast<uint8_t>(to_ball);
        man->action_arg = to_ball;
        man->wanted_facing = static_cast<int16_t>(to_ball);
    }
}

void formation_stub(PlayerSlot*) {}

FormationSpot spot_for_man(const PlayerSlot* man, const FormationSpots* table, int index)
{
    FormationSpot s = table->spot[index];
    const bool own = man->team && man->team->formation_spots == table;
    if (!own && man->side == 1) {
        s.x = -s.x;
        s.y = -s.y;
    }
    return s;
}

namespace {

// The readers take the low 16 bits of an entry.
int16_t low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

void post_run(PlayerSlot* man, uint16_t action, int32_t x, int32_t y, uint16_t priority)
{
    post_man_message(man, action, nullptr, 0, low16(x), low16(y), priority);
}

bool has_slot(const PlayerSlot* man, const FormationSpots* table) { return table && man->number < TEAM_SLOTS; }

} // namespace

void run_to_spot_clear_of_mark(PlayerSlot* man, const FormationSpots* table, int32_t x, int32_t y, int32_t reach)
{
    if (!has_slot(man, table)) return;
    FormationSpot s = spot_for_man(man, table, man->number);
    adjust_spot_toward_ball(man, &s.x, &s.y);
    if (approx_vector_length(s.x - x, s.y - y) >= reach) {
        post_run(man, ACT_RUN_TO_POINT, s.x, s.y, 2);
        return;
    }
    const auto bearing = static_cast<uint8_t>(vector_angle(man->x - x, man->y - y));
    post_run(man, ACT_RUN_TO_SPOT, x + fixed_sin(bearing, reach), y + fixed_cos(bearing, reach), 2255);
}

void place_kick_out_teammate(PlayerSlot* man)
{
    if (man->team && man->team->formation_spots) run_to_numbered_spot(man, man->team->formation_spots->spot);
}

void place_mark_man_for_kick_out(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    if (vector_length(m.mark_x - man->x, m.mark_y - man->y) >= man->arrive_radius) {
        man->arrived = 0;
        post_run(man, ACT_MOVE_TO_POINT, m.mark_x, m.mark_y, 5000);
        return;
    }
    if (is_standing_anim(man)) react_to_controlled_player(man);
    if (!man->contest_group) post_run(man, ACT_STAND_THE_MARK, 0, 0, 1);
}

void walk_kicker_to_goal_square(PlayerSlot* kicker)
{
    // A run-up word of 0 means none is set yet, not that he stands on one.
    if (kicker->run_up_action && kicker->action == kicker->run_up_action) return;
    // The goal square of the end he defends.
    post_run(kicker, ACT_MOVE_TO_POINT, kicker->side == 2 ? -23794 : 23794, 0, 5000);
}
