// Hardware fonts.
#include "gl3d/hw_fonts.h"

#include "gl3d/byte_io.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "gl3d/timer_pool.h"
#include "host/paths.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

struct FontPage {
    uint32_t capacity = 0;
    uint32_t vertex_count = 0, coord_count = 0, index_count = 0;
    std::vector<float> vertices, coords;
    std::vector<uint32_t> indices;
    std::vector<uint8_t> colours;
    int32_t texture = NO_TEXTURE;
};

struct LK_FONT_HW {
    std::vector<FontPage> pages;
    std::vector<int32_t> textures; // one per page, for callers
    HwFontMetrics metrics;
    uint32_t colour = 0xFFFFFFFF;
    float factors[3] = {1.0f, 1.0f, 1.0f};
};

struct Slot {
    LK_FONT_HW* font = nullptr;
    std::string name;
};

struct QueuedText {
    LK_FONT_HW* font;
    std::string text;
    float pen[3];
    int32_t clip;
    float origin[3];
    bool turned;
    float matrix[9];
};

Slot g_slots[HW_FONT_SLOTS];
int32_t g_count = 0;
int32_t g_current = -1;
QueuedText g_queue[HW_TEXT_QUEUE_SIZE];
int32_t g_queued = 0;
uint32_t g_queue_on = 0, g_shaded = 0;
uint32_t g_filter = 1, g_z_buffer = 0, g_alpha_blend = 1;

LK_FONT_HW* font_at(int32_t slot) { return slot >= 0 && slot < HW_FONT_SLOTS ? g_slots[slot].font : nullptr; }

void destroy_font(LK_FONT_HW* font)
{
    for (FontPage& page : font->pages) release_texture(page.texture, 1);
    font->~LK_FONT_HW();
    free_mem(font);
}

// One glyph's quad on its page; nothing when the page is full.
struct Corner {
    float x, y, z, u, v;
};

void append_quad(LK_FONT_HW* font, const HwGlyph& g, const Corner c[4])
{
    FontPage& page = font->pages[g.page];
    if (page.vertex_count / 4 >= page.capacity) return;
    const uint32_t b = page.vertex_count;
    for (int k = 0; k < 4; ++k) {
        float* v = &page.vertices[(b + k) * 3];
        v[0] = c[k].x, v[1] = c[k].y, v[2] = c[k].z;
        page.coords[(b + k) * 2] = c[k].u;
        page.coords[(b + k) * 2 + 1] = c[k].v;
        uint8_t* colour = &page.colours[(b + k) * 4];
        uint32_t argb = font->colour;
        if (!g_shaded) {
            colour[0] = static_cast<uint8_t>(argb >> 16), colour[1] = static_cast<uint8_t>(argb >> 8);
            colour[2] = static_cast<uint8_t>(argb), colour[3] = static_cast<uint8_t>(argb >> 24);
            continue;
        }
        const float hw = static_cast<float>(layer_screen_width() / 2), hh = static_cast<float>(layer_screen_height() / 2);
        float x = c[k].x < -hw ? -hw : (c[k].x > hw ? hw : c[k].x);
        float y = c[k].y < -hh ? -hh : (c[k].y > hh ? hh : c[k].y);
        float shade[3];
        quad_shade(ALL_QUADS, x, y, &shade[0], &shade[1], &shade[2]);
        for (int n = 0; n < 3; ++n) {
            float value = shade[n] * font->factors[n];
            colour[n] = static_cast<uint8_t>(value < 0.0f ? 0.0f : (value > 255.0f ? 255.0f : value));
        }
        colour[3] = static_cast<uint8_t>(argb >> 24);
    }
    uint32_t* index = &page.indices[page.index_count];
    index[0] = b, index[1] = b + 1, index[2] = b + 2, index[3] = b, index[4] = b + 2, index[5] = b + 3;
    page.vertex_count += 4;
    page.coord_count += 4;
    page.index_count += 6;
}

struct TextJob {
    LK_FONT_HW* font;
    float* pen;
    int32_t clip;
    const float* origin;
    const float* matrix;
};

