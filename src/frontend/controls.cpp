#include "frontend/controls.h"

#include "frontend/control_events.h"
#include "frontend/frame_manifest.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "gl3d/sprite_queue.h"
#include "platform/fatal_error.h"
#include "platform/memory.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <cstring>

menu_icon hscroll_templates[4], vscroll_templates[4];
menu_icon body_text_template, heading_text_template;

namespace {

template <class T> T* cleared(const char* tag)
{
    void* p = alloc_mem(sizeof(T), tag);
    std::memset(p, 0, sizeof(T));
    return static_cast<T*>(p);
}

int32_t px(int32_t x) { return scale_x_from_640(x); }
int32_t py(int32_t y) { return scale_y_from_480(y); }

void add_at(menu_icon* icon, int32_t x, int32_t y, uint8_t group) { add_child_icon(icon, px(x), py(y), group); }

void take_away(menu_icon* icon)
{
    if (icon_slot(icon) >= 0) remove_icon(icon);
}

void set_clip(uint16_t& flags, int32_t n)
{
    flags = static_cast<uint16_t>((flags & ~ICON_CLIP_MASK) | ((n << ICON_CLIP_SHIFT) & ICON_CLIP_MASK));
}

const void* current_image(const menu_icon& icon)
{
    const icon_state_record& r = icon.states[icon.state];
    auto table = reinterpret_cast<const void* const*>(r.image);
    return table ? table[r.frame] : nullptr;
}

int32_t text_measure(const menu_icon& icon, const char* text, bool height)
{
    if (!text) return 0;
    select_font(static_cast<int16_t>(icon.states[icon.state].image));
    return height ? string_height(text) : string_width(text);
}

void copy_states(icon_state_record* to, const menu_icon& from)
{
    for (int s = 0; s < ICON_STATES; ++s) to[s] = from.states[s];
}

// Scroll sliders live in the list's (or select's) own parent list.
void delete_scroll_slider(A_SLIDER_CONTROL*& slider)
{
    if (!slider) return;
    control* sc = slider->self;
    slider = nullptr;
    if (sc && sc->parent_list) delete_control(sc->parent_list, &sc);
}

void sprite_scroll_template(menu_icon* t, uint8_t frame)
{
    *t = menu_icon{};
    t->width = t->height = -1;
    t->flags = ICON_FOCUSABLE;
    for (auto& s : t->states) {
        s.image = animation_frames(HANDLE_COMMON);
        s.frame = frame;
        s.period = 1;
    }
}

menu_icon text_template(uint8_t font, uint8_t focused_font)
{
    menu_icon t{};
    t.text = "";
    t.width = t.height = -1;
    for (auto& s : t.states) s.image = font;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = focused_font;
    return t;
}

} // namespace

A_LIST_CONTROL* list_record(const control* c)
{
    return c && c->type == CONTROL_LIST ? static_cast<A_LIST_CONTROL*>(c->record) : nullptr;
}
A_STRING_CONTROL* string_record(const control* c)
{
    return c && c->type == CONTROL_STRING ? static_cast<A_STRING_CONTROL*>(c->record) : nullptr;
}
A_SELECT_CONTROL* select_record(const control* c)
{
    return c && c->type == CONTROL_SELECT ? static_cast<A_SELECT_CONTROL*>(c->record) : nullptr;
}
A_SLIDER_CONTROL* slider_record(const control* c)
{
    return c && c->type == CONTROL_SLIDER ? static_cast<A_SLIDER_CONTROL*>(c->record) : nullptr;
}

void prepare_control_templates()
{
    const uint8_t h[4] = {COMMON_HTRACK, COMMON_THUMB, COMMON_ARROW_LEFT, COMMON_ARROW_RIGHT};
    const uint8_t v[4] = {COMMON_VTRACK, COMMON_THUMB, COMMON_ARROW_UP, COMMON_ARROW_DOWN};
    for (int i = 0; i < 4; ++i) {
        sprite_scroll_template(&hscroll_templates[i], h[i]);
        sprite_scroll_template(&vscroll_templates[i], v[i]);
    }
    body_text_template = text_template(1, 2);
    heading_text_template = text_template(3, 3);
}

void fill_scroll_slider_template(slider_display* d, bool vertical, uint16_t flags, uint8_t group)
{
    prepare_control_templates();
    const menu_icon* t = vertical ? vscroll_templates : hscroll_templates;
    set_slider_styles(d, &t[0], &t[1], &t[2], &t[3]);
    set_slider_icon_flags(d, flags, flags, flags, flags);
    set_slider_icon_layers(d, group, group, group, group);
}

// --- Creation ---

