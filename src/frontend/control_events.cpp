#include "frontend/control_events.h"

#include "frontend/screen_runner.h"
#include "platform/input.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <cstring>

A_STRING_CONTROL* caret_field;

namespace {

constexpr int32_t KEY_BACKSPACE = 14, KEY_HOME = 199, KEY_END = 207, KEY_CARET_LEFT = 203, KEY_CARET_RIGHT = 205,
                  KEY_INSERT = 210, KEY_DELETE = 211, KEY_LSHIFT = 42, KEY_RSHIFT = 54;

struct RecordHead {
    uint32_t size;
    control* self;
};

control* owner_control(const void* record) { return record ? static_cast<const RecordHead*>(record)->self : nullptr; }

A_STRING_CONTROL* string_of(const menu_icon* icon) { return icon ? static_cast<A_STRING_CONTROL*>(icon->record) : nullptr; }
A_SELECT_CONTROL* select_of(const menu_icon* icon) { return icon ? static_cast<A_SELECT_CONTROL*>(icon->record) : nullptr; }
A_SLIDER_CONTROL* slider_of(const menu_icon* icon) { return icon ? static_cast<A_SLIDER_CONTROL*>(icon->record) : nullptr; }

void call(IconFn fn, icon_state_record* r, menu_icon* icon, menu_screen* s)
{
    if (fn) fn(r, icon, s);
}

void set_images(menu_icon& icon, uintptr_t image)
{
    for (auto& st : icon.states) st.image = image;
}

bool pointer_down() { return icon_input.left_down; }

int32_t text_width_of(const A_STRING_CONTROL* r, const char* text, int32_t n)
{
    select_font(static_cast<int16_t>(r->display.text_icon.states[r->display.text_icon.state].image));
    return string_width(std::string_view(text, static_cast<size_t>(n)));
}

// --- Slider geometry, in screen pixels along the slider's axis ---

struct Axis {
    int32_t track_start, track_end, thumb_start, thumb_end, pointer;
};

Axis axis_of(const A_SLIDER_CONTROL* r)
{
    const slider_display& d = r->display;
    if (r->settings.orientation == SLIDER_VERTICAL)
        return {d.track.rect_top, d.track.rect_bottom, d.thumb.rect_top, d.thumb.rect_bottom, icon_input.y};
    return {d.track.rect_left, d.track.rect_right, d.thumb.rect_left, d.thumb.rect_right, icon_input.x};
}

void set_thumb_centre(A_SLIDER_CONTROL* r, int32_t centre)
{
    menu_icon& t = r->display.thumb;
    update_icon(&t);
    if (r->settings.orientation == SLIDER_VERTICAL)
        t.y = static_cast<int16_t>(t.y + centre - (t.rect_top + t.rect_bottom) / 2);
    else
        t.x = static_cast<int16_t>(t.x + centre - (t.rect_left + t.rect_right) / 2);
    update_icon(&t);
}

bool has_icons(const A_SLIDER_CONTROL* r) { return !(r->settings.flags & SLIDER_CUSTOM_DRAW); }

void add_to_value(A_SLIDER_CONTROL* r, int32_t delta)
{
    if (!r->settings.value) return;
    *r->settings.value += delta;
    clamp_slider_value(r);
}

// --- Scroll sliders ---

A_SLIDER_CONTROL* make_scroll_slider(control* host, void* owner, const slider_display& look, uint32_t flags, int32_t x,
                                     int32_t y, uint32_t orientation, int32_t page, int32_t maximum, int32_t* value,
                                     IconFn moved)
{
    control* t = nullptr;
    create_control(CONTROL_SLIDER, &t);
    A_SLIDER_CONTROL* ts = slider_record(t);
    ts->settings.flags = flags ? flags : 1;
    ts->settings.x = x, ts->settings.y = y;
    ts->settings.page_up = ts->settings.page_down = page;
    ts->settings.orientation = orientation;
    ts->settings.minimum = 0;
    ts->settings.maximum = maximum;
    ts->settings.value = value;
    ts->display = look;
    ts->display.size = sizeof(slider_display);
    ts->display.owner = owner;
    A_SLIDER_CONTROL::Callbacks& cb = ts->callbacks;
    cb.paged_up = cb.paged_down = cb.decrease_clicked = cb.decrease_repeat = moved;
    cb.increase_clicked = cb.increase_repeat = cb.thumb_dragged = moved;
    control* sc = nullptr;
    create_control_from_template(host->parent_list, nullptr, CONTROL_SLIDER, t, &sc);
    free_control_data(&t);
    draw_control_tree(sc);
    return slider_record(sc);
}

void remove_scroll_slider(A_SLIDER_CONTROL*& slider)
{
    if (!slider) return;
    control* sc = slider->self;
    slider = nullptr;
    delete_control(sc->parent_list, &sc);
}

A_LIST_CONTROL* nearest_scrolling_list(const menu_icon* focus)
{
    if (!focus || !focus->record) return nullptr;
    control* c = nullptr;
    if (focus->owner) c = owner_control(focus->owner); // a scroll slider's icon
    else c = owner_control(focus->record);
    for (; c; c = c->parent)
        if (A_LIST_CONTROL* l = list_record(c); l && l->settings.vslider) return l;
    return nullptr;
}

void scroll_list_by(menu_screen*, bool up)
{
    menu_icon* focus = active_icon_table.focus_icon;
    A_LIST_CONTROL* l = nearest_scrolling_list(focus);
    if (!l) return;
    control* focused = owner_control(focus->record);
    const int32_t step = control_height(focused) + l->settings.item_spacing;
    l->settings.vscroll += up ? -step : step;
    erase_control_list(l->settings.items);
    clamp_slider_value(l->settings.vslider);
    l->settings.applied_vscroll = l->settings.vscroll;
    relayout_list_control(l);
    slider_value_to_thumb(l->settings.vslider);
}

void clear_list_hooks()
{
    list_scroll_up_hook = list_scroll_down_hook = nullptr;
    list_page_up_hook = list_page_down_hook = nullptr;
}

void hand_keys_to(A_STRING_CONTROL* s)
{
    if (s->settings.flags & STRING_EDITABLE) {
        s->display.text_icon.flags |= ICON_VALUE_KEYS;
        caret_field = s;
        value_left_hook = caret_left_hook;
        value_right_hook = caret_right_hook;
        string_control_poll_keys(s);
    } else {
        s->display.text_icon.flags &= static_cast<uint16_t>(~ICON_VALUE_KEYS);
        if (caret_field == s) caret_field = nullptr;
        value_left_hook = value_right_hook = nullptr;
        call(s->callbacks.text_focused, nullptr, &s->display.text_icon, screen_being_run());
    }
}

// --- Scan-code tables ---

struct ScanTables {
    uint8_t normal[256], shifted[256], hex[128], numeric[128];
    ScanTables() : normal{}, shifted{}, hex{}, numeric{}
    {
        auto put = [](uint8_t* t, int from, const char* chars) {
            for (int i = 0; chars[i]; ++i) t[from + i] = static_cast<uint8_t>(chars[i]);
        };
        put(normal, 2, "1234567890-=");
        put(shifted, 2, "!\"\xA3$%^&*()_+");
        put(normal, 16, "qwertyuiop[]");
        put(shifted, 16, "QWERTYUIOP{}");
        put(normal, 30, "asdfghjkl;'`");
        put(shifted, 30, "ASDFGHJKL:@'");
        put(normal, 43, "\\zxcvbnm,./");
        put(shifted, 43, "|ZXCVBNM<>?");
        for (uint8_t* t : {normal, shifted}) {
            t[14] = 14;
            t[55] = '*';
            t[57] = ' ';
            t[71] = 0xC7;
            t[74] = '-';
            t[76] = '5';
            t[78] = '+';
            t[83] = 0xD3;
            t[199] = 0xC7, t[207] = 0xCF, t[210] = 0xD2, t[211] = 0xD3;
        }
        for (uint8_t* t : {hex, numeric}) {
            put(t, 2, "1234567890");
            t[14] = 14;
            put(t, 71, "789");
            put(t, 75, "456");
            put(t, 79, "1230");
            t[94] = 0xD3, t[95] = 0xCF, t[96] = 0xC7;
        }
        hex[18] = 'e', hex[30] = 'a', hex[32] = 'd', hex[33] = 'f', hex[46] = 'c', hex[48] = 'b';
        numeric[12] = '-', numeric[74] = '-', numeric[78] = '+';
    }
};
const ScanTables k_scan;

} // namespace

