// Software fonts: the input split into glyph images, offsets and widths at
// the shares its first two bytes give, then measured and drawn with every
// byte.
#include "fuzz/harness.h"

#include "gl3d/sprite_queue.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <string>

FUZZ_HARNESS(software_font)
{
    if (size < 2) return;
    const size_t rest = size - 2;
    const size_t a = rest * data[0] / 255, b = a + (rest - a) * data[1] / 255;
    const uint8_t* p = data + 2;
    fuzz_data_file("front_en\\font\\sw\\Ns2.SPR", p, a);
    fuzz_data_file("front_en\\font\\sw\\Ns2.DWD", p + a, b - a);
    fuzz_data_file("front_en\\font\\sw\\Ns2.WTH", p + b, rest - b);
    set_screen_display_kind(0);
    reset_fonts();
    load_font(1, 1);
    select_font(1);
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    string_width(all);
    string_height(all);
    draw_string(all, 10, 10, 1, 0);
    reset_sprite_queues();
    reset_fonts();
}
