// Writer of "TCA" model containers (".tca" and the figures' ".pgf").
#pragma once

#include "model/tca_model.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TcaNodeData {
    float values[11] = {};
    std::string name;
};

struct TcaMeshData {
    std::string texture, name, node_name;
    float vectors[5][3] = {};
    std::vector<TcaVec3> vertices, normals;
    std::vector<std::array<uint16_t, 4>> facets;
    std::vector<TcaUV> uvs;
    uint16_t node_index = 0;
};

struct TcaSkinData {
    std::string name;
    uint16_t word = 0;
    std::vector<std::array<uint16_t, 2>> pairs; // mesh, vertex
    std::vector<TcaVec3> normals;               // written when the file has skin normals
    std::vector<TcaUV> uvs;                     // written when it has texture coordinates
    std::vector<std::array<uint16_t, 3>> triangles;
};

struct TcaVariantData {
    uint16_t target = 0;
    uint8_t kind = 0;
    std::vector<uint16_t> strides; // one a dimension, then the alternative count
    std::vector<std::string> dim_names;
    std::vector<uint16_t> target_indices;
    std::vector<TcaUV> alternatives;
};

struct TcaFileData {
    uint8_t version = 1;
    bool mesh_section = true;
    bool mesh_keys = false; // every mesh then carries three empty key lists
    bool skin_normals = false;
    bool tex_coords = true;
    bool node_section = false;
    std::vector<std::vector<TcaNodeData>> node_groups;
    std::vector<TcaMeshData> meshes;
    std::vector<TcaSkinData> skins;
    std::vector<TcaVariantData> variants; // version 2 on
    std::vector<std::string> keywords;
};

std::vector<uint8_t> write_tca(const TcaFileData& tca);
