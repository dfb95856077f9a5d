// Sprite queue and per-frame flush.
#include "gl3d/sprite_queue.h"
#include "host/picture.h"

#include "gl3d/display_device.h"
#include "gl3d/group_tables.h"
#include "gl3d/hw_camera.h"
#include "gl3d/hw_fonts.h"
#include "gl3d/sprite_sets.h"
#include "platform/fatal_error.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

uint32_t sprite_hardware_switch = 0;

namespace {

struct SpriteRecord {
    bool callback;
    const void* sprite;
    SpriteCallback function;
    intptr_t parameter;
    int16_t x, y, depth;
    uint8_t flags;
    uint16_t scale;
    uint8_t clip, extra;
    float value;
};

struct TextBlock {
    void* surface;
    int16_t x, y, width, height;
    uint8_t flag, clip;
};

// A queue kept in three buffers that take turns: this frame's, last
// frame's and the one two frames ago.
template <int Capacity> struct RotatingQueue {
    SpriteRecord buffers[3][Capacity];
    int32_t counts[3] = {0, 0, 0};
    int32_t current = 0;
    void push(const SpriteRecord& r, int32_t fatal)
    {
        buffers[current][counts[current]++] = r;
        // The record that reaches the end marker is one too many.
        if (counts[current] >= Capacity) fatal_error(fatal);
    }
    void rotate()
    {
        current = (current + 1) % 3;
        counts[current] = 0;
    }
    void reset()
    {
        counts[0] = counts[1] = counts[2] = 0;
        current = 0;
    }
    SpriteRecord* begin() { return buffers[current]; }
    int32_t size() const { return counts[current]; }
    // The buffer drawn two frames ago: the next to be filled.
    SpriteRecord* begin_two_ago() { return buffers[(current + 1) % 3]; }
    int32_t size_two_ago() const { return counts[(current + 1) % 3]; }
};

RotatingQueue<SPRITE_QUEUE_SIZE> g_sprites;
RotatingQueue<OVERLAY_QUEUE_SIZE> g_overlay;
RotatingQueue<TEXT_SPRITE_QUEUE_SIZE> g_text_sprites;
TextBlock g_blocks[2][TEXT_BLOCK_QUEUE_SIZE];
int32_t g_block_counts[2] = {0, 0};
uint32_t g_sprites_enabled = 1, g_text_enabled = 1;
bool g_in_overlay = false;

ClipWindowReader g_clip_reader = nullptr;
const SoftwareScreenAccess* g_screen_access = nullptr;
const uint8_t* g_alpha_table = nullptr;

// Set bits of each byte, and each byte with its bits reversed (the masks of
// a mirrored sprite as the unmirrored layout sees them).
constexpr std::array<uint8_t, 256> make_byte_table(bool reversed)
{
    std::array<uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v) {
        int bits = 0, flipped = 0;
        for (int b = 0; b < 8; ++b) {
            bits += (v >> b) & 1;
            flipped |= ((v >> b) & 1) << (7 - b);
        }
        t[v] = static_cast<uint8_t>(reversed ? flipped : bits);
    }
    return t;
}
constexpr std::array<uint8_t, 256> g_bit_counts = make_byte_table(false);
constexpr std::array<uint8_t, 256> g_reversed = make_byte_table(true);

void push_sprite(SpriteRecord r, uint16_t flags)
{
    if (r.depth == DEPTH_DRAWN) r.depth = DEPTH_DRAWN - 1;
    r.flags = static_cast<uint8_t>(flags);
    if (flags & SPRITE_TO_OVERLAY) g_overlay.push(r, FATAL_SPRITE_QUEUE_FULL);
    else g_sprites.push(r, FATAL_SPRITE_QUEUE_FULL);
}

SpriteRecord sprite_record(const void* sprite, int16_t x, int16_t y, int16_t depth, uint16_t scale, uint8_t clip,
                           uint8_t extra, float value)
{
    return SpriteRecord{false, sprite, nullptr, 0, x, y, depth, 0, scale, clip, extra, value};
}

