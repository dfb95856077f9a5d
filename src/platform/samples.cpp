// The sample slots: loading, installing, playing and freeing sounds.
#include "platform/sound.h"

#include "host/clock.h"
#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/settings_targets.h"
#include "platform/wave_file.h"

#include <cstring>
#include <string>

SampleSlot sample_slots[SAMPLE_SLOT_COUNT];
DecodedEntry decoded_entries[DECODED_ENTRY_COUNT];
int32_t volume_table[128];
uint32_t sound_available = 0;
ActiveSoundLevels active_sound_levels;

namespace {

constexpr uint32_t SOUNDING = HOST_SOUND_PLAYING | HOST_SOUND_LOOPING;

bool slot_valid(int32_t slot) { return slot >= 0 && slot < SAMPLE_SLOT_COUNT; }

uint32_t get_u16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t get_u32(const uint8_t* p) { return get_u16(p) | (get_u16(p + 2) << 16); }

bool sounding(HostSoundBuffer* b, const char* op)
{
    uint32_t status = 0;
    if (host_sound_get_status(b, &status) != HOST_SOUND_OK) fatal_error_sub(FATAL_CANT_LOAD_WAV, 0, op, 0);
    return (status & SOUNDING) != 0;
}

HostSoundFormat image_format(const uint8_t* image)
{
    uint8_t flags = image[6];
    return HostSoundFormat{static_cast<uint16_t>(flags & SAMPLE_STEREO ? 2 : 1),
                           static_cast<uint16_t>(flags & SAMPLE_16BIT ? 16 : 8), get_u16(image + 4)};
}

HostSoundBuffer* make_buffer(const HostSoundFormat& format, uint32_t bytes, const char* op)
{
    HostSoundBuffer* b = host_sound_create_buffer(format, bytes);
    if (!b) fatal_error_sub(FATAL_SOUND_BUFFER, 0, op, 0);
    return b;
}

void fill_buffer(HostSoundBuffer* b, const uint8_t* src, uint32_t bytes, const char* op)
{
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (host_sound_lock(b, 0, bytes, &p1, &n1, &p2, &n2) != HOST_SOUND_OK) fatal_error_sub(FATAL_LOCK_SOUND_BUFFER, 0, op, 0);
    std::memcpy(p1, src, n1);
    if (n2) std::memcpy(p2, src + n1, n2);
    if (host_sound_unlock(b, p1, n1, p2, n2) != HOST_SOUND_OK) fatal_error_sub(FATAL_UNLOCK_SOUND_BUFFER, 0, op, 0);
}

int32_t take_slot(int32_t slot, const char* op)
{
    if (slot == -1) return first_free_sample_slot();
    if (!slot_valid(slot)) fatal_error_sub(FATAL_SAMPLE_SLOTS_FULL, static_cast<uint32_t>(slot), op, 0);
    free_sample(slot);
    return slot;
}

void empty_entry(DecodedEntry& e)
{
    e.buffer = nullptr;
    e.owner = -1;
    std::memset(e.voice_in_use, 0, sizeof e.voice_in_use);
}

// Frees the stopped voices of an entry's owner; true when none still sounds.
bool quieten_entry(DecodedEntry& e)
{
    if (e.owner < 0) return true;
    SampleSlot& owner = sample_slots[e.owner];
    bool still = false;
    for (int32_t v = 0; v < SAMPLE_VOICES; ++v) {
        if (!e.voice_in_use[v] || !owner.voice[v]) continue;
        if (sounding(owner.voice[v], "play_sample")) {
            still = true;
        } else {
            host_sound_release(owner.voice[v]);
            owner.voice[v] = nullptr;
            e.voice_in_use[v] = 0;
        }
    }
    return !still;
}

// The entry that holds this ADPCM slot's decoded sound, decoding it when it
// has none; -1 when every entry still sounds.
int32_t decoded_entry_of(int32_t slot)
{
    SampleSlot& s = sample_slots[slot];
    if (s.decoded_entry >= 0) {
        const DecodedEntry& e = decoded_entries[s.decoded_entry];
        if (e.buffer && e.owner == slot) return s.decoded_entry;
        s.decoded_entry = -1;
    }
    int32_t taken = -1;
    for (int32_t i = 0; i < DECODED_ENTRY_COUNT && taken < 0; ++i) {
        DecodedEntry& e = decoded_entries[i];
        if (!e.buffer || !quieten_entry(e)) continue;
        host_sound_release(e.buffer);
        // The old owner loses its claim, or it would play (and free) the
        // new owner's sound.
        if (e.owner >= 0) sample_slots[e.owner].decoded_entry = -1;
        empty_entry(e);
        taken = i;
    }
    for (int32_t i = 0; i < DECODED_ENTRY_COUNT && taken < 0; ++i)
        if (!decoded_entries[i].buffer) taken = i;
    if (taken < 0) return -1;

    const uint32_t count = get_u32(s.adpcm_data);
    const uint32_t bytes = 4 * count;
    auto* pcm = static_cast<uint8_t*>(alloc_mem(bytes, "adpcm decompression buffer"));
    auto* samples = reinterpret_cast<int16_t*>(pcm);
    decode_adpcm(s.adpcm_data + SAMPLE_IMAGE_HEADER, samples, 2 * count);
    for (uint32_t i = 0; i < 2 * count; ++i) { // the buffer holds little-endian bytes
        uint16_t v = static_cast<uint16_t>(samples[i]);
        pcm[2 * i] = static_cast<uint8_t>(v);
        pcm[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    HostSoundBuffer* b = make_buffer(image_format(s.adpcm_data), bytes, "play_sample");
    fill_buffer(b, pcm, bytes, "play_sample");
    free_mem(pcm);
    DecodedEntry& e = decoded_entries[taken];
    e.buffer = b;
    e.owner = slot;
    s.decoded_entry = taken;
    host_sound_stop(b);
    return taken;
}

// A voice made as a copy of the sample's sound.
HostSoundBuffer* duplicate_voice(SampleSlot& s, int32_t v, HostSoundBuffer* source)
{
    s.voice[v] = host_sound_duplicate(source);
    if (!s.voice[v]) fatal_error_sub(FATAL_SOUND_BUFFER, 0, "play_sample", 0);
    if (s.adpcm_data) decoded_entries[s.decoded_entry].voice_in_use[v] = 1;
    return s.voice[v];
}

int32_t choose_voice(SampleSlot& s, int32_t voice, HostSoundBuffer* source)
{
    if (voice >= 0) {
        if (!s.voice[voice]) duplicate_voice(s, voice, source);
        host_sound_stop(s.voice[voice]);
        return voice;
    }
    for (int32_t v = 0; v < SAMPLE_VOICES; ++v)
        if (s.voice[v] && !sounding(s.voice[v], "play_sample")) return v;
    for (int32_t v = s.adpcm_data ? 0 : 1; v < SAMPLE_VOICES; ++v) {
        if (s.voice[v]) continue;
        duplicate_voice(s, v, source);
        return v;
    }
    int32_t oldest = 0;
    for (int32_t v = 1; v < SAMPLE_VOICES; ++v)
        if (s.voice_start[v] < s.voice_start[oldest]) oldest = v;
    host_sound_stop(s.voice[oldest]);
    return oldest;
}

// Pan 1..127 across the field, from the volume scale: below 64 one side,
// from 64 the other.
int32_t pan_value(uint32_t pan)
{
    if (pan > 127) pan = 127;
    if (pan < 64) return volume_table[2 * pan];
    return -volume_table[2 * (127 - pan)];
}

// A setter's voice, or nullptr when it has none to set.
HostSoundBuffer* setter_voice(int32_t slot, int32_t voice, const char* op)
{
    if (!sound_available) return nullptr;
    if (!slot_valid(slot) || !sample_slots[slot].voice[0]) fatal_error_sub(FATAL_NO_SAMPLE_IN_SLOT, static_cast<uint32_t>(slot), op, 0);
    if (voice < 0 || voice >= SAMPLE_VOICES) return nullptr;
    return sample_slots[slot].voice[voice];
}

uint32_t clamp_frequency(uint32_t hertz) { return hertz < 100 ? 100 : (hertz > 100000 ? 100000 : hertz); }

} // namespace

int32_t init_direct_sound()
{
    if (!host_sound_open()) return 1;
    sound_available = 1;
    if (!host_sound_set_primary_format(HostSoundFormat{1, 16, HOST_SOUND_RATE}))
        fatal_error_sub(FATAL_SOUND_BUFFER, 0, "Primary Buffer setformat", 0);
    for (SampleSlot& s : sample_slots) {
        std::memset(s.voice, 0, sizeof s.voice);
        std::memset(s.voice_start, 0, sizeof s.voice_start);
        s.adpcm_data = nullptr;
        s.decoded_entry = -1;
    }
    for (DecodedEntry& e : decoded_entries) empty_entry(e);
    for (int32_t i = 0; i < 128; ++i) volume_table[i] = ((5000 * (i + 1)) >> 7) - 5000;
    return 0;
}

void shutdown_direct_sound()
{
    if (!sound_available) return;
    // The stream's timer must not outlive the sound it refills.
    close_stream_wav();
    for (int32_t slot = 0; slot < SAMPLE_SLOT_COUNT; ++slot) free_sample(slot);
    host_sound_close();
    sound_available = 0;
}

int32_t first_free_sample_slot()
{
    for (int32_t slot = 0; slot < SAMPLE_SLOT_COUNT; ++slot) {
        const SampleSlot& s = sample_slots[slot];
        if (!s.voice[0] && !s.voice[1] && !s.voice[2] && !s.adpcm_data) return slot;
    }
    fatal_error(FATAL_SAMPLE_SLOTS_FULL);
}

int32_t load_sample(const char* file_name, int32_t slot, uint32_t tag)
{
    if (!sound_available) return -1;
    slot = take_slot(slot, "load_sample");
    WaveFormat format{};
    uint8_t* data = nullptr;
    uint32_t size = 0;
    uint32_t result = wave_load_file(file_name, &format, &data, &size);
    if (result != WAVE_OK) {
        const std::string text = std::string("load_sample: ") + file_name + " (" + data_file_on_disk(file_name) + ")\n" +
                                 wave_result_text(result);
        fatal_error_sub(FATAL_CANT_LOAD_WAV, result, text.c_str(), 0);
    }
    HostSoundBuffer* b = nullptr;
    if (format.format_tag == WAVE_FORMAT_PCM)
        b = host_sound_create_buffer(HostSoundFormat{format.channels, format.bits_per_sample, format.samples_per_sec},
                                     size);
    if (!b) {
        if (data) free_mem(data);
        fatal_error_sub(FATAL_SOUND_BUFFER, 0, "load_sample", 0);
    }
    fill_buffer(b, data, size, "load_sample");
    free_mem(data);
    SampleSlot& s = sample_slots[slot];
    s.voice[0] = b;
    s.tag = tag;
    s.adpcm_data = nullptr;
    s.decoded_entry = -1;
    return slot;
}

int32_t install_sample(const uint8_t* image, uint32_t image_size, int32_t slot, uint32_t tag)
{
    if (!sound_available) return -1;
    // The image's own byte count is believed only as far as the image goes.
    const uint32_t count = image_size >= SAMPLE_IMAGE_HEADER ? get_u32(image) : 0;
    if (count == 0 || count > image_size - SAMPLE_IMAGE_HEADER || count > 0x0FFFFFFF / 4)
        fatal_error_sub(FATAL_SOUND_BUFFER, count, "install_sample", 0);
    slot = take_slot(slot, "install_sample");
    SampleSlot& s = sample_slots[slot];
    s.tag = tag;
    s.decoded_entry = -1;
    if (image[6] & SAMPLE_ADPCM) {
        s.adpcm_data = static_cast<uint8_t*>(alloc_mem(SAMPLE_IMAGE_HEADER + count, "adpcm buffer"));
        std::memcpy(s.adpcm_data, image, SAMPLE_IMAGE_HEADER + count);
        return slot;
    }
    HostSoundBuffer* b = make_buffer(image_format(image), count, "install_sample");
    fill_buffer(b, image + SAMPLE_IMAGE_HEADER, count, "install_sample");
    host_sound_stop(b);
    s.voice[0] = b;
    return slot;
}

void free_sample(int32_t slot)
{
    if (!sound_available || !slot_valid(slot)) return;
    SampleSlot& s = sample_slots[slot];
    for (int32_t v = 0; v < SAMPLE_VOICES; ++v) {
        if (s.voice[v]) {
            if (sounding(s.voice[v], "free_sample")) host_sound_stop(s.voice[v]);
            host_sound_release(s.voice[v]);
            s.voice[v] = nullptr;
        }
        s.voice_start[v] = 0;
    }
    if (s.adpcm_data) free_mem(s.adpcm_data);
    s.adpcm_data = nullptr;
    if (s.decoded_entry >= 0) {
        DecodedEntry& e = decoded_entries[s.decoded_entry];
        if (e.owner == slot) {
            if (e.buffer) host_sound_release(e.buffer);
            empty_entry(e);
        }
    }
    s.decoded_entry = -1;
}

int32_t play_sample(int32_t slot, int32_t voice, uint32_t frequency, uint32_t volume, uint32_t pan, int32_t loop)
{
    if (!sound_available) return -1;
    if (!slot_valid(slot)) fatal_error_sub(FATAL_NO_SAMPLE_IN_SLOT, static_cast<uint32_t>(slot), "play_sample", 0);
    if (voice < -1 || voice >= SAMPLE_VOICES) return -1;
    SampleSlot& s = sample_slots[slot];
    HostSoundBuffer* source = nullptr;
    if (!s.adpcm_data) {
        if (!s.voice[0]) fatal_error_sub(FATAL_NO_SAMPLE_IN_SLOT, static_cast<uint32_t>(slot), "play_sample", 0);
        source = s.voice[0];
    } else {
        int32_t entry = decoded_entry_of(slot);
        if (entry < 0) return -1;
        source = decoded_entries[entry].buffer;
    }
    voice = choose_voice(s, voice, source);
    HostSoundBuffer* b = s.voice[voice];
    s.voice_start[voice] = host_time_ms();
    if (frequency != 0) host_sound_set_frequency(b, clamp_frequency(frequency));
    volume &= 0xFF;
    if (volume == 0 || volume > 127) volume = 127;
    host_sound_set_volume(b, volume_table[volume]);
    pan &= 0xFF;
    if (pan != 0) host_sound_set_pan(b, pan_value(pan));
    host_sound_stop(b);
    host_sound_set_position(b, 0);
    host_sound_play(b, loop != 0);
    return voice;
}

int32_t lock_sample(int32_t slot, uint32_t bytes, void** data)
{
    if (!sound_available || !slot_valid(slot) || !sample_slots[slot].voice[0]) return -1;
    void* p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (host_sound_lock(sample_slots[slot].voice[0], 0, bytes, data, &n1, &p2, &n2) != HOST_SOUND_OK) return -1;
    if (n1 == bytes) return 0;
    host_sound_unlock(sample_slots[slot].voice[0], *data, n1, p2, n2);
    return -1;
}

int32_t unlock_sample(int32_t slot, void* data, uint32_t bytes)
{
    if (!sound_available || !slot_valid(slot) || !sample_slots[slot].voice[0]) return -1;
    return host_sound_unlock(sample_slots[slot].voice[0], data, bytes, nullptr, 0) == HOST_SOUND_OK ? 0 : -1;
}

void stop_sample(int32_t slot)
{
    if (!sound_available || !slot_valid(slot)) return;
    for (HostSoundBuffer* b : sample_slots[slot].voice)
        if (b && sounding(b, "stop_sample")) host_sound_stop(b);
}

void set_sample_frequency(int32_t slot, int32_t voice, uint32_t hertz)
{
    if (HostSoundBuffer* b = setter_voice(slot, voice, "set_sample_frequency"))
        host_sound_set_frequency(b, clamp_frequency(hertz));
}

void set_sample_volume(int32_t slot, int32_t voice, uint32_t volume)
{
    if (HostSoundBuffer* b = setter_voice(slot, voice, "set_sample_volume"))
        host_sound_set_volume(b, volume_table[volume > 127 ? 127 : volume]);
}

void set_sample_pan(int32_t slot, int32_t voice, int32_t pan)
{
    if (HostSoundBuffer* b = setter_voice(slot, voice, "set_sample_pan")) host_sound_set_pan(b, pan);
}

void apply_sound_settings(uint32_t commentary, uint32_t sfx, uint32_t crowd, uint32_t commentary_volume,
                          uint32_t sfx_volume, uint32_t crowd_volume)
{
    active_sound_levels.commentary = commentary;
    active_sound_levels.sfx = sfx;
    active_sound_levels.crowd = crowd;
    active_sound_levels.commentary_volume = static_cast<uint8_t>(commentary_volume);
    active_sound_levels.sfx_volume = static_cast<uint8_t>(sfx_volume);
    active_sound_levels.crowd_volume = static_cast<uint8_t>(crowd_volume);
}

void nop_a(uint32_t, uint32_t) {}
void nop_b(uint32_t, uint32_t) {}
void nop_c(uint32_t, uint32_t) {}