void create_control(uint32_t type, control** out)
{
    control* c = cleared<control>("*control");
    c->size = sizeof(control);
    c->type = type;
    switch (type) {
    case CONTROL_LIST: {
        auto* r = cleared<A_LIST_CONTROL>("A_LIST_CONTROL");
        r->size = sizeof *r, r->settings.size = sizeof r->settings, r->callbacks.size = sizeof r->callbacks;
        r->display.size = sizeof r->display;
        r->display.hslider_template.size = r->display.vslider_template.size = sizeof(slider_display);
        r->self = c, c->record = r;
        break;
    }
    case CONTROL_STRING: {
        auto* r = cleared<A_STRING_CONTROL>("A_STRING_CONTROL");
        r->size = sizeof *r, r->settings.size = sizeof r->settings, r->callbacks.size = sizeof r->callbacks;
        r->display.size = sizeof r->display;
        r->self = c, c->record = r;
        break;
    }
    case CONTROL_SELECT: {
        auto* r = cleared<A_SELECT_CONTROL>("A_SELECT_CONTROL");
        r->size = sizeof *r, r->settings.size = sizeof r->settings, r->callbacks.size = sizeof r->callbacks;
        r->display.size = sizeof r->display;
        r->display.slider_template.size = sizeof(slider_display);
        r->self = c, c->record = r;
        break;
    }
    case CONTROL_SLIDER: {
        auto* r = cleared<A_SLIDER_CONTROL>("A_SLIDER_CONTROL");
        r->size = sizeof *r, r->settings.size = sizeof r->settings, r->callbacks.size = sizeof r->callbacks;
        r->display.size = sizeof r->display;
        r->self = c, c->record = r;
        break;
    }
    default: break;
    }
    *out = c;
}

void create_control_from_template(control_list* parent_list, control* parent, uint32_t type, const control* templ,
                                  control** out)
{
    create_control(type, out);
    control* c = *out;
    switch (type) {
    case CONTROL_LIST: {
        auto* r = list_record(c);
        const auto* t = list_record(templ);
        r->settings = t->settings;
        r->settings.hslider = r->settings.vslider = nullptr;
        create_list(&r->settings.items);
        r->settings.items->owner = r;
        r->display = t->display;
        r->display.drawn = 0;
        r->callbacks = A_LIST_CONTROL::Callbacks{sizeof r->callbacks};
        r->settings.size = sizeof r->settings, r->display.size = sizeof r->display;
        r->self = c;
        break;
    }
    case CONTROL_STRING: {
        auto* r = string_record(c);
        const auto* t = string_record(templ);
        r->settings = t->settings;
        r->callbacks = t->callbacks;
        r->display = t->display;
        r->display.drawn = r->display.highlight = 0;
        // A field always has a buffer, so that its icon is always a text.
        const char* text = t->settings.text ? t->settings.text : "";
        const int32_t length = static_cast<int32_t>(std::strlen(text));
        const int32_t bytes = length + 1 < r->settings.max_length ? r->settings.max_length + 1 : length + 1;
        if (bytes < 1) fatal_error_sub(FATAL_EMPTY_TEXT_BLOCK, 0, "..ta.string->data.field.text_block length is zero", 0);
        r->settings.max_length = bytes - 1;
        r->settings.text = static_cast<char*>(alloc_mem(static_cast<uint32_t>(bytes), "field.text_block"));
        std::memset(r->settings.text, 0, static_cast<size_t>(bytes));
        std::memcpy(r->settings.text, text, static_cast<size_t>(length));
        r->settings.length = length;
        if (r->settings.caret > length || r->settings.caret < 0) r->settings.caret = length;
        r->display.text_icon.text = r->settings.text;
        r->settings.size = sizeof r->settings, r->callbacks.size = sizeof r->callbacks;
        r->display.size = sizeof r->display;
        r->self = c;
        break;
    }
    case CONTROL_SELECT: {
        auto* r = select_record(c);
        const auto* t = select_record(templ);
        r->settings = t->settings;
        r->settings.hslider = nullptr;
        create_list(&r->settings.choices);
        r->settings.choices->owner = r;
        r->display = t->display;
        r->display.drawn = r->display.arrows_drawn = r->display.highlight = 0;
        r->callbacks = t->callbacks;
        if (t->settings.label_text) {
            const size_t n = std::strlen(t->settings.label_text) + 1;
            r->settings.label_text = static_cast<char*>(alloc_mem(static_cast<uint32_t>(n), "label_text_block"));
            std::memcpy(r->settings.label_text, t->settings.label_text, n);
            r->display.label_icon.text = r->settings.label_text;
        } else {
            r->settings.label_text = nullptr;
        }
        r->settings.size = sizeof r->settings, r->callbacks.size = sizeof r->callbacks;
        r->display.size = sizeof r->display;
        r->self = c;
        break;
    }
    case CONTROL_SLIDER: {
        auto* r = slider_record(c);
        const auto* t = slider_record(templ);
        r->settings = t->settings;
        r->settings.dragging = 0;
        r->display = t->display;
        r->display.drawn = 0;
        r->callbacks = t->callbacks;
        r->settings.size = sizeof r->settings, r->callbacks.size = sizeof r->callbacks;
        r->display.size = sizeof r->display;
        r->self = c;
        if ((r->settings.flags & SLIDER_CUSTOM_DRAW) && r->callbacks.created) r->callbacks.created(c);
        break;
    }
    default: break;
    }
    c->parent_list = parent_list;
    c->parent = parent;
    A_LLIST_NODE* node = nullptr;
    new_list_node(&node);
    node->data = c;
    list_append(parent_list, node);

    // Clip windows come down from the parent.
    if (A_LIST_CONTROL* pl = list_record(parent); pl && pl->settings.clip_window > 0) {
        const int32_t n = pl->settings.clip_window;
        if (auto* s = string_record(c)) {
            set_clip(s->display.text_flags, n);
            s->display.text_group |= 0x80;
            // A label, like a select's arrows, is also cut at the window's
            // edges rather than queued unclipped.
            if (s->settings.flags & STRING_LABEL) {
                set_clip(s->display.label_flags, n);
                s->display.label_flags |= ICON_OPAQUE;
            }
        } else if (auto* s = select_record(c)) {
            slider_display& d = s->display.slider_template;
            set_clip(d.track_flags, n), set_clip(d.thumb_flags, n), set_clip(d.decrease_flags, n);
            set_clip(d.increase_flags, n), set_clip(s->display.label_flags, n);
            set_clip(s->display.next_flags, n), set_clip(s->display.previous_flags, n);
            s->display.next_flags |= ICON_OPAQUE;
            s->display.previous_flags |= ICON_OPAQUE;
            s->display.label_group |= 0x80;
        } else if (auto* s = slider_record(c)) {
            slider_display& d = s->display;
            set_clip(d.track_flags, n), set_clip(d.thumb_flags, n), set_clip(d.decrease_flags, n);
            set_clip(d.increase_flags, n);
        }
    } else if (A_SELECT_CONTROL* ps = select_record(parent); ps && ps->settings.clip_window > 0) {
        const int32_t n = ps->settings.clip_window;
        bool in_list = false;
        for (const control* p = parent; p; p = p->parent)
            if (p->type == CONTROL_LIST) in_list = true;
        if (auto* s = string_record(c)) {
            set_clip(s->display.text_flags, n);
            if (in_list) s->display.text_group |= 0x80;
        } else if (auto* s = slider_record(c)) {
            slider_display& d = s->display;
            set_clip(d.track_flags, n), set_clip(d.thumb_flags, n), set_clip(d.decrease_flags, n);
            set_clip(d.increase_flags, n);
        }
    }
}

