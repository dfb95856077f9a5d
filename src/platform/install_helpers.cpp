#include "platform/install_helpers.h"

#include "host/paths.h"
#include "host/process.h"
#include "host/settings_store.h"
#include "platform/files.h"
#include "platform/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const windows_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const desktop_folder = "Desktop";

std::string join(const char* a, const char* b) { return std::string(a) + "\\" + b; }

bool read_whole(const std::string& path, std::vector<uint8_t>* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

uint8_t* global_copy(const std::vector<uint8_t>& bytes)
{
    uint8_t* block = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (block && !bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
    return block;
}

void put_u32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t get_u32(const std::vector<uint8_t>& in, size_t at)
{
    return uint32_t(in[at]) | uint32_t(in[at + 1]) << 8 | uint32_t(in[at + 2]) << 16 | uint32_t(in[at + 3]) << 24;
}

} // namespace

int32_t write_uninstall_entry(const char* key_name, const char* uninstall_command, const char* display_name)
{
    if (!host_settings_create_key(windows_key)) return 0;
    std::string key = join(windows_key, ("Uninstall\\" + std::string(key_name)).c_str());
    // Only a key made now is written; an older entry is left as it is.
    if (host_settings_key_exists(key.c_str()) || !host_settings_create_key(key.c_str())) return 0;
    host_settings_set_string(key.c_str(), "DisplayName", display_name);
    host_settings_set_string(key.c_str(), "UninstallString", uninstall_command);
    return 1;
}

int32_t create_shell_link(const char* target_path, const char* link_path, const char* working_dir)
{
    std::string path = host_user_file(link_path);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path);
    if (!out) return -1;
    out << "[Desktop Entry]\nType=Application\nName=" << std::filesystem::path(path).stem().string()
        << "\nExec=" << target_path << "\nPath=" << working_dir << "\n";
    return out.good() ? 0 : -1;
}

int32_t create_desktop_shortcut(const char* link_name, const char* program_file, const char* directory)
{
    std::string link = join(desktop_folder, link_name);
    std::string target = host_resolve_path(directory, program_file);
    return create_shell_link(target.c_str(), link.c_str(), directory);
}

int32_t delete_desktop_shortcut(const char* link_name)
{
    return std::remove(host_user_file(join(desktop_folder, link_name).c_str()).c_str()) == 0 ? 1 : 0;
}

int32_t create_program_group(const char* group_file, const char* group_name, const char* item_name)
{
    std::FILE* f = std::fopen(host_user_file("SETUP.INI").c_str(), "wb");
    if (!f) return -1;
    std::fprintf(f, "[progman.groups]\r\ngroupX=%s\r\n[groupX]\r\n\"%s\",\"%s\",,,,\"%s\"\r\n", group_name,
                 item_name, group_file, group_file);
    std::fclose(f);
    // The converter's start result: 33 started, 2 not found.
    return host_start_program("grpconv") ? 33 : 2;
}

int32_t load_file_global(uint8_t** slot, const char* name)
{
    if (*slot) return 1;
    std::vector<uint8_t> bytes;
    if (!read_whole(host_data_file(name), &bytes)) return 0;
    *slot = global_copy(bytes);
    return 1;
}

void free_file_global(uint8_t** slot)
{
    std::free(*slot);
    *slot = nullptr;
}

uint8_t* load_file_global_simple(const char* name)
{
    std::vector<uint8_t> bytes;
    return read_whole(host_data_file(name), &bytes) ? global_copy(bytes) : nullptr;
}

int32_t open_file_read_write(const char* name, uint32_t disposition)
{
    static const int flags_by_disposition[] = {0, O_CREAT | O_EXCL, O_CREAT | O_TRUNC, 0, O_CREAT, O_TRUNC};
    if (disposition < 1 || disposition > 5) return -1;
    return ::open(host_user_file(name).c_str(), O_RDWR | O_CLOEXEC | flags_by_disposition[disposition], 0644);
}

uint32_t write_file_bytes(int32_t handle, uint32_t count, const void* buffer)
{
    ssize_t n = ::write(handle, buffer, count);
    return n < 0 ? 0 : static_cast<uint32_t>(n);
}

void close_file_handle(int32_t handle)
{
    if (handle >= 0) ::close(handle);
}

bool file_can_be_opened(const char* name) { return std::ifstream(host_data_file(name)).good(); }

uint32_t file_size_or_zero(const char* name)
{
    struct stat info {};
    if (::stat(host_data_file(name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    return info.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(info.st_size);
}

uint32_t total_install_set_size(const std::vector<uint8_t>& set, int32_t* flag)
{
    if (flag) *flag = 1;
    if (set.size() < INSTALL_SET_HEADER) return 0;
    uint32_t count = get_u32(set, 256);
    uint32_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = INSTALL_SET_HEADER + size_t(INSTALL_SET_MEMBER) * i + 256;
        if (at + 4 > set.size()) break;
        total += get_u32(set, at);
    }
    return total;
}

bool install_archive_present() { return file_exists(cd_data_path("typical_install.lkz")) != 0; }

int32_t write_install_set(const char* list_file_name)
{
    std::vector<std::string> members;
    std::ifstream list(host_data_file(list_file_name));
    std::string line;
    while (std::getline(list, line)) {
        if (line.size() > 1000) line.resize(1000);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        members.push_back(line);
    }
    std::vector<uint8_t> record(INSTALL_SET_HEADER + INSTALL_SET_MEMBER * members.size(), 0);
    uint32_t total = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        size_t at = INSTALL_SET_HEADER + INSTALL_SET_MEMBER * i;
        std::memcpy(&record[at], members[i].data(), std::min<size_t>(members[i].size(), 255));
        uint32_t size = file_size_or_zero(members[i].c_str());
        put_u32(record, at + 256, size);
        total += size;
    }
    put_u32(record, 256, static_cast<uint32_t>(members.size()));
    put_u32(record, 260, total);

    std::string name = list_file_name;
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.erase(dot);
    name += ".install";
    save_file(name.c_str(), record.data(), static_cast<uint32_t>(record.size()));
    return 1;
}

int32_t launch_post_install_quit()
{
    char program[64];
    std::snprintf(program, sizeof program, "%s.exe", "post_install_quit");
    char path[128];
    std::snprintf(path, sizeof path, "%s\\%s", "\\kob99", program);
    return host_start_program(host_data_file(path)) ? 1 : 0;
}

void check_memory_for_commentary() { switch_commentary_off(); }
