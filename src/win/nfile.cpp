#include "win/nfile.h"

#include "cmn/bigfile.h"
#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "win/file.h"
#include "win/threads.h"
#include "win/timer.h"

#include <strings.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace {

// Archive search never reports: a plain name simply is not in that archive.
bool quiet_findbigentry(const uint8_t* view, uint32_t held, const char* entry, uint32_t* offset, uint32_t* size)
{
    return isbigfile(view, held) && findbigentry(view, held, held, entry, -1, offset, size);
}

constexpr int DEVICES = 32;
constexpr uint32_t SYNC_CHUNK = 8192;

struct FileDevice {
    std::atomic<bool> started{false};
    ThreadRecord thread{};
    FileOp* current = nullptr;
    LibQueue pending{};   // ordered by priority, then sequence; its lock is the device lock
    LibQueue completed{}; // shares the pending queue's lock
    LibEvent* wake = nullptr;
    uint32_t sequence = 1;
    int gate = 255;
    // Completions: every waiter tests its own operation, so none can miss one.
    std::mutex donemutex;
    std::condition_variable done;
};

struct FileSystem {
    std::atomic<bool> ready{false};
    std::atomic<bool> shutdown{false};
    std::mutex startmutex;
    FileOp* pool = nullptr;
    uint32_t poolsize = 0;
    LibQueue freeops{};
    LibQueue archives{};
    int32_t nextarchive = -1;
};

FileDevice g_devices[DEVICES];
FileSystem g_fs;

QKey op_key(const void* element, uintptr_t)
{
    const auto* op = static_cast<const FileOp*>(element);
    return QKey{op->priority} << 24 | (op->id >> 5);
}

int match_id(const void* element, uintptr_t id) { return static_cast<const FileOp*>(element)->id == id; }

int match_archive(const void* element, uintptr_t id)
{
    return static_cast<const ArchiveRecord*>(element)->id == static_cast<int32_t>(id);
}

FileDevice* device_of(uint32_t id)
{
    FileDevice* dev = &g_devices[id & 31];
    return id && dev->started.load() ? dev : nullptr;
}

// Where an operation is, under its device's lock.
enum class Where { NOWHERE, PENDING, CURRENT, COMPLETED };

Where locate(FileDevice* dev, uint32_t id, FileOp** found)
{
    FileOp* op = static_cast<FileOp*>(qfind(&dev->pending, match_id, id));
    Where where = Where::PENDING;
    if (!op && dev->current && dev->current->id == id) op = dev->current, where = Where::CURRENT;
    if (!op) op = static_cast<FileOp*>(qfind(&dev->completed, match_id, id)), where = Where::COMPLETED;
    if (found) *found = op;
    return op ? where : Where::NOWHERE;
}

void signal_done(FileDevice* dev)
{
    std::lock_guard<std::mutex> hold(dev->donemutex);
    dev->done.notify_all();
}

bool in_flight(FileDevice* dev, uint32_t id)
{
    qlock(&dev->pending);
    Where where = locate(dev, id, nullptr);
    qunlock(&dev->pending);
    return where == Where::PENDING || where == Where::CURRENT;
}

// Opens a name: "archive|entry" only inside that open archive; a plain name
// on disk first, then, when asked, as an entry of each open archive in turn.
int32_t open_named(const char* name, uint32_t flags, bool search, uint32_t device)
{
    const char* bar = std::strchr(name, '|');
    int32_t handle = 0;
    if (!bar && filedevopen(name, flags, 0, &handle)) return handle;
    if (!bar && !search) return 0;
    qlock(&g_fs.archives);
    for (QLink* at = g_fs.archives.head; at && !handle; at = at->next) {
        auto* archive = reinterpret_cast<ArchiveRecord*>(at);
        const char* entry = name;
        if (bar) {
            size_t length = static_cast<size_t>(bar - name);
            if (std::strlen(archive->path) != length || strncasecmp(archive->path, name, length) != 0) continue;
            entry = bar + 1;
        }
        auto* view = static_cast<const uint8_t*>(filedevview(archive->handle));
        uint32_t offset = 0, size = 0;
        uint32_t held = static_cast<uint32_t>(archive->size);
        if (view && quiet_findbigentry(view, held, entry, &offset, &size))
            filedevopenslot(view + offset, static_cast<int32_t>(size), device, 0, &handle);
    }
    qunlock(&g_fs.archives);
    if (!handle) setlasterror(2);
    return handle;
}

