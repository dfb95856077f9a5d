#include "frontend/menu_icons.h"

#include "frontend/front_end_state.h"
#include "frontend/screen_runner.h"
#include "gl3d/sprite_queue.h"
#include "platform/fatal_error.h"
#include "platform/memory.h"
#include "screen/fonts.h"
#include "screen/text_animations.h"
#include "screen/screen.h"

#include <cstring>
#include <string>

ActiveIconTable active_icon_table;
IconInput icon_input;
PointerSprite pointer_sprite;
void (*move_pointer_to)(int32_t x, int32_t y);
uint8_t draw_inactive_layer = 1, draw_active_layer = 1;

namespace {

constexpr int32_t MOTION_SPEED = 16; // 640 x 480 units a tick

bool is_text(const menu_icon* icon) { return icon->text != nullptr; }

const void* frame_image(const menu_icon* icon)
{
    const icon_state_record& r = icon->states[icon->state];
    auto table = reinterpret_cast<const void* const*>(r.image);
    return table ? table[r.frame] : nullptr;
}

int32_t clip_number(const menu_icon* icon) { return (icon->flags & ICON_CLIP_MASK) >> ICON_CLIP_SHIFT; }

ClipRect clip_of(const menu_icon* icon)
{
    ClipRect r;
    if (read_clip_rect(clip_number(icon), &r)) return r;
    return ClipRect{0, 0, scale_x_from_640(640), scale_y_from_480(480)};
}

void select_state_font(const menu_icon* icon) { select_font(static_cast<int16_t>(icon->states[icon->state].image)); }

int32_t rounded_div(int32_t value, double s) { return static_cast<int32_t>(value / s + (value >= 0 ? 0.5 : -0.5)); }

void focus_centre(const menu_icon* icon)
{
    if (move_pointer_to) move_pointer_to((icon->rect_left + icon->rect_right) / 2, (icon->rect_top + icon->rect_bottom) / 2);
}

void put_in_slot(menu_icon* icon, uint8_t group)
{
    for (IconSlot& s : active_icon_table.slots) {
        if (s.icon) continue;
        s.icon = icon;
        s.group = group;
        ++active_icon_table.count;
        active_icon_table.changed = 1;
        return;
    }
    fatal_error(FATAL_ICON_TABLE_FULL);
}

bool hit(const menu_icon* icon, int32_t x, int32_t y)
{
    return icon->rect_left <= x && x < icon->rect_right && icon->rect_top <= y && y < icon->rect_bottom;
}

// The icon is focused and tested for a click in one go.
void take_click(menu_icon* icon)
{
    if (icon_input.left_pressed) {
        icon->state = ICON_CLICKED;
        if (icon->flags & ICON_CAPTURE) active_icon_table.press_capture = 1;
    } else if (icon_input.left_down && (icon->previous_state == ICON_CLICKED || icon->previous_state == ICON_HELD)) {
        icon->state = ICON_HELD;
    } else {
        icon->state = ICON_FOCUSED;
    }
}

void make_focus(menu_icon* icon, uint8_t group)
{
    active_icon_table.focus_icon = icon;
    active_icon_table.focus_group = group;
}

// Frames carry over when the state changed to a record of the same images.
void carry_over(icon_state_record* record, menu_icon* icon)
{
    if (icon->state == icon->previous_state) return;
    const icon_state_record& before = icon->states[icon->previous_state];
    if (before.image != record->image) return;
    record->frame = before.frame;
    record->countdown = before.countdown;
}

// Advances the record's frame; true when it passed the last frame.
bool advance(icon_state_record* record)
{
    bool wrapped = false;
    record->countdown = static_cast<int8_t>(record->countdown - front_end_state.frame_ticks);
    while (record->countdown < 1) {
        record->countdown = static_cast<int8_t>(record->countdown + (record->period > 0 ? record->period : 1));
        if (++record->frame >= record->frame_count) {
            record->frame = 0;
            wrapped = true;
        }
    }
    return wrapped;
}

void motion_setup(menu_icon* icon, uint8_t kind)
{
    int32_t dx = 0, dy = 0;
    switch (kind) {
    case 5: dx = -640; break;
    case 6: dx = 640; break;
    case 7: dy = -640; break;
    case 8: dy = 640; break;
    default: return;
    }
    icon->x = static_cast<int16_t>(icon->x + scale_x_from_640(dx));
    icon->y = static_cast<int16_t>(icon->y + scale_y_from_480(dy));
    icon->motion_ticks = 40;
}

void remove_child_chain(menu_icon* icon)
{
    menu_icon* child = icon->child;
    icon->child = nullptr;
    while (child) {
        menu_icon* next = child->child;
        child->child = nullptr;
        remove_icon(child);
        free_mem(child);
        child = next;
    }
}

} // namespace

