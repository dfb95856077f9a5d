#include "model/tca_model.h"

#include "model/le_reader.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cstdio>
#include <cstring>

namespace {

char g_error[160];

// The fewest bytes a record can take in the file: empty strings, no arrays.
constexpr uint64_t MIN_MESH_BYTES = 3 + 15 * 4 + 3 * 2;
constexpr uint64_t MIN_SKIN_BYTES = 1 + 2 + 2 + 2;
constexpr uint64_t MIN_VARIANT_BYTES = 2 + 1 + 2 + 2 + 2;

bool refuse(LeReader& r, const char* what)
{
    std::snprintf(g_error, sizeof g_error, "%s (at byte %u of %u)", what, r.pos, r.size);
    r.ok = false;
    return false;
}

// Counts are signed: 0 or less, and so anything from 32768 up, means none.
int16_t read_count(LeReader& r)
{
    int16_t n = static_cast<int16_t>(r.u16());
    return n > 0 ? n : 0;
}

// A zeroed tracked block of n records, or null for none.
template <class T> T* take(uint32_t n, const char* tag)
{
    if (n == 0) return nullptr;
    T* p = static_cast<T*>(alloc_mem(static_cast<uint32_t>(n * sizeof(T)), tag));
    std::memset(static_cast<void*>(p), 0, n * sizeof(T));
    return p;
}

void drop(void* p)
{
    if (p) free_mem(p);
}

char* read_new_string(LeReader& r)
{
    uint32_t n = r.string_length();
    char* s = take<char>(n + 1, "tca string");
    r.string(s, n + 1);
    return s;
}

void read_vec3s(LeReader& r, TcaVec3* v, int n)
{
    for (int i = 0; i < n; ++i) v[i].x = r.f32(), v[i].y = r.f32(), v[i].z = r.f32();
}

void read_uvs(LeReader& r, TcaUV* v, int n)
{
    for (int i = 0; i < n; ++i) v[i].u = r.f32(), v[i].v = r.f32();
}

bool read_nodes(LeReader& r, ModelContainer* c)
{
    int16_t groups = read_count(r);
    if (!r.have(2u * groups)) return refuse(r, "node groups run past the end");
    c->groups = take<TcaNodeGroup>(groups, "tca node groups");
    c->group_count = groups;
    for (int g = 0; g < groups; ++g) {
        TcaNodeGroup& grp = c->groups[g];
        int16_t n = read_count(r);
        if (!r.have(44u * n)) return refuse(r, "nodes run past the end");
        grp.nodes = take<TcaNode>(n, "tca nodes");
        grp.count = n;
        for (int i = 0; i < n; ++i) {
            for (float& v : grp.nodes[i].values) v = r.f32();
            r.string(grp.nodes[i].name, sizeof grp.nodes[i].name);
        }
    }
    return r.ok;
}

bool read_keys3(LeReader& r, TcaKey3* k, int n)
{
    for (int i = 0; i < n; ++i) {
        for (float& v : k[i].v) v = r.f32();
        k[i].time = r.u32();
    }
    return r.ok;
}

bool read_mesh(LeReader& r, ModelContainer* c, int index)
{
    TcaMesh& m = c->meshes[index];
    r.string(m.texture, sizeof m.texture);
    r.string(m.name, sizeof m.name);
    r.string(m.node_name, sizeof m.node_name);
    for (auto& vec : m.vectors)
        for (float& v : vec) v = r.f32();
    int16_t nv = read_count(r), nn = read_count(r), nf = read_count(r);
    if (!r.have(12u * nv + 12u * nn + 8u * nf)) return refuse(r, "mesh arrays run past the end");
    m.vertices = take<TcaVec3>(nv, "tca vertices");
    m.vertex_count = nv;
    read_vec3s(r, m.vertices, nv);
    m.normals = take<TcaVec3>(nn, "tca normals");
    m.normal_count = nn;
    read_vec3s(r, m.normals, nn);
    m.facets = take<uint16_t[4]>(nf, "tca facets");
    m.facet_count = nf;
    // Only the first three indices are drawn; the fourth may be anything
    // (65535 marks a triangle).
    for (int f = 0; f < nf; ++f)
        for (int k = 0; k < 4; ++k) {
            m.facets[f][k] = r.u16();
            if (k < 3 && m.facets[f][k] >= nv) return refuse(r, "facet names a vertex the mesh lacks");
        }
    if (c->tex_coords) {
        int16_t nt = read_count(r);
        if (!r.have(8u * nt)) return refuse(r, "texture coordinates run past the end");
        m.uvs = take<TcaUV>(nt, "tca texture coordinates");
        m.uv_count = nt;
        read_uvs(r, m.uvs, nt);
    }
    if (c->mesh_keys) {
        TcaMeshKeys& k = c->key_tracks[index];
        int16_t a = read_count(r), b = read_count(r), cc = read_count(r);
        if (!r.have(16u * a + 20u * b + 16u * cc)) return refuse(r, "mesh keys run past the end");
        k.a_keys = take<TcaKey3>(a, "tca mesh keys");
        k.a = a;
        read_keys3(r, k.a_keys, a);
        k.b_keys = take<TcaKey4>(b, "tca mesh keys");
        k.b = b;
        for (int i = 0; i < b; ++i) {
            for (float& v : k.b_keys[i].v) v = r.f32();
            k.b_keys[i].time = r.u32();
        }
        k.c_keys = take<TcaKey3>(cc, "tca mesh keys");
        k.c = cc;
        read_keys3(r, k.c_keys, cc);
    }
    m.node_index = c->node_section ? r.u16() : 65535;
    m.spare = 65535;
    return r.ok ? true : refuse(r, "mesh runs past the end");
}

bool read_skin(LeReader& r, ModelContainer* c, TcaSkin& s)
{
    r.string(s.name, sizeof s.name);
    s.word = r.u16();
    int16_t k = read_count(r);
    if (!r.have(4u * k)) return refuse(r, "skin vertices run past the end");
    s.mesh_of = take<uint16_t>(k, "tca skin");
    s.vertex_of = take<uint16_t>(k, "tca skin");
    s.work = take<TcaVec3>(k, "tca skin work");
    s.vertex_count = k;
    for (int i = 0; i < k; ++i) {
        s.mesh_of[i] = r.u16();
        s.vertex_of[i] = r.u16();
        if (s.mesh_of[i] >= c->mesh_count || s.vertex_of[i] >= c->meshes[s.mesh_of[i]].vertex_count)
            return refuse(r, "skin vertex names a mesh vertex the file lacks");
    }
    if (c->skin_normals) {
        if (!r.have(12u * k)) return refuse(r, "skin normals run past the end");
        s.normals = take<TcaVec3>(k, "tca skin normals");
        read_vec3s(r, s.normals, k);
    }
    if (c->tex_coords) {
        if (!r.have(8u * k)) return refuse(r, "skin texture coordinates run past the end");
        s.uvs = take<TcaUV>(k, "tca skin texture coordinates");
        read_uvs(r, s.uvs, k);
    }
    int16_t t = read_count(r);
    if (!r.have(6u * t)) return refuse(r, "skin triangles run past the end");
    s.triangles = take<uint32_t[3]>(t, "tca skin triangles");
    s.triangle_count = t;
    for (int i = 0; i < t; ++i)
        for (int j = 0; j < 3; ++j) {
            s.triangles[i][j] = r.u16();
            if (s.triangles[i][j] >= static_cast<uint32_t>(k)) return refuse(r, "skin triangle names a vertex the skin lacks");
        }
    return r.ok;
}

// How many texture coordinates the target of a variant set has, or -1 when
// the set names a mesh or skin the file lacks.
int variant_target_coords(const ModelContainer* c, const TcaVariantSet& v)
{
    if (v.kind == 0) return v.target < c->mesh_count ? c->meshes[v.target].uv_count : -1;
    return v.target < c->skin_count && c->skins[v.target].uvs ? c->skins[v.target].vertex_count : -1;
}

bool read_variant(LeReader& r, ModelContainer* c, TcaVariantSet& v)
{
    v.target = r.u16();
    v.kind = r.u8();
    int16_t dims = read_count(r);
    if (!r.have(2u * (dims + 1))) return refuse(r, "variant strides run past the end");
    v.strides = take<uint16_t>(dims + 1, "tca variant");
    for (int i = 0; i <= dims; ++i) v.strides[i] = r.u16();
    v.dim_count = dims;
    int16_t d = read_count(r);
    v.dim_names = take<char*>(dims, "tca variant names");
    for (int i = 0; i < dims && r.ok; ++i) v.dim_names[i] = read_new_string(r);
    uint32_t alts = v.strides[dims];
    if (!r.have(2u * d + 8ull * alts * d)) return refuse(r, "variant alternatives run past the end");
    v.coord_count = d;
    v.target_indices = take<uint16_t>(d, "tca variant");
    for (int i = 0; i < d; ++i) v.target_indices[i] = r.u16();
    v.alternatives = take<TcaUV>(alts * d, "tca variant alternatives");
    read_uvs(r, v.alternatives, static_cast<int>(alts * d));
    int coords = variant_target_coords(c, v);
    if (coords < 0) return refuse(r, "variant set names a mesh or skin the file lacks");
    for (int i = 0; i < d; ++i)
        if (v.target_indices[i] >= coords) return refuse(r, "variant set names a texture coordinate its target lacks");
    return r.ok;
}

bool parse(LeReader& r, ModelContainer* c)
{
    if (!r.have(4) || std::memcmp(r.data, "TCA", 3) != 0) return refuse(r, "not a TCA file");
    r.pos = 3;
    c->version = r.u8();
    if (c->version == 0) return refuse(r, "version 0");
    c->mesh_section = r.u16();
    c->mesh_keys = r.u16();
    c->zero = 0;
    c->skin_normals = r.u16();
    c->tex_coords = r.u16();
    c->node_section = r.u16();
    for (uint16_t& w : c->reserved) w = r.u16();
    c->reserved2 = r.u16();
    if (!r.ok) return refuse(r, "header runs past the end");
    if (c->node_section && !read_nodes(r, c)) return false;
    // A count is refused when the bytes left cannot hold that many of the
    // smallest record it counts.
    if (c->mesh_section) {
        int16_t m = read_count(r);
        if (!r.ok) return refuse(r, "mesh count runs past the end");
        if (!r.have(MIN_MESH_BYTES * uint64_t(m))) return refuse(r, "meshes run past the end");
        c->meshes = take<TcaMesh>(m, "tca meshes");
        if (c->mesh_keys) c->key_tracks = take<TcaMeshKeys>(m, "tca mesh key tracks");
        c->mesh_count = m;
        for (int i = 0; i < m; ++i)
            if (!read_mesh(r, c, i)) return false;
    }
    int16_t s = read_count(r);
    if (!r.ok) return refuse(r, "skin count runs past the end");
    if (!r.have(MIN_SKIN_BYTES * uint64_t(s))) return refuse(r, "skins run past the end");
    c->skins = take<TcaSkin>(s, "tca skins");
    c->skin_count = s;
    for (int i = 0; i < s; ++i)
        if (!read_skin(r, c, c->skins[i])) return false;
    if (!r.ok) return refuse(r, "skin count runs past the end");
    if (c->version >= 2) {
        int16_t v = read_count(r);
        if (!r.ok) return refuse(r, "variant set count runs past the end");
        if (!r.have(MIN_VARIANT_BYTES * uint64_t(v))) return refuse(r, "variant sets run past the end");
        c->variants = take<TcaVariantSet>(v, "tca variants");
        c->variant_count = v;
        for (int i = 0; i < v; ++i)
            if (!read_variant(r, c, c->variants[i])) return false;
        int16_t w = read_count(r);
        if (!r.ok) return refuse(r, "keyword count runs past the end");
        if (!r.have(w)) return refuse(r, "keywords run past the end");
        c->keywords = take<char*>(w, "tca keywords");
        c->keyword_count = w;
        for (int i = 0; i < w && r.ok; ++i) c->keywords[i] = read_new_string(r);
        if (!r.ok) return refuse(r, "keywords run past the end");
    }
    return true;
}

void free_variant(TcaVariantSet& v)
{
    for (int i = 0; i < v.dim_count && v.dim_names; ++i) drop(v.dim_names[i]);
    drop(v.dim_names);
    drop(v.strides);
    drop(v.target_indices);
    drop(v.alternatives);
}

void free_skin_arrays(TcaSkin& s)
{
    drop(s.mesh_of);
    drop(s.vertex_of);
    drop(s.work);
    drop(s.normals);
    drop(s.uvs);
    drop(s.triangles);
}

void free_mesh_arrays(TcaMesh& m)
{
    drop(m.vertices);
    drop(m.normals);
    drop(m.facets);
    drop(m.uvs);
    drop(m.vertices2);
}

template <class T> T* copy_array(const T* src, uint32_t n, const char* tag)
{
    T* p = take<T>(n, tag);
    if (n) std::memcpy(static_cast<void*>(p), src, n * sizeof(T));
    return p;
}

// Position (from 0) of the first word of a space-separated list that begins
// with the whole of s, counting from word 1; -1 when none does.
int prefix_word_position(const char* list, const char* s)
{
    size_t n = std::strlen(s);
    int p = 0;
    for (const char* w = list; *w;) {
        while (*w == ' ') ++w;
        if (!*w) break;
        const char* end = w;
        while (*end && *end != ' ') ++end;
        if (p >= 1 && static_cast<size_t>(end - w) >= n && std::strncmp(w, s, n) == 0) return p;
        ++p;
        w = end;
    }
    return -1;
}

void apply_variant(ModelContainer* c, const ModelContainer* shared, const TcaVariantSet& v,
                   const char* const* figure, int figure_count)
{
    uint32_t alternative = 0;
    for (int i = 0; i < v.dim_count; ++i) {
        const char* keyword = nullptr;
        for (int k = 0; k < shared->keyword_count && !keyword; ++k)
            if (tca_strings_equal(shared->keywords[k], v.dim_names[i])) keyword = shared->keywords[k];
        if (!keyword) continue;
        int p = -1;
        for (int f = 0; f < figure_count && p < 0; ++f) p = prefix_word_position(keyword, figure[f]);
        if (p < 1) return;
        alternative += static_cast<uint32_t>(v.strides[i]) * static_cast<uint32_t>(p - 1);
    }
    if (alternative >= v.strides[v.dim_count]) return; // the file offers no such alternative
    TcaUV* uvs = v.kind == 0 ? c->meshes[v.target].uvs : c->skins[v.target].uvs;
    for (int i = 0; i < v.coord_count; ++i) uvs[v.target_indices[i]] = v.alternatives[alternative * v.coord_count + i];
}

} // namespace

