#include "lib/tca_writer.h"

#include "lib/kit.h"

#include <cstring>

namespace {
void f32(ByteWriter& w, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    w.u32(bits);
}
void str(ByteWriter& w, const std::string& s)
{
    w.raw(s.data(), s.size());
    w.u8(0);
}
void vec3s(ByteWriter& w, const std::vector<TcaVec3>& v)
{
    for (const TcaVec3& p : v) f32(w, p.x), f32(w, p.y), f32(w, p.z);
}
void uvs(ByteWriter& w, const std::vector<TcaUV>& v)
{
    for (const TcaUV& p : v) f32(w, p.u), f32(w, p.v);
}
} // namespace

std::vector<uint8_t> write_tca(const TcaFileData& t)
{
    ByteWriter w;
    w.raw("TCA", 3);
    w.u8(t.version);
    w.u16(t.mesh_section);
    w.u16(t.mesh_keys);
    w.u16(t.skin_normals);
    w.u16(t.tex_coords);
    w.u16(t.node_section);
    for (int i = 0; i < 4; ++i) w.u16(0);
    if (t.node_section) {
        w.u16(static_cast<uint32_t>(t.node_groups.size()));
        for (const auto& group : t.node_groups) {
            w.u16(static_cast<uint32_t>(group.size()));
            for (const TcaNodeData& n : group) {
                for (float v : n.values) f32(w, v);
                str(w, n.name);
            }
        }
    }
    if (t.mesh_section) {
        w.u16(static_cast<uint32_t>(t.meshes.size()));
        for (const TcaMeshData& m : t.meshes) {
            str(w, m.texture);
            str(w, m.name);
            str(w, m.node_name);
            for (const auto& vec : m.vectors)
                for (float v : vec) f32(w, v);
            w.u16(static_cast<uint32_t>(m.vertices.size()));
            w.u16(static_cast<uint32_t>(m.normals.size()));
            w.u16(static_cast<uint32_t>(m.facets.size()));
            vec3s(w, m.vertices);
            vec3s(w, m.normals);
            for (const auto& f : m.facets)
                for (uint16_t i : f) w.u16(i);
            if (t.tex_coords) {
                w.u16(static_cast<uint32_t>(m.uvs.size()));
                uvs(w, m.uvs);
            }
            if (t.mesh_keys) w.u16(0), w.u16(0), w.u16(0);
            if (t.node_section) w.u16(m.node_index);
        }
    }
    w.u16(static_cast<uint32_t>(t.skins.size()));
    for (const TcaSkinData& s : t.skins) {
        str(w, s.name);
        w.u16(s.word);
        w.u16(static_cast<uint32_t>(s.pairs.size()));
        for (const auto& p : s.pairs) w.u16(p[0]), w.u16(p[1]);
        if (t.skin_normals) vec3s(w, s.normals);
        if (t.tex_coords) uvs(w, s.uvs);
        w.u16(static_cast<uint32_t>(s.triangles.size()));
        for (const auto& tri : s.triangles)
            for (uint16_t i : tri) w.u16(i);
    }
    if (t.version >= 2) {
        w.u16(static_cast<uint32_t>(t.variants.size()));
        for (const TcaVariantData& v : t.variants) {
            w.u16(v.target);
            w.u8(v.kind);
            w.u16(static_cast<uint32_t>(v.dim_names.size()));
            for (uint16_t s : v.strides) w.u16(s);
            w.u16(static_cast<uint32_t>(v.target_indices.size()));
            for (const std::string& n : v.dim_names) str(w, n);
            for (uint16_t i : v.target_indices) w.u16(i);
            uvs(w, v.alternatives);
        }
        w.u16(static_cast<uint32_t>(t.keywords.size()));
        for (const std::string& k : t.keywords) str(w, k);
    }
    return w.bytes;
}
