#include "model/paf.h"

#include "model/le_reader.h"
#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/app_state.h"

#include <cstdio>
#include <cstring>

namespace {

const uint32_t kFileTrackBytes = 16, kFileRotBytes = 20, kFilePosBytes = 16;

PafAnimation* new_header(uint32_t tracks, const char* tag)
{
    uint32_t size = static_cast<uint32_t>(sizeof(PafAnimation) + tracks * sizeof(PafTrack));
    PafAnimation* a = static_cast<PafAnimation*>(alloc_mem(size, tag));
    std::memset(static_cast<void*>(a), 0, size);
    a->tracks = reinterpret_cast<PafTrack*>(a + 1);
    return a;
}

void apply_software_path_rule(char* path)
{
    if (char* dir = std::strstr(path, "pafs\\")) dir[0] = 's';
    if (char* ext = std::strstr(path, ".paf")) ext[1] = 's';
}

} // namespace

PafAnimation* parse_paf(const uint8_t* data, uint32_t size, const char** error)
{
    LeReader r(data, size);
    uint8_t n = r.u8();
    uint16_t reserved = r.u16();
    uint8_t root_motion = r.u8();
    uint8_t separate_ball = r.u8();
    if (!r.ok) {
        *error = "file ends inside its header";
        return nullptr;
    }
    if (n < PAF_MIN_TRACKS) {
        *error = "fewer tracks than the skeleton has joints";
        return nullptr;
    }
    if (!r.have(static_cast<uint64_t>(kFileTrackBytes) * n)) {
        *error = "file ends inside its track list";
        return nullptr;
    }
    uint32_t rot_count[256], pos_count[256];
    uint64_t rot_total = 0, pos_total = 0;
    for (int t = 0; t < n; ++t) {
        rot_count[t] = r.u32();
        pos_count[t] = r.u32();
        r.u32(), r.u32();
        // Position keys are read by the rotation keys' index, so a track has
        // either none or at least as many.
        if (pos_count[t] != 0 && pos_count[t] < rot_count[t]) {
            *error = "fewer position keys than rotation keys";
            return nullptr;
        }
        rot_total += rot_count[t];
        pos_total += pos_count[t];
    }
    uint64_t key_bytes = rot_total * kFileRotBytes + pos_total * kFilePosBytes;
    if (key_bytes > r.remaining()) {
        *error = "keys run past the end of the file";
        return nullptr;
    }

    PafAnimation* a = new_header(n, "anim");
    a->track_count = n;
    a->reserved = reserved;
    a->root_motion = root_motion;
    a->separate_ball = separate_ball;
    // Every header keeps a key block, even an animation without keys.
    uint64_t block = rot_total * sizeof(PafRotKey) + pos_total * sizeof(PafPosKey);
    uint8_t* keys = static_cast<uint8_t*>(alloc_mem(block ? static_cast<uint32_t>(block) : 1, "anim keys"));
    a->keys = keys;
    PafRotKey* rot = reinterpret_cast<PafRotKey*>(keys);
    for (int t = 0; t < n; ++t) {
        PafTrack& track = a->tracks[t];
        track.rot_count = rot_count[t];
        track.rot = rot;
        for (uint32_t k = 0; k < rot_count[t]; ++k, ++rot) {
            rot->time = r.u32();
            rot->w = r.f32(), rot->x = r.f32(), rot->y = r.f32(), rot->z = r.f32();
        }
    }
    PafPosKey* pos = reinterpret_cast<PafPosKey*>(rot);
    for (int t = 0; t < n; ++t) {
        PafTrack& track = a->tracks[t];
        track.pos_count = pos_count[t];
        track.pos = pos;
        for (uint32_t k = 0; k < pos_count[t]; ++k, ++pos) {
            pos->time = r.u32();
            pos->x = r.f32(), pos->y = r.f32(), pos->z = r.f32();
        }
    }
    return a;
}

PafAnimation* load_paf(char* path)
{
    if (!use_3d_hardware) apply_software_path_rule(path);
    uint32_t size = 0;
    uint8_t* data = load_file(path, &size);
    const char* why = nullptr;
    PafAnimation* a = parse_paf(data, size, &why);
    free_mem(data);
    if (!a) {
        char text[400];
        std::snprintf(text, sizeof text, "%s: %s", path, why);
        fatal_error_sub(FATAL_BAD_ANIM_FILE, 0, text, 0);
    }
    return a;
}

PafAnimation* new_blend_anim()
{
    PafAnimation* a = new_header(16, "blend anim");
    a->track_count = 16;
    uint32_t key_bytes = 16 * (2 * sizeof(PafRotKey) + 2 * sizeof(PafPosKey));
    uint8_t* keys = static_cast<uint8_t*>(alloc_mem(key_bytes, "blend anim keys"));
    std::memset(keys, 0, key_bytes);
    a->keys = keys;
    PafRotKey* rot = reinterpret_cast<PafRotKey*>(keys);
    PafPosKey* pos = reinterpret_cast<PafPosKey*>(rot + 32);
    for (int t = 0; t < 16; ++t) {
        PafTrack& track = a->tracks[t];
        track.rot_count = 2;
        track.pos_count = 2;
        track.rot = rot + 2 * t;
        track.pos = pos + 2 * t;
        track.rot[0].w = track.rot[1].w = 1.0f;
        track.rot[1].time = track.pos[1].time = PAF_FRAME_US;
    }
    return a;
}

void free_paf(PafAnimation* a)
{
    if (!a) return;
    if (a->keys) free_mem(a->keys);
    free_mem(a);
}

uint32_t paf_length(const PafAnimation* a)
{
    if (!a || a->track_count == 0) return 0;
    const PafTrack& root = a->tracks[0];
    if (root.pos_count) return root.pos[root.pos_count - 1].time;
    if (root.rot_count) return root.rot[root.rot_count - 1].time;
    return 0;
}
