#include "display_fixture.h"

#include <cstring>
#include <string>

namespace {

class Keyboard : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        ASSERT_NE(openmainwindow(320, 200, 0), 0u);
    }
    void press(uint8_t scan, bool down = true)
    {
        sendwinmessage(down ? WM_KEYDOWN : WM_KEYUP, 1u | uint32_t{scan} << 16, 0, 0);
        windowpump();
    }
};

TEST_F(Keyboard, TranslationFollowsTheModifiers)
{
    EXPECT_EQ(translatekey(30), uint32_t{'a'});
    EXPECT_EQ(translatekey(87), 0x8700u); // F11
    EXPECT_EQ(translatekey(88), 0x8800u);
    EXPECT_EQ(translatekey(59), 0x3B00u);
    EXPECT_EQ(translatekey(127), 0u); // past the tables
    EXPECT_EQ(translatekey(91), 0u);
    EXPECT_EQ(translatekey(58), 0u); // Caps Lock toggles
    EXPECT_EQ(translatekey(30), uint32_t{'A'});
    EXPECT_EQ(translatekey(2), uint32_t{'1'});
    press(42); // Shift with Caps Lock: the shift table
    EXPECT_EQ(translatekey(30), uint32_t{'A'});
    EXPECT_EQ(translatekey(2), uint32_t{'!'});
    press(42, false);
    press(29);
    EXPECT_EQ(translatekey(30), 1u);
    press(29, false);
    press(56);
    EXPECT_EQ(translatekey(30), 0x1E00u);
    press(56, false);
    translatekey(58);
}

TEST_F(Keyboard, BoundKeysRunTheirFunctionInsteadOfArriving)
{
    static int runs;
    runs = 0;
    setkeyreadhook(readkeybuffer);
    interpretsub('q', [] { ++runs; });
    putkeybuffer('q', 16, 0);
    putkeybuffer('w', 17, 0);
    EXPECT_EQ(readkey(), 0u); // consumed: its function ran
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(readkey(), uint32_t{'w'});
    EXPECT_EQ(readkey(), 0u);
    removesub('q');
    putkeybuffer('q', 16, 0);
    EXPECT_EQ(readkey(), uint32_t{'q'});
}

void f0() {}

TEST_F(Keyboard, SixtyFourSubstitutionsAndOneSlotPerFunction)
{
    // One function bound to two codes takes one slot: 63 more still fit.
    interpretsub(1, f0);
    interpretsub(2, f0); // same function, same slot
    EXPECT_EQ(dispatchhotkey(2), 0u);
    AbortCatcher aborts;
#define FN(n) +[] {}
    void (*others[])() = {FN(0), FN(1), FN(2), FN(3), FN(4), FN(5), FN(6), FN(7), FN(8), FN(9), FN(10), FN(11),
                          FN(12), FN(13), FN(14), FN(15), FN(16), FN(17), FN(18), FN(19), FN(20), FN(21), FN(22),
                          FN(23), FN(24), FN(25), FN(26), FN(27), FN(28), FN(29), FN(30), FN(31), FN(32), FN(33),
                          FN(34), FN(35), FN(36), FN(37), FN(38), FN(39), FN(40), FN(41), FN(42), FN(43), FN(44),
                          FN(45), FN(46), FN(47), FN(48), FN(49), FN(50), FN(51), FN(52), FN(53), FN(54), FN(55),
                          FN(56), FN(57), FN(58), FN(59), FN(60), FN(61), FN(62), FN(63)};
#undef FN
    for (int i = 0; i < 63; ++i) interpretsub(static_cast<uint32_t>(0x100 * (i + 1)), others[i]);
    EXPECT_EQ(aborts.count(), 0u);
    interpretsub(0x4000 + 0x100 * 63, others[63]);
    EXPECT_TRUE(aborts.saw("interpretsub -- MAXIMUM 64 KEYSUBS"));
    EXPECT_EQ(dispatchhotkey(0x70000), 0x70000u);
}

TEST_F(Keyboard, WaitsEndAtTheirDeadline)
{
    inittimer(240);
    setkeyreadhook(readkeybuffer);
    setdeadline(2);
    EXPECT_EQ(keyticks(), 0u);
    EXPECT_EQ(waitkeyticks(2), 0u);
    putkeybuffer('k', 37, 0);
    EXPECT_EQ(waitkeyticks(2), uint32_t{'k'});
    stoptimer();
    libsettings.timerrate.store(240);
}

TEST_F(Keyboard, TheMouseStaysInsideItsLimits)
{
    initmouse();
    static int32_t hooked;
    hooked = -1;
    setmousebuttonhook([](int32_t b) { hooked = b; });
    setmouselimits(10, 20, 100, 200);
    mouseevent(5, 300, 1, 1);
    int32_t b, x, y;
    getmouse(&b, &x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 200);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(hooked, 1);
    windowpump(); // the pointer moved to the clamped place: its own move message comes back
    sendwinmessage(WM_RBUTTONDOWN, 50u | 60u << 16, MK_RBUTTON, 0);
    windowpump();
    readmouse();
    EXPECT_EQ(mousex, 50);
    EXPECT_EQ(mousey, 60);
    EXPECT_EQ(mousebuttons, 2);
    setmouselimits(0, 0, 20, 20);
    getmouse(&b, &x, &y);
    EXPECT_EQ(x, 20);
}

TEST(Console, WritesScrollsAndTruncates)
{
    resetkeys();
    monoputs("ab\x0e\x1f" "c\bd\n\tx");
    const uint16_t* cells = monobuffer();
    EXPECT_EQ(cells[0], 0x0700 | 'a');
    EXPECT_EQ(cells[1], 0x0700 | 'b');
    EXPECT_EQ(cells[2], 0x1F00 | 'd');
    EXPECT_EQ(cells[80 + 8], 0x1F00 | 'x');
    std::string big(3000, 'z');
    monoprintf("%s%d", big.c_str(), 7); // formatted text stops at the buffer
    EXPECT_EQ(monoposition(), 178 + 2 * 1023);
    EXPECT_EQ(cells[(178 + 2 * 1023) / 2 - 1], 0x1F00 | 'z');
    for (int i = 0; i < 30; ++i) monoprintf("line %d\n", i);
    EXPECT_EQ(monoposition(), 24 * 160);
    EXPECT_EQ(cells[23 * 80], 0x1F00 | 'l');
    EXPECT_EQ(cells[23 * 80 + 5], 0x1F00 | '2');
    EXPECT_EQ(cells[23 * 80 + 6], 0x1F00 | '9');
    monosetlevel(1);
    monoputs("ignored");
    EXPECT_EQ(monoposition(), 24 * 160);
    resetkeys();
}

TEST(MemoryMap, ListsEveryBlockWithItsChecks)
{
    registermainthread();
    initmemsize(1 << 16);
    static std::string text;
    text.clear();
    setmemreportoutput([](const char* line) {
        text += line;
        return 1;
    });
    void* block = reservememadr("probe", 100, 0);
    ASSERT_NE(block, nullptr);
    dumpmemorymap(0);
    setmemreportoutput(nullptr);
    EXPECT_NE(text.find("probe "), std::string::npos);
    EXPECT_NE(text.find("   SPACE "), std::string::npos);
    EXPECT_NE(text.find("TOTAL FREE MEMORY: "), std::string::npos);
    EXPECT_EQ(text.rfind("================================================================\n"), text.size() - 65);
    purgememadr(block);
    releasemem();
}

} // namespace
