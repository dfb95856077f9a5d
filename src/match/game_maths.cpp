#include "match/game_maths.h"

#include "platform/crt_rand.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

int16_t sine_table[320];
uint8_t occupancy_grid[2][GRID_ROWS][GRID_COLUMNS];
PlayerSlot* occupancy_men[2][GRID_ROWS][GRID_COLUMNS][4];

void build_sine_table()
{
    for (int i = 0; i < 320; ++i)
        sine_table[i] = static_cast<int16_t>(256.0 * std::sin(2.0 * std::numbers::pi * i / 256.0));
}

namespace {
// The table is ready before anything in the program can ask for it.
const bool sine_ready = (build_sine_table(), true);
} // namespace

int32_t fixed_sin(uint8_t angle, int32_t r)
{
    return static_cast<int32_t>((static_cast<int64_t>(sine_table[angle]) * r) >> 8);
}

int32_t fixed_cos(uint8_t angle, int32_t r)
{
    return static_cast<int32_t>((static_cast<int64_t>(sine_table[angle + 64]) * r) >> 8);
}

int16_t fixed_sin16(uint8_t angle, int16_t r) { return static_cast<int16_t>(fixed_sin(angle, r)); }
int16_t fixed_cos16(uint8_t angle, int16_t r) { return static_cast<int16_t>(fixed_cos(angle, r)); }

namespace {
// The tangents of the half steps of the first octant: an angle rounds up to
// step j + 1 once its tangent passes that of step j + 0.5. The tangents lie
// further apart than 1/2048, so each 2048th of the unit ratio holds at most
// one of them; `below` counts the tangents under each 2048th's start. t[j + 1]
// holds step j's; t[0] and t[33] lie beyond every ratio, so that the nearest
// tangents below and above any ratio can be read without a test.
struct HalfStepTangents {
    static constexpr int slices = 2048;
    double t[34];
    uint8_t below[slices + 1];
    HalfStepTangents()
    {
        t[0] = -2.0;
        for (int j = 0; j < 32; ++j)
            t[j + 1] = std::tan((j + 0.5) * 2.0 * std::numbers::pi / 256.0);
        t[33] = 2.0;
        int n = 0;
        for (int s = 0; s <= slices; ++s) {
            while (n < 32 && t[n + 1] < static_cast<double>(s) / slices)
                ++n;
            below[s] = static_cast<uint8_t>(n);
        }
    }
};
const HalfStepTangents half_steps;
} // namespace

int32_t byte_angle_quick(int32_t dx, int32_t dy)
{
    // Written to leave the branches to the rare cases: the octant is chosen
    // by selects, since a man's bearing falls in any of them.
    const double ax = std::fabs(static_cast<double>(dx)), ay = std::fabs(static_cast<double>(dy));
    const bool steep = ax > ay;
    const double lo = std::min(ax, ay), hi = std::max(ax, ay);
    if (hi == 0.0)
        return 0;
    // The half steps whose tangents lie below lo / hi.
    const double ratio = lo / hi;
    int n = half_steps.below[static_cast<int>(ratio * HalfStepTangents::slices)];
    n += half_steps.t[n + 1] < ratio;
    // Too near a half step to trust the quotient: the caller asks the arctangent.
    constexpr double margin = 1e-9;
    if ((ratio - half_steps.t[n] < margin) | (half_steps.t[n + 1] - ratio < margin))
        return -1;
    const int32_t base = steep ? 64 - n : n;
    const int32_t half = dy < 0 ? 128 - base : base;
    return (dx < 0 ? -half : half) & 255;
}

namespace {
uint16_t vector_angle_uncached(int32_t dx, int32_t dy)
{
    const int32_t quick = byte_angle_quick(dx, dy);
    if (quick >= 0)
        return static_cast<uint16_t>(quick);
    const double a = std::atan2(static_cast<double>(dx), static_cast<double>(dy)) * 40.74366543152521;
    return static_cast<uint16_t>(static_cast<uint32_t>(std::lrint(a)) & 255u);
}

// A man's heading to his target is asked for several times a tick with the
// same offsets; the last answers are kept by their offsets. The empty entries
// hold the answer for (0, 0).
struct AngleMemo {
    int32_t dx, dy;
    uint16_t angle;
};
AngleMemo angle_memo[256];
} // namespace

uint16_t vector_angle(int32_t dx, int32_t dy)
{
    const uint32_t h = (static_cast<uint32_t>(dx) * 0x9E3779B1u ^ static_cast<uint32_t>(dy) * 0x85EBCA77u) >> 24;
    AngleMemo& e = angle_memo[h];
    if (e.dx == dx && e.dy == dy)
        return e.angle;
    const uint16_t a = vector_angle_uncached(dx, dy);
    e = {dx, dy, a};
    return a;
}

int32_t vector_length(int32_t dx, int32_t dy)
{
    const double x = dx, y = dy;
    return static_cast<int32_t>(std::lrint(std::sqrt(x * x + y * y)));
}