// Open modes and the device flags they ask for; reads only take the last three.
const struct {
    uint32_t mode, flags;
} mode_flags[] = {
    {FILEMODE_CREATE, FILEDEV_CREATE},
    {FILEMODE_TRUNCATE, FILEDEV_TRUNCATE},
    {FILEMODE_MAPPED, FILEDEV_MAPPED},
    {FILEMODE_UNBUFFERED, FILEDEV_UNBUFFERED},
    {FILEMODE_SEQUENTIAL, FILEDEV_SEQUENTIAL},
};

uint32_t device_flags(uint32_t mode, bool reading)
{
    uint32_t flags = reading ? FILEDEV_READ | FILEDEV_SHAREREAD : FILEDEV_READ | FILEDEV_WRITE;
    for (const auto& row : mode_flags)
        if ((mode & row.mode) && !(reading && (row.flags & (FILEDEV_CREATE | FILEDEV_TRUNCATE)))) flags |= row.flags;
    return flags;
}

void perform(FileOp* op, uint32_t device)
{
    setlasterror(0);
    bool ok = true;
    switch (op->type) {
    case FILEOP_OPEN: {
        uint32_t mode = static_cast<uint32_t>(op->value);
        const char* name = static_cast<const char*>(op->pointer);
        bool reading = mode & FILEMODE_READ;
        op->handle = open_named(name, device_flags(mode, reading), reading, device);
        ok = op->handle != 0;
        break;
    }
    case FILEOP_CLOSE: break;
    case FILEOP_READ:
    case FILEOP_WRITE:
        filedevseek(op->handle, static_cast<int32_t>(op->value));
        op->count = op->type == FILEOP_READ ? filedevread(op->handle, op->pointer, op->count)
                                            : filedevwrite(op->handle, op->pointer, op->count);
        ok = getlasterror() == 0;
        break;
    case FILEOP_SIZE: {
        int32_t size = 0;
        ok = filedevfreespace(op->handle, nullptr, nullptr, &size, nullptr) != 0;
        op->value = ok ? size : 0;
        break;
    }
    case FILEOP_SEEK: ok = filedevseek(op->handle, static_cast<int32_t>(op->value)) != 0; break;
    case FILEOP_EXISTS: {
        int32_t handle = open_named(static_cast<const char*>(op->pointer), FILEDEV_READ | FILEDEV_SHAREREAD, true,
                                    device);
        if (handle) filedevclose(handle);
        op->value = handle != 0;
        setlasterror(0);
        break;
    }
    case FILEOP_DELETE: ok = filedevdelete(static_cast<const char*>(op->pointer)) != 0; break;
    case FILEOP_BARRIER: break;
    case FILEOP_OPENARCHIVE: {
        auto* archive = static_cast<ArchiveRecord*>(op->pointer);
        archive->handle = open_named(archive->path, FILEDEV_READ | FILEDEV_SHAREREAD | FILEDEV_MAPPED, true, device);
        ok = archive->handle != 0;
        if (ok) filedevfreespace(archive->handle, nullptr, nullptr, &archive->size, nullptr);
        break;
    }
    case FILEOP_CLOSEARCHIVE:
        ok = op->pointer && qremove(&g_fs.archives, op->pointer);
        break;
    default:
        LIBFAIL("win\\nfile", "FILE_devicethread - UNKNOWN TYPE OF OPERATION %d.\n", op->type);
        ok = false;
        break;
    }
    op->syserror = getlasterror();
    op->state = ok ? 1 : -2;
}

