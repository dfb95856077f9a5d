#include "platform/directory.h"

#include "host/paths.h"
#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

// Splits a pattern into its directory (resolved) and its last component.
void split_pattern(const char* pattern, std::string& directory, std::string& mask)
{
    std::string p = pattern;
    size_t slash = p.find_last_of("\\/");
    mask = slash == std::string::npos ? p : p.substr(slash + 1);
    directory = user_path(slash == std::string::npos ? "" : p.substr(0, slash).c_str());
}

bool glob_match(const char* mask, const char* name)
{
    if (std::strcmp(mask, "*.*") == 0) return true; // every entry, dotted or not
    for (; *mask; ++mask, ++name) {
        if (*mask == '*') {
            for (const char* rest = name;; ++rest) {
                if (glob_match(mask + 1, rest)) return true;
                if (!*rest) return false;
            }
        }
        if (!*name) return false;
        if (*mask != '?' && std::tolower(static_cast<unsigned char>(*mask)) !=
                                std::tolower(static_cast<unsigned char>(*name)))
            return false;
    }
    return *name == '\0';
}

bool take_next(find_record& r)
{
    if (r.next >= r.names.size()) return false;
    r.file_name = r.names[r.next];
    r.directory = r.is_directory[r.next];
    r.size = r.sizes[r.next];
    ++r.next;
    return true;
}

// The found entries of a pattern, with their full paths.
std::vector<fs::path> matching_entries(const char* pattern, bool want_directories)
{
    std::vector<fs::path> found;
    std::string directory, mask;
    split_pattern(pattern, directory, mask);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || !glob_match(mask.c_str(), name.c_str())) continue;
        if (entry.is_directory(ec) == want_directories) found.push_back(entry.path());
    }
    return found;
}

// A file to copy from: the user directory's (what the game wrote) when there
// is one, else the data directory's.
std::string source_path(const char* name)
{
    std::string user = user_path(name);
    std::error_code ec;
    return fs::exists(user, ec) ? user : host_data_file(name);
}

// The attribute bits the copy keeps on this system: read-only is the write
// permission; the archive bit has nothing to stand for.
uint32_t attributes_of(const fs::path& p)
{
    std::error_code ec;
    fs::perms perms = fs::status(p, ec).permissions();
    return (perms & fs::perms::owner_write) == fs::perms::none ? FILE_ATTRIBUTE_READONLY : 0;
}

void set_attributes(const fs::path& p, uint32_t attributes)
{
    std::error_code ec;
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        fs::permissions(p, write, fs::perm_options::remove, ec);
    else
        fs::permissions(p, fs::perms::owner_write, fs::perm_options::add, ec);
}

bool fail_empty(char* out, uint32_t out_size)
{
    if (out_size) out[0] = '\0';
    return false;
}

} // namespace

// A game path below the user directory, which stands for the drive's root:
// "C:\saves\a.sav" and "\saves\a.sav" are both saves/a.sav there.
std::string user_path(const char* name)
{
    std::string n = name;
    if (n.size() >= 2 && std::isalpha(static_cast<unsigned char>(n[0])) && n[1] == ':') n.erase(0, 2);
    size_t first = n.find_first_not_of('\\');
    n.erase(0, first == std::string::npos ? n.size() : first);
    return host_user_file(n.c_str());
}

bool change_directory(const char* path)
{
    if (!path || !*path) return false;
    return ::chdir(user_path(path).c_str()) == 0;
}

bool get_current_directory(char* buffer, uint32_t size)
{
    return size && ::getcwd(buffer, size) != nullptr;
}

int64_t free_disk_space(const char*)
{
    std::error_code ec;
    fs::space_info info = fs::space(host_user_dir(), ec);
    if (ec) return FILE_DISK_UNUSABLE;
    return static_cast<int64_t>(info.available);
}

bool create_directory(const char* path)
{
    std::error_code ec;
    return fs::create_directory(user_path(path), ec);
}

int32_t remove_directory(const char* path)
{
    std::error_code ec;
    fs::path p = user_path(path);
    if (!fs::is_directory(p, ec)) return FILE_REMOVE_DIRECTORY_FAILED;
    return fs::remove(p, ec) && !ec ? FILE_OK : FILE_REMOVE_DIRECTORY_FAILED;
}

bool is_network_path(const char* path)
{
    return path[0] == '\\' && path[1] == '\\';
}

bool path_exists(const char* pattern)
{
    find_record r;
    bool none = find_first_file(pattern, 0, r);
    find_close(r);
    return !none;
}