void free_control_data(control** templ)
{
    if (!*templ) return;
    if ((*templ)->record) free_mem((*templ)->record);
    free_mem(*templ);
    *templ = nullptr;
}

void delete_control(control_list* list, control** cp)
{
    control* c = cp ? *cp : nullptr;
    if (!list || !c) return;
    A_LLIST_NODE* node = nullptr;
    for (A_LLIST_NODE* n = list->first; n; n = n->next)
        if (n->data == c) node = n;
    if (!node) return;
    erase_control_tree(c);
    switch (c->type) {
    case CONTROL_LIST: {
        auto* r = list_record(c);
        free_control_tree(&r->settings.items);
        delete_scroll_slider(r->settings.vslider);
        delete_scroll_slider(r->settings.hslider);
        break;
    }
    case CONTROL_STRING: {
        auto* r = string_record(c);
        if (caret_field == r) {
            caret_field = nullptr;
            value_left_hook = value_right_hook = nullptr;
        }
        if (r->settings.text) free_mem(r->settings.text);
        r->settings.text = nullptr;
        break;
    }
    case CONTROL_SELECT: {
        auto* r = select_record(c);
        free_control_tree(&r->settings.choices);
        delete_scroll_slider(r->settings.hslider);
        if (r->settings.label_text) free_mem(r->settings.label_text);
        break;
    }
    case CONTROL_SLIDER: {
        auto* r = slider_record(c);
        // A scroll slider deleted on its own leaves its owner without one.
        if (r->display.owner) {
            struct RecordHead {
                uint32_t size;
                control* self;
            };
            const control* oc = static_cast<RecordHead*>(r->display.owner)->self;
            if (A_LIST_CONTROL* l = list_record(oc)) {
                if (l->settings.vslider == r) l->settings.vslider = nullptr;
                if (l->settings.hslider == r) l->settings.hslider = nullptr;
            } else if (A_SELECT_CONTROL* s = select_record(oc)) {
                if (s->settings.hslider == r) s->settings.hslider = nullptr;
            }
        }
        if ((r->settings.flags & SLIDER_CUSTOM_DRAW) && r->callbacks.deleted) r->callbacks.deleted(c);
        break;
    }
    default: break;
    }
    if (c->children) free_control_tree(&c->children);
    if (c->user_data_present && c->user_data) free_mem(c->user_data);
    if (c->record) free_mem(c->record);
    free_mem(c);
    *cp = nullptr;
    list_remove(list, node);
}

void free_control_tree(control_list** list)
{
    if (!list || !*list) return;
    control_list* l = *list;
    while (l->first) {
        control* c = static_cast<control*>(l->first->data);
        if (!c) {
            list_remove(l, l->first);
            continue;
        }
        delete_control(l, &c);
    }
    free_list(list);
}

// --- Styles ---