uint8_t scan_code_character(int32_t table, int32_t scan_code)
{
    if (scan_code < 0 || scan_code > 255) return 0;
    switch (table) {
    case 0: return k_scan.normal[scan_code];
    case 1: return k_scan.shifted[scan_code];
    case 2: return scan_code < 128 ? k_scan.hex[scan_code] : 0;
    case 3: return scan_code < 128 ? k_scan.numeric[scan_code] : 0;
    default: return 0;
    }
}

// --- Per-frame update ---

void update_control_list(control_list* list)
{
    if (!list) return;
    // By position: updates may add or delete scroll sliders in this list.
    for (int32_t i = 0;; ++i) {
        A_LLIST_NODE* n = list_nth(list, i);
        if (!n) break;
        control* c = static_cast<control*>(n->data);
        switch (c->type) {
        case CONTROL_LIST: {
            A_LIST_CONTROL* r = list_record(c);
            if (r->settings.vslider && !r->settings.vslider->settings.dragging) slider_value_to_thumb(r->settings.vslider);
            update_list_scroll_sliders(r);
            break;
        }
        case CONTROL_STRING: {
            A_STRING_CONTROL* r = string_record(c);
            if (!r->display.drawn || r->display.text_icon.state == ICON_FOCUSED) break;
            set_images(r->display.text_icon, r->display.text_icon.states[0].image);
            if (A_SELECT_CONTROL* ps = select_record(c->parent))
                set_images(ps->display.label_icon, ps->display.label_icon.states[0].image);
            break;
        }
        case CONTROL_SELECT: {
            A_SELECT_CONTROL* r = select_record(c);
            if (r->display.drawn && r->display.label_icon.state != ICON_FOCUSED) {
                set_images(r->display.label_icon, r->display.label_icon.states[0].image);
                if (A_STRING_CONTROL* s = string_record(list_current_data(r)))
                    set_images(s->display.text_icon, s->display.text_icon.states[0].image);
            }
            update_select_scroll(r);
            break;
        }
        case CONTROL_SLIDER: {
            A_SLIDER_CONTROL* r = slider_record(c);
            if (!pointer_down()) r->settings.dragging = 0;
            if (has_icons(r)) {
                if (r->settings.dragging && r->display.drawn) {
                    const Axis a = axis_of(r);
                    const int32_t half = (a.thumb_end - a.thumb_start) / 2;
                    int32_t centre = a.pointer - r->settings.grab_offset;
                    if (a.pointer < a.track_start) centre = a.track_start + half;
                    else if (a.pointer > a.track_end) centre = a.track_end - half;
                    set_thumb_centre(r, centre);
                    clamp_slider_thumb(r);
                    slider_thumb_to_value(r);
                    if (icon_slot(&r->display.thumb) >= 0) set_focus_icon(&r->display.thumb);
                }
            } else {
                clamp_slider_value(r);
                const int32_t range = r->settings.maximum - r->settings.minimum;
                const int32_t v = r->settings.value ? *r->settings.value : r->settings.minimum;
                if (r->callbacks.custom_draw)
                    r->callbacks.custom_draw(c, r->settings.x + r->settings.offset_x, r->settings.y + r->settings.offset_y,
                                             r->settings.custom_width, r->settings.custom_height,
                                             range > 0 ? (v - r->settings.minimum) * 100 / range : 0);
            }
            break;
        }
        default: break;
        }
    }
}

