// Attach points: which mesh of a figure carries each of the 16 joints of the
// skeleton, found by the first four letters of the meshes' node names.
#pragma once

#include "model/tca_model.h"

#include <cstdint>

enum { ATTACH_POINT_COUNT = 16 };

extern const char* const attach_point_names[ATTACH_POINT_COUNT];

// The first mesh whose node name (upper-cased in place) matches the name in
// its first four characters, or -1.
int16_t find_attach_point(ModelContainer* c, const char* name);
// All 16 at once, attach point n into ids[n].
void bind_attach_points(ModelContainer* c, int16_t ids[ATTACH_POINT_COUNT]);
// The reverse: the first of the first n attach names matching the mesh, or -1.
int16_t find_attach_point_of_mesh(ModelContainer* c, int mesh, int n);