void push_block(int32_t queue, const TextBlock& b)
{
    g_blocks[queue][g_block_counts[queue]++] = b;
    if (g_block_counts[queue] >= TEXT_BLOCK_QUEUE_SIZE) fatal_error(FATAL_TEXT_BLOCK_QUEUE_FULL);
}

void enter_overlay()
{
    if (g_in_overlay) return;
    begin_2d_overlay();
    g_in_overlay = true;
}

void leave_overlay()
{
    if (!g_in_overlay) return;
    end_2d_overlay();
    g_in_overlay = false;
}

// Takes the records lowest depth first (equal depths in queue order),
// marking each drawn.
template <class Draw> void each_by_depth(SpriteRecord* records, int32_t count, Draw draw)
{
    for (;;) {
        SpriteRecord* next = nullptr;
        for (int32_t i = 0; i < count; ++i)
            if (records[i].depth != DEPTH_DRAWN && (!next || records[i].depth < next->depth)) next = &records[i];
        if (!next) return;
        next->depth = DEPTH_DRAWN;
        draw(*next);
    }
}

void draw_hardware(SpriteRecord* records, int32_t count)
{
    each_by_depth(records, count, [](const SpriteRecord& r) {
        if (r.callback) {
            if (r.function) r.function(r.parameter, r.x, r.y, r.value);
            return;
        }
        draw_hw_sprite(static_cast<const hw_sprite_frame*>(r.sprite), r.x, r.y, r.scale, r.flags, r.clip, r.value, r.extra);
    });
}

void draw_software(SpriteRecord* records, int32_t count, const SoftwareScreen& screen)
{
    each_by_depth(records, count, [&](const SpriteRecord& r) {
        if (r.callback) {
            if (r.function) r.function(r.parameter, r.x, r.y, r.value);
            return;
        }
        ClipRect clip;
        if (!r.sprite || !read_clip_rect(r.clip, &clip)) return;
        draw_sprite_clipped(static_cast<const uint8_t*>(r.sprite), r.x, r.y, r.flags, r.scale, clip, screen);
    });
}

// Puts the background back wherever these records drew.
void restore_under(const SpriteRecord* records, int32_t count, const SoftwareScreen& screen)
{
    for (int32_t i = 0; i < count; ++i) {
        const SpriteRecord& r = records[i];
        ClipRect clip;
        if (r.callback || !r.sprite || !read_clip_rect(r.clip, &clip)) continue;
        restore_sprite_background(static_cast<const uint8_t*>(r.sprite), r.x, r.y, r.flags, r.scale, clip, screen);
    }
}

void blit_blocks(int32_t queue)
{
    if (!g_screen_access->blit_text_block) return;
    for (int32_t i = 0; i < g_block_counts[queue]; ++i) {
        const TextBlock& b = g_blocks[queue][i];
        g_screen_access->blit_text_block(b.surface, b.x, b.y, b.width, b.height, b.clip);
    }
}

bool lock_screen(SoftwareScreen* screen)
{
    return g_screen_access && g_screen_access->lock && g_screen_access->lock(screen);
}

void unlock_screen()
{
    if (g_screen_access->unlock) g_screen_access->unlock();
}

void rotate_queues()
{
    g_sprites.rotate();
    g_overlay.rotate();
    g_text_sprites.rotate();
    g_block_counts[0] = g_block_counts[1] = 0;
}

bool long_header(const uint8_t* s) { return (s[0] & 0x80) != 0; }
void build_clip_code_rows(int32_t width);
int16_t le16(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }

} // namespace

void queue_sprite(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale, uint8_t clip)
{
    push_sprite(sprite_record(sprite, x, y, depth, scale, clip, 255, 0.0f), flags);
}

