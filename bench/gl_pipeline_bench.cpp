// The GL layer's transform pipeline and triangle drawer: a grid of
// triangles through gl_draw_arrays onto a device that discards them, wholly
// in view and half across the near plane.
#include "gl3d/gl.h"
#include "gl3d/window_shell.h"
#include "host/render_device.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

class NullDevice final : public HostRenderDevice {
public:
    void begin_scene() override {}
    void end_scene() override {}
    void clear(uint32_t, float) override {}
    void set_render_state(uint32_t, uint32_t) override {}
    void set_texture_stage_state(uint32_t, uint32_t, uint32_t) override {}
    void draw_primitive(uint32_t, const HostTLVertex* v, uint32_t count) override
    {
        benchmark::DoNotOptimize(v);
        vertices += count;
    }
    bool present() override { return true; }
    int texture_format_count() const override { return 0; }
    HostPixelFormat texture_format(int) const override { return {}; }
    HostTexture* create_texture(uint32_t, uint32_t, const HostPixelFormat&) override { return nullptr; }
    void write_texture(HostTexture*, const uint16_t*) override {}
    void set_colour_key(HostTexture*, uint16_t) override {}
    void release_texture(HostTexture*) override {}
    void set_texture(uint32_t, HostTexture*) override {}
    bool read_picture(uint32_t*) override { return false; }
    uint64_t vertices = 0;
};

// A side x side grid of quads facing the camera, at depth z.
void build_grid(int side, float z, std::vector<float>& xyz, std::vector<uint32_t>& indices)
{
    for (int j = 0; j <= side; ++j)
        for (int i = 0; i <= side; ++i) xyz.insert(xyz.end(), {-8.0f + 16.0f * i / side, -6.0f + 12.0f * j / side, z});
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            uint32_t a = uint32_t(j * (side + 1) + i), b = a + 1, c = a + uint32_t(side) + 1, d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
}

void run(benchmark::State& state, bool across_near_plane)
{
    glw_set_reshape_func(nullptr);
    NullDevice device;
    gl_context* context = gl_create_context();
    gl_device binding{};
    binding.device = &device;
    binding.context = context;
    binding.width = 640;
    binding.height = 480;
    binding.active = 1;
    gl_make_current(&binding);
    set_gl_viewport(0, 0, 640, 480);
    set_projection(90.0f, 4.0f / 3.0f, 1.0f, 100.0f);
    set_look_at(0, 0, across_near_plane ? -9.0f : 0.0f, 0, 0, -20);

    const int side = static_cast<int>(state.range(0));
    std::vector<float> xyz;
    std::vector<uint32_t> indices;
    build_grid(side, -10.0f, xyz, indices);
    if (across_near_plane) // tilt the grid so that half of it lies behind the near plane
        for (size_t v = 0; v < xyz.size(); v += 3) xyz[v + 2] = -10.0f + xyz[v + 1];
    for (auto _ : state) {
        gl_vertex_pointer(static_cast<uint16_t>(xyz.size() / 3), 1, xyz.data());
        gl_draw_arrays(static_cast<int32_t>(indices.size()), indices.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(indices.size() / 3));
    state.counters["vertices_out"] = benchmark::Counter(static_cast<double>(device.vertices), benchmark::Counter::kAvgIterations);
    gl_make_current(nullptr);
    gl_destroy_context(context);
}

void BM_DrawArraysInView(benchmark::State& state) { run(state, false); }
void BM_DrawArraysAcrossNearPlane(benchmark::State& state) { run(state, true); }

BENCHMARK(BM_DrawArraysInView)->Arg(8)->Arg(32)->Arg(70);
BENCHMARK(BM_DrawArraysAcrossNearPlane)->Arg(8)->Arg(32)->Arg(70);

} // namespace
