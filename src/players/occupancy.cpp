#include "players/occupancy.h"

#include "match/game_maths.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr int FINE_STEPS = 16384;
int32_t fine_sine[FINE_STEPS];
int32_t fine_cosine[FINE_STEPS];
bool fine_tables_built = false;

constexpr double kRadiansToByte = 40.7436654315252; // 256 / 2 pi

int opponents_grid(const PlayerSlot* man) { return grid_of_side(man->side == 2 ? 1 : 2); }

bool on_grid(int cx, int cy) { return cx >= 0 && cx < GRID_COLUMNS && cy >= 0 && cy < GRID_ROWS; }

bool is_out(const PlayerSlot* man) { return (man->man_flags & MAN_OUT_OF_PLAY) != 0; }

} // namespace

// clang-format off
const int8_t holder_surround_pattern[] = {
    0, 2, 0,  0, 1, 1,  0, 0, 2,  0, -1, 1,  0, -2, 0,  1, 2, 0,  1, 1, 1,  1, 0, 1,  1, -1, 1,  1, -2, 0,
    2, 2, 0,  2, 1, 0,  2, 0, 1,  2, -1, 0,  2, -2, 0,  3, 1, 0,  3, 0, 0,  3, -1, 0,  -1, -1, 0,  -1, 0, 0,
    -1, 1, 0,  127, 127, 0};
const int8_t holder_front_pattern[] = {0, 1, 0,  0, 0, 0,  0, -1, 0,  1, 1, 0,  1, 0, 0,  1, -1, 0,  127, 127, 0};
const int8_t neighbour_pattern[] = {-1, -1, 0,  -1, 0, 0,  -1, 1, 0,  0, 1, 0,  1, 1, 0,  1, 0, 0,  1, -1, 0,
                                    0, -1, 0,  127, 127, 0};
const int8_t ahead_pattern[2][66] = {
    {0, 2, 0,  0, 1, 0,  0, 0, 0,  0, -1, 0,  0, -2, 0,  -1, 2, 0,  -1, 1, 0,  -1, 0, 0,  -1, -1, 0,  -1, -2, 0,
     -2, 2, 0,  -2, 1, 0,  -2, 0, 0,  -2, -1, 0,  -2, -2, 0,  -3, 1, 0,  -3, 0, 0,  -3, -1, 0,  1, -1, 0,  1, 0, 0,
     1, 1, 0,  127, 127, 0},
    {0, 2, 0,  0, 1, 0,  0, 0, 0,  0, -1, 0,  0, -2, 0,  1, 2, 0,  1, 1, 0,  1, 0, 0,  1, -1, 0,  1, -2, 0,
     2, 2, 0,  2, 1, 0,  2, 0, 0,  2, -1, 0,  2, -2, 0,  3, 1, 0,  3, 0, 0,  3, -1, 0,  -1, -1, 0,  -1, 0, 0,
     -1, 1, 0,  127, 127, 0}};
const int8_t run_patterns[2][3][48] = {
    {{-1, 0, 3,  -1, 1, 2,  -1, -1, 2,  -2, 0, 2,  -3, 0, 1,  -4, 0, 0,  -2, 1, 1,  -2, -1, 1,  -3, 1, 0,
      -3, -1, 0,  -4, 1, 0,  -4, -1, 0,  127, 127, 0},
     {-1, 1, 3,  0, 1, 2,  -1, 0, 2,  0, 2, 1,  -2, 0, 1,  -2, 2, 2,  -1, 2, 1,  -2, 1, 1,  -3, 3, 1,  -1, 3, 0,
      -3, 1, 0,  -2, 3, 0,  -3, 2, 0,  127, 127, 0},
     {-1, -1, 3,  0, -1, 2,  -1, 0, 2,  0, -2, 1,  -2, 0, 1,  -2, -2, 2,  -1, -2, 1,  -2, -1, 1,  -3, -3, 1,
      -1, -3, 0,  -3, -1, 0,  -2, -3, 0,  -3, -2, 0,  127, 127, 0}},
    {{1, 0, 3,  1, 1, 2,  1, -1, 2,  2, 0, 2,  3, 0, 1,  4, 0, 0,  2, 1, 1,  2, -1, 1,  3, 1, 0,  3, -1, 0,
      4, 1, 0,  4, -1, 0,  127, 127, 0},
     {1, 1, 3,  0, 1, 2,  1, 0, 2,  0, 2, 1,  2, 0, 1,  2, 2, 2,  1, 2, 1,  2, 1, 1,  3, 3, 1,  1, 3, 0,  3, 1, 0,
      2, 3, 0,  3, 2, 0,  127, 127, 0},
     {1, -1, 3,  0, -1, 2,  1, 0, 2,  0, -2, 1,  2, 0, 1,  2, -2, 2,  1, -2, 1,  2, -1, 1,  3, -3, 1,  1, -3, 0,
      3, -1, 0,  2, -3, 0,  3, -2, 0,  127, 127, 0}}};
