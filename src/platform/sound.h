// Sound samples: 550 numbered slots, each able to sound three times at once,
// and one long WAV streamed from disk through a small looping buffer.
#pragma once

#include "host/audio.h"

#include <atomic>
#include <cstdint>

constexpr int32_t SAMPLE_SLOT_COUNT = 550;
constexpr int32_t SAMPLE_VOICES = 3;
constexpr int32_t DECODED_ENTRY_COUNT = 32;

// Flags byte of a sample image.
constexpr uint8_t SAMPLE_STEREO = 1;
constexpr uint8_t SAMPLE_16BIT = 2;
constexpr uint8_t SAMPLE_ADPCM = 4;
constexpr uint32_t SAMPLE_IMAGE_HEADER = 8; // u32 byte count, u16 rate, u8 flags, u8 unused

struct SampleSlot {
    HostSoundBuffer* voice[SAMPLE_VOICES]; // PCM: voice 0 is the sample's own buffer
    uint32_t voice_start[SAMPLE_VOICES];   // millisecond clock at each voice's last start
    uint32_t tag;
    uint8_t* adpcm_data;   // "adpcm buffer": the whole image, header and data
    int32_t decoded_entry; // -1 none
};

// An ADPCM sample's decoded sound; its voices are duplicates of the buffer.
struct DecodedEntry {
    HostSoundBuffer* buffer;
    int32_t owner; // slot, -1 none
    uint8_t voice_in_use[SAMPLE_VOICES];
};

extern SampleSlot sample_slots[SAMPLE_SLOT_COUNT];
extern DecodedEntry decoded_entries[DECODED_ENTRY_COUNT];
// Volume 0..127 to hundredths of a decibel: -4961 .. 0.
extern int32_t volume_table[128];
extern uint32_t sound_available;

// What the game's sound code reads while running, set from the settings.
struct ActiveSoundLevels {
    uint32_t commentary, sfx, crowd; // switches
    uint8_t commentary_volume, sfx_volume, crowd_volume;
};
extern ActiveSoundLevels active_sound_levels;

// 0 success; 1 no sound device (every sample call then does nothing).
int32_t init_direct_sound();
void shutdown_direct_sound();
// Empty: the sound screen hands them the levels no sound of this game uses
// (the fourth level, the master level and the further value).
void nop_a(uint32_t value, uint32_t second);
void nop_b(uint32_t value, uint32_t second);
void nop_c(uint32_t value, uint32_t second);

// slot -1 takes the first free one; a given slot is freed first. Both return
// the slot, or -1 when there is no sound.
int32_t load_sample(const char* file_name, int32_t slot, uint32_t tag);
// image_size: the bytes the caller holds of the image, which its byte count
// must fit in.
int32_t install_sample(const uint8_t* image, uint32_t image_size, int32_t slot, uint32_t tag);
void free_sample(int32_t slot);
// voice -1 picks one; frequency 0 keeps the buffer's; volume 0..127 (0 is
// full); pan 0 keeps the pan, 1..127 from left to right. Returns the voice, or
// -1 when nothing plays.
int32_t play_sample(int32_t slot, int32_t voice, uint32_t frequency, uint32_t volume, uint32_t pan, int32_t loop);
void stop_sample(int32_t slot);
void set_sample_frequency(int32_t slot, int32_t voice, uint32_t hertz);
void set_sample_volume(int32_t slot, int32_t voice, uint32_t volume);
void set_sample_pan(int32_t slot, int32_t voice, int32_t pan);
int32_t first_free_sample_slot();
// A PCM sample's own buffer, locked from its start for writing (one piece);
// both return 0, or -1 when the sample has no such buffer or the lock fails.
int32_t lock_sample(int32_t slot, uint32_t bytes, void** data);
int32_t unlock_sample(int32_t slot, void* data, uint32_t bytes);

// IMA ADPCM, one channel, high nibble first, from predictor 0 and index 0.
// The decoder's state and its one step, which the kit's encoder runs too.
struct AdpcmState {
    int32_t predictor = 0;
    int32_t index = 0;
};
int32_t adpcm_step_size(const AdpcmState& state);
void adpcm_advance(AdpcmState& state, uint32_t nibble);
void decode_adpcm(const uint8_t* adpcm, int16_t* out, uint32_t sample_count);

// The streamed phrase. open: 0, or -100 not a readable WAV, -101 not PCM,
// -102 no buffer, -103 no data.
int32_t open_stream_wav(const char* file_name);
void toggle_stream_wav();
void close_stream_wav();
// The 200 ms refill, run by the stream's timer.
void stream_wav_timer(uint32_t timer_id, void* user);

struct StreamState {
    HostSoundBuffer* buffer;
    std::atomic<uint32_t> open, playing, timer_running;
    uint32_t timer_id;
    std::atomic<uint32_t> busy, stop;
    uint32_t loop;
    uint32_t end, end_countdown; // countdown in periods
    uint32_t period, buffer_size, next_write, last_play, bytes_played;
    uint16_t silence_bits;
};
extern StreamState stream_state;
