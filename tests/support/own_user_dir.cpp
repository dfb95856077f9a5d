// Every test program gets a user directory of its own below the one the
// build gives. CTest runs each test as its own process, many at once, and
// tests that write "devconfig.dat", "settings.cfg" or the lock file must not
// meet another test's copy. Its temporary directory is its own too, beside
// the program in the build tree, so nothing a test leaves (a test that ends
// its process skips its clean-up) lands in the system's.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

struct OwnTempDir {
    std::string dir;
    pid_t owner = ::getpid();
    OwnTempDir()
    {
        // A death test's child, started afresh, keeps its parent's directory.
        if (std::getenv("KOB_TEST_SCRATCH")) return;
        std::error_code ec;
        auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec) return;
        dir = (exe.parent_path() / "scratch" / ("run-" + std::to_string(::getpid()))).string();
        std::filesystem::remove_all(dir, ec);
        std::filesystem::create_directories(dir, ec);
        ::setenv("TMPDIR", dir.c_str(), 1);
        ::setenv("TEST_TMPDIR", dir.c_str(), 1); // the test framework's own
        ::setenv("KOB_TEST_SCRATCH", dir.c_str(), 1);
    }
    ~OwnTempDir()
    {
        // A death test's child ends through here too; the directory is the parent's.
        if (dir.empty() || ::getpid() != owner) return;
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

OwnTempDir own_temp_dir;

struct OwnUserDir {
    std::string dir;
    pid_t owner = ::getpid();
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
        // A death test's child ends through here too; the directory is the parent's.
        if (dir.empty() || ::getpid() != owner) return;
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

OwnUserDir own_user_dir;

} // namespace