menu_icon* copy_icon(const menu_icon& from, const char* tag)
{
    auto* icon = static_cast<menu_icon*>(alloc_mem(sizeof(menu_icon), tag));
    std::memcpy(static_cast<void*>(icon), &from, sizeof(menu_icon));
    return icon;
}

void free_icon(menu_icon* icon)
{
    if (icon) free_mem(icon);
}

void add_child_icon(menu_icon* icon, int32_t x, int32_t y, uint8_t group)
{
    icon->x = static_cast<int16_t>(x);
    icon->y = static_cast<int16_t>(y);
    update_icon(icon);
    put_in_slot(icon, group);
    menu_icon* parent = icon;
    while ((parent->flags & ICON_HAS_CHILD) && parent->child_template) {
        menu_icon* child = copy_icon(*parent->child_template, "Child Icon");
        child->parent = parent;
        child->child = nullptr;
        parent->child = child;
        child->x = static_cast<int16_t>(parent->x + parent->child_template->x);
        child->y = static_cast<int16_t>(parent->y + parent->child_template->y);
        update_icon(child);
        put_in_slot(child, 0);
        parent = child;
    }
}

int32_t icon_slot(const menu_icon* icon)
{
    if (!icon) return -1;
    for (int32_t i = ICON_TABLE_SLOTS - 1; i >= 0; --i)
        if (active_icon_table.slots[i].icon == icon) return i;
    return -1;
}

void remove_icon(menu_icon* icon)
{
    active_icon_table.changed = 1;
    int32_t slot = icon_slot(icon);
    if (slot < 0) return;
    active_icon_table.slots[slot] = IconSlot{};
    --active_icon_table.count;
    // Its owner frees it next: no focus may point at it.
    if (active_icon_table.focus_icon == icon) active_icon_table.focus_icon = nullptr;
    if (active_icon_table.saved_focus == icon) active_icon_table.saved_focus = nullptr;
    if (icon->flags & ICON_HAS_CHILD) remove_child_chain(icon);
}

void clear_icon_table()
{
    for (IconSlot& s : active_icon_table.slots) s = IconSlot{};
    active_icon_table.count = 0;
    active_icon_table.focus_icon = nullptr;
}

namespace {

// The icon's rectangle before it is clamped into its clip window.
ClipRect unclipped_rect(menu_icon* icon)
{
    int32_t left, right, top, bottom;
    const bool scaled = (icon->flags & ICON_SCALED) && (icon->scale & 0xFFFF);
    const double s = scaled ? (icon->scale & 0xFFFF) / 256.0 : 1.0;
    if (is_text(icon)) {
        select_state_font(icon);
        const int32_t w = icon->width == -1 ? string_width(icon->text) : icon->width;
        const int32_t h = icon->height == -1 ? string_height(icon->text) : icon->height;
        left = icon->x, right = icon->x + w, top = icon->y, bottom = icon->y + h;
    } else {
        const void* image = frame_image(icon);
        const int32_t fw = image ? sprite_width(image) : 0, fh = image ? sprite_height(image) : 0;
        const int32_t ox = image ? sprite_x_offset(image) : 0, oy = image ? sprite_y_offset(image) : 0;
        if (icon->width == -1) {
            left = icon->x - rounded_div(ox, s);
            right = icon->x - rounded_div(ox - fw, s);
        } else {
            left = icon->x - (icon->width >> 1);
            right = icon->x + (icon->width >> 1);
        }
        if (icon->height == -1) {
            top = icon->y - rounded_div(oy, s);
            bottom = icon->y - rounded_div(oy - fh, s);
        } else {
            top = icon->y - (icon->height >> 1);
            bottom = icon->y + (icon->height >> 1);
        }
    }
    return ClipRect{left, top, right, bottom};
}

} // namespace

