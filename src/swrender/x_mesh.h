// Text ".x" meshes of the software display: the mesh record, the loader that
// reads the small subset of the format the game's meshes use, the merge of
// coplanar triangle pairs into quads, the camera transform, the clipping
// against the near plane and the screen edges into depth-sliced strips, and
// the drawing through the software display's device. Mesh textures are 8-bit
// BMP files beside the mesh.
#pragma once

#include "swrender/sw_device.h"

#include <cstdint>
#include <vector>

// Mesh flags.
constexpr uint32_t MESH_NO_DEPTH_SLICES = 2;
constexpr uint32_t MESH_ROWS_ONLY = 4; // track the screen rows, emit no vertices

constexpr int32_t MESH_SLICE_DEPTH = 40000;
constexpr int32_t MESH_MAX_POLYGON_VERTICES = 1000;
constexpr uint32_t MESH_TOKEN_MAX = 255;

// Outcodes of a vertex.
enum : uint8_t {
    OUT_TOP = 1, OUT_BOTTOM = 2, OUT_RIGHT = 4, OUT_LEFT = 8, OUT_BEHIND = 32,
};

struct mesh_vertex {
    uint8_t projected; // screen x, y valid and inside the screen
    int32_t x, y, z;   // camera space; z is the depth ahead
    int32_t screen_x, screen_y;
    int32_t screen_depth;
    int32_t u, v; // 16.16
    uint8_t outcode;
};

struct mesh_triangle {
    int32_t material; // -1: merged into a quad
    int32_t v[3];
};

// An output polygon: count consecutive clip vertices from first.
struct mesh_polygon {
    int32_t material;
    int32_t count;
    int32_t first;
};

struct mesh_quad {
    int32_t material;
    int32_t v[4];
};

struct mesh_tex_coord {
    int32_t u, v; // 16.16
    uint8_t rescaled;
};

struct mesh_material {
    float red, green, blue;
    char texture_name[256];
    float width_ratio, height_ratio;
    uint32_t material_object; // device material, 0 none
    uint32_t material_handle;
    SwMaterialDesc desc;
    uint32_t texture_handle; // 0 none
    int32_t video_memory;
    // A texture loaded without the device: the picture's size and its texels.
    int32_t picture_width, picture_height;
    std::vector<uint8_t> texture_buffer;
};

struct x_mesh;
using mesh_texture_loader = int32_t (*)(x_mesh* mesh, mesh_material* material);

struct x_mesh {
    uint32_t flags = 0;
    char directory[256] = {};
    int32_t position[3] = {};
    bool loaded = false; // a mesh that failed or was never loaded draws nothing

    int32_t vertex_count = 0;
    bool integer_mode = true;
    std::vector<int32_t> vertex_int;    // 3 a vertex
    std::vector<double> vertex_double;  // 3 a vertex
    std::vector<int32_t> duplicate_of;  // the earlier equal vertex, -1 none
    std::vector<mesh_vertex> camera_vertices;
    std::vector<mesh_vertex> clip_vertices;
    std::vector<mesh_triangle> triangles;
    std::vector<mesh_polygon> polygons;
    std::vector<mesh_quad> quads;
    std::vector<mesh_material> materials;
    mesh_texture_loader texture_loader = nullptr;
    int32_t load_rectangle[5] = {};
    std::vector<mesh_tex_coord> tex_coords;
    uint32_t mesh_material_object = 0;
    std::vector<SwTLVertex> screen_vertices;
    int32_t row_range[2] = {};
    int32_t extent[3] = {};
};

// Set by the mesh step of the match set-up; gates every device object.
extern int32_t d3d_meshes_on;

// The file "name" (a game name, "sw display\mesh\stadium.x") into the
// record; 1 on success. A malformed file ends the program (code 0).
int32_t parse_x_mesh(x_mesh* mesh, const char* name, const double scale[3], int32_t integer_mode);
// The same from text already in memory (directory: where textures are).
int32_t parse_x_mesh_text(x_mesh* mesh, const char* text, uint32_t length, const char* directory,
                          const double scale[3], int32_t integer_mode);
// Reads, rescales texture coordinates, merges and prepares for drawing: 1, or
// 0 when the mesh has fewer than two triangles.
int32_t load_clipped_mesh(x_mesh* mesh, const char* name, const int32_t rectangle[5], const double scale[3],
                          int32_t integer_mode);
int32_t load_clipped_mesh_text(x_mesh* mesh, const char* text, uint32_t length, const char* directory,
                               const int32_t rectangle[5], const double scale[3]);
int32_t merge_triangles_to_quads(x_mesh* mesh);
void free_x_mesh(x_mesh* mesh);

// Drawing (camera from the 3D layer's globals).
int32_t transform_x_mesh(x_mesh* mesh);
int32_t clip_mesh_polygons(x_mesh* mesh, int32_t unused);
int32_t draw_x_mesh(x_mesh* mesh, SwDevice* device);
void d3d2_set_initial_states();
void d3d2_set_blend_copy();
void d3d2_set_blend_modulate();
void d3d2_select_material(x_mesh* mesh, int32_t material);
int32_t d3d2_begin_scene();
int32_t d3d2_end_scene();

// The BMP texture loader of the meshes: 0.
int32_t load_bmp_texture(x_mesh* mesh, mesh_material* material);
