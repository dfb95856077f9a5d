// Framed prompts in the middle of the screen that wait for a key or a button,
// and the message bar over the bottom rows. Each leaves the screen, the
// current window and the text state as it found them.
#pragma once

#include <cstdint>

// Four hooks, each 0 for none: before drawing, after drawing, before putting
// the screen back, and the button poll (a mask of the buttons down).
struct PromptHooks {
    int (*beforedraw)();
    int (*afterdraw)();
    int (*beforerestore)();
    uint32_t (*buttons)();
};
void setprompthooks(const PromptHooks& hooks);
void resetprompthooks();

// 1 for yes (a "y" or "Y" key, or button bit 0 within the mask), else 0.
int promptbox(const char* text, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t buttonmask);
// "Exit (Y/N)": yes ends the process with exit code 0.
void exitprompt();
// Waits for a key or a button.
void pauseprompt();
// The text in a bar over the bottom 10 rows for the given time.
void promptbox2(const char* text, int32_t milliseconds);
