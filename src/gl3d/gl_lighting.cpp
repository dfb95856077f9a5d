// Fixed-function lighting: eight lights, a light model, front and back
// materials. The game colours its geometry through colour material or the
// current colour, so this path runs only when lighting is switched on.
#include "gl3d/gl.h"

#include <cmath>
#include <cstring>

namespace {

void set4(float* v, float a, float b, float c, float d) { v[0] = a, v[1] = b, v[2] = c, v[3] = d; }

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

void normalise_above(float* v, float limit)
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > limit) v[0] /= length, v[1] /= length, v[2] /= length;
}

float dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

} // namespace

void gl_clear_shine_table(GlMaterial* material)
{
    material->shine_table[0] = 0.0f;
    for (int i = 1; i < 200; ++i) material->shine_table[i] = -1.0f;
}

void gl_build_spot_table(GlLight* light)
{
    light->spot_table[0][0] = 0.0f;
    bool underflow = false;
    for (int i = 511; i >= 1; --i) {
        float value = 0.0f;
        if (!underflow) {
            value = static_cast<float>(std::pow(i * 0.0019569471624266144, light->spot_exponent));
            if (value < 1.1754943508222875e-36f) underflow = true, value = 0.0f;
        }
        light->spot_table[i][0] = value;
    }
    for (int i = 0; i < 511; ++i) light->spot_table[i][1] = light->spot_table[i + 1][0] - light->spot_table[i][0];
    light->spot_table[511][1] = 0.0f;
}

void gl_init_lighting(gl_context* c)
{
    for (int n = 0; n < 8; ++n) {
        GlLight& l = c->lights[n];
        float lit = n == 0 ? 1.0f : 0.0f;
        set4(l.ambient, 0, 0, 0, 1);
        set4(l.diffuse, lit, lit, lit, 1);
        set4(l.specular, lit, lit, lit, 1);
        set4(l.position, 0, 0, 1, 0);
        set4(l.spot_direction, 0, 0, -1, 0);
        l.spot_exponent = 0;
        l.spot_cutoff = 180;
        l.cos_cutoff = -1;
        l.constant_attenuation = 1;
        l.linear_attenuation = 0;
        l.quadratic_attenuation = 0;
        l.enabled = 0;
        l.next_enabled = nullptr;
    }
    set4(c->light_model.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    c->light_model.local_viewer = 0;
    c->light_model.two_sided = 0;
    c->light_model.colour_control = 0x81F9;
    for (GlMaterial& m : c->materials) {
        set4(m.ambient, 0.2f, 0.2f, 0.2f, 1);
        set4(m.diffuse, 0.8f, 0.8f, 0.8f, 1);
        set4(m.specular, 0, 0, 0, 1);
        set4(m.emission, 0, 0, 0, 1);
        m.shininess = 0;
        m.colour_indexes[0] = 0, m.colour_indexes[1] = 1, m.colour_indexes[2] = 1;
    }
    c->enabled_lights = nullptr;
}

void gl_light(uint32_t light, uint32_t parameter, const float* v)
{
    gl_context* c = gl_current_context;
    if (!c || !v || light < GL_CAP_LIGHT0 || light > GL_CAP_LIGHT0 + 7) return;
    GlLight& l = c->lights[light - GL_CAP_LIGHT0];
    const float* mv = c->modelview;
    switch (parameter) {
    case 0x1200: std::memcpy(l.ambient, v, 16); break;
    case 0x1201: std::memcpy(l.diffuse, v, 16); break;
    case 0x1202: std::memcpy(l.specular, v, 16); break;
    case 0x1203:
        for (int i = 0; i < 4; ++i) l.position[i] = mv[i] * v[0] + mv[4 + i] * v[1] + mv[8 + i] * v[2] + mv[12 + i] * v[3];
        break;
    case 0x1204: {
        // (x, y, z, 0) times the transposed inverse model-view.
        const float* inv = c->inverse_modelview;
        for (int i = 0; i < 3; ++i) l.spot_direction[i] = inv[4 * i] * v[0] + inv[4 * i + 1] * v[1] + inv[4 * i + 2] * v[2];
        l.spot_direction[3] = 0;
        break;
    }
    case 0x1205:
        if (v[0] >= 0.0f && v[0] <= 128.0f && v[0] != l.spot_exponent) {
            l.spot_exponent = v[0];
            gl_build_spot_table(&l);
        }
        break;
    case 0x1206:
        if ((v[0] >= 0.0f && v[0] <= 90.0f) || v[0] == 180.0f) {
            l.spot_cutoff = v[0];
            l.cos_cutoff = static_cast<float>(std::cos(v[0] * 0.017453292222222222));
        }
        break;
    case 0x1207: if (v[0] >= 0.0f) l.constant_attenuation = v[0]; break;
    case 0x1208: if (v[0] >= 0.0f) l.linear_attenuation = v[0]; break;
    case 0x1209: if (v[0] >= 0.0f) l.quadratic_attenuation = v[0]; break;
    default: break;
    }
}

void gl_light_model(uint32_t parameter, const float* v)
{
    gl_context* c = gl_current_context;
    if (!c || !v) return;
    switch (parameter) {
    case 0x0B53: std::memcpy(c->light_model.ambient, v, 16); break;
    case 0x0B51: c->light_model.local_viewer = v[0] != 0.0f; break;
    case 0x0B52: c->light_model.two_sided = v[0] != 0.0f; break;
    case 0x81F8:
        if (v[0] == 33273.0f) c->light_model.colour_control = 0x81F9;
        else if (v[0] == 33274.0f) c->light_model.colour_control = 0x81FA;
        break;
    default: break;
    }
}

void gl_material(uint32_t face, uint32_t parameter, const float* v)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    uint32_t mask;
    switch (parameter) {
    case 0x1200: mask = 0x3; break;
    case 0x1201: mask = 0xC; break;
    case 0x1202: mask = 0x30; break;
    case 0x1600: mask = 0xC0; break;
    case 0x1601: mask = 0x300; break;
    case 0x1602: mask = 0xF; break;
    case 0x1603: mask = 0xC00; break;
    default: return;
    }
    if (face == 0x0404) mask &= 0x555;
    else if (face == 0x0405) mask &= 0xAAA;
    gl_material_by_mask(c, mask, v);
}

