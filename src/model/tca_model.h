// TCA model containers: every figure and scene model of the match display,
// and the player model, read whole from a "TCA" file.
#pragma once

#include "platform/text_reader.h"

#include <cstdint>

struct TcaVec3 {
    float x, y, z;
};
struct TcaUV {
    float u, v;
};

struct TcaNode {
    float values[11];
    char name[256];
};

struct TcaNodeGroup {
    int16_t count;
    TcaNode* nodes;
};

enum { TCA_PIVOT = 3 }; // the mesh vector that places it on its joint

struct TcaMesh {
    char texture[256];
    char name[24];
    char node_name[26];
    float vectors[5][3];
    int16_t vertex_count;
    int16_t normal_count;
    int16_t facet_count;
    TcaVec3* vertices;
    TcaVec3* normals;
    uint16_t (*facets)[4];
    int16_t uv_count;
    TcaUV* uvs;
    uint16_t node_index; // 65535 when the file has no node section
    // The per-figure copy's second vertex array; empty after reading.
    int16_t vertex_count2;
    TcaVec3* vertices2;
    uint16_t spare;
};

struct TcaKey3 {
    float v[3];
    uint32_t time;
};
struct TcaKey4 {
    float v[4];
    uint32_t time;
};

struct TcaMeshKeys {
    int16_t a, b, c;
    TcaKey3* a_keys;
    TcaKey4* b_keys;
    TcaKey3* c_keys;
};

struct TcaSkin {
    char name[256];
    uint16_t word;
    int16_t vertex_count;
    uint16_t* mesh_of;   // per skin vertex: the mesh it belongs to
    uint16_t* vertex_of; // and its vertex there
    TcaVec3* work;
    TcaVec3* normals;
    TcaUV* uvs;
    int16_t triangle_count;
    uint32_t (*triangles)[3];
};

struct TcaVariantSet {
    uint16_t target;
    uint8_t kind; // 0 a mesh, otherwise a skin
    int16_t dim_count;
    uint16_t* strides; // dim_count + 1; the last is the number of alternatives
    int16_t coord_count;
    char** dim_names;
    uint16_t* target_indices;
    TcaUV* alternatives; // alternatives x coord_count
};

struct ModelContainer {
    uint8_t version;
    uint16_t mesh_section;
    uint16_t mesh_keys;
    uint16_t zero;
    uint16_t skin_normals;
    uint16_t tex_coords;
    uint16_t node_section;
    int16_t mesh_count;
    int16_t group_count;
    uint16_t reserved[3];
    uint16_t reserved2;
    TcaMesh* meshes;
    TcaNodeGroup* groups;
    TcaMeshKeys* key_tracks;
    int16_t skin_count;
    TcaSkin* skins;
    int16_t variant_count;
    TcaVariantSet* variants;
    int16_t keyword_count;
    char** keywords;
};

// Parses a whole file image. False for a bad magic, version 0, or a file
// whose counts, indices or sizes do not fit it (nothing is kept then).
bool read_tca(ModelContainer* c, const uint8_t* data, uint32_t size);
// Why the last read_tca refused its file.
const char* tca_error();
// 1 on success, 0 when the file is missing or refused.
int load_tca_file(ModelContainer* c, const char* path);

ModelContainer* derive_tca_model(const ModelContainer* shared, const char* const* keywords, int keyword_count);
void free_derived_tca_model(ModelContainer** c);
void free_tca_arrays(ModelContainer* c);
void free_tca_model(ModelContainer* c);

// The string helpers the model code stands on.
bool tca_strings_equal(const char* a, const char* b);
char* tca_copy_string(const char* s);
// 1-based position of word in a space-separated list, -1 when absent.
int tca_word_position(const char* list, const char* word);
// collapse_whitespace: platform/text_reader.h.
