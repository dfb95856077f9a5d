#include "platform/files.h"

#include "host/file_util.h"
#include "host/paths.h"
#include "platform/fatal_error.h"
#include "platform/memory.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace
{

char data_path_buffer[DATA_PATH_SIZE] = "?:\\KOB99\\";
constexpr size_t DATA_PATH_PREFIX = 9;

// A name data_path gave the CD's prefix ("E:\KOB99\..."): the rest of it.
const char* without_cd_prefix(const char* name)
{
    if (std::strlen(name) > DATA_PATH_PREFIX && name[1] == ':' && std::strncmp(name + 2, "\\KOB99\\", 7) == 0)
        return name + DATA_PATH_PREFIX;
    return name;
}

// "caller: name (path on disk)": the game's name and where it was looked for.
std::string naming(const char* caller, const char* name)
{
    return std::string(caller) + ": " + name + " (" + data_file_on_disk(name) + ")";
}

// Ends the game over a file it cannot read, with the system's reason. A file
// that is not there is 196; one that is there but cannot be read is 202.
[[noreturn]] void cannot_read(const char* caller, const char* name, int err)
{
    bool missing = err == ENOENT || err == ENOTDIR;
    std::string text = naming(caller, name) + "\n" + std::strerror(err);
    fatal_error_sub(missing ? FATAL_FILE_NOT_FOUND : FATAL_CANT_LOAD_FILE, static_cast<uint32_t>(err), text.c_str(), 0);
}

// Opens a game file for reading and takes its size; a missing file is fatal
// 196 with the caller's name in the text.
std::FILE* open_for_reading(const char* name, const char* caller, uint32_t* size)
{
    std::string path = host_data_file(name);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f && without_cd_prefix(name) != name) {
        // Not found where the CD would be: the data directory's own copy
        // tells the real reason (one that cannot be read, say).
        f = std::fopen(data_file_on_disk(name).c_str(), "rb");
    }
    if (!f) cannot_read(caller, name, errno);
    struct stat info{};
    if (::fstat(::fileno(f), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(f);
        cannot_read(caller, name, EISDIR);
    }
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    if (length < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        int err = errno;
        std::fclose(f);
        cannot_read(caller, name, err);
    }
    if (static_cast<unsigned long>(length) > 0xFFFFFFFFul) {
        std::fclose(f);
        fatal_error_sub(FATAL_CANT_LOAD_FILE, 0, naming("load_file", name).c_str(), 0);
    }
    *size = static_cast<uint32_t>(length);
    return f;
}

// Reads exactly size bytes or ends the game with 202.
void read_all(std::FILE* f, const char* name, void* buffer, uint32_t size)
{
    size_t got = size ? std::fread(buffer, 1, size, f) : 0;
    uint32_t err = static_cast<uint32_t>(errno);
    std::fclose(f);
    if (got != size) {
        std::string text = naming("load_file", name) + "\n" +
                           (err ? std::strerror(static_cast<int>(err)) : "the file is shorter than it was");
        fatal_error_sub(FATAL_CANT_LOAD_FILE, err, text.c_str(), 0);
    }
}

const char* fill_data_path(const char* name)
{
    size_t length = std::strlen(name);
    if (DATA_PATH_PREFIX + length >= DATA_PATH_SIZE) return nullptr;
    std::memcpy(data_path_buffer + DATA_PATH_PREFIX, name, length + 1);
    return data_path_buffer;
}

} // namespace

uint8_t* load_file(const char* name, uint32_t* size_out)
{
    uint32_t size = 0;
    std::FILE* f = open_for_reading(name, "load_file", &size);
    if (size == 0) {
        // Tracked memory gives no empty buffer (201); say which file it was.
        std::fclose(f);
        fatal_error_sub(FATAL_ZERO_ALLOCATION, 0, (naming("load_file", name) + "\nthe file is empty").c_str(), 0);
    }
    uint8_t* buffer = static_cast<uint8_t*>(alloc_mem(size, name));
    if (size != 0) read_all(f, name, buffer, size);
    if (size_out) *size_out = size;
    return buffer;
}

