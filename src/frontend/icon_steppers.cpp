#include "frontend/icon_steppers.h"

#include "frontend/front_end_state.h"
#include "gl3d/sprite_queue.h"
#include "platform/crt_rand.h"

namespace {

constexpr uint16_t LINKED = ICON_HAS_CHILD;
constexpr uint8_t IDLE_LIMIT = 76, LONG_LIMIT = 120, IDLE_START = 45;
// A period of 0 steps until the stop frame at once; a step that never
// reaches one gives up after this many.
constexpr int32_t MAX_STEPS = 256;

bool hidden(const menu_icon* icon) { return icon->flags & ICON_HIDDEN; }
bool linked(const menu_icon* icon) { return (icon->flags & LINKED) && icon->child; }
const menu_icon* template_of(const menu_icon* icon) { return static_cast<const menu_icon*>(icon->user_template); }

void run_down(icon_state_record* r) { r->countdown = static_cast<int8_t>(r->countdown - front_end_state.frame_ticks); }

void common_start(icon_state_record* r, menu_icon* icon)
{
    if (icon->state != icon->previous_state) {
        const icon_state_record& before = icon->states[icon->previous_state];
        if (before.image == r->image) {
            r->frame = before.frame;
            r->countdown = before.countdown;
        }
    }
    // A click on either icon of a pair does what a click on this one does.
    if (linked(icon)) icon->child->states[ICON_CLICKED].handler = icon->states[ICON_CLICKED].handler;
}

// The linked partner shows its next frame in every state.
void step_partner(menu_icon* icon)
{
    if (!linked(icon)) return;
    menu_icon* p = icon->child;
    uint8_t f = static_cast<uint8_t>(p->states[ICON_NORMAL].frame + 1);
    if (f >= p->states[ICON_NORMAL].frame_count) f = 0;
    for (auto& s : p->states) s.frame = f;
}

void make_active(menu_icon* icon)
{
    icon->state = ICON_NORMAL;
    icon->states[ICON_NORMAL].step = step_back_to_rest;
    icon->states[ICON_FOCUSED].step = step_to_middle;
    icon->states[ICON_CLICKED].step = select_left_of_pair;
}

void make_inactive(menu_icon* icon)
{
    icon->state = ICON_NORMAL;
    icon->states[ICON_NORMAL].step = nullptr;
    icon->states[ICON_FOCUSED].step = activate_partner;
    icon->states[ICON_CLICKED].step = select_right_of_pair;
}

void reload(menu_icon* icon, int32_t state, int32_t from, IconFn step)
{
    if (const menu_icon* t = template_of(icon)) icon->states[state] = t->states[from];
    icon->states[state].step = step;
}

void flip(menu_icon* icon) { icon->limit = icon->limit ? 0 : 1; }

} // namespace

void step_to_middle(icon_state_record* r, menu_icon* icon, menu_screen*)
{
    common_start(r, icon);
    const uint8_t middle = static_cast<uint8_t>(r->frame_count / 2);
    run_down(r);
    if (r->frame == middle || hidden(icon)) {
        for (int32_t n = 0; r->countdown <= 0 && n < MAX_STEPS; ++n) {
            r->countdown = static_cast<int8_t>(r->countdown + r->period);
            step_partner(icon);
        }
        return;
    }
    for (int32_t n = 0; r->countdown <= 0 && n < MAX_STEPS; ++n) {
        step_partner(icon);
        r->countdown = static_cast<int8_t>(r->countdown + r->period);
        ++r->frame;
        if (r->frame >= middle) {
            r->frame = middle;
            return;
        }
    }
}

void step_back_to_rest(icon_state_record* r, menu_icon* icon, menu_screen*)
{
    common_start(r, icon);
    if (r->frame == 0 || hidden(icon)) return;
    run_down(r);
    for (int32_t n = 0; r->countdown <= 0 && n < MAX_STEPS; ++n) {
        r->countdown = static_cast<int8_t>(r->countdown + r->period);
        step_partner(icon);
        if (r->frame + 1 >= r->frame_count) {
            r->frame = 0;
            return;
        }
        ++r->frame;
    }
}

void select_left_of_pair(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (!linked(icon)) return;
    make_inactive(icon->child);
    make_active(icon);
}

void select_right_of_pair(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (!icon->parent) return;
    make_active(icon->parent);
    make_inactive(icon);
}

void activate_partner(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon->parent) icon->parent->states[ICON_NORMAL].step = step_to_middle;
    icon->states[ICON_NORMAL].step = deactivate_partner;
}

void deactivate_partner(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon->parent) icon->parent->states[ICON_NORMAL].step = step_back_to_rest;
    icon->states[ICON_NORMAL].step = nullptr;
}

void reset_transition_icon(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (const menu_icon* t = template_of(icon))
        for (int s = 0; s < ICON_STATES; ++s) icon->states[s] = t->states[s];
    icon->states[ICON_FOCUSED].step = open_step;
    icon->states[ICON_NORMAL].step = close_step;
    icon->states[ICON_INACTIVE].step = reset_transition_icon;
}

