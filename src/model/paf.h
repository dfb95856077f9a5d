// Skeletal animations: ".paf" files under "3d display\pafs\", one track per
// bone (track 0 the root), rotation keys and position keys on frame times.
#pragma once

#include <cstdint>

enum { PAF_FRAME_US = 50000, PAF_MIN_TRACKS = 16 };

struct PafRotKey {
    uint32_t time; // microseconds from the start
    float w, x, y, z;
};

struct PafPosKey {
    uint32_t time;
    float x, y, z; // model units
};

struct PafTrack {
    uint32_t rot_count;
    uint32_t pos_count;
    PafRotKey* rot;
    PafPosKey* pos; // where its keys would start when pos_count is 0
};

struct PafAnimation {
    uint16_t reserved;
    uint8_t root_motion;   // 1: track 0's x and z keys are the man's travel
    uint8_t separate_ball; // the ball is drawn apart from the figure
    uint8_t track_count;
    void* keys;       // all rotation keys of all tracks, then all position keys
    PafTrack* tracks; // track_count records, in the same block as the header
};

// Loads an animation file; on the software path (use_3d_hardware of start-up
// off) the name itself becomes the
// ".saf" twin under "safs\". A file the loader cannot use is a fatal error.
PafAnimation* load_paf(char* path);
// An animation read from a file image. Null, with the reason in error, when
// the image is not one the game can play.
PafAnimation* parse_paf(const uint8_t* data, uint32_t size, const char** error);
// A blend animation: 16 tracks of two keys of each kind, identity rotations
// and zero offsets at time 0 and one frame later.
PafAnimation* new_blend_anim();
void free_paf(PafAnimation* a);

// The time of the last position key of track 0, or of its last rotation key
// when it has no position keys; 0 for a track without keys.
uint32_t paf_length(const PafAnimation* a);