void glyph_step(const TextJob& job, int8_t ch)
{
    LK_FONT_HW* font = job.font;
    const HwFontMetrics& m = font->metrics;
    const int32_t n = static_cast<int32_t>(ch) - static_cast<int32_t>(m.first);
    if (n < 0 || static_cast<uint32_t>(n) >= m.glyph_count) return;
    const HwGlyph& g = m.glyphs[static_cast<size_t>(n)];
    float left = job.pen[0] + g.x_offset, top = job.pen[1] + g.y_offset, z = job.pen[2];
    float right = left + g.width, bottom = top + g.height;
    job.pen[0] += g.advance;
    if (!g.usable) return;
    Corner c[4] = {{left, top, z, g.u_left, g.v_top},
                   {right, top, z, g.u_right, g.v_top},
                   {right, bottom, z, g.u_right, g.v_bottom},
                   {left, bottom, z, g.u_left, g.v_bottom}};
    const float* mx = job.matrix;
    if (mx) {
        for (Corner& k : c) {
            float d[3] = {k.x - job.origin[0], k.y - job.origin[1], k.z - job.origin[2]};
            k.x = mx[0] * d[0] + mx[1] * d[1] + mx[2] * d[2] + job.origin[0];
            k.y = mx[3] * d[0] + mx[4] * d[1] + mx[5] * d[2] + job.origin[1];
            k.z = mx[6] * d[0] + mx[7] * d[1] + mx[8] * d[2] + job.origin[2];
        }
    }
    // Only an upright glyph keeps the edges the window cuts along.
    const bool upright = !mx || (mx[1] == 0.0f && mx[3] == 0.0f && mx[0] > 0.0f && mx[4] > 0.0f);
    if (job.clip != 0 && upright) {
        float quad[4][4];
        for (int k = 0; k < 4; ++k) quad[k][0] = c[k].x, quad[k][1] = c[k].y, quad[k][2] = c[k].u, quad[k][3] = c[k].v;
        if (!clip_quad_to_window(quad, job.clip)) return;
        for (int k = 0; k < 4; ++k) c[k] = {quad[k][0], quad[k][1], z, quad[k][2], quad[k][3]};
    }
    append_quad(font, g, c);
}

// Lays a string out into its font's pages.
void lay_out(const TextJob& job, std::string_view text)
{
    if (!job.font) return;
    const float half_w = static_cast<float>(layer_screen_width() / 2), half_h = static_cast<float>(layer_screen_height() / 2);
    job.pen[0] -= half_w;
    job.pen[1] -= half_h;
    const float start_x = job.pen[0];
    const HwFontMetrics& m = job.font->metrics;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c == 0) break;
        switch (c) {
        case 1: ++i; break;
        case 2:
            if (i + 2 < text.size())
                job.pen[0] = start_x + static_cast<float>(static_cast<uint8_t>(text[i + 1]) | static_cast<uint8_t>(text[i + 2]) << 8);
            i += 2;
            break;
        case 3: i += 2; break;
        case 10:
            job.pen[0] = start_x;
            job.pen[1] += static_cast<float>(m.line_height);
            break;
        case 13: break;
        case ' ': job.pen[0] += static_cast<float>(m.space_width); break;
        default: glyph_step(job, static_cast<int8_t>(c)); break;
        }
    }
    job.pen[0] += half_w;
    job.pen[1] += half_h;
}

// The string as far as its terminator, with its control arguments.
std::string_view control_view(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] != 0) {
        uint8_t c = static_cast<uint8_t>(text[i]);
        i += c == 1 ? 2 : (c == 2 || c == 3) ? 3 : 1;
    }
    return text.substr(0, i < text.size() ? i : text.size());
}

void draw_text(LK_FONT_HW* font, std::string_view text, float* pen, int32_t clip, const float* origin, const float* matrix)
{
    if (!font || !text_sprite_queue_enabled()) return;
    if (g_queue_on) {
        if (g_queued >= HW_TEXT_QUEUE_SIZE) return;
        QueuedText& q = g_queue[g_queued++];
        q.font = font;
        q.text = std::string(control_view(text));
        std::memcpy(q.pen, pen, sizeof q.pen);
        q.clip = clip;
        for (int k = 0; k < 3; ++k) q.origin[k] = origin ? origin[k] : 0.0f;
        q.turned = matrix != nullptr;
        if (matrix) std::memcpy(q.matrix, matrix, sizeof q.matrix);
        return;
    }
    lay_out(TextJob{font, pen, clip, origin, matrix}, text);
}