void device_thread(uintptr_t device)
{
    FileDevice* dev = &g_devices[device];
    while (!g_fs.shutdown.load()) {
        FileOp* op = nullptr;
        bool cancelled = false;
        qlock(&dev->pending);
        auto* head = reinterpret_cast<FileOp*>(dev->pending.head);
        if (head && head->priority <= dev->gate) op = static_cast<FileOp*>(qpop(&dev->pending));
        dev->current = op;
        if (op) cancelled = op->flags & FILEOP_CANCELLED;
        qunlock(&dev->pending);
        if (!op) {
            waitevent(dev->wake);
            continue;
        }
        if (!cancelled) perform(op, static_cast<uint32_t>(device));

        qlock(&dev->pending);
        qbottom(&dev->completed, op);
        dev->current = nullptr;
        FileCallback callback = nullptr;
        if ((op->flags & FILEOP_HASCALLBACK) && !(op->flags & FILEOP_CALLED)) {
            op->flags |= FILEOP_CALLED;
            callback = op->callback;
        }
        uint32_t id = op->id;
        int32_t state = op->flags & FILEOP_CANCELLED ? -1 : op->state;
        uintptr_t word = op->word;
        qunlock(&dev->pending);
        if (callback) callback(id, state, word);
        signal_done(dev);
    }
}

bool check_ready(const char* text)
{
    if (g_fs.ready.load()) return true;
    LIBFAIL("win\\nfile", "%s", text);
    return false;
}

// A copy of a name in page memory that the operation frees on completion.
FileOp* op_with_name(int type, const char* name, int priority, uintptr_t word)
{
    if (!name) return nullptr;
    FileOp* op = FILE_allocateop(type, priority, word, static_cast<int>(FILE_devicefor(name)));
    if (!op) return nullptr;
    uint32_t size = static_cast<uint32_t>(std::strlen(name)) + 1;
    void* copy = pagealloc(&size);
    if (!copy) {
        qpush(&g_fs.freeops, op);
        return nullptr;
    }
    std::memcpy(copy, name, std::strlen(name) + 1);
    op->pointer = copy;
    op->flags |= FILEOP_PAGEMEM;
    return op;
}

FileOp* op_on_handle(int type, int32_t handle, int priority, uintptr_t word)
{
    return FILE_allocateop(type, priority, word, static_cast<int>(filedevdrive(handle)));
}

uint32_t queue(FileOp* op) { return op ? FILE_queueop(op) : 0; }

// Waits on the calling thread: the main thread keeps the system tasks running.
template <typename Ready> void wait_until(std::mutex& mutex, std::condition_variable& cv, Ready ready)
{
    std::unique_lock<std::mutex> hold(mutex);
    if (isthread(LIB_MAINTHREAD)) {
        while (!ready()) {
            hold.unlock();
            runsystemtasks(0);
            hold.lock();
            cv.wait_for(hold, std::chrono::milliseconds(1), ready);
        }
    } else {
        cv.wait(hold, ready);
    }
}

int32_t wait_and_complete(uint32_t id)
{
    if (!id) return 0;
    FILE_waitop(id);
    return FILE_completeop(id);
}

// A synchronous transfer in operations of at most 8192 bytes, each queued by
// the completion of the one before, on the worker thread.
struct Chain {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    bool writing;
    int32_t handle;
    int32_t offset;
    uint8_t* buffer;
    uint32_t remaining;
    uint32_t asked = 0;
    uint32_t total = 0;
    int priority;
};

void chain_next(Chain* chain);

void chain_step(uint32_t id, int32_t state, uintptr_t word)
{
    auto* chain = reinterpret_cast<Chain*>(word);
    uint32_t got = static_cast<uint32_t>(FILE_completeop(id));
    if (state == 1) {
        chain->offset += static_cast<int32_t>(got);
        chain->buffer += got;
        chain->total += got;
        chain->remaining -= got;
    }
    if (state == 1 && got == chain->asked && chain->remaining > 0) {
        chain_next(chain);
        return;
    }
    std::lock_guard<std::mutex> hold(chain->mutex);
    chain->done = true;
    chain->cv.notify_all();
}

