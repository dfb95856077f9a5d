// The software display's 8-bit Direct3D device.
#include "swrender/sw_device.h"

#include "screen/screen.h"

#include <algorithm>
#include <cmath>
#include <cstring>

SwDevice sw_device;

namespace {

std::vector<SwMaterialDesc> g_materials;
std::vector<SwTexture> g_textures;

struct Edge {
    double a, b, c; // a x + b y + c
    bool top_left;
};

// The edge from p to q, positive inside a triangle wound as the area says.
Edge make_edge(const SwTLVertex& p, const SwTLVertex& q, double sign)
{
    Edge e;
    e.a = sign * (double(p.sy) - q.sy);
    e.b = sign * (double(q.sx) - p.sx);
    e.c = -(e.a * p.sx + e.b * p.sy);
    // Top edge: horizontal with the inside below; left edge: inside to its right.
    e.top_left = (e.a == 0.0 && e.b > 0.0) || e.a > 0.0;
    return e;
}

bool inside(const Edge& e, double v) { return v > 0.0 || (v == 0.0 && e.top_left); }

void draw_triangle(const SwTLVertex& v0, const SwTLVertex& v1, const SwTLVertex& v2)
{
    Surface* t = sw_device.target;
    double area = (double(v1.sx) - v0.sx) * (double(v2.sy) - v0.sy) - (double(v2.sx) - v0.sx) * (double(v1.sy) - v0.sy);
    if (area == 0.0 || !std::isfinite(area)) return;
    double sign = area > 0.0 ? 1.0 : -1.0;
    // Edge i is opposite vertex i.
    Edge e0 = make_edge(v1, v2, sign), e1 = make_edge(v2, v0, sign), e2 = make_edge(v0, v1, sign);
    double total = std::fabs(area);
    double lo_x = std::min({double(v0.sx), double(v1.sx), double(v2.sx)});
    double hi_x = std::max({double(v0.sx), double(v1.sx), double(v2.sx)});
    double lo_y = std::min({double(v0.sy), double(v1.sy), double(v2.sy)});
    double hi_y = std::max({double(v0.sy), double(v1.sy), double(v2.sy)});
    int32_t x0 = std::max(0, int32_t(std::ceil(std::max(lo_x, -1.0))));
    int32_t x1 = std::min(t->width - 1, int32_t(std::floor(std::min(hi_x, double(t->width)))));
    int32_t y0 = std::max(0, int32_t(std::ceil(std::max(lo_y, -1.0))));
    // Rows past the screen's (guard rows of a test's target) are never drawn.
    int32_t rows = screen.height ? std::min(t->height, int32_t(screen.height)) : t->height;
    int32_t y1 = std::min(rows - 1, int32_t(std::floor(std::min(hi_y, double(rows)))));
    if (x0 > x1 || y0 > y1) return;

    const SwTexture* texture = sw_device_texture(sw_device.render_state[SW_RS_TEXTUREHANDLE]);
    if (texture && texture->side <= 0) texture = nullptr;
    uint8_t flat = 0;
    if (!texture) flat = sw_nearest_palette_index(v0.colour & 0xFFFFFF);

    for (int32_t y = y0; y <= y1; ++y) {
        uint8_t* row = t->pixels.data() + size_t(y) * t->pitch;
        for (int32_t x = x0; x <= x1; ++x) {
            double w0 = e0.a * x + e0.b * y + e0.c;
            double w1 = e1.a * x + e1.b * y + e1.c;
            double w2 = e2.a * x + e2.b * y + e2.c;
            if (!inside(e0, w0) || !inside(e1, w1) || !inside(e2, w2)) continue;
            if (!texture) {
                row[x] = flat;
                continue;
            }
            double u = (w0 * v0.tu + w1 * v1.tu + w2 * v2.tu) / total;
            double v = (w0 * v0.tv + w1 * v1.tv + w2 * v2.tv) / total;
            int32_t mask = texture->side - 1;
            double fu = std::floor(u * texture->side), fv = std::floor(v * texture->side);
            if (!std::isfinite(fu) || !std::isfinite(fv) || std::fabs(fu) > 1e9 || std::fabs(fv) > 1e9) continue;
            int32_t tx = int32_t(int64_t(fu) & mask), ty = int32_t(int64_t(fv) & mask);
            row[x] = texture->texels[size_t(ty) * texture->side + tx];
        }
    }
}

} // namespace

void sw_device_reset()
{
    sw_device = SwDevice{};
    g_materials.clear();
    g_textures.clear();
}

int32_t sw_device_create(Surface* target, int32_t kind)
{
    if (!target || target->bits != 8 || target->width <= 0 || target->height <= 0) return 0;
    sw_device.target = target;
    sw_device.kind = kind;
    sw_device.in_scene = false;
    return 1;
}

int32_t sw_device_begin_scene()
{
    if (!sw_device.target || sw_device.in_scene) return 0;
    sw_device.in_scene = true;
    return 1;
}

int32_t sw_device_end_scene()
{
    if (!sw_device.target || !sw_device.in_scene) return 0;
    sw_device.in_scene = false;
    return 1;
}

void sw_device_set_render_state(uint32_t state, uint32_t value)
{
    if (state < 64) sw_device.render_state[state] = value;
}

void sw_device_set_light_state(uint32_t state, uint32_t value)
{
    if (state < 8) sw_device.light_state[state] = value;
}

uint32_t sw_device_create_material()
{
    g_materials.push_back(SwMaterialDesc{});
    return uint32_t(g_materials.size());
}

void sw_device_set_material(uint32_t handle, const SwMaterialDesc& desc)
{
    if (handle >= 1 && handle <= g_materials.size()) g_materials[handle - 1] = desc;
}

const SwMaterialDesc* sw_device_material(uint32_t handle)
{
    return handle >= 1 && handle <= g_materials.size() ? &g_materials[handle - 1] : nullptr;
}

uint32_t sw_device_create_texture(int32_t side)
{
    SwTexture t;
    t.side = side;
    t.texels.assign(size_t(side) * side, 0);
    g_textures.push_back(std::move(t));
    return uint32_t(g_textures.size());
}

SwTexture* sw_device_texture(uint32_t handle)
{
    return handle >= 1 && handle <= g_textures.size() ? &g_textures[handle - 1] : nullptr;
}

int32_t sw_device_draw_strip(const SwTLVertex* vertices, int32_t n)
{
    if (!sw_device.target) return 0;
    if (sw_device.draws_to_fail > 0) {
        --sw_device.draws_to_fail;
        return 0;
    }
    for (int32_t i = 0; i + 2 < n; ++i) draw_triangle(vertices[i], vertices[i + 1], vertices[i + 2]);
    ++sw_device.primitives_drawn;
    return 1;
}

void sw_device_fail_next_draws(int32_t n) { sw_device.draws_to_fail = n; }

uint8_t sw_nearest_palette_index(uint32_t rgb)
{
    int32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    int32_t best = 0;
    int64_t best_distance = INT64_MAX;
    for (int32_t i = 0; i < 256; ++i) {
        int64_t dr = display_palette[i].red - r, dg = display_palette[i].green - g, db = display_palette[i].blue - b;
        int64_t d = dr * dr + dg * dg + db * db;
        if (d < best_distance) {
            best_distance = d;
            best = i;
        }
    }
    return uint8_t(best);
}
