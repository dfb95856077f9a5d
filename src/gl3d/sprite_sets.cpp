// Hardware sprite sets.
#include "gl3d/sprite_sets.h"

#include "gl3d/byte_io.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "gl3d/timer_pool.h"
#include "host/paths.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace {

struct SpritePage {
    uint32_t vertex_count = 0, coord_count = 0, index_count = 0;
    std::vector<float> vertices, coords;
    std::vector<uint32_t> indices;
    std::vector<uint8_t> colours;
};

struct SPRITE_ENTRY {
    std::vector<hw_sprite_frame> frames;
    std::vector<const hw_sprite_frame*> table; // by the companion's words
    uint32_t page_count = 0;
    std::vector<SpritePage> pages;
    std::vector<int32_t> textures;
};

struct SpriteBank {
    uint8_t* bank = nullptr;
    uint32_t length = 0;
    uint32_t count = 0;
    std::vector<const uint8_t*> table;
};

SPRITE_ENTRY* g_sets[SPRITE_SET_SLOTS];
int32_t g_set_count = 0;
SpriteBank* g_banks[SPRITE_SET_SLOTS];
int32_t g_bank_count = 0;

uint32_t g_colour = 0xFFFFFFFF;
float g_factors[3] = {1.0f, 1.0f, 1.0f};
uint32_t g_shaded = 0, g_filter = 0, g_z_buffer = 0, g_alpha_blend = 1, g_texture_sets = 1, g_option = 0;

SPRITE_ENTRY* set_at(int32_t slot) { return slot >= 0 && slot < SPRITE_SET_SLOTS ? g_sets[slot] : nullptr; }
SpriteBank* bank_at(int32_t slot) { return slot >= 0 && slot < SPRITE_SET_SLOTS ? g_banks[slot] : nullptr; }

std::string with_end(const char* name, const char* end)
{
    std::string s = name;
    size_t n = std::strlen(end);
    if (s.size() >= n) s.replace(s.size() - n, n, end);
    return s;
}

// Little-endian 32-bit word n of a buffer of `size` bytes.
bool word_at(const uint8_t* data, uint32_t size, uint32_t n, uint32_t* out)
{
    if (!data || uint64_t(n) * 4 + 4 > size) return false;
    const uint8_t* p = data + size_t(n) * 4;
    *out = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return true;
}

// Reads the companion into the caller's buffer (or a buffer of our own
// when none is given) and hands back its bytes.
std::vector<uint8_t> read_companion(const std::string& name, uint8_t* buffer, uint32_t capacity, uint32_t* size)
{
    std::vector<uint8_t> own;
    *size = get_filelength(name.c_str());
    if (buffer) {
        load_file_into(name.c_str(), buffer, capacity);
        if (*size > capacity) *size = capacity;
        return own;
    }
    uint8_t* data = load_file(name.c_str(), size);
    own.assign(data, data + *size);
    free_mem(data);
    return own;
}

int32_t load_texture_set(const char* name, uint8_t* animation_data, uint32_t capacity)
{
    int32_t slot = -1;
    for (int32_t s = 0; s < SPRITE_SET_SLOTS; ++s)
        if (!g_sets[s]) {
            slot = s;
            break;
        }
    if (slot < 0) return -1;
    uint32_t size = 0;
    std::vector<uint8_t> own = read_companion(with_end(name, "DWH"), animation_data, capacity, &size);
    const uint8_t* companion = animation_data ? animation_data : own.data();
    std::vector<hw_sprite_frame> frames;
    read_sprite_frames(name, &frames); // a missing header gives no frames
    auto* set = new (alloc_mem(sizeof(SPRITE_ENTRY), "SPRITE_ENTRY new")) SPRITE_ENTRY;
    set->frames = std::move(frames);
    for (const hw_sprite_frame& f : set->frames)
        if (f.page + 1u > set->page_count) set->page_count = f.page + 1u;
    set->pages.resize(set->page_count);
    for (SpritePage& page : set->pages) {
        page.vertices.assign(SPRITE_PAGE_QUADS * 4 * 3, 0.0f);
        page.coords.assign(SPRITE_PAGE_QUADS * 4 * 2, 0.0f);
        page.indices.assign(SPRITE_PAGE_QUADS * 6, 0);
        page.colours.assign(SPRITE_PAGE_QUADS * 4 * 4, 0);
        for (int k = 0; k < 4; ++k) page.colours[k] = 255;
    }
    uint32_t bits = 0, alpha_mode = 0;
    get_texture_format(&bits, &alpha_mode);
    set_texture_format(16, 1);
    std::string stem = name;
    size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.resize(dot);
    for (uint32_t p = 0; p < set->page_count; ++p) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_%03u.tga", p);
        set->textures.push_back(find_or_load_texture((stem + suffix).c_str()));
    }
    set_texture_format(bits, alpha_mode);
    // The companion's first words are byte offsets into the record array.
    const uint32_t count = static_cast<uint32_t>(set->frames.size());
    set->table.assign(count, nullptr);
    for (uint32_t n = 0; n < count; ++n) {
        uint32_t offset;
        if (word_at(companion, size, n, &offset) && offset % SPRITE_FRAME_BYTES == 0 && offset < count * SPRITE_FRAME_BYTES)
            set->table[n] = &set->frames[offset / SPRITE_FRAME_BYTES];
    }
    g_sets[slot] = set;
    ++g_set_count;
    return slot;
}