double vector_length_f(double a, double b) { return std::sqrt(a * a + b * b); }

int32_t approx_vector_length(int32_t dx, int32_t dy)
{
    const int32_t ax = int_abs(dx), ay = int_abs(dy);
    return ax + ay - ((ax < ay ? ax : ay) >> 1);
}

int32_t int_abs(int32_t v) { return v < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : v; }

int32_t int_sign(int16_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

int32_t int_mod(int16_t v, uint16_t m) { return m == 0 ? 0 : v % static_cast<int32_t>(m); }

int16_t clamp16(int32_t v) { return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v)); }

int32_t angle_diff(int32_t a, int32_t b) { return static_cast<int8_t>(static_cast<uint8_t>(a - b)); }

namespace {
// 32-bit products that wrap like the original's.
int32_t scale_181(int32_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(v) * 181u) >> 8;
}
} // namespace

void rotate_by_octant(int32_t* a, int32_t* b, int8_t code)
{
    const int32_t oa = *a, ob = *b;
    const auto sum = static_cast<int32_t>(static_cast<uint32_t>(oa) + static_cast<uint32_t>(ob));
    const auto diff = static_cast<int32_t>(static_cast<uint32_t>(oa) - static_cast<uint32_t>(ob));
    const auto neg = [](int32_t v) { return static_cast<int32_t>(0u - static_cast<uint32_t>(v)); };
    if ((code & 1) == 0) {
        if (code >= 0) {
            *a = ob;
            *b = neg(oa);
        } else {
            *a = neg(ob);
            *b = oa;
        }
    } else if (code >= 0) {
        *a = scale_181(sum);
        *b = scale_181(diff);
    } else {
        *a = scale_181(diff);
        *b = scale_181(sum);
    }
}

uint32_t random_step(uint32_t state)
{
    for (int i = 0; i < 8; ++i)
        state = (state & 0x80000000u) ? ((state ^ 0x76B553u) << 1) | 1u : state << 1;
    return state;
}

namespace {
uint32_t nonzero_rand()
{
    uint32_t v;
    do
        v = static_cast<uint32_t>(crt_rand());
    while (v == 0);
    return v;
}
} // namespace

void seed_game_random()
{
    match_globals.random_state_a = match_globals.random_state_b = nonzero_rand();
}

uint32_t game_random() { return match_globals.random_state_a = random_step(match_globals.random_state_a); }

uint32_t game_random_b() { return match_globals.random_state_b = random_step(match_globals.random_state_b); }


void sort_by_key16(uint32_t* values, int16_t* keys, int16_t count) { bubble_sort_by_key(values, keys, count); }
void sort_by_key32(uint32_t* values, int32_t* keys, int16_t count) { bubble_sort_by_key(values, keys, count); }

int32_t man_is_busy(const PlayerSlot* man)
{
    return (man->man_flags & (MAN_IN_CONTEST | MAN_BUSY | MAN_BUSY_B)) || man->action == 9 || man->action == 23 ||
                   man->busy_flag || man->hold_countdown
               ? 1
               : 0;
}

PlayerSlot* take_proposal(PlayerSlot* man, int16_t n)
{
    const ActionProposal& p = man->proposals[n];
    man->action = p.action;
    man->target_man = p.target_man;
    man->action_arg = p.argument;
    man->target_x = p.x;
    man->target_y = p.y;
    man->action_priority = p.priority;
    man->detour_active = 0; // a new action ends a detour
    man->action_counter = 0;
    return man;
}

int grid_of_side(uint8_t side) { return side == 2 ? 1 : 0; }

void update_occupancy_grids()
{
    // One draw a tick until the first odd one.
    if (match_globals.grid_parity == 0)
        match_globals.grid_parity = static_cast<uint8_t>(game_random() & 1);
    std::memset(occupancy_grid, 0, sizeof occupancy_grid);
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        PlayerSlot* man = match_globals.active_men[i];
        if (man->busy_flag || (man->man_flags2 & MAN2_NO_CONTEST))
            continue;
        const int cx = man->x / 512, cy = man->y / 512;
        const int col = cx > 63 ? 127 : cx + 64;
        const int row = cy + 32 < 0 ? 0 : (cy + 32 > 63 ? 63 : cy + 32);
        man->grid_col = static_cast<uint16_t>(col);
        man->grid_row = static_cast<uint16_t>(row);
        if (man->man_flags & MAN_IN_BOTH_GRIDS) {
            occupancy_grid[0][row][col] = static_cast<uint8_t>(occupancy_grid[0][row][col] + 16);
            occupancy_grid[1][row][col] = static_cast<uint8_t>(occupancy_grid[1][row][col] + 16);
            continue;
        }
        const int g = grid_of_side(man->side);
        uint8_t& cell = occupancy_grid[g][row][col];
        cell = static_cast<uint8_t>(cell + 1);
        const int count = cell & 15;
        if (count >= 1 && count < 5)
            occupancy_men[g][row][col][count - 1] = man;
    }
}
