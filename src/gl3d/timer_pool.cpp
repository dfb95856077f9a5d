// Timer pool, icon motion tables and animated colour quads.
#include "gl3d/timer_pool.h"
#include "host/picture.h"

#include "gl3d/display_device.h"
#include "host/clock.h"
#include "platform/memory.h"

#include <array>

namespace {

struct Timer {
    uint32_t lap;
    uint32_t start;
};

Timer* g_timers[TIMER_SLOTS];
int32_t g_timer_count = 0;

Timer* timer_at(int32_t slot) { return slot >= 0 && slot < TIMER_SLOTS ? g_timers[slot] : nullptr; }

} // namespace

int32_t timer_new()
{
    for (int32_t slot = 0; slot < TIMER_SLOTS; ++slot) {
        if (g_timers[slot]) continue;
        Timer* t = static_cast<Timer*>(alloc_mem(sizeof(Timer), "timer"));
        t->start = host_time_ms();
        t->lap = 0;
        g_timers[slot] = t;
        ++g_timer_count;
        return slot;
    }
    return NO_TIMER;
}

int32_t timer_delete(int32_t slot)
{
    Timer* t = timer_at(slot);
    if (!t) return g_timer_count;
    free_mem(t);
    g_timers[slot] = nullptr;
    return --g_timer_count;
}

uint32_t timer_reset(int32_t slot)
{
    uint32_t now = host_time_ms();
    if (Timer* t = timer_at(slot)) t->start = now;
    return now;
}

uint32_t timer_elapsed(int32_t slot)
{
    Timer* t = timer_at(slot);
    return t ? host_time_ms() - t->start : TIMER_NONE_ELAPSED;
}

uint32_t timer_lap(int32_t slot)
{
    Timer* t = timer_at(slot);
    if (!t) return 0;
    uint32_t now = host_time_ms();
    t->lap = now - t->start;
    t->start = now;
    return t->lap;
}

uint32_t timer_get_lap(int32_t slot)
{
    Timer* t = timer_at(slot);
    return t ? t->lap : 0;
}

int32_t timer_count() { return g_timer_count; }

// --- Icon motion tables ---

namespace {

template <int N, class F> constexpr std::array<int16_t, N> table_of(F f)
{
    std::array<int16_t, N> a{};
    for (int i = 0; i < N; ++i) a[i] = static_cast<int16_t>(f(i));
    return a;
}

// Each gap one larger than the last.
template <int N> constexpr std::array<int16_t, N> growing(int first, int sign)
{
    std::array<int16_t, N> a{};
    int value = first;
    for (int i = 0; i < N; ++i) {
        a[i] = static_cast<int16_t>(value);
        value += sign * (i + 1);
    }
    return a;
}

constexpr auto k_drop = table_of<40>([](int i) { return -480 + 12 * i; });
constexpr auto k_rise = table_of<31>([](int i) { return 496 - i * (i + 1) / 2; });
constexpr auto k_from_right = table_of<40>([](int i) { return 600 - 15 * i; });
constexpr auto k_from_left = table_of<40>([](int i) { return -600 + 15 * i; });
constexpr auto k_out_right = table_of<40>([](int i) { return 15 * (i + 1); });
constexpr auto k_out_left = table_of<40>([](int i) { return -15 * (i + 1); });
constexpr auto k_fall_out = growing<31>(1, 1);
constexpr auto k_out_up = table_of<40>([](int i) { return -12 * (i + 1); });

static_assert(k_rise[30] == 31 && k_rise[1] == 495 && k_fall_out[30] == 466 && k_fall_out[3] == 7);

const IconMotionTable k_tables[MOTION_TABLE_COUNT] = {
    {40, k_drop.data()},     {31, k_rise.data()},    {40, k_from_right.data()}, {40, k_from_left.data()},
    {40, k_out_right.data()}, {40, k_out_left.data()}, {31, k_fall_out.data()},  {40, k_out_up.data()},
};

int32_t screen_w() { return display_width() > 0 ? display_width() : PICTURE_WIDTH; }
int32_t screen_h() { return display_height() > 0 ? display_height() : PICTURE_HEIGHT; }
int16_t scaled_x(int16_t offset) { return static_cast<int16_t>(offset * screen_w() / PICTURE_WIDTH); }
int16_t scaled_y(int16_t offset) { return static_cast<int16_t>(offset * screen_h() / PICTURE_HEIGHT); }

} // namespace

uint32_t front_end_anim_frame = 0;