void queue_sprite_ex(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale,
                     uint8_t clip, uint8_t extra)
{
    push_sprite(sprite_record(sprite, x, y, depth, scale, clip, extra, 0.0f), flags);
}

void queue_sprite_f(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale,
                    uint8_t clip, float value)
{
    push_sprite(sprite_record(sprite, x, y, depth, scale, clip, 255, value), flags);
}

void queue_sprite_callback(SpriteCallback function, intptr_t parameter, int16_t x, int16_t y, uint16_t flags,
                           int16_t depth, float value)
{
    SpriteRecord r{true, nullptr, function, parameter, x, y, depth, 0, SPRITE_NATURAL_SCALE, 0, 255, value};
    push_sprite(r, flags);
}

void queue_text_sprite(const void* sprite, int16_t x, int16_t y, uint16_t scale, uint8_t clip)
{
    g_text_sprites.push(sprite_record(sprite, x, y, 0, scale, clip, 255, 0.0f), FATAL_TEXT_SPRITE_QUEUE_FULL);
}

void queue_text_block(void* surface, int16_t x, int16_t y, int16_t width, int16_t height, uint8_t flag, uint8_t clip)
{
    push_block(0, TextBlock{surface, x, y, width, height, flag, clip});
}

void queue_text_block_second(void* surface, int16_t x, int16_t y, int16_t width, int16_t height, uint8_t flag,
                             uint8_t clip)
{
    push_block(1, TextBlock{surface, x, y, width, height, flag, clip});
}

void queue_sprite_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale,
                             uint8_t clip)
{
    if (g_sprites_enabled) queue_sprite(sprite, x, y, flags, depth, scale, clip);
}

void queue_sprite_ex_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth,
                                uint16_t scale, uint8_t clip, uint8_t extra)
{
    if (g_sprites_enabled) queue_sprite_ex(sprite, x, y, flags, depth, scale, clip, extra);
}

void queue_sprite_f_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth,
                               uint16_t scale, uint8_t clip, float value)
{
    if (g_sprites_enabled) queue_sprite_f(sprite, x, y, flags, depth, scale, clip, value);
}

void queue_text_sprite_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t scale, uint8_t clip)
{
    if (g_text_enabled) queue_text_sprite(sprite, x, y, scale, clip);
}

void enable_sprite_queue() { g_sprites_enabled = 1; }
void disable_sprite_queue() { g_sprites_enabled = 0; }
void enable_text_sprite_queue() { g_text_enabled = 1; }
void disable_text_sprite_queue() { g_text_enabled = 0; }
uint32_t sprite_queue_enabled() { return g_sprites_enabled; }
uint32_t text_sprite_queue_enabled() { return g_text_enabled; }

void flush_sprites()
{
    if (sprite_hardware_switch) {
        const bool overlay = get_sprite_option() != 0;
        if (overlay) enter_overlay();
        draw_hardware(g_overlay.begin(), g_overlay.size());
        // Glyph quads are in screen units whether they were queued as whole
        // strings or laid out at once: they are drawn in the overlay
        // projection either way (left, the picture's own projection would
        // put them somewhere on the ground).
        enter_overlay();
        draw_hw_text_queue();
        if (overlay) enter_overlay();
        else leave_overlay();
        draw_hardware(g_sprites.begin(), g_sprites.size());
        // The sprite sets draw each sprite at once: nothing is left to flush.
        rotate_queues();
        leave_overlay();
        return;
    }
    // The screen being drawn showed the frame of two flips ago: its sprites
    // come off first, then this frame's go on.
    SoftwareScreen screen{};
    if (lock_screen(&screen)) {
        restore_under(g_sprites.begin_two_ago(), g_sprites.size_two_ago(), screen);
        restore_under(g_text_sprites.begin_two_ago(), g_text_sprites.size_two_ago(), screen);
        unlock_screen();
        blit_blocks(1);
    }
    if (lock_screen(&screen)) {
        restore_under(g_overlay.begin_two_ago(), g_overlay.size_two_ago(), screen);
        draw_software(g_overlay.begin(), g_overlay.size(), screen);
        unlock_screen();
        blit_blocks(0);
    }
    if (lock_screen(&screen)) {
        draw_software(g_text_sprites.begin(), g_text_sprites.size(), screen);
        draw_software(g_sprites.begin(), g_sprites.size(), screen);
        unlock_screen();
    }
    rotate_queues();
}

