#include "host/keymap.h"
#include "host/host_sdl.h"

#include <gtest/gtest.h>

TEST(KeyMap, ScanCodesAndGameKeyCodes)
{
    struct Case {
        SDL_Scancode key;
        uint8_t scan;
        bool extended;
        uint8_t code;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, 0x01, false, 1},
        {SDL_SCANCODE_1, 0x02, false, 2},
        {SDL_SCANCODE_Z, 0x2C, false, 44},
        {SDL_SCANCODE_SPACE, 0x39, false, 57},
        {SDL_SCANCODE_F10, 0x44, false, 0x44},
        {SDL_SCANCODE_LALT, 0x38, false, 0x38},
        {SDL_SCANCODE_RALT, 0x38, true, 184},
        {SDL_SCANCODE_RETURN, 0x1C, false, 28},
        {SDL_SCANCODE_KP_ENTER, 0x1C, true, 156},
        {SDL_SCANCODE_RCTRL, 0x1D, true, 157},
        {SDL_SCANCODE_KP_DIVIDE, 0x35, true, 181},
        {SDL_SCANCODE_UP, 0x48, true, 200},
        {SDL_SCANCODE_DOWN, 0x50, true, 208},
        {SDL_SCANCODE_LEFT, 0x4B, true, 203},
        {SDL_SCANCODE_RIGHT, 0x4D, true, 205},
        {SDL_SCANCODE_KP_8, 0x48, false, 72}, // the keypad's own arrows are plain keys
        {SDL_SCANCODE_DELETE, 0x53, true, 211},
        {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, true, 0x45},
        {SDL_SCANCODE_PAUSE, 0x45, false, 0xC5},
        {SDL_SCANCODE_F11, 0x57, false, 0x57},
    };
    for (const Case& c : cases) {
        uint8_t scan = 0;
        bool extended = !c.extended;
        ASSERT_TRUE(host_scan_code(c.key, &scan, &extended)) << SDL_GetScancodeName(c.key);
        EXPECT_EQ(scan, c.scan) << SDL_GetScancodeName(c.key);
        EXPECT_EQ(extended, c.extended) << SDL_GetScancodeName(c.key);
        EXPECT_EQ(host_key_code(c.key), c.code) << SDL_GetScancodeName(c.key);
        EXPECT_EQ(host_sdl_scancode(c.code), c.key) << int(c.code);
    }
}

TEST(KeyMap, KeysWithoutACodeGiveNone)
{
    EXPECT_FALSE(host_scan_code(SDL_SCANCODE_UNKNOWN, nullptr, nullptr));
    EXPECT_FALSE(host_scan_code(SDL_SCANCODE_MODE, nullptr, nullptr));
    EXPECT_EQ(host_key_code(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(host_sdl_scancode(0), SDL_SCANCODE_UNKNOWN);
    EXPECT_EQ(host_sdl_scancode(0xFF), SDL_SCANCODE_UNKNOWN);
}

TEST(KeyMap, NoTwoKeysShareAGameKeyCode)
{
    // Every key's code leads back to a key with the same code: only true
    // synonyms (the two backslash positions) may share one.
    for (int k = 0; k < SDL_NUM_SCANCODES; ++k) {
        uint8_t code = host_key_code(static_cast<SDL_Scancode>(k));
        if (code == 0) continue;
        SDL_Scancode back = host_sdl_scancode(code);
        EXPECT_EQ(host_key_code(back), code);
        if (back != k) {
            EXPECT_EQ(k, SDL_SCANCODE_NONUSHASH) << SDL_GetScancodeName(static_cast<SDL_Scancode>(k));
        }
    }
}
