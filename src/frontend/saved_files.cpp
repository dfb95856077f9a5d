#include "frontend/saved_files.h"

#include "host/file_util.h"
#include "host/paths.h"
#include "platform/settings.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void put_i32(uint8_t* p, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
    p[3] = static_cast<uint8_t>(u >> 24);
}

int32_t get_i32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The whole file, read only when it is no larger than limit bytes: a larger
// one comes back with one byte more than the limit, so the caller refuses it
// without reading it all.
bool read_whole(const char* path, uint32_t limit, std::vector<uint8_t>& out)
{
    std::FILE* f = std::fopen(saved_file_on_disk(path).c_str(), "rb");
    if (!f) return false;
    out.resize(static_cast<size_t>(limit) + 1);
    size_t got = std::fread(out.data(), 1, out.size(), f);
    bool ok = !std::ferror(f);
    std::fclose(f);
    out.resize(got);
    return ok;
}

} // namespace

std::string saved_file_on_disk(const char* path)
{
    // An absolute path is matched without regard to case as well, from the
    // root down, so that a name the game builds finds the file as listed.
    if (path && (path[0] == '/' || (path[0] == '\\' && path[1] != '\\'))) return host_resolve_path("/", path + 1);
    return host_resolve_path(host_user_dir(), path);
}

int32_t file_exists_flag(const char* path)
{
    std::FILE* f = std::fopen(saved_file_on_disk(path).c_str(), "rb");
    if (!f) return 0;
    std::fclose(f);
    return 1;
}

int32_t next_free_numbered_name(const char* stem)
{
    const char* dir = user_settings.data_directory;
    size_t len = strnlen(dir, sizeof user_settings.data_directory);
    bool ends_in_separator = len > 0 && (dir[len - 1] == '\\' || dir[len - 1] == '/');
    std::string base(dir, len);
    if (!ends_in_separator) base += '\\';
    for (int32_t n = 0; n <= 998; ++n) {
        char tail[64];
        std::snprintf(tail, sizeof tail, "%03d.", n);
        std::string name = base + stem + tail + stem;
        if (!file_exists_flag(name.c_str())) return n;
    }
    return 0;
}

void encode_formation(const TeamLineup& record, uint8_t out[FORMATION_FILE_SIZE])
{
    uint8_t* p = out;
    put_i32(p, record.version);
    p += 4;
    std::memcpy(p, record.name, LINEUP_NAME_SIZE);
    p += LINEUP_NAME_SIZE;
    for (int32_t v : record.zone_y) {
        put_i32(p, v);
        p += 4;
    }
    for (int32_t v : record.zone_x) {
        put_i32(p, v);
        p += 4;
    }
    for (const LineupEntry& e : record.entries) {
        for (int32_t v : {e.player, e.setting1, e.setting2, e.x, e.y}) {
            put_i32(p, v);
            p += 4;
        }
    }
}

bool decode_formation(const uint8_t* bytes, uint32_t size, TeamLineup& record)
{
    if (size != FORMATION_FILE_SIZE || get_i32(bytes) != 1) return false;
    TeamLineup read{};
    const uint8_t* p = bytes;
    read.version = get_i32(p);
    p += 4;
    std::memcpy(read.name, p, LINEUP_NAME_SIZE);
    p += LINEUP_NAME_SIZE;
    for (int32_t& v : read.zone_y) {
        v = get_i32(p);
        p += 4;
    }
    for (int32_t& v : read.zone_x) {
        v = get_i32(p);
        p += 4;
    }
    for (LineupEntry& e : read.entries) {
        for (int32_t* v : {&e.player, &e.setting1, &e.setting2, &e.x, &e.y}) {
            *v = get_i32(p);
            p += 4;
        }
    }
    if (!lineup_is_valid(read)) return false;
    record = read;
    return true;
}

int32_t save_formation_file(const char* path, const TeamLineup& record)
{
    uint8_t buffer[FORMATION_FILE_SIZE];
    encode_formation(record, buffer);
    return host_replace_file(saved_file_on_disk(path), buffer, sizeof buffer) ? 1 : 0;
}

int32_t load_formation_file(const char* path, TeamLineup& record)
{
    std::vector<uint8_t> bytes;
    if (!read_whole(path, FORMATION_FILE_SIZE, bytes)) return 0;
    return decode_formation(bytes.data(), static_cast<uint32_t>(bytes.size()), record) ? 1 : 0;
}
