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

// Results: 0 success; -1 no outside library or a request not queued; -6
// memory refused; -7 unsupported format; -8 bad handle, voice or flags; -9
// nothing free; -10 not initialised; -13 full; -14 not initialised
// (hardware calls); -15 unsupported samples; -16 timer or window missing.
// Flags: output 1, 2, 4, 8 (8-bit mono, stereo, 16-bit mono, stereo); rates
// 0x200 11025, 0x400 16000, 0x800 22050, 0x1000 32000, 0x2000 44100; -1
// takes the best the hardware offers.
int32_t SNDinit(int32_t flags, int32_t reserved);
int32_t SNDreinit(int32_t flags, int32_t reserved);
int32_t SNDrestore();
int32_t SNDcaps(int32_t reserved);
int32_t SNDobtainhardware();
int32_t SNDreleasehardware();
void SNDsetqualityoffset(int32_t value);
// Channels used; set before SNDinit (16 when unset).
void SNDsetchannelcount(int32_t count);
int32_t iSNDserveradd100hzclient(void (*fn)());
int32_t iSNDserverremove100hzclient(void (*fn)());

struct SndStreamStatus {
    int32_t state; // 0 waiting, 1 queued, 2 playing, 3 finished or not found
    int32_t played, toplay, buffered; // ms
};
int32_t SNDSTRM_memrequired(int32_t maxrequests, int32_t packets);
int32_t SNDSTRM_memrequiredown(int32_t maxrequests, int32_t packets);
int32_t SNDSTRM_create(STREAMHANDLE tap, const PlayOptions* options, int32_t maxrequests, int32_t packets,
                       void* memory, int32_t size);
int32_t SNDSTRM_createown(const PlayOptions* options, int32_t maxrequests, int32_t packets, void* memory,
                          int32_t size);
// kind 0 a file (a = name, b = start word), 1 memory (a, b = length), 2 a
// request already queued on the STREAM (b).
int32_t SNDSTRM_request(int32_t handle, int32_t prebufferms, intptr_t a, uint32_t b, int32_t kind);
int32_t SNDSTRM_play(int32_t handle, int32_t prebufferms, uint32_t streamrequest);
int32_t SNDSTRM_playfile(int32_t handle, int32_t prebufferms, const char* name, uint32_t word);
int32_t SNDSTRM_requeststatus(int32_t id, SndStreamStatus* status);
void SNDSTRM_stop(int32_t handle);
void SNDSTRM_destroy(int32_t handle);

// Back to the state before any start (tests).
void sndlibreset();
