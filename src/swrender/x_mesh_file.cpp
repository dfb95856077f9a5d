// Reading text ".x" meshes: not a grammar, a keyword search that pulls the
// numbers out in a fixed order. Every count and index is checked before use;
// a file that fails any check ends the program without a box.
#include "swrender/x_mesh.h"

#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>

int32_t d3d_meshes_on = 0;

namespace {

constexpr char k_separators[] = "\n\t );,]}'\"";
// Far above any mesh of the game, low enough that a count cannot run away.
constexpr int64_t k_count_limit = 1 << 16;

[[noreturn]] void bad_mesh() { fatal_error_sub(FATAL_SILENT, 0, "x mesh", 0); }

bool is_separator(char c) { return c != 0 && std::strchr(k_separators, c) != nullptr; }

struct MeshText {
    const char* text;
    uint32_t length;
    uint32_t position;

    // Moves past the keyword; false (position unchanged) when it is absent.
    bool find(const char* keyword)
    {
        size_t n = std::strlen(keyword);
        for (uint32_t i = position; i + n <= length; ++i)
            if (std::memcmp(text + i, keyword, n) == 0) {
                position = uint32_t(i + n);
                return true;
            }
        return false;
    }

    void need(const char* keyword)
    {
        if (!find(keyword)) bad_mesh();
    }

    // The token from start to the next separator, at most the token limit.
    std::string token_from(uint32_t start)
    {
        uint32_t end = start;
        while (end < length && !is_separator(text[end])) ++end;
        if (end - start > MESH_TOKEN_MAX) bad_mesh();
        position = end;
        return std::string(text + start, end - start);
    }

    std::string number_token()
    {
        uint32_t i = position;
        while (i < length && !std::strchr("+-0123456789.", text[i])) ++i;
        if (i >= length) bad_mesh();
        return token_from(i);
    }

    double real()
    {
        std::string t = number_token();
        char* end = nullptr;
        double v = std::strtod(t.c_str(), &end);
        if (end == t.c_str() || !std::isfinite(v)) bad_mesh();
        return v;
    }

    int64_t integer()
    {
        std::string t = number_token();
        size_t i = 0;
        bool negative = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
        size_t digits = i;
        int64_t v = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            v = v * 10 + (t[i++] - '0');
            if (v > INT32_MAX) bad_mesh();
        }
        if (i == digits) bad_mesh();
        return negative ? -v : v;
    }

    int32_t count()
    {
        int64_t v = integer();
        if (v < 0 || v > k_count_limit || v > int64_t(length)) bad_mesh();
        return int32_t(v);
    }

    std::string word()
    {
        uint32_t i = position;
        while (i < length && (uint8_t(text[i]) < 33 || uint8_t(text[i]) > 126 || is_separator(text[i]))) ++i;
        if (i >= length) bad_mesh();
        return token_from(i);
    }
};

int32_t to_int32(double v)
{
    double t = std::trunc(v);
    if (!(t >= -2147483648.0 && t <= 2147483647.0)) bad_mesh();
    return int32_t(t);
}

// An untextured material has no ratios: its coordinates end up as x86 leaves
// an out-of-range conversion (they are never sampled).
int32_t rescaled(int32_t c, float ratio)
{
    double t = std::trunc(c / 65536.0 / ratio * 65536.0);
    if (!(t >= -2147483648.0 && t <= 2147483647.0)) return INT32_MIN;
    return int32_t(t);
}

void set_up_material(x_mesh* mesh, mesh_material& m)
{
    m.desc = SwMaterialDesc{};
    m.desc.size = 80;
    if (m.texture_name[0] == 0) {
        m.texture_handle = 0;
        SwColourValue c{m.red, m.green, m.blue, 0.0f};
        m.desc.diffuse = m.desc.ambient = m.desc.specular = c;
        m.desc.power = 0.0f;
        m.desc.ramp_size = 1;
    } else if (mesh->texture_loader) {
        mesh->texture_loader(mesh, &m);
    }
    m.desc.texture_handle = m.texture_handle;
    if (d3d_meshes_on) {
        m.material_object = sw_device_create_material();
        sw_device_set_material(m.material_object, m.desc);
        m.material_handle = m.material_object;
    }
}

double vertex_coord(const x_mesh* mesh, int32_t i, int k)
{
    return mesh->integer_mode ? double(mesh->vertex_int[size_t(i) * 3 + k]) : mesh->vertex_double[size_t(i) * 3 + k];
}