void update_icon(menu_icon* icon)
{
    const ClipRect u = unclipped_rect(icon);
    int32_t left = u.left, right = u.right, top = u.top, bottom = u.bottom;
    const ClipRect c = clip_of(icon);
    auto clamp = [](int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); };
    left = clamp(left, c.left, c.right), right = clamp(right, c.left, c.right);
    top = clamp(top, c.top, c.bottom), bottom = clamp(bottom, c.top, c.bottom);
    if (right < left) left = right;
    if (bottom < top) top = bottom;
    icon->rect_left = static_cast<int16_t>(left), icon->rect_right = static_cast<int16_t>(right);
    icon->rect_top = static_cast<int16_t>(top), icon->rect_bottom = static_cast<int16_t>(bottom);
}

void update_icon_states(menu_screen*)
{
    ActiveIconTable& t = active_icon_table;
    IconSlot snapshot[ICON_TABLE_SLOTS];
    std::memcpy(snapshot, t.slots, sizeof snapshot);
    if (!icon_input.left_down) t.press_capture = 0;
    const int32_t px = icon_input.x, py = icon_input.y;
    menu_icon* remembered = nullptr;
    for (const IconSlot& s : snapshot) {
        menu_icon* icon = s.icon;
        if (!icon) continue;
        icon->flags &= ~ICON_CLIPPED_OUT;
        icon->previous_state = icon->state;
        update_icon(icon);
        // Clamped into its window, an icon wholly outside it keeps no area.
        if (icon->rect_right <= icon->rect_left || icon->rect_bottom <= icon->rect_top) icon->flags |= ICON_CLIPPED_OUT;
        if (!(icon->flags & ICON_FOCUSABLE) || (icon->flags & ICON_CLIPPED_OUT) || icon->state == ICON_INACTIVE)
            continue;
        const bool hits = hit(icon, px, py) && !(t.press_capture && icon_input.left_down);
        menu_icon* focus = t.focus_icon;
        if (!hits) {
            if (icon == focus) {
                icon->state = ICON_FOCUSED;
                remembered = icon;
            } else {
                icon->state = ICON_NORMAL;
            }
        } else if (icon == focus) {
            take_click(icon);
        } else if (focus && focus->rect_left < px && px < focus->rect_right && focus->rect_top <= py &&
                   py < focus->rect_bottom) {
            if (focus->flags & ICON_KEEPS_FOCUS) {
                icon->state = ICON_FOCUSED;
            } else {
                focus->state = ICON_NORMAL;
                make_focus(icon, s.group);
                take_click(icon);
            }
        } else {
            make_focus(icon, s.group);
            icon->state = ICON_FOCUSED;
        }
    }
    menu_icon* focus = t.focus_icon;
    if (focus && t.press_capture && icon_input.left_down && !icon_input.left_pressed) focus->state = ICON_HELD;
    if (remembered && remembered != t.focus_icon) remembered->state = ICON_NORMAL;
    focus = t.focus_icon;
    if (focus && focus->state != ICON_CLICKED && focus->state != ICON_HELD) {
        if (icon_input.keys_new & 0xF0)
            focus->state = ICON_CLICKED;
        else if ((icon_input.keys & 0xF0) && (focus->previous_state == ICON_CLICKED || focus->previous_state == ICON_HELD))
            focus->state = ICON_HELD;
    }
    if (focus && focus->state == ICON_CLICKED) front_end_state.result = static_cast<uint8_t>(focus->result_code);
    for (int32_t i = 0; i < ICON_TABLE_SLOTS; ++i) {
        menu_icon* icon = snapshot[i].icon;
        if (!icon) continue;
        if (t.changed && t.slots[i].icon != icon) continue;
        if (icon->flags & ICON_CLIPPED_OUT) continue;
        icon_state_record* r = &icon->states[icon->state];
        if (r->step) r->step(r, icon, screen_being_run());
        if (t.slots[i].icon != icon) continue;
        r = &icon->states[icon->state];
        if (r->handler) r->handler(r, icon, screen_being_run());
        if (t.slots[i].icon != icon) continue;
        if (icon->state == ICON_CLICKED && front_end_state.result == 0)
            front_end_state.result = static_cast<uint8_t>(icon->result_code);
    }
    t.changed = 0;
}