// --- Scroll sliders ---

void update_list_scroll_sliders(A_LIST_CONTROL* r)
{
    if (!r || !r->self || !r->self->parent_list) return;
    const ControlRect& w = r->settings.window;
    const int32_t window_h = w.bottom - w.top, window_w = w.right - w.left;
    const int32_t content_h = control_height(r->self);
    const bool v_needed = content_h > window_h && !(r->settings.flags & LIST_NO_VSLIDER);
    if (v_needed) {
        if (!r->settings.vslider) {
            r->settings.vslider = make_scroll_slider(r->self, r, r->display.vslider_template, r->settings.vslider_flags,
                                                     r->settings.vslider_x, r->settings.vslider_y, SLIDER_VERTICAL,
                                                     window_h, content_h - window_h, &r->settings.vscroll,
                                                     list_vertical_scrolled);
        } else {
            r->settings.vslider->settings.minimum = 0;
            r->settings.vslider->settings.maximum = content_h - window_h;
        }
        clamp_slider_value(r->settings.vslider);
        list_scroll_up_hook = list_scroll_up_hook_fn;
        list_scroll_down_hook = list_scroll_down_hook_fn;
        list_page_up_hook = list_page_down_hook = list_scroll_noop_hook;
    } else if (r->settings.vslider) {
        remove_scroll_slider(r->settings.vslider);
        r->settings.applied_vscroll = 0;
        clear_list_hooks();
    }
    const int32_t widest = list_max_width(r->settings.items);
    if (widest > window_w) {
        if (!r->settings.hslider) {
            r->settings.hslider = make_scroll_slider(r->self, r, r->display.hslider_template, 1, r->settings.hslider_x,
                                                     r->settings.hslider_y, SLIDER_HORIZONTAL, window_w,
                                                     widest - window_w, &r->settings.hscroll, list_horizontal_scrolled);
        } else {
            r->settings.hslider->settings.minimum = 0;
            r->settings.hslider->settings.maximum = widest - window_w;
        }
        clamp_slider_value(r->settings.hslider);
        r->settings.offset_x = -r->settings.hscroll;
    } else if (r->settings.hslider) {
        remove_scroll_slider(r->settings.hslider);
        r->settings.offset_x = 0;
    }
}