const char* tca_error() { return g_error; }

bool read_tca(ModelContainer* c, const uint8_t* data, uint32_t size)
{
    std::memset(c, 0, sizeof *c);
    g_error[0] = 0;
    LeReader r(data, size);
    if (parse(r, c)) return true;
    free_tca_arrays(c);
    std::memset(c, 0, sizeof *c);
    return false;
}

int load_tca_file(ModelContainer* c, const char* path)
{
    if (!file_exists(path)) {
        std::snprintf(g_error, sizeof g_error, "cannot open %s", path);
        return 0;
    }
    uint32_t size = 0;
    uint8_t* data = load_file(path, &size);
    bool ok = read_tca(c, data, size);
    free_mem(data);
    return ok ? 1 : 0;
}

void free_tca_arrays(ModelContainer* c)
{
    for (int g = 0; g < c->group_count && c->groups; ++g) drop(c->groups[g].nodes);
    drop(c->groups);
    for (int m = 0; m < c->mesh_count && c->meshes; ++m) {
        free_mesh_arrays(c->meshes[m]);
        if (c->key_tracks) {
            drop(c->key_tracks[m].a_keys);
            drop(c->key_tracks[m].b_keys);
            drop(c->key_tracks[m].c_keys);
        }
    }
    drop(c->meshes);
    drop(c->key_tracks);
    for (int s = 0; s < c->skin_count && c->skins; ++s) free_skin_arrays(c->skins[s]);
    drop(c->skins);
    for (int v = 0; v < c->variant_count && c->variants; ++v) free_variant(c->variants[v]);
    drop(c->variants);
    for (int k = 0; k < c->keyword_count && c->keywords; ++k) drop(c->keywords[k]);
    drop(c->keywords);
    c->meshes = nullptr, c->groups = nullptr, c->key_tracks = nullptr, c->skins = nullptr;
    c->variants = nullptr, c->keywords = nullptr;
    c->mesh_count = c->group_count = c->skin_count = c->variant_count = c->keyword_count = 0;
}