bool unit_normal(const x_mesh* mesh, const mesh_triangle& t, double n[3])
{
    double p[3][3];
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k) p[a][k] = vertex_coord(mesh, t.v[a], k);
    double e1[3], e2[3];
    for (int k = 0; k < 3; ++k) {
        e1[k] = p[1][k] - p[0][k];
        e2[k] = p[2][k] - p[0][k];
    }
    n[0] = e1[1] * e2[2] - e1[2] * e2[1];
    n[1] = e1[2] * e2[0] - e1[0] * e2[2];
    n[2] = e1[0] * e2[1] - e1[1] * e2[0];
    double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; ++k) n[k] /= len; // a degenerate face gives NaN, equal to nothing
    return true;
}

std::string directory_of(const char* name)
{
    const char* slash = std::strrchr(name, '\\');
    return slash ? std::string(name, slash - name) : std::string();
}

} // namespace

int32_t parse_x_mesh_text(x_mesh* mesh, const char* text, uint32_t length, const char* directory,
                          const double scale[3], int32_t integer_mode)
{
    std::snprintf(mesh->directory, sizeof mesh->directory, "%s", directory);
    mesh->integer_mode = integer_mode != 0;
    MeshText in{text, length, 0};

    in.need("Mesh {");
    int32_t vertices = in.count();
    mesh->vertex_count = vertices;
    if (mesh->integer_mode)
        mesh->vertex_int.assign(size_t(vertices) * 3, 0);
    else
        mesh->vertex_double.assign(size_t(vertices) * 3, 0.0);
    for (int32_t i = 0; i < vertices; ++i) {
        double x = in.real(), y = in.real(), z = in.real();
        double stored[3] = {z * scale[2], y * scale[1], x * scale[0]};
        for (int k = 0; k < 3; ++k) {
            int32_t whole = to_int32(stored[k]);
            if (mesh->integer_mode)
                mesh->vertex_int[size_t(i) * 3 + k] = whole;
            else
                mesh->vertex_double[size_t(i) * 3 + k] = stored[k];
            if (whole > mesh->extent[k]) mesh->extent[k] = whole;
        }
    }

    int32_t triangles = in.count();
    mesh->triangles.assign(size_t(triangles), mesh_triangle{0, {0, 0, 0}});
    for (int32_t i = 0; i < triangles; ++i) {
        if (in.integer() != 3) bad_mesh();
        for (int a = 0; a < 3; ++a) {
            int64_t index = in.integer();
            if (index < 0 || index >= vertices) bad_mesh();
            mesh->triangles[size_t(i)].v[a] = int32_t(index);
        }
    }

    in.need("MeshMaterialList {");
    int32_t materials = in.count();
    int32_t listed = in.count();
    if (listed > triangles || (triangles > 0 && listed < 1)) bad_mesh();
    for (int32_t i = 0; i < listed; ++i) {
        int64_t m = in.integer();
        if (m < 0 || m >= materials) bad_mesh();
        mesh->triangles[size_t(i)].material = int32_t(m);
    }
    for (int32_t i = listed; i < triangles; ++i) mesh->triangles[size_t(i)].material = mesh->triangles[size_t(listed - 1)].material;

    mesh->materials.assign(size_t(materials), mesh_material{});
    for (int32_t i = 0; i < materials; ++i) {
        mesh_material& m = mesh->materials[size_t(i)];
        in.need("Material {");
        m.red = float(in.real());
        m.green = float(in.real());
        m.blue = float(in.real());
        // The texture name is searched to the end of the text, not only in
        // this material: a later material's name can be taken.
        if (in.find("TextureFilename {")) {
            std::string name = in.word();
            std::snprintf(m.texture_name, sizeof m.texture_name, "%s", name.c_str());
        }
    }

    in.need("MeshNormals {");
    int32_t normals = in.count();
    for (int32_t i = 0; i < normals * 3; ++i) in.real();

    in.need("MeshTextureCoords {");
    int32_t coords = in.count();
    if (coords < vertices) bad_mesh();
    mesh->tex_coords.assign(size_t(coords), mesh_tex_coord{0, 0, 0});
    for (int32_t i = 0; i < coords; ++i) {
        mesh->tex_coords[size_t(i)].u = to_int32(in.real() * 65536.0);
        mesh->tex_coords[size_t(i)].v = to_int32(in.real() * 65536.0);
    }

    for (mesh_material& m : mesh->materials) set_up_material(mesh, m);
    return 1;
}

int32_t parse_x_mesh(x_mesh* mesh, const char* name, const double scale[3], int32_t integer_mode)
{
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(name), &size);
    std::string text(reinterpret_cast<const char*>(file), size);
    free_mem(file);
    return parse_x_mesh_text(mesh, text.data(), uint32_t(text.size()), directory_of(name).c_str(), scale, integer_mode);
}