void update_select_scroll(A_SELECT_CONTROL* r)
{
    if (!r || !r->self) return;
    const int32_t window_w = r->settings.window.right - r->settings.window.left;
    control* choice = list_current_data(r);
    const int32_t cw = control_width(choice);
    const bool needed = r->settings.clip_window >= 1 && !(r->settings.flags & SELECT_NO_CLIP) && cw > window_w;
    if (needed) {
        if (!r->settings.hslider)
            r->settings.hslider = make_scroll_slider(r->self, r, r->display.slider_template, 1, r->settings.hslider_x,
                                                     r->settings.hslider_y, SLIDER_HORIZONTAL, window_w, cw - window_w,
                                                     &r->settings.hscroll, select_scroll_moved);
        clamp_slider_value(r->settings.hslider);
        r->settings.offset_x = -r->settings.hscroll;
        if (choice) set_control_offset(choice, 0, 0);
    } else if (r->settings.hslider) {
        remove_scroll_slider(r->settings.hslider);
        r->settings.offset_x = 0;
    }
}

void list_vertical_scrolled(icon_state_record*, menu_icon* icon, menu_screen*)
{
    auto* l = icon ? static_cast<A_LIST_CONTROL*>(icon->owner) : nullptr;
    if (!l || !list_record(l->self)) return;
    erase_control_list(l->settings.items);
    l->settings.applied_vscroll = l->settings.vscroll;
    relayout_list_control(l);
}

void list_horizontal_scrolled(icon_state_record*, menu_icon* icon, menu_screen*)
{
    auto* l = icon ? static_cast<A_LIST_CONTROL*>(icon->owner) : nullptr;
    if (!l || !list_record(l->self)) return;
    erase_control_list(l->settings.items);
    l->settings.offset_x = -l->settings.hscroll;
    relayout_list_control(l);
}

void select_scroll_moved(icon_state_record*, menu_icon* icon, menu_screen*)
{
    auto* s = icon ? static_cast<A_SELECT_CONTROL*>(icon->owner) : nullptr;
    if (!s || !select_record(s->self)) return;
    control* choice = list_current_data(s);
    erase_control_tree(choice);
    s->settings.offset_x = -s->settings.hscroll;
    draw_control_tree(choice);
}

void string_in_select_scrolled(icon_state_record* r, menu_icon* icon, menu_screen* screen)
{
    select_scroll_moved(r, icon, screen);
    auto* s = icon ? static_cast<A_SELECT_CONTROL*>(icon->owner) : nullptr;
    if (s) place_string_caret(string_record(list_current_data(s)));
}

void list_scroll_up_hook_fn(menu_screen* s) { scroll_list_by(s, true); }
void list_scroll_down_hook_fn(menu_screen* s) { scroll_list_by(s, false); }
void list_scroll_noop_hook(menu_screen*) {}

// --- Selects ---

namespace {

void step_choice(menu_icon* icon, int32_t direction)
{
    A_SELECT_CONTROL* r = select_of(icon);
    if (!r || !r->settings.choices || r->settings.choices->count < 1) return;
    control* old = list_current_data(r);
    erase_control_tree(old);
    if (A_STRING_CONTROL* s = string_record(old))
        for (int i = 0; i < ICON_STATES; ++i) s->display.text_icon.states[i] = s->display.text_saved[i];
    const int32_t count = r->settings.choices->count;
    int32_t c = r->settings.current + direction;
    if (c >= count) c = 0;
    if (c < 0) c = count - 1;
    r->settings.current = c;
    update_select_scroll(r);
    control* now = list_current_data(r);
    const int32_t window_w = r->settings.window.right - r->settings.window.left;
    if (control_width(now) > window_w && r->settings.hslider) {
        r->settings.hslider->settings.maximum = control_width(now) - window_w;
        r->settings.hscroll = 0;
        r->settings.offset_x = 0;
    }
    draw_control_tree(now);
    if (A_STRING_CONTROL* s = string_record(now)) s->display.text_icon.states[0].image = s->display.text_saved[2].image;
    if (r->settings.hslider) slider_value_to_thumb(r->settings.hslider);
}

} // namespace

