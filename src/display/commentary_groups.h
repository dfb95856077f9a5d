// The commentary's phrase groups: for each of the 316 groups its sample
// names, each with the kind of name said with it, and how many of its
// samples stay in memory. The data kit speaks the same names.
#pragma once

#include <cstdint>

constexpr int32_t PHRASE_GROUP_COUNT = 316;
constexpr int32_t PHRASE_NAME_SIZE = 33; // 32 characters, NUL, the name kind
constexpr int32_t NAMED_PLAYERS = 6;     // spoken names a club has ("T_" group)

struct PhraseGroup {
    int16_t count;
    const char (*names)[PHRASE_NAME_SIZE];
};

// Built on first use; the named players' groups follow the built-in league.
const PhraseGroup& phrase_group(int32_t group);
// The initial resident count of a group.
int16_t phrase_group_resident(int32_t group);
inline uint8_t phrase_name_kind(const char* name) { return static_cast<uint8_t>(name[PHRASE_NAME_SIZE - 1]); }
int32_t phrase_name_total();

// Streamed groups: loaded on demand, one at a time.
bool phrase_group_streamed(int32_t group);

// The squad numbers of a club's six named players, in the order of its "T_"
// group (-1 past its count); the kit writes their spoken names.
void club_named_players(int32_t club, int32_t numbers[NAMED_PLAYERS]);
