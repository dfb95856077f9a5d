// The software screen transitions. Every effect builds its frames in a work
// picture taken for the run, presents each one, and paces itself by the
// 60 Hz tick counter (except the tile spiral, one tile a frame).
#include "swrender/sw_transitions.h"

#include "platform/memory.h"
#include "platform/tick_timer.h"
#include "screen/screen.h"
#include "screen/screen_flip.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

const uint8_t* transition_old_picture = nullptr;
const uint8_t* transition_new_picture = nullptr;

const transition_geometry_row transition_geometry[TRANSITION_GEOMETRY_ROWS] = {
    {320, 200, 25, 40, 25, {24, 24, 24, 23, 23, 22, 22, 21, 20, 19, 19, 18, 17, 16, 15, 14, 13, 11, 10, 9, 8, 6, 5, 4, 3, 1, 0}},
    {640, 400, 50, 80, 50, {49, 49, 48, 48, 47, 46, 45, 43, 42, 40, 39, 37, 35, 33, 31, 29, 27, 25, 23, 20, 18, 15, 13, 10, 8, 5, 3, 0}},
    {640, 480, 60, 80, 60, {59, 59, 58, 57, 56, 55, 53, 52, 50, 49, 47, 45, 42, 40, 38, 35, 33, 30, 27, 24, 22, 19, 16, 12, 9, 6, 3, 0}},
    {800, 600, 75, 100, 75, {74, 73, 72, 71, 70, 69, 67, 65, 63, 61, 58, 56, 53, 50, 47, 44, 41, 38, 34, 31, 27, 23, 19, 16, 12, 8, 4, 0}},
    {1024, 768, 96, 128, 96, {95, 95, 94, 93, 91, 90, 88, 86, 83, 81, 78, 75, 71, 68, 64, 60, 56, 52, 48, 44, 39, 34, 30, 25, 20, 15, 10, 5, 0}},
    {1280, 1024, 128, 160, 128, {127, 126, 125, 124, 122, 119, 117, 114, 111, 107, 104, 99, 95, 91, 86, 81, 75, 70, 64, 58, 52, 46, 40, 33, 27, 20, 13, 7, 0}},
};

