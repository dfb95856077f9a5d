// Memory windows for drawing tests: each opened window becomes current, its
// pixels set to a poison byte, and is disposed of after the test.
#pragma once

#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "win/ddraw.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        initmemsize(4 << 20);
        resetdisplay();
        ASSERT_EQ(initrow(), 1);
    }
    void TearDown() override
    {
        unlockwindow();
        for (WIND* w : windows) disposewindow(w);
        disposedummywindow();
        freerowspace();
        releasemem();
    }
    WIND* open(int32_t bpp, int32_t width = 8, int32_t height = 4, uint8_t poison = 0xEE)
    {
        unlockwindow();
        WIND* w = createwindow(width, height, bpp, 0, 1);
        EXPECT_NE(w, nullptr);
        windows.push_back(w);
        std::memset(windowshape(w) + 16, poison, static_cast<size_t>(w->rowbytes) * static_cast<size_t>(height));
        EXPECT_EQ(lockwindow(w), 1);
        return w;
    }
    std::vector<WIND*> windows;
    AbortCatcher aborts;
};