void set_string_control_styles(A_STRING_CONTROL* r, const menu_icon* text, const menu_icon* label)
{
    if (text) {
        r->display.text_icon = *text;
        copy_states(r->display.text_saved, *text);
    }
    if (label) {
        r->display.label_icon = *label;
        copy_states(r->display.label_saved, *label);
    }
}

void set_string_control_icon_flags(A_STRING_CONTROL* r, uint16_t text, uint16_t label)
{
    r->display.text_flags = text;
    r->display.label_flags = label;
}

void set_string_control_icon_layers(A_STRING_CONTROL* r, uint8_t text, uint8_t label)
{
    r->display.text_group = text;
    r->display.label_group = label;
}

void set_select_control_styles(A_SELECT_CONTROL* r, const menu_icon* label, const menu_icon* next,
                               const menu_icon* previous)
{
    if (label) {
        r->display.label_icon = *label;
        copy_states(r->display.label_saved, *label);
    }
    if (next) r->display.next_icon = *next;
    if (previous) r->display.previous_icon = *previous;
}

void set_select_control_icon_flags(A_SELECT_CONTROL* r, uint16_t label, uint16_t next, uint16_t previous)
{
    r->display.label_flags = label, r->display.next_flags = next, r->display.previous_flags = previous;
}

void set_select_control_icon_layers(A_SELECT_CONTROL* r, uint8_t label, uint8_t next, uint8_t previous)
{
    r->display.label_group = label, r->display.next_group = next, r->display.previous_group = previous;
}

void set_slider_styles(slider_display* d, const menu_icon* track, const menu_icon* thumb, const menu_icon* decrease,
                       const menu_icon* increase)
{
    if (track) d->track = *track;
    if (thumb) d->thumb = *thumb;
    if (decrease) d->decrease = *decrease;
    if (increase) d->increase = *increase;
}

void set_slider_icon_flags(slider_display* d, uint16_t track, uint16_t thumb, uint16_t decrease, uint16_t increase)
{
    d->track_flags = track, d->thumb_flags = thumb, d->decrease_flags = decrease, d->increase_flags = increase;
}

void set_slider_icon_layers(slider_display* d, uint8_t track, uint8_t thumb, uint8_t decrease, uint8_t increase)
{
    d->track_group = track, d->thumb_group = thumb, d->decrease_group = decrease, d->increase_group = increase;
}

// --- Geometry ---

int32_t control_screen_x(const control* c)
{
    if (!c) return 0;
    int32_t own = 0;
    switch (c->type) {
    case CONTROL_LIST: own = list_record(c)->settings.x + list_record(c)->settings.offset_x; break;
    case CONTROL_STRING: own = string_record(c)->settings.x + string_record(c)->settings.offset_x; break;
    case CONTROL_SELECT: own = select_record(c)->settings.x + select_record(c)->settings.offset_x; break;
    case CONTROL_SLIDER: own = slider_record(c)->settings.x + slider_record(c)->settings.offset_x; break;
    default: break;
    }
    return own + control_screen_x(c->parent);
}

int32_t control_screen_y(const control* c)
{
    if (!c) return 0;
    int32_t own = 0;
    switch (c->type) {
    case CONTROL_LIST: own = list_record(c)->settings.y + list_record(c)->settings.offset_y; break;
    case CONTROL_STRING: own = string_record(c)->settings.y + string_record(c)->settings.offset_y; break;
    case CONTROL_SELECT: own = select_record(c)->settings.y + select_record(c)->settings.offset_y; break;
    case CONTROL_SLIDER: own = slider_record(c)->settings.y + slider_record(c)->settings.offset_y; break;
    default: break;
    }
    return own + control_screen_y(c->parent);
}

void set_control_offset(control* c, int32_t dx, int32_t dy)
{
    if (auto* r = list_record(c)) r->settings.offset_x = dx, r->settings.offset_y = dy;
    if (auto* r = string_record(c)) r->settings.offset_x = dx, r->settings.offset_y = dy;
    if (auto* r = select_record(c)) r->settings.offset_x = dx, r->settings.offset_y = dy;
    if (auto* r = slider_record(c)) r->settings.offset_x = dx, r->settings.offset_y = dy;
}

void set_control_y(control* c, int32_t y)
{
    if (auto* r = list_record(c)) r->settings.y = y;
    if (auto* r = string_record(c)) r->settings.y = y;
    if (auto* r = select_record(c)) r->settings.y = y;
    if (auto* r = slider_record(c)) r->settings.y = y;
}

void set_control_x(control* c, int32_t x)
{
    if (auto* r = list_record(c)) r->settings.x = x;
    if (auto* r = string_record(c)) r->settings.x = x;
    if (auto* r = select_record(c)) r->settings.x = x;
    if (auto* r = slider_record(c)) r->settings.x = x;
}

void set_control_position(control* c, int32_t x, int32_t y)
{
    set_control_x(c, x);
    set_control_y(c, y);
}

int32_t list_max_width(const control_list* list)
{
    int32_t widest = 0;
    if (!list) return 0;
    for (const A_LLIST_NODE* n = list->first; n; n = n->next) {
        const int32_t w = control_width(static_cast<const control*>(n->data));
        if (w > widest) widest = w;
    }
    return widest;
}

