#include "host/instance.h"

#include "host/paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

namespace {
std::map<std::string, int> g_held; // lock path -> open descriptor
}

std::string host_instance_lock_path(const char* name)
{
    const char* user = std::getenv("KOB99_USER_DIR");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = (user && *user) || !(runtime && *runtime) ? host_user_dir() : std::string(runtime);
    return dir + "/" + name + ".lock";
}

bool host_claim_single_instance(const char* name)
{
    std::string path = host_instance_lock_path(name);
    if (g_held.count(path)) return true;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock that cannot even be made must not keep the game from starting.
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    g_held[path] = fd;
    return true;
}