uint32_t get_filelength(const char* name)
{
    uint32_t size = 0;
    std::fclose(open_for_reading(name, "get_filelength", &size));
    return size;
}

void load_file_into(const char* name, void* buffer, uint32_t capacity)
{
    uint32_t size = 0;
    std::FILE* f = open_for_reading(name, "load_file_into", &size);
    if (size > capacity) {
        std::fclose(f);
        std::string text = naming("load_file_into", name) + "\nthe file is larger than its buffer (" +
                           std::to_string(capacity) + " bytes)";
        fatal_error_sub(FATAL_CANT_LOAD_FILE, size, text.c_str(), 0);
    }
    read_all(f, name, buffer, size);
}

std::string data_file_on_disk(const char* name)
{
    return host_data_file(without_cd_prefix(name));
}

void refuse_data_file(const char* caller, const char* name, const std::string& reason)
{
    fatal_error_sub(FATAL_CANT_LOAD_FILE, 0, (naming(caller, name) + "\n" + reason).c_str(), 0);
}

int file_exists(const char* name)
{
    std::FILE* f = std::fopen(host_data_file(name).c_str(), "rb");
    if (!f) return 0;
    std::fclose(f);
    return 1;
}

int save_file(const char* name, const void* buffer, uint32_t size)
{
    return host_replace_file(host_user_file(name), buffer, size) ? 1 : 0;
}

const char* data_path(const char* name)
{
    if (file_exists(name)) return name;
    const char* path = fill_data_path(name);
    return path ? path : name;
}

const char* cd_data_path(const char* name)
{
    const char* path = fill_data_path(name);
    return path ? path : name;
}

void set_data_path_drive(char letter)
{
    data_path_buffer[0] = letter;
}

std::FILE* open_file_unbuffered(const char* name)
{
    std::FILE* f = std::fopen(host_data_file(name).c_str(), "rb");
    if (f) std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

uint32_t cd_load(std::FILE* handle, void* buffer, uint32_t sectors)
{
    const size_t asked = size_t{sectors} * CD_SECTOR_BYTES;
    const size_t got = std::fread(buffer, 1, asked, handle);
    if (got < asked && std::ferror(handle)) fatal_error_sub(FATAL_CD_READ, 0, "cd_load", 0);
    return static_cast<uint32_t>((got + CD_SECTOR_BYTES - 1) / CD_SECTOR_BYTES);
}

void close_file_handle(std::FILE* handle)
{
    if (handle) std::fclose(handle);
}

int stream_read_u8(std::FILE* stream)
{
    return std::fgetc(stream);
}

int32_t stream_read_u16(std::FILE* stream)
{
    int lo = std::fgetc(stream);
    int hi = std::fgetc(stream);
    if (lo == EOF || hi == EOF) return EOF;
    return static_cast<int32_t>(lo | (hi << 8));
}

uint32_t stream_read_bytes(std::FILE* stream, void* buffer, uint32_t count)
{
    return static_cast<uint32_t>(std::fread(buffer, 1, count, stream));
}

uint8_t* stream_read_new(std::FILE* stream, uint32_t count)
{
    uint8_t* buffer = static_cast<uint8_t*>(alloc_mem(count, "stream_read_new"));
    if (stream_read_bytes(stream, buffer, count) != count) {
        free_mem(buffer);
        return nullptr;
    }
    return buffer;
}

int stream_write_u8(std::FILE* stream, uint32_t value)
{
    return std::fputc(static_cast<int>(value & 0xFF), stream);
}

int stream_write_u16(std::FILE* stream, uint32_t value)
{
    if (stream_write_u8(stream, value) == EOF) return EOF;
    return stream_write_u8(stream, value >> 8);
}

uint32_t stream_write_bytes(std::FILE* stream, const void* buffer, uint32_t count)
{
    return static_cast<uint32_t>(std::fwrite(buffer, 1, count, stream));
}
