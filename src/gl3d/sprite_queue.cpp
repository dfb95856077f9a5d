// Sprite queue and per-frame flush.
#include "gl3d/sprite_queue.h"
#include "host/picture.h"

#include "gl3d/display_device.h"
#include "gl3d/hw_camera.h"
#include "gl3d/hw_fonts.h"
#include "gl3d/sprite_sets.h"
#include "platform/fatal_error.h"

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

uint8_t g_bit_counts[256];
uint8_t g_reversed[256];

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
    for (int v = 0; v < 256; ++v) {
        int bits = 0, reversed = 0;
        for (int b = 0; b < 8; ++b) {
            bits += (v >> b) & 1;
            reversed |= ((v >> b) & 1) << (7 - b);
        }
        g_bit_counts[v] = static_cast<uint8_t>(bits);
        g_reversed[v] = static_cast<uint8_t>(reversed);
    }
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
            uint8_t mask = sprite[at];
            uint32_t n = 0;
            for (int b = 0; b < 8; ++b) n += (mask >> b) & 1;
            at += 1 + n;
            if (at > available) return 0;
        }
    return at;
}

namespace {

// Every screen pixel a software sprite covers with an opaque pixel, after
// scale, mirroring and clipping: put(screen byte, x, y, sprite pixel).
template <class Put>
void each_sprite_pixel(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint16_t scale,
                       const ClipRect& clip, const SoftwareScreen& screen, Put put)
{
    if (!sprite || scale == 0 || !screen.pixels) return;
    const bool is_long = long_header(sprite);
    const int32_t groups = sprite[0] & 0x7F;
    const int32_t rows = is_long ? static_cast<uint16_t>(le16(sprite + 1)) : sprite[1];
    const int32_t columns = groups * 8;
    // Unpacked: the opaque pixels of each row.
    std::vector<int16_t> pixels(static_cast<size_t>(columns) * rows, -1);
    const uint8_t* p = sprite + (is_long ? 9 : 5);
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t g = 0; g < groups; ++g) {
            uint8_t mask = *p++;
            for (int b = 0; b < 8; ++b)
                if (mask & (0x80 >> b)) pixels[static_cast<size_t>(r) * columns + g * 8 + b] = *p++;
        }
    // Drawn (and mirrored) within the header's width.
    const int32_t header_width = is_long ? static_cast<uint16_t>(le16(sprite + 7)) : sprite[4];
    const int32_t natural_w = header_width < columns ? header_width : columns, natural_h = rows;
    const int32_t w = natural_w * 256 / scale, h = natural_h * 256 / scale;
    const int32_t x_offset = sprite_x_offset(sprite) * 256 / scale, y_offset = sprite_y_offset(sprite) * 256 / scale;
    const bool mirrored = (flags & SPRITE_MIRRORED) != 0;
    // Mirrored, image column i lands at x + x offset - 1 - i: the picture
    // turns about its hot spot.
    const int32_t left = mirrored ? x + x_offset - w : x - x_offset, top = y - y_offset;
    // Columns are cut at the screen's edges only; the clip window decides
    // whether the sprite is drawn at all and cuts its rows. The unclipped
    // path makes no test (the screen's edges still bound it here).
    int32_t row_top = 0, row_bottom = screen.height;
    if (mirrored || !(flags & SPRITE_UNCLIPPED)) {
        if (left >= clip.right || left + w <= clip.left || top >= clip.bottom || top + h <= clip.top) return;
        row_top = clip.top > 0 ? clip.top : 0;
        row_bottom = clip.bottom < screen.height ? clip.bottom : screen.height;
    }
    for (int32_t dy = 0; dy < h; ++dy) {
        const int32_t sy = top + dy;
        if (sy < row_top || sy >= row_bottom) continue;
        const int32_t row = dy * scale / 256;
        uint8_t* out = screen.pixels + static_cast<size_t>(sy) * screen.pitch;
        for (int32_t dx = 0; dx < w; ++dx) {
            const int32_t sx = left + dx;
            if (sx < 0 || sx >= screen.width) continue;
            int32_t column = dx * scale / 256;
            if (mirrored) column = natural_w - 1 - column;
            const int16_t v = pixels[static_cast<size_t>(row) * columns + column];
            if (v >= 0) put(out[sx], sx, sy, static_cast<uint8_t>(v));
        }
    }
}

const uint8_t* g_background = nullptr;
int32_t g_background_pitch = 0;

} // namespace

void draw_sprite_clipped(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint16_t scale,
                         const ClipRect& clip, const SoftwareScreen& screen)
{
    const bool mirrored = (flags & SPRITE_MIRRORED) != 0;
    const bool blend = !mirrored && (flags & SPRITE_UNCLIPPED) && (flags & SPRITE_BLEND) && g_alpha_table;
    // The shifted tables show the same shapes in the colours 33 entries on.
    const uint8_t shift = (flags & SPRITE_SHIFTED_TABLES) ? PALETTE_SHIFT : 0;
    each_sprite_pixel(sprite, x, y, flags, scale, clip, screen, [&](uint8_t& out, int32_t, int32_t, uint8_t v) {
        out = blend ? g_alpha_table[v * 256 + out] : static_cast<uint8_t>(v + shift);
    });
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
    each_sprite_pixel(sprite, x, y, flags, scale, clip, screen, [](uint8_t& out, int32_t sx, int32_t sy, uint8_t) {
        out = g_background[static_cast<size_t>(sy) * g_background_pitch + sx];
    });
}

int32_t layer_screen_width() { return display_width() > 0 ? display_width() : PICTURE_WIDTH; }
int32_t layer_screen_height() { return display_height() > 0 ? display_height() : PICTURE_HEIGHT; }
