// Sprite set headers with their companion (the input split in two at its
// first byte's share), then the same bytes as a software sprite bank whose
// sprites are drawn.
#include "fuzz/harness.h"

#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"

#include <vector>

FUZZ_HARNESS(sprite_frames)
{
    if (size < 1) return;
    const size_t split = 1 + (size - 1) * data[0] / 255;
    fuzz_data_file("set.sph", data + 1, split - 1);
    fuzz_data_file("set.DWH", data + split, size - split);
    std::vector<uint8_t> buffer(4096);
    int32_t slot = load_sprite_set("set.sph", buffer.data(), static_cast<uint32_t>(buffer.size()));
    for (uint32_t n = 0; n < 64; ++n) sprite_set_frame(slot, n);
    free_sprite_set(slot);

    fuzz_data_file("set.spr", data + 1, split - 1);
    fuzz_data_file("set.DWD", data + split, size - split);
    set_sprite_set_mode(0);
    slot = load_sprite_set("set.sph", buffer.data(), static_cast<uint32_t>(buffer.size()));
    std::vector<uint8_t> screen(64 * 64);
    const SoftwareScreen target{screen.data(), 64, 64, 64};
    const ClipRect clip{0, 0, 64, 64};
    for (uint32_t n = 0; n < sprite_bank_count(slot) && n < 64; ++n)
        if (const uint8_t* s = sprite_bank_sprite(slot, n)) {
            draw_sprite_clipped(s, 8, 8, 0, 256, clip, target);
            draw_sprite_clipped(s, 30, 30, SPRITE_MIRRORED, 100, clip, target);
        }
    free_sprite_set(slot);
    set_sprite_set_mode(1);
}