void chain_next(Chain* chain)
{
    chain->asked = chain->remaining < SYNC_CHUNK ? chain->remaining : SYNC_CHUNK;
    uint32_t id = chain->writing ? FILE_write(chain->handle, chain->offset, chain->buffer, chain->asked,
                                              chain->priority, reinterpret_cast<uintptr_t>(chain))
                                 : FILE_read(chain->handle, chain->offset, chain->buffer, chain->asked,
                                             chain->priority, reinterpret_cast<uintptr_t>(chain));
    if (id) {
        FILE_callbackop(id, chain_step);
        return;
    }
    std::lock_guard<std::mutex> hold(chain->mutex);
    chain->done = true;
    chain->cv.notify_all();
}

uint32_t transfer(bool writing, int32_t handle, int32_t offset, void* buffer, uint32_t count, int priority)
{
    if (count == 0 || !buffer) return 0;
    Chain chain;
    chain.writing = writing;
    chain.handle = handle;
    chain.offset = offset;
    chain.buffer = static_cast<uint8_t*>(buffer);
    chain.remaining = count;
    chain.priority = priority;
    chain_next(&chain);
    wait_until(chain.mutex, chain.cv, [&] { return chain.done; });
    return chain.total;
}

} // namespace

int FILE_init(uint32_t slots, uint32_t, uint32_t ops)
{
    if (g_fs.ready.load()) return 1;
    if (slots == 0) slots = 64;
    if (ops == 0) ops = 64;
    filedevinit(slots);
    // The pool holds as many records as whole pages of the 48-byte records
    // of the library's layout take (85 for 64 asked), whatever a record's
    // size in this machine's memory.
    constexpr uint32_t LAYOUT_RECORD_BYTES = 48;
    uint32_t bytes = ops * LAYOUT_RECORD_BYTES;
    void* probe = pagealloc(&bytes);
    if (!probe) return 0;
    const uint32_t count = bytes / LAYOUT_RECORD_BYTES;
    if (count * sizeof(FileOp) > bytes) {
        pagefree(probe);
        bytes = count * static_cast<uint32_t>(sizeof(FileOp));
        probe = pagealloc(&bytes);
        if (!probe) return 0;
    }
    g_fs.pool = static_cast<FileOp*>(probe);
    g_fs.poolsize = count;
    qinit(&g_fs.freeops, nullptr, 0);
    for (uint32_t i = 0; i < g_fs.poolsize; ++i) qbottom(&g_fs.freeops, &g_fs.pool[i]);
    qinit(&g_fs.archives, nullptr, 0);
    g_fs.nextarchive = -1;
    g_fs.shutdown.store(false);
    libatexit(FILE_shutdown);
    g_fs.ready.store(true);
    return 1;
}

void FILE_shutdown()
{
    if (!g_fs.ready.exchange(false)) return;
    while (auto* archive = static_cast<ArchiveRecord*>(qpop(&g_fs.archives))) {
        filedevclose(archive->handle);
        purgememadr(archive);
    }
    g_fs.shutdown.store(true);
    for (FileDevice& dev : g_devices) {
        if (!dev.started.load()) continue;
        setevent(dev.wake);
        removethread(&dev.thread);
        closeevent(dev.wake);
        dev.wake = nullptr;
        qfree(&dev.completed);
        qfree(&dev.pending);
        dev.current = nullptr;
        dev.started.store(false);
    }
    qfree(&g_fs.archives);
    qfree(&g_fs.freeops);
    pagefree(g_fs.pool);
    g_fs.pool = nullptr;
    g_fs.poolsize = 0;
    filedevshutdown();
}

uint32_t FILE_poolsize() { return g_fs.poolsize; }

