// TGA, BMP and PPM loaders and the media search path.
#include "gl3d/image_loaders.h"

#include "host/paths.h"
#include "host/process.h"

#include <cstdlib>
#include <cstring>
#include <string>

DibSection* create_dib_section(int32_t width, int32_t height, uint16_t bits)
{
    if (width <= 0 || height <= 0) return nullptr;
    uint64_t stride = (static_cast<uint64_t>(width) * bits / 8 + 3) & ~uint64_t(3);
    if (stride * static_cast<uint64_t>(height) > IMAGE_MAX_BYTES) return nullptr;
    auto* dib = new DibSection;
    dib->width = width;
    dib->height = height;
    dib->bits = bits;
    dib->stride = static_cast<uint32_t>(stride);
    dib->pixels.assign(static_cast<size_t>(stride * static_cast<uint64_t>(height)), 0);
    return dib;
}

bool can_open_for_reading(const char* path)
{
    std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return false;
    std::fclose(f);
    return true;
}

int32_t read_u16_le(std::FILE* file)
{
    int low = std::fgetc(file);
    int high = std::fgetc(file);
    if (low == EOF || high == EOF) return -1;
    return low | high << 8;
}

// --- TGA ---

namespace {

struct TgaHeader {
    uint8_t id_length, colour_map_type, image_type;
    uint16_t map_first, map_length;
    uint8_t map_entry_bits;
    uint16_t x_origin, y_origin, width, height;
    uint8_t depth, descriptor;
};

bool read_tga_header(std::FILE* f, TgaHeader& h)
{
    uint8_t b[18];
    if (std::fread(b, 1, sizeof b, f) != sizeof b) return false;
    auto u16 = [&](int at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); };
    h = {b[0], b[1], b[2], u16(3), u16(5), b[7], u16(8), u16(10), u16(12), u16(14), b[16], b[17]};
    return true;
}

[[noreturn]] void tga_exit(std::FILE* f, const char* message, int code)
{
    std::fclose(f);
    std::fputs(message, stdout);
    std::fflush(stdout);
    host_exit(code);
}

} // namespace

uint8_t* read_tga(std::FILE* file, uint32_t* width, uint32_t* height, int swap, int add_alpha)
{
    if (!file) return nullptr;
    TgaHeader h;
    if (!read_tga_header(file, h)) {
        std::fclose(file);
        return nullptr;
    }
    if (h.image_type != 2 && h.image_type != 10) tga_exit(file, "Only type 2 or 10 supported\n", 112);
    if (width) *width = h.width;
    if (height) *height = h.height;
    const uint64_t count = static_cast<uint64_t>(h.width) * h.height;
    uint8_t* buffer = count * 4 <= IMAGE_MAX_BYTES ? static_cast<uint8_t*>(std::malloc(count ? count * 4 : 1)) : nullptr;
    if (!buffer) {
        std::fclose(file);
        return nullptr;
    }
    // The ID field and the colour map are read past.
    const uint32_t skip = h.id_length + static_cast<uint32_t>(h.map_length) * ((h.map_entry_bits + 7) / 8);
    bool ok = std::fseek(file, skip, SEEK_CUR) == 0;
    const uint32_t in_size = h.depth == 24 ? 3 : 4;
    const uint32_t out_size = h.depth == 24 && !add_alpha ? 3 : 4;
    uint8_t* out = buffer;
    auto read_pixel = [&](uint8_t* p) {
        uint8_t in[4];
        if (std::fread(in, 1, in_size, file) != in_size) return false;
        if (swap) p[0] = in[2], p[1] = in[1], p[2] = in[0];
        else p[0] = in[0], p[1] = in[1], p[2] = in[2];
        if (in_size == 4) p[3] = in[3];
        else if (add_alpha) p[3] = 0xFF;
        return true;
    };
    if (h.image_type == 2) {
        for (uint64_t i = 0; ok && i < count; ++i, out += out_size) ok = read_pixel(out);
    } else {
        uint64_t stored = 0;
        while (ok && stored < count) {
            int packet = std::fgetc(file);
            if (packet == EOF) {
                ok = false;
                break;
            }
            const bool repeat = packet >= 0x80;
            const uint32_t n = repeat ? static_cast<uint32_t>(packet - 127) : static_cast<uint32_t>(packet + 1);
            if (stored + n > count) {
                std::free(buffer);
                int code = in_size == 3 ? (repeat ? 115 : 113) : (repeat ? 117 : 116);
                tga_exit(file, "RLE overflow\n", code);
            }
            if (repeat) {
                ok = read_pixel(out);
                for (uint32_t k = 1; ok && k < n; ++k) std::memcpy(out + k * out_size, out, out_size);
                out += n * out_size;
            } else {
                for (uint32_t k = 0; ok && k < n; ++k, out += out_size) ok = read_pixel(out);
            }
            stored += n;
        }
    }
    std::fclose(file);
    if (!ok) {
        std::free(buffer);
        return nullptr;
    }
    return buffer;
}

