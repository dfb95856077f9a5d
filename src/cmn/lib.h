// The engine library's base: its settings, abort reporting, logging, exit
// functions and start-up.
#pragma once

#include "win/threads.h"

#include <atomic>
#include <cstdint>

// Settings; a caller may set them before initlibrary.
struct LibSettings {
    int32_t displaywidth = 0, displayheight = 0, displaydepth = 0;
    uint32_t displayoptions = 0x45;          // bit 0 full screen
    std::atomic<int32_t> timerrate{240};     // 0 while the timer is stopped
    std::atomic<int32_t> errorson{1};        // 0: checked failures return 0 quietly
    std::atomic<int32_t> showsite{1};        // append FILE/LINE to abort messages
    std::atomic<int32_t> debugbreak{0};      // break into a debugger before the box
    int32_t defaultmemclass = 0;
    std::atomic<int32_t> dumponok{0};        // set before an out-of-memory abort
    int32_t defaultmemflags = 0;
    int32_t nomouse = 0;
    int32_t logmode = 0;                     // 0 debug output (stderr), 1 standard output
    int32_t exitonduplicate = 1;             // checksingleinstance ends a second copy
};
extern LibSettings libsettings;

// The source site of the last check that failed: a library file name with its
// directory ("cmn\\memstd"), a line and an (always empty) function text.
struct ErrorSite {
    std::atomic<const char*> file{nullptr};
    std::atomic<const char*> function{""};
    std::atomic<int32_t> line{0};
};
extern ErrorSite libsite;     // set by every checked call before it reports
extern ErrorSite libcallsite; // the caller's site when one is recorded

// Reports misuse: "function - TEXT IN CAPITALS\n" then the site, in an
// "Abort message:" box; ends the process. Returns 0 only when the before-abort
// filter cancels it, or at once while another abort is in progress.
int libabort(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The form every checked call uses: with errors on, records the site and
// aborts; with errors off does nothing. Returns 0 either way.
int libfail(const char* file, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
#define LIBFAIL(file, ...) libfail(file, __LINE__, __VA_ARGS__)

// Abort hooks, called in this order. The filter sees the message first and
// cancels the abort by returning 0.
void setabortfilter(int (*filter)(const char* message));
void setabortsoundhook(void (*hook)());
void setabortdisplayhook(LibLock (*hook)());
void setaborttimerhook(void (*hook)());
void setabortafterokhook(void (*hook)());

// Logging through channels; a null channel always logs.
struct LibLogChannel {
    const char* name;
    std::atomic<int32_t> level;
};
void liblog(LibLogChannel* channel, int32_t level, const char* format, ...) __attribute__((format(printf, 3, 4)));
// Where the text goes: null restores the library's own output.
void setliblogoutput(void (*output)(const char* text));

// Library functions to run when the process ends. librunexitfunctions runs
// them now (last registered first) and forgets them; the process runs them at
// exit. An abort from another thread ends the process without them: the
// threads they would wait for may be the ones that cannot stop.
void libatexit(void (*fn)());
void librunexitfunctions();

void setenvvar(const char* name, const char* value, int force);
uint32_t nextlibid();
void clearmmx();
int detectdirectdraw();
int detectdirect3d();
int detectdirectsound();

// 0 when this is the only running copy of the program named (by default the
// program's own name); a second copy ends (code 0) or, with the exit switch
// off, gets 1.
int checksingleinstance(const char* name);

// Brings the library up (once per process).
void initlibrary();