void select_next_choice(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    step_choice(icon, 1);
    if (A_SELECT_CONTROL* r = select_of(icon)) call(r->callbacks.slot[SELECT_NEXT], rec, icon, s);
}

void select_previous_choice(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    step_choice(icon, -1);
    if (A_SELECT_CONTROL* r = select_of(icon)) call(r->callbacks.slot[SELECT_PREVIOUS], rec, icon, s);
}

void select_focus(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SELECT_CONTROL* r = select_of(icon);
    if (!r) return;
    r->display.highlight = 1;
    set_images(r->display.label_icon, r->display.label_saved[2].image);
    A_STRING_CONTROL* choice = string_record(list_current_data(r));
    if (choice) {
        choice->display.highlight = 1;
        set_images(choice->display.text_icon, choice->display.text_saved[2].image);
    }
    call(r->callbacks.slot[SELECT_FOCUSED], rec, icon, s);
    if (choice) hand_keys_to(choice);
}

void select_label_clicked(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SELECT_CONTROL* r = select_of(icon);
    if (!r) return;
    set_images(r->display.label_icon, r->display.label_saved[3].image);
    if (A_STRING_CONTROL* c = string_record(list_current_data(r))) set_images(c->display.text_icon, c->display.text_saved[3].image);
    call(r->callbacks.slot[SELECT_LABEL_CLICKED], rec, icon, s);
}

void select_label_repeat(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SELECT_CONTROL* r = select_of(icon);
    if (!r) return;
    set_images(r->display.label_icon, r->display.label_saved[4].image);
    if (A_STRING_CONTROL* c = string_record(list_current_data(r))) set_images(c->display.text_icon, c->display.text_saved[4].image);
    call(r->callbacks.slot[SELECT_LABEL_REPEAT], rec, icon, s);
}

void select_label_restore(icon_state_record*, menu_icon* icon, menu_screen*)
{
    A_SELECT_CONTROL* r = select_of(icon);
    if (!r) return;
    A_STRING_CONTROL* c = string_record(list_current_data(r));
    if (!r->display.highlight && !(c && c->display.highlight)) {
        set_images(r->display.label_icon, r->display.label_saved[0].image);
        if (c) set_images(c->display.text_icon, c->display.text_saved[0].image);
    }
    r->display.highlight = 0;
}

// --- Strings ---

void string_text_restore(icon_state_record*, menu_icon* icon, menu_screen*)
{
    A_STRING_CONTROL* r = string_of(icon);
    if (!r) return;
    if (A_SELECT_CONTROL* ps = select_record(string_control_parent(r))) {
        if (!r->display.highlight && !ps->display.highlight) {
            set_images(r->display.text_icon, r->display.text_saved[0].image);
            set_images(ps->display.label_icon, ps->display.label_saved[0].image);
        }
    }
    r->display.highlight = 0;
    // The caret hooks belong to the field only while it holds the focus.
    if (caret_field == r && active_icon_table.focus_icon != icon) {
        caret_field = nullptr;
        value_left_hook = value_right_hook = nullptr;
    }
}

void string_text_focused(icon_state_record*, menu_icon* icon, menu_screen*)
{
    A_STRING_CONTROL* r = string_of(icon);
    if (!r) return;
    r->display.highlight = 1;
    if (A_SELECT_CONTROL* ps = select_record(string_control_parent(r))) {
        set_images(r->display.text_icon, r->display.text_saved[2].image);
        set_images(ps->display.label_icon, ps->display.label_saved[2].image);
        ps->display.highlight = 1;
    }
    hand_keys_to(r);
}

void string_text_clicked(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_STRING_CONTROL* r = string_of(icon);
    if (!r) return;
    if (A_SELECT_CONTROL* ps = select_record(string_control_parent(r))) {
        set_images(r->display.text_icon, r->display.text_saved[3].image);
        set_images(ps->display.label_icon, ps->display.label_saved[3].image);
    }
    if ((r->settings.flags & STRING_LABEL) && r->display.drawn) {
        const bool focused = active_icon_table.focus_icon == &r->display.text_icon;
        erase_string_control(r);
        if (!(r->settings.flags & STRING_LABEL_ALWAYS)) r->settings.label_shown = !r->settings.label_shown;
        draw_string_control(r);
        if (focused && icon_slot(&r->display.text_icon) >= 0) set_focus_icon(&r->display.text_icon);
    }
    call(r->callbacks.text_clicked, rec, icon, s);
}