void FILE_startdevice(int device)
{
    std::lock_guard<std::mutex> hold(g_fs.startmutex);
    FileDevice& dev = g_devices[device & 31];
    if (dev.started.load()) return;
    qinit(&dev.pending, op_key, 0);
    qinitpeer(&dev.completed, nullptr, 0, &dev.pending);
    dev.wake = createevent();
    dev.sequence = 1;
    dev.gate = 255;
    dev.current = nullptr;
    if (!createparamthread2(device_thread, static_cast<uintptr_t>(device & 31), 0, 1, 0, &dev.thread)) {
        closeevent(dev.wake);
        qfree(&dev.completed);
        qfree(&dev.pending);
        LIBFAIL("win\\nfile", "FILE_startdevice - FAILED TO START THREAD FOR FILE SYSTEM DEVICE.\n");
        return;
    }
    dev.started.store(true);
}

FileOp* FILE_allocateop(int type, int priority, uintptr_t word, int device)
{
    if (!check_ready("FILE_allocateop - FILE SYSTEM NOT INITIALIZED, CALL FILE_init().\n")) return nullptr;
    if (priority < 0 || priority > 255) {
        LIBFAIL("win\\nfile", "FILE_allocateop - INVALID PRIORITY (%d), MUST BE [0..255].\n", priority);
        return nullptr;
    }
    if (device < 0 || device >= DEVICES) {
        LIBFAIL("win\\nfile", "FILE_allocateop - INVALID DEVICE (%d), MUST BE [0..31].\n", device);
        return nullptr;
    }
    auto* op = static_cast<FileOp*>(qpop(&g_fs.freeops));
    if (!op) {
        LIBFAIL("win\\nfile", "FILE_allocateop - NO FREE OPS LEFT TO ALLOCATE.\n");
        return nullptr;
    }
    FileDevice& dev = g_devices[device];
    if (!dev.started.load()) FILE_startdevice(device);
    qlock(&dev.pending);
    *op = FileOp{};
    op->type = static_cast<uint8_t>(type);
    op->priority = static_cast<uint8_t>(priority);
    op->word = word;
    op->id = dev.sequence << 5 | static_cast<uint32_t>(device);
    dev.sequence = (dev.sequence + 1) & 0xFFFFFF;
    if (dev.sequence == 0) dev.sequence = 1;
    qunlock(&dev.pending);
    return op;
}

uint32_t FILE_queueop(FileOp* op)
{
    if (!op) return 0;
    FileDevice* dev = device_of(op->id);
    if (!dev) {
        LIBFAIL("win\\nfile", "FILE_queueop - ATTEMPT TO QUEUE FILEOP ON NON-EXISTANT DEVICE.\n");
        return 0;
    }
    uint32_t id = op->id;
    qinsert(&dev->pending, op);
    setevent(dev->wake);
    return id;
}

uint32_t FILE_devicefor(const char* name)
{
    if (!name || std::strchr(name, '|')) return 0;
    return filedevdriveindex(name);
}

uint32_t FILE_open(const char* name, uint32_t mode, int priority, uintptr_t word)
{
    FileOp* op = op_with_name(FILEOP_OPEN, name, priority, word);
    if (op) op->value = mode;
    return queue(op);
}

uint32_t FILE_close(int32_t handle, int priority, uintptr_t word)
{
    FileOp* op = op_on_handle(FILEOP_CLOSE, handle, priority, word);
    if (op) op->handle = handle;
    return queue(op);
}

static uint32_t queue_transfer(int type, int32_t handle, int32_t offset, const void* buffer, uint32_t count,
                               int priority, uintptr_t word)
{
    FileOp* op = op_on_handle(type, handle, priority, word);
    if (op) {
        op->handle = handle;
        op->value = offset;
        op->pointer = const_cast<void*>(buffer);
        op->count = count;
    }
    return queue(op);
}

