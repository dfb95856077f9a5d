// Mesh textures from 8-bit BMP files: size, ratios, row order and refusals.
#include "sw_fixture.h"

#include "lib/image_write.h"

#include <cstring>

namespace {

std::vector<uint8_t> bmp8(uint32_t w, uint32_t h, uint8_t base = 0)
{
    KitPicture pic = kit_picture(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) pic.at(x, y) = uint8_t(base + y * w + x);
    return kit_bmp(pic, 8, std::vector<uint32_t>(256, 0));
}

void put_le32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

} // namespace

TEST_F(SwTest, TextureSideAndRatios)
{
    put("mesh/wide.bmp", bmp8(100, 40));
    x_mesh mesh;
    std::strcpy(mesh.directory, "mesh");
    mesh_material mat{};
    std::strcpy(mat.texture_name, "wide.bmp");
    EXPECT_EQ(load_bmp_texture(&mesh, &mat), 0);
    SwTexture* t = sw_device_texture(mat.texture_handle);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->side, 128);
    EXPECT_FLOAT_EQ(mat.width_ratio, 1.28f);
    EXPECT_FLOAT_EQ(mat.height_ratio, 3.2f);
    // Destination row 0 is the picture's top row, reversed; the rest is clear.
    EXPECT_EQ(t->texels[0], 99);
    EXPECT_EQ(t->texels[99], 0);
    EXPECT_EQ(t->texels[128 + 99], uint8_t(100));
    EXPECT_EQ(t->texels[100], 0);
    EXPECT_EQ(t->texels[128 * 40], 0);
}

TEST_F(SwTest, TextureWithoutTheDeviceKeepsItsOwnBuffer)
{
    d3d_meshes_on = 0;
    put("mesh/vetra_sport.bmp", bmp8(4, 2, 1));
    x_mesh mesh;
    std::strcpy(mesh.directory, "mesh");
    mesh_material mat{};
    load_bmp_texture(&mesh, &mat); // an empty name loads the default picture
    EXPECT_STREQ(mat.texture_name, "vetra_sport.bmp");
    EXPECT_EQ(mat.picture_width, 4);
    EXPECT_EQ(mat.picture_height, 2);
    EXPECT_FLOAT_EQ(mat.width_ratio, 1.0f);
    ASSERT_EQ(mat.texture_buffer.size(), 16u);
    // Byte k is pixel byte w x h - 1 - k of the stored (bottom-up) rows.
    const uint8_t expect[8] = {4, 3, 2, 1, 8, 7, 6, 5};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(mat.texture_buffer[size_t(k)], expect[k]) << k;
}

TEST_F(SwTest, HostileBitmapsAreRefused)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> good = bmp8(8, 8);
    auto with = [&](size_t at, uint32_t v, int n) {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < n; ++i) b[at + i] = uint8_t(v >> (8 * i));
        return b;
    };
    KitPicture pic = kit_picture(8, 8, 0xFF336699);
    std::vector<uint8_t> truncated(good.begin(), good.end() - 10);
    std::vector<uint8_t> far_offset = good;
    put_le32(far_offset, 10, 0xFFFFFF00u);
    const Case cases[] = {
        {"24 bits", kit_bmp(pic, 24)},
        {"4 bits", with(28, 4, 2)},
        {"not BM", with(0, 0x4141, 2)},
        {"top-down", with(22, uint32_t(-8), 4)},
        {"zero width", with(18, 0, 4)},
        {"pixels past the end", truncated},
        {"offset past the end", far_offset},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
    };
    for (const Case& c : cases) {
        put("mesh/bad.bmp", c.bytes);
        x_mesh mesh;
        std::strcpy(mesh.directory, "mesh");
        mesh_material mat{};
        std::strcpy(mat.texture_name, "bad.bmp");
        EXPECT_THROW(load_bmp_texture(&mesh, &mat), GameExit) << c.what;
    }
}
