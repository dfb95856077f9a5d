#include "cmn/cpu.h"
#include "cmn/lib.h"
#include "cmn/libtest.h"
#include "cmn/loadcall.h"
#include "cmn/memstd.h"
#include "cmn/project.h"
#include "tempdir.h"
#include "win/nfile.h"
#include "win/grfreq.h"
#include "win/mainwindow.h"
#include "win/palette.h"
#include "win/timer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(LibraryStart, StartsItsPartsAndStopsTheirThreadsAtExit)
{
    TempDir dir;
    libsettings.displaywidth = 640;
    libsettings.displayheight = 480;
    initlibrary();
    EXPECT_TRUE(memarenaready());
    EXPECT_GT(largestfreememclass(0), MEM_ARENA_SIZE - 128 * 1024);
    EXPECT_EQ(graphicsstate(), 7);
    EXPECT_TRUE(ismainwindowopen());
    EXPECT_EQ(libpalette[15], 0xFFFCFCFCu);
    EXPECT_STREQ(grfop_result(), nullptr);
    EXPECT_TRUE(timerrunning());
    EXPECT_EQ(libsettings.timerrate.load(), 240);
    EXPECT_TRUE(libcpu.detected);
    EXPECT_GT(libcpuhz.load(), 0u);
    EXPECT_EQ(libcpuhz.load() % 1000000, 0u);
    EXPECT_EQ(loadfilehook(), &loadfile_crccheck);
    EXPECT_STREQ(std::getenv("FX_GLIDE_NO_SPLASH"), "1");
    EXPECT_EQ(libprojection.hangle, 30 * 1024 / 360);
    EXPECT_EQ(libprojection.centrex, 320);
    EXPECT_EQ(libprojection.centrey, 240);

    std::string path = dir.write("probe", {1, 2, 3});
    EXPECT_EQ(syncexists(path.c_str(), 0), 1);

    librunexitfunctions();
    EXPECT_FALSE(timerrunning());
    EXPECT_EQ(graphicsstate(), 0);
    EXPECT_FALSE(ismainwindowopen());
    AbortCatcher aborts;
    EXPECT_EQ(FILE_barrier(0, 0, 0), 0u);
    EXPECT_TRUE(aborts.saw("FILE_allocateop - FILE SYSTEM NOT INITIALIZED"));
    releasemem();
}

TEST(LibraryStart, ClockRateNeedsTheTimer)
{
    AbortCatcher aborts;
    stoptimer();
    EXPECT_EQ(getcpuspeed(), 0u);
    EXPECT_TRUE(aborts.saw("getcpuspeed - INITTIMER MUST BE INITIALIZED TO MEASURE CPU PERFORMANCE\n"));
    EXPECT_EQ(getclockrate(), 0u);
    EXPECT_TRUE(aborts.saw("getcpuspeed - INITTIMER REQUIRED TO DETERMINE CLOCK RATE\n"));
}

TEST(LibraryStart, TheOnlyCopyIsTold)
{
    TempDir dir;
    EXPECT_EQ(checksingleinstance("kob_lib_single"), 0);
    EXPECT_EQ(checksingleinstance("kob_lib_single"), 0);
    EXPECT_EQ(checksingleinstance(nullptr), 0);
}

} // namespace