uint32_t FILE_read(int32_t handle, int32_t offset, void* buffer, uint32_t count, int priority, uintptr_t word)
{
    return queue_transfer(FILEOP_READ, handle, offset, buffer, count, priority, word);
}

uint32_t FILE_write(int32_t handle, int32_t offset, const void* buffer, uint32_t count, int priority, uintptr_t word)
{
    return queue_transfer(FILEOP_WRITE, handle, offset, buffer, count, priority, word);
}

uint32_t FILE_size(int32_t handle, int priority, uintptr_t word)
{
    FileOp* op = op_on_handle(FILEOP_SIZE, handle, priority, word);
    if (op) op->handle = handle;
    return queue(op);
}

uint32_t FILE_seek(int32_t handle, int32_t offset, int priority, uintptr_t word)
{
    FileOp* op = op_on_handle(FILEOP_SEEK, handle, priority, word);
    if (op) op->handle = handle, op->value = offset;
    return queue(op);
}

uint32_t FILE_exists(const char* name, int priority, uintptr_t word)
{
    return queue(op_with_name(FILEOP_EXISTS, name, priority, word));
}

uint32_t FILE_delete(const char* name, int priority, uintptr_t word)
{
    return queue(op_with_name(FILEOP_DELETE, name, priority, word));
}

uint32_t FILE_barrier(int device, int priority, uintptr_t word)
{
    return queue(FILE_allocateop(FILEOP_BARRIER, priority, word, device));
}

uint32_t FILE_openarchive(const char* path, uint32_t memflags, int priority, uintptr_t word)
{
    if (!path) return 0;
    auto* archive = static_cast<ArchiveRecord*>(reservememadr(path, sizeof(ArchiveRecord), memflags));
    if (!archive) return 0;
    std::memset(archive, 0, sizeof *archive);
    std::snprintf(archive->path, sizeof archive->path, "%s", path);
    archive->device = FILE_devicefor(path);
    FileOp* op = FILE_allocateop(FILEOP_OPENARCHIVE, priority, word, static_cast<int>(archive->device));
    if (!op) {
        purgememadr(archive);
        return 0;
    }
    op->pointer = archive;
    return queue(op);
}

uint32_t FILE_closearchive(int32_t archive, int priority, uintptr_t word)
{
    auto* record = static_cast<ArchiveRecord*>(qfind(&g_fs.archives, match_archive, static_cast<uint32_t>(archive)));
    FileOp* op = FILE_allocateop(FILEOP_CLOSEARCHIVE, priority, word, record ? static_cast<int>(record->device) : 0);
    if (op) op->pointer = record;
    return queue(op);
}

int32_t FILE_opstate(uint32_t id)
{
    FileDevice* dev = device_of(id);
    if (!dev) return -3;
    FileOp* op = nullptr;
    qlock(&dev->pending);
    Where where = locate(dev, id, &op);
    int32_t state = where == Where::NOWHERE  ? -3
                    : where != Where::COMPLETED ? 0
                    : op->flags & FILEOP_CANCELLED ? -1
                                                   : op->state;
    qunlock(&dev->pending);
    return state;
}

int32_t FILE_waitop(uint32_t id)
{
    FileDevice* dev = device_of(id);
    if (!dev) return -3;
    wait_until(dev->donemutex, dev->done, [&] { return !in_flight(dev, id); });
    return FILE_opstate(id);
}