void draw_icons(menu_screen* screen)
{
    invalidate_text_sprites();
    if (screen && (screen->flags & SCREEN_POINTER) && pointer_sprite.frames) {
        queue_sprite_if_enabled(pointer_sprite.frames[pointer_sprite.frame], static_cast<int16_t>(icon_input.x),
                                static_cast<int16_t>(icon_input.y), 0, 250, 256, 0);
        if (pointer_sprite.step) pointer_sprite.step(&pointer_sprite, 0, 0);
    }
    if (screen && (screen->flags & SCREEN_TITLE) && screen->title_text) {
        const int32_t x = scale_x_from_640(screen->title_x), y = scale_y_from_480(screen->title_y);
        if (!screen->title_anim) {
            draw_control_string(screen->title_text, x, y, 0);
        } else {
            if (draw_animated_text(screen->title_text, x, y, screen->title_anim, screen->title_time, 0)) screen->title_anim = 0;
            screen->title_time += static_cast<uint32_t>(front_end_state.frame_ticks);
        }
    }
    for (IconSlot& s : active_icon_table.slots) {
        menu_icon* icon = s.icon;
        if (!icon) continue;
        const bool inactive = icon->state == ICON_INACTIVE;
        if ((inactive && !draw_inactive_layer) || (!inactive && !draw_active_layer)) continue;
        if (icon->flags & (ICON_HIDDEN | ICON_CLIPPED_OUT)) continue;
        if (is_text(icon)) {
            if (screen && !(screen->flags & SCREEN_TEXT)) continue;
            select_state_font(icon);
            if (!icon->anim) {
                draw_string(icon->text, icon->x, icon->y, current_font(), clip_number(icon));
            } else {
                if (draw_animated_text(icon->text, icon->x, icon->y, icon->anim, icon->anim_time, clip_number(icon)))
                    icon->anim = 0;
                icon->anim_time += static_cast<uint32_t>(front_end_state.frame_ticks);
            }
            continue;
        }
        if (screen && !(screen->flags & SCREEN_SPRITES)) continue;
        const void* image = frame_image(icon);
        if (!image) continue;
        const uint16_t scale = (icon->flags & ICON_SCALED) ? static_cast<uint16_t>(icon->scale) : 256;
        if (icon->anim >= 1 && icon->anim <= 8) {
            if (!run_icon_motion_step(icon->anim, icon)) continue;
            uint16_t flags = (icon->flags & ICON_TO_OVERLAY) ? SPRITE_TO_OVERLAY : 0;
            queue_sprite_if_enabled(image, icon->x, icon->y, flags, (icon->flags & ICON_KEEPS_FOCUS) ? 125 : 50, scale, 0);
            continue;
        }
        uint16_t flags = (icon->flags & ICON_TOP) ? 0xC0 : ((icon->flags & ICON_OPAQUE) ? 0 : 0x40);
        if (icon->flags & ICON_TO_OVERLAY) flags |= SPRITE_TO_OVERLAY;
        const int16_t priority = (icon->flags & (ICON_TOP | ICON_KEEPS_FOCUS)) ? 125 : 50;
        queue_sprite_if_enabled(image, icon->x, icon->y, flags, priority, scale, static_cast<uint8_t>(clip_number(icon)));
    }
    redraw_text_sprites();
}

void set_icon_state_field(menu_icon* icon, int32_t state, IconFn handler)
{
    for (int32_t s = 0; s < ICON_STATES; ++s)
        if (state == -1 || state == s) icon->states[s].handler = handler;
}

