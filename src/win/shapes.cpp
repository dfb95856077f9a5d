#include "win/shapes.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "cmn/unpack.h"
#include "win/pixels.h"

#include <cstring>

namespace {

constexpr const char* SITE = "win\\shapes";
constexpr uint32_t SHP = 'S' << 16 | 'H' << 8 | 'P';
// A chain longer than this is taken as a loop.
constexpr int MAXCHAIN = 256;

const uint8_t* bytes(const void* p) { return static_cast<const uint8_t*>(p); }
int32_t i16at(const void* p, int at) { return static_cast<int16_t>(getlittleendian(bytes(p) + at, 2)); }

constexpr uint8_t k_bits[128] = {
    // 0x00-0x1F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x20-0x2F
    0, 0, 24, 0, 24, 0, 0, 0, 0, 16, 32, 0, 32, 15, 32, 0,
    // 0x30-0x3F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x40-0x4F
    4, 8, 15, 24, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x50-0x5F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x60-0x6F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0,
    // 0x70-0x7F
    0, 0, 0, 0, 0, 0, 0, 0, 16, 1, 4, 8, 0, 32, 15, 24,
};

bool signatureok(const void* bank) { return getbigendian(bank, 4) >> 8 == SHP; }

void badsignature(const char* who, const void* bank)
{
    LIBFAIL(SITE, "%s - UNRECOGNIZED SHAPE SIGNATURE AT 0x%x.\nFOUND %4.4s. SIGNATURE SHOULD BE SHPx\n", who,
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(bank)), static_cast<const char*>(bank));
}

uint32_t rawcount(const void* bank) { return getlittleendian(bytes(bank) + 8, 4); }

// Later entries win: search from the last one back.
void* search(const void* bank, const char* name)
{
    uint32_t want = getlittleendian(name, 4);
    for (uint32_t i = rawcount(bank); i-- > 0;) {
        const uint8_t* entry = bytes(bank) + 16 + 8 * static_cast<uint64_t>(i);
        if (getlittleendian(entry, 4) == want)
            return const_cast<uint8_t*>(bytes(bank) + getlittleendian(entry + 4, 4));
    }
    return nullptr;
}

// Bytes of an attached record, header included; 0 when unknown.
uint64_t recordbytes(const void* record)
{
    uint8_t type = shapetype(record);
    if (ispalettetype(type)) return SHAPE_HEADER + uint64_t{clutentrybytes(type)} * static_cast<uint32_t>(clutcount(record));
    return SHAPE_HEADER;
}

} // namespace

uint8_t shapetype(const void* shape) { return bytes(shape)[0]; }
int32_t shapenext(const void* shape) { return static_cast<int32_t>(getlittleendian(shape, 4)) >> 8; }
int32_t shapewidth(const void* shape) { return i16at(shape, 4); }
int32_t shapeheight(const void* shape) { return i16at(shape, 6); }
int32_t shapehotx(const void* shape) { return i16at(shape, 8); }
int32_t shapehoty(const void* shape) { return i16at(shape, 10); }

static int32_t sign12(uint32_t v) { return static_cast<int32_t>(v << 20) >> 20; }
int32_t shapelastx(const void* shape) { return sign12(getlittleendian(bytes(shape) + 12, 4)); }
int32_t shapelasty(const void* shape) { return sign12(getlittleendian(bytes(shape) + 12, 4) >> 16); }

void setshapelast(void* shape, int32_t x, int32_t y)
{
    uint8_t* at = static_cast<uint8_t*>(shape) + 12;
    uint32_t word = getlittleendian(at, 4) & 0xF000F000u;
    word |= (static_cast<uint32_t>(x) & 0xFFF) | (static_cast<uint32_t>(y) & 0xFFF) << 16;
    putlittleendian(at, word, 4);
}

bool ispalettetype(uint8_t type)
{
    switch (type) {
    case 0x22: case 0x23: case 0x24: case 0x29: case 0x2A: case 0x2C: case 0x2D: case 0x2E: return true;
    default: return false;
    }
}