void gl_material_by_mask(gl_context* c, uint32_t mask, const float* v)
{
    if (!c || !v) return;
    GlMaterial& front = c->materials[0];
    GlMaterial& back = c->materials[1];
    if (mask & 1) std::memcpy(front.ambient, v, 16);
    if (mask & 2) std::memcpy(back.ambient, v, 16);
    if (mask & 4) std::memcpy(front.diffuse, v, 16);
    if (mask & 8) std::memcpy(back.diffuse, v, 16);
    if (mask & 16) std::memcpy(front.specular, v, 16);
    if (mask & 32) std::memcpy(back.specular, v, 16);
    if (mask & 64) std::memcpy(front.emission, v, 16);
    if (mask & 128) std::memcpy(back.emission, v, 16);
    for (int face = 0; face < 2; ++face) {
        if (!(mask & (256u << face))) continue;
        GlMaterial& m = c->materials[face];
        float s = v[0] < 0.0f ? 0.0f : (v[0] > 128.0f ? 128.0f : v[0]);
        if (s != m.shininess) {
            m.shininess = s;
            gl_clear_shine_table(&m);
        }
    }
    if (mask & 1024) std::memcpy(front.colour_indexes, v, 12);
    if (mask & 2048) std::memcpy(back.colour_indexes, v, 12);
}

void gl_setup_lights()
{
    gl_context* c = gl_current_context;
    if (!c || !c->lighting) return;
    GlLight** link = &c->enabled_lights;
    for (GlLight& l : c->lights) {
        if (!l.enabled) continue;
        *link = &l;
        link = &l.next_enabled;
        std::memcpy(l.direction, l.position, 12);
        normalise_above(l.direction, 0.0001f);
        std::memcpy(l.unit_spot, l.spot_direction, 12);
        normalise_above(l.unit_spot, 0.0001f);
    }
    *link = nullptr;
}

