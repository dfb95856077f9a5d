#include "host/audio.h"
#include "host/host_test_hooks.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace {

// The sound itself, shared by a buffer and its duplicates.
struct SoundData {
    std::vector<uint8_t> bytes;
    HostSoundFormat format;
    uint32_t block;  // bytes a frame
    uint32_t frames; // whole frames in the bytes
};

} // namespace

struct HostSoundBuffer {
    std::shared_ptr<SoundData> data;
    uint64_t position = 0; // frames, 32.32 fixed point
    uint32_t frequency = 0;
    int32_t volume = 0;
    int32_t pan = 0;
    int32_t gain = 65536; // volume and pan together, 16.16
    bool playing = false;
    bool looping = false;
    bool locked = false;
    uint32_t lock_offset = 0, lock_bytes1 = 0, lock_bytes2 = 0;
    std::vector<uint8_t> lock_copy;
};

namespace {

// Never destroyed: when the process ends from a quit, the device's thread and
// the stream's timer may still call in while the statics go.
struct AudioState {
    std::recursive_mutex mutex;
    std::unordered_set<HostSoundBuffer*> buffers;
    std::vector<int32_t> sum; // kept between blocks: the device thread allocates once
};
AudioState& audio_state()
{
    static AudioState* state = new AudioState;
    return *state;
}
std::recursive_mutex& g_mutex = audio_state().mutex;
std::unordered_set<HostSoundBuffer*>& g_buffers = audio_state().buffers;
bool g_open = false;
bool g_manual = false;
SDL_AudioDeviceID g_device = 0;
void (*g_capture)(const int16_t*, uint32_t, void*) = nullptr;
void* g_capture_user = nullptr;

bool valid(HostSoundBuffer* b) { return b && g_buffers.count(b) != 0; }

// Decibels to a linear factor; the bottom of the scale is silence.
double db_factor(int32_t hundredths)
{
    if (hundredths <= HOST_SOUND_VOLUME_MIN) return 0.0;
    return std::pow(10.0, hundredths / 2000.0);
}

// The output is mono: a panned sound is the mean of its two sides, so a sound
// panned fully to one side plays at half its level.
void update_gain(HostSoundBuffer* b)
{
    double side = db_factor(-std::abs(b->pan));
    b->gain = static_cast<int32_t>(std::lrint(65536.0 * db_factor(b->volume) * (1.0 + side) / 2.0));
}

int32_t frame_value(const SoundData& d, uint32_t frame)
{
    const uint8_t* p = d.bytes.data() + static_cast<size_t>(frame) * d.block;
    auto one = [&](const uint8_t* q) -> int32_t {
        if (d.format.bits == 8) return (static_cast<int32_t>(q[0]) - 128) * 256;
        return static_cast<int16_t>(static_cast<uint16_t>(q[0] | (q[1] << 8)));
    };
    if (d.format.channels == 1) return one(p);
    return (one(p) + one(p + d.block / 2)) >> 1;
}

void mix_buffer(HostSoundBuffer* b, int32_t* acc, uint32_t frames)
{
    const SoundData& d = *b->data;
    const uint64_t length = static_cast<uint64_t>(d.frames) << 32;
    const uint64_t step = (static_cast<uint64_t>(b->frequency) << 32) / HOST_SOUND_RATE;
    for (uint32_t i = 0; i < frames && b->playing; ++i) {
        uint32_t frame = static_cast<uint32_t>(b->position >> 32);
        int64_t frac = static_cast<int64_t>((b->position >> 16) & 0xFFFF);
        int32_t s0 = frame_value(d, frame);
        uint32_t after = frame + 1 < d.frames ? frame + 1 : (b->looping ? 0 : frame);
        int32_t s1 = frame_value(d, after);
        int32_t s = s0 + static_cast<int32_t>(((s1 - s0) * frac) >> 16);
        acc[i] += static_cast<int32_t>((static_cast<int64_t>(s) * b->gain) >> 16);
        b->position += step;
        if (b->position >= length) {
            if (b->looping) {
                b->position %= length;
            } else {
                b->playing = false;
                b->position = 0;
            }
        }
    }
}

void audio_callback(void*, Uint8* stream, int len)
{
    host_sound_mix(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(len) / 2);
}

bool format_playable(const HostSoundFormat& f)
{
    return (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) && f.rate >= 100 &&
           f.rate <= 100000;
}

} // namespace

void host_sound_set_manual_output(bool manual) { g_manual = manual; }
bool host_sound_manual_output() { return g_manual; }

void host_sound_set_capture(void (*hook)(const int16_t*, uint32_t, void*), void* user)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    g_capture = hook;
    g_capture_user = user;
}

uint32_t host_sound_buffer_count()
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    return static_cast<uint32_t>(g_buffers.size());
}

bool host_sound_open()
{
    if (g_open) return true;
    if (!g_manual) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        SDL_AudioSpec want{};
        want.freq = HOST_SOUND_RATE;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 512;
        want.callback = audio_callback;
        SDL_AudioSpec have{};
        g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (g_device == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        SDL_PauseAudioDevice(g_device, 0);
    }
    g_open = true;
    return true;
}

bool host_sound_set_primary_format(const HostSoundFormat& format)
{
    return g_open && format.channels == 1 && format.bits == 16 && format.rate == HOST_SOUND_RATE;
}