uint32_t load_tga_dib(const char* path, DibSection** bitmap)
{
    if (!path || !bitmap) return TEX_E_INVALIDARG;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return TEX_E_NOTFOUND;
    uint32_t w = 0, h = 0;
    uint8_t* pixels = read_tga(f, &w, &h, 0, 1);
    if (!pixels) return TEX_E_FAIL;
    DibSection* dib = create_dib_section(static_cast<int32_t>(w), static_cast<int32_t>(h));
    if (!dib) {
        std::free(pixels);
        return TEX_E_FAIL;
    }
    // The file's first row is the bottom of the picture.
    for (uint32_t r = 0; r < h; ++r) std::memcpy(dib->row(static_cast<int32_t>(r)), pixels + size_t(h - 1 - r) * w * 4, size_t(w) * 4);
    std::free(pixels);
    *bitmap = dib;
    return TEX_OK;
}

// --- BMP ---

uint32_t load_bmp_dib(const char* path, DibSection** bitmap)
{
    // The program carries no bitmap resources: the file is the only source.
    if (!path || !bitmap) return TEX_E_INVALIDARG;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return TEX_E_NOTFOUND;
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= IMAGE_MAX_BYTES) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(bytes[at] | bytes[at + 1] << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return TEX_E_NOTFOUND;
    const uint32_t offset = u32(10), header_size = u32(14);
    const int32_t width = static_cast<int32_t>(u32(18));
    const int32_t raw_height = static_cast<int32_t>(u32(22));
    const uint32_t bits = u16(28), compression = u32(30);
    uint32_t colours = u32(46);
    if (header_size < 40 || u16(26) != 1 || compression != 0 || (bits != 8 && bits != 24 && bits != 32) || width <= 0 ||
        raw_height == 0 || raw_height == INT32_MIN)
        return TEX_E_NOTFOUND;
    const bool top_down = raw_height < 0;
    const int32_t height = top_down ? -raw_height : raw_height;
    DibSection* dib = create_dib_section(width, height, static_cast<uint16_t>(bits));
    if (!dib) return TEX_E_NOTFOUND;
    if (bits == 8) {
        if (colours == 0 || colours > 256) colours = 256;
        const size_t table = 14 + size_t(header_size);
        if (table + size_t(colours) * 4 > bytes.size()) {
            delete dib;
            return TEX_E_NOTFOUND;
        }
        dib->palette.assign(256, 0);
        for (uint32_t i = 0; i < colours; ++i) dib->palette[i] = u32(table + size_t(i) * 4) & 0xFFFFFF;
    }
    if (uint64_t(offset) + uint64_t(dib->stride) * uint64_t(height) > bytes.size()) {
        delete dib;
        return TEX_E_NOTFOUND;
    }
    // Files store the bottom row first unless the height is negative.
    for (int32_t r = 0; r < height; ++r) {
        int32_t file_row = top_down ? r : height - 1 - r;
        std::memcpy(dib->row(r), bytes.data() + offset + size_t(file_row) * dib->stride, dib->stride);
    }
    *bitmap = dib;
    return TEX_OK;
}

// --- PPM ---

