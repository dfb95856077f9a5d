#include "fuzz/harness.h"
#include "host/host_test_hooks.h"

#include "host/paths.h"
#include "host/process.h"
#include "platform/memory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct game_ended {
    int code;
};

[[noreturn]] void throw_ended(int code) { throw game_ended{code}; }

// The directories the readers see: a data and a user directory of this
// process's own, emptied after every input.
struct work_dirs {
    fs::path base, data, user;
};

const work_dirs& dirs()
{
    static work_dirs d = [] {
        work_dirs w;
#ifdef KOB_FUZZER
        w.base = fs::path(KOB_FUZZ_WORK_DIR) / std::to_string(::getpid());
#else
        w.base = fs::path(host_user_dir()) / "fuzz-work";
#endif
        w.data = w.base / "data";
        w.user = w.base / "user";
        return w;
    }();
    return d;
}

void empty_dir(const fs::path& dir)
{
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
}

std::string write_file(const std::string& path, const uint8_t* data, size_t size)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

#ifdef KOB_FUZZER
void remove_work() {
    std::error_code ec;
    fs::remove_all(dirs().base, ec);
}
#endif

} // namespace


void fuzz_run(fuzz_body body, const uint8_t* data, size_t size)
{
    const work_dirs& d = dirs();
    empty_dir(d.data);
    empty_dir(d.user);
    host_set_data_dir(d.data.string());
    host_set_user_dir(d.user.string());
    const int32_t tracked = alloc_count;
    host_set_exit_hook(throw_ended);
    try {
        body(data, size);
    } catch (const game_ended&) {
        // A refusal that ends the game is a clean answer to a bad file.
    }
    host_set_exit_hook(nullptr);
    free_tracked_from(tracked);
    std::error_code ec;
    fs::remove_all(d.base, ec);
#ifndef KOB_FUZZER
    host_set_data_dir("");
    host_set_user_dir("");
#endif
}

std::string fuzz_data_file(const char* game_name, const uint8_t* data, size_t size)
{
    return write_file(host_data_file(game_name), data, size);
}

std::string fuzz_user_file(const char* game_name, const uint8_t* data, size_t size)
{
    return write_file(host_user_file(game_name), data, size);
}

#ifdef KOB_FUZZER
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::atexit(remove_work);
    return 0;
}
#else
namespace {
std::vector<fuzz_harness>& registry()
{
    static std::vector<fuzz_harness> r;
    return r;
}
} // namespace

fuzz_registration::fuzz_registration(const char* name, fuzz_body body) { registry().push_back({name, body}); }

const fuzz_harness* fuzz_harnesses(size_t* count)
{
    *count = registry().size();
    return registry().data();
}
#endif
