#include "match/formation.h"

#include "match/game_maths.h"

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