void reset_sprite_queues()
{
    g_sprites.reset();
    g_overlay.reset();
    g_text_sprites.reset();
    g_block_counts[0] = g_block_counts[1] = 0;
    set_sprite_background(nullptr, 0);
}

void init_sprite_engine()
{
    build_clip_code_rows(layer_screen_width());
    reset_sprite_queues();
    g_sprites_enabled = g_text_enabled = 1;
    if (g_in_overlay) leave_overlay();
}

int32_t queued_sprites() { return g_sprites.size(); }
int32_t queued_overlay_sprites() { return g_overlay.size(); }
int32_t queued_text_sprites() { return g_text_sprites.size(); }
int32_t queued_text_blocks(int32_t queue) { return queue == 0 || queue == 1 ? g_block_counts[queue] : 0; }

int32_t sprite_width(const void* sprite)
{
    if (!sprite) return 0;
    if (sprite_hardware_switch) return static_cast<const hw_sprite_frame*>(sprite)->width;
    const uint8_t* s = static_cast<const uint8_t*>(sprite);
    return long_header(s) ? static_cast<uint16_t>(le16(s + 7)) : s[4];
}

int32_t sprite_height(const void* sprite)
{
    if (!sprite) return 0;
    if (sprite_hardware_switch) return static_cast<const hw_sprite_frame*>(sprite)->height;
    const uint8_t* s = static_cast<const uint8_t*>(sprite);
    return long_header(s) ? static_cast<uint16_t>(le16(s + 1)) : s[1];
}

int32_t sprite_x_offset(const void* sprite)
{
    if (!sprite) return 0;
    if (sprite_hardware_switch) return static_cast<const hw_sprite_frame*>(sprite)->x_offset;
    const uint8_t* s = static_cast<const uint8_t*>(sprite);
    return long_header(s) ? -le16(s + 3) : static_cast<int8_t>(s[2]);
}

int32_t sprite_y_offset(const void* sprite)
{
    if (!sprite) return 0;
    if (sprite_hardware_switch) return static_cast<const hw_sprite_frame*>(sprite)->y_offset;
    const uint8_t* s = static_cast<const uint8_t*>(sprite);
    return long_header(s) ? -le16(s + 5) : static_cast<int8_t>(s[3]);
}

void set_clip_window_reader(ClipWindowReader reader) { g_clip_reader = reader; }

bool read_clip_rect(int32_t window, ClipRect* out)
{
    if (g_clip_reader) return g_clip_reader(window, out);
    // Without the 2D screen every window is the whole screen.
    *out = ClipRect{0, 0, layer_screen_width(), layer_screen_height()};
    return window >= 0;
}

bool clip_quad_to_window(float quad[4][4], int32_t window)
{
    ClipRect r;
    if (!read_clip_rect(window, &r)) return false;
    const float hw = static_cast<float>(layer_screen_width() / 2), hh = static_cast<float>(layer_screen_height() / 2);
    const float left = r.left - hw, top = r.top - hh, right = r.right - hw, bottom = r.bottom - hh;
    float x0 = quad[0][0], x1 = quad[1][0], y0 = quad[0][1], y1 = quad[3][1];
    float u0 = quad[0][2], u1 = quad[1][2], v0 = quad[0][3], v1 = quad[3][3];
    if (x1 <= left || x0 >= right || y1 <= top || y0 >= bottom) return false;
    auto cut = [](float& a, float& ta, float b, float tb, float at) {
        if (b != a) ta = ta + (tb - ta) * (at - a) / (b - a);
        a = at;
    };
    if (x0 < left) cut(x0, u0, x1, u1, left);
    if (x1 > right) cut(x1, u1, x0, u0, right);
    if (y0 < top) cut(y0, v0, y1, v1, top);
    if (y1 > bottom) cut(y1, v1, y0, v0, bottom);
    const float cut_quad[4][4] = {{x0, y0, u0, v0}, {x1, y0, u1, v0}, {x1, y1, u1, v1}, {x0, y1, u0, v1}};
    std::memcpy(quad, cut_quad, sizeof cut_quad);
    return true;
}

