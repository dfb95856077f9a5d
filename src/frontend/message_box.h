// The front end's one message box: a message and its buttons chosen by code,
// laid out in a box sized to the wrapped text and run as an overlay box over
// the screen that is open. The answer is left in front_end_state.result.
#pragma once

#include <cstdint>
#include <string>

struct menu_screen;
struct menu_icon;
struct icon_state_record;
using BoxCallback = void (*)();

constexpr int32_t MESSAGE_BUFFER_BYTES = 2560;
constexpr const char* TINT_BOX_TEXTURE = "front_en\\front_end_gfx\\menu_screens\\hw\\TintBox.tga";

void report_error(int32_t code, const char* extra, BoxCallback ok, BoxCallback yes, BoxCallback no);
// The engine's error hook: mode 0 OK, 1 Yes and No. Answers 0.
int32_t error_control_callback(const char* message, int32_t mode);
// The quit question; No leaves the result 0 so the screen runs on.
void confirm_quit();
// The same as a screen's default action and as a click handler.
void confirm_quit_action(menu_screen* screen);
void confirm_quit_click(icon_state_record* record, menu_icon* icon, menu_screen* screen);
// The exit question's code for the current game type.
int32_t exit_confirm_code();
void message_box_ok();
void message_box_yes();
void message_box_no();

// The engine error box darkens palette entries 80-127 under it (unless the
// keyboard screen's key warning is up) and puts the flag colours (81-127)
// back after it.
void dim_palette();
void load_flag_palette();
constexpr const char* FLAG_PALETTE = "front_en\\anim\\flag.pal";

// What the last box showed (its message before wrapping, buttons, focus
// kind and size in 640 x 480 units).
struct MessageBoxLayout {
    std::string message;
    bool ok, yes, no;
    uint8_t focus_kind; // 1 OK, 3, 4 Yes/No
    int32_t x, y, width, height, lines;
};
extern MessageBoxLayout message_box_layout;

// The message and buttons of a code (the table's lookup alone).
MessageBoxLayout message_for_code(int32_t code, const char* extra);

// Tests.
void reset_message_box();
