// The engine sound library's public face: start-up over the outside sound
// library, play options, and sound streams fed from a STREAM tap.
#pragma once

#include "cmn/stream.h"

#include <cstdint>

struct PlayOptions {
    int32_t word;
    uint8_t byte;
    int8_t key, velocity, pan, volume, bend, effect, spatial;
    uint16_t pitchscale; // 4.12
    uint8_t spare[2];
    uint16_t azimuth;
    int16_t elevation;
};
void SNDplayoptsinit(PlayOptions* options);

// 0 or a negative code: -1 no outside library, -10 not started.
int32_t SNDinit(int32_t flags, int32_t rate);
int32_t SNDreinit(int32_t flags, int32_t rate);
void SNDrestore();

struct SndStreamStatus {
    int32_t state; // 0 waiting, 1 queued, 2 playing, 3 finished or not found
    int32_t played, toplay, buffered; // ms
};
int32_t SNDSTRM_memrequired(int32_t maxrequests, int32_t packets);
int32_t SNDSTRM_create(STREAMHANDLE tap, const PlayOptions* options, int32_t maxrequests, int32_t packets,
                       void* memory, int32_t size);
int32_t SNDSTRM_play(int32_t handle, int32_t prebufferms, uint32_t streamrequest);
int32_t SNDSTRM_requeststatus(int32_t id, SndStreamStatus* status);
void SNDSTRM_destroy(int32_t handle);
