// Textured-quad fonts of the hardware path: a metrics file and its glyph
// page textures ("name_0.tga", "name_1.tga" ...). A string becomes one quad
// per glyph, gathered per page and drawn at the sprite flush; strings may
// also be queued whole and laid out only at the flush.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

constexpr int32_t HW_FONT_SLOTS = 15;
constexpr uint32_t HW_FONT_PAGE_GLYPHS = 500; // a page's glyph capacity unless given
constexpr int32_t HW_TEXT_QUEUE_SIZE = 100;
constexpr uint32_t HW_FONT_MAX_PAGES = 256; // a glyph names its page in one byte
constexpr uint32_t HW_FONT_HEADER_BYTES = 20;
constexpr uint32_t HW_GLYPH_BYTES = 22;

struct HwGlyph {
    float u_left, u_right, v_top, v_bottom;
    uint8_t page, width, height, advance;
    int8_t x_offset, y_offset;
    uint8_t usable; // 0 when its page is not one of the font's
};

struct HwFontMetrics {
    uint32_t glyph_count, page_count, line_height, space_width, first;
    std::vector<HwGlyph> glyphs;
};

// Reads a metrics file; false (and empty metrics) when it cannot be opened.
// One that is there but does not hold what its header says ends the game
// (fatal 202, naming the file and the fault).
bool read_hw_font_metrics(const char* name, HwFontMetrics* out);

// The slot, or -1 when all 15 hold fonts. page_capacity gives each page's
// glyph room (null: 500 each).
int32_t create_hw_font(const char* name, const uint32_t* page_capacity = nullptr);
int32_t free_hw_font(int32_t slot);
void free_all_hw_fonts();
void select_hw_font(int32_t slot);
int32_t current_hw_font();
bool hw_font_valid(int32_t slot);
int32_t hw_font_count();

// Pens are x, y (and z) in screen pixels; each call moves the pen on.
void draw_hw_text(std::string_view text, float pen[3]);
void draw_hw_text_font(std::string_view text, float pen[3], int32_t slot);
float draw_hw_text_at(std::string_view text, float point[2], int32_t slot);
float draw_hw_string(std::string_view text, float point[2], int32_t clip, int32_t slot);
// Glyph corners turned by a 3 x 3 matrix (row-major) about an origin. A
// clip window cuts glyphs that stay upright (a plain scale); turned ones
// are drawn whole.
void draw_hw_text_turned(std::string_view text, float pen[3], int32_t slot, const float origin[3],
                         const float matrix[9], int32_t clip = 0);

int32_t hw_char_width(int32_t character, int32_t slot);
int32_t hw_font_height(int32_t slot);
int32_t hw_text_width(std::string_view text, int32_t slot);
int32_t hw_text_height(std::string_view text, int32_t slot);
void set_hw_font_colour(int32_t slot, uint32_t argb);
uint32_t hw_font_colour(int32_t slot);
int32_t unload_hw_font_textures(int32_t slot);
int32_t get_hw_font_pages(int32_t slot, int32_t* page_count, const int32_t** textures);
const HwFontMetrics* hw_font_metrics(int32_t slot);
// Glyph quads waiting on one page of a font (vertex count).
uint32_t hw_font_page_vertices(int32_t slot, int32_t page);

void set_hw_text_queued(uint32_t on);
uint32_t get_hw_text_queued();
void set_hw_text_shaded(uint32_t on);
int32_t hw_text_queue_count();
void set_hw_text_filter(uint32_t on);
uint32_t get_hw_text_filter();
void set_hw_text_z_buffer(uint32_t on);
uint32_t get_hw_text_z_buffer();
void set_hw_text_alpha_blend(uint32_t on);
uint32_t get_hw_text_alpha_blend();
void draw_hw_text_queue();

void reset_hw_fonts();
