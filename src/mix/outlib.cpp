// Loading the outside sound library by name and calling its entry points.
#include "mix/outlib.h"

#include "cmn/lib.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr const char* SITE = "snd\\snddll";

struct Library {
    std::string name;
    std::vector<SndDllExport> exports;
};
std::mutex g_tablemutex;
std::vector<Library> g_libraries;
bool g_defaults = false;

// The entry points we keep, by decorated name.
struct Entries {
    int32_t (*version)() = nullptr;
    void (*setfunctions)(const SndDllCallbacks*) = nullptr;
    int32_t (*caps)(uintptr_t) = nullptr;
    int32_t (*start)(int32_t, uintptr_t) = nullptr;
    int32_t (*stop)() = nullptr;
    int32_t (*mixlatency)() = nullptr;
    int32_t (*serve)() = nullptr;
    int32_t (*vol)(int32_t, int32_t) = nullptr;
    int32_t (*rate)(int32_t, int32_t) = nullptr;
    int32_t (*stopbuf)(int32_t) = nullptr;
};
Entries g_entries;
bool g_loaded = false;

void* lookup(const Library& lib, const char* name)
{
    for (const SndDllExport& e : lib.exports)
        if (std::strcmp(e.name, name) == 0) return e.entry;
    return nullptr;
}

} // namespace

void snddllregister(const char* name, const SndDllExport* exports, int32_t count)
{
    std::lock_guard<std::mutex> hold(g_tablemutex);
    g_defaults = true;
    for (size_t i = 0; i < g_libraries.size(); ++i)
        if (g_libraries[i].name == name) g_libraries.erase(g_libraries.begin() + static_cast<long>(i--));
    if (exports) g_libraries.push_back({name, std::vector<SndDllExport>(exports, exports + count)});
}

void snddllreset()
{
    const SndDllExport* exports;
    int32_t count;
    sndbuiltinexports(&exports, &count);
    snddllregister("vtcsnd.dll", exports, count);
}

void sndmixcallbacks(SndDllCallbacks* callbacks);

int32_t iSNDloaddll()
{
    if (g_loaded) return 0;
    {
        std::lock_guard<std::mutex> hold(g_tablemutex);
        if (!g_defaults) {
            const SndDllExport* exports;
            int32_t count;
            sndbuiltinexports(&exports, &count);
            g_libraries.push_back({"vtcsnd.dll", std::vector<SndDllExport>(exports, exports + count)});
            g_defaults = true;
        }
    }
    Library lib;
    {
        std::lock_guard<std::mutex> hold(g_tablemutex);
        const Library* found = nullptr;
        for (const Library& l : g_libraries)
            if (l.name == "vtcsnd.dll") found = &l;
        if (!found) {
            LIBFAIL(SITE, "iSNDloaddll - COULDN'T LOAD/FIND VTCSND.DLL. THIS SHOULD BE IN THE SAME DIRECTORY AS THE "
                          "GAME.\n");
            return -1;
        }
        lib = *found;
    }
    Entries e;
    e.version = reinterpret_cast<int32_t (*)()>(lookup(lib, "_iSNDdllversion@0"));
    if (!e.version) {
        LIBFAIL(SITE, "iSNDloaddll - COULDN'T FIND iSNDdllversion.\n");
        return -1;
    }
    int32_t version = e.version();
    if (version != 0x120000) {
        LIBFAIL(SITE, "iSNDloaddll - VTCSND.DLL VERSION MISMATCH. REQUIRED %i.%i, FOUND %i.%i.\n", 18, 0,
                version >> 16 & 0xFFFF, version & 0xFFFF);
        return -1;
    }
    // Every entry we call must be there: a missing one would be called through null.
    struct Needed {
        const char* name;
        void** slot;
    };
    Needed needed[] = {
        {"_iSNDdirectsetfunctions@32", reinterpret_cast<void**>(&e.setfunctions)},
        {"_iSNDdirectcaps@4", reinterpret_cast<void**>(&e.caps)},
        {"_iSNDdirectstart@8", reinterpret_cast<void**>(&e.start)},
        {"_iSNDdirectstop@0", reinterpret_cast<void**>(&e.stop)},
        {"_iSNDdirectserve@0", reinterpret_cast<void**>(&e.serve)},
    };
    for (Needed& n : needed) {
        *n.slot = lookup(lib, n.name);
        if (!*n.slot) {
            LIBFAIL(SITE, "iSNDloaddll - COULDN'T FIND %s.\n", n.name);
            return -1;
        }
    }
    e.mixlatency = reinterpret_cast<int32_t (*)()>(lookup(lib, "_iSNDdirectmixlatency@0"));
    e.vol = reinterpret_cast<int32_t (*)(int32_t, int32_t)>(lookup(lib, "_iSNDdirectvol@8"));
    e.rate = reinterpret_cast<int32_t (*)(int32_t, int32_t)>(lookup(lib, "_iSNDdirectrate@8"));
    e.stopbuf = reinterpret_cast<int32_t (*)(int32_t)>(lookup(lib, "_iSNDdirectstopbuf@4"));
    SndDllCallbacks callbacks;
    sndmixcallbacks(&callbacks);
    e.setfunctions(&callbacks);
    g_entries = e;
    g_loaded = true;
    return 0;
}

void iSNDfreedll()
{
    g_entries = Entries{};
    g_loaded = false;
}

bool snddllloaded() { return g_loaded; }
int32_t snddllcaps(uintptr_t window) { return g_entries.caps ? g_entries.caps(window) : -1; }
int32_t snddllstart(int32_t flags, uintptr_t window) { return g_entries.start ? g_entries.start(flags, window) : -1; }
int32_t snddllstop() { return g_entries.stop ? g_entries.stop() : 0; }
int32_t snddllserve() { return g_entries.serve ? g_entries.serve() : 0; }
int32_t snddllvol(int32_t v, int32_t volume) { return g_entries.vol ? g_entries.vol(v, volume) : -1; }
int32_t snddllrate(int32_t v, int32_t pitch) { return g_entries.rate ? g_entries.rate(v, pitch) : -1; }
int32_t snddllstopbuf(int32_t v) { return g_entries.stopbuf ? g_entries.stopbuf(v) : -1; }
int32_t snddllmixlatency() { return g_entries.mixlatency ? g_entries.mixlatency() : 0; }