int32_t make_directory_path(const char* path, bool strip_last)
{
    std::string p = path;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') p.erase(0, 2);
    if (strip_last) {
        size_t slash = p.find_last_of('\\');
        if (slash == std::string::npos) return FILE_OK;
        p.resize(slash);
    }
    p += '\\';
    for (size_t pos = p.find('\\'); pos != std::string::npos; pos = p.find('\\', pos + 1)) {
        if (pos == 0) continue;
        std::error_code ec;
        fs::create_directory(user_path(p.substr(0, pos).c_str()), ec);
    }
    return FILE_OK; // failures, an existing directory among them, are not reported
}

int32_t copy_file(const char* destination, const char* source)
{
    const std::string from = source_path(source);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return FATAL_CANT_OPEN_FILE;
    uint32_t size = get_filelength(from.c_str());
    if (size == 0) return FATAL_CANT_OPEN_FILE;
    uint8_t* data = load_file(from.c_str());
    std::FILE* f = std::fopen(user_path(destination).c_str(), "wb");
    if (!f) {
        free_mem(data);
        return FATAL_CANT_SAVE_FILE;
    }
    size_t written = std::fwrite(data, 1, size, f);
    bool closed = std::fclose(f) == 0;
    free_mem(data);
    return written == size && closed ? 0 : FATAL_DISK_SPACE;
}

int32_t save_file_checked(const char* path, const void* data, uint32_t size)
{
    std::string p = path;
    size_t slash = p.find_last_of('\\');
    std::string directory =
        slash == std::string::npos ? host_user_dir() : user_path(p.substr(0, slash).c_str());
    std::error_code ec;
    if (!fs::is_directory(directory, ec) || ::access(directory.c_str(), W_OK) != 0) return FILE_DISK_UNUSABLE;
    return save_file(path, data, size);
}

int32_t delete_matching_files(const char* pattern)
{
    int32_t deleted = 0;
    for (const fs::path& p : matching_entries(pattern, false)) {
        std::error_code ec;
        if (fs::remove(p, ec)) ++deleted;
    }
    return deleted;
}

int32_t delete_matching_files_2(const char* pattern)
{
    const std::string copy = pattern;
    return delete_matching_files(copy.c_str());
}

int32_t delete_directory_tree(const char* directory, bool delete_files)
{
    std::string dir = directory;
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    for (const fs::path& sub : matching_entries((dir + "*.*").c_str(), true)) {
        std::string name = dir + sub.filename().string();
        if (remove_directory(name.c_str()) != FILE_OK) delete_directory_tree(name.c_str(), delete_files);
    }
    if (delete_files) delete_matching_files((dir + "*.*").c_str());
    dir.pop_back();
    return remove_directory(dir.c_str());
}

bool replace_extension(const char* name, const char* extension, char* out, uint32_t out_size)
{
    std::string base = name;
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos) base.resize(dot);
    for (char& c : base)
        if (c == '.') c = ' ';
    int n = std::snprintf(out, out_size, "%s.%s", base.c_str(), extension);
    return n >= 0 && static_cast<uint32_t>(n) < out_size ? true : fail_empty(out, out_size);
}

bool numbered_file_name(char* out, uint32_t out_size, const char* name, int32_t number)
{
    std::string base = name;
    size_t dot = base.find('.');
    if (dot != std::string::npos) base.resize(dot);
    int n = std::snprintf(out, out_size, "%s.%03d", base.c_str(), number);
    return n >= 0 && static_cast<uint32_t>(n) < out_size ? true : fail_empty(out, out_size);
}

bool build_file_path(char* out, uint32_t out_size, const char* directory, const char* name)
{
    size_t dl = std::strlen(directory);
    const char* sep = dl && directory[dl - 1] != '\\' ? "\\" : "";
    int n = std::snprintf(out, out_size, "%s%s%s", directory, sep, name);
    return n >= 0 && static_cast<uint32_t>(n) < out_size ? true : fail_empty(out, out_size);
}

int32_t append_path(char* path, uint32_t path_size, const char* name)
{
    size_t length = std::strlen(path);
    bool sep = length && path[length - 1] != '\\' && path[length - 1] != '/';
    size_t total = length + (sep ? 1 : 0) + std::strlen(name);
    if (total + 2 > path_size) return -1; // the text, its terminator and a second zero
    if (sep) path[length++] = '\\';
    std::memcpy(path + length, name, std::strlen(name) + 1);
    path[total + 1] = '\0';
    return static_cast<int32_t>(total);
}

bool double_character(char* out, uint32_t out_size, const char* text, char character)
{
    uint32_t o = 0;
    for (const char* p = text; *p; ++p) {
        uint32_t need = *p == character ? 2 : 1;
        if (o + need >= out_size) return fail_empty(out, out_size);
        out[o++] = *p;
        if (need == 2) out[o++] = *p;
    }
    if (o >= out_size) return fail_empty(out, out_size);
    out[o] = '\0';
    return true;
}

