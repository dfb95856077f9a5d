// The named texture manager and the texture cache against the recording
// device: use counts, what reaches the device, and the 16-bit conversion.
#include "gl_fixture.h"
#include "picture_files.h"
#include "../platform/exit_trap.h"

#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "lib/image_write.h"
#include "lib/lzss_write.h"

namespace {

class TextureTest : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        reset_render_state_cache();
        reset_texture_cache();
        tex_destroy_all();
    }
    void TearDown() override
    {
        reset_texture_cache();
        tex_destroy_all();
        GlFixture::TearDown();
    }
    size_t count(RecordedCall::Kind kind) const { return device.of_kind(kind).size(); }
    // The texels written last.
    std::vector<uint16_t> last_texels() const { return device.of_kind(RecordedCall::WRITE_TEXTURE).back().texels; }

    PictureFiles files;
};

TEST_F(TextureTest, UseCountsDecideWhatStaysOnTheDevice)
{
    files.write("pic.tga", kit_tga(kit_picture(4, 4, 0xFF808080)));
    int32_t id = find_or_load_texture("pic.tga");
    ASSERT_EQ(id, 0);
    EXPECT_EQ(find_or_load_texture("pic.tga"), id);
    EXPECT_EQ(get_texture_use_count(id), 2u);
    EXPECT_EQ(count(RecordedCall::CREATE_TEXTURE), 1u);

    EXPECT_EQ(release_texture(id, 0), 1);
    EXPECT_EQ(count(RecordedCall::RELEASE_TEXTURE), 0u) << "one holder left: it stays";
    EXPECT_EQ(release_texture(id, 0), 1);
    EXPECT_EQ(count(RecordedCall::RELEASE_TEXTURE), 1u);
    EXPECT_EQ(get_texture_use_count(id), 0u);

    files.remove("pic.tga"); // the third ask must not read the file
    EXPECT_EQ(find_or_load_texture("pic.tga"), id);
    EXPECT_EQ(count(RecordedCall::CREATE_TEXTURE), 2u);
    EXPECT_EQ(get_texture_use_count(id), 1u);
    EXPECT_EQ(device.live_textures, 1);
}

TEST_F(TextureTest, AFreedEntryIsReusedFirstAndFreedOnlyOnce)
{
    for (const char* n : {"a.tga", "b.tga", "c.tga"}) files.write(n, kit_tga(kit_picture(1, 1, 0xFFFFFFFF)));
    EXPECT_EQ(find_or_load_texture("a.tga"), 0);
    EXPECT_EQ(find_or_load_texture("b.tga"), 1);
    EXPECT_EQ(find_or_load_texture("c.tga"), 2);
    EXPECT_EQ(release_texture(1, 1), 1);
    EXPECT_EQ(texture_cache_count(), 2);
    // A second free of the same id changes nothing.
    EXPECT_EQ(release_texture(1, 1), 0);
    EXPECT_EQ(add_texture_ref(1), 0);
    EXPECT_EQ(texture_cache_count(), 2);
    EXPECT_EQ(find_or_load_texture("a.tga"), 0);
    EXPECT_EQ(find_or_load_texture("d.tga"), 1) << "the freed entry, even for a missing file";
    EXPECT_EQ(texture_cache_count(), 3);
    EXPECT_EQ(release_texture(-3, 1), 0);
    EXPECT_EQ(release_texture(TEXTURE_CACHE_SIZE, 1), 0);
}

TEST_F(TextureTest, TheTableRefusesThe201stName)
{
    for (int i = 0; i < TEXTURE_CACHE_SIZE; ++i) ASSERT_EQ(find_or_load_texture(("n" + std::to_string(i) + ".tga").c_str()), i);
    EXPECT_EQ(find_or_load_texture("one_more.tga"), NO_TEXTURE);
    EXPECT_EQ(texture_cache_count(), TEXTURE_CACHE_SIZE);
}

