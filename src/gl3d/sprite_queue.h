// The per-frame 2D queues: sprites (and callbacks), overlay sprites, text
// sprites and pre-built text blocks are queued with a place, a depth and a
// few options during the frame; once a frame the flush draws them in depth
// order over the 3D picture (hardware path) or into the 8-bit screen
// (software path) and recycles the queues.
#pragma once

#include <cstdint>

constexpr int32_t SPRITE_QUEUE_SIZE = 800;
constexpr int32_t OVERLAY_QUEUE_SIZE = 50;
constexpr int32_t TEXT_SPRITE_QUEUE_SIZE = 1000;
constexpr int32_t TEXT_BLOCK_QUEUE_SIZE = 120;
constexpr uint32_t QUEUE_SENTINEL = 0x686F6F70;
constexpr int16_t DEPTH_DRAWN = 0x7FFF;
// Full queues are fatal errors with these codes.
constexpr int32_t FATAL_SPRITE_QUEUE_FULL = 209;
constexpr int32_t FATAL_TEXT_SPRITE_QUEUE_FULL = 210;
constexpr int32_t FATAL_TEXT_BLOCK_QUEUE_FULL = 211;

// Flag bits of a queued sprite.
constexpr uint16_t SPRITE_SHIFTED_TABLES = 0x02; // software
constexpr uint16_t SPRITE_MIRRORED = 0x04;       // software
constexpr uint16_t SPRITE_NO_RESTORE = 0x20;     // software
constexpr uint16_t SPRITE_UNCLIPPED = 0x40;      // software: no clip-window test
constexpr uint16_t SPRITE_BLEND = 0x80;          // software, unclipped only: through the alpha table
constexpr uint16_t SPRITE_TO_OVERLAY = 0x100;    // goes to the overlay queue; not stored
constexpr uint16_t SPRITE_NATURAL_SCALE = 0x100;

// The hardware switch of the sprite layer: a copy of use_3d_hardware that
// start-up makes.
extern uint32_t sprite_hardware_switch;

using SpriteCallback = void (*)(intptr_t parameter, int16_t x, int16_t y, float value);

void queue_sprite(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale, uint8_t clip);
void queue_sprite_ex(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale,
                     uint8_t clip, uint8_t extra);
void queue_sprite_f(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale,
                    uint8_t clip, float value);
void queue_sprite_callback(SpriteCallback function, intptr_t parameter, int16_t x, int16_t y, uint16_t flags,
                           int16_t depth, float value);
void queue_text_sprite(const void* sprite, int16_t x, int16_t y, uint16_t scale, uint8_t clip);
// A whole pre-built text picture (the software path's text images).
void queue_text_block(void* surface, int16_t x, int16_t y, int16_t width, int16_t height, uint8_t flag, uint8_t clip);
void queue_text_block_second(void* surface, int16_t x, int16_t y, int16_t width, int16_t height, uint8_t flag,
                             uint8_t clip);

void queue_sprite_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth, uint16_t scale,
                             uint8_t clip);
void queue_sprite_ex_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth,
                                uint16_t scale, uint8_t clip, uint8_t extra);
void queue_sprite_f_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t flags, int16_t depth,
                               uint16_t scale, uint8_t clip, float value);
void queue_text_sprite_if_enabled(const void* sprite, int16_t x, int16_t y, uint16_t scale, uint8_t clip);
void enable_sprite_queue();
void disable_sprite_queue();
void enable_text_sprite_queue();
void disable_text_sprite_queue();
uint32_t sprite_queue_enabled();
uint32_t text_sprite_queue_enabled();

void flush_sprites();
void reset_sprite_queues();
void init_sprite_engine();

// Records waiting in this frame's queues.
int32_t queued_sprites();
int32_t queued_overlay_sprites();
int32_t queued_text_sprites();
int32_t queued_text_blocks(int32_t queue); // 0 first, 1 second

// Header accessors for either path (the hardware frame record, or the
// software sprite header). A long software header's offsets are given
// negated, a short one's as stored; the draws take both as stored.
int32_t sprite_width(const void* sprite);
int32_t sprite_height(const void* sprite);
int32_t sprite_x_offset(const void* sprite);
int32_t sprite_y_offset(const void* sprite);

