// The match's shared arithmetic: 8-bit angles and their sines, distances,
// the two game random generators, small sorts, the busy test of a man, the
// taking of a proposal and the per-tick occupancy grids.
//
// Angles: 256 to a turn, 0 along +y, 64 along +x, 128 along -y, 192 along -x.
#pragma once

#include "match/match_records.h"
#include "platform/crt_rand.h"

#include <cstdint>

// 320 entries, trunc(256 sin(2 pi i / 256)); the cosine reads 64 entries on.
extern int16_t sine_table[320];
void build_sine_table();

int32_t fixed_sin(uint8_t angle, int32_t r);
int32_t fixed_cos(uint8_t angle, int32_t r);
int16_t fixed_sin16(uint8_t angle, int16_t r);
int16_t fixed_cos16(uint8_t angle, int16_t r);

uint16_t vector_angle(int32_t dx, int32_t dy);
// The 8-bit angle of (dx, dy) as the arctangent rounds it, found from a table
// of tangents; -1 when the angle lies too near a half step to be sure.
int32_t byte_angle_quick(int32_t dx, int32_t dy);
int32_t vector_length(int32_t dx, int32_t dy);
double vector_length_f(double a, double b);
int32_t approx_vector_length(int32_t dx, int32_t dy);

int32_t int_abs(int32_t v);
int32_t int_sign(int16_t v);
int32_t int_mod(int16_t v, uint16_t m); // m must not be 0
void rotate_by_octant(int32_t* a, int32_t* b, int8_t code);
// Clamps to the 16-bit range of the records' vectors.
int16_t clamp16(int32_t v);
// 8-bit angle difference a - b as a signed value -128..127.
int32_t angle_diff(int32_t a, int32_t b);

// Game random numbers. Seeding takes the C runtime's rand, never a zero
// state (a zero state would never change).
void seed_game_random();
uint32_t game_random();   // everything but the ball
uint32_t game_random_b(); // the ball's bounce and flight
uint32_t random_step(uint32_t state);
// crt_rand, the C runtime's rand for the cameras and effects: platform/crt_rand.h.

// Bubble sorts, ascending keys; equal keys keep their order.
void sort_by_key16(uint32_t* values, int16_t* keys, int16_t count);
void sort_by_key32(uint32_t* values, int32_t* keys, int16_t count);

// Any values by their keys: a bubble sort, ascending, equal keys in order.
template <typename Value, typename Key>
void bubble_sort_by_key(Value* values, Key* keys, int count)
{
    // Any stable sort leaves the order the bubble sort would; inserting
    // does it with a shift where the bubble sort made a swap a pass.
    for (int i = 1; i < count; ++i) {
        const Key k = keys[i];
        const Value v = values[i];
        int j = i;
        for (; j > 0 && keys[j - 1] > k; --j) {
            keys[j] = keys[j - 1];
            values[j] = values[j - 1];
        }
        keys[j] = k;
        values[j] = v;
    }
}

// The same order as bubble_sort_by_key for a short list in any order: each
// entry's place is the count of keys below it and of equal keys before it,
// counted without branches (the compiler counts several at once). Twice as
// fast as inserting for a shuffled list of the match's men; longer lists go
// to the insertion sort.
template <typename Value, typename Key>
void rank_sort_by_key(Value* values, Key* keys, int count)
{
    constexpr int most = 64;
    if (count > most) {
        bubble_sort_by_key(values, keys, count);
        return;
    }
    Key k[most];
    Value v[most];
    for (int i = 0; i < count; ++i) {
        k[i] = keys[i];
        v[i] = values[i];
    }
    for (int i = 0; i < count; ++i) {
        const Key key = k[i];
        int place = 0;
        for (int j = 0; j < i; ++j)
            place += k[j] <= key;
        for (int j = i + 1; j < count; ++j)
            place += k[j] < key;
        keys[place] = key;
        values[place] = v[i];
    }
}

// Calls fn for every man of the active list, nearest the ball first.
template <typename Fn>
void for_each_active(Fn fn)
{
    for (int i = 0; i < match_globals.active_men_count; ++i)
        if (match_globals.active_men[i])
            fn(match_globals.active_men[i]);
}

int32_t man_is_busy(const PlayerSlot* man);
PlayerSlot* take_proposal(PlayerSlot* man, int16_t n);

// Occupancy grids: one per side (index 1 for side 2, 0 otherwise), 128
// columns x 64 rows of 512 x 512 units. The low 4 bits of a cell count the
// side's men; men counted in both grids add 16. The first four men counted in
// a cell are kept beside it.
constexpr int GRID_COLUMNS = 128;
constexpr int GRID_ROWS = 64;
extern uint8_t occupancy_grid[2][GRID_ROWS][GRID_COLUMNS];
extern PlayerSlot* occupancy_men[2][GRID_ROWS][GRID_COLUMNS][4];
int grid_of_side(uint8_t side);
void update_occupancy_grids();
