#include "display_fixture.h"

namespace {

uint32_t key_lparam(uint8_t scan, uint32_t repeat = 1, bool extended = false)
{
    return repeat | uint32_t{scan} << 16 | (extended ? 1u << 24 : 0u);
}

int handled_ok(WinDisplay*, uintptr_t, uint32_t, uint32_t, uint32_t, int32_t*) { return 1; }
int other_ok(WinDisplay*, uintptr_t, uint32_t, uint32_t, uint32_t, int32_t*) { return 1; }

class MainWindow : public DisplayTest {
protected:
    void open(int fullscreen = 0)
    {
        libdisplay.fullscreen = static_cast<uint8_t>(fullscreen);
        ASSERT_NE(openmainwindow(320, 200, fullscreen), 0u);
    }
    void post(uint32_t message, uint32_t wparam, uint32_t lparam)
    {
        ASSERT_EQ(sendwinmessage(message, lparam, wparam, 0), 1);
        windowpump();
    }
    std::vector<uint32_t> drain()
    {
        std::vector<uint32_t> keys;
        while (uint32_t k = getkeybuffer()) keys.push_back(k);
        return keys;
    }
};

TEST_F(MainWindow, TheHandlerTableStaysSortedAndHoldsAtMost128)
{
    for (uint32_t id = 0; id < 128; ++id) ASSERT_EQ(setmsghandler(5000 - id * 7, handled_ok), 1) << id;
    EXPECT_EQ(setmsghandler(9999, handled_ok), 0);
    EXPECT_EQ(setmsghandler(4322, nullptr), 0);
    EXPECT_EQ(setmsghandler(5000 - 7 * 50, nullptr), 1);
    EXPECT_EQ(msghandlercount(), 127);
    EXPECT_EQ(getmsghandler(5000 - 7 * 50), nullptr);
    for (uint32_t id = 0; id < 128; ++id)
        if (id != 50) {
            EXPECT_EQ(getmsghandler(5000 - id * 7), handled_ok) << id;
        }
    EXPECT_EQ(setmsghandler(5000, other_ok), 1);
    EXPECT_EQ(getmsghandler(5000), other_ok);
}

TEST_F(MainWindow, RepeatedCharactersFillTheRingWhichKeepsTheNewest)
{
    open();
    EXPECT_EQ(getkeybuffer(), 0u);
    post(WM_CHAR, 'x', key_lparam(45, 100));
    std::vector<uint32_t> keys = drain();
    EXPECT_EQ(keys.size(), 31u);
    EXPECT_EQ(keys.front(), 45u << 16 | 'x');
    putkeybuffer('a', 30, 0);
    EXPECT_EQ(peekkeybuffer(), 30u << 16 | 'a');
    EXPECT_EQ(getkeybuffer(), 30u << 16 | 'a');
}

TEST_F(MainWindow, KeysAreCharactersCodesOrRawScanCodes)
{
    open();
    post(WM_KEYDOWN, 0, key_lparam(30)); // A: a character after the key-down
    post(WM_KEYDOWN, 0, key_lparam(59)); // F1: a code, no character
    post(WM_KEYDOWN, 0, key_lparam(0x48, 1, true)); // Up
    EXPECT_EQ(drain(), (std::vector<uint32_t>{30u << 16 | 'a', 59u << 16 | 0x3B00, 0x48u << 16 | 0x4800}));

    initkeys(); // raw: scan codes, translated when read
    post(WM_KEYDOWN, 0, key_lparam(1));
    EXPECT_EQ(drain(), (std::vector<uint32_t>{1u << 16 | 27}));
    post(WM_KEYDOWN, 0, key_lparam(58)); // Caps Lock gives nothing and is skipped
    post(WM_KEYDOWN, 0, key_lparam(16));
    EXPECT_EQ(drain(), (std::vector<uint32_t>{16u << 16 | 'Q'}));
    EXPECT_TRUE(capslock());
}

TEST_F(MainWindow, OneShiftUpReleasesBothAndFocusLossClearsEveryKey)
{
    open();
    int calls[2] = {0, 0};
    static int* seen;
    seen = calls;
    setapplicationfocusfunc([](int active) { ++seen[active ? 1 : 0]; });
    post(WM_ACTIVATE, 1, 0);
    EXPECT_EQ(calls[1], 1);
    post(WM_KEYDOWN, 0, key_lparam(42));
    post(WM_KEYDOWN, 0, key_lparam(54));
    post(WM_KEYDOWN, 0, key_lparam(30));
    post(WM_KEYUP, 0, key_lparam(42));
    EXPECT_EQ(iskeydown(54), 0);
    EXPECT_EQ(iskeydown(30), 1);
    post(WM_ACTIVATE, 0, 0);
    EXPECT_EQ(calls[0], 1);
    EXPECT_EQ(iskeydown(30), 0);
    post(WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(libdisplay.active.load(), 0);

    AbortCatcher aborts;
    closemainwindow();
    EXPECT_TRUE(aborts.saw("closemainwindow - YOU MUST SHUT DOWN AUDIO FIRST.  CALL SNDrestore()\n"));
    setapplicationfocusfunc(nullptr);
}

TEST_F(MainWindow, SystemCommandsPowerAndClose)
{
    open(1);
    MsgHandler syscommand = getmsghandler(WM_SYSCOMMAND);
    int32_t result = 99;
    EXPECT_EQ(syscommand(&libdisplay, getmainwindow(), WM_SYSCOMMAND, SC_KEYMENU, 0, &result), 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(syscommand(&libdisplay, getmainwindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0, &result), 1);
    EXPECT_EQ(syscommand(&libdisplay, getmainwindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0, &result), 0);
    EXPECT_EQ(getmsghandler(WM_POWERBROADCAST)(&libdisplay, 0, WM_POWERBROADCAST, 0, 0, &result), 1);
    EXPECT_EQ(result, BROADCAST_QUERY_DENY);

    static int quits;
    quits = 0;
    setapplicationquitfunc([] { ++quits; });
    post(WM_CLOSE, 0, 0);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(ismainwindowopen()); // closing asks; it does not close
    setapplicationquitfunc(nullptr);
}

TEST_F(MainWindow, OpeningAgainReplacesTheWindowOrOnlyRecentresIt)
{
    open();
    uintptr_t first = getmainwindow();
    ASSERT_NE(openmainwindow(320, 200, 0), 0u);
    EXPECT_NE(getmainwindow(), first);
    uintptr_t second = getmainwindow();
    EXPECT_EQ(openmainwindow(400, 300, 1), 1u);
    EXPECT_EQ(getmainwindow(), second);
    int32_t w = 0, h = 0;
    getclientsize(&w, &h);
    EXPECT_EQ(w, 400);
    closemainwindow();
    EXPECT_FALSE(ismainwindowopen());
    EXPECT_EQ(sendwinmessage(WM_CHAR, 0, 'x', 0), 0);
    closemainwindow(); // no window: only the registration count goes down
}

TEST_F(MainWindow, ResizingTheWindowCountsAsADisplayChange)
{
    open();
    windowpump();
    uint32_t before = displaychangecount();
    setwindowrect(40, 30, 300, 180);
    windowpump();
    EXPECT_GT(displaychangecount(), before);
}

TEST_F(MainWindow, AnotherThreadsOpenIsMadeByTheMainThreadsPump)
{
    std::atomic<uintptr_t> handle{0};
    std::thread opener([&] { handle.store(openmainwindow(320, 200, 0)); });
    while (!handle.load()) {
        windowpump();
        sleepthread(1);
    }
    opener.join();
    EXPECT_EQ(handle.load(), getmainwindow());
}

} // namespace