namespace {

transition_present_hook present_hook = nullptr;

struct Screen {
    int32_t width, height;
    uint32_t bytes;
    size_t row(int32_t y) const { return size_t(y) * size_t(width); }
};

Screen current_screen()
{
    Screen s{int32_t(screen.width ? screen.width : SCREEN_WIDTH), int32_t(screen.height ? screen.height : SCREEN_HEIGHT), 0};
    s.bytes = uint32_t(s.width) * uint32_t(s.height);
    return s;
}

void present(const uint8_t* picture, bool flip)
{
    if (present_hook) {
        present_hook(picture, flip);
        return;
    }
    const Screen s = current_screen();
    if (back_surface) copy_to_surface(picture, back_surface, s.width, s.height);
    if (flip) flip_screen();
}

// The work picture of one run.
struct WorkPicture {
    uint8_t* pixels;
    explicit WorkPicture(uint32_t bytes) : pixels(static_cast<uint8_t*>(alloc_mem(bytes, "Transition picture"))) {}
    ~WorkPicture() { free_mem(pixels); }
    WorkPicture(const WorkPicture&) = delete;
    WorkPicture& operator=(const WorkPicture&) = delete;
};

void copy_row(uint8_t* to, const uint8_t* from, const Screen& s, int32_t to_row, int32_t from_row)
{
    std::memcpy(to + s.row(to_row), from + s.row(from_row), size_t(s.width));
}

// ---- Effect 1: bands squeezed to slats.

void squeeze_band(uint8_t* work, const uint8_t* old_picture, const uint8_t* new_picture, const Screen& s,
                  int32_t first, int32_t band, int32_t squeezed)
{
    const int32_t top = (band - squeezed) / 2;
    const int32_t bottom = band - squeezed - top;
    int32_t y = first;
    auto put = [&](const uint8_t* from, int32_t from_row) {
        if (y < s.height && from_row < s.height) copy_row(work, from, s, y, from_row);
        ++y;
    };
    for (int32_t i = 0; i < top; ++i) put(new_picture, y);
    const uint32_t step = (uint32_t(band) << 16) / uint32_t(squeezed);
    uint32_t fraction = 0;
    int32_t source = first;
    for (int32_t j = 0; j < squeezed; ++j) {
        put(old_picture, source);
        fraction += step;
        source += int32_t(fraction >> 16);
        fraction &= 0xFFFF;
    }
    for (int32_t i = 0; i < bottom; ++i) put(new_picture, y);
}

void transition_squeeze_bands(const uint8_t* old_picture, const uint8_t* new_picture, const transition_geometry_row& g)
{
    const Screen s = current_screen();
    WorkPicture work(s.bytes);
    reset_tick_counter();
    for (int32_t position = 0; position < SQUEEZE_WINDOW;) {
        const int32_t squeezed = g.squeeze[position];
        if (squeezed == 0) break;
        // Bands stop at the screen's last row.
        for (int32_t first = 0; first < s.height; first += g.band)
            squeeze_band(work.pixels, old_picture, new_picture, s, first, g.band, squeezed);
        present(work.pixels, true);
        position += get_elapsed_ticks();
    }
    present(new_picture, true);
    present(new_picture, false);
}

// ---- Effect 2: strips sliding down and up.

void transition_sliding_strips(const uint8_t* old_picture, const uint8_t* new_picture)
{
    const Screen s = current_screen();
    WorkPicture work(s.bytes);
    reset_tick_counter();
    const int32_t h = s.height;
    for (int32_t k = 3; k < h;) {
        for (int32_t y = 0; y < h; ++y) {
            // Even strips: the new picture's bottom, then the old picture moved down.
            const uint8_t* down = y < k ? new_picture + s.row(h - k + y) : old_picture + s.row(y - k);
            // Odd strips: the old picture moved up, then the new picture's top.
            const uint8_t* up = y < h - k ? old_picture + s.row(y + k) : new_picture + s.row(y - (h - k));
            uint8_t* row = work.pixels + s.row(y);
            for (int32_t x = 0; x + 16 <= s.width; x += 32) {
                std::memcpy(row + x, down + x, 16);
                if (x + 32 <= s.width) std::memcpy(row + x + 16, up + x + 16, 16);
            }
        }
        present(work.pixels, true);
        k += 8 * get_elapsed_ticks();
    }
    present(new_picture, true);
}

// ---- Effect 5: tiles laid in a spiral.

void transition_tile_spiral(const uint8_t* old_picture, const uint8_t* new_picture, int32_t row)
{
    const Screen s = current_screen();
    const transition_geometry_row& g = transition_geometry[row];
    WorkPicture work(s.bytes);
    std::memcpy(work.pixels, old_picture, s.bytes);
    uint32_t order[TILE_COUNT];
    build_tile_order(row, s.width, order);
    reset_tick_counter();
    for (uint32_t offset : order) {
        for (int32_t y = 0; y < g.tile_h; ++y) {
            size_t at = offset + s.row(y);
            std::memcpy(work.pixels + at, new_picture + at, size_t(g.tile_w));
        }
        present(work.pixels, true);
    }
    present(work.pixels, false);
}

// ---- Effect 3: the old picture rolled up from the top.

struct RollEntry {
    int32_t step;
    uint32_t speed;
};

std::vector<RollEntry> roll_table()
{
    std::vector<RollEntry> t(120);
    for (int32_t e = 0; e < 40; ++e) t[size_t(e)] = RollEntry{1, roll_arc_step(40, e)};
    for (int32_t e = 40; e < 80; ++e) t[size_t(e)] = RollEntry{-1, roll_arc_step(40, 79 - e)};
    for (int32_t e = 80; e < 120; ++e) t[size_t(e)] = RollEntry{-1, roll_arc_step(40, e - 80)};
    return t;
}

struct RollState {
    int32_t top = 0, previous_top = 0;
};

void draw_roll_rows(uint8_t* work, const uint8_t* old_picture, const Screen& s, const std::vector<RollEntry>& table,
                    RollState& st, int32_t t)
{
    st.previous_top = st.top;
    st.top = t;
    uint32_t fraction = 0;
    int32_t d = t, source = t, copies = 0;
    auto copy = [&] {
        // At most t copies a frame, and never a row outside the picture.
        if (copies++ >= t) return false;
        if (d < s.height && d >= 0) {
            if (d < st.top) st.top = d;
            copy_row(work, old_picture, s, d, source);
        }
        return true;
    };
    for (size_t e = 0;; ++e) {
        if (!copy()) return;
        d -= table[e].step;
        uint32_t move = 8 * table[e].speed;
        fraction += move & 0xFFFF;
        source -= int32_t(move >> 16) + int32_t(fraction >> 16);
        fraction &= 0xFFFF;
        if (source < 0) return;
        if (e + 1 == table.size()) {
            copy();
            return;
        }
    }
}

void transition_roll_down(const uint8_t* old_picture, const uint8_t* new_picture)
{
    const Screen s = current_screen();
    const std::vector<RollEntry> table = roll_table();
    WorkPicture work(s.bytes);
    std::memcpy(work.pixels, old_picture, s.bytes);
    reset_tick_counter();
    RollState st;
    for (int32_t t = 8; t < s.height + 50;) {
        draw_roll_rows(work.pixels, old_picture, s, table, st, t);
        // Uncover the rows the roll has left since the last frame.
        if (st.top > st.previous_top && st.top >= 1)
            for (int32_t y = st.top - 1; y >= st.previous_top; --y)
                if (y < s.height) copy_row(work.pixels, new_picture, s, y, y);
        present(work.pixels, true);
        t += 6 * get_elapsed_ticks();
    }
    present(work.pixels, true);
}

// ---- Effect 6: the old picture peeled from the bottom-right corner along
// anti-diagonals (x + y = k, index k + 20; indices 0..19 are guards).

constexpr int32_t PEEL_GUARDS = 20;
constexpr int32_t PEEL_ENTRIES = 560;

struct PeelEntry {
    int16_t step;
    uint16_t speed;
};

struct DiagonalTables {
    int32_t W, H, D;
    std::vector<int32_t> start_x, start_y, length, end_key, begin_key;
};

DiagonalTables build_diagonal_tables(int32_t W, int32_t H)
{
    DiagonalTables t{W, H, W + H + 19, {}, {}, {}, {}, {}};
    for (auto* v : {&t.start_x, &t.start_y, &t.length, &t.end_key, &t.begin_key}) v->assign(size_t(t.D), -1);
    for (int32_t k = 0; k <= W + H - 2; ++k) {
        size_t i = size_t(k + PEEL_GUARDS);
        t.start_x[i] = k < H ? 0 : k - H + 1;
        t.start_y[i] = k < H ? k : H - 1;
        t.length[i] = k < H ? k + 1 : k <= W - 2 ? H : W + H - 1 - k;
        t.end_key[i] = k <= W - 2 ? k - (W - H - 1) : W + H - 1 - k;
        t.begin_key[i] = k <= H - 2 ? k + (W - H + 1) : W + H - 1 - k;
    }
    return t;
}

std::vector<PeelEntry> peel_table()
{
    std::vector<PeelEntry> t(PEEL_ENTRIES);
    for (int32_t e = 0; e < 20; ++e) t[size_t(e)] = PeelEntry{1, uint16_t(roll_arc_step(20, e))};
    t[20] = PeelEntry{0, uint16_t(roll_arc_step(20, 19))};
    for (int32_t e = 21; e < 40; ++e) t[size_t(e)] = PeelEntry{-1, uint16_t(roll_arc_step(20, 39 - e))};
    for (int32_t e = 40; e < PEEL_ENTRIES; ++e) t[size_t(e)] = PeelEntry{-1, 8192};
    return t;
}

// A position on a diagonal, moved up and to the right one pixel a step.
struct DiagonalCursor {
    int32_t x, y;
    bool inside(const Screen& s) const { return x >= 0 && y >= 0 && x < s.width && y < s.height; }
    void advance(int32_t n)
    {
        x += n;
        y -= n;
    }
};

struct PeelState {
    int32_t top, previous_top;
};

void copy_along(uint8_t* work, const uint8_t* from, const Screen& s, DiagonalCursor& to, DiagonalCursor& source,
                int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        if (!to.inside(s) || !source.inside(s)) return; // above the first row: the copy ends
        work[s.row(to.y) + size_t(to.x)] = from[s.row(source.y) + size_t(source.x)];
        to.advance(1);
        source.advance(1);
    }
}

