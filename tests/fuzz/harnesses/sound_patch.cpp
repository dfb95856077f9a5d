// A sound header chunk's patch, then the same bytes decoded as compression 7
// and compression 9 sound: nothing may read past what it was given.
#include "fuzz/harness.h"

#include "cmn/cpu.h"
#include "cmn/lib.h"
#include "mix/mixer.h"
#include "mix/sndint.h"

#include <cstring>
#include <vector>

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(sound_patch)
{
    if (size > 1u << 16) return;
    setabortfilter(keep_going);
    std::vector<uint8_t> bytes(data, data + size);
    SndSampleFormat format{};
    SndVoiceParams voice{};
    int32_t frames = 0;
    if (iSNDpatchtohdr(bytes.data(), static_cast<uint32_t>(size), &format, &voice, &frames) == 0 && format.rate == 0)
        __builtin_trap();
    // As compression 7 memory data: as many frames as whole blocks hold;
    // through the decoders of both kernel sets.
    bool mmx = libcpu.mmx;
    alignas(16) static uint8_t state[SND_SOURCE_STATE];
    SndFetch fetch = nullptr;
    SndPosition position = nullptr;
    for (bool set : {false, true}) {
        libcpu.mmx = set;
        iSNDmixinit(8, nullptr);
        for (int group : {16, 20, 24}) {
            int32_t ch = group == 20 ? 2 : 1;
            // Compression 9 memory data is bounded at a byte a frame.
            int32_t length = group == 24 ? static_cast<int32_t>(size) : static_cast<int32_t>(size / (15u * ch) * 28);
            sndcodectable[group](0, state, reinterpret_cast<intptr_t>(bytes.data()), length, 0, 0, &fetch, &position);
            std::vector<float> out(2 * 300);
            for (int guard = 0; guard < 1000 && fetch(state, 256, out.data()) >= 0; ++guard) {
            }
        }
    }
    libcpu.mmx = mmx;
    setabortfilter(nullptr);
}
