// Provisional: replaced by the file-loading services proper.
#include "platform/files.h"

#include "host/file_util.h"
#include "host/paths.h"
#include "platform/fatal_error.h"
#include "platform/memory.h"

#include <cstdio>

uint8_t* load_file(const char* name, uint32_t* size_out)
{
    std::string path = host_data_file(name);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        char text[300];
        std::snprintf(text, sizeof text, "load_file: %s", name);
        fatal_error_sub(196, 2, text, 0);
    }
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    uint8_t* buffer = static_cast<uint8_t*>(alloc_mem(static_cast<uint32_t>(size), name));
    size_t got = std::fread(buffer, 1, static_cast<size_t>(size), f);
    std::fclose(f);
    if (got != static_cast<size_t>(size)) fatal_error_sub(202, 0, name, 0);
    if (size_out) *size_out = static_cast<uint32_t>(size);
    return buffer;
}

uint32_t get_filelength(const char* name)
{
    std::FILE* f = std::fopen(host_data_file(name).c_str(), "rb");
    if (!f) fatal_error(196);
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    return static_cast<uint32_t>(size);
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
