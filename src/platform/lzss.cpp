#include "platform/lzss.h"
#include "platform/text_reader.h"

#include "platform/directory.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{

constexpr uint32_t POSITION_BITS = 12;
constexpr uint32_t LENGTH_BITS = 4;
constexpr uint32_t WINDOW = 1u << POSITION_BITS;
constexpr uint32_t BREAK_EVEN = 1;
constexpr uint32_t LOOK_AHEAD = (1u << LENGTH_BITS) + BREAK_EVEN; // 17
constexpr uint32_t ROOT = WINDOW;
constexpr uint32_t END_OF_STREAM = 0;
constexpr uint32_t NONE = 0;

struct tree_node {
    uint32_t parent, smaller, larger;
};

uint8_t ring[WINDOW + LOOK_AHEAD];
tree_node tree[WINDOW + 1];

uint32_t wrap(uint32_t position)
{
    return position & (WINDOW - 1);
}

void clear_tree()
{
    std::memset(tree, 0, sizeof tree);
}

void set_root_child(uint32_t node)
{
    tree[ROOT].larger = node;
    tree[node] = {ROOT, NONE, NONE};
}

// The child takes the node's place under its parent.
void contract_node(uint32_t node, uint32_t child)
{
    uint32_t parent = tree[node].parent;
    if (child != NONE) tree[child].parent = parent;
    if (tree[parent].larger == node)
        tree[parent].larger = child;
    else
        tree[parent].smaller = child;
    tree[node].parent = NONE;
}

// replacement takes node's parent and children.
void replace_node(uint32_t node, uint32_t replacement)
{
    uint32_t parent = tree[node].parent;
    if (tree[parent].smaller == node)
        tree[parent].smaller = replacement;
    else
        tree[parent].larger = replacement;
    tree[replacement] = tree[node];
    if (tree[replacement].smaller != NONE) tree[tree[replacement].smaller].parent = replacement;
    if (tree[replacement].larger != NONE) tree[tree[replacement].larger].parent = replacement;
    tree[node].parent = NONE;
}

void lzss_delete_node(uint32_t p)
{
    if (p == NONE || tree[p].parent == NONE) return;
    if (tree[p].larger == NONE) {
        contract_node(p, tree[p].smaller);
    } else if (tree[p].smaller == NONE) {
        contract_node(p, tree[p].larger);
    } else {
        uint32_t next = tree[p].smaller;
        while (tree[next].larger != NONE)
            next = tree[next].larger;
        lzss_delete_node(next);
        replace_node(p, next);
    }
}

// Inserts n; the best match length, its position in *match_position.
uint32_t lzss_insert_node(uint32_t n, uint32_t* match_position)
{
    if (n == END_OF_STREAM) return 0;
    uint32_t test = tree[ROOT].larger;
    uint32_t best = 0;
    for (;;) {
        uint32_t i = 0;
        int delta = 0;
        for (; i < LOOK_AHEAD; ++i) {
            delta = ring[wrap(n + i)] - ring[wrap(test + i)];
            if (delta != 0) break;
        }
        if (i >= best) {
            best = i;
            *match_position = test;
            if (best >= LOOK_AHEAD) {
                replace_node(test, n);
                return best;
            }
        }
        uint32_t& child = delta >= 0 ? tree[test].larger : tree[test].smaller;
        if (child == NONE) {
            child = n;
            tree[n] = {test, NONE, NONE};
            return best;
        }
        test = child;
    }
}

// A byte source for the encoder: memory or a stream.
struct byte_source {
    const uint8_t* data;
    uint32_t left;
    std::FILE* stream;
    int next()
    {
        if (stream) return std::fgetc(stream);
        if (left == 0) return EOF;
        --left;
        return *data++;
    }
};