void set_software_screen_access(const SoftwareScreenAccess* access) { g_screen_access = access; }
void set_sprite_alpha_table(const uint8_t* table) { g_alpha_table = table; }

uint32_t software_sprite_size(const uint8_t* sprite, uint32_t available)
{
    if (!sprite || available < 5) return 0;
    const bool is_long = long_header(sprite);
    const uint32_t header = is_long ? 9 : 5;
    if (available < header) return 0;
    const uint32_t groups = sprite[0] & 0x7F;
    const uint32_t rows = is_long ? static_cast<uint16_t>(le16(sprite + 1)) : sprite[1];
    uint32_t at = header;
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t g = 0; g < groups; ++g) {
            if (at >= available) return 0;
            at += 1 + g_bit_counts[sprite[at]];
            if (at > available) return 0;
        }
    return at;
}

namespace {

// --- The software sprite engine. Each sprite row is a run of 8-pixel
// groups; every group is drawn by one straight-line handler of a group
// table, the entry chosen by the group's mask and by its cell's clip code. ---

struct SpriteHeader {
    int32_t groups, height, x_offset, y_offset, width; // the offsets as stored, for both header kinds
    const uint8_t* rows;
};

SpriteHeader read_header(const uint8_t* s)
{
    if (long_header(s))
        return {s[0] & 0x7F, static_cast<uint16_t>(le16(s + 1)), le16(s + 3), le16(s + 5),
                static_cast<uint16_t>(le16(s + 7)), s + 9};
    return {s[0], s[1], static_cast<int8_t>(s[2]), static_cast<int8_t>(s[3]), s[4], s + 5};
}

// The clip codes of the cells: eight rows, one for each column alignment,
// built for the screen width in use. Position p of the row for alignment a
// is the cell whose leftmost column is a + 8 (p - CLIP_CODE_BIAS); every
// cell beyond the rows is wholly off the screen.
constexpr int32_t CLIP_CODE_BIAS = 32, CLIP_CODE_POSITIONS = 256;
uint8_t g_clip_codes[8][CLIP_CODE_POSITIONS];
int32_t g_clip_codes_width = -1;

void build_clip_code_rows(int32_t width)
{
    for (int32_t a = 0; a < 8; ++a)
        for (int32_t p = 0; p < CLIP_CODE_POSITIONS; ++p) {
            const int32_t x = a + 8 * (p - CLIP_CODE_BIAS);
            uint8_t code = 0;
            if (x + 8 <= 0 || x >= width) code = 8;
            else if (x < 0) code = static_cast<uint8_t>(16 + x);
            else if (x + 8 > width) code = static_cast<uint8_t>(x + 8 - width);
            g_clip_codes[a][p] = code;
        }
    g_clip_codes_width = width;
}

// The clip codes of a row of cells whose first cell starts at column x.
struct CellCodes {
    const uint8_t* row;
    int32_t first;
    uint8_t operator[](int32_t cell) const
    {
        const int32_t p = first + cell;
        return p >= 0 && p < CLIP_CODE_POSITIONS ? row[p] : 8;
    }
};

CellCodes cell_codes(int32_t x)
{
    return CellCodes{g_clip_codes[x & 7], (x >> 3) + CLIP_CODE_BIAS};
}

// The unmirrored and mirrored tables a draw goes through: the palette
// shift flag takes the shifted pair.
struct GroupTablePair {
    const group_table* unmirrored;
    const group_table* mirrored;
};

GroupTablePair group_tables_for(uint16_t flags)
{
    if (flags & SPRITE_SHIFTED_TABLES) return {&group_shifted_table, &group_mirror_shifted_table};
    return {&group_copy_table, &group_mirror_table};
}

const uint8_t* skip_rows(const uint8_t* p, int32_t groups, int32_t rows)
{
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t g = 0; g < groups; ++g) p += 1 + g_bit_counts[*p];
    return p;
}