TEST_F(TextureTest, BindingReachesTheDeviceOnlyOnAChange)
{
    files.write("a.tga", kit_tga(kit_picture(1, 1, 0xFFFFFFFF)));
    int32_t id = find_or_load_texture("a.tga");
    device.forget();
    bind_texture(id);
    bind_texture(id);
    auto binds = device.of_kind(RecordedCall::SET_TEXTURE);
    ASSERT_EQ(binds.size(), 1u);
    EXPECT_NE(binds[0].b, 0u);
    // Taken off the device: the next bind of the id reaches the device again.
    release_texture(id, 0);
    EXPECT_EQ(current_bound_texture(), NO_TEXTURE);
    add_texture_ref(id);
    device.forget();
    bind_texture(id);
    EXPECT_EQ(device.of_kind(RecordedCall::SET_TEXTURE).size(), 1u);
    // A freed or impossible id unbinds.
    device.forget();
    bind_texture(-1);
    bind_texture(77);
    binds = device.of_kind(RecordedCall::SET_TEXTURE);
    ASSERT_EQ(binds.size(), 1u);
    EXPECT_EQ(binds[0].b, 0u);
    EXPECT_EQ(current_bound_texture(), NO_TEXTURE);
}

TEST_F(TextureTest, CompressedTwinsAndTgaOrientation)
{
    KitPicture p = kit_picture(2, 2, 0xFF000000);
    p.at(0, 0) = 0xFFFF0000;
    files.write("pic.lkz", kit_lkz_image(2, 2, p.pixels));
    set_lkz_image_mode(1);
    uint32_t w = 0, h = 0;
    uint32_t* pixels = load_image_file("pic.tga", &w, &h);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
    std::free(pixels);
    set_lkz_image_mode(0);

    // Plain 24-bit pictures give alpha 0, run-length ones 255; a top-left
    // origin in the descriptor is not looked at.
    files.write("plain.tga", kit_tga(p, {24, false, "", 0, 0x20}));
    files.write("packed.tga", kit_tga(p, {24, true}));
    uint32_t* plain = load_image_file("plain.tga", &w, &h);
    uint32_t* packed = load_image_file("packed.tga", &w, &h);
    ASSERT_TRUE(plain && packed);
    EXPECT_EQ(plain[0], 0x00FF0000u);
    EXPECT_EQ(packed[0], 0xFFFF0000u);
    std::free(plain);
    std::free(packed);
}

// A picture that is there but is not a whole TGA ends the game with its name
// and the fault, as a missing data file would; it is never made into a blank
// texture (a font page of random bytes would draw its glyphs as white blocks).
TEST_F(TextureTest, TheTgaObjectRefusesHostileFiles)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* says;
    };
    std::vector<uint8_t> overlong = kit_tga(kit_picture(2, 1), {24, true});
    overlong.resize(18);
    for (uint8_t b : {0x82, 1, 2, 3}) overlong.push_back(b); // three pixels into two
    std::vector<uint8_t> short_file = kit_tga(kit_picture(4, 4, 0xFF010203), {32, true});
    short_file.resize(short_file.size() - 2);
    std::vector<uint8_t> depth16 = kit_tga(kit_picture(1, 1));
    depth16[16] = 16;
    std::vector<uint8_t> noise(600);
    uint32_t seed = 12345;
    for (uint8_t& b : noise) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    noise[1] = 0, noise[2] = 2, noise[12] = 16, noise[13] = 0, noise[14] = 16, noise[15] = 0, noise[16] = 32;
    // a header that passes, pixels that cannot fill it
    const Case cases[] = {{"overlong run", overlong, "a run-length packet runs past the 2 x 1 picture"},
                          {"short", short_file, "the file ends before the 4 x 4 picture's last pixel"},
                          {"16-bit", depth16, "not a true-colour TGA of 24 or 32 bits (type 2, 16 bits)"},
                          {"header", {1, 2, 3}, "the file is shorter than a TGA header"},
                          {"random bytes", noise, "the file ends before"}};
    for (const Case& c : cases) {
        files.write("x.tga", c.bytes);
        std::string fault;
        std::FILE* f = std::fopen(files.path("x.tga").c_str(), "rb");
        TgaImage image;
        EXPECT_FALSE(image.read(f, &fault)) << c.what;
        std::fclose(f);
        EXPECT_NE(fault.find(c.says), std::string::npos) << c.what << ": " << fault;
        EXPECT_TRUE(image.pixels.empty()) << c.what;
        for (bool through_cache : {false, true}) {
            const int32_t before = texture_cache_count();
            Ending e = run_trapped([&] {
                uint32_t w, h;
                if (through_cache) find_or_load_texture("x.tga");
                else load_image_file("x.tga", &w, &h);
            });
            EXPECT_TRUE(e.ended && e.code == 1) << c.what;
            EXPECT_NE(e.box_text.find("load_image_file: x.tga (" + files.path("x.tga") + ")\n" + c.says), std::string::npos)
                << c.what << ": " << e.box_text;
            EXPECT_EQ(texture_cache_count(), before) << c.what;
        }
    }
    uint32_t w, h;
    EXPECT_EQ(load_image_file("missing.tga", &w, &h), nullptr) << "a missing picture is no picture";
}