uint32_t clutentrybytes(uint8_t type)
{
    switch (type) {
    case 0x22: case 0x24: return 3;
    case 0x23: case 0x29: case 0x2D: return 2;
    case 0x2A: case 0x2C: case 0x2E: return 4;
    default: return 0;
    }
}

int32_t clutcount(const void* clut)
{
    int32_t n = shapewidth(clut);
    return n < 0 ? 0 : n > 256 ? 256 : n;
}

int32_t typebpp(uint8_t type) { return k_bits[type & 0x7F]; }
int32_t shapebpp(const void* shape) { return typebpp(shapetype(shape)); }

void* findshape(const void* bank, const char* name) { return bank ? search(bank, name) : nullptr; }

void* locateshape(const void* bank, const char* name)
{
    void* shape = findshape(bank, name);
    if (!shape) {
        const void* block = findmemblock(bank);
        const char* where = block ? memblockname(block) : nullptr;
        LIBFAIL(SITE, "locateshape - '%-4.4s' SHAPE NOT FOUND IN '%s'\n", name, where ? where : "");
    }
    return shape;
}

int32_t shapecount(const void* bank)
{
    if (!signatureok(bank)) badsignature("shapecount", bank);
    return static_cast<int32_t>(rawcount(bank));
}

void* shapepointer(const void* bank, int32_t n)
{
    if (!signatureok(bank)) {
        badsignature("shapepointer", bank);
        return nullptr;
    }
    int32_t count = static_cast<int32_t>(rawcount(bank));
    if (n >= 0 && n < count)
        return const_cast<uint8_t*>(bytes(bank) + getlittleendian(bytes(bank) + 16 + 8 * n + 4, 4));
    if (n < 0 || static_cast<uint32_t>(n) > 1000000)
        LIBFAIL(SITE, "shapename - INVALID SHAPE NUMBER\n requested: %d, available: %d\n", n, count - 1);
    return nullptr;
}

void shapename(const void* bank, int32_t n, uint32_t* out)
{
    *out = 0;
    if (!signatureok(bank)) {
        badsignature("shapename", bank);
        return;
    }
    int32_t count = static_cast<int32_t>(rawcount(bank));
    if (n < 0 || n >= count) {
        LIBFAIL(SITE, "shapename - INVALID SHAPE NUMBER\n requested: %d, available: %d\n", n, count - 1);
        return;
    }
    *out = getlittleendian(bytes(bank) + 16 + 8 * n, 4);
}

int checkshapebank(const void* bank, uint32_t size)
{
    if (!bank || size < 16 || !signatureok(bank)) return 0;
    uint64_t count = rawcount(bank);
    if (16 + 8 * count > size) return 0;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t at = getlittleendian(bytes(bank) + 16 + 8 * i + 4, 4);
        if (at + SHAPE_HEADER > size) return 0;
        const uint8_t* shape = bytes(bank) + at;
        if (!(shapetype(shape) & 0x80) && typebpp(shapetype(shape))) {
            int32_t rb = shaperowbytes(shape), h = shapeheight(shape);
            if (rb < 0 || h < 0 || at + SHAPE_HEADER + uint64_t(rb) * uint64_t(h) > size) return 0;
        }
        for (int steps = 0; shapenext(bytes(bank) + at); ++steps) {
            int32_t next = shapenext(bytes(bank) + at);
            if (next < 0 || steps >= MAXCHAIN) return 0;
            at += static_cast<uint32_t>(next);
            if (at + SHAPE_HEADER > size || at + recordbytes(bytes(bank) + at) > size) return 0;
        }
    }
    return 1;
}

void* getshapeclut(const void* shape)
{
    if (!shape) return nullptr;
    if (!shapebpp(shape) && !ispalettetype(shapetype(shape))) {
        LIBFAIL(SITE, "getshapeclut - INVALID SHAPE TYPE ($%02x)\n", shapetype(shape));
        return nullptr;
    }
    const uint8_t* at = bytes(shape);
    for (int steps = 0; steps < MAXCHAIN; ++steps) {
        if (ispalettetype(shapetype(at))) return const_cast<uint8_t*>(at);
        int32_t next = shapenext(at);
        if (!next) return nullptr;
        at += next;
    }
    return nullptr;
}

