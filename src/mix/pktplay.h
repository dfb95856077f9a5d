// The packet player: an endless run of sample packets on one voice, fed by
// its owner into a ring in the owner's memory and pulled by the mixer.
#pragma once

#include "mix/sndint.h"

#include <cstdint>

struct SndPacket {
    int32_t frames;
    const uint8_t* tag; // the data address
    uint32_t bytes = 0; // the data's length, 0 when the frames say it all
};
using SndPacketRelease = void (*)(const uint8_t* tag);
using SndPacketPlayed = void (*)(int32_t player, int32_t frames);

int32_t SNDPKTPLAY_memrequired(int32_t packets);
int32_t SNDPKTPLAY_create(void* memory, int32_t size, SndPacketRelease release, SndPacketPlayed played);
int32_t SNDPKTPLAY_start(int32_t player, const SndSampleFormat* format, const SndVoiceParams* voice,
                         const PlayOptions* options);
int32_t SNDPKTPLAY_submit(int32_t player, const SndPacket* packet);
int32_t SNDPKTPLAY_submitspace(int32_t player);
int32_t SNDPKTPLAY_framesoutstanding(int32_t player);
int32_t SNDPKTPLAY_framesoutstandinglocked(int32_t player);
int32_t SNDPKTPLAY_hardwareframesoutstanding(int32_t player);
void SNDPKTPLAY_purge(int32_t player, int32_t first, int32_t last);
void SNDPKTPLAY_stop(int32_t player);
void SNDPKTPLAY_destroy(int32_t player);
// The voice id of a started player, -1 otherwise.
int32_t SNDPKTPLAY_voice(int32_t player);
void SNDPKTPLAY_reset();

// For the mixer's packet sources: the next packet's data (0 for none) and
// its frames; frames consumed; the player whose channel is the voice.
const uint8_t* sndpktnext(int32_t player, int32_t* frames, uint32_t* bytes = nullptr);
void sndpktconsumed(int32_t player, int32_t frames);
int32_t sndpktplayerofvoice(int32_t voice);
// For the compressed sources: the next buffer, from the callback stream's
// refill (stream) or the packet player, 0 for none; and the report of the
// frames the last fetch handed out.
const uint8_t* sndnextbuffer(void* state, bool stream, int32_t player, int32_t* frames, uint32_t* bytes);
void sndreportconsumed(bool stream, int32_t player, int32_t* handed);