TEST_F(TextureTest, AlphaTexturesGetNamesOfTheirOwn)
{
    int32_t a = create_alpha_texture(0x80FF0000);
    int32_t b = create_alpha_texture(0x8000FF00);
    EXPECT_NE(a, b);
    EXPECT_STRNE(texture_cache_name(a), texture_cache_name(b));
    // Asked with alpha: the 1-5-5-5 format; alpha 0x80 is below full, so
    // its one alpha bit is clear.
    ASSERT_EQ(device.of_kind(RecordedCall::WRITE_TEXTURE).size(), 2u);
    EXPECT_EQ(device.of_kind(RecordedCall::WRITE_TEXTURE)[0].texels[0], 0x7C00);
    uint32_t bits, mode;
    get_texture_format(&bits, &mode);
    EXPECT_EQ(mode, 0u) << "the format is put back";
}

TEST_F(TextureTest, ColourKeyConversionForAlphaModeOne)
{
    KitPicture p = kit_picture(3, 1);
    p.at(0, 0) = 0x80FFFFFF;  // see-through (alpha 128 or less)
    p.at(1, 0) = 0xFFFF00FF;  // opaque magenta: would pack to the key
    p.at(2, 0) = 0xFF0000FF;
    files.write("k.tga", kit_tga(p));
    set_texture_format(16, 1);
    find_or_load_texture("k.tga");
    std::vector<uint16_t> t = last_texels();
    const uint16_t key = tex_colour_key(0xF800, 0x001F);
    EXPECT_EQ(t[0], key);
    EXPECT_NE(t[1], key);
    EXPECT_EQ(t[1], uint16_t(key - 1)) << "blue moved down by one";
    EXPECT_EQ(t[2], 0x001F);
    auto keys = device.of_kind(RecordedCall::COLOUR_KEY);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].b, key);
}

