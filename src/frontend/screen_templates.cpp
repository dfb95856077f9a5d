#include "frontend/screen_templates.h"

#include "frontend/frame_manifest.h"
#include "frontend/resources.h"

menu_icon text_template(const char* text, uint8_t font, uint16_t flags)
{
    menu_icon t{};
    t.text = text;
    t.width = t.height = -1;
    t.flags = flags;
    for (auto& s : t.states) s.image = font;
    return t;
}

menu_icon focus_text_template(const char* text, uint16_t result, IconFn click)
{
    menu_icon t = text_template(text, 1, ICON_FOCUSABLE);
    t.result_code = result;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    t.states[ICON_CLICKED].handler = click;
    return t;
}

void sprite_template(menu_icon* t, int32_t handle, uint8_t base, bool per_state, uint16_t result)
{
    *t = menu_icon{};
    t->width = t->height = -1;
    t->flags = ICON_FOCUSABLE;
    t->result_code = result;
    for (int s = 0; s < ICON_STATES; ++s) {
        t->states[s].image = animation_frames(handle);
        t->states[s].frame = static_cast<uint8_t>(per_state ? base + s : base);
        t->states[s].period = 1;
    }
}

void common_button_templates(menu_icon* play, menu_icon* back, menu_icon* decoration)
{
    if (play) sprite_template(play, HANDLE_COMMON, COMMON_PLAY, true, 1);
    if (back) sprite_template(back, HANDLE_COMMON, COMMON_BACK, true, 2);
    if (decoration) {
        sprite_template(decoration, HANDLE_COMMON, COMMON_RULE, false, 0);
        decoration->flags = 0;
    }
}
