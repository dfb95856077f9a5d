#include "cmn/nsync.h"

#include "cmn/bigfile.h"
#include "cmn/lib.h"
#include "cmn/loadcall.h"
#include "cmn/memstd.h"
#include "win/nfile.h"

#include <cstring>
#include <mutex>

namespace {

const char* const SITE = "cmn\\nsync";
constexpr int JOB_PRIORITY = 100;
constexpr int OPEN_PRIORITY = 100;
constexpr int REQUEST_PRIORITY = 99;

struct Job {
    const char* name;
    const char* const* names;
    void* address;
    void** out;
    uint32_t memflags;
    uint32_t length;
    int32_t count;
    bool report;
    int32_t size;
    void* result;
};

#define JOBFAIL(job, ...)                                                                                            \
    do {                                                                                                             \
        if ((job).report) LIBFAIL(SITE, __VA_ARGS__);                                                                \
    } while (0)

int32_t run(int32_t (*fn)(int, uintptr_t), const char* name, Job& job)
{
    return FILE_atomic(fn, static_cast<int>(FILE_devicefor(name)), JOB_PRIORITY, reinterpret_cast<uintptr_t>(&job));
}

Job& job_of(uintptr_t argument) { return *reinterpret_cast<Job*>(argument); }

int32_t open_read(const char* name)
{
    int32_t handle = 0;
    return syncopen(name, FILEMODE_READ, OPEN_PRIORITY, &handle) ? handle : 0;
}

int32_t filesize_job(int, uintptr_t argument)
{
    Job& job = job_of(argument);
    int32_t handle = open_read(job.name);
    if (!handle) {
        JOBFAIL(job, "filesize - unable to open file %s\n", job.name);
        return 0;
    }
    job.size = syncsize(handle, REQUEST_PRIORITY);
    syncclose(handle, REQUEST_PRIORITY);
    return job.size;
}

int32_t loadfile_job(int, uintptr_t argument)
{
    Job& job = job_of(argument);
    int32_t handle = open_read(job.name);
    if (!handle) {
        JOBFAIL(job, "loadfileadr - unable to open file %s\n", job.name);
        return 0;
    }
    int32_t size = syncsize(handle, REQUEST_PRIORITY);
    void* block = size >= 0 ? reservememadr(job.name, size, job.memflags) : nullptr;
    if (!block) {
        syncclose(handle, REQUEST_PRIORITY);
        JOBFAIL(job, "loadfileadr - unable to reserve memory for file %s\n", job.name);
        return 0;
    }
    uint32_t got = syncread(handle, 0, block, static_cast<uint32_t>(size), REQUEST_PRIORITY);
    syncclose(handle, REQUEST_PRIORITY);
    if (got != static_cast<uint32_t>(size)) {
        purgememadr(block);
        JOBFAIL(job, "loadfileadr - unable to read file %s\n", job.name);
        return 0;
    }
    if (LoadFileHook hook = loadfilehook()) {
        void* checked = hook(block, job.name, job.memflags);
        if (!checked) {
            purgememadr(block);
            return 0;
        }
        block = checked;
    }
    job.result = block;
    return 1;
}

int32_t loadat_job(int, uintptr_t argument)
{
    Job& job = job_of(argument);
    int32_t handle = open_read(job.name);
    if (!handle) {
        JOBFAIL(job, "loadfileatadr - unable to open file %s\n", job.name);
        return 0;
    }
    int32_t size = syncsize(handle, REQUEST_PRIORITY);
    bool fits = size >= 0 && static_cast<uint32_t>(size) <= job.length;
    uint32_t got = fits ? syncread(handle, 0, job.address, static_cast<uint32_t>(size), REQUEST_PRIORITY) : 0;
    syncclose(handle, REQUEST_PRIORITY);
    if (!fits || got != static_cast<uint32_t>(size)) {
        JOBFAIL(job, "loadfileatadr - file %s does not fit its area\n", job.name);
        return 0;
    }
    job.result = job.address;
    return 1;
}

int32_t save_job(int, uintptr_t argument)
{
    Job& job = job_of(argument);
    int32_t handle = 0;
    if (!syncopen(job.name, FILEMODE_CREATE | FILEMODE_TRUNCATE, OPEN_PRIORITY, &handle)) {
        JOBFAIL(job, "savefileadr - unable to open file %s\n", job.name);
        return 0;
    }
    uint32_t put = syncwrite(handle, 0, job.address, job.length, REQUEST_PRIORITY);
    syncclose(handle, REQUEST_PRIORITY);
    if (put != job.length) {
        JOBFAIL(job, "savefileadr - failure writing to file %s\n", job.name);
        return 0;
    }
    return 1;
}

int32_t bigheader_job(int, uintptr_t argument)
{
    Job& job = job_of(argument);
    int32_t handle = open_read(job.name);
    if (!handle) {
        JOBFAIL(job, "loadbigfileheader - unable to open file %s\n", job.name);
        return 0;
    }
    auto fail = [&](void* block, const char* format) {
        if (block) purgememadr(block);
        syncclose(handle, REQUEST_PRIORITY);
        JOBFAIL(job, format, job.name);
        return 0;
    };
    int32_t filesize = syncsize(handle, REQUEST_PRIORITY);
    auto* block = static_cast<uint8_t*>(reservememadr(job.name, BIGFILE_HEADER_READ, job.memflags));
    if (!block) return fail(nullptr, "loadbigfileheader - unable to reserve memory for file %s\n");
    uint32_t got = syncread(handle, 0, block, BIGFILE_HEADER_READ, REQUEST_PRIORITY);
    if (got > BIGFILE_HEADER_READ) got = 0;
    std::memset(block + got, 0, BIGFILE_HEADER_READ - got);
    uint32_t length = typeofbigfile(block, got) ? bigfileheadersize(block, got) : 0;
    if (!length || filesize < 0 || length > static_cast<uint32_t>(filesize))
        return fail(block, "loadbigfileheader - invalid big file header in file %s\n");
    if (length > BIGFILE_HEADER_READ) {
        auto* whole = static_cast<uint8_t*>(reservememadr(job.name, static_cast<int32_t>(length), job.memflags));
        if (!whole) return fail(block, "loadbigfileheader - unable to reserve memory for file %s\n");
        std::memcpy(whole, block, BIGFILE_HEADER_READ);
        purgememadr(block);
        block = whole;
        uint32_t rest = length - BIGFILE_HEADER_READ;
        if (syncread(handle, BIGFILE_HEADER_READ, block + BIGFILE_HEADER_READ, rest, REQUEST_PRIORITY) != rest)
            return fail(block, "loadbigfileheader - invalid big file header in file %s\n");
    }
    syncclose(handle, REQUEST_PRIORITY);
    job.result = block;
    return 1;
}

void* load_one(const char* name, uint32_t memflags, bool report)
{
    if (!name) return nullptr;
    Job job{};
    job.name = name;
    job.memflags = memflags;
    job.report = report;
    run(loadfile_job, name, job);
    return job.result;
}

int32_t scatter_job(int, uintptr_t argument)
{
    Job& job = job_of(argument);
    int32_t all = 1;
    for (int32_t i = 0; i < job.count; ++i) {
        job.out[i] = load_one(job.names[i], job.memflags, false);
        if (!job.out[i]) {
            all = 0;
            JOBFAIL(job, "scatterloadfileadr - unable to load file %s\n", job.names[i] ? job.names[i] : "");
        }
    }
    return all;
}

int32_t exists_job(int, uintptr_t argument)
{
    int32_t handle = open_read(job_of(argument).name);
    if (handle) syncclose(handle, REQUEST_PRIORITY);
    return handle != 0;
}

bool reporting() { return libsettings.errorson.load() != 0; }

int32_t size_of(const char* name, bool report)
{
    if (!name) return 0;
    Job job{};
    job.name = name;
    job.report = report;
    return run(filesize_job, name, job);
}

void* load_at(const char* name, void* address, uint32_t capacity, bool report)
{
    if (!name || !address) return nullptr;
    Job job{};
    job.name = name;
    job.address = address;
    job.length = capacity;
    job.report = report;
    run(loadat_job, name, job);
    return job.result;
}

int scatter(int32_t count, const char* const* names, void** out, uint32_t memflags, bool report)
{
    if (count < 1 || !names || !out) return 0;
    Job job{};
    job.names = names;
    job.out = out;
    job.count = count;
    job.memflags = memflags;
    job.report = report;
    return run(scatter_job, names[0], job);
}

struct BigFile {
    std::mutex mutex;
    char name[260];
    int32_t archive = 0;
} g_big;

} // namespace