void string_text_repeat(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    if (A_STRING_CONTROL* r = string_of(icon)) call(r->callbacks.text_repeat, rec, icon, s);
}

void string_label_focused(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    if (A_STRING_CONTROL* r = string_of(icon)) call(r->callbacks.label_focused, rec, icon, s);
}

void string_label_clicked(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    if (A_STRING_CONTROL* r = string_of(icon)) call(r->callbacks.label_clicked, rec, icon, s);
}

void string_label_repeat(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    if (A_STRING_CONTROL* r = string_of(icon)) call(r->callbacks.label_repeat, rec, icon, s);
}

// --- Text entry ---

void string_control_poll_keys(A_STRING_CONTROL* r)
{
    if (!r) return;
    // Shift is read before the keys are taken: its own byte is cleared last.
    for (int32_t code = 1; code < 256; ++code) {
        if (!(key_state[code] & 0x80)) continue;
        if (code == KEY_LSHIFT || code == KEY_RSHIFT) continue;
        string_control_key(r, code);
        key_state[code] = 0;
    }
    key_state[KEY_LSHIFT] = key_state[KEY_RSHIFT] = 0;
    if (--r->settings.blink_counter < 0) r->settings.blink_counter = 2 * r->settings.blink_half_period;
    if (r->settings.blink_counter >= r->settings.blink_half_period && r->display.drawn) {
        const uint8_t caret = r->settings.insert_mode ? r->settings.insert_caret : r->settings.overwrite_caret;
        int32_t x = scale_x_from_640(control_screen_x(r->self)) + string_prefix_width(r);
        if (r->settings.flags & STRING_LABEL) x += scale_x_from_640(r->settings.label_x);
        select_font(static_cast<int16_t>(r->display.text_icon.states[r->display.text_icon.state].image));
        if (caret) draw_char(caret, x, scale_y_from_480(control_screen_y(r->self)), 0);
    }
    call(r->callbacks.text_focused, nullptr, &r->display.text_icon, screen_being_run());
}

void string_control_key(A_STRING_CONTROL* r, int32_t code)
{
    if (!r || !r->settings.text) return;
    auto& st = r->settings;
    int32_t table = 0;
    switch (st.edit_mode) {
    case EDIT_TEXT: table = (key_state[KEY_LSHIFT] & 0x80) || (key_state[KEY_RSHIFT] & 0x80) ? 1 : 0; break;
    case EDIT_HEX: table = 2; break;
    case EDIT_NUMERIC: table = 3; break;
    default: return;
    }
    char* t = st.text;
    switch (code) {
    case KEY_BACKSPACE:
        if (st.caret > 0) {
            std::memmove(t + st.caret - 1, t + st.caret, static_cast<size_t>(st.length - st.caret + 1));
            --st.caret, --st.length;
        }
        break;
    case KEY_HOME: st.caret = 0; break;
    case KEY_END: st.caret = st.length; break;
    case KEY_CARET_LEFT:
        if (st.caret > 0) --st.caret;
        break;
    case KEY_CARET_RIGHT:
        if (st.caret < st.length) ++st.caret;
        break;
    case KEY_INSERT: st.insert_mode = !st.insert_mode; break;
    case KEY_DELETE:
        if (st.caret < st.length) {
            std::memmove(t + st.caret, t + st.caret + 1, static_cast<size_t>(st.length - st.caret));
            --st.length;
        }
        break;
    default: {
        const uint8_t ch = scan_code_character(table, code);
        if (st.length >= st.max_length || ch == 0) break;
        if (!st.insert_mode && st.caret < st.length) {
            t[st.caret++] = static_cast<char>(ch);
        } else {
            std::memmove(t + st.caret + 1, t + st.caret, static_cast<size_t>(st.length - st.caret + 1));
            t[st.caret++] = static_cast<char>(ch);
            ++st.length;
        }
        break;
    }
    }
    t[st.length] = 0;
    rebuild_string_control(r);
    update_icon(&r->display.text_icon);
}

int32_t set_string_control_text(A_STRING_CONTROL* r, const char* text)
{
    if (!r || !text) return 0;
    const int32_t n = static_cast<int32_t>(std::strlen(text));
    if (n > r->settings.max_length) return 0;
    std::memcpy(r->settings.text, text, static_cast<size_t>(n) + 1);
    r->settings.length = r->settings.caret = n;
    rebuild_string_control(r);
    update_icon(&r->display.text_icon);
    return 1;
}

