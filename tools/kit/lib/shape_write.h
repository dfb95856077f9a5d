// The engine library's shape banks: "SHP" and a version byte, a directory of
// four-character names and offsets, then each shape with its chain of
// attached records (a palette, a comment...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One record: the 16-byte header's fields and what follows the header.
struct KitShapeRecord {
    uint8_t type = 0;
    int16_t width = 0, height = 0, hotx = 0, hoty = 0;
    std::vector<uint8_t> data;
};

// A shape: its image record, then the records chained behind it.
struct KitShape {
    std::string name; // four characters
    KitShapeRecord image;
    std::vector<KitShapeRecord> chain;
};

// The header and data of one record, with its next-record offset.
std::vector<uint8_t> kit_shape_record(const KitShapeRecord& record, int32_t next);
// A whole bank; records are laid end to end, each on a 4-byte boundary.
std::vector<uint8_t> kit_shape_bank(const std::vector<KitShape>& shapes, uint8_t version = 'x');
