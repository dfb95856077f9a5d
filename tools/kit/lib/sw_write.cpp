// Writers of the software display's data files.
#include "lib/sw_write.h"

#include <cstdio>

namespace {

std::string number(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

void put_u32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void put_u16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

} // namespace

std::string kit_x_mesh(const KitMesh& m)
{
    std::string t = "xof 0302txt 0032\n\nMesh {\n";
    t += std::to_string(m.vertices.size()) + ";\n";
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        const auto& v = m.vertices[i];
        t += number(v[2]) + ";" + number(v[1]) + ";" + number(v[0]) + ";" + (i + 1 < m.vertices.size() ? ",\n" : ";\n");
    }
    t += std::to_string(m.faces.size()) + ";\n";
    for (size_t i = 0; i < m.faces.size(); ++i) {
        const auto& f = m.faces[i];
        t += "3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," + std::to_string(f[2]) +
             (i + 1 < m.faces.size() ? ";,\n" : ";;\n");
    }
    t += "MeshMaterialList {\n" + std::to_string(m.materials.size()) + ";\n" + std::to_string(m.face_materials.size()) + ";\n";
    for (size_t i = 0; i < m.face_materials.size(); ++i)
        t += std::to_string(m.face_materials[i]) + (i + 1 < m.face_materials.size() ? ",\n" : ";;\n");
    for (const KitMeshMaterial& mat : m.materials) {
        t += "Material {\n" + number(mat.red) + ";" + number(mat.green) + ";" + number(mat.blue) + ";1.000000;;\n";
        t += "0.000000;\n0.000000;0.000000;0.000000;;\n0.000000;0.000000;0.000000;;\n";
        if (!mat.texture.empty()) t += "TextureFilename {\n\"" + mat.texture + "\";\n}\n";
        t += "}\n";
    }
    t += "}\n";
    t += "MeshNormals {\n1;\n0.000000;1.000000;0.000000;;\n1;\n3;0,0,0;;\n}\n";
    t += "MeshTextureCoords {\n" + std::to_string(m.vertices.size()) + ";\n";
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        std::array<double, 2> uv = i < m.uv.size() ? m.uv[i] : std::array<double, 2>{0.0, 0.0};
        t += number(uv[0]) + ";" + number(uv[1]) + (i + 1 < m.vertices.size() ? ";,\n" : ";;\n");
    }
    t += "}\n}\n";
    return t;
}

std::vector<uint8_t> kit_man_sprites(const std::vector<KitManFrame>& frames, std::vector<uint32_t>* offsets_out)
{
    std::vector<uint8_t> out;
    for (const KitManFrame& f : frames) {
        if (offsets_out) offsets_out->push_back(uint32_t(out.size()));
        out.push_back(f.tag);
        out.push_back(f.height);
        out.push_back(uint8_t(f.x_origin));
        out.push_back(uint8_t(f.y_origin));
        out.push_back(f.width);
        for (size_t i = 0; i < size_t(f.width) * f.height; ++i) out.push_back(i < f.texels.size() ? f.texels[i] : 0);
    }
    return out;
}

std::vector<uint8_t> kit_team_dwd(const std::array<std::array<uint32_t, 256>, 3>& tables)
{
    std::vector<uint8_t> out;
    for (const auto& table : tables)
        for (uint32_t v : table) put_u32(out, v);
    return out;
}

std::vector<uint8_t> kit_group_sprite(uint32_t width, uint32_t height, int32_t x_origin, int32_t y_origin,
                                      const std::vector<uint8_t>& pixels, bool long_header)
{
    uint32_t groups = (width + 7) / 8;
    std::vector<uint8_t> out;
    if (long_header || groups >= 128 || height > 255 || width > 255 || x_origin < -128 || x_origin > 127 ||
        y_origin < -128 || y_origin > 127) {
        out.push_back(uint8_t(0x80 | groups));
        put_u16(out, height);
        put_u16(out, uint32_t(x_origin));
        put_u16(out, uint32_t(y_origin));
        put_u16(out, width);
    } else {
        out.push_back(uint8_t(groups));
        out.push_back(uint8_t(height));
        out.push_back(uint8_t(x_origin));
        out.push_back(uint8_t(y_origin));
        out.push_back(uint8_t(width));
    }
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t g = 0; g < groups; ++g) {
            uint8_t mask = 0;
            std::vector<uint8_t> colours;
            for (uint32_t b = 0; b < 8; ++b) {
                uint32_t x = g * 8 + b;
                uint8_t p = x < width ? pixels[size_t(y) * width + x] : 0;
                if (p) {
                    mask |= uint8_t(0x80 >> b);
                    colours.push_back(p);
                }
            }
            out.push_back(mask);
            out.insert(out.end(), colours.begin(), colours.end());
        }
    return out;
}