namespace {

int32_t frames_since(int32_t start_frame) { return static_cast<int32_t>(front_end_anim_frame - static_cast<uint32_t>(start_frame)); }

// An icon coming in: hidden before its start, moved while the table runs.
template <IconMotionTableId T, bool Horizontal>
void come_in(int16_t* x, int16_t* y, int16_t*, int32_t start_frame, int32_t* done)
{
    int32_t d = frames_since(start_frame);
    const IconMotionTable& table = k_tables[T];
    if (d < 0) {
        *y = ICON_OFF_SCREEN;
        *done = 0;
    } else if (d < table.steps) {
        if (Horizontal) *x = static_cast<int16_t>(*x + scaled_x(table.offsets[d]));
        else *y = static_cast<int16_t>(*y + scaled_y(table.offsets[d]));
        *done = 0;
    }
}

void zoom_in(int16_t*, int16_t* y, int16_t* size, int32_t start_frame, int32_t* done)
{
    int32_t d = frames_since(start_frame);
    if (d < 0) {
        *y = ICON_OFF_SCREEN;
        *done = 0;
    } else if (d < ZOOM_RAMP_STEPS) {
        *size = zoom_ramp[d];
        *done = 0;
    }
}

void diagonal_in(int16_t* x, int16_t* y, int16_t*, int32_t start_frame, int32_t* done)
{
    int32_t d = frames_since(start_frame);
    if (d < 0) {
        *y = ICON_OFF_SCREEN;
        *done = 0;
    } else if (d < 40) {
        *x = static_cast<int16_t>(*x + scaled_x(k_from_right[d]));
        *y = static_cast<int16_t>(*y + scaled_y(k_drop[d]));
        *done = 0;
    }
}

// An icon going out: moved while the table runs, then off the screen. With
// Edge, it counts as done once it has left the screen on that side.
template <IconMotionTableId T, bool Horizontal, bool Edge>
void go_out(int16_t* x, int16_t* y, int16_t*, int32_t start_frame, int32_t* done)
{
    int32_t d = frames_since(start_frame);
    const IconMotionTable& table = k_tables[T];
    if (d < 0) {
        *done = 0;
    } else if (d < table.steps) {
        if (Horizontal) *x = static_cast<int16_t>(*x + scaled_x(table.offsets[d]));
        else *y = static_cast<int16_t>(*y + scaled_y(table.offsets[d]));
        if (!Edge) *done = 0;
        else if (Horizontal ? *x < screen_w() : *y < screen_h()) *done = 0;
    } else {
        *y = ICON_OFF_SCREEN;
    }
}

} // namespace

const uint8_t zoom_ramp[ZOOM_RAMP_STEPS] = {
    31,  34,  37,  40,  43,  46,  49,  52,  55,  58,  61,  64,  67,  70,  73,  76,  79,  82,  85,
    88,  91,  94,  97,  100, 103, 106, 109, 112, 115, 118, 121, 124, 127, 130, 133, 136, 139, 142,
    145, 148, 151, 154, 157, 160, 163, 166, 169, 172, 175, 178, 181, 184, 187, 190, 193, 196, 199,
    202, 205, 208, 211, 214, 217, 220, 223, 226, 229, 232, 235, 238, 241, 244, 247, 250, 253,
};

IconMotionTable icon_motion_table(IconMotionTableId id) { return k_tables[id]; }

const IconMotionHandler icon_motion_handlers[ICON_MOTION_KINDS] = {
    nullptr,
    come_in<MOTION_FROM_LEFT, true>,
    come_in<MOTION_FROM_RIGHT, true>,
    come_in<MOTION_DROP_FROM_ABOVE, false>,
    come_in<MOTION_RISE_FROM_BELOW, false>,
    zoom_in,
    diagonal_in,
    nullptr,
    nullptr,
    nullptr,
    go_out<MOTION_OUT_RIGHT, true, true>,
    go_out<MOTION_OUT_LEFT, true, false>,
    go_out<MOTION_FALL_OUT, false, true>,
    go_out<MOTION_OUT_UPWARDS, false, false>,
    go_out<MOTION_OUT_RIGHT, true, true>,
};

void run_icon_motion(int32_t kind, int16_t* x, int16_t* y, int16_t* size, int32_t start_frame, int32_t* done)
{
    if (kind < 0 || kind >= ICON_MOTION_KINDS || !icon_motion_handlers[kind]) return;
    icon_motion_handlers[kind](x, y, size, start_frame, done);
}

// --- Animated quads ---

