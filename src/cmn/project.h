// The library's 3D projection: a field of view in degrees over a screen
// extent, and points projected through it.
#pragma once

#include <cstdint>

struct Projection {
    int32_t hangle, vangle;        // 1024 to a turn
    int32_t halfwidth, halfheight;
    int32_t originx, originy;
    int32_t centrex, centrey;      // origin + half extents
    int32_t xscale, yscale;
    int32_t aspect;                // 16.16
    uint32_t clipflags;            // bit 0: a point lay at or behind the eye
};
extern Projection libprojection;

struct ProjPoint {
    int32_t x, y, z;
};

void setfieldofview(int32_t hdegrees, int32_t vdegrees, int32_t width, int32_t height);
void setprojectionorigin(int32_t x, int32_t y);
void projectpoint(const ProjPoint* point, int32_t out[2]);
