#include "lib/viv_write.h"

#include <stdexcept>

namespace {

void put_big(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

std::vector<uint8_t> kit_bigfile(const std::vector<KitBigEntry>& entries, int kind)
{
    if (kind != 1 && kind != 2) throw std::invalid_argument("big file kind must be 1 or 2");
    int field = kind == 1 ? 3 : 4;
    size_t header = kind == 1 ? 6 : 16;
    for (const KitBigEntry& e : entries) header += 2 * field + e.name.size() + 1;
    size_t limit = kind == 1 ? 0xFFFFFF : 0xFFFFFFFF;
    std::vector<uint8_t> out;
    if (kind == 1) {
        if (header - 4 > 0xFFFF || entries.size() > 0xFFFF) throw std::length_error("kind-1 header too long");
        out = {0xC0, 0xFB};
        put_big(out, static_cast<uint32_t>(header - 4), 2);
        put_big(out, static_cast<uint32_t>(entries.size()), 2);
    } else {
        out = {'B', 'I', 'G', 'F'};
        size_t total = header;
        for (const KitBigEntry& e : entries) total += e.data.size();
        put_big(out, static_cast<uint32_t>(total), 4);
        put_big(out, static_cast<uint32_t>(entries.size()), 4);
        put_big(out, static_cast<uint32_t>(header), 4);
    }
    size_t offset = header;
    for (const KitBigEntry& e : entries) {
        if (offset > limit || e.data.size() > limit) throw std::length_error("big file entry out of reach");
        put_big(out, static_cast<uint32_t>(offset), field);
        put_big(out, static_cast<uint32_t>(e.data.size()), field);
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(0);
        offset += e.data.size();
    }
    for (const KitBigEntry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
}

void kit_append_chunk(std::vector<uint8_t>& file, uint32_t type, const std::vector<uint8_t>& payload)
{
    uint32_t size = static_cast<uint32_t>(payload.size() + 8);
    for (uint32_t v : {type, size})
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
    file.insert(file.end(), payload.begin(), payload.end());
}
