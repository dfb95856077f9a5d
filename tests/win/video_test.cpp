#include "display_fixture.h"

#include "win/video.h"

#include <cstring>

namespace {

// A grey frame: every cell V 64, U 64, both lumas 100.
std::vector<uint8_t> grey_frame(int32_t width, int32_t height)
{
    std::vector<uint8_t> frame(static_cast<size_t>(width / 2 * height * 4) + 4);
    for (size_t i = 0; i + 3 < frame.size(); i += 4) {
        frame[i] = 64;
        frame[i + 1] = 64;
        frame[i + 2] = 100;
        frame[i + 3] = 100;
    }
    return frame;
}

uint16_t primary_pixel(int32_t x, int32_t y)
{
    DDSurface* p = libdisplay.primary;
    uint16_t v;
    std::memcpy(&v, p->pixels.data() + y * p->pitch + x * 2, 2);
    return v;
}

class Video : public DisplayTest {
protected:
    void open(uint32_t hwcaps)
    {
        if (hwcaps) fake(hwcaps);
        libsettings.displayoptions = 0;
        initgraphics(640, 480, 16);
        ASSERT_EQ(graphicsstate(), 7);
    }
};

TEST_F(Video, WithoutFourCCTheFirstFrameIsDrawnInSoftware)
{
    open(0);
    setupvideo(8, 4, 16, 16, 0, 0);
    EXPECT_EQ(getvideomode(), VIDEO_SOFTWARE);
    std::vector<uint8_t> frame = grey_frame(16, 16);
    showvideo(frame.data());
    EXPECT_NE(primary_pixel(8, 4), 0);
    EXPECT_EQ(primary_pixel(7, 4), 0);
    EXPECT_FALSE(issurfacelocked());
    releasevideo();
}

TEST_F(Video, AStretchBlitDoublesTheFrameOverTheClientArea)
{
    open(DDCAPS_BLTFOURCC | DDCAPS_BLTSTRETCH);
    setupvideo(0, 0, 320, 240, 1, 0);
    EXPECT_EQ(getvideomode(), VIDEO_FOURCCBLIT);
    std::vector<uint8_t> frame = grey_frame(320, 240);
    showvideo(frame.data());
    EXPECT_EQ(getvideomode(), VIDEO_FOURCCBLIT);
    EXPECT_NE(primary_pixel(639, 479), 0);
    EXPECT_EQ(primary_pixel(639, 479), primary_pixel(0, 0));
    setupvideo(0, 0, 320, 240, 1, 1);
    EXPECT_EQ(getvideomode(), VIDEO_SOFTWARE);
    releasevideo();
}

TEST_F(Video, AnOverlayRepaintsItsKeyAfterTheDisplayIsRemade)
{
    open(DDCAPS_OVERLAYFOURCC | DDCAPS_OVERLAYSTRETCH);
    setupvideo(10, 10, 32, 32, 0, 0);
    EXPECT_EQ(getvideomode(), VIDEO_OVERLAY);
    std::vector<uint8_t> frame = grey_frame(32, 32);
    showvideo(frame.data());
    uint16_t shown = primary_pixel(10, 10);
    EXPECT_NE(shown, 0);
    EXPECT_NE(shown, 1);

    // A new display object: new surfaces, a new YUY2 surface, the key again.
    ASSERT_EQ(sendgrfrequest(WM_LIBINITGRAPHICS, 0), nullptr);
    ASSERT_EQ(sendgrfrequest(WM_LIBSETMODE, -1), nullptr);
    EXPECT_EQ(primary_pixel(10, 10), 0);
    showvideo(frame.data());
    EXPECT_EQ(primary_pixel(10, 10), shown);
    EXPECT_EQ(getvideomode(), VIDEO_OVERLAY);
    releasevideo();
}

} // namespace
