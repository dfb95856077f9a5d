#include "platform/input_record.h"

#include "host/paths.h"

#include <cstdio>
#include <cstring>
#include <string>

int32_t recording_file_number = 1;
uint32_t recording_read_offset;

namespace {

std::string recording_path(int32_t number)
{
    char name[40];
    std::snprintf(name, sizeof name, "input_record_%05d.log", number);
    return host_user_file(name);
}

bool create_empty(int32_t number)
{
    std::FILE* f = std::fopen(recording_path(number).c_str(), "wb");
    if (!f) return false;
    return std::fclose(f) == 0;
}

long file_size(std::FILE* f)
{
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    return std::ftell(f);
}

// One walk over the header fields serves both directions, so that writer and
// reader cannot drift apart.
struct HeaderWriter {
    uint8_t* p;
    void word(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) *p++ = static_cast<uint8_t>(v >> (8 * i));
    }
    void word(const int32_t& v) { word(static_cast<uint32_t>(v)); }
    void word(const uint32_t* v) { word(*v); }
    void byte(const uint8_t& v) { *p++ = v; }
    void men(PlayerSlot* const*) { word(0u), word(0u), word(0u); }  // references mean nothing on disk
    void bytes(const uint8_t* v, size_t n) { std::memcpy(p, v, n), p += n; }
};

struct HeaderReader {
    const uint8_t* p;
    uint32_t take()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(*p++) << (8 * i);
        return v;
    }
    void word(int32_t& v) { v = static_cast<int32_t>(take()); }
    void word(uint32_t* v) { *v = take(); }
    void byte(uint8_t& v) { v = *p++; }
    void men(PlayerSlot** m)
    {
        m[0] = m[1] = m[2] = nullptr;
        p += 12;
    }
    void bytes(uint8_t* v, size_t n) { std::memcpy(v, p, n), p += n; }
};

template <typename Io, typename Record>
void walk_record(Io& io, Record& c)
{
    io.word(&c.group_words[0]);
    io.word(&c.group_words[1]);
    io.word(c.index);
    io.word(c.present);
    io.word(c.kind);
    io.word(c.side);
    io.word(&c.spare_a);
    io.word(c.menu_scratch);
    for (auto& m : c.button_map) io.byte(m);
    io.byte(c.dirs);
    io.byte(c.raw_dirs);
    io.byte(c.prev_dirs);
    io.byte(c.prev_raw_dirs);
    io.word(c.axis_x);
    io.word(c.axis_y);
    io.word(&c.spare_b[0]);
    io.word(&c.spare_b[1]);
    io.word(&c.buttons);
    io.word(&c.prev_buttons);
    for (auto& h : c.button_hold) io.word(h);
    for (auto& d : c.dir_count) io.word(d.held), io.word(d.idle);
    io.word(&c.pressed);
    io.word(&c.released);
    io.byte(c.dirs_pressed);
    io.byte(c.dirs_released);
    io.byte(c.raw_dirs_pressed);
    io.byte(c.raw_dirs_released);
    io.word(&c.dir_flags);
    io.men(c.men);
    io.bytes(c.rest, sizeof c.rest);
}

} // namespace

void put_recording_record(uint8_t* bytes, const controller_record& record)
{
    HeaderWriter w{bytes};
    walk_record(w, record);
}

void get_recording_record(const uint8_t* bytes, controller_record* record)
{
    HeaderReader r{bytes};
    walk_record(r, *record);
}

void reset_recording_file_number() { recording_file_number = 1; }

int begin_input_recording()
{
    if (input_mode != INPUT_RECORDING) return input_mode - INPUT_RECORDING;
    uint8_t header[RECORDING_HEADER_BYTES];
    for (int i = 0; i < RECORDING_HEADER_RECORDS; ++i)
        put_recording_record(header + i * RECORDING_RECORD_BYTES, controllers[i]);
    std::FILE* f = std::fopen(recording_path(0).c_str(), "ab");
    if (!f) return RECORDING_FILE_ERROR;
    bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    ok = std::fclose(f) == 0 && ok;
    // A new stream must not run on into an older, longer one.
    for (int32_t n = 2; std::remove(recording_path(n).c_str()) == 0; ++n) {
    }
    reset_recording_file_number();
    recording_read_offset = 0;
    ok = create_empty(1) && ok;
    return ok ? 0 : RECORDING_FILE_ERROR;
}

int load_input_recording_header()
{
    if (input_mode != INPUT_PLAYBACK) return input_mode - INPUT_PLAYBACK;
    std::FILE* f = std::fopen(recording_path(0).c_str(), "rb");
    if (!f) return RECORDING_FILE_ERROR;
    uint8_t header[RECORDING_HEADER_BYTES];
    size_t got = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    if (got != sizeof header) return RECORDING_FILE_ERROR;
    for (int i = 0; i < RECORDING_HEADER_RECORDS; ++i)
        get_recording_record(header + i * RECORDING_RECORD_BYTES, &controllers[i]);
    reset_recording_file_number();
    recording_read_offset = 0;
    return 0;
}

int write_input_records(const input_record* records, int n)
{
    if (n <= 0) return 1;
    std::FILE* f = std::fopen(recording_path(recording_file_number).c_str(), "r+b");
    long size = f ? file_size(f) : -1;
    if (size < 0 || size > static_cast<long>(RECORDING_FILE_LIMIT)) {
        if (f) std::fclose(f);
        ++recording_file_number;
        f = std::fopen(recording_path(recording_file_number).c_str(), "w+b");
        if (!f) return 0;
    }
    uint8_t bytes[3 * MAX_FRAME_RECORDS];
    int count = n < MAX_FRAME_RECORDS ? n : MAX_FRAME_RECORDS;
    for (int i = 0; i < count; ++i) {
        bytes[3 * i] = records[i].actions;
        bytes[3 * i + 1] = records[i].dirs;
        bytes[3 * i + 2] = records[i].controller;
    }
    size_t want = static_cast<size_t>(3 * count);
    bool ok = std::fseek(f, 0, SEEK_END) == 0 && std::fwrite(bytes, 1, want, f) == want;
    ok = std::fclose(f) == 0 && ok;
    return ok && count == n ? 1 : 0;
}

int read_input_record(input_record* out)
{
    std::FILE* f = std::fopen(recording_path(recording_file_number).c_str(), "rb");
    if (!f) return 0;
    long size = file_size(f);
    if (size < 0 || recording_read_offset >= static_cast<unsigned long>(size)) {
        std::fclose(f);
        ++recording_file_number;
        recording_read_offset = 0;
        f = std::fopen(recording_path(recording_file_number).c_str(), "rb");
        if (!f) return 0;
    }
    uint8_t bytes[3];
    size_t got = 0;
    if (std::fseek(f, static_cast<long>(recording_read_offset), SEEK_SET) == 0) got = std::fread(bytes, 1, 3, f);
    std::fclose(f);
    recording_read_offset += static_cast<uint32_t>(got);
    // A cut-off record at the end of a file is passed over, never half applied.
    if (got != 3) return 0;
    *out = {bytes[0], bytes[1], bytes[2]};
    return 1;
}
