#include "lib/iff_write.h"

#include "lib/kit.h"

#include <stdexcept>

std::vector<uint8_t> kit_byterun1(const std::vector<uint8_t>& row)
{
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < row.size()) {
        size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 3) {
            out.push_back(static_cast<uint8_t>(257 - run)); // -(run - 1)
            out.push_back(row[i]);
            i += run;
            continue;
        }
        size_t start = i, count = 0;
        while (i < row.size() && count < 128) {
            if (i + 2 < row.size() && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
            ++i, ++count;
        }
        out.push_back(static_cast<uint8_t>(count - 1));
        out.insert(out.end(), row.begin() + static_cast<long>(start),
                   row.begin() + static_cast<long>(start + count));
    }
    return out;
}

namespace
{
void chunk(ByteWriter& w, const char* id, const std::vector<uint8_t>& data)
{
    w.raw(id, 4);
    w.be32(static_cast<uint32_t>(data.size()));
    w.raw(data.data(), data.size());
    if (data.size() & 1) w.u8(0);
}
} // namespace

std::vector<uint8_t> kit_ilbm(uint32_t width, uint32_t height, uint32_t planes,
                              const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixels)
{
    if (planes < 1 || planes > 8 || width == 0 || width > 0xFFFF || height > 0xFFFF ||
        pixels.size() != width * height)
        throw std::invalid_argument("kit_ilbm: bad picture");
    ByteWriter bmhd;
    bmhd.be16(width), bmhd.be16(height), bmhd.be16(0), bmhd.be16(0);
    bmhd.u8(planes), bmhd.u8(0), bmhd.u8(1), bmhd.u8(0); // no mask, ByteRun1
    bmhd.be16(0), bmhd.u8(10), bmhd.u8(11), bmhd.be16(width), bmhd.be16(height);

    const uint32_t row_bytes = (width + 15) / 16 * 2;
    ByteWriter body;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t p = 0; p < planes; ++p) {
            std::vector<uint8_t> row(row_bytes, 0);
            for (uint32_t x = 0; x < width; ++x)
                if (pixels[y * width + x] >> p & 1) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            std::vector<uint8_t> packed = kit_byterun1(row);
            body.raw(packed.data(), packed.size());
        }

    ByteWriter form;
    form.raw("ILBM", 4);
    chunk(form, "BMHD", bmhd.bytes);
    chunk(form, "CMAP", palette);
    chunk(form, "BODY", body.bytes);
    ByteWriter file;
    file.raw("FORM", 4);
    file.be32(static_cast<uint32_t>(form.bytes.size()));
    file.raw(form.bytes.data(), form.bytes.size());
    return file.bytes;
}