int32_t shaperowbytes(const void* shape)
{
    uint8_t type = shapetype(shape);
    if (type == 0x7B) return shapewidth(shape);
    if (type & 0x80) {
        LIBFAIL(SITE, "shaperowbytes - PACKED SHAPES NOT SUPPORTED. PACKTYPE %02x\n", type);
        return 0;
    }
    int64_t bits = shapebpp(shape);
    if (bits == 15) bits = 16;
    int64_t row = shapewidth(shape) * bits;
    int64_t unit = type >= 0x40 && type <= 0x4F ? 16 : 8;
    row = (row + unit - 1) / unit * unit;
    return static_cast<int32_t>(row / 8);
}

namespace {

// How far a packed shape's data may run: to its first chained record, else
// to the end of the memory block holding it. A shape in memory the library
// did not hand out is taken at its word.
uint32_t packedlength(const uint8_t* shape)
{
    int32_t next = shapenext(shape);
    if (next > 0) return next > int32_t(SHAPE_HEADER) ? uint32_t(next) - SHAPE_HEADER : 0;
    if (const void* block = findmemblock(shape)) {
        uint64_t end = reinterpret_cast<uintptr_t>(block) + memblocksize(block);
        uint64_t start = reinterpret_cast<uintptr_t>(shape) + SHAPE_HEADER;
        return end > start ? static_cast<uint32_t>(end - start) : 0;
    }
    return 0x7FFFFFFF;
}

} // namespace

void* unshp(const void* shape)
{
    if (!(shapetype(shape) & 0x80)) return const_cast<void*>(shape);
    const uint8_t* source = bytes(shape);
    uint32_t length = packedlength(source);
    uint32_t size = unpacksize(source + SHAPE_HEADER, length);
    // The chain link is 24 bits: a copy too far from the source carries its
    // own copy of the palette instead.
    const void* clut = shapenext(source) ? getshapeclut(source) : nullptr;
    uint64_t clutbytes = clut ? recordbytes(clut) : 0;
    // The LZ decoder may write four bytes past the end.
    uint64_t total = SHAPE_HEADER + uint64_t{size} + 20 + clutbytes;
    if (!size || total > 0x7FFFFFFF) return nullptr;
    auto* copy = static_cast<uint8_t*>(reservememadr("unshp", static_cast<int32_t>(total), libsettings.defaultmemclass));
    if (!copy) return nullptr;
    std::memcpy(copy, source, SHAPE_HEADER);
    uint32_t got = unpack(source + SHAPE_HEADER, length, copy + SHAPE_HEADER);
    copy[0] &= 0x7F;
    int64_t need = int64_t{shaperowbytes(copy)} * shapeheight(copy);
    if (!got || got < need || got > size) {
        memfree(copy);
        return nullptr;
    }
    int32_t next = shapenext(source);
    int64_t link = 0;
    if (next) {
        link = next + (reinterpret_cast<intptr_t>(source) - reinterpret_cast<intptr_t>(copy));
        if (link < -(1 << 23) || link >= (1 << 23)) {
            link = 0;
            if (clut) {
                uint64_t at = (SHAPE_HEADER + size + 3) & ~uint64_t{3};
                std::memcpy(copy + at, clut, clutbytes);
                putlittleendian(copy + at, shapetype(clut), 4);
                link = static_cast<int64_t>(at);
            }
        }
    }
    putlittleendian(copy, (static_cast<uint32_t>(link) << 8) | copy[0], 4);
    return copy;
}

void* findmemblock(const void* address)
{
    auto a = reinterpret_cast<uintptr_t>(address);
    for (int cls = 0; cls < MEM_CLASSES; ++cls) {
        MemClass* c = memclassrecord(cls);
        if (!c) continue;
        MemClassLock hold(c);
        for (uint32_t at = memheader(c, 0)->next; at;) {
            MemBlockHeader* h = memheader(c, at);
            auto data = reinterpret_cast<uintptr_t>(h) + 16;
            if (h->flags < 0x4000 && a >= data && a < data + h->size) return reinterpret_cast<void*>(data);
            at = h->next;
        }
    }
    return nullptr;
}
