// The data kit: builds the game's own data set, file by file, in the formats
// the game reads. Each format has a writer in lib/ (tests make their fixtures
// with the same writers); each part of the data set is a step in tools/kit/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct KitContext {
    std::string sources; // tools/kit/sources
    std::string out;     // the data directory being built
};

// A step writes one part of the data set; false (with a message) fails the build.
using KitStepFn = bool (*)(const KitContext& ctx, std::string& error);

struct KitStep {
    const char* name;
    int order; // steps run in ascending order, then by name
    KitStepFn run;
};

// Steps register themselves from the kit tool's own sources:
//   KIT_STEP(language_text, 10, build_language_text)
int kit_register(const KitStep& step);
const std::vector<KitStep>& kit_steps();
#define KIT_STEP(id, order, fn) static const int kit_step_##id = kit_register(KitStep{#id, order, fn});

// Writes bytes under the data directory at the game's name for the file
// ("front_en\lang\english.dat"), creating directories; the name keeps the
// spelling given.
bool kit_write_file(const KitContext& ctx, const char* game_name, const std::vector<uint8_t>& bytes,
                    std::string& error);
bool kit_read_source(const KitContext& ctx, const char* relative, std::string& text, std::string& error);

// Little-endian byte building for the writers.
struct ByteWriter {
    std::vector<uint8_t> bytes;
    void u8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v) { u8(v), u8(v >> 8); }
    void u32(uint32_t v) { u16(v), u16(v >> 16); }
    void be16(uint32_t v) { u8(v >> 8), u8(v); }
    void be32(uint32_t v) { be16(v >> 16), be16(v); }
    void raw(const void* p, size_t n)
    {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
    void text(const std::string& s, size_t width) // zero-padded fixed field
    {
        for (size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    }
};