TEST_F(TextureTest, NamedTexturesByNameWithoutCase)
{
    files.write("Dir/Sky.tga", kit_tga(kit_picture(1, 1, 0xFF0000FF)));
    files.write("Dir/Grass.tga", kit_tga(kit_picture(1, 1, 0xFF00FF00)));
    files.write("Dir/Grass.xyz", {0});
    EXPECT_EQ(tex_create_from_file("dir\\sky.tga", 0, 0), TEX_OK);
    EXPECT_EQ(tex_create_from_file("DIR\\SKY.TGA", 0, 0), TEX_OK);
    EXPECT_EQ(tex_list_count(), 1);
    EXPECT_EQ(tex_find_by_name("Dir\\Sky.tga")->name, "dir\\sky.tga") << "the first record stays";
    EXPECT_EQ(tex_create_from_file("dir\\grass.xyz", 0, 0), TEX_OK) << "read from the .tga beside it";
    EXPECT_EQ(tex_get_bitmap_info("dir\\grass.xyz").width, 1);
    files.write("noext", kit_tga(kit_picture(1, 1)));
    EXPECT_EQ(tex_create_from_file("noext", 0, 0), TEX_E_FAIL);
    EXPECT_EQ(tex_create_from_file("missing.tga", 0, 0), TEX_E_FAIL);
    EXPECT_EQ(tex_get_bitmap_info("missing.tga").type, -1);
    EXPECT_EQ(tex_restore_one("dir\\sky.tga", &device), TEX_OK);
    EXPECT_EQ(tex_restore_one("missing.tga", &device), TEX_E_NOTFOUND);
    EXPECT_EQ(tex_restore_one("dir\\sky.tga", nullptr), TEX_E_INVALIDARG);
    EXPECT_EQ(last_texels()[0], 0x001F) << "blue in 5-6-5";
    EXPECT_EQ(tex_destroy("dir\\sky.tga"), TEX_OK);
    EXPECT_EQ(tex_destroy("dir\\sky.tga"), TEX_E_NOTFOUND);
    EXPECT_EQ(device.live_textures, 0);
}

TEST_F(TextureTest, WhiteTransparencyNeedsAnAlphaFormat)
{
    KitPicture p = kit_picture(2, 1, 0xFFFFFFFF);
    p.at(1, 0) = 0xFF102030;
    files.write("w.bmp", kit_bmp(p, 24));
    ASSERT_EQ(tex_create_from_file("w.bmp", 0, TEX_WHITE_TRANSPARENT | TEX_WANT_ALPHA), TEX_OK);
    ASSERT_EQ(tex_restore_one("w.bmp", &device), TEX_OK);
    std::vector<uint16_t> t = last_texels();
    EXPECT_EQ(t[0] & 0x8000, 0) << "pure white: alpha 0";
    EXPECT_EQ(t[1] & 0x8000, 0x8000);
}

TEST_F(TextureTest, TheImageObjectWritesWhatItReads)
{
    KitPicture p = kit_picture(3, 2);
    for (uint32_t i = 0; i < 6; ++i) p.pixels[i] = 0xFF000000 | (i * 0x102030);
    p.at(2, 1) = 0;
    files.write("in.tga", kit_tga(p, {32, true, "hello"}));
    TgaImage image;
    std::FILE* f = std::fopen(files.path("in.tga").c_str(), "rb");
    ASSERT_TRUE(image.read(f));
    std::fclose(f);
    EXPECT_EQ(image.pixels, p.pixels);
    std::FILE* out = std::fopen(files.path("out.tga").c_str(), "wb");
    ASSERT_TRUE(image.write(out, 32));
    std::fclose(out);
    TgaImage again;
    f = std::fopen(files.path("out.tga").c_str(), "rb");
    ASSERT_TRUE(again.read(f));
    std::fclose(f);
    EXPECT_EQ(again.pixels, p.pixels);
    EXPECT_EQ(std::string(again.id_text.begin(), again.id_text.end() - 1), "hello");

    int32_t c0, c1, r0, r1;
    ASSERT_TRUE(image.opaque_bounds(&c0, &c1, &r0, &r1));
    EXPECT_EQ(c1, 2);
    TgaImage part = image;
    part.crop(1, 0, 3, 1);
    EXPECT_EQ(part.width, 2u);
    EXPECT_EQ(part.x_origin, 1u);
    int32_t fx, fy;
    ASSERT_TRUE(image.find_sub_image(part, &fx, &fy));
    EXPECT_EQ(fx, 1);
    EXPECT_EQ(fy, 0);
    EXPECT_FALSE(image.copy_rectangle(part, 0, 0, 2, 1, 2, 0)) << "would run off the right edge";
    std::vector<uint8_t> v565 = image.convert(565);
    EXPECT_EQ(v565.size(), 12u);
    EXPECT_TRUE(image.convert(24).empty());
}

} // namespace
