// A library loaded late, as the software GL loads its shader compiler, with a
// thread-local block of its own: the C library allocates the block (with
// malloc) when a thread first touches it.
#include <cstdint>

namespace {
thread_local unsigned char block[24];
}

extern "C" uintptr_t touch_late_tls_block()
{
    block[0] = 1;
    return reinterpret_cast<uintptr_t>(&block[0]);
}