void set_icon_state_stepper(menu_icon* icon, int32_t state, IconFn step)
{
    for (int32_t s = 0; s < ICON_STATES; ++s)
        if (state == -1 || state == s) icon->states[s].step = step;
}

int32_t find_icon_index(const menu_icon* icon)
{
    int32_t slot = icon_slot(icon);
    if (slot < 0) fatal_error(FATAL_ICON_NOT_IN_TABLE);
    return slot;
}

void set_focus_icon(menu_icon* icon)
{
    int32_t slot = find_icon_index(icon);
    if (icon != active_icon_table.focus_icon) focus_centre(icon);
    make_focus(icon, active_icon_table.slots[slot].group);
}

void mark_clipped_icons()
{
    for (IconSlot& s : active_icon_table.slots) {
        menu_icon* icon = s.icon;
        if (!icon) continue;
        icon->flags &= ~ICON_CLIPPED_OUT;
        const ClipRect c = clip_of(icon);
        if (icon->rect_right <= c.left || c.right <= icon->rect_left || icon->rect_bottom <= c.top ||
            c.bottom <= icon->rect_top)
            icon->flags |= ICON_CLIPPED_OUT;
    }
}

void sort_icons_by_position()
{
    // Insertion sort: free slots compare equal to everything, so the order
    // is not a strict weak one and only a pairwise stable sort is sound.
    IconSlot* s = active_icon_table.slots;
    auto before = [](const IconSlot& a, const IconSlot& b) {
        if (!a.icon || !b.icon) return false;
        return a.icon->x != b.icon->x ? a.icon->x < b.icon->x : a.icon->y < b.icon->y;
    };
    for (int32_t i = 1; i < ICON_TABLE_SLOTS; ++i) {
        for (int32_t j = i; j > 0 && before(s[j], s[j - 1]); --j) {
            IconSlot tmp = s[j];
            s[j] = s[j - 1];
            s[j - 1] = tmp;
        }
    }
}

void step_frames_loop(icon_state_record* record, menu_icon* icon, menu_screen*)
{
    carry_over(record, icon);
    if (icon->flags & ICON_HIDDEN) return;
    advance(record);
}

void step_frames_once(icon_state_record* record, menu_icon* icon, menu_screen*)
{
    carry_over(record, icon);
    if ((icon->flags & ICON_HIDDEN) || record->frame == 0) return;
    advance(record);
}

void step_frames_once_then_stop(icon_state_record* record, menu_icon* icon, menu_screen*)
{
    carry_over(record, icon);
    if (icon->flags & ICON_HIDDEN) return;
    if (advance(record)) set_icon_state_stepper(icon, -1, nullptr);
}

bool run_icon_motion_step(uint8_t kind, menu_icon* icon)
{
    const int32_t d = MOTION_SPEED * front_end_state.frame_ticks;
    const int32_t dx = scale_x_from_640(d), dy = scale_y_from_480(d);
    const int32_t width = scale_x_from_640(640), height = scale_y_from_480(480);
    auto gone = [&]() {
        remove_icon(icon);
        return false;
    };
    switch (kind) {
    // Slid out: gone once the frame has wholly left the screen.
    case 1:
        icon->x = static_cast<int16_t>(icon->x - dx);
        if (unclipped_rect(icon).right < 0) return gone();
        update_icon(icon);
        return true;
    case 2:
        icon->x = static_cast<int16_t>(icon->x + dx);
        if (unclipped_rect(icon).left > width) return gone();
        update_icon(icon);
        return true;
    case 3:
        icon->y = static_cast<int16_t>(icon->y - dy);
        if (unclipped_rect(icon).bottom < 0) return gone();
        update_icon(icon);
        return true;
    case 4:
        icon->y = static_cast<int16_t>(icon->y + dy);
        if (unclipped_rect(icon).top > height) return gone();
        update_icon(icon);
        return true;
    case 5: case 6: case 7: case 8: {
        int32_t step = d;
        icon->motion_ticks -= front_end_state.frame_ticks;
        if (icon->motion_ticks < 0) {
            step += MOTION_SPEED * icon->motion_ticks; // the last step is short
            icon->motion_ticks = 0;
        }
        const int32_t sx = scale_x_from_640(step), sy = scale_y_from_480(step);
        if (kind == 5) icon->x = static_cast<int16_t>(icon->x + sx);
        if (kind == 6) icon->x = static_cast<int16_t>(icon->x - sx);
        if (kind == 7) icon->y = static_cast<int16_t>(icon->y + sy);
        if (kind == 8) icon->y = static_cast<int16_t>(icon->y - sy);
        if (icon->motion_ticks <= 0) icon->anim = 0;
        update_icon(icon);
        return true;
    }
    default: return true;
    }
}

