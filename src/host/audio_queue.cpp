#include "host/audio_queue.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <mutex>

namespace {

std::mutex g_mutex;
SDL_AudioDeviceID g_device = 0;
bool g_system = false;

} // namespace

bool host_audio_queue_init()
{
    std::lock_guard<std::mutex> hold(g_mutex);
    if (g_system) return true;
    g_system = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return g_system;
}

bool host_audio_queue_open(uint32_t rate, int bits, int channels)
{
    std::lock_guard<std::mutex> hold(g_mutex);
    if (g_device) {
        SDL_CloseAudioDevice(g_device);
        g_device = 0;
    }
    if (!g_system && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    g_system = true;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(rate);
    want.format = bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(channels);
    want.samples = 512;
    want.callback = nullptr; // queue mode
    SDL_AudioSpec have{};
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!g_device) return false;
    SDL_PauseAudioDevice(g_device, 0);
    return true;
}

void host_audio_queue_close()
{
    std::lock_guard<std::mutex> hold(g_mutex);
    if (g_device) SDL_CloseAudioDevice(g_device);
    g_device = 0;
}

bool host_audio_queue_isopen()
{
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_device != 0;
}

uint32_t host_audio_queue_bytes()
{
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_device ? SDL_GetQueuedAudioSize(g_device) : 0;
}

bool host_audio_queue_put(const void* data, uint32_t bytes)
{
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_device && SDL_QueueAudio(g_device, data, bytes) == 0;
}

uint64_t host_audio_clock_us()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}