void host_sound_close()
{
    if (!g_open) return;
    // The device's callback takes our lock: close it without holding it.
    if (g_device != 0) {
        SDL_CloseAudioDevice(g_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_device = 0;
    }
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    for (HostSoundBuffer* b : g_buffers) delete b;
    g_buffers.clear();
    g_open = false;
}

HostSoundBuffer* host_sound_create_buffer(const HostSoundFormat& format, uint32_t bytes)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!g_open || !format_playable(format)) return nullptr;
    const uint32_t block = format.channels * format.bits / 8u;
    if (bytes < 4 || bytes < block || bytes > 0x0FFFFFFF) return nullptr;
    auto data = std::make_shared<SoundData>();
    data->bytes.assign(bytes, 0);
    data->format = format;
    data->block = block;
    data->frames = bytes / block;
    auto* b = new HostSoundBuffer;
    b->data = std::move(data);
    b->frequency = format.rate;
    g_buffers.insert(b);
    return b;
}

HostSoundBuffer* host_sound_duplicate(HostSoundBuffer* original)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(original)) return nullptr;
    auto* b = new HostSoundBuffer;
    b->data = original->data;
    b->frequency = original->frequency;
    b->volume = original->volume;
    b->pan = original->pan;
    b->gain = original->gain;
    g_buffers.insert(b);
    return b;
}

int host_sound_release(HostSoundBuffer* buffer)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(buffer)) return HOST_SOUND_FAILED;
    g_buffers.erase(buffer);
    delete buffer;
    return HOST_SOUND_OK;
}

int host_sound_lock(HostSoundBuffer* b, uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                    uint32_t* bytes2)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b) || b->locked) return HOST_SOUND_FAILED;
    const uint32_t size = static_cast<uint32_t>(b->data->bytes.size());
    if (offset >= size || bytes == 0 || bytes > size) return HOST_SOUND_FAILED;
    b->lock_offset = offset;
    b->lock_bytes1 = std::min(bytes, size - offset);
    b->lock_bytes2 = bytes - b->lock_bytes1;
    // The caller writes into a copy, which reaches the sound at Unlock: the
    // mixer never reads bytes while another thread writes them.
    const uint8_t* src = b->data->bytes.data();
    b->lock_copy.assign(src + offset, src + offset + b->lock_bytes1);
    b->lock_copy.insert(b->lock_copy.end(), src, src + b->lock_bytes2);
    b->locked = true;
    *part1 = b->lock_copy.data();
    *bytes1 = b->lock_bytes1;
    *part2 = b->lock_bytes2 ? b->lock_copy.data() + b->lock_bytes1 : nullptr;
    *bytes2 = b->lock_bytes2;
    return HOST_SOUND_OK;
}

int host_sound_unlock(HostSoundBuffer* b, void* part1, uint32_t bytes1, void* part2, uint32_t bytes2)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b) || !b->locked || part1 != b->lock_copy.data()) return HOST_SOUND_FAILED;
    if (bytes1 > b->lock_bytes1 || bytes2 > b->lock_bytes2) return HOST_SOUND_FAILED;
    if (bytes2 && part2 != b->lock_copy.data() + b->lock_bytes1) return HOST_SOUND_FAILED;
    uint8_t* dst = b->data->bytes.data();
    std::memcpy(dst + b->lock_offset, b->lock_copy.data(), bytes1);
    if (bytes2) std::memcpy(dst, b->lock_copy.data() + b->lock_bytes1, bytes2);
    b->locked = false;
    b->lock_copy.clear();
    return HOST_SOUND_OK;
}

int host_sound_play(HostSoundBuffer* b, bool looping)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b)) return HOST_SOUND_FAILED;
    b->playing = true;
    b->looping = looping;
    return HOST_SOUND_OK;
}

int host_sound_stop(HostSoundBuffer* b)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b)) return HOST_SOUND_FAILED;
    b->playing = false;
    return HOST_SOUND_OK;
}

int host_sound_get_status(HostSoundBuffer* b, uint32_t* status)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b)) return HOST_SOUND_FAILED;
    *status = b->playing ? (HOST_SOUND_PLAYING | (b->looping ? HOST_SOUND_LOOPING : 0)) : 0;
    return HOST_SOUND_OK;
}

int host_sound_set_position(HostSoundBuffer* b, uint32_t offset)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b) || offset >= b->data->bytes.size()) return HOST_SOUND_FAILED;
    b->position = static_cast<uint64_t>(offset / b->data->block) << 32;
    return HOST_SOUND_OK;
}

int host_sound_get_position(HostSoundBuffer* b, uint32_t* play)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b)) return HOST_SOUND_FAILED;
    *play = static_cast<uint32_t>(b->position >> 32) * b->data->block;
    return HOST_SOUND_OK;
}

int host_sound_set_frequency(HostSoundBuffer* b, uint32_t hertz)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b) || hertz < 100 || hertz > 100000) return HOST_SOUND_FAILED;
    b->frequency = hertz;
    return HOST_SOUND_OK;
}

int host_sound_set_volume(HostSoundBuffer* b, int32_t volume)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b) || volume > 0 || volume < HOST_SOUND_VOLUME_MIN) return HOST_SOUND_FAILED;
    b->volume = volume;
    update_gain(b);
    return HOST_SOUND_OK;
}

int host_sound_set_pan(HostSoundBuffer* b, int32_t pan)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!valid(b) || pan < HOST_SOUND_PAN_LEFT || pan > HOST_SOUND_PAN_RIGHT) return HOST_SOUND_FAILED;
    b->pan = pan;
    update_gain(b);
    return HOST_SOUND_OK;
}

void host_sound_mix(int16_t* out, uint32_t frames)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    std::vector<int32_t>& acc = audio_state().sum;
    acc.assign(frames, 0);
    for (HostSoundBuffer* b : g_buffers)
        if (b->playing) mix_buffer(b, acc.data(), frames);
    for (uint32_t i = 0; i < frames; ++i) out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
    if (g_capture) g_capture(out, frames, g_capture_user);
}
