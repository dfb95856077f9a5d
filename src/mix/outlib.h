// The outside sound library: loaded by name from a table of libraries, its
// entry points found by their decorated names. The game's own library,
// "vtcsnd.dll", is built in over the host's audio queue; tests may replace
// its output device and clock, or register a broken library in its place.
#pragma once

#include <cstdint>

// The eight callbacks the library is given, in this order.
struct SndDllCallbacks {
    void (*mix)(void* buffer, int32_t frames);
    void (*freechannel)(int32_t channel);
    void (*report)(const char* format, ...);
    void (*debugprint)(const char* format, ...);
    void (*servertick)();
    void (*print)(const char* format, ...);
    void (*pan3d)(uint16_t azimuth, int16_t elevation, int32_t* direction);
    int32_t (*convertsample)(const void* source, int32_t representation, int32_t channels, int32_t first,
                             int32_t last, int32_t frames, void* destination, int32_t destrepresentation,
                             int32_t destchannels);
};

struct SndDllExport {
    const char* name; // decorated, "_iSNDdirectcaps@4"
    void* entry;
};
// A library of exports under a name; null exports remove it.
void snddllregister(const char* name, const SndDllExport* exports, int32_t count);
// The built-in library's exports.
void sndbuiltinexports(const SndDllExport** exports, int32_t* count);
// Puts the built-in library back.
void snddllreset();

// 0, or -1 / -11 with the report; on failure nothing stays loaded.
int32_t iSNDloaddll();
void iSNDfreedll();
bool snddllloaded();
int32_t snddllcaps(uintptr_t window);
int32_t snddllstart(int32_t flags, uintptr_t window);
int32_t snddllstop();
int32_t snddllserve();
int32_t snddllvol(int32_t voice, int32_t volume);
int32_t snddllrate(int32_t voice, int32_t pitch);
int32_t snddllstopbuf(int32_t voice);
int32_t snddllmixlatency();

// The built-in library's output: a device and a clock (tests capture).
struct SndOutputDevice {
    bool (*init)();
    bool (*open)(uint32_t rate, int bits, int channels);
    void (*close)();
    uint32_t (*queued)();
    bool (*put)(const void* data, uint32_t bytes);
    uint64_t (*now_us)();
};
// Null restores the host's audio queue.
void sndsetoutputdevice(const SndOutputDevice* device);
// Frames the built-in library keeps queued ahead.
constexpr uint32_t SND_TARGET_FRAMES = 4 * 256;