int32_t FILE_completeop(uint32_t id)
{
    FileDevice* dev = device_of(id);
    FileOp* op = dev ? static_cast<FileOp*>(qfetch(&dev->completed, match_id, id)) : nullptr;
    if (!op) {
        LIBFAIL("win\\nfile", "FILE_completeop - OPERATION NOT FOUND IN COMPLETED LIST.\n");
        return 0;
    }
    bool cancelled = op->flags & FILEOP_CANCELLED;
    bool done = op->state == 1 && !cancelled;
    int32_t result = 0;
    switch (op->type) {
    case FILEOP_OPEN:
        if (op->handle && !done) filedevclose(op->handle);
        else result = op->handle;
        break;
    case FILEOP_CLOSE: result = filedevclose(op->handle); break;
    case FILEOP_READ:
    case FILEOP_WRITE: result = cancelled ? 0 : static_cast<int32_t>(op->count); break;
    case FILEOP_SIZE:
    case FILEOP_EXISTS: result = static_cast<int32_t>(op->value); break;
    case FILEOP_OPENARCHIVE: {
        auto* archive = static_cast<ArchiveRecord*>(op->pointer);
        if (done) {
            qlock(&g_fs.archives);
            archive->id = g_fs.nextarchive--;
            qbottom(&g_fs.archives, archive);
            qunlock(&g_fs.archives);
            result = archive->id;
        } else {
            if (archive->handle) filedevclose(archive->handle);
            purgememadr(archive);
        }
        break;
    }
    case FILEOP_CLOSEARCHIVE:
        if (auto* archive = static_cast<ArchiveRecord*>(op->pointer); archive && done) {
            filedevclose(archive->handle);
            purgememadr(archive);
            result = 1;
        }
        break;
    case FILEOP_SEEK:
    case FILEOP_DELETE: result = done ? 1 : 0; break;
    default: break;
    }
    if (op->flags & FILEOP_PAGEMEM) pagefree(op->pointer);
    qpush(&g_fs.freeops, op);
    return result;
}

int FILE_setoppriority(uint32_t id, int priority)
{
    FileDevice* dev = device_of(id);
    if (!dev) return 0;
    qlock(&dev->pending);
    auto* op = static_cast<FileOp*>(qfetch(&dev->pending, match_id, id));
    if (op) {
        op->priority = static_cast<uint8_t>(priority);
        qinsert(&dev->pending, op);
    }
    qunlock(&dev->pending);
    if (op) setevent(dev->wake);
    return op != nullptr;
}

void FILE_callbackop(uint32_t id, FileCallback fn)
{
    FileDevice* dev = device_of(id);
    if (!dev) {
        LIBFAIL("win\\nfile", "FILE_callbackop - UNKNOWN FILEOP.\n");
        return;
    }
    FileOp* op = nullptr;
    qlock(&dev->pending);
    Where where = locate(dev, id, &op);
    bool now = false;
    int32_t state = 0;
    uintptr_t word = 0;
    if (where == Where::PENDING || where == Where::CURRENT) {
        op->callback = fn;
        op->flags |= FILEOP_HASCALLBACK;
    } else if (where == Where::COMPLETED) {
        op->callback = fn;
        op->flags |= FILEOP_HASCALLBACK | FILEOP_CALLED;
        now = true;
        state = op->flags & FILEOP_CANCELLED ? -1 : op->state;
        word = op->word;
    }
    qunlock(&dev->pending);
    if (where == Where::NOWHERE) LIBFAIL("win\\nfile", "FILE_callbackop - UNKNOWN FILEOP.\n");
    if (now && fn) fn(id, state, word);
}

void FILE_cancelop(uint32_t id)
{
    FileDevice* dev = device_of(id);
    if (!dev) return;
    FileOp* op = nullptr;
    FileCallback callback = nullptr;
    uintptr_t word = 0;
    bool cancelled = false;
    qlock(&dev->pending);
    if (locate(dev, id, &op) == Where::PENDING) {
        static const bool cancellable[] = {true, false, true, true, true, false, true, false, true, true, false};
        if (op->type < sizeof cancellable && cancellable[op->type]) {
            qremove(&dev->pending, op);
            op->flags |= FILEOP_CANCELLED;
            qbottom(&dev->completed, op);
            cancelled = true;
            if ((op->flags & FILEOP_HASCALLBACK) && !(op->flags & FILEOP_CALLED)) {
                op->flags |= FILEOP_CALLED;
                callback = op->callback;
                word = op->word;
            }
        }
    }
    qunlock(&dev->pending);
    if (callback) callback(id, -1, word);
    if (cancelled) signal_done(dev);
}