namespace {

// A byte source over a file or a block of memory; -1 at the end.
struct ByteSource {
    std::FILE* file = nullptr;
    const uint8_t* cursor = nullptr;
    const uint8_t* end = nullptr;
    int get()
    {
        if (file) return std::fgetc(file);
        return cursor < end ? *cursor++ : -1;
    }
};

// A header character: '#' runs to the end of the line, whose LF or CR is
// returned.
int header_char(ByteSource& in)
{
    int c = in.get();
    if (c != '#') return c < 0 ? -1 : c;
    for (;;) {
        c = in.get();
        if (c < 0) return -1;
        if (c == '\r' || c == '\n') return c;
    }
}

// Non-digits are skipped, digits accumulated; the character after the
// digits is consumed. -1 when the source ends before a digit.
int32_t header_number(ByteSource& in)
{
    int c;
    do {
        c = header_char(in);
        if (c < 0) return -1;
    } while (c < '0' || c > '9');
    uint16_t value = 0;
    while (c >= '0' && c <= '9') {
        value = static_cast<uint16_t>(value * 10 + (c - '0'));
        c = header_char(in);
    }
    return value;
}

int read_header(ByteSource& in, uint16_t* width, uint16_t* height, uint16_t* max)
{
    if (in.get() != 'P' || in.get() != '6') return 0;
    int32_t w = header_number(in), h = header_number(in), m = header_number(in);
    if (w < 0 || h < 0 || m < 0) return 0;
    if (width) *width = static_cast<uint16_t>(w);
    if (height) *height = static_cast<uint16_t>(h);
    if (max) *max = static_cast<uint16_t>(m);
    return 1;
}

uint32_t ppm_to_dib(ByteSource& in, DibSection** bitmap)
{
    uint16_t w = 0, h = 0, max = 0;
    if (!read_header(in, &w, &h, &max)) return TEX_E_FAIL;
    // Samples are single bytes: a maximum above 255 means two-byte samples.
    if (max == 0 || max > 255) return TEX_E_FAIL;
    DibSection* dib = create_dib_section(w, h);
    if (!dib) return TEX_E_FAIL;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* p = dib->row(y);
        for (int32_t x = 0; x < w; ++x, p += 4) {
            int r = in.get(), g = in.get(), b = in.get();
            if (r < 0 || g < 0 || b < 0) {
                delete dib;
                return TEX_E_FAIL;
            }
            p[0] = static_cast<uint8_t>(b), p[1] = static_cast<uint8_t>(g), p[2] = static_cast<uint8_t>(r), p[3] = 0;
        }
    }
    *bitmap = dib;
    return TEX_OK;
}

} // namespace

int read_ppm_header(std::FILE* file, uint16_t* width, uint16_t* height, uint16_t* max)
{
    if (!file) return 0;
    ByteSource in;
    in.file = file;
    return read_header(in, width, height, max);
}

int read_ppm_header_mem(const uint8_t** cursor, const uint8_t* end, uint16_t* width, uint16_t* height, uint16_t* max)
{
    if (!cursor || !*cursor) return 0;
    ByteSource in;
    in.cursor = *cursor;
    in.end = end;
    int ok = read_header(in, width, height, max);
    *cursor = in.cursor;
    return ok;
}

uint32_t load_ppm_dib(const char* path, DibSection** bitmap)
{
    if (!path || !bitmap) return TEX_E_INVALIDARG;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return TEX_E_NOTFOUND;
    ByteSource in;
    in.file = f;
    uint32_t result = ppm_to_dib(in, bitmap);
    std::fclose(f);
    return result;
}

uint32_t load_ppm_dib_mem(const uint8_t* data, uint32_t size, DibSection** bitmap)
{
    if (!data || !bitmap) return TEX_E_INVALIDARG;
    ByteSource in;
    in.cursor = data;
    in.end = data + size;
    return ppm_to_dib(in, bitmap);
}

// --- Media search ---

uint32_t get_media_path(const char* name, const char* subdir, char* out, uint32_t out_size)
{
    (void)subdir; // the installed sample path it went under has no counterpart here
    if (!name || !out || out_size == 0) return TEX_E_NOTFOUND;
    std::string candidates[2];
    candidates[0] = host_data_file(name);
    if (const char* dir = std::getenv("D3DPATH")) candidates[1] = host_resolve_path(dir, name);
    for (const std::string& path : candidates) {
        if (path.empty() || path.size() + 1 > out_size || !can_open_for_reading(path.c_str())) continue;
        std::memcpy(out, path.c_str(), path.size() + 1);
        return TEX_OK;
    }
    return TEX_E_NOTFOUND;
}
