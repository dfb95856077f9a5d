// The group tables, generated from their rule by templates: each entry's
// effect (the pixels it writes, the colour bytes it passes over before and
// after them) is worked out at compile time and names one instantiation of
// a straight-line handler, so entries with the same effect share a handler.
#include "gl3d/group_tables.h"

#include <array>
#include <bit>
#include <cstddef>
#include <utility>

namespace {

struct GroupEffect {
    uint8_t kept; // set bits whose pixels are written
    int pre;      // colour bytes passed over before the first read
    int post;     // and after the last
};

constexpr uint8_t keep_mask(int code)
{
    if (code == 0) return 0xFF;
    if (code <= 8) return uint8_t(0xFF << code);
    return uint8_t(0xFF >> (16 - code));
}

constexpr uint8_t reverse_bits(uint8_t m)
{
    uint8_t r = 0;
    for (int b = 0; b < 8; ++b)
        if (m & (1 << b)) r |= uint8_t(0x80 >> b);
    return r;
}

// Unmirrored, a right cut takes the last colour bytes and a left cut the
// first. Mirrored it is the other way round, and an entry that writes
// nothing passes over its bytes in one step whichever side cut them.
template <bool Mirror>
constexpr GroupEffect group_effect(size_t entry)
{
    int code = int(entry >> 8);
    uint8_t mask = uint8_t(entry & 0xFF);
    uint8_t keep = Mirror ? reverse_bits(keep_mask(code)) : keep_mask(code);
    uint8_t kept = mask & keep;
    int cut = std::popcount(unsigned(mask & ~keep & 0xFF));
    bool cut_first = Mirror ? (code >= 1 && code <= 7) : code >= 9;
    if (Mirror && kept == 0) cut_first = false;
    return cut_first ? GroupEffect{kept, cut, 0} : GroupEffect{kept, 0, cut};
}

template <uint8_t Kept, bool Mirror, bool Shift, int Bit>
inline void put_pixel(const uint8_t*& source, uint8_t* destination)
{
    if constexpr ((Kept >> Bit) & 1) {
        destination[Mirror ? Bit : 7 - Bit] = uint8_t(*source + (Shift ? GROUP_PALETTE_SHIFT : 0));
        ++source;
    }
}

template <uint8_t Kept, int Pre, int Post, bool Mirror, bool Shift>
void copy_group(const uint8_t*& source, uint8_t*& destination)
{
    source += Pre;
    put_pixel<Kept, Mirror, Shift, 7>(source, destination);
    put_pixel<Kept, Mirror, Shift, 6>(source, destination);
    put_pixel<Kept, Mirror, Shift, 5>(source, destination);
    put_pixel<Kept, Mirror, Shift, 4>(source, destination);
    put_pixel<Kept, Mirror, Shift, 3>(source, destination);
    put_pixel<Kept, Mirror, Shift, 2>(source, destination);
    put_pixel<Kept, Mirror, Shift, 1>(source, destination);
    put_pixel<Kept, Mirror, Shift, 0>(source, destination);
    source += Post;
    if constexpr (!Mirror) destination += 8;
}

template <uint8_t Kept, int Column>
inline void restore_pixel(const uint8_t* source, uint8_t* destination)
{
    if constexpr ((Kept >> (7 - Column)) & 1) destination[Column] = source[Column];
}

template <uint8_t Kept>
void restore_group(const uint8_t*& source, uint8_t*& destination)
{
    restore_pixel<Kept, 0>(source, destination);
    restore_pixel<Kept, 1>(source, destination);
    restore_pixel<Kept, 2>(source, destination);
    restore_pixel<Kept, 3>(source, destination);
    restore_pixel<Kept, 4>(source, destination);
    restore_pixel<Kept, 5>(source, destination);
    restore_pixel<Kept, 6>(source, destination);
    restore_pixel<Kept, 7>(source, destination);
    source += 8;
    destination += 8;
}

template <bool Mirror, bool Shift, size_t... I>
constexpr group_table make_copy_table(std::index_sequence<I...>)
{
    return {{&copy_group<group_effect<Mirror>(I).kept, group_effect<Mirror>(I).pre, group_effect<Mirror>(I).post,
                         Mirror, Shift>...}};
}

template <size_t... I>
constexpr group_table make_restore_table(std::index_sequence<I...>)
{
    return {{&restore_group<uint8_t((I & 0xFF) & keep_mask(int(I >> 8)))>...}};
}

constexpr auto entries = std::make_index_sequence<GROUP_TABLE_SIZE>{};

} // namespace

const group_table group_copy_table = make_copy_table<false, false>(entries);
const group_table group_shifted_table = make_copy_table<false, true>(entries);
const group_table group_mirror_table = make_copy_table<true, false>(entries);
const group_table group_mirror_shifted_table = make_copy_table<true, true>(entries);
const group_table group_restore_table = make_restore_table(entries);

uint8_t group_keep_mask(int32_t clip_code) { return keep_mask(int(clip_code & 15)); }
