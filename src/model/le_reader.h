// Little-endian reads from a file held in memory. Every read is checked
// against the end: a read past it sets ok to false and yields zeros, so a
// parser can run to its next check without touching memory it does not own.
#pragma once

#include <cstdint>
#include <cstring>

struct LeReader {
    const uint8_t* data;
    uint32_t size;
    uint32_t pos = 0;
    bool ok = true;

    LeReader(const uint8_t* d, uint32_t n) : data(d), size(n) {}

    uint32_t remaining() const { return size - pos; }
    // True when n more bytes are there; otherwise the read fails as a whole.
    bool have(uint64_t n)
    {
        if (ok && n <= remaining()) return true;
        ok = false;
        return false;
    }
    uint8_t u8() { return have(1) ? data[pos++] : 0; }
    uint16_t u16()
    {
        if (!have(2)) return 0;
        uint16_t v = static_cast<uint16_t>(data[pos] | data[pos + 1] << 8);
        pos += 2;
        return v;
    }
    uint32_t u32()
    {
        if (!have(4)) return 0;
        uint32_t v = static_cast<uint32_t>(data[pos]) | static_cast<uint32_t>(data[pos + 1]) << 8 |
                     static_cast<uint32_t>(data[pos + 2]) << 16 | static_cast<uint32_t>(data[pos + 3]) << 24;
        pos += 4;
        return v;
    }
    float f32()
    {
        uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // A string runs to its 0 byte or to the end of the file; what does not fit
    // the field (with its terminator) is read over and dropped. A string that
    // would start at the end of the file is a read past it.
    void string(char* out, uint32_t field)
    {
        if (field) out[0] = 0;
        if (!have(1)) return;
        uint32_t n = 0;
        while (pos < size) {
            uint8_t c = data[pos++];
            if (c == 0) break;
            if (n + 1 < field) out[n++] = static_cast<char>(c);
        }
        if (field) out[n] = 0;
    }
    // Length of the string at the read position, without its terminator.
    uint32_t string_length() const
    {
        uint32_t n = 0;
        while (pos + n < size && data[pos + n]) ++n;
        return n;
    }
};
