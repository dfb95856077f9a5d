// The built-in font: 111 glyphs of 8 x 8 from code 32, each advancing 8, in a
// 1-bit image 888 pixels wide. Codes 127 and above are blank.
#include "font/text.h"

namespace {

constexpr uint32_t COUNT = 111;
constexpr uint32_t TABLE = 32;
constexpr uint32_t IMAGE = TABLE + COUNT * GLYPH_RECORD; // 1253
constexpr uint32_t BYTES = IMAGE + 16 + 8 * COUNT;

struct BuiltinFont {
    uint8_t bytes[BYTES];
    constexpr BuiltinFont() : bytes{}
    {
        const uint8_t head[32] = {'F', 'N', 'T', 'F', 0, 0, 0, 0, 100, 0, COUNT, 0, 0, 0, 0, 0,
                                  0,   0,   0,   10,  TABLE, 0, 0, 0, 0, 0, 0, 0, IMAGE & 0xFF, IMAGE >> 8, 0, 0};
        for (uint32_t i = 0; i < 32; ++i) bytes[i] = head[i];
        for (uint32_t i = 0; i < COUNT; ++i) {
            uint8_t* g = bytes + TABLE + i * GLYPH_RECORD;
            uint32_t x = 8 * i;
            g[0] = static_cast<uint8_t>(32 + i);
            g[2] = 8, g[3] = 8;
            g[4] = static_cast<uint8_t>(x), g[5] = static_cast<uint8_t>(x >> 8);
            g[8] = 8;
        }
        uint8_t* shape = bytes + IMAGE;
        shape[0] = 0x79;
        shape[4] = (8 * COUNT) & 0xFF, shape[5] = (8 * COUNT) >> 8;
        shape[6] = 8;
        const uint8_t image[8 * COUNT] = {
#include "font/builtin_glyphs.inc"
        };
        for (uint32_t i = 0; i < 8 * COUNT; ++i) shape[16 + i] = image[i];
    }
};
constexpr BuiltinFont g_builtin{};

} // namespace

const uint8_t* builtinfont() { return g_builtin.bytes; }