// Returns the number of input bytes coded, or -1 on a failed write.
int32_t encode(byte_source& in, bit_file& out)
{
    clear_tree();
    uint32_t current = 1;
    uint32_t look_ahead = 0;
    int32_t coded = 0;
    for (; look_ahead < LOOK_AHEAD; ++look_ahead) {
        int c = in.next();
        if (c == EOF) break;
        ring[current + look_ahead] = static_cast<uint8_t>(c);
    }
    set_root_child(current);
    uint32_t match_length = 0, match_position = 0;
    while (look_ahead > 0) {
        if (match_length > look_ahead) match_length = look_ahead;
        uint32_t step;
        if (match_length <= BREAK_EVEN) {
            step = 1;
            if (put_bit(out, 1) < 0 || put_bits(out, ring[current], 8) < 0) return -1;
        } else {
            step = match_length;
            if (put_bit(out, 0) < 0 || put_bits(out, match_position, POSITION_BITS) < 0 ||
                put_bits(out, match_length - (BREAK_EVEN + 1), LENGTH_BITS) < 0)
                return -1;
        }
        coded += static_cast<int32_t>(step);
        for (uint32_t i = 0; i < step; ++i) {
            lzss_delete_node(wrap(current + LOOK_AHEAD));
            int c = in.next();
            if (c == EOF)
                --look_ahead;
            else
                ring[wrap(current + LOOK_AHEAD)] = static_cast<uint8_t>(c);
            current = wrap(current + 1);
            if (look_ahead > 0) match_length = lzss_insert_node(current, &match_position);
        }
    }
    if (put_bit(out, 0) < 0 || put_bits(out, END_OF_STREAM, POSITION_BITS) < 0) return -1;
    return coded;
}

// A byte sink for the decoder: bounded memory or a stream.
struct byte_sink {
    uint8_t* data;
    uint32_t room;
    std::FILE* stream;
    uint32_t written;
    bool put(uint8_t c)
    {
        if (stream) {
            if (std::fputc(c, stream) == EOF) return false;
        } else {
            if (room == 0) return false;
            --room;
            *data++ = c;
        }
        ++written;
        return true;
    }
};

// 1 at the end token, 0 when the stream breaks off, -1 when the sink is full.
int decode(bit_file& in, byte_sink& out)
{
    clear_tree();
    uint32_t current = 1;
    for (;;) {
        int flag = get_bit(in);
        if (flag < 0) return 0;
        if (flag == 1) {
            int32_t c = get_bits(in, 8);
            if (c < 0) return 0;
            if (!out.put(static_cast<uint8_t>(c))) return -1;
            ring[current] = static_cast<uint8_t>(c);
            current = wrap(current + 1);
            continue;
        }
        int32_t position = get_bits(in, POSITION_BITS);
        if (position < 0) return 0;
        if (position == static_cast<int32_t>(END_OF_STREAM)) return 1;
        int32_t length = get_bits(in, LENGTH_BITS);
        if (length < 0) return 0;
        for (int32_t i = 0; i < length + static_cast<int32_t>(BREAK_EVEN + 1); ++i) {
            uint8_t c = ring[wrap(static_cast<uint32_t>(position + i))];
            if (!out.put(c)) return -1;
            ring[current] = c;
            current = wrap(current + 1);
        }
    }
}

bool ends_with_lkz(const char* name)
{
    static const char suffix[] = ".LKZ";
    size_t n = std::strlen(name);
    if (n < 4) return false;
    for (size_t i = 0; i < 4; ++i) {
        char c = name[n - 4 + i];
        if (c != suffix[i] && c != std::tolower(static_cast<unsigned char>(suffix[i]))) return false;
    }
    return true;
}

// Reads the list's next entry, its whitespace collapsed; false at its end
// (end of file or an empty line).
bool next_list_entry(std::FILE* list, std::string& entry)
{
    char line[1024];
    if (!std::fgets(line, sizeof line, list)) return false;
    collapse_whitespace(line, ' ');
    entry = line;
    return !entry.empty();
}

// A listed member must stay below the directory it is unpacked into.
bool stays_inside(const std::string& relative)
{
    if (relative.empty() || relative[0] == '\\' || relative[0] == '/') return false;
    if (relative.size() >= 2 && relative[1] == ':') return false;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find_first_of("\\/", start);
        if (end == std::string::npos) end = relative.size();
        std::string part = relative.substr(start, end - start);
        if (part == "..") return false;
        start = end + 1;
    }
    return true;
}

} // namespace

bit_file open_bit_file(std::FILE* stream)
{
    return bit_file{stream, 0x80, 0};
}

bit_file open_bit_writer(const char* name)
{
    return open_bit_file(std::fopen(user_path(name).c_str(), "wb"));
}

bit_file open_bit_reader(const char* name)
{
    return open_bit_file(std::fopen(user_path(name).c_str(), "rb"));
}

int close_bit_writer(bit_file& file, bool close_stream)
{
    int result = 0;
    if (file.mask != 0x80 && std::fputc(file.rack, file.stream) == EOF) result = -1;
    file.mask = 0x80;
    file.rack = 0;
    if (close_stream) {
        if (std::fclose(file.stream) != 0) result = -1;
        file.stream = nullptr;
    }
    return result;
}