// clang-format on

namespace {
// The 3 x 3 block, the rest of the 5 x 5 block, then columns 3..6 ahead.
struct PressureTables {
    int8_t t[2][140];
    PressureTables()
    {
        for (int s = 0; s < 2; ++s) {
            int n = 0;
            const int dir = s == 1 ? 1 : -1;
            auto add = [&](int dx, int dy) {
                t[s][n++] = static_cast<int8_t>(dx * dir);
                t[s][n++] = static_cast<int8_t>(dy);
                t[s][n++] = 0;
            };
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) add(dx, dy);
            for (int dx = -2; dx <= 2; ++dx)
                for (int dy = -2; dy <= 2; ++dy)
                    if (std::abs(dx) == 2 || std::abs(dy) == 2) add(dx, dy);
            for (int dx = 3; dx <= 6; ++dx)
                for (int dy = -2; dy <= 2; ++dy) add(dx, dy);
            t[s][n++] = 127;
            t[s][n++] = 127;
            t[s][n++] = 0;
            while (n < 140) t[s][n++] = 0;
        }
    }
};
const PressureTables pressure_tables;
} // namespace

const int8_t (&pressure_ahead_pattern)[2][140] = pressure_tables.t;

int32_t scan_grid_pattern(const PlayerSlot* man, const int8_t* pattern, int32_t mode)
{
    const int g = opponents_grid(man);
    const int cx = man->grid_col, cy = man->grid_row;
    uint32_t sum = 0;
    if (mode == 1 && on_grid(cx, cy))
        sum = static_cast<uint32_t>(static_cast<int8_t>(occupancy_grid[g][cy][cx]) * 8);
    for (const int8_t* p = pattern; !(p[0] == 127 && p[1] == 127); p += 3) {
        const int x = cx + p[0], y = cy + p[1];
        if (x < 0 || x >= GRID_COLUMNS) {
            sum |= SCAN_OFF_X;
            continue;
        }
        if (y < 0 || y >= GRID_ROWS) {
            sum |= SCAN_OFF_Y;
            continue;
        }
        const uint8_t cell = occupancy_grid[g][y][x];
        sum += static_cast<uint32_t>(cell & 15) << p[2];
        if (static_cast<int8_t>(cell & 0xF0) > 0x10)
            sum |= SCAN_CROWDED;
    }
    return static_cast<int32_t>(sum);
}

int32_t scan_pattern_around_holder(const int8_t* pattern)
{
    const PlayerSlot* holder = match_globals.ball_holder;
    if (!holder)
        return 0;
    const int g = grid_of_side(holder->side);
    const int flip = holder->side == 2 ? 1 : -1;
    int32_t sum = 0;
    for (const int8_t* p = pattern; !(p[0] == 127 && p[1] == 127); p += 3) {
        const int x = holder->grid_col + flip * p[0], y = holder->grid_row + p[1];
        if (!on_grid(x, y))
            continue;
        sum += (occupancy_grid[g][y][x] & 15) << p[2];
    }
    return sum;
}

int32_t grid_cell_count(int grid, int cx, int cy)
{
    if (!on_grid(cx, cy))
        return 0;
    return static_cast<int8_t>(occupancy_grid[grid][cy][cx]) / 16;
}

int32_t grid_cell_low(int grid, int cx, int cy)
{
    if (!on_grid(cx, cy))
        return 1;
    return occupancy_grid[grid][cy][cx] & 15;
}

namespace {
// Bresenham from (x0, y0) to (x1, y1); visit(x, y, diagonal) for each step.
template <typename Visit> void walk_cells(int x0, int y0, int x1, int y1, Visit visit)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        const int e2 = 2 * err;
        bool moved_x = false, moved_y = false;
        if (e2 >= dy) {
            err += dy;
            x += sx;
            moved_x = true;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
            moved_y = true;
        }
        visit(x, y, moved_x && moved_y, sx, sy);
    }
}
} // namespace

