// The game's own outside sound library: the mixer's output queued to the
// host's audio device, 256 frames at a time, a few blocks ahead of the
// device and never faster than real time, with the server ticked once per
// 10 ms of output.
#include "mix/outlib.h"

#include "host/audio_queue.h"

#include <cstring>
#include <mutex>

namespace {

const SndOutputDevice hostdevice = {host_audio_queue_init, host_audio_queue_open,  host_audio_queue_close,
                                    host_audio_queue_bytes, host_audio_queue_put, host_audio_clock_us};
const SndOutputDevice* device = &hostdevice;

struct Output {
    std::recursive_mutex mutex;
    SndDllCallbacks callbacks{};
    bool open = false;
    int32_t flags = 0;
    uint32_t rate = 0, framebytes = 0;
    uint64_t started = 0, produced = 0;
};
Output out;

constexpr int32_t FORMATS = 0x0F, RATES = 0x3E00;
constexpr struct {
    int32_t bit;
    uint32_t hz;
} RATETABLE[] = {{0x200, 11025}, {0x400, 16000}, {0x800, 22050}, {0x1000, 32000}, {0x2000, 44100}};

bool onebit(int32_t v) { return v && !(v & (v - 1)); }

int32_t version() { return 0x120000; }

void setfunctions(const SndDllCallbacks* callbacks)
{
    std::lock_guard<std::recursive_mutex> hold(out.mutex);
    out.callbacks = *callbacks;
}

int32_t caps(uintptr_t) { return device->init() ? 0x3E0F : -1; }

int32_t start(int32_t flags, uintptr_t)
{
    std::lock_guard<std::recursive_mutex> hold(out.mutex);
    if (flags & 0x20000) return -7;
    if (!onebit(flags & FORMATS) || !onebit(flags & RATES) || (flags & ~(FORMATS | RATES | 0x10000))) return -8;
    if (out.open && flags == out.flags) return 0;
    if (out.open) device->close();
    out.open = false;
    uint32_t hz = 0;
    for (auto& r : RATETABLE)
        if (flags & r.bit) hz = r.hz;
    int bits = flags & 3 ? 8 : 16, channels = flags & 0xA ? 2 : 1;
    if (!device->open(hz, bits, channels)) return -1;
    out.open = true;
    out.flags = flags;
    out.rate = hz;
    out.framebytes = static_cast<uint32_t>(bits / 8 * channels);
    out.started = device->now_us();
    out.produced = 0;
    return 0;
}

int32_t stop()
{
    std::lock_guard<std::recursive_mutex> hold(out.mutex);
    if (out.open) device->close();
    out.open = false;
    return 0;
}

int32_t serve()
{
    std::lock_guard<std::recursive_mutex> hold(out.mutex);
    if (!out.open || !out.callbacks.mix) return 0;
    uint64_t elapsed = device->now_us() - out.started;
    uint64_t budget = elapsed * out.rate / 1000000 + SND_TARGET_FRAMES;
    uint8_t block[256 * 4];
    // Whole blocks only: a stopping voice fades over up to 256 frames ahead.
    while (device->queued() / out.framebytes < SND_TARGET_FRAMES && out.produced + 256 <= budget) {
        uint64_t tickbefore = out.produced * 100 / out.rate;
        uint64_t tickafter = (out.produced + 256) * 100 / out.rate;
        for (uint64_t t = tickbefore; t < tickafter; ++t)
            if (out.callbacks.servertick) out.callbacks.servertick();
        std::memset(block, 0, sizeof block);
        out.callbacks.mix(block, 256);
        out.produced += 256;
        if (!device->put(block, 256 * out.framebytes)) break;
    }
    return 0;
}

int32_t mixlatency()
{
    std::lock_guard<std::recursive_mutex> hold(out.mutex);
    return out.rate ? static_cast<int32_t>(SND_TARGET_FRAMES * 1000 / out.rate) : 0;
}
int32_t zero2(int32_t, int32_t) { return 0; }
int32_t zero1(int32_t) { return 0; }
int32_t refused() { return -1; }

const SndDllExport EXPORTS[] = {
    {"_iSNDdllversion@0", reinterpret_cast<void*>(version)},
    {"_iSNDdirectsetfunctions@32", reinterpret_cast<void*>(setfunctions)},
    {"_iSNDdirectcaps@4", reinterpret_cast<void*>(caps)},
    {"_iSNDdirectstart@8", reinterpret_cast<void*>(start)},
    {"_iSNDdirectstop@0", reinterpret_cast<void*>(stop)},
    {"_iSNDdirectmixlatency@0", reinterpret_cast<void*>(mixlatency)},
    {"_iSNDdirectfxinit@12", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectrecordstart@16", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectrecordpacket@4", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectrecordstop@0", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectserve@0", reinterpret_cast<void*>(serve)},
    {"_iSNDdirectcreate3dbuf@28", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectremovebuf@4", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectplay3d@32", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectpos3d@12", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectvol@8", reinterpret_cast<void*>(zero2)},
    {"_iSNDdirectfxlevel@8", reinterpret_cast<void*>(refused)},
    {"_iSNDdirectrate@8", reinterpret_cast<void*>(zero2)},
    {"_iSNDdirectstopbuf@4", reinterpret_cast<void*>(zero1)},
};

} // namespace

void sndbuiltinexports(const SndDllExport** exports, int32_t* count)
{
    *exports = EXPORTS;
    *count = static_cast<int32_t>(sizeof EXPORTS / sizeof EXPORTS[0]);
}

void sndsetoutputdevice(const SndOutputDevice* d)
{
    std::lock_guard<std::recursive_mutex> hold(out.mutex);
    if (out.open) device->close();
    out.open = false;
    device = d ? d : &hostdevice;
}
