// Every test program gets a user directory of its own below the one the
// build gives. CTest runs each test as its own process, many at once, and
// tests that write "devconfig.dat", "settings.cfg" or the lock file must not
// meet another test's copy.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

struct OwnUserDir {
    std::string dir;
    OwnUserDir()
    {
        const char* base = std::getenv("KOB99_USER_DIR");
        if (!base || !*base) return;
        dir = std::string(base) + "/run-" + std::to_string(::getpid());
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        std::filesystem::create_directories(dir, ec);
        ::setenv("KOB99_USER_DIR", dir.c_str(), 1);
    }
    ~OwnUserDir()
    {
        if (dir.empty()) return;
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

OwnUserDir own_user_dir;

} // namespace