int32_t filesize(const char* name) { return size_of(name, reporting()); }
int32_t filesizequiet(const char* name) { return size_of(name, false); }
void* loadfileadr(const char* name, uint32_t memflags) { return load_one(name, memflags, reporting()); }
void* loadfileadrquiet(const char* name, uint32_t memflags) { return load_one(name, memflags, false); }

void* loadfileatadr(const char* name, void* address, uint32_t capacity)
{
    return load_at(name, address, capacity, reporting());
}

void* loadfileatadrquiet(const char* name, void* address, uint32_t capacity)
{
    return load_at(name, address, capacity, false);
}

int savefileadr(const char* name, const void* address, uint32_t length)
{
    if (!name || (!address && length)) return 0;
    Job job{};
    job.name = name;
    job.address = const_cast<void*>(address);
    job.length = length;
    job.report = reporting();
    return run(save_job, name, job);
}

void* loadbigfileheader(const char* name, uint32_t memflags)
{
    if (!name) return nullptr;
    Job job{};
    job.name = name;
    job.memflags = memflags;
    job.report = reporting();
    run(bigheader_job, name, job);
    return job.result;
}

int scatterloadfileadr(int32_t count, const char* const* names, void** out, uint32_t memflags)
{
    return scatter(count, names, out, memflags, reporting());
}

int scatterloadfileadrquiet(int32_t count, const char* const* names, void** out, uint32_t memflags)
{
    return scatter(count, names, out, memflags, false);
}

int fileexists(const char* name)
{
    if (!name) return 0;
    Job job{};
    job.name = name;
    return run(exists_job, name, job);
}

const char* setbigfile(const char* name)
{
    std::lock_guard<std::mutex> hold(g_big.mutex);
    if (g_big.archive) {
        syncclosearchive(g_big.archive, OPEN_PRIORITY);
        g_big.archive = 0;
    }
    if (name) {
        bool extension = std::strchr(name, '.') != nullptr;
        size_t length = std::strlen(name) + (extension ? 0 : 4);
        if (length >= sizeof g_big.name) return nullptr;
        std::memcpy(g_big.name, name, std::strlen(name) + 1);
        if (!extension) std::strcat(g_big.name, ".viv");
        int32_t archive = 0;
        uint32_t memflags = static_cast<uint32_t>(libsettings.defaultmemflags) ^ MEM_HIGH;
        if (syncopenarchive(g_big.name, memflags, OPEN_PRIORITY, &archive)) g_big.archive = archive;
    }
    return g_big.archive ? g_big.name : nullptr;
}

const char* currentbigfile()
{
    std::lock_guard<std::mutex> hold(g_big.mutex);
    return g_big.archive ? g_big.name : nullptr;
}