int32_t merge_triangles_to_quads(x_mesh* mesh)
{
    std::vector<mesh_triangle>& tri = mesh->triangles;
    if (tri.size() < 2) return 0;
    mesh->quads.clear();
    std::set<size_t> merged_first;
    for (size_t i = 0; i < tri.size(); ++i) {
        const mesh_triangle ti = tri[i];
        for (size_t j = 0; j < tri.size(); ++j) {
            if (j == i || merged_first.count(j)) continue;
            const mesh_triangle& tj = tri[j];
            int shared = 0;
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b) shared += ti.v[a] == tj.v[b];
            if (shared != 2 || ti.material == -1) continue;
            double ni[3], nj[3];
            unit_normal(mesh, ti, ni);
            unit_normal(mesh, tj, nj);
            if (!(ni[0] == nj[0] && ni[1] == nj[1] && ni[2] == nj[2])) continue;
            auto unshared = [](const mesh_triangle& p, const mesh_triangle& q) {
                for (int a = 0; a < 3; ++a)
                    if (p.v[a] != q.v[0] && p.v[a] != q.v[1] && p.v[a] != q.v[2]) return a;
                return 0;
            };
            int d = unshared(ti, tj), c = unshared(tj, ti);
            mesh->quads.push_back(mesh_quad{ti.material, {ti.v[d], ti.v[(d + 1) % 3], tj.v[c], tj.v[(c + 1) % 3]}});
            tri[i].material = -1;
            tri[j].material = -1;
            merged_first.insert(i);
        }
    }
    std::vector<mesh_triangle> kept;
    for (const mesh_triangle& t : tri)
        if (t.material != -1) kept.push_back(t);
    tri = std::move(kept);
    return 1;
}

int32_t load_clipped_mesh_text(x_mesh* mesh, const char* text, uint32_t length, const char* directory,
                               const int32_t rectangle[5], const double scale[3])
{
    *mesh = x_mesh{};
    mesh->texture_loader = load_bmp_texture;
    std::memcpy(mesh->load_rectangle, rectangle, sizeof mesh->load_rectangle);
    parse_x_mesh_text(mesh, text, length, directory, scale, 1);

    for (const mesh_triangle& t : mesh->triangles) {
        const mesh_material& m = mesh->materials[size_t(t.material)];
        for (int a = 0; a < 3; ++a) {
            mesh_tex_coord& c = mesh->tex_coords[size_t(t.v[a])];
            if (c.rescaled) continue;
            c.u = rescaled(c.u, m.width_ratio);
            c.v = rescaled(c.v, m.height_ratio);
            c.rescaled = 1;
        }
    }

    if (!merge_triangles_to_quads(mesh)) return 0;

    // Equal vertices share one camera transform.
    mesh->duplicate_of.assign(size_t(mesh->vertex_count), -1);
    std::map<std::tuple<int32_t, int32_t, int32_t>, int32_t> first_of;
    for (int32_t i = 0; i < mesh->vertex_count; ++i) {
        const int32_t* p = &mesh->vertex_int[size_t(i) * 3];
        auto [it, added] = first_of.emplace(std::make_tuple(p[0], p[1], p[2]), i);
        if (!added) mesh->duplicate_of[size_t(i)] = it->second;
    }

    if (d3d_meshes_on) mesh->mesh_material_object = sw_device_create_material();
    mesh->camera_vertices.assign(size_t(mesh->vertex_count), mesh_vertex{});
    for (int32_t i = 0; i < mesh->vertex_count; ++i) {
        mesh->camera_vertices[size_t(i)].u = mesh->tex_coords[size_t(i)].u;
        mesh->camera_vertices[size_t(i)].v = mesh->tex_coords[size_t(i)].v;
    }
    mesh->clip_vertices.reserve(size_t(mesh->vertex_count) * 32);
    mesh->polygons.reserve(mesh->triangles.size() + mesh->quads.size());
    mesh->loaded = true;
    return 1;
}

int32_t load_clipped_mesh(x_mesh* mesh, const char* name, const int32_t rectangle[5], const double scale[3],
                          int32_t /*integer_mode: clipped meshes work in integers*/)
{
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(name), &size);
    std::string text(reinterpret_cast<const char*>(file), size);
    free_mem(file);
    return load_clipped_mesh_text(mesh, text.data(), uint32_t(text.size()), directory_of(name).c_str(), rectangle,
                                  scale);
}

void free_x_mesh(x_mesh* mesh) { *mesh = x_mesh{}; }
