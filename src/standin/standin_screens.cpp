// STAND-IN: see standin_screens.h (issue 28 replaces its users).
#include "standin/standin_screens.h"

#include "frontend/screen_templates.h"

#include <initializer_list>

menu_screen standin_screen(StandinScreenParts& p, const char* title)
{
    p.title = text_template(title, 3);
    p.ok = text_template("OK", 1, ICON_FOCUSABLE);
    p.back = text_template("Back", 1, ICON_FOCUSABLE);
    p.ok.result_code = 1;
    p.back.result_code = 2;
    for (menu_icon* t : {&p.ok, &p.back})
        t->states[ICON_FOCUSED].image = t->states[ICON_CLICKED].image = t->states[ICON_HELD].image = 2;
    p.entries[0] = {0, &p.title, 20, 20, nullptr};
    p.entries[1] = {1, &p.ok, 110, 450, nullptr};
    p.entries[2] = {1, &p.back, 50, 450, nullptr};
    menu_screen s{};
    s.count = 3;
    s.flags = SCREEN_MENU;
    s.focus_entry = &p.entries[1];
    s.entries = p.entries;
    return s;
}