void draw_pages(LK_FONT_HW* font)
{
    for (FontPage& page : font->pages) {
        if (page.index_count == 0) continue;
        bind_texture(page.texture);
        set_vertex_array(page.vertex_count, 1, page.vertices.data());
        set_texcoord_array(page.coord_count, 1, page.coords.data());
        set_colour_array(page.vertex_count, 1, page.colours.data());
        draw_vertex_arrays(static_cast<int32_t>(page.index_count), page.indices.data());
        page.vertex_count = page.coord_count = page.index_count = 0;
    }
}

} // namespace

bool read_hw_font_metrics(const char* name, HwFontMetrics* out)
{
    *out = HwFontMetrics{};
    if (!name) return false;
    std::FILE* f = std::fopen(host_data_file(name).c_str(), "rb");
    if (!f) return false;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    clear_byte_io_error();
    HwFontMetrics m;
    m.glyph_count = read_dword_le(f);
    m.page_count = read_dword_le(f);
    m.line_height = read_dword_le(f);
    m.space_width = read_dword_le(f);
    m.first = read_dword_le(f);
    const uint64_t room = size > static_cast<long>(HW_FONT_HEADER_BYTES) ? (uint64_t(size) - HW_FONT_HEADER_BYTES) / HW_GLYPH_BYTES : 0;
    // A font that is there but does not fit its header is refused, not drawn
    // as whatever its bytes happen to say. Glyphs are characters of one byte.
    std::string fault;
    if (byte_io_error()) fault = "the file is shorter than its header (" + std::to_string(HW_FONT_HEADER_BYTES) + " bytes)";
    else if (m.glyph_count > room)
        fault = "the header counts " + std::to_string(m.glyph_count) + " glyphs, the file holds " + std::to_string(room);
    else if (m.page_count > HW_FONT_MAX_PAGES)
        fault = "the header counts " + std::to_string(m.page_count) + " glyph pages, more than " + std::to_string(HW_FONT_MAX_PAGES);
    else if (m.first > 255 || m.first + m.glyph_count > 256)
        fault = "its glyphs from character " + std::to_string(m.first) + " on (" + std::to_string(m.glyph_count) +
                ") go past character 255";
    if (!fault.empty()) {
        std::fclose(f);
        refuse_data_file("create_hw_font", name, fault);
    }
    m.glyphs.resize(m.glyph_count);
    for (HwGlyph& g : m.glyphs) {
        g.u_left = read_float_le(f), g.u_right = read_float_le(f);
        g.v_top = read_float_le(f), g.v_bottom = read_float_le(f);
        g.page = read_byte(f), g.width = read_byte(f), g.height = read_byte(f), g.advance = read_byte(f);
        g.x_offset = static_cast<int8_t>(read_byte(f)), g.y_offset = static_cast<int8_t>(read_byte(f));
        g.usable = g.page < m.page_count;
    }
    std::fclose(f);
    if (byte_io_error()) refuse_data_file("create_hw_font", name, "the glyph records could not be read");
    *out = std::move(m);
    return true;
}