bool find_first_file(const char* pattern, int32_t, find_record& record)
{
    record = find_record{};
    std::string directory, mask;
    split_pattern(pattern, directory, mask);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        std::string name = entry.path().filename().string();
        if (!glob_match(mask.c_str(), name.c_str())) continue;
        record.names.push_back(name);
        bool is_dir = entry.is_directory(ec);
        record.is_directory.push_back(is_dir);
        record.sizes.push_back(is_dir ? 0 : static_cast<uint64_t>(entry.file_size(ec)));
    }
    return !take_next(record);
}

bool find_next_file(find_record& record)
{
    return !take_next(record);
}

void find_close(find_record& record)
{
    record = find_record{};
}

uint32_t get_drive_type(char letter)
{
    return std::toupper(static_cast<unsigned char>(letter)) == 'C' ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

bool is_cd_drive(char letter)
{
    return get_drive_type(letter) == DRIVE_CDROM;
}

char find_drive_of_type(uint32_t type)
{
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        if (get_drive_type(letter) == type) return letter;
    return 'C';
}

namespace
{

int32_t count_letters(bool skip_cd)
{
    int32_t count = 0;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        uint32_t type = get_drive_type(letter);
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR || (skip_cd && type == DRIVE_CDROM)) continue;
        ++count;
    }
    return count;
}

int32_t list_letters(char (*entries)[DRIVE_ENTRY_SIZE], int32_t maximum, bool skip_removable)
{
    int32_t count = 0;
    for (char letter = 'A'; letter <= 'Z' && count < maximum; ++letter) {
        uint32_t type = get_drive_type(letter);
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR || type == DRIVE_CDROM) continue;
        if (skip_removable && type == DRIVE_REMOVABLE) continue;
        std::snprintf(entries[count++], DRIVE_ENTRY_SIZE, "%c%s", letter, ":\\");
    }
    return count;
}

} // namespace

int32_t count_drives()
{
    return count_letters(false);
}
int32_t count_non_cd_drives()
{
    return count_letters(true);
}
int32_t list_drives(char (*entries)[DRIVE_ENTRY_SIZE], int32_t maximum)
{
    return list_letters(entries, maximum, false);
}
int32_t list_hard_drives(char (*entries)[DRIVE_ENTRY_SIZE], int32_t maximum)
{
    return list_letters(entries, maximum, true);
}

void init_four_word_record(copy_request& request, uint32_t chunk_size, uint32_t set_bits, uint32_t clear_bits)
{
    request = copy_request{chunk_size, 0, set_bits, clear_bits};
}

bool copy_file_chunk(copy_request& request, const char* source, const char* destination, uint32_t* count)
{
    const std::string from = source_path(source);
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) fatal_error_sub(FATAL_CANT_OPEN_FILE, 0, source, 0);
    const uint32_t attributes = (attributes_of(from) | request.set_bits) & ~request.clear_bits;
    long length = -1;
    if (std::fseek(in, 0, SEEK_END) == 0) length = std::ftell(in);
    if (length < 0 || std::fseek(in, static_cast<long>(request.offset), SEEK_SET) != 0) {
        std::fclose(in);
        fatal_error_sub(FATAL_CANT_OPEN_FILE, static_cast<uint32_t>(errno), source, 0);
    }
    uint64_t left =
        static_cast<uint64_t>(length) > request.offset ? static_cast<uint64_t>(length) - request.offset : 0;
    uint32_t n = left < request.chunk_size ? static_cast<uint32_t>(left) : request.chunk_size;
    if (n == 0) {
        std::fclose(in);
        if (count) *count = 0;
        return true;
    }
    uint8_t* buffer = static_cast<uint8_t*>(alloc_mem(n, "chunk_size"));
    std::FILE* out = std::fopen(user_path(destination).c_str(), request.offset == 0 ? "wb" : "ab");
    if (!out) {
        free_mem(buffer);
        std::fclose(in);
        fatal_error_sub(FATAL_CANT_SAVE_FILE, 0, destination, 0);
    }
    bool ok = std::fread(buffer, 1, n, in) == n && std::fwrite(buffer, 1, n, out) == n;
    ok = std::fclose(out) == 0 && ok;
    std::fclose(in);
    free_mem(buffer);
    if (!ok) fatal_error_sub(FATAL_CANT_SAVE_FILE, static_cast<uint32_t>(errno), destination, 0);
    request.offset += n;
    if (count) *count = n;
    const bool done = request.offset >= static_cast<uint64_t>(length);
    // Given when the copy is whole: a read-only copy could not take its
    // later chunks.
    if (done) set_attributes(user_path(destination), attributes);
    return done;
}