int32_t list_total_height(const control_list* list)
{
    int32_t total = 0;
    if (!list) return 0;
    for (const A_LLIST_NODE* n = list->first; n; n = n->next) total += control_height(static_cast<const control*>(n->data));
    return total;
}

int32_t list_control_items_width(const A_LIST_CONTROL* r) { return list_max_width(r->settings.items); }
int32_t list_control_items_height(const A_LIST_CONTROL* r) { return list_total_height(r->settings.items); }

int32_t control_width(const control* c)
{
    if (!c) return 0;
    switch (c->type) {
    case CONTROL_LIST: return list_max_width(list_record(c)->settings.items);
    case CONTROL_STRING: {
        const auto* r = string_record(c);
        int32_t w = text_measure(r->display.text_icon, r->settings.text, false);
        if (r->settings.flags & STRING_LABEL) w += r->settings.label_x;
        return w;
    }
    case CONTROL_SELECT: {
        const auto* r = select_record(c);
        return r->settings.window.right - r->settings.window.left;
    }
    default: return 0;
    }
}

int32_t control_height(const control* c)
{
    if (!c) return 0;
    int32_t h = 0;
    switch (c->type) {
    case CONTROL_LIST: {
        const auto* r = list_record(c);
        const control_list* items = r->settings.items;
        if (items && items->count > 0)
            h = list_total_height(items) + items->count * r->settings.item_spacing + r->settings.top_margin +
                r->settings.bottom_margin;
        break;
    }
    case CONTROL_STRING: {
        const auto* r = string_record(c);
        h = text_measure(r->display.text_icon, r->settings.text, true);
        break;
    }
    case CONTROL_SELECT: {
        const auto* r = select_record(c);
        if (c->children && c->children->count > 0)
            h = r->settings.window.bottom - r->settings.window.top;
        else if (const control* choice = list_current_data(r))
            h = control_height(choice);
        else
            h = text_measure(r->display.label_icon, r->settings.label_text, true);
        break;
    }
    case CONTROL_SLIDER: {
        const void* image = current_image(slider_record(c)->display.increase);
        h = image ? sprite_height(image) : 0;
        break;
    }
    default: return 0;
    }
    if (c->children) h += list_total_height(c->children);
    return h;
}

int32_t slider_icon_height(const slider_display* d, int32_t which)
{
    const menu_icon& icon = which == 0 ? d->track : (which == 1 ? d->thumb : d->decrease);
    const void* image = current_image(icon);
    return image ? sprite_height(image) : 0;
}

// --- Drawing ---

namespace {

void layout_list_items(A_LIST_CONTROL* r)
{
    control* c = r->self;
    if (r->settings.items && r->settings.items->count > 0) {
        const ControlRect& w = r->settings.window;
        if (r->settings.clip_window > 0 && !(r->settings.flags & LIST_NO_CLIP))
            set_clip_window(r->settings.clip_window, static_cast<uint16_t>(py(w.top)), static_cast<uint16_t>(px(w.left)),
                            static_cast<uint16_t>(py(w.bottom)), static_cast<uint16_t>(px(w.right)));
        if (w.bottom - w.top > control_height(c)) r->settings.applied_vscroll = r->settings.vscroll = 0;
    }
    if (!r->settings.items) return;
    int32_t y = r->settings.top_margin - r->settings.applied_vscroll;
    for (A_LLIST_NODE* n = r->settings.items->first; n; n = n->next) {
        control* item = static_cast<control*>(n->data);
        const int32_t h = control_height(item);
        set_control_y(item, y);
        draw_control_tree(item);
        y += h + r->settings.item_spacing;
    }
}

} // namespace

void draw_list_control(A_LIST_CONTROL* r)
{
    if (!r || r->display.drawn) return;
    layout_list_items(r);
    r->display.drawn = 1;
    update_list_scroll_sliders(r);
}

void relayout_list_control(A_LIST_CONTROL* r)
{
    if (!r) return;
    erase_control_list(r->settings.items);
    layout_list_items(r);
    r->display.drawn = 1;
}

