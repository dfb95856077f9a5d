#include "model/attach_points.h"

#include <cstring>

const char* const attach_point_names[ATTACH_POINT_COUNT] = {
    "VICON01",  "LFEMUR",  "LTIBIA", "LFOOT",    "RFEMUR",  "RTIBIA", "RFOOT",  "THORAX",
    "HEAD",     "LHUMERUS", "LRADIUS", "LHAND",  "RHUMERUS", "RRADIUS", "RHAND", "WEAPON",
};

namespace {
bool node_matches(TcaMesh& m, const char* name)
{
    for (char& ch : m.node_name)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return std::strncmp(m.node_name, name, 4) == 0;
}
} // namespace

int16_t find_attach_point(ModelContainer* c, const char* name)
{
    for (int i = 0; i < c->mesh_count; ++i)
        if (node_matches(c->meshes[i], name)) return static_cast<int16_t>(i);
    return -1;
}

void bind_attach_points(ModelContainer* c, int16_t ids[ATTACH_POINT_COUNT])
{
    for (int n = 0; n < ATTACH_POINT_COUNT; ++n) ids[n] = find_attach_point(c, attach_point_names[n]);
}

int16_t find_attach_point_of_mesh(ModelContainer* c, int mesh, int n)
{
    if (n < 1 || mesh < 0 || mesh >= c->mesh_count) return -1;
    if (n > ATTACH_POINT_COUNT) n = ATTACH_POINT_COUNT;
    for (int k = 0; k < n; ++k)
        if (node_matches(c->meshes[mesh], attach_point_names[k])) return static_cast<int16_t>(k);
    return -1;
}