int32_t load_bank(const char* name, uint8_t* animation_data, uint32_t capacity)
{
    int32_t slot = -1;
    for (int32_t s = 0; s < SPRITE_SET_SLOTS; ++s)
        if (!g_banks[s]) {
            slot = s;
            break;
        }
    if (slot < 0) return -1;
    uint32_t size = 0;
    std::vector<uint8_t> own = read_companion(with_end(name, "DWD"), animation_data, capacity, &size);
    const uint8_t* companion = animation_data ? animation_data : own.data();
    // The bank is read before anything is made: one that is not whole
    // sprites end to end is refused.
    uint32_t length = 0;
    uint8_t* bytes = load_file(name, &length);
    uint32_t count = 0, at = 0;
    while (at < length) {
        uint32_t n = software_sprite_size(bytes + at, length - at);
        if (n == 0) break;
        at += n;
        ++count;
    }
    if (at != length) {
        free_mem(bytes);
        refuse_data_file("load_sprite_set", name, "the bytes from " + std::to_string(at) + " on are not a whole sprite");
    }
    auto* bank = new (alloc_mem(sizeof(SpriteBank), "sprite bank")) SpriteBank;
    bank->bank = bytes;
    bank->length = length;
    bank->count = count;
    bank->table.assign(bank->count, nullptr);
    for (uint32_t n = 0; n < bank->count; ++n) {
        uint32_t offset;
        // Only offsets at a whole sprite inside the bank name one.
        if (word_at(companion, size, n, &offset) && offset < bank->length &&
            software_sprite_size(bank->bank + offset, bank->length - offset) != 0)
            bank->table[n] = bank->bank + offset;
    }
    g_banks[slot] = bank;
    ++g_bank_count;
    return slot;
}

} // namespace

bool read_sprite_frames(const char* name, std::vector<hw_sprite_frame>* out)
{
    out->clear();
    if (!name) return false;
    std::FILE* f = std::fopen(host_data_file(name).c_str(), "rb");
    if (!f) return false;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    clear_byte_io_error();
    uint32_t count = read_dword_le(f);
    // A header that is there but does not hold its frames is refused.
    const uint64_t room = uint64_t(size > 4 ? size - 4 : 0) / SPRITE_FRAME_BYTES;
    if (byte_io_error() || count > room) {
        std::fclose(f);
        refuse_data_file("read_sprite_frames", name,
                         byte_io_error() ? "the file is shorter than its frame count"
                                         : "the header counts " + std::to_string(count) + " frames, the file holds " +
                                               std::to_string(room));
    }
    std::vector<hw_sprite_frame> frames(count);
    for (hw_sprite_frame& fr : frames) {
        fr.u_left = read_float_le(f), fr.u_right = read_float_le(f);
        fr.v_top = read_float_le(f), fr.v_bottom = read_float_le(f);
        fr.page = read_byte(f);
        fr.width = read_word_le(f), fr.height = read_word_le(f);
        fr.x_offset = static_cast<int16_t>(read_word_le(f)), fr.y_offset = static_cast<int16_t>(read_word_le(f));
    }
    std::fclose(f);
    if (byte_io_error()) refuse_data_file("read_sprite_frames", name, "the frame records could not be read");
    *out = std::move(frames);
    return true;
}

int32_t load_sprite_set(const char* name, uint8_t* animation_data, uint32_t capacity)
{
    if (!name) return -1;
    if (g_texture_sets) return load_texture_set(name, animation_data, capacity);
    return load_bank(with_end(name, "R").c_str(), animation_data, capacity);
}