void draw_string_control(A_STRING_CONTROL* r)
{
    if (!r || r->display.drawn) return;
    control* c = r->self;
    const int32_t x = control_screen_x(c), y = control_screen_y(c);
    menu_icon& text = r->display.text_icon;
    text.text = r->settings.text;
    text.width = text.height = -1;
    const int32_t w = text_measure(text, r->settings.text, false), h = text_measure(text, r->settings.text, true);
    text.result_code = r->display.text_result;
    text.flags = r->display.text_flags;
    text.record = r;
    r->settings.blink_counter = 2 * r->settings.blink_half_period;
    const int32_t clip = (text.flags & ICON_CLIP_MASK) >> ICON_CLIP_SHIFT;
    ClipRect box;
    if (clip && read_clip_rect(clip, &box)) {
        const int32_t left = px(x), top = py(y), right = left + w, bottom = top + h;
        if (left > box.right || right < box.left || top > box.bottom || bottom < box.top) return;
    }
    text.states[ICON_NORMAL].handler = string_text_restore;
    text.states[ICON_FOCUSED].handler = string_text_focused;
    text.states[ICON_CLICKED].handler = string_text_clicked;
    text.states[ICON_HELD].handler = string_text_repeat;
    // An empty field can still be pointed at: it spans to its window's edge.
    if (r->settings.length == 0) {
        int32_t right = x + text_measure(text, "_", false); // no window: one caret wide
        if (const A_LIST_CONTROL* pl = list_record(c->parent)) right = pl->settings.window.right;
        if (const A_SELECT_CONTROL* ps = select_record(c->parent))
            right = control_screen_x(c->parent) + ps->settings.window.right;
        text.width = static_cast<int16_t>(right > x ? px(right) - px(x) : 1);
        text.height = static_cast<int16_t>(text_measure(text, "A", true));
    }
    if (!(r->settings.flags & STRING_LABEL)) {
        add_at(&text, x, y, r->display.text_group);
    } else {
        menu_icon& label = r->display.label_icon;
        label.result_code = r->display.label_result;
        label.flags = r->display.label_flags;
        label.record = r;
        label.states[ICON_FOCUSED].handler = string_label_focused;
        label.states[ICON_CLICKED].handler = string_label_clicked;
        label.states[ICON_HELD].handler = string_label_repeat;
        if (r->settings.flags & STRING_LABEL_ALWAYS) r->settings.label_shown = 1;
        if (r->settings.label_shown) add_at(&label, x, y + r->settings.label_y, r->display.label_group);
        add_at(&text, x + r->settings.label_x, y, r->display.text_group);
    }
    if (A_SELECT_CONTROL* ps = select_record(c->parent); ps && ps->settings.hslider) {
        A_SLIDER_CONTROL::Callbacks& cb = ps->settings.hslider->callbacks;
        cb.thumb_dragged = cb.paged_up = cb.paged_down = string_in_select_scrolled;
        cb.decrease_clicked = cb.decrease_repeat = cb.increase_clicked = cb.increase_repeat = string_in_select_scrolled;
    }
    place_string_caret(r);
    r->display.drawn = 1;
}

void draw_select_control(A_SELECT_CONTROL* r)
{
    if (!r || r->display.drawn) return;
    control* c = r->self;
    const int32_t x = control_screen_x(c), y = control_screen_y(c);
    if (r->settings.label_text) {
        menu_icon& label = r->display.label_icon;
        label.text = r->settings.label_text;
        label.result_code = r->display.label_result;
        label.flags = r->display.label_flags;
        label.record = r;
        label.states[ICON_NORMAL].handler = select_label_restore;
        label.states[ICON_FOCUSED].handler = select_focus;
        label.states[ICON_CLICKED].handler = select_label_clicked;
        label.states[ICON_HELD].handler = select_label_repeat;
        add_at(&label, x + r->settings.label_x, y + r->settings.label_y, r->display.label_group);
    }
    update_select_scroll(r);
    if (r->settings.clip_window > 0 && !(r->settings.flags & SELECT_NO_CLIP)) {
        const ControlRect& w = r->settings.window;
        set_clip_window(r->settings.clip_window, static_cast<uint16_t>(py(w.top + y)), static_cast<uint16_t>(px(w.left + x)),
                        static_cast<uint16_t>(py(w.bottom + y)), static_cast<uint16_t>(px(w.right + x)));
    }
    r->display.drawn = 1;
    if (r->settings.choices && r->settings.choices->count > 1 && !r->display.arrows_drawn) {
        menu_icon* arrows[2] = {&r->display.next_icon, &r->display.previous_icon};
        const int32_t ax[2] = {r->settings.next_x, r->settings.previous_x};
        const int32_t ay[2] = {r->settings.next_y, r->settings.previous_y};
        const uint8_t groups[2] = {r->display.next_group, r->display.previous_group};
        const uint16_t flags[2] = {r->display.next_flags, r->display.previous_flags};
        const IconFn steps[2] = {select_next_choice, select_previous_choice};
        for (int i = 0; i < 2; ++i) {
            menu_icon* a = arrows[i];
            a->flags = flags[i];
            a->result_code = 0;
            a->record = r;
            a->states[ICON_FOCUSED].handler = select_focus;
            a->states[ICON_CLICKED].handler = steps[i];
            add_at(a, x + ax[i], y + ay[i], groups[i]);
        }
        r->display.arrows_drawn = 1;
    }
    if (control* choice = list_current_data(r)) draw_control_tree(choice);
}

