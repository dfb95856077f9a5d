#include "win/file.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "host/paths.h"
#include "win/threads.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <string>

namespace {

struct FileSlot {
    std::atomic<uint8_t> inuse{0};
    uint8_t drive = 0;
    std::atomic<uint8_t> busy{0};
    int fd = -1;
    uint32_t mode = 0;
    uint32_t chunk = 0;
    bool mapping = false; // the view is a mapping of fd (not caller memory)
    uint8_t* view = nullptr;
    std::atomic<int32_t> position{0};
    std::atomic<int32_t> size{0};
};

std::atomic<FileSlot*> g_slots{nullptr};
uint32_t g_slotcount = 0;
std::atomic<LibLock> g_tablelock{nullptr};
std::atomic<LibLock> g_drivelocks[32];
LibLogChannel g_filelog{"FILE", 1};

LibLock table_lock()
{
    static std::once_flag once;
    std::call_once(once, [] { g_tablelock.store(createcritical()); });
    return g_tablelock.load();
}

FileSlot* slot_of(int32_t handle)
{
    FileSlot* slots = g_slots.load();
    int32_t index = ~handle;
    if (!slots || index < 0 || static_cast<uint32_t>(index) >= g_slotcount) return nullptr;
    FileSlot* slot = &slots[index];
    return slot->inuse.load() ? slot : nullptr;
}

LibLock drive_lock(uint32_t drive)
{
    drive &= 31;
    if (LibLock lock = g_drivelocks[drive].load()) return lock;
    entercritical(table_lock());
    if (!g_drivelocks[drive].load()) g_drivelocks[drive].store(createcritical());
    leavecritical(table_lock());
    return g_drivelocks[drive].load();
}

struct DriveHold {
    explicit DriveHold(const FileSlot* slot) : lock(drive_lock(slot->drive)) { entercritical(lock); }
    ~DriveHold() { leavecritical(lock); }
    LibLock lock;
};

uint32_t error_code() { return static_cast<uint32_t>(errno) & 0xFFFF; }

void fail(const char* call)
{
    uint32_t code = error_code();
    setlasterror(code);
    liblog(&g_filelog, 1, "[FILE] %s failed (%d)\n", call, static_cast<int>(code));
}

// The root of drive 0 is the one Linux root; lettered drives do not exist.
bool drive_space(uint32_t drive, uint32_t* sector, uint64_t* freebytes)
{
    struct statvfs info;
    if (drive != 0 || ::statvfs("/", &info) != 0) {
        if (drive != 0) errno = ENOENT;
        return false;
    }
    if (sector) *sector = static_cast<uint32_t>(info.f_bsize);
    if (freebytes) *freebytes = static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
    return true;
}

int32_t clamp_position(int64_t position, int32_t size)
{
    return static_cast<int32_t>(position < 0 ? 0 : position > size ? size : position);
}

void copy_text(char* out, uint32_t size, const char* text)
{
    if (out && size) std::snprintf(out, size, "%s", text);
}

void release_slot(FileSlot* slot)
{
    if (slot->mapping && slot->view) ::munmap(slot->view, static_cast<size_t>(slot->size.load()));
    if (slot->fd >= 0) ::close(slot->fd);
    slot->mapping = false;
    slot->view = nullptr;
    slot->fd = -1;
}

} // namespace

void filedevinit(uint32_t count)
{
    table_lock();
    if (g_slots.load()) filedevshutdown();
    entercritical(table_lock());
    if (count == 0) count = 64;
    uint32_t bytes = count * static_cast<uint32_t>(sizeof(FileSlot));
    auto* memory = static_cast<uint8_t*>(pagealloc(&bytes));
    if (memory) {
        auto* slots = reinterpret_cast<FileSlot*>(memory);
        for (uint32_t i = 0; i < count; ++i) new (&slots[i]) FileSlot{};
        g_slotcount = count;
        g_slots.store(slots);
    }
    leavecritical(table_lock());
}

void filedevshutdown()
{
    LibLock table = g_tablelock.load();
    if (FileSlot* slots = g_slots.load()) {
        entercritical(table);
        for (uint32_t i = 0; i < g_slotcount; ++i)
            if (slots[i].inuse.load()) filedevclose(~static_cast<int32_t>(i));
        g_slots.store(nullptr);
        for (uint32_t i = 0; i < g_slotcount; ++i) slots[i].~FileSlot();
        pagefree(slots);
        g_slotcount = 0;
        for (auto& lock : g_drivelocks) deletecritical(lock.exchange(nullptr));
        leavecritical(table);
    }
}

int filedevready() { return g_slots.load() ? 1 : 0; }
uint32_t filedevslotcount() { return g_slotcount; }

