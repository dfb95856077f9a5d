#include "cmn/cpu.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

// Every processor this is built for has CPUID or answers nothing.
int cpuidsupported()
{
#if defined(__x86_64__) || defined(__i386__)
    return 1;
#else
    return 0;
#endif
}

void cpuidquery(uint32_t out[4], uint32_t leaf)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
#if defined(__x86_64__) || defined(__i386__)
    __cpuid(leaf, a, b, c, d);
#else
    (void)leaf;
#endif
    out[0] = a;
    out[1] = b;
    out[2] = d;
    out[3] = c;
}

// Division sets the flags on every processor this runs on.
int cpuflagscheck() { return 0; }