void close_bit_reader(bit_file& file)
{
    if (file.stream) std::fclose(file.stream);
    file.stream = nullptr;
}

int put_bit(bit_file& file, int bit)
{
    if (bit) file.rack |= file.mask;
    file.mask >>= 1;
    if (file.mask == 0) {
        int written = std::fputc(file.rack, file.stream);
        file.rack = 0;
        file.mask = 0x80;
        if (written == EOF) return -1;
    }
    return 0;
}

int put_bits(bit_file& file, uint32_t value, int count)
{
    for (int bit = count - 1; bit >= 0; --bit)
        if (put_bit(file, (value >> bit) & 1) < 0) return -1;
    return 0;
}

int get_bit(bit_file& file)
{
    if (file.mask == 0x80) {
        int c = std::fgetc(file.stream);
        if (c == EOF) return -1;
        file.rack = static_cast<uint8_t>(c);
    }
    int bit = (file.rack & file.mask) ? 1 : 0;
    file.mask >>= 1;
    if (file.mask == 0) file.mask = 0x80;
    return bit;
}

int32_t get_bits(bit_file& file, int count)
{
    int32_t value = 0;
    for (int i = 0; i < count; ++i) {
        int bit = get_bit(file);
        if (bit < 0) return -1;
        value = (value << 1) | bit;
    }
    return value;
}

void print_bits(std::FILE* out, uint32_t value, int count)
{
    for (int bit = count - 1; bit >= 0; --bit)
        std::fputc((value >> bit) & 1 ? '1' : '0', out);
}

uint8_t* lzss_decode_to_memory(uint8_t* destination, uint32_t capacity, bit_file& in)
{
    byte_sink sink{destination, capacity, nullptr, 0};
    return decode(in, sink) == 1 ? destination + sink.written : nullptr;
}

const uint8_t* lzss_encode_from_memory(bit_file& out, const uint8_t* source, uint32_t count)
{
    byte_source in{source, count, nullptr};
    return encode(in, out) < 0 ? nullptr : source + count;
}

int32_t lzss_encode(std::FILE* source, bit_file& out)
{
    byte_source in{nullptr, 0, source};
    return encode(in, out);
}

int32_t lzss_decode_stream(bit_file& in, std::FILE* destination)
{
    byte_sink sink{nullptr, 0, destination, 0};
    return decode(in, sink) == 1 ? static_cast<int32_t>(sink.written) : -1;
}

uint8_t* load_lkz_image(std::FILE* stream, uint32_t* width_out, uint32_t* height_out)
{
    uint8_t header[8];
    if (std::fread(header, 1, 8, stream) != 8) {
        std::fclose(stream);
        return nullptr;
    }
    uint32_t width = header[0] | header[1] << 8 | header[2] << 16 | static_cast<uint32_t>(header[3]) << 24;
    uint32_t height = header[4] | header[5] << 8 | header[6] << 16 | static_cast<uint32_t>(header[7]) << 24;
    if (width_out) *width_out = width;
    if (height_out) *height_out = height;
    // A picture of nothing, or of more than 256 MB, is no picture of ours.
    uint64_t size = static_cast<uint64_t>(width) * height * 4;
    if (size == 0 || size > LKZ_MAX_IMAGE_BYTES) {
        std::fclose(stream);
        return nullptr;
    }
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    if (!pixels) {
        std::fclose(stream);
        return nullptr;
    }
    bit_file in = open_bit_file(stream);
    uint8_t* end = lzss_decode_to_memory(pixels, static_cast<uint32_t>(size), in);
    std::fclose(stream);
    if (end != pixels + size) {
        std::free(pixels);
        return nullptr;
    }
    return pixels;
}

int save_lkz_image(std::FILE* stream, const lkz_image& image)
{
    uint64_t count = static_cast<uint64_t>(image.width) * image.height;
    bool ok = count * 4 <= 0xFFFFFFFFu;
    uint8_t header[8];
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(image.width >> (8 * i));
        header[4 + i] = static_cast<uint8_t>(image.height >> (8 * i));
    }
    ok = ok && std::fwrite(header, 1, 8, stream) == 8;
    uint8_t* bytes = ok ? static_cast<uint8_t*>(std::malloc(static_cast<size_t>(count * 4) + 1)) : nullptr;
    if (bytes) {
        for (uint64_t i = 0; i < count; ++i)
            for (int b = 0; b < 4; ++b)
                bytes[i * 4 + b] = static_cast<uint8_t>(image.pixels[i] >> (8 * b));
        bit_file out = open_bit_file(stream);
        ok = lzss_encode_from_memory(out, bytes, static_cast<uint32_t>(count * 4)) != nullptr;
        ok = close_bit_writer(out, false) == 0 && ok;
        std::free(bytes);
    } else {
        ok = false;
    }
    ok = std::fclose(stream) == 0 && ok;
    return ok ? 1 : 0;
}