// --- What the layer reads of the 2D screen, which installs it ---

// A clip window as left, top, right, bottom in screen pixels (right and
// bottom exclusive); false for a window that does not exist.
struct ClipRect {
    int32_t left, top, right, bottom;
};
using ClipWindowReader = bool (*)(int32_t window, ClipRect* out);
void set_clip_window_reader(ClipWindowReader reader);
bool read_clip_rect(int32_t window, ClipRect* out);

// A screen-aligned quad in screen-centred pixels, corners left-top,
// right-top, right-bottom, left-bottom, each x, y, u, v: cut to a clip
// window, u and v moved in proportion. False when nothing of it is inside.
bool clip_quad_to_window(float quad[4][4], int32_t window);

// The 8-bit screen the software path draws into, locked for the draw.
struct SoftwareScreen {
    uint8_t* pixels;
    int32_t pitch, width, height;
};
struct SoftwareScreenAccess {
    bool (*lock)(SoftwareScreen* out);
    void (*unlock)();
    // Copies a text block's picture onto the screen.
    void (*blit_text_block)(void* surface, int16_t x, int16_t y, int16_t width, int16_t height, uint8_t clip);
};
void set_software_screen_access(const SoftwareScreenAccess* access);
// Blended software sprites write table[source x 256 + destination].
void set_sprite_alpha_table(const uint8_t* table);

// Software sprites drawn at once; scale 256 is natural size (larger draws
// smaller). The window's edges decide whether a sprite is drawn and cut its
// rows; columns are cut at the screen's edges. Each 8-pixel group is drawn
// by a handler of the group tables, by its clip code and mask;
// SPRITE_SHIFTED_TABLES takes the shifted tables, which add PALETTE_SHIFT to
// every pixel written (modulo 256). The hot spot is the header's offsets as
// stored, for short and long headers alike.
constexpr uint8_t PALETTE_SHIFT = 0x21;
void draw_sprite_clipped(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint16_t scale,
                         const ClipRect& clip, const SoftwareScreen& screen);
// Drawn now into the locked screen, clipped to the clip window, at natural
// size; flag 2 takes the shifted tables, flag 4 mirrors.
void draw_sprite_now(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint8_t clip_window);
// Unclipped, through the plain tables: the sprite's top-left pixel at
// address, its rows pitch bytes apart. The caller makes sure that all of its
// groups' cells lie in the buffer.
void draw_sprite_at_address(const uint8_t* sprite, uint8_t* address, int32_t pitch);
// The same with the sprite's hot spot at (x, y) of a buffer of `rows` rows
// pitch bytes apart; false, and nothing drawn, when its cells do not lie
// wholly inside.
bool draw_sprite_to_buffer(const uint8_t* sprite, int32_t x, int32_t y, uint8_t* buffer, int32_t pitch, int32_t rows);

// The background buffer: the screen's picture with no sprite on it, one byte
// a pixel, rows pitch bytes apart (the screen's own size), kept by whoever
// opened the screen; nullptr while there is none (nothing is restored).
// Before a software flush draws, every sprite and text sprite of the queue
// buffers drawn two frames ago (the screen being drawn still shows them) is
// covered again with the background, except those flagged SPRITE_NO_RESTORE.
void set_sprite_background(const uint8_t* pixels, int32_t pitch);
const uint8_t* sprite_background();
int32_t sprite_background_pitch();
// Copies the background back onto the screen where the sprite, drawn with
// these arguments, put an opaque pixel.
void restore_sprite_background(const uint8_t* sprite, int32_t x, int32_t y, uint16_t flags, uint16_t scale,
                               const ClipRect& clip, const SoftwareScreen& screen);
// The byte size of one software sprite, or 0 when it runs past `available`.
uint32_t software_sprite_size(const uint8_t* sprite, uint32_t available);

// The screen size the layer centres on (the display's, else 640 x 480).
int32_t layer_screen_width();
int32_t layer_screen_height();