DiagonalCursor diagonal_start(const DiagonalTables& t, int32_t index)
{
    return DiagonalCursor{t.start_x[size_t(index)], t.start_y[size_t(index)]};
}

void draw_peel_diagonals(uint8_t* work, const uint8_t* old_picture, const Screen& s, const DiagonalTables& t,
                         const std::vector<PeelEntry>& table, PeelState& st, int32_t p)
{
    st.previous_top = st.top;
    st.top = p;
    uint32_t fraction = 0;
    int32_t a = p, b = p;
    DiagonalCursor to = diagonal_start(t, a), source = diagonal_start(t, b);
    for (int32_t e = 0;; ++e) {
        const PeelEntry entry = table[size_t(e)];
        if (a >= PEEL_GUARDS) {
            int32_t count = t.length[size_t(a)], tail = 0;
            int32_t x = t.end_key[size_t(a)] - t.end_key[size_t(b)];
            if (x > 0) {
                tail = x / 2;
                count -= tail;
            }
            int32_t y = t.begin_key[size_t(a)] - t.begin_key[size_t(b)];
            if (y > 0) {
                int32_t n = (y + 1) / 2;
                if (count <= n) return;
                count -= n;
                if (entry.step < 0) {
                    to.advance(n);
                } else {
                    // The pixels before the flap come from the old picture in place.
                    DiagonalCursor same = to;
                    copy_along(work, old_picture, s, to, same, n);
                    source = to;
                }
            } else {
                source.advance((-y + 1) / 2);
            }
            copy_along(work, old_picture, s, to, source, count);
            if (entry.step >= 0 && tail > 0) copy_along(work, old_picture, s, to, source, tail);
        }
        uint32_t move = 8u * entry.speed;
        fraction += move & 0xFFFF;
        b += int32_t(move >> 16) + int32_t(fraction >> 16);
        fraction &= 0xFFFF;
        if (b >= t.D) return;
        source = diagonal_start(t, b);
        a += entry.step;
        if (a < 0) return;
        to = diagonal_start(t, a);
        if (a > st.top) st.top = a;
        if (e + 1 == PEEL_ENTRIES) return;
    }
}

