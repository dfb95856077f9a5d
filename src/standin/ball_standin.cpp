// STAND-IN for the ball and possession services: the least that lets the
// frame events act on the ball in tests. Replaced when the match and ball
// work lands.
#include "standin/ball_standin.h"

#include "match/game_maths.h"
#include "players/man_display.h"
#include "players/anim_table.h"
#include "standin/movement_standin.h"

#include <cmath>

PredictedBallPath predicted_ball_path;

void give_ball_to(PlayerSlot* man)
{
    MatchGlobals& g = match_globals;
    if (g.ball_holder) g.last_ball_holder = g.ball_holder;
    if (man && (man->number & 0x40)) {
        g.umpire_with_ball = man;
        g.ball_holder = nullptr;
    } else {
        g.ball_holder = man;
        g.umpire_with_ball = nullptr;
    }
    if (!man) {
        flag_players_ball_coming();
        ball_state.flight_flags |= 0x20;
        ball_state.flags = static_cast<uint16_t>((ball_state.flags & ~2u) | 1u);
        return;
    }
    ball_state.bounce_count = 0;
    ball_state.flight_flags &= 0x381C;
    ball_state.flags = static_cast<uint16_t>((ball_state.flags & ~1u) | 2u);
    ball_state.vx = ball_state.vy = ball_state.vz = 0;
    ball_state.x = man->x * 65536;
    ball_state.y = man->y * 65536;
    ball_state.z = man->z * 65536;
}

void set_match_state(int32_t state) { match_globals.match_state = static_cast<uint8_t>(state); }

void launch_ball_to_point(PlayerSlot* man, int32_t elevation, int32_t dx, int32_t dy, int32_t heading,
                          int32_t distance, int32_t height_tag, int32_t kind)
{
    if (man && !(man->number & 0x40)) man->ball_coming = 1;
    if (elevation == 0 || elevation == 64 || distance == 0) return;
    BallState& b = ball_state;
    if (kind != 128) {
        b.launch_x = static_cast<int16_t>(b.x >> 16);
        b.launch_y = static_cast<int16_t>(b.y >> 16);
        game_random();
    }
    const double el = elevation * 6.283185307179586 / 256.0;
    const int32_t S = static_cast<int32_t>(256 * std::sin(el)), C = static_cast<int32_t>(256 * std::cos(el));
    const int64_t q = 2511LL * distance / (2LL * S * C == 0 ? 1 : 2LL * S * C);
    const int64_t s = std::llrint(std::sqrt(static_cast<double>(q)) * 16777216.0);
    const int64_t h = static_cast<int64_t>(s * std::cos(el)) / distance;
    b.vx = static_cast<int32_t>(dx * h / 62);
    b.vy = static_cast<int32_t>(dy * h / 62);
    b.vz = static_cast<int32_t>(static_cast<int64_t>(s * std::sin(el)) / 62);
    b.gravity = 42824;
    b.launch_height = static_cast<int16_t>(height_tag);
    b.heading = static_cast<uint16_t>(heading);
    b.bounce_count = 0;
    b.flight_flags = static_cast<uint16_t>((b.flight_flags & 0x3020) | kind);
}

void get_limb_position(int32_t out[3], PlayerSlot* man, uint32_t animation, int32_t frame, uint8_t facing, int32_t)
{
    out[0] = out[1] = out[2] = 0;
    if (animation >= ANIM_ROW_COUNT || !animation_table[animation].data) return;
    if (animation_table[animation].data->separate_ball == 1) return;
    get_joint_position(out, man, animation, 0, frame, facing, JOINT_BALL);
}

void rotate_offset_by_facing(int32_t out[3], const int32_t point[3], uint8_t facing, uint32_t mirror)
{
    const double a = ((facing - 128) & 255) * 6.283185307179586 / 256.0;
    const double x = (mirror & 1) ? -point[0] : point[0];
    const double z = point[2];
    const double rx = x * std::cos(a) + z * std::sin(a);
    const double rz = -x * std::sin(a) + z * std::cos(a);
    out[0] = static_cast<int32_t>(std::round(rx * 2.56));
    out[1] = static_cast<int32_t>(std::round(-point[1] * 2.56));
    out[2] = static_cast<int32_t>(std::round(rz * 2.56));
}

void set_ball_landing_point(BallState* b)
{
    b->landing_x = static_cast<int16_t>(b->x >> 16);
    b->landing_y = static_cast<int16_t>(b->y >> 16);
}

void contest_join(PlayerSlot*, PlayerSlot*, int32_t, int32_t) {}
void resolve_contest(PlayerSlot*) {}

void ball_step(BallState* b, int32_t)
{
    if (!(b->flags & 1) || !(b->flight_flags & 0x20)) return;
    b->prev_x = static_cast<int16_t>(b->x >> 16);
    b->prev_y = static_cast<int16_t>(b->y >> 16);
    b->prev_z = static_cast<int16_t>(b->z >> 16);
    b->x += b->vx;
    b->y += b->vy;
    b->z += b->vz - 21412;
    if ((b->z >> 16) >= 0) b->vz -= b->gravity;
}

void find_clear_spot_ahead(PlayerSlot*, int32_t*, int32_t*) {}

void start_standing_jump_spoil(PlayerSlot*) {}
