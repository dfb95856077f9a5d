// Writers of the software display's data: text ".x" meshes in the subset the
// game reads, man sprite files (".spr": frames of a 5-byte header and their
// texel rows), group sprites (mask bytes and colour bytes per 8-pixel group,
// short or long headers) and the team frame-offset tables ("Team.dwd").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct KitMeshMaterial {
    float red = 1.0f, green = 1.0f, blue = 1.0f;
    std::string texture; // empty: untextured (write untextured materials last)
};
struct KitMesh {
    std::vector<std::array<double, 3>> vertices; // the game's x, y, z
    std::vector<std::array<int32_t, 3>> faces;
    std::vector<int32_t> face_materials; // one per face
    std::vector<KitMeshMaterial> materials;
    std::vector<std::array<double, 2>> uv; // one per vertex
};
// The text of the mesh; vertices are written z, y, x as the reader stores them back.
std::string kit_x_mesh(const KitMesh& mesh);

// One man sprite frame: width x height texels (0 transparent), rows from the top.
struct KitManFrame {
    uint8_t tag = 0;
    int8_t x_origin = 0, y_origin = 0;
    uint8_t width = 0, height = 0;
    std::vector<uint8_t> texels;
};
// The frames one after another; offsets_out receives each frame's offset.
std::vector<uint8_t> kit_man_sprites(const std::vector<KitManFrame>& frames, std::vector<uint32_t>* offsets_out);
// Three tables of 256 little-endian offsets, at 0, 1024 and 2048.
std::vector<uint8_t> kit_team_dwd(const std::array<std::array<uint32_t, 256>, 3>& tables);

// A group sprite: pixels (0 transparent) in rows; the long header when asked
// or when the sprite is too big for the short one.
std::vector<uint8_t> kit_group_sprite(uint32_t width, uint32_t height, int32_t x_origin, int32_t y_origin,
                                      const std::vector<uint8_t>& pixels, bool long_header = false);