// The screen rows [first, end) a sprite whose picture starts at column left,
// row top keeps in the window, or false when it lies wholly outside.
bool kept_rows(const SpriteHeader& h, int32_t left, int32_t top, const ClipRect& window,
               const SoftwareScreen& screen, int32_t* first, int32_t* end)
{
    if (left >= window.right || left + h.width <= window.left || top >= window.bottom || top + h.height <= window.top)
        return false;
    *first = std::max({top, window.top, 0});
    *end = std::min({top + h.height, window.bottom, screen.height});
    return *first < *end;
}

uint8_t* screen_at(const SoftwareScreen& screen, int32_t row, int32_t column)
{
    return screen.pixels + static_cast<ptrdiff_t>(row) * screen.pitch + column;
}

// A copy of a sprite at another scale in the scratch image: scale 256 is
// natural size, below it larger, above it smaller; the hot spot scales too.
// nullptr when nothing of it is left, or it outgrows the sprite format.
std::vector<uint8_t> g_scaled_sprite;

const uint8_t* rescale_sprite(const uint8_t* sprite, uint16_t scale)
{
    const SpriteHeader h = read_header(sprite);
    const int32_t columns = h.groups * 8;
    const int32_t natural_w = std::min(h.width, columns);
    std::vector<int16_t> pixels(static_cast<size_t>(columns) * h.height, -1);
    const uint8_t* p = h.rows;
    for (int32_t r = 0; r < h.height; ++r)
        for (int32_t g = 0; g < h.groups; ++g) {
            const uint8_t mask = *p++;
            for (int b = 0; b < 8; ++b)
                if (mask & (0x80 >> b)) pixels[static_cast<size_t>(r) * columns + g * 8 + b] = *p++;
        }
    const int32_t w = natural_w * 256 / scale, rows = h.height * 256 / scale;
    const int32_t x_offset = h.x_offset * 256 / scale, y_offset = h.y_offset * 256 / scale;
    const int32_t groups = (w + 7) / 8;
    if (w <= 0 || rows <= 0 || groups > 127 || rows > 0xFFFF || w > 0xFFFF || x_offset < -0x8000 ||
        x_offset > 0x7FFF || y_offset < -0x8000 || y_offset > 0x7FFF)
        return nullptr;
    std::vector<uint8_t>& out = g_scaled_sprite;
    out.clear();
    auto u16 = [&](int32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    if (rows > 255 || w > 255 || x_offset < -128 || x_offset > 127 || y_offset < -128 || y_offset > 127) {
        out.push_back(static_cast<uint8_t>(0x80 | groups));
        u16(rows), u16(x_offset), u16(y_offset), u16(w);
    } else {
        out.insert(out.end(), {static_cast<uint8_t>(groups), static_cast<uint8_t>(rows), static_cast<uint8_t>(x_offset),
                               static_cast<uint8_t>(y_offset), static_cast<uint8_t>(w)});
    }
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t g = 0; g < groups; ++g) {
            const size_t at = out.size();
            out.push_back(0);
            for (int b = 0; b < 8 && g * 8 + b < w; ++b) {
                const int32_t column = (g * 8 + b) * scale / 256, row = r * scale / 256;
                const int16_t v = pixels[static_cast<size_t>(row) * columns + column];
                if (v < 0) continue;
                out[at] |= static_cast<uint8_t>(0x80 >> b);
                out.push_back(static_cast<uint8_t>(v));
            }
        }
    return out.data();
}

