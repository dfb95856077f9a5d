// Hardware screen transitions.
#include "gl3d/transitions.h"

#include "gl3d/hw_camera.h"
#include "gl3d/timer_pool.h"

#include <cmath>

namespace {

struct Wipe : HwTransition {
    int32_t effect;
    int32_t timer;
    uint32_t duration;
    int32_t base[4];
};

int32_t g_reverse = 0;

int32_t wipe_start(HwTransition* self, int32_t duration_ms, int32_t reverse)
{
    auto* w = static_cast<Wipe*>(self);
    g_reverse = reverse;
    w->duration = static_cast<uint32_t>(duration_ms);
    w->timer = timer_new();
    w->started = 1;
    return w->timer;
}

void wipe_stop(HwTransition* self)
{
    auto* w = static_cast<Wipe*>(self);
    timer_delete(w->timer);
    w->timer = NO_TIMER;
    w->started = 0;
    clear_hw_transition();
}

void wipe_step(HwTransition* self)
{
    auto* w = static_cast<Wipe*>(self);
    uint32_t elapsed = timer_elapsed(w->timer);
    get_viewport(&w->base[0], &w->base[1], &w->base[2], &w->base[3]);
    int32_t r[4];
    if (elapsed < w->duration) {
        float t = static_cast<float>(elapsed) / static_cast<float>(w->duration);
        if (g_reverse) t = 1.0f - t;
        hw_transition_rectangle(w->effect, t, w->base, r);
        set_viewport(r[0], r[1], r[2], r[3]);
        return;
    }
    if (g_reverse) {
        set_viewport(w->base[0], w->base[1], w->base[2], w->base[3]);
    } else {
        hw_transition_rectangle(w->effect, 1.0f, w->base, r);
        set_viewport(r[0], r[1], r[2], r[3]);
    }
    wipe_stop(self);
}

const HwTransitionOps k_ops = {wipe_start, wipe_step, wipe_stop};

Wipe g_wipes[HW_TRANSITION_COUNT];
HwTransition* g_table[HW_TRANSITION_COUNT];

int32_t m(int32_t value, float t) { return static_cast<int32_t>(std::lrint(static_cast<float>(value) * t)); }

} // namespace

void hw_transition_rectangle(int32_t effect, float t, const int32_t base[4], int32_t out[4])
{
    const int32_t x = base[0], y = base[1], W = base[2], H = base[3];
    const int32_t narrow_w = W - m(W - 4, t), narrow_h = H - m(H - 4, t);
    int32_t r[4] = {x, y, W, H};
    switch (effect) {
    case 0: r[0] = m(W / 2 - 2, t), r[1] = m(H / 2 - 2, t), r[2] = narrow_w, r[3] = narrow_h; break;
    case 1: r[0] = m(W - 4, t), r[2] = narrow_w; break;
    case 2: r[2] = narrow_w; break;
    case 3: r[3] = narrow_h; break;
    case 4: r[1] = m(H - 4, t), r[3] = narrow_h; break;
    case 5: r[1] = m(H / 2 - 2, t), r[3] = narrow_h; break;
    case 6: r[0] = m(W / 2 - 2, t), r[2] = narrow_w; break;
    default: break;
    }
    for (int k = 0; k < 4; ++k) out[k] = r[k];
}

int32_t hw_transition_reverse() { return g_reverse; }

void init_hw_transitions()
{
    for (int32_t n = 0; n < HW_TRANSITION_COUNT; ++n) {
        g_wipes[n].ops = &k_ops;
        g_wipes[n].started = 0;
        g_wipes[n].effect = n;
        g_wipes[n].timer = NO_TIMER;
        g_table[n] = &g_wipes[n];
    }
    set_hw_transition_table(g_table, HW_TRANSITION_COUNT);
}

void reset_hw_transitions()
{
    for (Wipe& w : g_wipes) {
        if (w.timer != NO_TIMER && w.ops) timer_delete(w.timer);
        w.timer = NO_TIMER;
        w.started = 0;
    }
    clear_hw_transition();
    g_reverse = 0;
    init_hw_transitions();
}