int32_t create_hw_font(const char* name, const uint32_t* page_capacity)
{
    if (!name) return -1;
    int32_t slot = -1;
    for (int32_t s = 0; s < HW_FONT_SLOTS; ++s)
        if (!g_slots[s].font) {
            slot = s;
            break;
        }
    if (slot < 0) return -1;
    const Slot* twin = nullptr;
    for (const Slot& s : g_slots)
        if (s.font && s.name == name) twin = &s;
    // A missing metrics file gives a font without glyphs; a damaged one ends
    // the game before anything is made.
    HwFontMetrics metrics;
    if (twin) metrics = twin->font->metrics;
    else read_hw_font_metrics(name, &metrics);
    void* memory = alloc_mem(sizeof(LK_FONT_HW), "LK_FONT_HW new");
    auto* font = new (memory) LK_FONT_HW;
    font->metrics = std::move(metrics);
    font->pages.resize(font->metrics.page_count);
    for (uint32_t p = 0; p < font->metrics.page_count; ++p) {
        FontPage& page = font->pages[p];
        page.capacity = page_capacity ? page_capacity[p] : HW_FONT_PAGE_GLYPHS;
        page.vertices.assign(size_t(page.capacity) * 4 * 3, 0.0f);
        page.coords.assign(size_t(page.capacity) * 4 * 2, 0.0f);
        page.indices.assign(size_t(page.capacity) * 6, 0);
        page.colours.assign(size_t(page.capacity) * 4 * 4, 255);
    }
    uint32_t bits = 0, alpha_mode = 0;
    get_texture_format(&bits, &alpha_mode);
    set_texture_format(16, 1);
    std::string stem = name;
    size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.resize(dot);
    for (uint32_t p = 0; p < font->metrics.page_count; ++p) {
        std::string page_name = stem + "_" + std::to_string(p) + ".tga";
        font->pages[p].texture = find_or_load_texture(page_name.c_str());
        font->textures.push_back(font->pages[p].texture);
    }
    set_texture_format(bits, alpha_mode);
    g_slots[slot].font = font;
    g_slots[slot].name = name;
    ++g_count;
    return slot;
}

int32_t free_hw_font(int32_t slot)
{
    LK_FONT_HW* font = font_at(slot);
    if (!font) return g_count;
    destroy_font(font);
    for (int32_t i = 0; i < g_queued; ++i)
        if (g_queue[i].font == font) g_queue[i].font = nullptr;
    g_slots[slot].font = nullptr;
    g_slots[slot].name.clear();
    if (g_current == slot) g_current = -1;
    return --g_count;
}

void free_all_hw_fonts()
{
    for (int32_t s = 0; s < HW_FONT_SLOTS; ++s) free_hw_font(s);
}

void select_hw_font(int32_t slot)
{
    if (font_at(slot)) g_current = slot;
}

int32_t current_hw_font() { return g_current; }
bool hw_font_valid(int32_t slot) { return font_at(slot) != nullptr; }
int32_t hw_font_count() { return g_count; }

void draw_hw_text(std::string_view text, float pen[3]) { draw_text(font_at(g_current), text, pen, 0, nullptr, nullptr); }

void draw_hw_text_font(std::string_view text, float pen[3], int32_t slot)
{
    draw_text(font_at(slot), text, pen, 0, nullptr, nullptr);
}

float draw_hw_text_at(std::string_view text, float point[2], int32_t slot)
{
    float pen[3] = {point[0], point[1], 0.0f};
    draw_text(font_at(slot), text, pen, 0, nullptr, nullptr);
    point[0] = pen[0], point[1] = pen[1];
    return pen[1];
}

float draw_hw_string(std::string_view text, float point[2], int32_t clip, int32_t slot)
{
    float pen[3] = {point[0], point[1], 0.0f};
    draw_text(font_at(slot), text, pen, clip, nullptr, nullptr);
    point[0] = pen[0], point[1] = pen[1];
    return pen[0];
}

void draw_hw_text_turned(std::string_view text, float pen[3], int32_t slot, const float origin[3], const float matrix[9],
                         int32_t clip)
{
    draw_text(font_at(slot), text, pen, clip, origin, matrix);
}

int32_t hw_char_width(int32_t character, int32_t slot)
{
    LK_FONT_HW* font = font_at(slot);
    if (!font) return 0;
    const HwFontMetrics& m = font->metrics;
    if (character == ' ') return static_cast<int32_t>(m.space_width);
    int32_t n = character - static_cast<int32_t>(m.first);
    if (n < 0 || static_cast<uint32_t>(n) >= m.glyph_count) return 0;
    return m.glyphs[static_cast<size_t>(n)].advance;
}

int32_t hw_font_height(int32_t slot)
{
    LK_FONT_HW* font = font_at(slot);
    return font ? static_cast<int32_t>(font->metrics.line_height) : 0;
}

int32_t hw_text_width(std::string_view text, int32_t slot)
{
    if (!font_at(slot)) return 0;
    int32_t widest = 0, line = 0;
    for (size_t i = 0; i < text.size() && text[i] != 0; ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c == 10 || c == 13) {
            if (i + 1 < text.size() && static_cast<uint8_t>(text[i + 1]) == (c == 10 ? 13 : 10)) ++i;
            line = 0;
            continue;
        }
        if (c < 32 || c >= 128) continue;
        line += hw_char_width(c, slot);
        if (line > widest) widest = line;
    }
    return widest;
}