void draw_slider_control(A_SLIDER_CONTROL* r)
{
    if (!r || r->display.drawn) return;
    if (!(r->settings.flags & SLIDER_CUSTOM_DRAW)) {
        slider_display& d = r->display;
        const int32_t x = r->settings.x + r->settings.offset_x, y = r->settings.y + r->settings.offset_y;
        auto prepare = [&](menu_icon& icon, uint16_t flags) {
            icon.flags = flags;
            icon.result_code = d.result_code;
            icon.record = r;
            icon.owner = d.owner;
        };
        prepare(d.track, d.track_flags);
        prepare(d.thumb, static_cast<uint16_t>(d.thumb_flags | 0x10 | 0x40));
        d.track.states[ICON_CLICKED].handler = slider_track_clicked;
        d.thumb.states[ICON_CLICKED].handler = slider_thumb_taken;
        d.thumb.states[ICON_HELD].handler = slider_thumb_dragged;
        add_at(&d.track, x, y, d.track_group);
        add_at(&d.thumb, x, y, d.thumb_group);
        if (r->settings.flags & SLIDER_ARROWS) {
            prepare(d.decrease, d.decrease_flags);
            prepare(d.increase, d.increase_flags);
            d.decrease.states[ICON_FOCUSED].handler = slider_decrease_focused;
            d.decrease.states[ICON_CLICKED].handler = d.decrease.states[ICON_HELD].handler = slider_decrease;
            d.increase.states[ICON_FOCUSED].handler = slider_increase_focused;
            d.increase.states[ICON_CLICKED].handler = d.increase.states[ICON_HELD].handler = slider_increase;
            add_at(&d.decrease, x, y, d.decrease_group);
            add_at(&d.increase, x, y, d.increase_group);
            const void* ti = current_image(d.track);
            const void* ai = current_image(d.decrease);
            if (r->settings.orientation == SLIDER_HORIZONTAL) {
                const int32_t tw = ti ? sprite_width(ti) : 0, aw = ai ? sprite_width(ai) : 0;
                d.decrease.x = static_cast<int16_t>(d.track.x - tw / 2 - aw / 2 - 2);
                d.increase.x = static_cast<int16_t>(d.track.x + tw / 2 + aw / 2 + 2);
            } else {
                const int32_t th = ti ? sprite_height(ti) : 0, ah = ai ? sprite_height(ai) : 0;
                d.decrease.y = static_cast<int16_t>(d.track.y - th / 2 - ah / 2 - 2);
                d.increase.y = static_cast<int16_t>(d.track.y + th / 2 + ah / 2 + 2);
            }
            update_icon(&d.decrease);
            update_icon(&d.increase);
        }
        slider_value_to_thumb(r);
    }
    r->display.drawn = 1;
}

void erase_list_control(A_LIST_CONTROL* r)
{
    if (!r) return;
    erase_control_list(r->settings.items);
    r->display.drawn = 0;
}

void erase_string_control(A_STRING_CONTROL* r)
{
    if (!r) return;
    take_away(&r->display.text_icon);
    take_away(&r->display.label_icon);
    if (caret_field == r) {
        caret_field = nullptr;
        value_left_hook = value_right_hook = nullptr;
    }
    r->display.drawn = 0;
}

void erase_select_arrows(A_SELECT_CONTROL* r)
{
    if (!r || !r->display.arrows_drawn) return;
    take_away(&r->display.next_icon);
    take_away(&r->display.previous_icon);
    r->display.arrows_drawn = 0;
}

void erase_select_control(A_SELECT_CONTROL* r)
{
    if (!r) return;
    take_away(&r->display.label_icon);
    erase_select_arrows(r);
    if (control* choice = list_current_data(r)) erase_control_tree(choice);
    r->display.drawn = 0;
}

void erase_slider_control(A_SLIDER_CONTROL* r)
{
    if (!r) return;
    take_away(&r->display.track);
    take_away(&r->display.thumb);
    take_away(&r->display.decrease);
    take_away(&r->display.increase);
    r->display.drawn = 0;
}

void draw_control_tree(control* c)
{
    if (!c) return;
    switch (c->type) {
    case CONTROL_LIST: draw_list_control(list_record(c)); break;
    case CONTROL_STRING: draw_string_control(string_record(c)); break;
    case CONTROL_SELECT: draw_select_control(select_record(c)); break;
    case CONTROL_SLIDER: draw_slider_control(slider_record(c)); break;
    default: return;
    }
    draw_control_list(c->children);
}

void erase_control_tree(control* c)
{
    if (!c) return;
    switch (c->type) {
    case CONTROL_LIST: erase_list_control(list_record(c)); break;
    case CONTROL_STRING: erase_string_control(string_record(c)); break;
    case CONTROL_SELECT: erase_select_control(select_record(c)); break;
    case CONTROL_SLIDER: erase_slider_control(slider_record(c)); break;
    default: return;
    }
    erase_control_list(c->children);
}

void redraw_control_tree(control* c)
{
    erase_control_tree(c);
    draw_control_tree(c);
}

void draw_control_list(control_list* list)
{
    if (!list) return;
    for (A_LLIST_NODE* n = list->first; n; n = n->next) draw_control_tree(static_cast<control*>(n->data));
}

void erase_control_list(control_list* list)
{
    if (!list) return;
    for (A_LLIST_NODE* n = list->first; n; n = n->next) erase_control_tree(static_cast<control*>(n->data));
}

bool control_is_drawn(const control* c)
{
    if (!c) return false;
    switch (c->type) {
    case CONTROL_LIST: return list_record(c)->display.drawn != 0;
    case CONTROL_STRING: return string_record(c)->display.drawn != 0;
    case CONTROL_SELECT: return select_record(c)->display.drawn != 0;
    case CONTROL_SLIDER: return slider_record(c)->display.drawn != 0;
    default: return false;
    }
}