void free_tca_model(ModelContainer* c)
{
    if (!c) return;
    free_tca_arrays(c);
    free_mem(c);
}

ModelContainer* derive_tca_model(const ModelContainer* shared, const char* const* keywords, int keyword_count)
{
    ModelContainer* c = take<ModelContainer>(1, "derived model");
    c->mesh_section = 1;
    c->skin_normals = shared->skin_normals;
    c->tex_coords = 1;
    c->node_section = 1;
    c->mesh_count = shared->mesh_count;
    c->skin_count = shared->skin_count;
    c->meshes = take<TcaMesh>(shared->mesh_count, "derived meshes");
    for (int i = 0; i < shared->mesh_count; ++i) {
        const TcaMesh& s = shared->meshes[i];
        TcaMesh& m = c->meshes[i];
        std::memcpy(m.texture, s.texture, sizeof m.texture);
        std::memcpy(m.name, s.name, sizeof m.name);
        std::memcpy(m.node_name, s.node_name, sizeof m.node_name);
        std::memcpy(m.vectors, s.vectors, sizeof m.vectors);
        m.vertex_count = s.vertex_count, m.normal_count = s.normal_count, m.facet_count = s.facet_count;
        m.uv_count = s.uv_count;
        m.node_index = s.node_index;
        m.spare = 65535;
        m.vertices = copy_array(s.vertices, s.vertex_count, "derived vertices");
        m.vertex_count2 = s.vertex_count;
        m.vertices2 = copy_array(s.vertices, s.vertex_count, "derived vertices");
        m.normals = copy_array(s.normals, s.normal_count, "derived normals");
        m.facets = copy_array(s.facets, s.facet_count, "derived facets");
        m.uvs = copy_array(s.uvs, s.uv_count, "derived texture coordinates");
    }
    c->skins = take<TcaSkin>(shared->skin_count, "derived skins");
    for (int i = 0; i < shared->skin_count; ++i) {
        const TcaSkin& s = shared->skins[i];
        TcaSkin& k = c->skins[i];
        std::memcpy(k.name, s.name, sizeof k.name);
        k.word = s.word;
        k.vertex_count = s.vertex_count;
        k.triangle_count = s.triangle_count;
        k.mesh_of = copy_array(s.mesh_of, s.vertex_count, "derived skin");
        k.vertex_of = copy_array(s.vertex_of, s.vertex_count, "derived skin");
        k.work = take<TcaVec3>(s.vertex_count, "derived skin work");
        if (s.normals) k.normals = copy_array(s.normals, s.vertex_count, "derived skin normals");
        if (s.uvs) k.uvs = copy_array(s.uvs, s.vertex_count, "derived skin texture coordinates");
        k.triangles = copy_array(s.triangles, s.triangle_count, "derived skin triangles");
    }
    for (int v = 0; v < shared->variant_count; ++v) apply_variant(c, shared, shared->variants[v], keywords, keyword_count);
    return c;
}

void free_derived_tca_model(ModelContainer** c)
{
    if (!*c) return;
    free_tca_model(*c);
    *c = nullptr;
}

bool tca_strings_equal(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

char* tca_copy_string(const char* s)
{
    size_t n = std::strlen(s);
    char* p = take<char>(static_cast<uint32_t>(n + 1), "string copy");
    std::memcpy(p, s, n + 1);
    return p;
}

int tca_word_position(const char* list, const char* word)
{
    size_t n = std::strlen(word);
    int p = 1;
    for (const char* w = list; *w;) {
        while (*w == ' ') ++w;
        if (!*w) break;
        const char* end = w;
        while (*end && *end != ' ') ++end;
        if (static_cast<size_t>(end - w) == n && std::strncmp(w, word, n) == 0) return p;
        ++p;
        w = end;
    }
    return -1;
}