namespace {

// One vertex through the lights; eye is its eye position, n its normal.
void light_vertex(gl_context* c, int face, const float* normal, const float* eye, uint8_t* out)
{
    const GlMaterial& m = c->materials[face];
    float n[3] = {normal[0], normal[1], normal[2]};
    if (face == 1) n[0] = -n[0], n[1] = -n[1], n[2] = -n[2];
    float rgb[3];
    for (int i = 0; i < 3; ++i) rgb[i] = m.emission[i] + c->light_model.ambient[i] * m.ambient[i];

    for (GlLight* l = c->enabled_lights; l; l = l->next_enabled) {
        float L[3], a = 1.0f;
        if (l->position[3] == 0.0f) {
            std::memcpy(L, l->direction, 12);
        } else {
            for (int i = 0; i < 3; ++i) L[i] = l->position[i] - eye[i];
            float d = std::sqrt(dot3(L, L));
            if (d > 0.001f) L[0] /= d, L[1] /= d, L[2] /= d;
            a = 1.0f / (l->constant_attenuation + d * (l->linear_attenuation + d * l->quadratic_attenuation));
        }
        float f = 1.0f;
        if (l->spot_cutoff != 180.0f) {
            float q = -dot3(L, l->unit_spot);
            if (q > 0.0f && q >= l->cos_cutoff) {
                float x = 511.0f * q;
                int k = static_cast<int>(x);
                if (k > 511) k = 511;
                f = l->spot_table[k][0] + (x - static_cast<float>(k)) * l->spot_table[k][1];
            } else {
                f = 0.0f;
            }
        }
        float A[3];
        for (int i = 0; i < 3; ++i) A[i] = l->ambient[i] * m.ambient[i];
        float nl = dot3(n, L);
        if (!(nl > 0.0f)) {
            for (int i = 0; i < 3; ++i) rgb[i] += f * a * A[i];
            continue;
        }
        float h[3];
        if (c->light_model.local_viewer) {
            float e[3] = {eye[0], eye[1], eye[2]};
            normalise_above(e, 0.0001f);
            for (int i = 0; i < 3; ++i) h[i] = L[i] - e[i];
        } else {
            h[0] = L[0], h[1] = L[1], h[2] = L[2] + 1.0f;
        }
        float factor = 0.0f;
        float nh = dot3(n, h);
        if (nh > 0.0f) {
            float s = nh / std::sqrt(dot3(h, h));
            if (s > 1.0f) {
                factor = static_cast<float>(std::pow(s, m.shininess));
            } else {
                int k = static_cast<int>(199.0f * s);
                float& entry = c->materials[face].shine_table[k];
                if (entry < 0.0f) entry = static_cast<float>(std::pow(s, m.shininess));
                factor = entry;
            }
        }
        for (int i = 0; i < 3; ++i) {
            float D = l->diffuse[i] * m.diffuse[i] * nl;
            float S = factor < 1e-10f ? 0.0f : l->specular[i] * m.specular[i] * factor;
            rgb[i] += f * a * (A[i] + D + S);
        }
    }
    for (int i = 0; i < 3; ++i) out[i] = static_cast<uint8_t>(clamp01(rgb[i]) * 255.0f);
    // Alpha has always come from the float before the diffuse alpha: the
    // default material gives 204, and the game's pictures were made so.
    out[3] = static_cast<uint8_t>(clamp01(m.diffuse[2]) * 255.0f);
}

void lighting_pass(int face, bool eye_from_positions)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    int count = c->position_array.count;
    if (count > MAX_GL_VERTICES) count = MAX_GL_VERTICES;
    const float* positions = static_cast<const float*>(c->position_array.pointer);
    for (int v = 0; v < count; ++v) {
        const float* eye = eye_from_positions ? positions + 3 * v : c->eye[v];
        light_vertex(c, face, c->normals[v], eye, c->lit[v]);
    }
}

} // namespace

void gl_pipeline_a(int face) { lighting_pass(face, false); }
void gl_pipeline_b(int face) { lighting_pass(face, true); }
