// The sound output: our stand-in for the sound card and its driver.
//
// One mono output of 22050 16-bit samples a second. The game makes sound
// buffers of PCM in any of the usual formats and plays them, once or looping,
// each with its own frequency, volume and pan; the host mixes every playing
// buffer into the output. Buffers behave the way the game's code expects of
// its sound interface: Lock hands out one or two pieces of a ring, a
// duplicate shares its original's sound but plays on its own, and volume and
// pan are in hundredths of a decibel.
//
// Every call may come from the main thread or a timer thread; the host takes
// its own lock, so callers take none.
#pragma once

#include <cstdint>

constexpr uint32_t HOST_SOUND_RATE = 22050;

struct HostSoundFormat {
    uint16_t channels; // 1 or 2
    uint16_t bits;     // 8 (unsigned) or 16 (signed)
    uint32_t rate;     // samples a second, 100..100000
};

struct HostSoundBuffer;

// Results: 0 success, anything else a failure.
constexpr int HOST_SOUND_OK = 0;
constexpr int HOST_SOUND_FAILED = -1;

// Status bits, as the game's sound interface reports them.
constexpr uint32_t HOST_SOUND_PLAYING = 1;
constexpr uint32_t HOST_SOUND_LOOPING = 4;

// Volume and pan limits in hundredths of a decibel.
constexpr int32_t HOST_SOUND_VOLUME_MIN = -10000;
constexpr int32_t HOST_SOUND_PAN_LEFT = -10000;
constexpr int32_t HOST_SOUND_PAN_RIGHT = 10000;

// Opens the output (false when there is no sound device); the primary format
// must be the one output format, 22050 Hz, 16 bits, mono.
bool host_sound_open();
bool host_sound_set_primary_format(const HostSoundFormat& format);
// Releases every buffer left and closes the output.
void host_sound_close();

// A buffer of bytes in the format (at least 4 bytes); nullptr when the format
// or size cannot be played. Static, streaming and ordinary buffers are all
// alike here.
HostSoundBuffer* host_sound_create_buffer(const HostSoundFormat& format, uint32_t bytes);
// A second buffer over the same sound, with its own position and controls.
HostSoundBuffer* host_sound_duplicate(HostSoundBuffer* original);
int host_sound_release(HostSoundBuffer* buffer);

// Lock bytes from offset, wrapping at the end: the first piece runs to the end
// of the buffer, the second (or none) from its start. What is written there
// reaches the buffer at Unlock. One lock at a time per buffer.
int host_sound_lock(HostSoundBuffer* buffer, uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                    void** part2, uint32_t* bytes2);
int host_sound_unlock(HostSoundBuffer* buffer, void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

int host_sound_play(HostSoundBuffer* buffer, bool looping);
int host_sound_stop(HostSoundBuffer* buffer);
int host_sound_get_status(HostSoundBuffer* buffer, uint32_t* status);
// Byte offsets of the play cursor.
int host_sound_set_position(HostSoundBuffer* buffer, uint32_t offset);
int host_sound_get_position(HostSoundBuffer* buffer, uint32_t* play);
int host_sound_set_frequency(HostSoundBuffer* buffer, uint32_t hertz);
int host_sound_set_volume(HostSoundBuffer* buffer, int32_t volume);
int host_sound_set_pan(HostSoundBuffer* buffer, int32_t pan);

