#include "platform/text_reader.h"

#include "platform/files.h"
#include "platform/memory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace
{

bool in_set(const char* set, uint8_t c)
{
    return set && c != 0 && std::strchr(set, c) != nullptr;
}

// The first position at or after from whose byte satisfies test, or length.
template <class Test> uint32_t find_from(const config_reader& r, uint32_t from, Test test)
{
    while (from < r.length && !test(r.buffer[from]))
        ++from;
    return from;
}

} // namespace

void open_config_file(config_reader& reader, const char* name)
{
    reader.buffer = load_file(data_path(name), &reader.length);
    reader.position = 0;
}

void close_config_file(config_reader& reader)
{
    if (reader.buffer) free_mem(reader.buffer);
    reader.buffer = nullptr;
    reader.length = reader.position = 0;
}

int32_t find_config_value(config_reader& reader, const char* key, int32_t kind, void* value, const char* skip,
                          const char* stop)
{
    size_t key_length = std::strlen(key);
    if (key_length == 0 || reader.position >= reader.length || key_length > reader.length - reader.position)
        return 0;
    const uint8_t* found = nullptr;
    for (uint32_t at = reader.position; at + key_length <= reader.length; ++at)
        if (std::memcmp(reader.buffer + at, key, key_length) == 0) {
            found = reader.buffer + at;
            break;
        }
    if (!found) return 0;
    reader.position = static_cast<uint32_t>(found - reader.buffer + key_length);
    if (reader.position >= reader.length) return 0;
    return parse_number(reader, kind, value, skip, stop);
}

int32_t parse_number(config_reader& reader, int32_t kind, void* value, const char* skip, const char* stop)
{
    config_reader& r = reader;
    if (r.position >= r.length) return 0;
    for (; r.position < r.length; ++r.position) {
        uint8_t c = r.buffer[r.position];
        if (in_set(stop, c)) return 2;
        if (!in_set(skip, c)) break;
    }
    if (r.position >= r.length) return 0;

    uint32_t start =
        kind == CONFIG_WORD
            ? find_from(r, r.position, [&](uint8_t c) { return c >= 33 && c <= 126 && !in_set(skip, c); })
            : find_from(r, r.position, [](uint8_t c) { return c && std::strchr("+-0123456789.", c); });
    if (start >= r.length) return 0;
    uint32_t end = find_from(r, start + 1, [&](uint8_t c) { return in_set(skip, c); });
    if (end >= r.length) return 0;
    if (end - start >= CONFIG_VALUE_SIZE) return 0;

    char text[CONFIG_VALUE_SIZE];
    std::memcpy(text, r.buffer + start, end - start);
    text[end - start] = '\0';
    r.position = end;
    switch (kind) {
    case CONFIG_DOUBLE:
        *static_cast<double*>(value) = std::strtod(text, nullptr);
        break;
    case CONFIG_FLOAT:
        *static_cast<float*>(value) = static_cast<float>(std::strtod(text, nullptr));
        break;
    case CONFIG_INT: {
        // The 32-bit text-to-long: out-of-range values stop at the limits.
        long long n = std::strtoll(text, nullptr, 10);
        if (n > INT32_MAX) n = INT32_MAX;
        if (n < INT32_MIN) n = INT32_MIN;
        *static_cast<int32_t*>(value) = static_cast<int32_t>(n);
        break;
    }
    case CONFIG_WORD:
        std::memcpy(value, text, end - start + 1);
        break;
    default:
        return 0;
    }
    return 1;
}

char* read_text_line(char* destination, uint32_t capacity, const uint8_t* source, uint32_t source_length,
                     uint32_t* position)
{
    if (capacity == 0) return nullptr;
    // Room is kept for the line feed and the terminator.
    const uint32_t limit = capacity >= 2 ? capacity - 2 : 0;
    uint32_t copied = 0;
    while (*position < source_length && copied < limit) {
        uint8_t c = source[*position];
        if (c == 10) break;
        ++*position;
        if (c != 13) destination[copied++] = static_cast<char>(c);
    }
    if (*position < source_length && source[*position] == 10 && copied + 1 < capacity) {
        destination[copied++] = '\n';
        ++*position;
    }
    destination[copied] = '\0';
    return *position < source_length ? destination : nullptr;
}

bool append_text_line_ends(const char* text, uint8_t* base, uint32_t limit, uint32_t* position)
{
    for (const char* p = text; *p && *position < limit; ++p) {
        if (*p == '\n' || *p == '\r') {
            if (*position + 2 > limit) break;
            base[(*position)++] = 10;
            base[(*position)++] = 13;
        } else {
            base[(*position)++] = static_cast<uint8_t>(*p);
        }
    }
    return *position < limit;
}

int32_t append_bytes(uint8_t* base, const void* source, int32_t count, uint32_t* position)
{
    if (count < 1) return 0;
    std::memcpy(base + *position, source, static_cast<size_t>(count));
    *position += static_cast<uint32_t>(count);
    return count;
}

int32_t take_bytes(void* destination, const uint8_t* base, int32_t count, uint32_t* position)
{
    if (count < 1) return 0;
    std::memcpy(destination, base + *position, static_cast<size_t>(count));
    *position += static_cast<uint32_t>(count);
    return count;
}

bool is_line_end(int c)
{
    return c == 10 || c == 13;
}

bool is_blank(int c)
{
    return c == 32 || c == 9;
}

int32_t read_word(char* destination, uint8_t* base, uint32_t* position, uint32_t limit)
{
    while (*position < limit && is_blank(base[*position]))
        ++*position;
    if (*position >= limit) return 0;
    uint32_t n = 0;
    while (*position < limit && n < CONFIG_VALUE_SIZE - 1) {
        uint8_t c = base[*position];
        if (is_blank(c) || is_line_end(c)) break;
        if (c < 32) c = base[*position] = ' ';
        destination[n++] = static_cast<char>(c);
        ++*position;
    }
    destination[n] = '\0';
    return 1;
}

namespace
{
template <class Stop> int32_t skip_until(const uint8_t* base, uint32_t* position, uint32_t limit, Stop stop)
{
    for (; *position < limit; ++*position)
        if (stop(base[*position])) return 1;
    return 0;
}
} // namespace

int32_t skip_to_line_end(const uint8_t* base, uint32_t* position, uint32_t limit)
{
    return skip_until(base, position, limit, [](uint8_t c) { return is_line_end(c); });
}

int32_t skip_line_ends(const uint8_t* base, uint32_t* position, uint32_t limit)
{
    return skip_until(base, position, limit, [](uint8_t c) { return !is_line_end(c); });
}

int32_t skip_blanks(const uint8_t* base, uint32_t* position, uint32_t limit)
{
    return skip_until(base, position, limit, [](uint8_t c) { return !is_blank(c); });
}

void collapse_whitespace(char* s, char with)
{
    char* out = s;
    bool in_run = false;
    for (const char* p = s; *p; ++p) {
        bool space = (*p >= 9 && *p <= 13) || *p == ' ';
        if (space) {
            if (!in_run) *out++ = with;
            in_run = true;
        } else {
            *out++ = *p;
            in_run = false;
        }
    }
    if (out > s && in_run) --out;
    *out = 0;
}