int32_t string_prefix_width(const A_STRING_CONTROL* r)
{
    if (!r || !r->settings.text) return -1;
    return text_width_of(r, r->settings.text, r->settings.caret);
}

void fit_caret_to_width(A_STRING_CONTROL* r, int32_t width)
{
    if (!r || !r->settings.text) return;
    int32_t n = r->settings.length;
    while (n > 1 && text_width_of(r, r->settings.text, n) > width) --n;
    r->settings.caret = n;
}

void rebuild_string_control(A_STRING_CONTROL* r)
{
    if (!r) return;
    control* parent = string_control_parent(r);
    A_LIST_CONTROL* pl = list_record(parent);
    A_SELECT_CONTROL* ps = select_record(parent);
    A_SLIDER_CONTROL* slider = pl ? pl->settings.hslider : (ps ? ps->settings.hslider : nullptr);
    if (!slider || !slider->display.drawn) return;
    const ControlRect& w = pl ? pl->settings.window : ps->settings.window;
    const int32_t window_w = w.right - w.left;
    int32_t& scroll = pl ? pl->settings.hscroll : ps->settings.hscroll;
    const int32_t overflow = text_width_of(r, r->settings.text, r->settings.length) - window_w;
    const int32_t p = string_prefix_width(r);
    if (p - scroll > window_w) {
        if (overflow > 0) slider->settings.maximum = overflow;
        scroll = p - window_w;
        slider_value_to_thumb(slider);
    }
    if (p - scroll < 0) {
        if (overflow > 0) slider->settings.maximum = overflow;
        scroll = p;
        slider_value_to_thumb(slider);
    }
    if (overflow < 1) {
        scroll = 0;
        slider_value_to_thumb(slider);
    }
    // Laid out again, the field keeps the focus it had.
    const bool focused = active_icon_table.focus_icon == &r->display.text_icon;
    if (pl) {
        erase_control_list(pl->settings.items);
        pl->settings.offset_x = -pl->settings.hscroll;
        relayout_list_control(pl);
    } else {
        control* choice = list_current_data(ps);
        erase_control_tree(choice);
        ps->settings.offset_x = -ps->settings.hscroll;
        draw_control_tree(choice);
    }
    if (focused && icon_slot(&r->display.text_icon) >= 0) set_focus_icon(&r->display.text_icon);
}

void place_string_caret(A_STRING_CONTROL* r)
{
    if (!r || !(r->settings.flags & STRING_EDITABLE) || !r->settings.text) return;
    control* parent = string_control_parent(r);
    A_LIST_CONTROL* pl = list_record(parent);
    A_SELECT_CONTROL* ps = select_record(parent);
    if (!pl && !ps) return;
    const ControlRect& w = pl ? pl->settings.window : ps->settings.window;
    const int32_t window_w = w.right - w.left;
    const int32_t s = pl ? pl->settings.hscroll : ps->settings.hscroll;
    auto& st = r->settings;
    const int32_t cw = st.caret < st.length ? text_width_of(r, st.text + st.caret, 1) : 0;
    int32_t p = string_prefix_width(r) - s;
    if (st.flags & STRING_LABEL) p += st.label_x;
    auto longest_within = [&](int32_t limit) {
        int32_t n = st.length;
        while (n > 1 && text_width_of(r, st.text, n) > limit) --n;
        return n;
    };
    if (p < 0) {
        st.caret = longest_within(s) + 1;
    } else if (p + cw > window_w) {
        st.caret = longest_within(s + window_w);
    }
    if (st.caret > st.length) st.caret = st.length;
}

void caret_left_hook(menu_screen*)
{
    if (!caret_field) return;
    if (caret_field->settings.caret > 0) --caret_field->settings.caret;
    rebuild_string_control(caret_field);
}

void caret_right_hook(menu_screen*)
{
    if (!caret_field) return;
    if (caret_field->settings.caret < caret_field->settings.length) ++caret_field->settings.caret;
    rebuild_string_control(caret_field);
}

// --- Sliders ---

void clamp_slider_value(A_SLIDER_CONTROL* r)
{
    if (!r || !r->settings.value) return;
    int32_t& v = *r->settings.value;
    if (v > r->settings.maximum) v = r->settings.maximum;
    if (v < r->settings.minimum) v = r->settings.minimum;
}