namespace {

struct AnimatedQuad {
    QuadColour corners[4];
    int32_t references;
    float left, top, right, bottom;
    float inverse_width, inverse_height;
    QuadColour start[4], target[4];
    QuadColour top_difference, bottom_difference;
    QuadColour low_clamp, high_clamp;
    uint32_t durations[3];
    uint8_t on, running;
    int32_t timer;
    uint8_t graded;
};

AnimatedQuad* g_quads[QUAD_SLOTS];
int32_t g_quad_count = 0;
int32_t g_screen_width = 0, g_screen_height = 0; // taken on the first creation

void set_area(AnimatedQuad* q, float left, float top, float right, float bottom)
{
    q->left = left, q->top = top, q->right = right, q->bottom = bottom;
    q->inverse_width = right != left ? 1.0f / (right - left) : 0.0f;
    q->inverse_height = bottom != top ? 1.0f / (bottom - top) : 0.0f;
}

// Runs f on one quad, or on every quad for ALL_QUADS; any other slot is ignored.
template <class F> void each_quad(int32_t slot, F f)
{
    if (slot == ALL_QUADS) {
        for (AnimatedQuad* q : g_quads)
            if (q) f(q);
    } else if (slot >= 0 && slot < QUAD_SLOTS && g_quads[slot]) {
        f(g_quads[slot]);
    }
}

QuadColour difference(const QuadColour& a, const QuadColour& b) { return {a.red - b.red, a.green - b.green, a.blue - b.blue}; }
bool is_zero(const QuadColour& c) { return c.red == 0.0f && c.green == 0.0f && c.blue == 0.0f; }

int32_t update_one(AnimatedQuad* q)
{
    uint32_t e = timer_elapsed(q->timer);
    // A duration of 0 is over at once.
    float t[3];
    for (int k = 0; k < 3; ++k) t[k] = q->durations[k] ? static_cast<float>(e) / static_cast<float>(q->durations[k]) : 1.0f;
    bool finished = t[0] >= 1.0f && t[1] >= 1.0f && t[2] >= 1.0f;
    if (finished)
        for (int c = 0; c < 4; ++c) q->start[c] = q->target[c];
    for (float& v : t)
        if (v > 1.0f) v = 1.0f;
    for (int c = 0; c < 4; ++c) {
        q->corners[c].red = q->start[c].red + (q->target[c].red - q->start[c].red) * t[0];
        q->corners[c].green = q->start[c].green + (q->target[c].green - q->start[c].green) * t[1];
        q->corners[c].blue = q->start[c].blue + (q->target[c].blue - q->start[c].blue) * t[2];
    }
    q->top_difference = difference(q->corners[1], q->corners[0]);
    q->bottom_difference = difference(q->corners[2], q->corners[3]);
    q->graded = !(is_zero(q->top_difference) || is_zero(q->bottom_difference));
    return finished ? 1 : 0;
}

float clamp(float v, float low, float high) { return v < low ? low : (v > high ? high : v); }

QuadColour shade_one(const AnimatedQuad* q, float x, float y)
{
    const QuadColour white{255.0f, 255.0f, 255.0f};
    if (!q->on) return white;
    if (!(q->left <= x && x < q->right && q->top <= y && y < q->bottom)) return white;
    // Always interpolated over the area: the same as corner 0 for a uniform quad.
    float u = (x - q->left) * q->inverse_width, v = (y - q->top) * q->inverse_height;
    auto lerp = [](float a, float b, float t) { return a + t * (b - a); };
    QuadColour top{lerp(q->corners[0].red, q->corners[1].red, u), lerp(q->corners[0].green, q->corners[1].green, u),
                   lerp(q->corners[0].blue, q->corners[1].blue, u)};
    QuadColour bottom{lerp(q->corners[3].red, q->corners[2].red, u), lerp(q->corners[3].green, q->corners[2].green, u),
                      lerp(q->corners[3].blue, q->corners[2].blue, u)};
    return {clamp(lerp(top.red, bottom.red, v), q->low_clamp.red, q->high_clamp.red),
            clamp(lerp(top.green, bottom.green, v), q->low_clamp.green, q->high_clamp.green),
            clamp(lerp(top.blue, bottom.blue, v), q->low_clamp.blue, q->high_clamp.blue)};
}

} // namespace

int32_t quad_create()
{
    for (int32_t slot = 0; slot < QUAD_SLOTS; ++slot) {
        if (g_quads[slot]) continue;
        if (g_screen_width == 0) {
            g_screen_width = display_width() > 0 ? display_width() : PICTURE_WIDTH;
            g_screen_height = display_height() > 0 ? display_height() : PICTURE_HEIGHT;
        }
        auto* q = static_cast<AnimatedQuad*>(alloc_mem(sizeof(AnimatedQuad), "AnimatedQuad"));
        *q = AnimatedQuad{};
        for (int c = 0; c < 4; ++c) q->corners[c] = q->start[c] = q->target[c] = {255.0f, 255.0f, 255.0f};
        q->references = 1;
        set_area(q, static_cast<float>(-g_screen_width / 2), static_cast<float>(-g_screen_height / 2),
                 static_cast<float>(g_screen_width / 2), static_cast<float>(g_screen_height / 2));
        q->low_clamp = {0.0f, 0.0f, 0.0f};
        q->high_clamp = {255.0f, 255.0f, 255.0f};
        q->timer = timer_new();
        g_quads[slot] = q;
        ++g_quad_count;
        return slot;
    }
    return NO_QUAD;
}

