// Text ".x" meshes of the software display, loaded and drawn once.
#include "fuzz/harness.h"

#include "gl3d/angle_maths.h"
#include "swrender/x_mesh.h"

FUZZ_HARNESS(x_mesh)
{
    build_sincos_table();
    const int32_t rect[5] = {0, 0, 640, 480, 0};
    const double scale[3] = {1.0, 1.0, 1.0};
    x_mesh mesh;
    int32_t saved = d3d_meshes_on;
    d3d_meshes_on = 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    if (load_clipped_mesh_text(&mesh, text.data(), uint32_t(text.size()), "mesh", rect, scale)) {
        transform_x_mesh(&mesh);
        clip_mesh_polygons(&mesh, 0);
    }
    d3d_meshes_on = saved;
}