void reveal_diagonals_behind_peel(uint8_t* work, const uint8_t* new_picture, const Screen& s, const DiagonalTables& t,
                                  const PeelState& st)
{
    int32_t i = st.top + 1;
    if (i >= t.D) return;
    int32_t m = st.previous_top - st.top;
    if (m == 0) m = 1;
    for (int32_t j = 0; j < m && i + j < t.D; ++j) {
        if (i + j < PEEL_GUARDS) continue;
        DiagonalCursor to = diagonal_start(t, i + j), source = to;
        copy_along(work, new_picture, s, to, source, t.length[size_t(i + j)]);
    }
}

void transition_corner_peel(const uint8_t* old_picture, const uint8_t* new_picture)
{
    const Screen s = current_screen();
    WorkPicture work(s.bytes);
    const DiagonalTables t = build_diagonal_tables(s.width, s.height);
    const std::vector<PeelEntry> table = peel_table();
    PeelState st{t.D, t.D};
    std::memcpy(work.pixels, old_picture, s.bytes);
    reset_tick_counter();
    for (int32_t p = s.width + s.height + 9; p >= 0;) {
        draw_peel_diagonals(work.pixels, old_picture, s, t, table, st, p);
        reveal_diagonals_behind_peel(work.pixels, new_picture, s, t, st);
        present(work.pixels, true);
        p -= 8 * get_elapsed_ticks();
    }
}

} // namespace

int32_t transition_geometry_row_for(int32_t width, int32_t height)
{
    for (int32_t r = 0; r < TRANSITION_GEOMETRY_ROWS; ++r)
        if (transition_geometry[r].width == width && transition_geometry[r].height == height) return r;
    return -1;
}

void build_tile_order(int32_t row, int32_t screen_width, uint32_t out[TILE_COUNT])
{
    const transition_geometry_row& g = transition_geometry[row];
    int32_t n = 0, top = 0, left = 0, bottom = 7, right = 7;
    auto put = [&](int32_t r, int32_t c) { out[n++] = uint32_t(r * g.tile_h * screen_width + c * g.tile_w); };
    while (top <= bottom && left <= right) {
        for (int32_t c = left; c <= right; ++c) put(top, c);
        for (int32_t r = top + 1; r <= bottom; ++r) put(r, right);
        if (top < bottom)
            for (int32_t c = right - 1; c >= left; --c) put(bottom, c);
        if (left < right)
            for (int32_t r = bottom - 1; r > top; --r) put(r, left);
        ++top, ++left, --bottom, --right;
    }
}

uint32_t roll_arc_step(int32_t radius, int32_t k)
{
    // The stored table has one step a unit above its rounding.
    if (radius == 40 && k == 28) return 11678;
    double r = radius;
    return uint32_t(std::nearbyint(8192.0 * r * (std::asin((k + 1) / r) - std::asin(k / r))));
}

void run_screen_transition(const uint8_t* old_picture, const uint8_t* new_picture, int32_t effect)
{
    transition_old_picture = old_picture;
    transition_new_picture = new_picture;
    const Screen s = current_screen();
    const int32_t row = transition_geometry_row_for(s.width, s.height);
    switch (effect) {
    case 1:
        if (row >= 0) transition_squeeze_bands(old_picture, new_picture, transition_geometry[row]);
        break;
    case 2: transition_sliding_strips(old_picture, new_picture); break;
    case 3: transition_roll_down(old_picture, new_picture); break;
    case 5:
        if (row >= 0) transition_tile_spiral(old_picture, new_picture, row);
        break;
    case 6: transition_corner_peel(old_picture, new_picture); break;
    default: break; // 4, the cut, and anything else: no animation
    }
}

void set_transition_present_hook(transition_present_hook hook) { present_hook = hook; }

void reset_sw_transitions()
{
    present_hook = nullptr;
    transition_old_picture = transition_new_picture = nullptr;
}