int32_t hw_text_height(std::string_view text, int32_t slot)
{
    int32_t lines = 1;
    for (size_t i = 0; i < text.size() && text[i] != 0; ++i)
        if (text[i] == 10) ++lines;
    return hw_font_height(slot) * lines;
}

void set_hw_font_colour(int32_t slot, uint32_t argb)
{
    LK_FONT_HW* font = font_at(slot);
    if (!font) return;
    font->colour = argb;
    font->factors[0] = static_cast<float>((argb >> 16) & 0xFF) * 0.003921569f;
    font->factors[1] = static_cast<float>((argb >> 8) & 0xFF) * 0.003921569f;
    font->factors[2] = static_cast<float>(argb & 0xFF) * 0.003921569f;
}

uint32_t hw_font_colour(int32_t slot)
{
    LK_FONT_HW* font = font_at(slot);
    return font ? font->colour : 0;
}

int32_t unload_hw_font_textures(int32_t slot)
{
    if (LK_FONT_HW* font = font_at(slot))
        for (FontPage& page : font->pages) release_texture(page.texture, 0);
    return 1;
}

int32_t get_hw_font_pages(int32_t slot, int32_t* page_count, const int32_t** textures)
{
    LK_FONT_HW* font = font_at(slot);
    if (page_count) *page_count = font ? static_cast<int32_t>(font->pages.size()) : 0;
    if (textures) *textures = font ? font->textures.data() : nullptr;
    return 1;
}

const HwFontMetrics* hw_font_metrics(int32_t slot)
{
    LK_FONT_HW* font = font_at(slot);
    return font ? &font->metrics : nullptr;
}

uint32_t hw_font_page_vertices(int32_t slot, int32_t page)
{
    LK_FONT_HW* font = font_at(slot);
    if (!font || page < 0 || static_cast<size_t>(page) >= font->pages.size()) return 0;
    return font->pages[static_cast<size_t>(page)].vertex_count;
}

void set_hw_text_queued(uint32_t on) { g_queue_on = on; }
uint32_t get_hw_text_queued() { return g_queue_on; }
void set_hw_text_shaded(uint32_t on) { g_shaded = on; }
int32_t hw_text_queue_count() { return g_queued; }
void set_hw_text_filter(uint32_t on) { g_filter = on; }
uint32_t get_hw_text_filter() { return g_filter; }
void set_hw_text_z_buffer(uint32_t on) { g_z_buffer = on; }
uint32_t get_hw_text_z_buffer() { return g_z_buffer; }
void set_hw_text_alpha_blend(uint32_t on) { g_alpha_blend = on; }
uint32_t get_hw_text_alpha_blend() { return g_alpha_blend; }

void draw_hw_text_queue()
{
    const uint32_t filter = get_bilinear_filter(), z = get_z_buffer(), alpha = get_alpha_blend(),
                   option = get_render_option();
    set_bilinear_filter(g_filter);
    set_z_buffer(g_z_buffer);
    set_alpha_blend(g_alpha_blend);
    set_render_option(0);
    if (!g_queue_on) {
        for (Slot& s : g_slots)
            if (s.font) draw_pages(s.font);
    } else {
        g_queue_on = 0;
        for (int32_t i = 0; i < g_queued; ++i) {
            QueuedText& q = g_queue[i];
            if (q.font) {
                lay_out(TextJob{q.font, q.pen, q.clip, q.origin, q.turned ? q.matrix : nullptr}, q.text);
                draw_pages(q.font);
            }
            q.text.clear();
        }
        g_queued = 0;
        g_queue_on = 1;
    }
    set_bilinear_filter(filter);
    set_z_buffer(z);
    set_alpha_blend(alpha);
    set_render_option(option);
}

void reset_hw_fonts()
{
    free_all_hw_fonts();
    g_count = 0;
    g_current = -1;
    g_queued = 0;
    g_queue_on = 0;
    g_shaded = 0;
    g_filter = 1, g_z_buffer = 0, g_alpha_blend = 1;
}
