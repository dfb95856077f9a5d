// LZSS compressed files: a 4,096-byte window, 12-bit positions, 4-bit
// lengths and single flag bits, packed most significant bit first. ".LKZ"
// images (u32 width, u32 height, one stream of width x height x 4 bytes) and
// install archives (one stream per listed file, back to back in one bit
// stream) use the same coder. One coding at a time: the window is static.
#pragma once

#include <cstdint>
#include <cstdio>

struct bit_file {
    std::FILE* stream;
    uint8_t mask; // starts at 0x80
    uint8_t rack; // the byte being filled or emptied
};

bit_file open_bit_file(std::FILE* stream);
// By name: null stream when the file cannot be opened.
bit_file open_bit_writer(const char* name);
bit_file open_bit_reader(const char* name);
// Writes the partial last byte (its unused low bits zero); -1 when a write fails.
int close_bit_writer(bit_file& file, bool close_stream);
void close_bit_reader(bit_file& file);
int put_bit(bit_file& file, int bit);                       // -1 on a failed write
int put_bits(bit_file& file, uint32_t value, int count);    // most significant first
int get_bit(bit_file& file);                                // -1 at the end of the file
int32_t get_bits(bit_file& file, int count);                // -1 at the end of the file
void print_bits(std::FILE* out, uint32_t value, int count); // "1" and "0", for inspection

// Decodes one stream into destination, which holds capacity bytes. The end of
// the written bytes, or null when the stream breaks off or would write more.
uint8_t* lzss_decode_to_memory(uint8_t* destination, uint32_t capacity, bit_file& in);
// Encodes count bytes; the end of the consumed source, or null on a failed write.
const uint8_t* lzss_encode_from_memory(bit_file& out, const uint8_t* source, uint32_t count);
// Stream forms: the byte count, or -1 on a read (decode) or write (encode) error.
int32_t lzss_encode(std::FILE* source, bit_file& out);
int32_t lzss_decode_stream(bit_file& in, std::FILE* destination);

constexpr uint64_t LKZ_MAX_IMAGE_BYTES = 256u << 20;
// The picture in a new buffer of width x height x 4 bytes (release it with
// std::free), or null. The stream is closed in every case.
uint8_t* load_lkz_image(std::FILE* stream, uint32_t* width_out, uint32_t* height_out);
struct lkz_image {
    uint32_t width, height;
    const uint32_t* pixels;
};
// Non-zero on success; closes the stream in both cases.
int save_lkz_image(std::FILE* stream, const lkz_image& image);
// An image in memory of 32-bit pixels, named or not, for the image writer's
// callers (nothing in the game builds one yet).
struct image_object {
    uint32_t width, height;
    char* name; // a copy, or null
    uint32_t name_length;
    uint32_t depth; // bits a pixel: 32
    uint32_t* pixels;
};
// width x height pixels, each set to fill; null when they cannot be had.
image_object* new_image_object(uint32_t width, uint32_t height, uint32_t fill, const char* name);
void free_image_object(image_object* image);

// Archive results: a member count total (build) or 0 (extract), else one of these.
enum : int32_t {
    LKZ_CANNOT_OPEN_INPUT = -2,
    LKZ_CANNOT_MAKE_DIRECTORY = -3,
    LKZ_CANNOT_CREATE_FILE = -4, // also a listed path that leaves the target directory
    LKZ_READ_ERROR = -5,
    LKZ_CANNOT_OPEN_LIST = -6,
    LKZ_CANNOT_OPEN_MEMBER = -7,
    LKZ_ENCODE_FAILED = -8,
    LKZ_BAD_NAME = -9,
    LKZ_CANNOT_CLOSE = -10
};
using lkz_progress = void (*)(int32_t count);
// path holds the members' base directory (capacity bytes in all); archive
// names end in ".LKZ". Names are the game's own, below the user directory.
int32_t build_lkz_archive(char* path, uint32_t capacity, const char* list_name, const char* archive_name,
                          lkz_progress progress);
// path holds the destination directory, ending in "\".
int32_t extract_lkz_archive(const char* archive_name, const char* list_name, char* path, uint32_t capacity,
                            lkz_progress progress);