uint32_t filedevallocslot()
{
    if (!g_slots.load()) filedevinit(0);
    entercritical(table_lock());
    FileSlot* slots = g_slots.load();
    uint32_t index = 0;
    for (; index < g_slotcount; ++index) {
        if (!slots[index].inuse.load()) {
            FileSlot& slot = slots[index];
            slot.drive = 0;
            slot.busy.store(0);
            slot.fd = -1;
            slot.mode = slot.chunk = 0;
            slot.mapping = false;
            slot.view = nullptr;
            slot.position.store(0);
            slot.size.store(0);
            slot.inuse.store(1);
            break;
        }
    }
    leavecritical(table_lock());
    return index;
}

uint32_t filedevchunksize(uint32_t asked, uint32_t sectorsize)
{
    if (asked == 0 || sectorsize == 0) return FILEDEV_DEFAULTCHUNK;
    return asked <= sectorsize ? sectorsize : (asked + sectorsize - 1) / sectorsize * sectorsize;
}

void filedevpath(const char* name, bool writing, char* out, uint32_t size)
{
    std::string path;
    if (name && name[0] == '/') path = name;
    else path = writing ? host_user_file(name ? name : "") : host_data_file(name ? name : "");
    copy_text(out, size, path.c_str());
}

int filedevopen(const char* name, uint32_t flags, uint32_t chunk, int32_t* handle)
{
    if (handle) *handle = 0;
    if (!name) return 0;
    uint32_t index = filedevallocslot();
    if (index >= g_slotcount) return 0;
    FileSlot& slot = g_slots.load()[index];

    int access = (flags & FILEDEV_WRITE) ? ((flags & FILEDEV_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
    int create = 0;
    if (flags & FILEDEV_CREATE) create = (flags & FILEDEV_TRUNCATE) ? O_CREAT | O_TRUNC : O_CREAT | O_EXCL;
    else if (flags & FILEDEV_TRUNCATE) create = O_TRUNC;
    if (flags & FILEDEV_WRITETHROUGH) create |= O_DSYNC;

    slot.mode = flags;
    slot.drive = static_cast<uint8_t>(filedevdriveindex(name));
    DriveHold hold(&slot);

    uint32_t sector = 2048;
    drive_space(slot.drive, &sector, nullptr);

    char path[4096];
    filedevpath(name, (flags & (FILEDEV_WRITE | FILEDEV_CREATE | FILEDEV_TRUNCATE)) != 0, path, sizeof path);
    setlasterror(0);
    slot.fd = ::open(path, access | create | O_CLOEXEC, 0644);
    struct stat info;
    if (slot.fd < 0 || ::fstat(slot.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > INT32_MAX) {
        if (slot.fd >= 0) {
            errno = S_ISREG(info.st_mode) ? EFBIG : EISDIR;
            ::close(slot.fd);
            slot.fd = -1;
        }
        fail("CreateFile");
        slot.inuse.store(0);
        return 0;
    }
    if (flags & FILEDEV_SEQUENTIAL) ::posix_fadvise(slot.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    slot.chunk = filedevchunksize(chunk, sector);
    slot.size.store(static_cast<int32_t>(info.st_size));

    slot.mapping = false;
    slot.view = nullptr;
    if ((flags & FILEDEV_MAPPED) && info.st_size > 0) {
        int protection = PROT_READ | ((flags & FILEDEV_WRITE) ? PROT_WRITE : 0);
        void* view = ::mmap(nullptr, static_cast<size_t>(info.st_size), protection, MAP_SHARED, slot.fd, 0);
        if (view != MAP_FAILED) {
            slot.view = static_cast<uint8_t*>(view);
            slot.mapping = true;
        }
    }
    if (!slot.view) slot.mode &= ~uint32_t{FILEDEV_MAPPED};
    if (handle) *handle = ~static_cast<int32_t>(index);
    return 1;
}

int filedevopenslot(const void* address, int32_t size, uint32_t drive, uint32_t chunk, int32_t* handle)
{
    if (handle) *handle = 0;
    uint32_t index = filedevallocslot();
    if (index >= g_slotcount) return 0;
    FileSlot& slot = g_slots.load()[index];
    slot.drive = static_cast<uint8_t>(drive & 31);
    drive_lock(slot.drive);
    slot.fd = -1;
    slot.mode = FILEDEV_MAPPED;
    slot.chunk = chunk ? chunk : FILEDEV_DEFAULTCHUNK;
    slot.mapping = false;
    slot.view = static_cast<uint8_t*>(const_cast<void*>(address));
    slot.position.store(0);
    slot.size.store(size < 0 ? 0 : size);
    if (handle) *handle = ~static_cast<int32_t>(index);
    return 1;
}

uint32_t filedevread(int32_t handle, void* buffer, uint32_t count)
{
    FileSlot* slot = slot_of(handle);
    if (!slot || !buffer) return 0;
    DriveHold hold(slot);
    setlasterror(0);
    int32_t size = slot->size.load();
    int32_t position = clamp_position(slot->position.load(), size);
    if (uint64_t{static_cast<uint32_t>(position)} + count > static_cast<uint32_t>(size))
        count = static_cast<uint32_t>(size - position);
    if (!slot->view && ::lseek(slot->fd, position, SEEK_SET) < 0) count = 0;

    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t total = 0;
    slot->busy.store(1);
    while (count > 0 && slot->busy.load()) {
        uint32_t n = count < slot->chunk ? count : slot->chunk;
        ssize_t got;
        if (slot->view) {
            std::memcpy(out, slot->view + position, n);
            got = n;
            sleepthread(0);
        } else {
            got = ::read(slot->fd, out, n);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
                sleepthread(1);
                continue;
            }
            if (got < 0) {
                fail("ReadFile");
                total = 0;
                break;
            }
        }
        position = clamp_position(int64_t{position} + got, size);
        total += static_cast<uint32_t>(got);
        out += got;
        count -= static_cast<uint32_t>(got);
        if (static_cast<uint32_t>(got) < n) break;
    }
    slot->busy.store(0);
    slot->position.store(position);
    return total;
}

uint32_t filedevwrite(int32_t handle, const void* buffer, uint32_t count)
{
    FileSlot* slot = slot_of(handle);
    if (!slot || !buffer) return 0;
    DriveHold hold(slot);
    setlasterror(0);
    int32_t position = slot->position.load();
    int32_t size = slot->size.load();
    if (slot->view) {
        // A mapped file does not grow.
        if (uint64_t{static_cast<uint32_t>(position)} + count > static_cast<uint32_t>(size))
            count = static_cast<uint32_t>(size - position);
    } else {
        if (uint64_t{static_cast<uint32_t>(position)} + count > INT32_MAX)
            count = static_cast<uint32_t>(INT32_MAX - position);
        if (::lseek(slot->fd, position, SEEK_SET) < 0) count = 0;
    }
    const auto* in = static_cast<const uint8_t*>(buffer);
    uint32_t total = 0;
    while (count > 0) {
        uint32_t n = count < slot->chunk ? count : slot->chunk;
        ssize_t put;
        if (slot->view) {
            std::memcpy(slot->view + position, in, n);
            put = n;
            sleepthread(0);
        } else {
            put = ::write(slot->fd, in, n);
            if (put < 0 && (errno == EINTR || errno == EAGAIN)) {
                sleepthread(1);
                continue;
            }
            if (put < 0) {
                fail("WriteFile");
                total = 0;
                break;
            }
        }
        position += static_cast<int32_t>(put);
        if (position > size) size = position;
        total += static_cast<uint32_t>(put);
        in += put;
        count -= static_cast<uint32_t>(put);
        if (static_cast<uint32_t>(put) < n) break;
    }
    slot->position.store(position);
    slot->size.store(size);
    return total;
}

int filedevseek(int32_t handle, int32_t position)
{
    FileSlot* slot = slot_of(handle);
    if (!slot) return 0;
    DriveHold hold(slot);
    int32_t at = clamp_position(position, slot->size.load());
    if (!slot->view) at = static_cast<int32_t>(::lseek(slot->fd, at, SEEK_SET));
    slot->position.store(at);
    return 1;
}

int32_t filedevtell(int32_t handle)
{
    FileSlot* slot = slot_of(handle);
    if (!slot) return 0;
    if (!slot->view) {
        off_t at = ::lseek(slot->fd, 0, SEEK_CUR);
        if (at < 0) {
            fail("SetFilePointer");
            at = 0;
        }
        slot->position.store(static_cast<int32_t>(at));
    }
    return slot->position.load();
}

int filedevsetsize(int32_t handle, int32_t position)
{
    FileSlot* slot = slot_of(handle);
    if (!slot || slot->view) return 0;
    DriveHold hold(slot);
    setlasterror(0);
    off_t end = ::lseek(slot->fd, slot->position.load(), SEEK_SET);
    int result = end >= 0 && ::ftruncate(slot->fd, end) == 0 ? 1 : 0;
    if (result) slot->size.store(static_cast<int32_t>(end));
    else setlasterror(error_code());
    slot->position.store(static_cast<int32_t>(::lseek(slot->fd, clamp_position(position, slot->size.load()), SEEK_SET)));
    return result;
}

int filedevclose(int32_t handle)
{
    FileSlot* slot = slot_of(handle);
    if (!slot) return 0;
    {
        DriveHold hold(slot);
        release_slot(slot);
    }
    slot->inuse.store(0);
    return 1;
}

int filedevdelete(const char* name)
{
    if (!name) return 0;
    char path[4096];
    filedevpath(name, true, path, sizeof path);
    setlasterror(0);
    if (::unlink(path) == 0) return 1;
    setlasterror(error_code());
    return 0;
}

int filedevfreespace(int32_t handle, uint32_t* flags, uint32_t* chunk, int32_t* size, uint64_t* freebytes)
{
    FileSlot* slot = slot_of(handle);
    if (!slot) return 0;
    DriveHold hold(slot);
    if (flags) *flags = slot->mode;
    if (chunk) *chunk = slot->chunk;
    if (size) *size = slot->size.load();
    if (freebytes && !drive_space(slot->drive, nullptr, freebytes)) {
        fail("GetDiskFreeSpace");
        *freebytes = 0;
        return 0;
    }
    return 1;
}

void* filedevview(int32_t handle)
{
    FileSlot* slot = slot_of(handle);
    return slot ? slot->view : nullptr;
}

int filedevlock(int32_t handle)
{
    FileSlot* slot = slot_of(handle);
    if (!slot) return 0;
    entercritical(drive_lock(slot->drive));
    return 1;
}

int filedevunlock(int32_t handle)
{
    FileSlot* slot = slot_of(handle);
    if (!slot) return 0;
    leavecritical(drive_lock(slot->drive));
    return 1;
}

int filedevcancel(int32_t handle)
{
    FileSlot* slot = slot_of(handle);
    return slot ? slot->busy.exchange(0) : 0;
}

uint32_t filedevdrive(int32_t handle)
{
    FileSlot* slot = slot_of(handle);
    return slot ? slot->drive : 0;
}

// ---- paths, drives and directories ----

char filedevdriveletter(const char* path)
{
    if (!path) path = ".";
    if (std::strchr(path, '|')) return 0;
    if (std::strlen(path) < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

uint32_t filedevdriveindex(const char* path)
{
    char letter = filedevdriveletter(path);
    return letter ? static_cast<uint32_t>(letter - 64) : 0;
}

void filedevroot(const char* path, char* out, uint32_t size)
{
    if (!out || !size) return;
    char copy[FILEDEV_PATHMAX + 1];
    copy_text(copy, sizeof copy, path ? path : "");
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    size_t length = std::strlen(copy);
    size_t end = length; // the root runs up to and including copy[end - 1]
    size_t i = 0;
    while (i < length && !separator(copy[i])) ++i;
    if (i < length) {
        if (i + 1 < length && separator(copy[i + 1])) {
            // \\server\share\ : through the separator after the share.
            size_t j = i + 2;
            for (int component = 0; component < 2 && j <= length; ++component) {
                while (j < length && !separator(copy[j])) ++j;
                ++j;
            }
            end = j > length ? length : j;
        } else {
            end = i + 1;
        }
    }
    copy[end] = 0;
    copy_text(out, size, copy);
}

int filedevvolume(const char* path, char* out, uint32_t size)
{
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path ? path : ".", error);
    if (error) {
        copy_text(out, size < FILEDEV_PATHMAX ? size : FILEDEV_PATHMAX, path ? path : "");
        return 0;
    }
    std::string text = full.lexically_normal().string();
    if (text.size() + 1 > size) {
        copy_text(out, size, path ? path : "");
        return 0;
    }
    // Linux keeps case and names as stored: the full name is the volume's own form.
    copy_text(out, size, text.c_str());
    return 1;
}

char filedevscandrives(const char*, char* root, uint32_t size)
{
    copy_text(root, size, "");
    return 0;
}

uint32_t filedevdrives() { return 0; }

uint64_t diskfreespace(const char* root)
{
    struct statvfs info;
    if (!root || ::statvfs(root, &info) != 0) return 0;
    return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

int setdirectory(const char* path)
{
    setlasterror(0);
    if (path && ::chdir(path) == 0) return 1;
    LIBFAIL("win\\file", "setdirectory - FAILED ON '%s'\n", path ? path : "");
    return 0;
}

uint32_t getdirectory(char* buffer, uint32_t size)
{
    setlasterror(0);
    char text[512];
    uint32_t length = ::getcwd(text, 511) ? static_cast<uint32_t>(std::strlen(text)) : 0;
    if (length == 0 || length >= 512) {
        LIBFAIL("win\\file", "getdirectory - FAILED TO FETCH, OR WAS TOO LONG (%d CHAR).\n", static_cast<int>(length));
        copy_text(buffer, size, "");
        return 0;
    }
    copy_text(buffer, size, text);
    return length;
}