void start_icon_open_animation(menu_icon* icon)
{
    if (is_text(icon)) {
        icon->anim = icon->open_anim;
        icon->anim_time = 0;
        return;
    }
    // Without a closing kind the sprite shows at home: it does not move in.
    if (!icon->close_anim) return;
    motion_setup(icon, icon->open_anim);
    icon->anim = icon->open_anim;
}

void start_icon_close_animation(menu_icon* icon)
{
    if (is_text(icon)) {
        icon->anim = icon->close_anim;
        icon->anim_time = 0;
        return;
    }
    if (!icon->close_anim) return;
    motion_setup(icon, icon->close_anim);
    icon->anim = icon->close_anim;
}

void start_icon_close_animations(menu_screen* screen)
{
    if (screen) {
        screen->title_time = 0;
        screen->title_anim = screen->title_close_anim;
    }
    for (IconSlot& s : active_icon_table.slots)
        if (s.icon && !(s.icon->flags & (ICON_HIDDEN | ICON_INERT))) start_icon_close_animation(s.icon);
}

bool step_icon_close_animations(menu_screen* screen)
{
    bool done = true;
    if (screen) {
        if (screen->title_anim == 0) screen->flags &= ~SCREEN_TITLE;
        else done = false;
    }
    const bool overlay = screen && (screen->flags & SCREEN_OVERLAY);
    for (IconSlot& s : active_icon_table.slots) {
        menu_icon* icon = s.icon;
        if (!icon || (icon->flags & ICON_INERT)) continue;
        if (icon->anim) {
            done = false;
            continue;
        }
        if (overlay && (icon->flags & ICON_KEPT_APART)) continue;
        remove_icon(icon);
    }
    return done;
}

bool icons_settled(menu_screen* screen)
{
    if (screen && screen->title_anim) return false;
    for (const IconSlot& s : active_icon_table.slots)
        if (s.icon && !(s.icon->flags & ICON_INERT) && s.icon->anim) return false;
    return true;
}

void start_group_open_animations(bool text, uint8_t open_kind, uint8_t close_kind, uint8_t group, int32_t skip,
                                 int32_t count)
{
    auto apply = [&](IconSlot& s) {
        if (!s.icon || is_text(s.icon) != text || (group != 127 && s.group != group)) return;
        if (skip > 0) {
            --skip;
            return;
        }
        if (count <= 0) return;
        --count;
        s.icon->open_anim = open_kind;
        s.icon->close_anim = close_kind;
        if (open_kind) start_icon_open_animation(s.icon);
    };
    if (text)
        for (int32_t i = ICON_TABLE_SLOTS - 1; i >= 0; --i) apply(active_icon_table.slots[i]);
    else
        for (IconSlot& s : active_icon_table.slots) apply(s);
}

void create_sub_menu_table()
{
    ActiveIconTable& t = active_icon_table;
    t.saved_focus = t.focus_icon;
    t.sub_menu_table = static_cast<uint8_t*>(alloc_mem(ICON_TABLE_SLOTS, "Sub menu table"));
    for (int32_t i = 0; i < ICON_TABLE_SLOTS; ++i) {
        menu_icon* icon = t.slots[i].icon;
        t.sub_menu_table[i] = 0;
        if (!icon) continue;
        if (icon->flags & ICON_KEPT_APART) {
            icon->flags |= ICON_HIDDEN;
            continue;
        }
        const icon_state_record& now = icon->states[icon->state];
        icon_state_record& inactive = icon->states[ICON_INACTIVE];
        inactive.frame = now.frame;
        inactive.countdown = now.countdown;
        inactive.period = now.period;
        t.sub_menu_table[i] = icon->state;
        icon->state = ICON_INACTIVE;
        icon->flags |= ICON_INERT;
    }
}

