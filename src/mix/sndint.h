// What the parts of the sound library share: its state record, the sound
// lock, sample formats, voice parameters and the 16 channels.
#pragma once

#include "mix/snd.h"

#include <cstdint>

struct SndSampleFormat {
    uint16_t rate;
    uint16_t representation; // channels in bits 0-1, kind from bit 2
};
constexpr int sndkind(const SndSampleFormat& f) { return f.representation >> 2; }
constexpr int sndchannels(const SndSampleFormat& f) { return f.representation & 3; }

struct SndVoiceParams {
    int32_t channelmask;
    int16_t basepitch; // cents
    uint8_t priority, volume, patchbyte, effectlevel, bendrange, quality;
};

struct SndState {
    int8_t initialised;
    int8_t mastervolume;
    int8_t channelcount;
    void (*server)();
    void (*shutdown)();
    uint32_t servertick;
    uint8_t servernest;
    int32_t flags;       // in force
    int32_t startflags;  // handed to the window thread
    uint16_t outputrate;
    int16_t qualityoffset;
    int32_t effectlevel; // nothing sets it
};
extern SndState sndstate;

// The sound lock, counted; also checks for locked surfaces on the main thread.
void iSNDlock();
void iSNDunlock();
// Holds the sound lock for a scope.
struct SndLockHold {
    SndLockHold() { iSNDlock(); }
    ~SndLockHold() { iSNDunlock(); }
    SndLockHold(const SndLockHold&) = delete;
    SndLockHold& operator=(const SndLockHold&) = delete;
};

// Channels and the patch header.
int32_t iSNDcheckplayopts(const PlayOptions* options);
// Parses a patch header: 0, or a negative code for an unknown format;
// length bounds the tags (the chunk's end acts as the end tag).
int32_t iSNDpatchtohdr(const uint8_t* patch, uint32_t length, SndSampleFormat* format, SndVoiceParams* voice,
                       int32_t* frames);
int32_t iSNDplatformcalcdatarate(const SndSampleFormat* format);
int32_t iSNDallocchan(int32_t mask, int32_t count, int32_t priority, int32_t* id);
void iSNDfreechan(int32_t channel);
int32_t iSNDstopvoice(int32_t id);
int32_t iSNDvoicedone(int32_t id);
void iSNDvol(int32_t channel, int32_t volume);
void iSNDpitchbend(int32_t channel, int32_t pitch);
int32_t iSNDcentstopitch(int32_t cents);
// Sets a channel up for packet play and computes its pitch and volume.
void sndchannelsetup(int32_t channel, const SndVoiceParams* voice, const PlayOptions* options);
int32_t sndchannelpitch(int32_t channel);
int32_t sndchannelvolume(int32_t channel);
int32_t sndchannelpan(int32_t channel);
// The per-tick step of every channel in use (the server runs it).
void sndchannelsstep();
// Re-applies the pitch of every playing channel (after a rate change).
void sndchannelsrepitch();
void sndchannelsreset();
// Stops the voice of every channel.
void sndchannelsstopall();
// Converts a sample for the outside library: 16-bit mono out.
int32_t iSNDconvertsample(const void* source, int32_t representation, int32_t channels, int32_t first, int32_t last,
                          int32_t frames, void* destination, int32_t destrepresentation, int32_t destchannels);
// 1 while the channel is in use and holds that voice id.
int32_t sndchannelof(int32_t id);

// The outside library's three per-voice calls, and the platform voice record.
struct SndPlatformVoice {
    uint16_t rate;
    uint8_t bits, channels, compression, method, active;
    int8_t position[2];  // 3D state: x and y, then the last levels of the 3D pan
    uint16_t direction;  // angle of an inactive voice, 65,536 to a turn
    int32_t word;
};
extern SndPlatformVoice sndplatformvoices[16];
