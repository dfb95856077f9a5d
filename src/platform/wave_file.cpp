#include "platform/wave_file.h"

#include "platform/files.h"
#include "platform/memory.h"

#include <cstring>

namespace {

uint32_t get_u16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t get_u32(const uint8_t* p) { return get_u16(p) | (get_u16(p + 2) << 16); }

// Finds a chunk between pos and end; every chunk met must lie inside end.
bool find_chunk(const WaveFile& f, uint32_t pos, uint32_t end, const char* id, uint32_t* body, uint32_t* size)
{
    while (pos < end && end - pos >= 8) {
        uint32_t n = get_u32(f.image + pos + 4);
        if (n > end - pos - 8) return false;
        if (std::memcmp(f.image + pos, id, 4) == 0) {
            *body = pos + 8;
            *size = n;
            return true;
        }
        uint32_t next = pos + 8 + n + (n & 1);
        if (next > end) return false;
        pos = next;
    }
    return false;
}

uint32_t read_format(WaveFile* f)
{
    if (f->size < 12 || std::memcmp(f->image, "RIFF", 4) != 0 || std::memcmp(f->image + 8, "WAVE", 4) != 0)
        return WAVE_NOT_WAVE;
    uint32_t riff = get_u32(f->image + 4);
    if (riff < 4 || riff > f->size - 8) return WAVE_NOT_WAVE;
    f->form_start = 12;
    f->form_end = 8 + riff;
    uint32_t body = 0, n = 0;
    if (!find_chunk(*f, f->form_start, f->form_end, "fmt ", &body, &n) || n < 16) return WAVE_NOT_WAVE;
    const uint8_t* p = f->image + body;
    WaveFormat& w = f->format;
    w.format_tag = static_cast<uint16_t>(get_u16(p));
    w.channels = static_cast<uint16_t>(get_u16(p + 2));
    w.samples_per_sec = get_u32(p + 4);
    w.avg_bytes_per_sec = get_u32(p + 8);
    w.block_align = static_cast<uint16_t>(get_u16(p + 12));
    w.bits_per_sample = static_cast<uint16_t>(get_u16(p + 14));
    w.extra_size = 0;
    w.extra = nullptr;
    // The byte rate sizes the stream's buffer: a PCM format that disagrees
    // with itself is not believed.
    if (w.format_tag == WAVE_FORMAT_PCM &&
        (w.block_align == 0 || uint64_t{w.avg_bytes_per_sec} != uint64_t{w.samples_per_sec} * w.block_align))
        return WAVE_BAD_FORMAT;
    if (w.format_tag != WAVE_FORMAT_PCM) {
        if (n < 18) return WAVE_BAD_FORMAT;
        w.extra_size = static_cast<uint16_t>(get_u16(p + 16));
        if (w.extra_size > n - 18) return WAVE_BAD_FORMAT;
        w.extra = p + 18;
    }
    return WAVE_OK;
}

} // namespace

const char* wave_result_text(uint32_t result)
{
    switch (result) {
    case WAVE_OK: return "no fault";
    case WAVE_NO_MEMORY: return "no memory for it";
    case WAVE_CANNOT_OPEN: return "it cannot be opened";
    case WAVE_NOT_WAVE: return "not a RIFF WAVE file whose chunks and format the file holds";
    case WAVE_BAD_FORMAT: return "its format cannot be read, or its bytes a second are not its rate times its block size";
    case WAVE_CANNOT_READ: return "it has no sound data that the file holds";
    default: return "an unknown fault";
    }
}

uint32_t wave_open_file(const char* name, WaveFile* file)
{
    *file = WaveFile{};
    if (!file_exists(name)) return WAVE_CANNOT_OPEN;
    // Too short for the RIFF header (an empty file could not even be loaded).
    if (get_filelength(name) < 12) return WAVE_NOT_WAVE;
    file->image = load_file(name, &file->size);
    uint32_t result = read_format(file);
    if (result != WAVE_OK) wave_close_file(file);
    return result;
}

uint32_t wave_start_data_read(WaveFile* file)
{
    uint32_t body = 0, n = 0;
    if (!file->image || !find_chunk(*file, file->form_start, file->form_end, "data", &body, &n))
        return WAVE_CANNOT_READ;
    file->data_start = body;
    file->data_size = n;
    file->read_pos = 0;
    return WAVE_OK;
}

uint32_t wave_read_file(WaveFile* file, uint8_t* out, uint32_t n, uint32_t* got)
{
    uint32_t left = file->data_size - file->read_pos;
    uint32_t count = n < left ? n : left;
    if (count) std::memcpy(out, file->image + file->data_start + file->read_pos, count);
    file->read_pos += count;
    *got = count;
    return WAVE_OK;
}

void wave_close_file(WaveFile* file)
{
    if (file->image) free_mem(file->image);
    *file = WaveFile{};
}

uint32_t wave_load_file(const char* name, WaveFormat* format, uint8_t** data, uint32_t* data_size)
{
    *data = nullptr;
    *data_size = 0;
    WaveFile file;
    uint32_t result = wave_open_file(name, &file);
    if (result != WAVE_OK) return result;
    result = wave_start_data_read(&file);
    if (result == WAVE_OK) {
        // No sound at all is no block (tracked memory refuses an empty one);
        // the caller finds it cannot make a buffer of it.
        if (file.data_size != 0) {
            *data = static_cast<uint8_t*>(alloc_mem(file.data_size, "wave data"));
            wave_read_file(&file, *data, file.data_size, data_size);
        }
        *format = file.format;
        format->extra = nullptr; // it lay in the file image, which goes now
    }
    wave_close_file(&file);
    return result;
}
