#include "display_fixture.h"

#include "win/drawshape.h"
#include "win/colour.h"
#include "win/palette.h"

namespace {

TEST(Palette, NearestColourSkipsTheLastTwoAndPrefersTheLowerIndex)
{
    uint32_t p[256] = {};
    p[254] = 0x00123456;
    p[255] = 0x00123456;
    p[3] = 0x00123450;
    p[4] = 0x0012345C;
    EXPECT_EQ(nearestcolourin(p, 0x123456), 3);
    uint32_t black[256] = {};
    EXPECT_EQ(nearestcolourin(black, 0xFFFFFF), 0); // nothing nearer than the start distance
    black[7] = 0x00808080;
    EXPECT_EQ(nearestcolourin(black, 0xFFFFFF), 7);
}

TEST(Palette, SettersClampToTheTableAndWidenVgaValues)
{
    uint8_t rgb[60];
    for (int i = 0; i < 60; ++i) rgb[i] = static_cast<uint8_t>(i);
    uint32_t before = palettechanges();
    setpalette(250, 20, rgb);
    EXPECT_EQ(libpalette[255], 0xFF000000u | 15u << 16 | 16u << 8 | 17u);
    EXPECT_EQ(palettechanges(), before + 1);
    setpalette(-2, 3, rgb); // only entry 0, from the third triple
    EXPECT_EQ(libpalette[0], 0xFF060708u);

    const uint8_t vga[] = {63, 32, 0};
    vgapalette(10, 1, vga);
    EXPECT_EQ(libpalette[10], 0xFFFF8200u);
    uint8_t back[3];
    getpalette(10, 1, back);
    EXPECT_EQ(back[0], 255);
    EXPECT_EQ(back[1], 130);
    uint32_t words[2];
    getpalette32(254, 5, words);
    EXPECT_EQ(words[0], libpalette[254]);

    AbortCatcher aborts;
    getvgapalette();
    EXPECT_TRUE(aborts.saw("getvgapalette - STOP USING VGA PALETTES, THEY`VE BEEN OBSOLETE FOR 5 YEARS!\n"));

    loaddefaultpalette();
    EXPECT_EQ(libpalette[1], 0xFF0000A8u);
    EXPECT_EQ(libpalette[16], 0xFFFCFCFCu);
    EXPECT_EQ(libpalette[39], 0xFFFC0000u);
    EXPECT_EQ(libpalette[255], 0xFFFFFFFFu);
}

TEST(Palette, ColoursBecomePixelsOfTheCurrentDepth)
{
    loaddefaultpalette();
    const struct {
        uint8_t bpp;
        uint32_t argb, pixel;
    } cases[] = {{8, 0xFF0000A8, 1},       {15, 0xFFF80000, 0xFC00},      {16, 0xFFF80000, 0xF800},
                 {16, 0x00FFFFFF, 0xFFFF}, {20, 0xFFFFFFFF, 0},           {32, 0x12345678, 0x12345678},
                 {15, 0, 0}};
    for (const auto& c : cases) {
        currentwindow.bpp = c.bpp;
        EXPECT_EQ(colourtopixel(c.argb), c.pixel) << int(c.bpp) << " " << std::hex << c.argb;
    }
    currentwindow.bpp = 0;
}

using DisplayPalette = DisplayTest;

TEST_F(DisplayPalette, ADeepDisplayTakesNoPaletteEntries)
{
    libsettings.displayoptions = 0;
    initgraphics(320, 200, 16);
    ASSERT_EQ(graphicsstate(), 7);
    PaletteEntry before = libdisplay.entries[20];
    uint8_t red[3] = {255, 0, 0};
    uint32_t changes = palettechanges();
    setpalette(20, 1, red);
    EXPECT_EQ(palettechanges(), changes + 1);
    EXPECT_EQ(libpalette[20], 0xFFFF0000u);
    EXPECT_EQ(libdisplay.entries[20].red, before.red);
}

} // namespace