int32_t quad_addref(int32_t slot)
{
    each_quad(slot, [](AnimatedQuad* q) { ++q->references; });
    return slot;
}

void quad_release(int32_t slot)
{
    for (int32_t s = 0; s < QUAD_SLOTS; ++s) {
        AnimatedQuad* q = g_quads[s];
        if (!q || (slot != ALL_QUADS && slot != s)) continue;
        if (--q->references > 0) continue;
        timer_delete(q->timer);
        free_mem(q);
        g_quads[s] = nullptr;
        --g_quad_count;
    }
}

void quad_setcorners(int32_t slot, const QuadColour corners[4])
{
    each_quad(slot, [&](AnimatedQuad* q) {
        for (int c = 0; c < 4; ++c) q->corners[c] = q->start[c] = q->target[c] = corners[c];
    });
}

void quad_setarea(int32_t slot, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    each_quad(slot, [&](AnimatedQuad* q) {
        set_area(q, static_cast<float>(left), static_cast<float>(top), static_cast<float>(right), static_cast<float>(bottom));
    });
}

void quad_settarget(int32_t slot, uint32_t red_ms, uint32_t green_ms, uint32_t blue_ms, const QuadColour targets[4],
                    QuadColour low_clamp, QuadColour high_clamp)
{
    each_quad(slot, [&](AnimatedQuad* q) {
        q->durations[0] = red_ms, q->durations[1] = green_ms, q->durations[2] = blue_ms;
        for (int c = 0; c < 4; ++c) q->target[c] = targets[c];
        q->low_clamp = low_clamp;
        q->high_clamp = high_clamp;
    });
}

void quad_start(int32_t slot)
{
    each_quad(slot, [](AnimatedQuad* q) {
        q->running = 1;
        timer_lap(q->timer);
        q->on = 1;
    });
}

void quad_stop(int32_t slot)
{
    each_quad(slot, [](AnimatedQuad* q) { q->running = 0; });
}

void quad_flagon(int32_t slot)
{
    each_quad(slot, [](AnimatedQuad* q) { q->on = 1; });
}

void quad_flagoff(int32_t slot)
{
    each_quad(slot, [](AnimatedQuad* q) { q->on = 0; });
}

int32_t quad_update(int32_t slot)
{
    if (slot != ALL_QUADS) {
        if (slot < 0 || slot >= QUAD_SLOTS || !g_quads[slot] || !g_quads[slot]->running) return 0;
        return update_one(g_quads[slot]);
    }
    bool any = false, all_finished = true;
    for (AnimatedQuad* q : g_quads) {
        if (!q || !q->running) continue;
        any = true;
        if (!update_one(q)) all_finished = false;
    }
    return any && all_finished ? 1 : 0;
}

void quad_shade(int32_t slot, float x, float y, float* red, float* green, float* blue)
{
    QuadColour result{255.0f, 255.0f, 255.0f};
    if (slot == ALL_QUADS) {
        QuadColour product{1.0f, 1.0f, 1.0f};
        for (const AnimatedQuad* q : g_quads) {
            if (!q) continue;
            QuadColour c = shade_one(q, x, y);
            product.red *= clamp(c.red, -1e30f, 255.0f) * 0.003921569f;
            product.green *= clamp(c.green, -1e30f, 255.0f) * 0.003921569f;
            product.blue *= clamp(c.blue, -1e30f, 255.0f) * 0.003921569f;
        }
        result = {product.red * 255.0f, product.green * 255.0f, product.blue * 255.0f};
    } else if (slot >= 0 && slot < QUAD_SLOTS && g_quads[slot]) {
        result = shade_one(g_quads[slot], x, y);
    }
    if (red) *red = result.red;
    if (green) *green = result.green;
    if (blue) *blue = result.blue;
}

int32_t quad_count() { return g_quad_count; }

void reset_timer_pool()
{
    for (AnimatedQuad*& q : g_quads) {
        if (q) free_mem(q);
        q = nullptr;
    }
    g_quad_count = 0;
    g_screen_width = g_screen_height = 0;
    for (Timer*& t : g_timers) {
        if (t) free_mem(t);
        t = nullptr;
    }
    g_timer_count = 0;
}
