// 8-bit BMP textures of the software display's meshes.
#include "fuzz/harness.h"

#include "swrender/x_mesh.h"

#include <cstring>

FUZZ_HARNESS(mesh_texture)
{
    fuzz_data_file("mesh\\tex.bmp", data, size);
    x_mesh mesh;
    std::strcpy(mesh.directory, "mesh");
    mesh_material material{};
    std::strcpy(material.texture_name, "tex.bmp");
    int32_t saved = d3d_meshes_on;
    d3d_meshes_on = 0;
    load_bmp_texture(&mesh, &material);
    d3d_meshes_on = saved;
}