int32_t grid_line_scan(const PlayerSlot* man, const PlayerSlot* other)
{
    const int g = opponents_grid(man);
    const int forward = man->side == 2 ? 1 : -1;
    int ex = other->grid_col, ey = other->grid_row;
    if (other->velocity_x * forward > 0)
        ex += forward;
    int32_t count = grid_cell_low(g, man->grid_col, man->grid_row);
    if (on_grid(man->grid_col, man->grid_row))
        for (PlayerSlot* listed : occupancy_men[g][man->grid_row][man->grid_col]) {
            if (!listed)
                continue;
            const int32_t behind = (man->x - listed->x) * forward;
            if (behind > 0 && behind <= 512 && std::abs(man->y - listed->y) <= 512)
                --count;
        }
    walk_cells(man->grid_col, man->grid_row, ex, ey, [&](int x, int y, bool diagonal, int sx, int sy) {
        count += grid_cell_low(g, x, y);
        if (diagonal)
            count += grid_cell_low(g, x - sx, y) + grid_cell_low(g, x, y - sy);
    });
    return count;
}

int32_t grid_line_count(int grid, const PlayerSlot* man, int cx, int cy)
{
    int32_t count = 0;
    walk_cells(man->grid_col, man->grid_row, cx, cy, [&](int x, int y, bool, int, int) {
        count += grid_cell_low(grid, x, y);
        if (grid_cell_count(grid, x, y) > 1)
            count |= 0x0800;
    });
    return count;
}

int32_t octagonal_distance(int32_t dx, int32_t dy)
{
    dx = std::abs(dx);
    dy = std::abs(dy);
    return dx + dy - (dx < dy ? dx : dy) / 2;
}

uint8_t angle_of(int32_t dx, int32_t dy)
{
    const int32_t quick = byte_angle_quick(dx, dy);
    if (quick >= 0)
        return static_cast<uint8_t>(quick);
    return static_cast<uint8_t>(static_cast<int32_t>(std::lround(std::atan2(dx, dy) * kRadiansToByte)) & 0xFF);
}

int32_t byte_abs_diff(int32_t a, int32_t b) { return std::abs(static_cast<int8_t>(b - a)); }

PlayerSlot* find_nearest_man(const PlayerSlot* man)
{
    const MatchGlobals& g = match_globals;
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* other = g.active_men[i];
        if (!other || other == man || (other->man_flags & 0x900))
            continue;
        const int32_t dx = other->x - man->x, dy = other->y - man->y;
        const int32_t d = octagonal_distance(dx, dy);
        if (d <= 128 || d > 768)
            continue;
        if (g.active_distance[i] > 1280)
            return nullptr;
        const uint8_t a = angle_of(dx, dy);
        // Both tests wrap round the turn, so a man facing 250 sees one at 5.
        if (byte_abs_diff(other->facing, a) < 33 && byte_abs_diff(man->angle_to_ball, a) < 64 &&
            d < man->ball_distance)
            return other;
    }
    return nullptr;
}

PlayerSlot* find_team_man_by_number(TeamRecord* team, int32_t number)
{
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* man = &team->slots[i];
        if (man->number == number && !man->busy_flag && !man->excluded && !is_out(man))
            return man;
    }
    return nullptr;
}

namespace {
// Man numbers a role may fall back on, by man number; every list is empty.
const int8_t role_lists[13][5] = {{-1}, {-1}, {-1}, {-1}, {-1}, {-1}, {-1},
                                  {-1}, {-1}, {-1}, {-1}, {-1}, {-1}};
} // namespace

PlayerSlot* find_man_for_role(const PlayerSlot* man)
{
    if (!man->team || man->number >= 13)
        return nullptr;
    const int8_t* list = role_lists[man->number];
    for (int i = 0; i < 4 && list[i] >= 0; ++i)
        if (PlayerSlot* found = find_team_man_by_number(man->team, list[i]))
            return found;
    return nullptr;
}

int32_t clear_of_opponents(const PlayerSlot* man)
{
    const MatchGlobals& g = match_globals;
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* other = g.active_men[i];
        if (other && other->side != man->side && octagonal_distance(other->x - man->x, other->y - man->y) <= 512)
            return 0;
    }
    return 1;
}