void clamp_slider_thumb(A_SLIDER_CONTROL* r)
{
    if (!r || !has_icons(r)) return;
    update_icon(&r->display.thumb);
    const Axis a = axis_of(r);
    const int32_t half = (a.thumb_end - a.thumb_start) / 2;
    if (a.thumb_start < a.track_start) set_thumb_centre(r, a.track_start + half);
    else if (a.thumb_end > a.track_end) set_thumb_centre(r, a.track_end - half - 1);
}

void slider_value_to_thumb(A_SLIDER_CONTROL* r)
{
    if (!r) return;
    clamp_slider_value(r);
    if (!has_icons(r) || !r->settings.value) return;
    update_icon(&r->display.track);
    update_icon(&r->display.thumb);
    const Axis a = axis_of(r);
    const int32_t track = a.track_end - a.track_start, thumb = a.thumb_end - a.thumb_start;
    const int32_t range = r->settings.maximum - r->settings.minimum;
    const int32_t along = range > 0 ? (track - thumb) * (*r->settings.value - r->settings.minimum) / range : 0;
    set_thumb_centre(r, a.track_start + along + thumb / 2);
    clamp_slider_thumb(r);
}

void slider_thumb_to_value(A_SLIDER_CONTROL* r)
{
    if (!r || !r->settings.value || !has_icons(r)) return;
    const Axis a = axis_of(r);
    const int32_t free_length = (a.track_end - a.track_start) - (a.thumb_end - a.thumb_start);
    const int32_t range = r->settings.maximum - r->settings.minimum;
    *r->settings.value = r->settings.minimum + (free_length > 0 ? (a.thumb_start - a.track_start) * range / free_length : 0);
    clamp_slider_value(r);
}

void slider_decrease(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SLIDER_CONTROL* r = slider_of(icon);
    if (!r || !r->settings.value) return;
    if (*r->settings.value > r->settings.minimum) {
        *r->settings.value -= r->settings.arrow_down < 1 ? 1 : r->settings.arrow_down;
        slider_value_to_thumb(r);
    }
    call(icon->state == ICON_HELD ? r->callbacks.decrease_repeat : r->callbacks.decrease_clicked, rec, icon, s);
}

void slider_increase(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SLIDER_CONTROL* r = slider_of(icon);
    if (!r || !r->settings.value) return;
    if (*r->settings.value < r->settings.maximum) {
        *r->settings.value += r->settings.arrow_up < 1 ? 1 : r->settings.arrow_up;
        slider_value_to_thumb(r);
    }
    call(icon->state == ICON_HELD ? r->callbacks.increase_repeat : r->callbacks.increase_clicked, rec, icon, s);
}

void slider_decrease_focused(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    if (A_SLIDER_CONTROL* r = slider_of(icon)) call(r->callbacks.decrease_focused, rec, icon, s);
}

void slider_increase_focused(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    if (A_SLIDER_CONTROL* r = slider_of(icon)) call(r->callbacks.increase_focused, rec, icon, s);
}

void slider_track_clicked(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SLIDER_CONTROL* r = slider_of(icon);
    if (!r || !r->settings.value) return;
    const Axis a = axis_of(r);
    if (a.pointer >= (a.thumb_start + a.thumb_end) / 2) {
        add_to_value(r, r->settings.page_up);
        call(r->callbacks.paged_up, rec, icon, s);
    } else {
        add_to_value(r, -r->settings.page_down);
        call(r->callbacks.paged_down, rec, icon, s);
    }
    slider_value_to_thumb(r);
}

void slider_thumb_taken(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SLIDER_CONTROL* r = slider_of(icon);
    if (!r) return;
    r->settings.dragging = 1;
    clamp_slider_thumb(r);
    const Axis a = axis_of(r);
    r->settings.grab_offset = a.pointer - (a.thumb_start + a.thumb_end) / 2;
    call(r->callbacks.thumb_taken, rec, icon, s);
}

void slider_thumb_dragged(icon_state_record* rec, menu_icon* icon, menu_screen* s)
{
    A_SLIDER_CONTROL* r = slider_of(icon);
    if (!r) return;
    const Axis a = axis_of(r);
    set_thumb_centre(r, a.pointer - r->settings.grab_offset);
    clamp_slider_thumb(r);
    slider_thumb_to_value(r);
    call(r->callbacks.thumb_dragged, rec, icon, s);
}

void slider_page_up(A_SLIDER_CONTROL* r)
{
    if (!r) return;
    add_to_value(r, r->settings.page_up);
    call(r->callbacks.paged_up, nullptr, &r->display.thumb, screen_being_run());
    slider_value_to_thumb(r);
}
