#include "cmn/memdspi.h"
#include "font/font_fixture.h"
#include "host/host_test_hooks.h"
#include "win/colour.h"
#include "win/grfreq.h"
#include "win/key.h"
#include "win/palette.h"
#include "win/prompt.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The screen is a 16-bit memory window standing in the display's front
// window; keys and buttons come from scripts, and the after-drawing hook
// keeps a copy of the screen as the prompt drew it.
struct Script {
    static inline std::deque<uint32_t> keys;
    static inline std::deque<uint32_t> buttons; // one per poll; the last repeats
    static inline int polls = 0;
    static inline Bytes drawn;
    static inline WIND* screen = nullptr;
    static uint32_t key()
    {
        if (keys.empty()) return 0;
        uint32_t k = keys.front();
        keys.pop_front();
        return k;
    }
    static uint32_t button()
    {
        ++polls;
        uint32_t b = buttons.empty() ? 0 : buttons.front();
        if (buttons.size() > 1) buttons.pop_front();
        return b;
    }
    static int afterdraw()
    {
        if (drawn.empty()) drawn = pixels();
        return 0;
    }
    static Bytes pixels()
    {
        const uint8_t* p = windowshape(screen) + 16;
        return Bytes(p, p + size_t(screen->rowbytes) * size_t(screen->height));
    }
};

struct ExitCalled : std::runtime_error {
    int code;
    explicit ExitCalled(int c) : std::runtime_error("exit"), code(c) {}
};

class Prompt : public FontTest {
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        Script::keys.clear();
        Script::buttons.clear();
        Script::polls = 0;
        Script::drawn.clear();
        WIND* w = open(16, 320, 64, 0);
        uint8_t* p = windowshape(w) + 16;
        for (size_t i = 0; i < size_t(w->rowbytes) * 64; ++i) p[i] = static_cast<uint8_t>(i * 7 + 3);
        Script::screen = w;
        libdisplay.front = *w;
        unlockwindow();
        saveddisplay = displayinfo;
        displayinfo.width = 320;
        displayinfo.height = 64;
        setkeyreadhook(Script::key);
        setprompthooks(PromptHooks{nullptr, Script::afterdraw, nullptr, Script::button});
        host_set_exit_hook([](int code) { throw ExitCalled(code); });
    }
    void TearDown() override
    {
        host_set_exit_hook(nullptr);
        resetprompthooks();
        setkeyreadhook(nullptr);
        displayinfo = saveddisplay;
        libdisplay.front = WIND{};
        FontTest::TearDown();
    }
    // The screen's pixel as the prompt drew it.
    uint32_t drawnpixel(int32_t x, int32_t y) const
    {
        size_t at = size_t(y) * size_t(Script::screen->rowbytes) + size_t(x) * 2;
        return Script::drawn[at] | Script::drawn[at + 1] << 8;
    }
    DisplayInfo saveddisplay{};
};