int32_t free_sprite_set(int32_t slot)
{
    if (g_texture_sets) {
        SPRITE_ENTRY* set = set_at(slot);
        if (!set) return g_set_count;
        for (int32_t id : set->textures) release_texture(id, 1);
        set->~SPRITE_ENTRY();
        free_mem(set);
        g_sets[slot] = nullptr;
        return --g_set_count;
    }
    SpriteBank* bank = bank_at(slot);
    if (!bank) return g_bank_count;
    if (bank->bank) free_mem(bank->bank);
    bank->~SpriteBank();
    free_mem(bank);
    g_banks[slot] = nullptr;
    return --g_bank_count;
}

const hw_sprite_frame* sprite_set_frame(int32_t slot, uint32_t n)
{
    SPRITE_ENTRY* set = set_at(slot);
    return set && n < set->table.size() ? set->table[n] : nullptr;
}

const hw_sprite_frame* sprite_set_record(int32_t slot, uint32_t n)
{
    SPRITE_ENTRY* set = set_at(slot);
    return set && n < set->frames.size() ? &set->frames[n] : nullptr;
}

uint32_t sprite_set_frame_count(int32_t slot)
{
    SPRITE_ENTRY* set = set_at(slot);
    return set ? static_cast<uint32_t>(set->frames.size()) : 0;
}

int32_t sprite_set_count() { return g_texture_sets ? g_set_count : g_bank_count; }

uint32_t sprite_bank_count(int32_t slot)
{
    SpriteBank* bank = bank_at(slot);
    return bank ? bank->count : 0;
}

const uint8_t* sprite_bank_sprite(int32_t slot, uint32_t n)
{
    SpriteBank* bank = bank_at(slot);
    return bank && n < bank->table.size() ? bank->table[n] : nullptr;
}

int32_t find_sprite_set_of_frame(const hw_sprite_frame* frame)
{
    for (int32_t s = 0; s < SPRITE_SET_SLOTS; ++s) {
        const SPRITE_ENTRY* set = g_sets[s];
        if (set && !set->frames.empty() && frame >= set->frames.data() && frame < set->frames.data() + set->frames.size())
            return s;
    }
    return -1;
}

void draw_hw_sprite(const hw_sprite_frame* frame, float x, float y, uint16_t scale, uint8_t flip, uint8_t clip,
                    float angle, uint8_t alpha)
{
    // Scale 0 would make an endless quad.
    if (!frame || scale == 0) return;
    const int32_t slot = find_sprite_set_of_frame(frame);
    if (slot < 0 || frame->page >= g_sets[slot]->page_count) return;
    SPRITE_ENTRY* set = g_sets[slot];
    const float half_w = static_cast<float>(layer_screen_width() / 2), half_h = static_cast<float>(layer_screen_height() / 2);
    const float px = x - half_w, py = y - half_h;
    const float s = 256.0f / static_cast<float>(scale);
    float u0 = frame->u_left, u1 = frame->u_right, v0 = frame->v_top, v1 = frame->v_bottom;
    if (angle == 0.0f) {
        if (flip & SPRITE_FLIP_V) std::swap(v0, v1);
        if (flip & SPRITE_FLIP_U) std::swap(u0, u1);
    }
    const float left = px - frame->x_offset * s, top = py - frame->y_offset * s;
    const float right = left + frame->width * s, bottom = top + frame->height * s;
    float corners[4][4] = {{left, top, u0, v0}, {right, top, u1, v0}, {right, bottom, u1, v1}, {left, bottom, u0, v1}};
    if (angle != 0.0f) {
        const float a = angle * 0.017453292f, c = std::cos(a), sn = std::sin(a);
        for (auto& k : corners) {
            float dx = k[0] - px, dy = k[1] - py;
            k[0] = px + c * dx + sn * dy;
            k[1] = py - sn * dx + c * dy;
        }
    } else if (clip != 0 && !clip_quad_to_window(corners, clip)) {
        return;
    }
    SpritePage& page = set->pages[frame->page];
    const uint32_t b = page.vertex_count;
    for (int k = 0; k < 4; ++k) {
        float* v = &page.vertices[(b + k) * 3];
        v[0] = corners[k][0], v[1] = corners[k][1], v[2] = 0.0f;
        page.coords[(b + k) * 2] = corners[k][2];
        page.coords[(b + k) * 2 + 1] = corners[k][3];
        uint8_t* colour = &page.colours[(b + k) * 4];
        if (g_shaded) {
            float cx = std::fmin(std::fmax(v[0], -half_w), half_w), cy = std::fmin(std::fmax(v[1], -half_h), half_h);
            float shade[3];
            quad_shade(ALL_QUADS, cx, cy, &shade[0], &shade[1], &shade[2]);
            for (int n = 0; n < 3; ++n) {
                float value = std::nearbyint(shade[n] * g_factors[n]);
                colour[n] = static_cast<uint8_t>(value < 0.0f ? 0.0f : (value > 255.0f ? 255.0f : value));
            }
        } else {
            colour[0] = static_cast<uint8_t>(g_colour >> 16), colour[1] = static_cast<uint8_t>(g_colour >> 8);
            colour[2] = static_cast<uint8_t>(g_colour);
        }
        colour[3] = alpha;
    }
    uint32_t* index = &page.indices[page.index_count];
    index[0] = b, index[1] = b + 1, index[2] = b + 2, index[3] = b, index[4] = b + 2, index[5] = b + 3;
    page.vertex_count += 4, page.coord_count += 4, page.index_count += 6;
    // Drawn at once.
    const uint32_t filter = get_bilinear_filter(), z = get_z_buffer(), blend = get_alpha_blend(), option = get_render_option();
    set_bilinear_filter(g_filter);
    set_z_buffer(g_z_buffer);
    set_alpha_blend(g_alpha_blend);
    set_render_option(0);
    bind_texture(set->textures[frame->page]);
    set_vertex_array(page.vertex_count, 1, page.vertices.data());
    set_texcoord_array(page.coord_count, 1, page.coords.data());
    set_colour_array(page.vertex_count, 1, page.colours.data());
    draw_vertex_arrays(static_cast<int32_t>(page.index_count), page.indices.data());
    page.vertex_count = page.coord_count = page.index_count = 0;
    set_bilinear_filter(filter);
    set_z_buffer(z);
    set_alpha_blend(blend);
    set_render_option(option);
}

