// A display for the display layer's tests: the host's offscreen window or a
// made-up driver with its own mode list, opened and closed per test.
#pragma once

#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "win/ddraw.h"
#include "win/grfreq.h"
#include "win/key.h"
#include "win/mainwindow.h"
#include "win/timer.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

// A driver over a list of modes; setting a mode listed in `refuse` fails.
struct FakeDisplay {
    static inline std::vector<DisplayModeDesc> modes;
    static inline std::vector<DisplayModeDesc> refuse;
    static inline std::vector<DisplayModeDesc> asked; // every mode set, in order
    static inline int32_t w = 640, h = 480, bpp = 16;
    static inline int32_t originx = 0, originy = 0;
    static inline int32_t lie = 0; // modes the second enumeration adds

    static int32_t enummodes(DisplayModeDesc* out, int32_t capacity)
    {
        int32_t n = static_cast<int32_t>(modes.size()) + (out && lie ? lie : 0);
        if (!out) return static_cast<int32_t>(modes.size());
        int32_t filled = 0;
        for (int32_t i = 0; i < n && filled < capacity; ++i)
            out[filled++] = i < static_cast<int32_t>(modes.size()) ? modes[static_cast<size_t>(i)] : modes.back();
        return filled;
    }
    static int32_t setmode(int32_t width, int32_t height, int32_t b, int32_t)
    {
        asked.push_back(DisplayModeDesc{width, height, b, 0, 0, 0, 0, 0, false});
        for (const auto& r : refuse)
            if (r.width == width && r.height == height && r.bpp == b) return 1;
        w = width;
        h = height;
        bpp = b;
        return 0;
    }
    static void getmode(int32_t* width, int32_t* height, int32_t* b)
    {
        *width = w;
        *height = h;
        *b = bpp;
    }
    static void present(const uint8_t*, int32_t, int32_t, int32_t, int32_t) {}
    static void clientorigin(int32_t* x, int32_t* y)
    {
        *x = originx;
        *y = originy;
    }
    static DisplayDriver driver(uint32_t hwcaps = 0)
    {
        return DisplayDriver{enummodes, setmode, getmode, present, clientorigin, hwcaps, 0, 0, 1u << 20, 1u << 20};
    }
    static void reset()
    {
        modes.clear();
        refuse.clear();
        asked.clear();
        w = 640, h = 480, bpp = 16;
        originx = originy = 0;
        lie = 0;
    }
};

inline DisplayModeDesc mode16(int32_t w, int32_t h) { return DisplayModeDesc{w, h, 16, 60, 1, 0xF800, 0x07E0, 0x001F, false}; }
inline DisplayModeDesc mode(int32_t w, int32_t h, int32_t bpp) { return DisplayModeDesc{w, h, bpp, 60, 1, 0, 0, 0, false}; }

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        initmemsize(1 << 22);
        resetdisplay();
        resetmainwindow();
        resetkeys();
        FakeDisplay::reset();
        saved_options_ = libsettings.displayoptions;
    }
    void TearDown() override
    {
        setapplicationfocusfunc(nullptr);
        unlockwindow();
        restoregraphics();
        resetmainwindow();
        resetdisplay();
        resetkeys();
        setdisplaydriver(nullptr);
        libsettings.displayoptions = saved_options_;
        releasemem();
    }
    // Uses the made-up driver for the rest of the test.
    void fake(uint32_t hwcaps = 0)
    {
        driver_ = FakeDisplay::driver(hwcaps);
        setdisplaydriver(&driver_);
    }
    DisplayDriver driver_{};
    uint32_t saved_options_ = 0;
};