void find_clear_spot_ahead(PlayerSlot* man, int32_t* x, int32_t* y)
{
    const MatchGlobals& g = match_globals;
    const int32_t r = g.difficulty * 1280 / 100;
    const uint8_t left = static_cast<uint8_t>(man->facing - 64);
    const uint8_t across = static_cast<uint8_t>(man->facing + 64);
    const int32_t sx = *x + fixed_sin(left, r), sy = *y + fixed_cos(left, r);
    const int32_t steps = 2 * r / 64;
    int32_t best_step = 0, best = -1;
    for (int32_t k = 0; k < steps; ++k) {
        const int32_t px = sx + fixed_sin(across, k * 64), py = sy + fixed_cos(across, k * 64);
        int32_t nearest = 0x7FFFFFFF;
        for (int i = 0; i < g.active_men_count; ++i) {
            const PlayerSlot* other = g.active_men[i];
            if (!other || other->side == man->side || other->busy_flag || is_out(other))
                continue;
            if (px - other->x >= 2 * r || py - other->y >= 2 * r)
                continue;
            const int32_t d = octagonal_distance(px - other->x, py - other->y);
            if (d < nearest)
                nearest = d;
        }
        // The clearest step: the one whose nearest opponent is farthest.
        if (nearest > best) {
            best = nearest;
            best_step = k;
        }
    }
    *x += fixed_sin(left, r) + fixed_sin(across, best_step * 64);
    *y += fixed_cos(left, r) + fixed_cos(across, best_step * 64);
}

void build_fine_sine_tables()
{
    for (int i = 0; i < FINE_STEPS; ++i) {
        const double a = i * 6.283185307179586 / FINE_STEPS;
        fine_sine[i] = static_cast<int32_t>(std::sin(a) * 65536.0);
        fine_cosine[i] = static_cast<int32_t>(std::cos(a) * 65536.0);
    }
    fine_tables_built = true;
}

int32_t fine_sin(int32_t a, int32_t r)
{
    if (!fine_tables_built)
        build_fine_sine_tables();
    return static_cast<int32_t>((static_cast<int64_t>(fine_sine[a & 0x3FFF]) * r) >> 16);
}

int32_t fine_cos(int32_t a, int32_t r)
{
    if (!fine_tables_built)
        build_fine_sine_tables();
    return static_cast<int32_t>((static_cast<int64_t>(fine_cosine[a & 0x3FFF]) * r) >> 16);
}

void remember_previous_actions()
{
    for (int i = 0; i < match_globals.active_men_count; ++i)
        if (PlayerSlot* man = match_globals.active_men[i])
            man->previous_action = man->action;
}

void update_angles_to_ball()
{
    const int32_t bx = ball_whole_x(), by = ball_whole_y();
    auto update = [&](PlayerSlot* man) { man->angle_to_ball = angle_of(bx - man->x, by - man->y); };
    for (int i = 0; i < match_globals.active_men_count; ++i)
        if (PlayerSlot* man = match_globals.active_men[i])
            update(man);
    for (PlayerSlot& official : official_slots) update(&official);
}

void clear_action_counters()
{
    for (TeamRecord& team : team_records)
        for (PlayerSlot& man : team.slots) man.action_counter = 0;
}

void reset_action_quotas()
{
    const uint8_t d = static_cast<uint8_t>(match_globals.difficulty / 50 + 1);
    for (TeamRecord& team : team_records) {
        uint8_t* q = team.action_quotas;
        const bool human = team.human_count != 0;
        q[QUOTA_CONTACT] = human ? team.ruck_contest_count : d;
        q[QUOTA_SMOTHER] = 1;
        q[QUOTA_GO_FOR_BALL] = human ? 1 : d;
        q[QUOTA_CHASERS] = human ? 2 : d;
        q[QUOTA_SPARE] = 1;
        q[QUOTA_LEAD_BUMP] = 1;
        q[QUOTA_LEADS] = human ? 3 : d;
        q[QUOTA_SHORT_OPTIONS] = human ? 2 : d;
        // The wide men spread afresh each tick.
        team.wide_man_index = 0;
    }
}

int32_t action_proposal_blocked(PlayerSlot* man, int32_t index, int32_t commit)
{
    const auto a = static_cast<int16_t>(man->proposals[index].action);
    if (a < 2 || a > 71 || !man->team)
        return 0;
    int entry;
    if (a == 4)
        entry = QUOTA_GO_FOR_BALL;
    else if (a == 19)
        entry = QUOTA_SMOTHER;
    else if (a == 46 || a == 47) {
        if (!match_globals.shepherd_man)
            return 1;
        entry = QUOTA_LEAD_BUMP;
    } else if (a == 55)
        entry = QUOTA_LEADS;
    else if (a == 56)
        entry = QUOTA_SHORT_OPTIONS;
    else if ((a >= 57 && a <= 62) || (a >= 67 && a <= 71))
        entry = QUOTA_CONTACT;
    else
        return 0;
    uint8_t& q = man->team->action_quotas[entry];
    if (q == 0)
        return 1;
    if (commit)
        --q;
    return 0;
}