void open_step(icon_state_record* r, menu_icon* icon, menu_screen*)
{
    common_start(r, icon);
    run_down(r);
    for (int32_t n = 0; r->countdown <= 0 && n < MAX_STEPS; ++n) {
        r->countdown = static_cast<int8_t>(r->countdown + r->period);
        r->frame = static_cast<uint8_t>(r->frame + (icon->limit ? -1 : 1));
        if (icon->states[ICON_NORMAL].frame != 0) {
            reload(icon, ICON_FOCUSED, ICON_FOCUSED, open_step);
            reload(icon, ICON_NORMAL, ICON_NORMAL, close_step);
            flip(icon);
            return;
        }
        if (icon->states[ICON_FOCUSED].frame >= icon->states[ICON_FOCUSED].frame_count) {
            // Fully open: the template's held record takes over, step and all.
            if (const menu_icon* t = template_of(icon)) icon->states[ICON_FOCUSED] = t->states[ICON_HELD];
            flip(icon);
            return;
        }
    }
}

void close_step(icon_state_record* r, menu_icon* icon, menu_screen*)
{
    common_start(r, icon);
    const menu_icon* t = template_of(icon);
    if (r->frame == 0 || hidden(icon)) {
        if (icon->states[ICON_NORMAL].frame == 0 && t) {
            if (!icon->states[ICON_FOCUSED].step) {
                icon->states[ICON_NORMAL] = t->states[ICON_FOCUSED];
                icon->states[ICON_NORMAL].frame = static_cast<uint8_t>(t->states[ICON_FOCUSED].frame_count - 1);
            } else {
                icon->states[ICON_NORMAL] = t->states[ICON_NORMAL];
            }
            icon->states[ICON_FOCUSED] = t->states[ICON_FOCUSED];
        }
        icon->states[ICON_NORMAL].step = close_step;
        icon->states[ICON_FOCUSED].step = open_step;
        return;
    }
    run_down(r);
    for (int32_t n = 0; r->countdown <= 0 && n < MAX_STEPS; ++n) {
        r->countdown = static_cast<int8_t>(r->countdown + r->period);
        r->frame = static_cast<uint8_t>(r->frame + (icon->limit ? -1 : 1));
        if (r->frame == 0) {
            reload(icon, ICON_NORMAL, ICON_NORMAL, close_step);
            reload(icon, ICON_FOCUSED, ICON_FOCUSED, open_step);
            flip(icon);
            return;
        }
        if (icon->states[ICON_FOCUSED].frame != 0) {
            reload(icon, ICON_NORMAL, ICON_FOCUSED, close_step);
            icon->states[ICON_FOCUSED].frame = 0;
            flip(icon);
            return;
        }
    }
}

void random_idle_step(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon->limit == 0) icon->limit = IDLE_LIMIT;
    bool busy = false;
    for (const auto& s : icon->states)
        if (s.frame >= 46 && s.frame <= 75) busy = true;
    for (auto& s : icon->states) s.period = busy ? 6 : 4;
    if (icon->limit == LONG_LIMIT && icon->states[ICON_NORMAL].frame < IDLE_START) {
        icon->limit = IDLE_LIMIT;
        const uint8_t frame = icon->states[ICON_NORMAL].frame;
        for (auto& s : icon->states) s.frame = frame;
    }
    bool at_limit = false;
    for (const auto& s : icon->states)
        if (s.frame >= icon->limit) at_limit = true;
    if (!at_limit) return;
    // The front end draws from the runtime's generator, never the match's.
    if ((crt_rand() & 15) == 0) {
        icon->limit = LONG_LIMIT;
        for (auto& s : icon->states) s.frame = IDLE_LIMIT;
    } else {
        for (auto& s : icon->states) s.frame = IDLE_START;
    }
}

void decide_icon_state(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (hidden(icon)) return;
    const icon_state_record& r = icon->states[icon->state];
    auto table = reinterpret_cast<const void* const*>(r.image);
    const void* image = table ? table[r.frame] : nullptr;
    const int32_t w = image ? sprite_width(image) : 0, h = image ? sprite_height(image) : 0;
    icon->rect_left = static_cast<int16_t>(icon->x - w / 2);
    icon->rect_right = static_cast<int16_t>(icon->x + w / 2);
    icon->rect_top = static_cast<int16_t>(icon->y - h / 2);
    icon->rect_bottom = static_cast<int16_t>(icon->y + h / 2);
    if (!(icon->flags & ICON_FOCUSABLE)) {
        icon->state = ICON_INACTIVE;
        return;
    }
    const int32_t x = icon_input.x, y = icon_input.y;
    if (x < icon->rect_left || x >= icon->rect_right || y < icon->rect_top || y >= icon->rect_bottom)
        icon->state = ICON_NORMAL;
    else if (icon_input.left_pressed)
        icon->state = ICON_CLICKED;
    else if (icon_input.left_down)
        icon->state = ICON_HELD;
    else
        icon->state = ICON_FOCUSED;
}
