// The leak check at exit must get past a late-loaded library's thread-local
// block that starts 16 bytes into a page. The address sanitizer's record of
// such blocks takes the 16 bytes before one for the header an old C library
// put there; with this C library they are the allocator's own chunk header,
// and the record's bounds come out as a small number and a huge size. The
// leak check then scans from that number and falls over after every test has
// passed ("Tracer caught signal 11"). Whether a test program meets it rests on
// how many small blocks were allocated before the software GL's first touch,
// so any change anywhere may bring it on; the tests' environment turns that
// record off. This program places such a block on purpose and ends: exit code
// 0 when the leak check got through, 2 when the block could not be placed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: late_tls_at_exit <library>\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    auto touch = reinterpret_cast<uintptr_t (*)()>(dlsym(library, "touch_late_tls_block"));
    if (!touch) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    // Blocks of the thread-local block's size come from one run of the
    // allocator, evenly spaced: allocate until the next one would start 16
    // bytes into a page, then let the C library take it.
    constexpr int most = 100000;
    std::vector<void*> kept;
    kept.reserve(most);
    uintptr_t previous = 0, last = 0;
    for (int i = 0; i < most; ++i) {
        kept.push_back(std::malloc(24));
        previous = last;
        last = reinterpret_cast<uintptr_t>(kept.back());
        if (i > 0 && ((2 * last - previous) & 4095) == 16) break;
    }
    const uintptr_t block = touch();
    for (void* p : kept) std::free(p);
    if ((block & 4095) != 16) {
        std::fprintf(stderr, "the block landed %u bytes into its page, not 16: nothing shown\n",
                     static_cast<unsigned>(block & 4095));
        return 2;
    }
    std::printf("the thread-local block starts 16 bytes into its page\n");
    return 0;
}