// --- Other ---

int32_t attach_control_user_data(control* c, const void* bytes, uint32_t size)
{
    if (!c || c->user_data_present) return 0;
    c->user_data = alloc_mem(size ? size : 1, "control_data->user_data.data");
    if (size) std::memcpy(c->user_data, bytes, size);
    c->user_data_size = size;
    c->user_data_present = 1;
    return 1;
}

int32_t free_control_user_data(control* c)
{
    if (!c || !c->user_data_present) return 0;
    free_mem(c->user_data);
    c->user_data = nullptr;
    c->user_data_size = 0;
    c->user_data_present = 0;
    return 1;
}

void focus_control(control* c)
{
    A_STRING_CONTROL* r = string_record(c);
    if (r && icon_slot(&r->display.text_icon) >= 0) set_focus_icon(&r->display.text_icon);
}

control* list_current_data(const A_SELECT_CONTROL* r)
{
    if (!r) return nullptr;
    A_LLIST_NODE* n = list_nth(r->settings.choices, r->settings.current);
    return n ? static_cast<control*>(n->data) : nullptr;
}

void prepare_icon(menu_icon*) {}

control* string_control_parent(const A_STRING_CONTROL* r) { return r && r->self ? r->self->parent : nullptr; }

void reset_select_choice_offset(A_SELECT_CONTROL* r)
{
    if (control* choice = list_current_data(r)) set_control_offset(choice, 0, 0);
}

void free_select_choices(A_SELECT_CONTROL* r)
{
    if (r) free_control_tree(&r->settings.choices);
}

int32_t text_width_by_table(const uint8_t* widths, const char* text)
{
    int32_t w = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if (*p >= 32) w += widths[*p - 29];
    return w;
}

void reset_controls() { caret_field = nullptr; }

control* new_string_template(const menu_icon* style, uint16_t flags, uint8_t group, const char* text, int32_t max)
{
    control* t = nullptr;
    create_control(CONTROL_STRING, &t);
    A_STRING_CONTROL* s = string_record(t);
    set_string_control_styles(s, style, nullptr);
    set_string_control_icon_flags(s, flags, 0);
    set_string_control_icon_layers(s, group, 0);
    s->settings.text = const_cast<char*>(text);
    s->settings.max_length = max;
    return t;
}

control* new_select_template(const char* label, uint16_t flags, uint8_t group)
{
    control* t = nullptr;
    create_control(CONTROL_SELECT, &t);
    A_SELECT_CONTROL* s = select_record(t);
    prepare_control_templates();
    set_select_control_styles(s, &body_text_template, &hscroll_templates[3], &hscroll_templates[2]);
    set_select_control_icon_flags(s, flags, flags, flags);
    set_select_control_icon_layers(s, group, group, group);
    s->settings.label_text = const_cast<char*>(label);
    return t;
}

control* add_text_field(control_list* list, const char* label, int32_t x, int32_t y, int32_t width, char* text,
                        int32_t max, bool editable, uint8_t group)
{
    control* t = new_select_template(label, 0, group);
    A_SELECT_CONTROL* s = select_record(t);
    s->settings.x = x, s->settings.y = y;
    s->settings.label_y = -21;
    s->settings.window = {0, 0, 20, width};
    s->settings.flags = SELECT_NO_CLIP;
    control* c = nullptr;
    create_control_from_template(list, nullptr, CONTROL_SELECT, t, &c);
    free_control_data(&t);
    control* st = new_string_template(&body_text_template, editable ? ICON_FOCUSABLE : 0, group, text, max);
    A_STRING_CONTROL* f = string_record(st);
    f->settings.flags = editable ? uint32_t{STRING_EDITABLE} : 0u;
    f->settings.edit_mode = editable ? EDIT_TEXT : EDIT_READ_ONLY;
    f->settings.insert_mode = 1;
    f->settings.insert_caret = '_';
    f->settings.overwrite_caret = '-';
    f->settings.blink_half_period = 10;
    add_from_template(select_record(c)->settings.choices, c, st);
    return c;
}

control* new_slider_template(int32_t* value, int32_t minimum, int32_t maximum, int32_t x, int32_t y, int32_t step)
{
    control* t = nullptr;
    create_control(CONTROL_SLIDER, &t);
    A_SLIDER_CONTROL* s = slider_record(t);
    s->settings.flags = SLIDER_ARROWS;
    s->settings.x = x, s->settings.y = y;
    s->settings.minimum = minimum, s->settings.maximum = maximum;
    s->settings.page_up = s->settings.page_down = s->settings.arrow_up = s->settings.arrow_down = step;
    s->settings.value = value;
    fill_scroll_slider_template(&s->display, false, ICON_FOCUSABLE, 2);
    return t;
}

control* add_from_template(control_list* list, control* parent, control*& templ)
{
    control* c = nullptr;
    create_control_from_template(list, parent, templ->type, templ, &c);
    free_control_data(&templ);
    return c;
}
