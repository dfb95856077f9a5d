// The file request layer: every file operation of the library is queued on a
// file device (a named file's device is its drive, 0 for "archive|entry"
// names) and performed by that device's worker thread, most urgent first.
// A caller waits for an operation or has a callback run on completion.
#pragma once

#include "cmn/queue.h"

#include <cstdint>

enum FileOpType : uint8_t {
    FILEOP_OPEN,
    FILEOP_CLOSE,
    FILEOP_READ,
    FILEOP_WRITE,
    FILEOP_SIZE,
    FILEOP_SEEK,
    FILEOP_EXISTS,
    FILEOP_DELETE,
    FILEOP_BARRIER,
    FILEOP_OPENARCHIVE,
    FILEOP_CLOSEARCHIVE,
};

enum : uint8_t { FILEOP_PAGEMEM = 0x1, FILEOP_CANCELLED = 0x2, FILEOP_HASCALLBACK = 0x4, FILEOP_CALLED = 0x8 };

// Open modes of FILE_open and syncopen.
constexpr uint32_t FILEMODE_READ = 0x1; // read only, shared; may be found inside an open archive
constexpr uint32_t FILEMODE_CREATE = 0x2;
constexpr uint32_t FILEMODE_TRUNCATE = 0x4;
constexpr uint32_t FILEMODE_MAPPED = 0x8;
constexpr uint32_t FILEMODE_UNBUFFERED = 0x10;
constexpr uint32_t FILEMODE_SEQUENTIAL = 0x20;

// State passed to callbacks and returned by FILE_opstate: 1 done, -2 failed,
// -1 cancelled, 0 still queued or running, -3 unknown.
using FileCallback = void (*)(uint32_t id, int32_t state, uintptr_t word);

struct FileOp {
    QLink link;
    uint32_t id;       // sequence << 5 | device
    uint8_t type;
    uint8_t flags;
    int8_t state;
    uint8_t priority;  // 0 most urgent
    uint32_t syserror;
    int32_t handle;
    uintptr_t word;    // the caller's
    FileCallback callback;
    int64_t value;     // offset, mode, size or answer
    uint32_t count;    // bytes asked, then bytes done
    void* pointer;     // buffer, name copy or archive record
};

struct ArchiveRecord {
    QLink link;
    int32_t id; // -1, -2, ...
    uint32_t device;
    int32_t handle;
    int32_t size;
    char path[261];
};

int FILE_init(uint32_t slots, uint32_t ignored, uint32_t ops);
// The exit function: closes the archives, stops and joins the workers and
// frees the pool. FILE_init may then start the layer again.
void FILE_shutdown();
uint32_t FILE_poolsize();

FileOp* FILE_allocateop(int type, int priority, uintptr_t word, int device);
uint32_t FILE_queueop(FileOp* op);
void FILE_startdevice(int device);
uint32_t FILE_devicefor(const char* name);

uint32_t FILE_open(const char* name, uint32_t mode, int priority, uintptr_t word);
uint32_t FILE_close(int32_t handle, int priority, uintptr_t word);
uint32_t FILE_read(int32_t handle, int32_t offset, void* buffer, uint32_t count, int priority, uintptr_t word);
uint32_t FILE_write(int32_t handle, int32_t offset, const void* buffer, uint32_t count, int priority,
                    uintptr_t word);
uint32_t FILE_size(int32_t handle, int priority, uintptr_t word);
uint32_t FILE_seek(int32_t handle, int32_t offset, int priority, uintptr_t word);
uint32_t FILE_exists(const char* name, int priority, uintptr_t word);
uint32_t FILE_delete(const char* name, int priority, uintptr_t word);
uint32_t FILE_barrier(int device, int priority, uintptr_t word);
uint32_t FILE_openarchive(const char* path, uint32_t memflags, int priority, uintptr_t word);
uint32_t FILE_closearchive(int32_t archive, int priority, uintptr_t word);

int32_t FILE_opstate(uint32_t id);
int32_t FILE_waitop(uint32_t id);
int32_t FILE_completeop(uint32_t id);
void FILE_callbackop(uint32_t id, FileCallback fn);
// Moves an operation that still waits to another priority; 0 when it no longer waits.
int FILE_setoppriority(uint32_t id, int priority);
void FILE_cancelop(uint32_t id);
uint32_t FILE_opsyserror(uint32_t id);
int FILE_opdevice(uint32_t id);
uintptr_t FILE_opword(uint32_t id);

// Runs fn(priority, argument) on the calling thread while the device's
// worker leaves every operation of a larger priority value queued.
int32_t FILE_atomic(int32_t (*fn)(int priority, uintptr_t argument), int device, int priority, uintptr_t argument);

int syncopen(const char* name, uint32_t mode, int priority, int32_t* handle);
uint32_t syncread(int32_t handle, int32_t offset, void* buffer, uint32_t count, int priority);
uint32_t syncwrite(int32_t handle, int32_t offset, const void* buffer, uint32_t count, int priority);
int syncclose(int32_t handle, int priority);
int32_t syncsize(int32_t handle, int priority);
int syncseek(int32_t handle, int32_t offset, int priority);
int syncexists(const char* name, int priority);
int syncdelete(const char* name, int priority);
int syncopenarchive(const char* name, uint32_t memflags, int priority, int32_t* archive);
int syncclosearchive(int32_t archive, int priority);

int FILE_volume(const char* name, char* buffer, uint32_t size);
int FILE_setdirectory(const char* path);
uint32_t FILE_getdirectory(char* buffer, uint32_t size);
