#include "window_fixture.h"
#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "host/host_test_hooks.h"
#include "win/colour.h"
#include "win/ddraw.h"
#include "win/grab.h"
#include "win/palette.h"
#include "win/wind.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class Grab : public WindowTest {
protected:
    void TearDown() override
    {
        WindowTest::TearDown();
        host_set_user_dir("");
    }
};

TEST_F(Grab, SizeByDepth)
{
    const struct {
        int32_t bpp;
        uint32_t size;
    } cases[] = {{16, 614418}, {15, 614418}, {8, 307986}, {24, 921618}, {32, 1228818}};
    for (const auto& c : cases) {
        open(c.bpp, 640, 480);
        EXPECT_EQ(grabsize(), c.size) << c.bpp;
    }
}

TEST_F(Grab, HeaderAndPixelsOfTheClipRectangle)
{
    WIND* w = open(16, 120, 480, 0);
    w->minx = currentwindow.minx = 10;
    w->miny = currentwindow.miny = 20;
    w->maxx = currentwindow.maxx = 110;
    w->maxy = currentwindow.maxy = 70;
    writepixel(10, 20, 0xF81F);
    writepixel(109, 69, 0x07E0);
    Bytes image(grabsize());
    ASSERT_EQ(image.size(), 100u * 50 * 2 + 18);
    grabtga(image.data());
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 18),
              (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 10, 0, 154, 1, 100, 0, 50, 0, 16, 0x20}));
    EXPECT_EQ(image[18] | image[19] << 8, 0x7C1F); // r5g6b5 to 15-bit
    EXPECT_EQ(image[image.size() - 2] | image[image.size() - 1] << 8, 0x03E0);
}

TEST_F(Grab, EightBitWindowsCarryThePalette)
{
    open(8, 2, 1, 0);
    uint32_t entry = 0xFF112233;
    setpalette32(5, 1, &entry);
    writepixel(1, 0, 5);
    Bytes image(grabsize());
    grabtga(image.data());
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 8), (Bytes{0, 1, 1, 0, 0, 0, 1, 24}));
    EXPECT_EQ(image[16], 8);
    EXPECT_EQ(Bytes(image.begin() + 18 + 15, image.begin() + 18 + 18), (Bytes{0x33, 0x22, 0x11}));
    EXPECT_EQ(Bytes(image.end() - 2, image.end()), (Bytes{0, 5}));
}

TEST_F(Grab, TheFileIsWrittenToTheUserDirectory)
{
    TempDir dir;
    host_set_user_dir(dir.path(""));
    open(32, 3, 2, 0);
    writepixel(2, 1, 0x80A0B0C0);
    ASSERT_EQ(grabscreen("snap.tga"), 1);
    std::ifstream in(dir.path("snap.tga"), std::ios::binary);
    Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bytes image(grabsize());
    grabtga(image.data());
    EXPECT_EQ(file, image);
    EXPECT_EQ(Bytes(file.end() - 4, file.end()), (Bytes{0xC0, 0xB0, 0xA0, 0x80}));
}

} // namespace
