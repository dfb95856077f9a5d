// A movie picture: the bytes decoded as a key frame, then as a delta frame
// against it, at 48 x 32 (the first byte picks the quantiser).
#include "fuzz/harness.h"

#include "win/viddec.h"

#include <vector>

FUZZ_HARNESS(mad_video)
{
    if (size == 0) return;
    const int32_t w = 48, h = 32;
    std::vector<uint8_t> payload(data + 1, data + size);
    std::vector<uint8_t> key(w * h * 2 + 4), delta(w * h * 2 + 4);
    for (int pass = 0; pass < 2; ++pass) {
        startvideoframe(payload.data(), static_cast<uint32_t>(payload.size()), pass, static_cast<int8_t>(data[0]));
        for (int32_t my = 0; my < h / 16; ++my)
            for (int32_t mx = 0; mx < w / 16; ++mx)
                decodevideoframe(key.data(), pass ? delta.data() : key.data(), w, h, mx, my);
    }
}
