#include "host/paths.h"
#include "host/host_test_hooks.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string g_data_dir;
std::string g_user_dir;
std::string g_exe_dir;

bool same_ignoring_case(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string env_or_empty(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

const std::string& host_exe_dir()
{
    if (g_exe_dir.empty()) {
        std::error_code ec;
        fs::path exe = fs::read_symlink("/proc/self/exe", ec);
        g_exe_dir = ec ? fs::current_path(ec).string() : exe.parent_path().string();
    }
    return g_exe_dir;
}

const std::string& host_data_dir()
{
    if (g_data_dir.empty()) {
        g_data_dir = env_or_empty("KOB99_DATA_DIR");
        if (g_data_dir.empty()) g_data_dir = (fs::path(host_exe_dir()) / "data").string();
    }
    return g_data_dir;
}

const std::string& host_user_dir()
{
    if (g_user_dir.empty()) {
        std::string dir = env_or_empty("KOB99_USER_DIR");
        if (dir.empty()) {
            std::string xdg = env_or_empty("XDG_DATA_HOME");
            if (!xdg.empty())
                dir = xdg + "/kob99";
            else if (!env_or_empty("HOME").empty())
                dir = env_or_empty("HOME") + "/.local/share/kob99";
            else
                dir = "kob99-user";
        }
        std::error_code ec;
        fs::create_directories(dir, ec);
        g_user_dir = dir;
    }
    return g_user_dir;
}

void host_set_data_dir(const std::string& dir) { g_data_dir = dir; }

void host_set_user_dir(const std::string& dir)
{
    g_user_dir.clear();
    if (!dir.empty()) {
        std::error_code ec;
        fs::create_directories(dir, ec);
        g_user_dir = dir;
    }
}

std::string host_resolve_path(const std::string& root, const char* game_name)
{
    std::string name = game_name ? game_name : "";
    for (char& c : name)
        if (c == '\\') c = '/';
    if (!name.empty() && name[0] == '/') return name;
    // "C:\kob99\..." or "C:foo": the drive means nothing here.
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':')
        name.erase(0, 2);

    fs::path path(root);
    size_t pos = 0;
    while (pos <= name.size()) {
        size_t slash = name.find('/', pos);
        if (slash == std::string::npos) slash = name.size();
        std::string part = name.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty() || part == ".") continue;
        std::error_code ec;
        fs::path exact = path / part;
        if (!fs::exists(exact, ec) && fs::is_directory(path, ec)) {
            for (const auto& entry : fs::directory_iterator(path, ec)) {
                if (same_ignoring_case(entry.path().filename().string(), part)) {
                    exact = entry.path();
                    break;
                }
            }
        }
        path = exact;
    }
    return path.string();
}

std::string host_data_file(const char* game_name) { return host_resolve_path(host_data_dir(), game_name); }

std::string host_user_file(const char* game_name) { return host_resolve_path(host_user_dir(), game_name); }
