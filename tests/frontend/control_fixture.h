// Controls in tests: the common set's frames at the kit's sizes (buttons,
// 100-pixel slider tracks, a 14-pixel thumb, 24-pixel arrows) and builders
// for the templates screens fill in.
#pragma once

#include "front_end_fixture.h"
#include "frontend/control_events.h"
#include "frontend/controls.h"
#include "platform/memory.h"
#include "screen/screen.h"
#include "screen/screen_services.h"

#include <string>

inline void install_control_frames()
{
    auto sprite = [](uint32_t w, uint32_t h) {
        return kit_sw_sprite(w, h, static_cast<int32_t>(w / 2), static_cast<int32_t>(h / 2),
                             std::vector<int16_t>(w * h, 15));
    };
    static std::vector<uint8_t> button = sprite(36, 36), htrack = sprite(100, 12), vtrack = sprite(12, 100),
                                thumb = sprite(14, 14), arrow = sprite(24, 24), rule = sprite(128, 4);
    std::vector<const void*> frames(COMMON_FRAME_COUNT, button.data());
    frames[COMMON_RULE] = rule.data();
    frames[COMMON_HTRACK] = htrack.data();
    frames[COMMON_VTRACK] = vtrack.data();
    frames[COMMON_THUMB] = thumb.data();
    for (uint8_t f : {COMMON_ARROW_LEFT, COMMON_ARROW_RIGHT, COMMON_ARROW_UP, COMMON_ARROW_DOWN}) frames[f] = arrow.data();
    set_animation_frames(HANDLE_COMMON, frames);
    prepare_control_templates();
}

class Controls : public FrontEnd
{
  protected:
    void SetUp() override
    {
        FrontEnd::SetUp();
        reset_controls();
        install_control_frames();
        first_alloc = alloc_count;
        create_list(&screen_list);
    }
    void TearDown() override
    {
        free_control_tree(&screen_list);
        EXPECT_EQ(alloc_count, first_alloc) << "the tree leaves nothing behind";
        reset_controls();
        FrontEnd::TearDown();
    }

    control* add_string(control_list* list, control* parent, const char* text, int32_t max, uint32_t flags = 0,
                        uint32_t mode = EDIT_READ_ONLY)
    {
        control* t = nullptr;
        create_control(CONTROL_STRING, &t);
        A_STRING_CONTROL* s = string_record(t);
        set_string_control_styles(s, &body_text_template, &body_text_template);
        set_string_control_icon_flags(s, ICON_FOCUSABLE, ICON_FOCUSABLE);
        set_string_control_icon_layers(s, 1, 1);
        s->settings.text = const_cast<char*>(text);
        s->settings.max_length = max;
        s->settings.flags = flags;
        s->settings.edit_mode = mode;
        s->settings.insert_caret = '_';
        s->settings.overwrite_caret = '-';
        s->settings.blink_half_period = 10;
        control* c = nullptr;
        create_control_from_template(list, parent, CONTROL_STRING, t, &c);
        free_control_data(&t);
        return c;
    }

    control* add_list(control_list* list, ControlRect window, int32_t spacing, int32_t clip = 0)
    {
        control* t = nullptr;
        create_control(CONTROL_LIST, &t);
        A_LIST_CONTROL* l = list_record(t);
        l->settings.window = window;
        l->settings.x = window.left;
        l->settings.y = window.top;
        l->settings.clip_window = clip;
        l->settings.item_spacing = spacing;
        l->settings.vslider_x = window.right + 20;
        l->settings.vslider_y = (window.top + window.bottom) / 2;
        l->settings.hslider_x = (window.left + window.right) / 2;
        l->settings.hslider_y = window.bottom + 20;
        fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, 3);
        fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, 3);
        control* c = nullptr;
        create_control_from_template(list, nullptr, CONTROL_LIST, t, &c);
        free_control_data(&t);
        return c;
    }

    control* add_select(control_list* list, const char* label, const std::vector<const char*>& choices)
    {
        control* t = nullptr;
        create_control(CONTROL_SELECT, &t);
        A_SELECT_CONTROL* s = select_record(t);
        menu_icon label_t = body_text_template;
        set_select_control_styles(s, &label_t, &hscroll_templates[3], &hscroll_templates[2]);
        set_select_control_icon_flags(s, ICON_FOCUSABLE, ICON_FOCUSABLE, ICON_FOCUSABLE);
        set_select_control_icon_layers(s, 1, 1, 1);
        s->settings.x = 300, s->settings.y = 200;
        s->settings.label_x = -150;
        s->settings.next_x = 185, s->settings.next_y = 9;
        s->settings.previous_x = 150, s->settings.previous_y = 9;
        s->settings.window = {0, 0, 20, 120};
        s->settings.flags = SELECT_NO_CLIP;
        s->settings.label_text = const_cast<char*>(label);
        control* c = nullptr;
        create_control_from_template(list, nullptr, CONTROL_SELECT, t, &c);
        free_control_data(&t);
        for (const char* text : choices) add_string(select_record(c)->settings.choices, c, text, 20);
        return c;
    }

    control* add_slider(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, uint32_t flags,
                        int32_t step = 1)
    {
        control* t = nullptr;
        create_control(CONTROL_SLIDER, &t);
        A_SLIDER_CONTROL* s = slider_record(t);
        s->settings.flags = flags;
        s->settings.x = 320, s->settings.y = 300;
        s->settings.minimum = minimum, s->settings.maximum = maximum;
        s->settings.page_up = s->settings.page_down = s->settings.arrow_up = s->settings.arrow_down = step;
        s->settings.value = value;
        fill_scroll_slider_template(&s->display, false, ICON_FOCUSABLE, 2);
        control* c = nullptr;
        create_control_from_template(list, nullptr, CONTROL_SLIDER, t, &c);
        free_control_data(&t);
        return c;
    }

    control_list* screen_list = nullptr;
    int32_t first_alloc = 0;
};

inline std::string field_text(const control* c) { return string_record(c)->settings.text; }

// Pixels drawn over the open screen's picture (or over the cleared screen)
// in a rectangle of the screen surface (the frame shown or the one being
// drawn, whichever holds more).
inline int32_t lit_pixels(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    const Surface* picture = screen_surfaces().background;
    auto under = [&](int32_t x, int32_t y) -> uint8_t {
        return picture ? picture->pixels[size_t(y) * picture->pitch + x] : 0;
    };
    int32_t best = 0;
    for (int32_t which : {0, 1}) {
        uint8_t* pixels = lock_screen_surface(which);
        if (!pixels) continue;
        int32_t n = 0;
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x) n += pixels[y * screen_pitch() + x] != under(x, y);
        unlock_screen_surface(which, pixels);
        if (n > best) best = n;
    }
    return best;
}