// Translucent rows write the alpha table's mix of sprite and screen; the
// columns off the screen are passed over.
const uint8_t* blend_sprite_row(const uint8_t* source, int32_t groups, uint8_t* row, int32_t left, int32_t width)
{
    for (int32_t g = 0; g < groups; ++g) {
        const uint8_t mask = *source++;
        for (int b = 0; b < 8; ++b) {
            if (!(mask & (0x80 >> b))) continue;
            const uint8_t v = *source++;
            const int32_t column = left + g * 8 + b;
            if (column >= 0 && column < width) row[column] = g_alpha_table[v * 256 + row[column]];
        }
    }
    return source;
}

// Image column i of a mirrored sprite lands at x + x offset - 1 - i; its
// groups are placed from the right, each handler leaving the destination
// where it found it.
void draw_mirrored(const SpriteHeader& h, int32_t x, int32_t y, const ClipRect& clip, const group_table& table,
                   const SoftwareScreen& screen)
{
    const int32_t right = x + h.x_offset, top = y - h.y_offset;
    int32_t first, end;
    if (!kept_rows(h, right - h.width, top, clip, screen, &first, &end)) return;
    const uint8_t* source = skip_rows(h.rows, h.groups, first - top);
    const CellCodes codes = cell_codes(right - 8);
    for (int32_t row = first; row < end; ++row) {
        uint8_t* destination = screen_at(screen, row, right);
        for (int32_t g = 0; g < h.groups; ++g) {
            destination -= 8;
            const uint8_t mask = *source++;
            table[codes[-g] * 256 + mask](source, destination);
        }
    }
}

const uint8_t* g_background = nullptr;
int32_t g_background_pitch = 0;

// Puts the background back under one sprite, cell by cell through the
// restore table; a mirrored sprite's masks are read reversed, its cells from
// the right.
void restore_cells(const SpriteHeader& h, int32_t left, int32_t top, bool mirrored, const ClipRect& clip,
                   const SoftwareScreen& screen)
{
    int32_t first, end;
    if (!kept_rows(h, mirrored ? left - h.width : left, top, clip, screen, &first, &end)) return;
    const uint8_t* sprite = skip_rows(h.rows, h.groups, first - top);
    const int32_t start = mirrored ? left - 8 : left;
    const CellCodes codes = cell_codes(start);
    const ptrdiff_t step = mirrored ? -16 : 0;
    for (int32_t row = first; row < end; ++row) {
        uint8_t* destination = screen_at(screen, row, start);
        const uint8_t* source = g_background + static_cast<ptrdiff_t>(row) * g_background_pitch + start;
        for (int32_t g = 0; g < h.groups; ++g) {
            const uint8_t mask = *sprite++;
            sprite += g_bit_counts[mask];
            const int32_t code = codes[mirrored ? -g : g];
            group_restore_table[code * 256 + (mirrored ? g_reversed[mask] : mask)](source, destination);
            source += step, destination += step;
        }
    }
}

} // namespace

