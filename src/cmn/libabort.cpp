#include "cmn/lib.h"

#include "host/process.h"

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

LibSettings libsettings;
ErrorSite libsite;
ErrorSite libcallsite;

namespace {

std::atomic<bool> g_aborting{false};
std::atomic<int (*)(const char*)> g_filter{nullptr};
std::atomic<void (*)()> g_sound_hook{nullptr};
std::atomic<LibLock (*)()> g_display_hook{nullptr};
std::atomic<void (*)()> g_timer_hook{nullptr};
std::atomic<void (*)()> g_afterok_hook{nullptr};
std::atomic<void (*)(const char*)> g_log_output{nullptr};

constexpr size_t ABORT_TEXT = 512;

// Appends formatted text without passing the end of the buffer.
void append(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
void append(char* buffer, size_t size, const char* format, ...)
{
    size_t used = std::strlen(buffer);
    if (used + 1 >= size) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer + used, size - used, format, args);
    va_end(args);
}

// Clears the in-progress mark however libabort is left (a test's exit hook
// throws instead of ending the process).
struct AbortMark {
    ~AbortMark() { g_aborting.store(false); }
};

int vlibabort(const char* format, va_list args)
{
    if (g_aborting.exchange(true)) return 0;
    AbortMark mark;

    char text[ABORT_TEXT] = "";
    if (format) std::vsnprintf(text, sizeof text, format, args);

    if (auto filter = g_filter.load(); filter && filter(text) == 0) return 0;

    if (libsettings.showsite.load()) {
        if (const char* file = libsite.file.load())
            append(text, sizeof text, "FILE %s LINE %d FUNCTION %s\n", file, static_cast<int>(libsite.line.load()),
                   libsite.function.load());
        if (const char* file = libcallsite.file.load())
            append(text, sizeof text, "CALLED FROM FILE %s LINE %d FUNCTION %s\n", file,
                   static_cast<int>(libcallsite.line.load()), libcallsite.function.load());
    }
    if (libsettings.debugbreak.load()) {
        std::fputs(text, stderr);
        std::raise(SIGTRAP);
    }

    if (auto hook = g_sound_hook.load()) hook();
    LibLock display = nullptr;
    if (auto hook = g_display_hook.load()) display = hook();
    if (auto hook = g_timer_hook.load()) hook();

    // Off the main thread no window may be touched: the text goes to the
    // error output and the process ends.
    if (!isthread(LIB_MAINTHREAD)) {
        std::fputs(text, stderr);
        leavecritical(display);
        host_exit_now(1);
    }
    int answer = host_message_box("Abort message:", text, HOST_MB_OK_CANCEL, false);
    if (answer == HOST_ANSWER_OK && libsettings.dumponok.load()) {
        if (auto hook = g_afterok_hook.load()) {
            std::fputs(text, stdout);
            hook();
        }
    }
    leavecritical(display);

    // From another thread the process ends at once: the exit functions would
    // wait on threads that may be the very ones stuck.
    if (!isthread(LIB_MAINTHREAD)) host_exit_now(1);
    host_exit(1);
}

struct ExitList {
    std::mutex mutex;
    void (*fns[32])() = {};
    int count = 0;
    bool registered = false;
};
ExitList g_exits;

void run_at_exit() { librunexitfunctions(); }

void default_log(const char* text)
{
    std::fputs(text, libsettings.logmode == 1 ? stdout : stderr);
}

} // namespace

int libabort(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = vlibabort(format, args);
    va_end(args);
    return result;
}

int libfail(const char* file, int line, const char* format, ...)
{
    if (!libsettings.errorson.load()) return 0;
    libsite.file.store(file);
    libsite.function.store("");
    libsite.line.store(line);
    va_list args;
    va_start(args, format);
    vlibabort(format, args);
    va_end(args);
    return 0;
}

void setabortfilter(int (*filter)(const char*)) { g_filter.store(filter); }
void setabortsoundhook(void (*hook)()) { g_sound_hook.store(hook); }
void setabortdisplayhook(LibLock (*hook)()) { g_display_hook.store(hook); }
void setaborttimerhook(void (*hook)()) { g_timer_hook.store(hook); }
void setabortafterokhook(void (*hook)()) { g_afterok_hook.store(hook); }

void liblog(LibLogChannel* channel, int32_t level, const char* format, ...)
{
    if (channel && channel->level.load() < level) return;
    char text[1024] = "";
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    auto output = g_log_output.load();
    (output ? output : default_log)(text);
}

void setliblogoutput(void (*output)(const char*)) { g_log_output.store(output); }

void libatexit(void (*fn)())
{
    std::lock_guard<std::mutex> hold(g_exits.mutex);
    if (!g_exits.registered) {
        g_exits.registered = true;
        std::atexit(run_at_exit);
    }
    for (int i = 0; i < g_exits.count; ++i)
        if (g_exits.fns[i] == fn) return;
    if (g_exits.count < 32) g_exits.fns[g_exits.count++] = fn;
}

void librunexitfunctions()
{
    for (;;) {
        void (*fn)() = nullptr;
        {
            std::lock_guard<std::mutex> hold(g_exits.mutex);
            if (g_exits.count == 0) return;
            fn = g_exits.fns[--g_exits.count];
        }
        fn();
    }
}

void setenvvar(const char* name, const char* value, int)
{
    if (name) ::setenv(name, value ? value : "", 1);
}

uint32_t nextlibid()
{
    static std::atomic<uint32_t> id{0};
    return ++id;
}

// The processor state this cleared does not exist in portable code.
void clearmmx() {}

static int not_in_library(const char* name)
{
    liblog(nullptr, 0, "WARNING:  %s NOT IMPLEMENTED IN LIBRARY.\n", name);
    return 1;
}

int detectdirectdraw() { return not_in_library("detectdirectdraw"); }
int detectdirect3d() { return not_in_library("detectdirect3d"); }
int detectdirectsound() { return not_in_library("detectdirectsound"); }
