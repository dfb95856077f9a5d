#include "lib/paf_writer.h"

#include "lib/kit.h"

#include <cmath>
#include <cstring>

namespace {
void f32(ByteWriter& w, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    w.u32(bits);
}
} // namespace

std::vector<uint8_t> write_paf(const PafFileData& paf)
{
    ByteWriter w;
    w.u8(static_cast<uint32_t>(paf.tracks.size()));
    w.u16(paf.reserved);
    w.u8(paf.root_motion);
    w.u8(paf.separate_ball);
    for (const PafTrackData& t : paf.tracks) {
        w.u32(static_cast<uint32_t>(t.rot.size()));
        w.u32(static_cast<uint32_t>(t.pos.size()));
        w.u32(0);
        w.u32(0);
    }
    for (const PafTrackData& t : paf.tracks)
        for (const PafRotKey& k : t.rot) {
            w.u32(k.time);
            f32(w, k.w), f32(w, k.x), f32(w, k.y), f32(w, k.z);
        }
    for (const PafTrackData& t : paf.tracks)
        for (const PafPosKey& k : t.pos) {
            w.u32(k.time);
            f32(w, k.x), f32(w, k.y), f32(w, k.z);
        }
    return w.bytes;
}

bool paf_is_finite(const PafFileData& paf)
{
    for (const PafTrackData& t : paf.tracks) {
        for (const PafRotKey& k : t.rot)
            if (!std::isfinite(k.w) || !std::isfinite(k.x) || !std::isfinite(k.y) || !std::isfinite(k.z)) return false;
        for (const PafPosKey& k : t.pos)
            if (!std::isfinite(k.x) || !std::isfinite(k.y) || !std::isfinite(k.z)) return false;
    }
    return true;
}
