// Freeing tracked buffers: each free searches the table and closes the gap,
// so freeing n buffers from the front costs about n squared entry moves.
#include "platform/memory.h"

#include <benchmark/benchmark.h>

#include <vector>

static void BM_FreeFromTheFront(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<void*> buffers(static_cast<size_t>(n));
    for (auto _ : state) {
        for (void*& p : buffers) p = alloc_mem(8, "bench");
        for (void* p : buffers) free_mem(p);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_FreeFromTheFront)->RangeMultiplier(4)->Range(256, 16384)->Complexity();
