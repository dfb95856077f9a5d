// The 256-colour palette: 6-bit colours in the program, x 4 on the display,
// and the fades of the software display.
#include "screen/screen.h"

#include "screen/screen_flip.h"

#include <cstring>

PaletteEntry display_palette[256];
uint8_t working_palette[256][3];
uint8_t saved_palette[768];
int32_t fade_step = 0;

namespace {

void (*g_observer)(const PaletteEntry*) = nullptr;

void show_palette()
{
    set_ddpal();
    if (g_observer) g_observer(display_palette);
}

// Keeps first..first+count-1 inside the 256 entries.
bool clamp_range(int32_t& first, int32_t& count)
{
    if (first < 0) count += first, first = 0;
    if (count > 256 - first) count = 256 - first;
    return count > 0;
}

// Every display entry = palette x level >> 6; level 256 is the palette itself.
void show_at_level(const uint8_t* palette, int32_t level)
{
    if (level < 0) level = 0;
    if (level > 256) level = 256;
    for (int32_t i = 0; i < 256; ++i) {
        display_palette[i].red = static_cast<uint8_t>(palette[3 * i] * level >> 6);
        display_palette[i].green = static_cast<uint8_t>(palette[3 * i + 1] * level >> 6);
        display_palette[i].blue = static_cast<uint8_t>(palette[3 * i + 2] * level >> 6);
    }
    show_palette();
}

bool fades_here() { return screen.display_kind == 0; }
bool step_has_levels() { return fade_step >= 1 && fade_step <= 255; }

void fade_in(const uint8_t* target)
{
    if (step_has_levels())
        for (int32_t level = fade_step; level < 256; level += fade_step) show_at_level(target, level);
    show_at_level(target, 256);
}

void fade_out()
{
    read_palette_6bit(0, 256, saved_palette);
    if (step_has_levels())
        for (int32_t level = 256 - fade_step; level > 0; level -= fade_step) show_at_level(saved_palette, level);
    std::memset(saved_palette, 0, sizeof saved_palette);
    show_at_level(saved_palette, 0);
}

} // namespace

void set_palette_observer(void (*observer)(const PaletteEntry*)) { g_observer = observer; }

void copy_palette_entries(const uint8_t* source, int32_t first, int32_t count)
{
    int32_t skip = first < 0 ? -first : 0;
    if (!clamp_range(first, count)) return;
    std::memcpy(working_palette[first], source + 3 * skip, 3 * static_cast<size_t>(count));
}

void set_palette_6bit(const uint8_t* palette, int32_t first, int32_t count)
{
    if (!clamp_range(first, count)) return;
    for (int32_t i = first; i < first + count; ++i) {
        display_palette[i].red = static_cast<uint8_t>(palette[3 * i] * 4);
        display_palette[i].green = static_cast<uint8_t>(palette[3 * i + 1] * 4);
        display_palette[i].blue = static_cast<uint8_t>(palette[3 * i + 2] * 4);
    }
    show_palette();
}

void read_palette_6bit(int32_t first, int32_t count, uint8_t* out)
{
    if (!clamp_range(first, count)) return;
    for (int32_t i = first; i < first + count; ++i) {
        out[3 * i] = display_palette[i].red / 4;
        out[3 * i + 1] = display_palette[i].green / 4;
        out[3 * i + 2] = display_palette[i].blue / 4;
    }
}

void fade_palette(int32_t, int32_t, const uint8_t* target, int32_t step)
{
    fade_step = step;
    if (!fades_here()) return;
    if (target)
        fade_in(target);
    else
        fade_out();
}

void fade_in_palette(int32_t, int32_t, const uint8_t* target)
{
    if (fades_here()) fade_in(target);
}

void fade_out_palette(const uint8_t*)
{
    if (fades_here()) fade_out();
}

void fade_palette_to(int32_t, int32_t, const uint8_t* palette, int32_t level)
{
    if (palette) {
        if (fades_here()) fade_in(palette);
        return;
    }
    show_at_level(saved_palette, level);
}

void set_palette_level(int32_t, int32_t, const uint8_t* palette, int32_t level) { show_at_level(palette, level); }
