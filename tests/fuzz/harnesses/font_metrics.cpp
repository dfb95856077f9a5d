// Hardware font metrics: read, then measured and laid out with every byte.
#include "fuzz/harness.h"

#include "gl3d/hw_fonts.h"
#include "gl3d/sprite_queue.h"

#include <string>

FUZZ_HARNESS(font_metrics)
{
    fuzz_data_file("font.lkf", data, size);
    int32_t slot = create_hw_font("font.lkf");
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    hw_text_width(all, slot);
    float at[2] = {10, 10};
    draw_hw_string(all, at, 0, slot);
    draw_hw_string(all, at, 3, slot);
    free_all_hw_fonts();
}