void draw_sprite_clipped(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint16_t scale,
                         const ClipRect& clip, const SoftwareScreen& screen)
{
    if (!sprite || scale == 0 || !screen.pixels || screen.width < 8) return;
    if (scale != SPRITE_NATURAL_SCALE && !(sprite = rescale_sprite(sprite, scale))) return;
    if (g_clip_codes_width != screen.width) build_clip_code_rows(screen.width);
    const SpriteHeader h = read_header(sprite);
    const GroupTablePair tables = group_tables_for(flags);
    // The mirror flag is looked at before any other.
    if (flags & SPRITE_MIRRORED) return draw_mirrored(h, x, y, clip, *tables.mirrored, screen);
    // Unclipped, the window is not looked at; the screen's edges still cut
    // the sprite, so that no byte outside it is written.
    const bool unclipped = (flags & SPRITE_UNCLIPPED) != 0;
    const ClipRect window = unclipped ? ClipRect{0, 0, screen.width, screen.height} : clip;
    const int32_t left = x - h.x_offset, top = y - h.y_offset;
    int32_t first, end;
    if (!kept_rows(h, left, top, window, screen, &first, &end)) return;
    const uint8_t* source = skip_rows(h.rows, h.groups, first - top);
    if (unclipped && (flags & SPRITE_BLEND) && g_alpha_table) {
        for (int32_t row = first; row < end; ++row)
            source = blend_sprite_row(source, h.groups, screen_at(screen, row, 0), left, screen.width);
        return;
    }
    const group_table& table = *tables.unmirrored;
    const CellCodes codes = cell_codes(left);
    for (int32_t row = first; row < end; ++row) {
        uint8_t* destination = screen_at(screen, row, left);
        for (int32_t g = 0; g < h.groups; ++g) {
            const uint8_t mask = *source++;
            table[codes[g] * 256 + mask](source, destination);
        }
    }
}

void draw_sprite_now(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint8_t clip_window)
{
    SoftwareScreen screen{};
    ClipRect clip;
    if (!sprite || !read_clip_rect(clip_window, &clip) || !lock_screen(&screen)) return;
    draw_sprite_clipped(sprite, x, y, flags, SPRITE_NATURAL_SCALE, clip, screen);
    unlock_screen();
}

void draw_sprite_at_address(const uint8_t* sprite, uint8_t* address, int32_t pitch)
{
    if (!sprite || !address) return;
    const SpriteHeader h = read_header(sprite);
    const uint8_t* source = h.rows;
    for (int32_t row = 0; row < h.height; ++row) {
        uint8_t* destination = address + static_cast<ptrdiff_t>(row) * pitch;
        for (int32_t g = 0; g < h.groups; ++g) {
            const uint8_t mask = *source++;
            group_copy_table[mask](source, destination);
        }
    }
}

bool draw_sprite_to_buffer(const uint8_t* sprite, int32_t x, int32_t y, uint8_t* buffer, int32_t pitch, int32_t rows)
{
    if (!sprite || !buffer) return false;
    const SpriteHeader h = read_header(sprite);
    const int32_t left = x - h.x_offset, top = y - h.y_offset;
    if (left < 0 || top < 0 || left + h.groups * 8 > pitch || top + h.height > rows) return false;
    draw_sprite_at_address(sprite, buffer + static_cast<ptrdiff_t>(top) * pitch + left, pitch);
    return true;
}

void set_sprite_background(const uint8_t* pixels, int32_t pitch)
{
    g_background = pixels;
    g_background_pitch = pixels ? pitch : 0;
}

const uint8_t* sprite_background() { return g_background; }
int32_t sprite_background_pitch() { return g_background_pitch; }

void restore_sprite_background(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint16_t scale,
                               const ClipRect& clip, const SoftwareScreen& screen)
{
    if (!g_background || (flags & SPRITE_NO_RESTORE)) return;
    if (!sprite || scale == 0 || !screen.pixels || screen.width < 8) return;
    if (scale != SPRITE_NATURAL_SCALE && !(sprite = rescale_sprite(sprite, scale))) return;
    if (g_clip_codes_width != screen.width) build_clip_code_rows(screen.width);
    const SpriteHeader h = read_header(sprite);
    const bool mirrored = (flags & SPRITE_MIRRORED) != 0;
    const ClipRect window = (flags & SPRITE_UNCLIPPED) && !mirrored ? ClipRect{0, 0, screen.width, screen.height} : clip;
    restore_cells(h, mirrored ? x + h.x_offset : x - h.x_offset, y - h.y_offset, mirrored, window, screen);
}

int32_t layer_screen_width() { return display_width() > 0 ? display_width() : PICTURE_WIDTH; }
int32_t layer_screen_height() { return display_height() > 0 ? display_height() : PICTURE_HEIGHT; }
