#include "cmn/project.h"

#include "cmn/numeric.h"

#include <cmath>

Projection libprojection{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10000, 0};

namespace {
// hw * cos / sin of an angle; a zero sine (no field of view) gives 0.
int32_t cotangent_scale(int32_t half, int32_t angle)
{
    int32_t s = fixsin(angle);
    if (s == 0) return 0;
    return static_cast<int32_t>(int64_t{half} * fixcos(angle) / s);
}

void place_centre()
{
    libprojection.centrex = libprojection.originx + libprojection.halfwidth;
    libprojection.centrey = libprojection.originy + libprojection.halfheight;
}
} // namespace

void setfieldofview(int32_t hdegrees, int32_t vdegrees, int32_t width, int32_t height)
{
    Projection& p = libprojection;
    p.hangle = hdegrees * 1024 / 360;
    p.vangle = vdegrees * 1024 / 360;
    p.halfwidth = width / 2;
    p.halfheight = height / 2;
    place_centre();
    p.xscale = cotangent_scale(p.halfwidth, p.hangle);
    if (vdegrees) {
        p.yscale = -cotangent_scale(p.halfheight, p.vangle);
    } else {
        p.yscale = -static_cast<int32_t>(std::lrint(static_cast<double>(int64_t{p.xscale} * p.aspect) / 65536.0));
        p.vangle = fixatan2(p.yscale, p.halfheight);
    }
}

void setprojectionorigin(int32_t x, int32_t y)
{
    libprojection.originx = x;
    libprojection.originy = y;
    place_centre();
}

void projectpoint(const ProjPoint* point, int32_t out[2])
{
    const Projection& p = libprojection;
    if (point->z > 0) {
        out[0] = static_cast<int32_t>(int64_t{point->x} * p.xscale / point->z + p.centrex);
        out[1] = static_cast<int32_t>(int64_t{point->y} * p.yscale / point->z + p.centrey);
    } else {
        out[0] = out[1] = INT32_MIN; // 0x80000000
        libprojection.clipflags |= 1;
    }
}