image_object* new_image_object(uint32_t width, uint32_t height, uint32_t fill, const char* name)
{
    const uint64_t count = uint64_t{width} * height;
    if (count > LKZ_MAX_IMAGE_BYTES / 4) return nullptr;
    auto* image = static_cast<image_object*>(std::calloc(1, sizeof(image_object)));
    if (!image) return nullptr;
    image->width = width;
    image->height = height;
    image->depth = 32;
    image->pixels = static_cast<uint32_t*>(std::malloc(count ? count * 4 : 4));
    if (name) {
        image->name_length = static_cast<uint32_t>(std::strlen(name));
        image->name = static_cast<char*>(std::malloc(image->name_length + 1));
        if (image->name) std::memcpy(image->name, name, image->name_length + 1);
    }
    if (!image->pixels || (name && !image->name)) {
        free_image_object(image);
        return nullptr;
    }
    std::fill(image->pixels, image->pixels + count, fill);
    return image;
}

void free_image_object(image_object* image)
{
    if (!image) return;
    std::free(image->pixels);
    std::free(image->name);
    std::free(image);
}

int32_t build_lkz_archive(char* path, uint32_t capacity, const char* list_name, const char* archive_name,
                          lkz_progress progress)
{
    if (!ends_with_lkz(archive_name)) return LKZ_BAD_NAME;
    std::FILE* list = std::fopen(user_path(list_name).c_str(), "r");
    bit_file out = open_bit_writer(archive_name);
    if (!list || !out.stream) {
        if (list) std::fclose(list);
        if (out.stream) std::fclose(out.stream);
        return LKZ_CANNOT_OPEN_LIST;
    }
    const size_t base = std::strlen(path);
    int32_t total = 0, result = 0;
    std::string entry;
    while (result == 0 && next_list_entry(list, entry)) {
        if (base + entry.size() >= capacity) {
            result = LKZ_CANNOT_OPEN_MEMBER;
            break;
        }
        std::memcpy(path + base, entry.c_str(), entry.size() + 1);
        std::FILE* member = std::fopen(user_path(path).c_str(), "rb");
        path[base] = '\0';
        if (!member) {
            result = LKZ_CANNOT_OPEN_MEMBER;
            break;
        }
        int32_t count = lzss_encode(member, out);
        std::fclose(member);
        if (count < 0) {
            result = LKZ_ENCODE_FAILED;
            break;
        }
        total += count;
        if (progress) progress(total);
    }
    std::fclose(list);
    if (close_bit_writer(out, true) < 0 && result == 0) result = LKZ_CANNOT_CLOSE;
    return result ? result : total;
}

int32_t extract_lkz_archive(const char* archive_name, const char* list_name, char* path, uint32_t capacity,
                            lkz_progress progress)
{
    const size_t base = std::strlen(path);
    if (base == 0 || path[base - 1] != '\\') return LKZ_BAD_NAME;
    bit_file in = open_bit_reader(archive_name);
    std::FILE* list = std::fopen(user_path(list_name).c_str(), "r");
    if (!in.stream || !list) {
        close_bit_reader(in);
        if (list) std::fclose(list);
        return LKZ_CANNOT_OPEN_INPUT;
    }
    int32_t result = 0;
    std::string entry;
    while (result == 0 && next_list_entry(list, entry)) {
        if (!stays_inside(entry) || base + entry.size() >= capacity) {
            result = LKZ_CANNOT_CREATE_FILE;
            break;
        }
        std::memcpy(path + base, entry.c_str(), entry.size() + 1);
        std::string file = user_path(path);
        path[base] = '\0';
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (!out) {
            std::error_code ec;
            std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
            if (ec) {
                result = LKZ_CANNOT_MAKE_DIRECTORY;
                break;
            }
            out = std::fopen(file.c_str(), "wb");
            if (!out) {
                result = LKZ_CANNOT_CREATE_FILE;
                break;
            }
        }
        int32_t count = lzss_decode_stream(in, out);
        if (std::fclose(out) != 0 || count < 0) {
            result = LKZ_READ_ERROR;
            break;
        }
        if (progress) progress(count);
    }
    close_bit_reader(in);
    std::fclose(list);
    return result;
}
