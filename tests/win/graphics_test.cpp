#include "display_fixture.h"

#include "win/palette.h"
#include "win/pixels.h"

#include <cstring>

#include <thread>

namespace {

using Graphics = DisplayTest;

std::vector<std::pair<int32_t, int32_t>> sizes_asked()
{
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const auto& m : FakeDisplay::asked) out.emplace_back(m.width, m.height);
    return out;
}

TEST_F(Graphics, InitgraphicsOpensTheDisplayThroughTheWindowThread)
{
    libsettings.displayoptions = 0; // a window
    initgraphics(0, 0, 0);
    ASSERT_EQ(graphicsstate(), 7);
    EXPECT_TRUE(ismainwindowopen());
    EXPECT_EQ(grfop_pending.load(), 0);
    EXPECT_EQ(grfop_result(), nullptr);
    EXPECT_EQ(displayinfo.width, 640);
    EXPECT_EQ(displayinfo.height, 480);
    EXPECT_EQ(displayinfo.depth, 16);
    EXPECT_EQ(libdisplay.front.bpp, 16);
    uint32_t info[5];
    ASSERT_EQ(getmodeinfo(-1, info), 1);
    EXPECT_EQ(info[0], 640u);
    EXPECT_EQ(info[3], 0x78u);

    // Drawing into the front window reaches the primary surface.
    ASSERT_EQ(displaywindow(), 1);
    EXPECT_TRUE(issurfacelocked());
    fillrect(0, 0, 2, 1, 0xF800);
    unlockwindow();
    EXPECT_FALSE(issurfacelocked());
    uint16_t first;
    std::memcpy(&first, libdisplay.primary->pixels.data(), 2);
    EXPECT_EQ(first, 0xF800);

    restoregraphics();
    EXPECT_EQ(graphicsstate(), 0);
    EXPECT_FALSE(ismainwindowopen());
}

TEST_F(Graphics, RequestsFromAnotherThreadWaitForTheMainThreadsPump)
{
    libsettings.displayoptions = 0;
    initgraphics(640, 480, 16);
    ASSERT_EQ(graphicsstate(), 7);
    std::atomic<bool> done{false};
    const char* result = "unset";
    std::thread worker([&] {
        result = sendgrfrequest(WM_LIBSETMODE, -1);
        done.store(true);
    });
    while (!done.load()) {
        runsystemtasks(0);
        sleepthread(1);
    }
    worker.join();
    EXPECT_EQ(result, nullptr);
    EXPECT_TRUE(libdisplay.primary != nullptr);
}

TEST_F(Graphics, ARequestInTheBackgroundWaitsUntilTheApplicationIsActive)
{
    libsettings.displayoptions = 0;
    initgraphics(640, 480, 16);
    ASSERT_EQ(graphicsstate(), 7);
    sendwinmessage(WM_ACTIVATEAPP, 0, 0, 0);
    windowpump();
    ASSERT_EQ(libdisplay.active.load(), 0);
    std::atomic<bool> done{false};
    const char* result = "unset";
    std::thread worker([&] {
        result = sendgrfrequest(WM_LIBSETMODE, -1);
        done.store(true);
    });
    // Postponed: the request waits, however long, while nothing is active.
    while (grfop_pending.load() != -1) {
        runsystemtasks(0);
        sleepthread(1);
    }
    for (int i = 0; i < 50; ++i) {
        runsystemtasks(0);
        sleepthread(2);
    }
    EXPECT_FALSE(done.load());
    sendwinmessage(WM_ACTIVATEAPP, 0, 1, 0);
    while (!done.load()) {
        runsystemtasks(0);
        sleepthread(1);
    }
    worker.join();
    EXPECT_EQ(result, nullptr);
}

TEST_F(Graphics, RequestedSizesMeanTheirDefaults)
{
    fake();
    libsettings.displayoptions = DISPLAY_FULLSCREEN;
    FakeDisplay::modes = {mode16(640, 480), mode16(1024, 768)};
    initgraphics(0, 0, 0);
    EXPECT_EQ(sizes_asked(), (std::vector<std::pair<int32_t, int32_t>>{{640, 480}}));
    FakeDisplay::asked.clear();
    initgraphics(-1, -1, 15);
    EXPECT_EQ(sizes_asked(), (std::vector<std::pair<int32_t, int32_t>>{{1024, 768}}));
    EXPECT_EQ(FakeDisplay::asked[0].bpp, 16);
}

TEST_F(Graphics, TheSmallestWideEnoughModeIsChosenSteppingDownWhenNoneFits)
{
    fake();
    libsettings.displayoptions = DISPLAY_FULLSCREEN;
    FakeDisplay::modes = {mode16(800, 600), mode16(640, 480)};
    initgraphics(700, 500, 16);
    EXPECT_EQ(sizes_asked(), (std::vector<std::pair<int32_t, int32_t>>{{800, 600}}));
    EXPECT_EQ(displayinfo.width, 800);

    FakeDisplay::asked.clear();
    initgraphics(2000, 2000, 16);
    EXPECT_EQ(sizes_asked(), (std::vector<std::pair<int32_t, int32_t>>{{800, 600}}));
}

