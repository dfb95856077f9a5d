#include "lib/shape_write.h"

namespace {

void put(std::vector<uint8_t>& out, size_t at, uint32_t value, int n)
{
    for (int i = 0; i < n; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

size_t padded(size_t n) { return (n + 3) & ~size_t{3}; }

} // namespace

std::vector<uint8_t> kit_shape_record(const KitShapeRecord& r, int32_t next)
{
    std::vector<uint8_t> out(16);
    put(out, 0, r.type | static_cast<uint32_t>(next) << 8, 4);
    put(out, 4, static_cast<uint16_t>(r.width), 2);
    put(out, 6, static_cast<uint16_t>(r.height), 2);
    put(out, 8, static_cast<uint16_t>(r.hotx), 2);
    put(out, 10, static_cast<uint16_t>(r.hoty), 2);
    out.insert(out.end(), r.data.begin(), r.data.end());
    return out;
}

std::vector<uint8_t> kit_shape_bank(const std::vector<KitShape>& shapes, uint8_t version)
{
    std::vector<uint8_t> out(16 + 8 * shapes.size());
    out[0] = 'S', out[1] = 'H', out[2] = 'P', out[3] = version;
    put(out, 8, static_cast<uint32_t>(shapes.size()), 4);
    for (size_t i = 0; i < shapes.size(); ++i) {
        const KitShape& s = shapes[i];
        for (size_t c = 0; c < 4; ++c) out[16 + 8 * i + c] = c < s.name.size() ? static_cast<uint8_t>(s.name[c]) : ' ';
        out.resize(padded(out.size()));
        put(out, 16 + 8 * i + 4, static_cast<uint32_t>(out.size()), 4);
        std::vector<const KitShapeRecord*> records{&s.image};
        for (const auto& r : s.chain) records.push_back(&r);
        for (size_t k = 0; k < records.size(); ++k) {
            size_t length = padded(16 + records[k]->data.size());
            int32_t next = k + 1 < records.size() ? static_cast<int32_t>(length) : 0;
            std::vector<uint8_t> bytes = kit_shape_record(*records[k], next);
            bytes.resize(length);
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    }
    return out;
}
