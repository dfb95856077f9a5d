// The picture loaders on kit-written and hostile files.
#include "picture_files.h"

#include "../platform/exit_trap.h"
#include "gl3d/image_loaders.h"
#include "lib/image_write.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Bytes blue, green, red, alpha of a 32-bit bitmap pixel.
uint32_t pixel(const DibSection& d, int x, int y)
{
    const uint8_t* p = d.row(y) + x * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

KitPicture two_by_two()
{
    KitPicture p = kit_picture(2, 2);
    p.at(0, 0) = 0x80FF0000; // top left: red
    p.at(1, 0) = 0x4000FF00;
    p.at(0, 1) = 0xFF0000FF;
    p.at(1, 1) = 0x00102030;
    return p;
}

struct Loaded {
    uint32_t code;
    std::unique_ptr<DibSection> dib;
};

Loaded load_tga(const PictureFiles& files, const std::vector<uint8_t>& bytes)
{
    files.write("p.tga", bytes);
    DibSection* d = nullptr;
    uint32_t code = load_tga_dib(files.path("p.tga").c_str(), &d);
    return {code, std::unique_ptr<DibSection>(d)};
}

TEST(TgaLoader, KeepsFileOrderTopRowFirstAndAlphaOr255)
{
    PictureFiles files;
    for (bool rle : {false, true}) {
        Loaded l32 = load_tga(files, kit_tga(two_by_two(), {32, rle, "id text", 2, 0}));
        ASSERT_EQ(l32.code, TEX_OK) << rle;
        EXPECT_EQ(pixel(*l32.dib, 0, 0), 0x80FF0000u) << "red stays red, its own alpha kept";
        EXPECT_EQ(pixel(*l32.dib, 1, 1), 0x00102030u);
        Loaded l24 = load_tga(files, kit_tga(two_by_two(), {24, rle}));
        ASSERT_EQ(l24.code, TEX_OK);
        EXPECT_EQ(pixel(*l24.dib, 0, 0), 0xFFFF0000u) << "24-bit pictures are opaque";
        EXPECT_EQ(pixel(*l24.dib, 0, 1), 0xFF0000FFu);
    }
}

TEST(TgaLoader, RunPacketsRepeatOnceTo128Times)
{
    KitPicture p = kit_picture(130, 1, 0xFF112233);
    p.at(129, 0) = 0xFF445566;
    std::vector<uint8_t> bytes = kit_tga(p, {32, true});
    // The writer makes a 0xFF run of 128, then a literal 0x00 packet... or
    // whatever it chose; check the packets it wrote decode to the picture.
    PictureFiles files;
    Loaded l = load_tga(files, bytes);
    ASSERT_EQ(l.code, TEX_OK);
    EXPECT_EQ(bytes[18], 0xFF) << "a run of 128";
    for (int x = 0; x < 129; ++x) EXPECT_EQ(pixel(*l.dib, x, 0), 0xFF112233u) << x;
    EXPECT_EQ(pixel(*l.dib, 129, 0), 0xFF445566u);

    // A hand-made stream: 0x80 (one pixel once), 0x00 (one literal pixel).
    std::vector<uint8_t> head(kit_tga(kit_picture(2, 1), {24, true}));
    head.resize(18);
    for (uint8_t b : {0x80, 1, 2, 3, 0x00, 4, 5, 6}) head.push_back(b);
    Loaded two = load_tga(files, head);
    ASSERT_EQ(two.code, TEX_OK);
    EXPECT_EQ(pixel(*two.dib, 0, 0), 0xFF030201u);
    EXPECT_EQ(pixel(*two.dib, 1, 0), 0xFF060504u);
}

TEST(TgaLoader, EndsTheProgramOnAnUnknownTypeOrAnOverlongRun)
{
    PictureFiles files;
    struct Case {
        uint8_t type, depth, packet;
        int code;
    } cases[] = {{1, 24, 0, 112}, {10, 24, 0x01, 113}, {10, 24, 0x81, 115}, {10, 32, 0x01, 116}, {10, 32, 0x81, 117}};
    for (const Case& c : cases) {
        std::vector<uint8_t> b = kit_tga(kit_picture(1, 1), {c.depth, false});
        b.resize(18);
        b[2] = c.type;
        b.push_back(c.packet);
        b.insert(b.end(), 8, 0x11);
        files.write("bad.tga", b);
        std::FILE* f = std::fopen(files.path("bad.tga").c_str(), "rb");
        testing::internal::CaptureStdout();
        Ending e = run_trapped([&] { std::free(read_tga(f, nullptr, nullptr, 0, 1)); });
        std::string said = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(e.ended);
        EXPECT_EQ(e.code, c.code) << int(c.type) << " " << int(c.depth) << " " << int(c.packet);
        EXPECT_EQ(said, c.type == 1 ? "Only type 2 or 10 supported\n" : "RLE overflow\n");
    }
}

TEST(TgaLoader, AFileThatEndsEarlyIsAFailure)
{
    PictureFiles files;
    for (bool rle : {false, true}) {
        std::vector<uint8_t> b = kit_tga(kit_picture(8, 8, 0xFF123456), {32, rle});
        b.resize(b.size() - 3);
        EXPECT_EQ(load_tga(files, b).code, TEX_E_FAIL) << rle;
    }
    DibSection* d = nullptr;
    EXPECT_EQ(load_tga_dib(files.path("none.tga").c_str(), &d), TEX_E_NOTFOUND);
    EXPECT_EQ(load_tga_dib(nullptr, &d), TEX_E_INVALIDARG);
}

TEST(PpmLoader, CommentsTheOneSeparatorAndBlueGreenRedZero)
{
    KitPicture p = kit_picture(2, 1);
    p.at(0, 0) = 0x20A0B0; // first byte 0x20 after the separator is a pixel
    p.at(1, 0) = 0x010203;
    PictureFiles files;
    files.write("a.ppm", kit_ppm(p, 255, " made by the kit"));
    DibSection* d = nullptr;
    ASSERT_EQ(load_ppm_dib(files.path("a.ppm").c_str(), &d), TEX_OK);
    std::unique_ptr<DibSection> own(d);
    EXPECT_EQ(d->width, 2);
    EXPECT_EQ(pixel(*d, 0, 0), 0x0020A0B0u);
    EXPECT_EQ(pixel(*d, 1, 0), 0x00010203u);

    std::vector<uint8_t> bytes = kit_ppm(p);
    DibSection* m = nullptr;
    ASSERT_EQ(load_ppm_dib_mem(bytes.data(), static_cast<uint32_t>(bytes.size()), &m), TEX_OK);
    delete m;
}

TEST(PpmLoader, RefusesOtherMagicsWideSamplesAndShortData)
{
    PictureFiles files;
    KitPicture p = kit_picture(3, 3, 0x445566);
    std::vector<uint8_t> text = kit_ppm(p);
    text[1] = '3';
    std::vector<uint8_t> wide = kit_ppm(p, 65535), zero = kit_ppm(p, 0), shortened = kit_ppm(p);
    shortened.resize(shortened.size() - 1);
    std::vector<uint8_t> header_only = {'P', '6', ' ', '1', '2'}; // ends inside the header
    for (const auto& bytes : {text, wide, zero, shortened, header_only}) {
        files.write("b.ppm", bytes);
        DibSection* d = nullptr;
        EXPECT_EQ(load_ppm_dib(files.path("b.ppm").c_str(), &d), TEX_E_FAIL);
        EXPECT_EQ(d, nullptr);
        EXPECT_EQ(load_ppm_dib_mem(bytes.data(), static_cast<uint32_t>(bytes.size()), &d), TEX_E_FAIL);
        EXPECT_EQ(d, nullptr);
    }
}

TEST(PpmLoader, TheMemoryHeaderMovesTheCursorToThePixels)
{
    std::vector<uint8_t> bytes = kit_ppm(kit_picture(4, 2), 255, "c");
    const uint8_t* cursor = bytes.data();
    uint16_t w = 0, h = 0, max = 0;
    ASSERT_EQ(read_ppm_header_mem(&cursor, bytes.data() + bytes.size(), &w, &h, &max), 1);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(max, 255);
    EXPECT_EQ(bytes.data() + bytes.size() - cursor, 4 * 2 * 3);
}

TEST(BmpLoader, KeepsTheFilesFormatRightWayUp)
{
    PictureFiles files;
    files.write("c.bmp", kit_bmp(two_by_two(), 24));
    DibSection* d = nullptr;
    ASSERT_EQ(load_bmp_dib(files.path("c.bmp").c_str(), &d), TEX_OK);
    std::unique_ptr<DibSection> own(d);
    EXPECT_EQ(d->bits, 24);
    const uint8_t* top = d->row(0);
    EXPECT_EQ(top[2], 0xFF) << "the top-left pixel is red";

    KitPicture idx = kit_picture(3, 2, 1);
    idx.at(0, 0) = 2;
    files.write("d.bmp", kit_bmp(idx, 8, {0x000000, 0x00FF00, 0xFF0000}));
    DibSection* e = nullptr;
    ASSERT_EQ(load_bmp_dib(files.path("d.bmp").c_str(), &e), TEX_OK);
    std::unique_ptr<DibSection> own_e(e);
    EXPECT_EQ(e->bits, 8);
    EXPECT_EQ(e->row(0)[0], 2);
    EXPECT_EQ(e->palette[2], 0xFF0000u);

    std::vector<uint8_t> cut = kit_bmp(two_by_two(), 32);
    cut.resize(cut.size() - 4);
    files.write("e.bmp", cut);
    DibSection* f = nullptr;
    EXPECT_EQ(load_bmp_dib(files.path("e.bmp").c_str(), &f), TEX_E_NOTFOUND);
    EXPECT_EQ(load_bmp_dib(files.path("none.bmp").c_str(), &f), TEX_E_NOTFOUND);
}

TEST(MediaPath, TheDataDirectoryThenD3dPath)
{
    PictureFiles files;
    files.write("Media/One.tga", {1});
    char out[512];
    ASSERT_EQ(get_media_path("media\\one.tga", "", out, sizeof out), TEX_OK);
    EXPECT_EQ(std::string(out), files.path("Media/One.tga"));
    EXPECT_EQ(get_media_path("two.tga", "", out, sizeof out), TEX_E_NOTFOUND);
    ::setenv("D3DPATH", files.path("Media").c_str(), 1);
    EXPECT_EQ(get_media_path("one.tga", "", out, sizeof out), TEX_OK);
    ::unsetenv("D3DPATH");
}

} // namespace