void hide_sub_menu_icons()
{
    for (IconSlot& s : active_icon_table.slots)
        if (s.icon && (s.icon->flags & ICON_INERT)) s.icon->flags |= ICON_HIDDEN;
}

void restore_sub_menu_table()
{
    ActiveIconTable& t = active_icon_table;
    if (!t.sub_menu_table) return;
    for (int32_t i = 0; i < ICON_TABLE_SLOTS; ++i) {
        menu_icon* icon = t.slots[i].icon;
        if (!icon || (icon->flags & ICON_KEPT_APART)) continue;
        uint8_t state = t.sub_menu_table[i];
        if (state == ICON_CLICKED || state == ICON_HELD) state = ICON_FOCUSED;
        icon->state = state;
        icon->flags &= ~(ICON_HIDDEN | ICON_INERT);
    }
    free_mem(t.sub_menu_table);
    t.sub_menu_table = nullptr;
    // The saved focus may have gone with its owner meanwhile.
    t.focus_icon = icon_slot(t.saved_focus) >= 0 ? t.saved_focus : nullptr;
    if (t.focus_icon) t.focus_group = t.slots[icon_slot(t.focus_icon)].group;
    t.saved_focus = nullptr;
}

void unhide_kept_icons()
{
    for (IconSlot& s : active_icon_table.slots)
        if (s.icon && (s.icon->flags & ICON_KEPT_APART)) s.icon->flags &= ~ICON_HIDDEN;
}

void remove_sub_menu_icons()
{
    for (IconSlot& s : active_icon_table.slots)
        if (s.icon && (s.icon->flags & ICON_INERT)) remove_icon(s.icon);
}

void set_icon_frames(menu_icon* icon, const icon_state_record* record)
{
    for (icon_state_record& r : icon->states) {
        r.frame = record->frame;
        r.countdown = record->countdown;
        r.period = record->period;
    }
}

namespace {

int32_t icon_text_width(const menu_icon* icon)
{
    select_state_font(icon);
    return string_width(icon->text);
}

void move_icon_to(menu_icon* icon, int32_t x_units)
{
    icon->x = static_cast<int16_t>(scale_x_from_640(x_units));
    update_icon(icon);
}

// The text's width in 640 units.
int32_t width_units(int32_t pixels)
{
    const int32_t screen_width = scale_x_from_640(640);
    return screen_width > 0 ? pixels * 640 / screen_width : pixels;
}

} // namespace

void centre_icon_text_on_screen(menu_icon* icon)
{
    if (icon->text) move_icon_to(icon, (640 - width_units(icon_text_width(icon))) / 2);
}

void centre_icon_text_at(menu_icon* icon, int32_t x)
{
    if (icon->text) move_icon_to(icon, x - width_units(icon_text_width(icon)) / 2);
}

void right_align_icon_text(menu_icon* icon, int32_t x)
{
    if (icon->text) move_icon_to(icon, x - width_units(icon_text_width(icon)));
}

void align_icon_text_at_marker(menu_icon* icon, const char* marker, int32_t x)
{
    if (!icon->text) return;
    const char* found = std::strstr(icon->text, marker);
    if (!found) return;
    select_state_font(icon);
    std::string prefix(icon->text, static_cast<size_t>(found - icon->text));
    move_icon_to(icon, x + width_units(string_width(marker)) / 2 - width_units(string_width(prefix.c_str())));
}

void reset_menu_icons()
{
    if (active_icon_table.sub_menu_table) free_mem(active_icon_table.sub_menu_table);
    active_icon_table = ActiveIconTable{};
    icon_input = IconInput{};
    pointer_sprite = PointerSprite{};
    draw_inactive_layer = draw_active_layer = 1;
}