TEST_F(Graphics, WithoutSixteenBitModesTheSearchTriesEightBitsThenTheDefault)
{
    fake();
    libsettings.displayoptions = DISPLAY_FULLSCREEN;
    FakeDisplay::modes = {mode(1024, 768, 32)};
    LogCatcher log;
    displaylog.level.store(1);
    initgraphics(640, 480, 16);
    displaylog.level.store(0);
    std::string text = log.text();
    EXPECT_NE(text.find("[INIT] try smaller"), std::string::npos);
    EXPECT_LT(text.find("[INIT] try 8bit"), text.find("[INIT] attempting default resolution"));
    EXPECT_EQ(sizes_asked(), (std::vector<std::pair<int32_t, int32_t>>{{640, 480}}));
}

TEST_F(Graphics, AModeThatFailsIsMarkedAndNeverTriedAgain)
{
    fake();
    libsettings.displayoptions = DISPLAY_FULLSCREEN;
    FakeDisplay::modes = {mode16(800, 600), mode16(1024, 768)};
    FakeDisplay::refuse = {mode16(800, 600)};
    initgraphics(800, 600, 16);
    EXPECT_EQ(sizes_asked(), (std::vector<std::pair<int32_t, int32_t>>{{800, 600}, {1024, 768}}));
    EXPECT_TRUE(libdisplay.modes[0].flags & MODE_FAILED);
    FakeDisplay::asked.clear();
    initgraphics(800, 600, 16);
    EXPECT_EQ(sizes_asked(), (std::vector<std::pair<int32_t, int32_t>>{{1024, 768}}));
    uint32_t info[5];
    EXPECT_EQ(getmodeinfo(-1, info), 0); // full screen has no "current window" mode
    EXPECT_EQ(getmodeinfo(1, info), 1);
    EXPECT_EQ(info[0], 1024u);
    EXPECT_EQ(getmodecount(), 2);
}

TEST_F(Graphics, AModeListLongerThanCountedIsCutShort)
{
    fake();
    libsettings.displayoptions = DISPLAY_FULLSCREEN;
    for (int i = 0; i < 20; ++i) FakeDisplay::modes.push_back(mode16(640 + 16 * i, 480));
    FakeDisplay::lie = 5;
    initgraphics(640, 480, 16);
    EXPECT_EQ(libdisplay.modecount, 20);
}

TEST_F(Graphics, TheSetModeKeepsTheAskedSizeCentredInALargerAnswer)
{
    fake();
    libsettings.displayoptions = DISPLAY_FULLSCREEN;
    FakeDisplay::modes = {mode16(640, 480)};
    FakeDisplay::w = 800;
    FakeDisplay::h = 600;
    // The hardware answers 800 x 600 whatever is asked.
    static const DisplayDriver stubborn = [] {
        DisplayDriver d = FakeDisplay::driver();
        d.setmode = [](int32_t, int32_t, int32_t, int32_t) -> int32_t { return 0; };
        return d;
    }();
    setdisplaydriver(&stubborn);
    initgraphics(640, 480, 16);
    EXPECT_EQ(libdisplay.width, 640);
    EXPECT_EQ(libdisplay.height, 480);
    EXPECT_EQ(libdisplay.originx, 80);
    EXPECT_EQ(libdisplay.originy, 60);
}

TEST_F(Graphics, LockingThePrimaryInAWindowStartsAtTheWindowsOrigin)
{
    fake();
    libsettings.displayoptions = 0;
    FakeDisplay::w = 1024; // the desktop: a 16-bit primary of pitch 2048
    FakeDisplay::h = 768;
    FakeDisplay::originx = 100;
    FakeDisplay::originy = 50;
    initgraphics(320, 200, 16);
    ASSERT_EQ(graphicsstate(), 7);
    ASSERT_EQ(libdisplay.primary->pitch, 2048);
    ASSERT_EQ(displaywindow(), 1);
    EXPECT_EQ(currentwindow.base, libdisplay.primary->pixels.data() + 50 * 2048 + 100 * 2);
    EXPECT_EQ(displaywindow(), 1); // locking it again takes nothing more
    unlockwindow();
    EXPECT_EQ(trycritical(displaylock(), 0), 1);
    leavecritical(displaylock());
}

TEST_F(Graphics, APaletteUpdateWithNothingDirtySendsNothing)
{
    LogCatcher log;
    displaylog.level.store(1);
    libdisplay.palette = true;
    libdisplay.bpp = 8;
    libdisplay.dirtyfirst = 256;
    libdisplay.dirtylast = -1;
    setwinpalette(&libdisplay);
    EXPECT_EQ(log.text().find("set entries"), std::string::npos);
    libdisplay.dirtyfirst = 3;
    libdisplay.dirtylast = 4;
    setwinpalette(&libdisplay);
    displaylog.level.store(0);
    EXPECT_NE(log.text().find("[DDRAW] set entries (3, 2); err=0"), std::string::npos);
}

TEST_F(Graphics, WithoutAMemoryManagerInitgraphicsIsMisuse)
{
    AbortCatcher aborts;
    releasemem();
    initgraphics(640, 480, 16);
    EXPECT_TRUE(aborts.saw("initgraphics - INITMEM REQUIRED BEFORE INITGRAPHICS\n"));
    EXPECT_EQ(graphicsstate(), 0);
    initmemsize(1 << 22);
}

} // namespace