void get_hw_sprite_size(const hw_sprite_frame* frame, int32_t* width, int32_t* height)
{
    if (width) *width = frame ? frame->width : 0;
    if (height) *height = frame ? frame->height : 0;
}

int32_t get_sprite_frames(int32_t slot, int32_t* page_count, const int32_t** textures)
{
    SPRITE_ENTRY* set = set_at(slot);
    if (page_count) *page_count = set ? static_cast<int32_t>(set->page_count) : 0;
    if (textures) *textures = set ? set->textures.data() : nullptr;
    return 1;
}

int32_t touch_sprite_frames(int32_t slot)
{
    if (SPRITE_ENTRY* set = set_at(slot))
        for (int32_t id : set->textures) release_texture(id, 0);
    return 1;
}

uint8_t set_sprite_colour(uint32_t argb)
{
    g_colour = argb;
    g_factors[0] = static_cast<float>((argb >> 16) & 0xFF) * 0.003921569f;
    g_factors[1] = static_cast<float>((argb >> 8) & 0xFF) * 0.003921569f;
    g_factors[2] = static_cast<float>(argb & 0xFF) * 0.003921569f;
    return static_cast<uint8_t>(argb);
}

void set_sprite_shaded(uint32_t on) { g_shaded = on; }
void set_sprite_filter(uint32_t on) { g_filter = on; }
uint32_t get_sprite_filter() { return g_filter; }
void set_sprite_z_buffer(uint32_t on) { g_z_buffer = on; }
uint32_t get_sprite_z_buffer() { return g_z_buffer; }
void set_sprite_alpha_blend(uint32_t on) { g_alpha_blend = on; }
uint32_t get_sprite_alpha_blend() { return g_alpha_blend; }
void set_sprite_option(uint32_t on) { g_option = on; }
uint32_t get_sprite_option() { return g_option; }
void set_sprite_set_mode(uint32_t texture_sets) { g_texture_sets = texture_sets; }
uint32_t get_sprite_set_mode() { return g_texture_sets; }

void reset_sprite_sets()
{
    const uint32_t mode = g_texture_sets;
    g_texture_sets = 1;
    for (int32_t s = 0; s < SPRITE_SET_SLOTS; ++s) free_sprite_set(s);
    g_texture_sets = 0;
    for (int32_t s = 0; s < SPRITE_SET_SLOTS; ++s) free_sprite_set(s);
    (void)mode;
    g_texture_sets = 1;
    g_colour = 0xFFFFFFFF;
    g_factors[0] = g_factors[1] = g_factors[2] = 1.0f;
    g_shaded = 0, g_filter = 0, g_z_buffer = 0, g_alpha_blend = 1, g_option = 0;
}