// Reads one field of an operation wherever it is, under its device's lock.
template <typename Field> static Field op_field(uint32_t id, Field FileOp::*field)
{
    FileDevice* dev = device_of(id);
    if (!dev) return Field{};
    FileOp* op = nullptr;
    qlock(&dev->pending);
    locate(dev, id, &op);
    Field value = op ? op->*field : Field{};
    qunlock(&dev->pending);
    return value;
}

uint32_t FILE_opsyserror(uint32_t id) { return op_field(id, &FileOp::syserror); }
int FILE_opdevice(uint32_t id) { return static_cast<int>(id & 31); }
uintptr_t FILE_opword(uint32_t id) { return op_field(id, &FileOp::word); }

int32_t FILE_atomic(int32_t (*fn)(int, uintptr_t), int device, int priority, uintptr_t argument)
{
    if (!check_ready("FILE_atomic - FILE SYSTEM NOT INITIALIZED, CALL FILE_init().\n")) return 0;
    if (device < 0 || device >= DEVICES) {
        LIBFAIL("win\\nfile", "FILE_atomic - CALLED WITH ILLEGAL FILE DEVICE (%d).\n", device);
        return 0;
    }
    FileDevice& dev = g_devices[device];
    if (!dev.started.load()) FILE_startdevice(device);
    qlock(&dev.pending);
    int gate = dev.gate;
    if (priority > gate) {
        qunlock(&dev.pending);
        LIBFAIL("win\\nfile", "FILE_atomic - CALLED AT PRIORITY (%d) LOWER THAN CURRENT DEVICE PRIORITY (%d).\n",
                priority, gate);
        return 0;
    }
    dev.gate = priority;
    qunlock(&dev.pending);
    int32_t result = fn ? fn(priority, argument) : 0;
    qlock(&dev.pending);
    dev.gate = gate;
    qunlock(&dev.pending);
    setevent(dev.wake);
    return result;
}

int syncopen(const char* name, uint32_t mode, int priority, int32_t* handle)
{
    int32_t h = wait_and_complete(FILE_open(name, mode, priority, 0));
    if (handle) *handle = h;
    return h != 0 ? 1 : 0;
}

uint32_t syncread(int32_t handle, int32_t offset, void* buffer, uint32_t count, int priority)
{
    return transfer(false, handle, offset, buffer, count, priority);
}

uint32_t syncwrite(int32_t handle, int32_t offset, const void* buffer, uint32_t count, int priority)
{
    return transfer(true, handle, offset, const_cast<void*>(buffer), count, priority);
}

int syncclose(int32_t handle, int priority) { return wait_and_complete(FILE_close(handle, priority, 0)); }
int32_t syncsize(int32_t handle, int priority) { return wait_and_complete(FILE_size(handle, priority, 0)); }
int syncseek(int32_t handle, int32_t offset, int priority)
{
    return wait_and_complete(FILE_seek(handle, offset, priority, 0));
}
int syncexists(const char* name, int priority) { return wait_and_complete(FILE_exists(name, priority, 0)); }
int syncdelete(const char* name, int priority) { return wait_and_complete(FILE_delete(name, priority, 0)); }

int syncopenarchive(const char* name, uint32_t memflags, int priority, int32_t* archive)
{
    int32_t id = wait_and_complete(FILE_openarchive(name, memflags, priority, 0));
    if (archive) *archive = id;
    return id != 0 ? 1 : 0;
}

int syncclosearchive(int32_t archive, int priority)
{
    return wait_and_complete(FILE_closearchive(archive, priority, 0));
}

int FILE_volume(const char* name, char* buffer, uint32_t size) { return filedevvolume(name, buffer, size); }
int FILE_setdirectory(const char* path) { return setdirectory(path); }
uint32_t FILE_getdirectory(char* buffer, uint32_t size) { return getdirectory(buffer, size); }