TEST_F(Prompt, AnswersByKeyAndPutsEverythingBack)
{
    const struct {
        uint32_t key;
        int yes;
    } cases[] = {{'y', 1}, {'Y', 1}, {'n', 0}, {27, 0}, {0x4800, 0}};
    for (const auto& c : cases) {
        Bytes before = Script::pixels();
        WIND current = currentwindow;
        TextState text = libtext;
        Script::drawn.clear();
        Script::keys = {c.key};
        EXPECT_EQ(promptbox("Exit (Y/N)", 80, 20, 160, 24, 7), c.yes) << c.key;
        EXPECT_EQ(Script::pixels(), before) << "the screen is restored";
        EXPECT_EQ(std::memcmp(&currentwindow, &current, sizeof current), 0);
        EXPECT_EQ(libtext.font, text.font);
        EXPECT_EQ(libdisplay.front.minx, 0);
        EXPECT_EQ(libdisplay.front.maxx, 320);
    }
    // The box as drawn: black inside, the dark red outline, white text, and
    // nothing outside the box touched.
    ASSERT_FALSE(Script::drawn.empty());
    EXPECT_EQ(drawnpixel(81, 21), 0u);
    EXPECT_EQ(drawnpixel(84, 30), argbto16(0xFFAA0000));
    EXPECT_EQ(drawnpixel(235, 40), argbto16(0xFFAA0000));
    EXPECT_EQ(drawnpixel(100, 24), argbto16(0xFFAA0000));
    int white = 0;
    for (int32_t y = 21; y < 43; ++y)
        for (int32_t x = 88; x < 232; ++x) white += drawnpixel(x, y) == 0xFFFF;
    EXPECT_GT(white, 20);
    Bytes before = Script::pixels();
    for (int32_t y : {19, 44})
        for (int32_t x = 0; x < 320; x += 13) EXPECT_EQ(drawnpixel(x, y), before[size_t(y) * 640 + size_t(x) * 2] | before[size_t(y) * 640 + size_t(x) * 2 + 1] << 8);
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(Prompt, AButtonHeldAtTheStartCountsOnlyAfterItsRelease)
{
    // Held for three polls, let go for two, then pressed.
    Script::buttons = {1, 1, 1, 0, 0, 1};
    EXPECT_EQ(promptbox("PAUSE", 0, 0, 100, 24, 1), 1);
    EXPECT_GE(Script::polls, 6);
    // A button outside the mask is no answer; bit 1 within the mask answers no.
    Script::polls = 0;
    Script::buttons = {4, 4, 2};
    EXPECT_EQ(promptbox("Exit (Y/N)", 0, 0, 100, 24, 3), 0);
    EXPECT_GE(Script::polls, 3);
}

TEST_F(Prompt, ExitPromptEndsTheProcessOnYesOnly)
{
    Script::keys = {'x'};
    exitprompt();
    EXPECT_FALSE(Script::drawn.empty());
    Script::keys = {'y'};
    try {
        exitprompt();
        FAIL() << "yes should end the process";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 0);
    }
}

TEST_F(Prompt, PausePromptWaitsForAnyKey)
{
    Bytes before = Script::pixels();
    Script::keys = {'q'};
    pauseprompt();
    EXPECT_TRUE(Script::keys.empty());
    EXPECT_EQ(Script::pixels(), before);
    // Centred at 320 / 2 - 144: black from x 16, the picture left of it.
    EXPECT_EQ(drawnpixel(16, 30), 0u);
    EXPECT_NE(drawnpixel(15, 30), 0u);
}

TEST_F(Prompt, MessageBarCoversTheBottomTenRowsForItsTime)
{
    Bytes before = Script::pixels();
    promptbox2("saved snap.tga", 30);
    EXPECT_EQ(Script::pixels(), before);
    ASSERT_FALSE(Script::drawn.empty());
    EXPECT_EQ(drawnpixel(0, 54), 0u);
    EXPECT_EQ(drawnpixel(319, 63), 0u);
    EXPECT_NE(drawnpixel(0, 53), 0u);
    int white = 0;
    for (int32_t x = 0; x < 320; ++x)
        for (int32_t y = 54; y < 64; ++y) white += drawnpixel(x, y) == 0xFFFF;
    EXPECT_GT(white, 20);
}

// The memory viewer on the graphics screen: the list drawn over the screen
// in the built-in font, and the caller's window and text state back after Esc.
TEST_F(Prompt, MemoryViewerDrawsOnTheScreenAndGivesTheWindowBack)
{
    resetmemsizedisplay();
    reservememadr("viewed", 64, 0);
    WIND current = currentwindow;
    const uint8_t* font = libtext.font;
    Script::keys = {27};
    memorydisplayscreen();
    EXPECT_TRUE(Script::keys.empty());
    EXPECT_EQ(std::memcmp(&currentwindow, &current, sizeof current), 0);
    EXPECT_EQ(libtext.font, font);
    // The summary's first row: yellow text on black.
    int yellow = 0, black = 0;
    for (int32_t x = 0; x < 320; ++x)
        for (int32_t y = 0; y < 8; ++y) {
            const uint8_t* p = windowshape(Script::screen) + 16 + size_t(y) * 640 + size_t(x) * 2;
            uint32_t v = p[0] | p[1] << 8;
            yellow += v == argbto16(0xFFFFFF50);
            black += v == 0;
        }
    EXPECT_GT(yellow, 20);
    EXPECT_GT(black, 200);
    resetmemsizedisplay();
    EXPECT_EQ(aborts.count(), 0u);
}

} // namespace
