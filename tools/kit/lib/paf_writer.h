// Writer of ".paf" animation files (the layout the game's loader reads).
#pragma once

#include "model/paf.h"

#include <cstdint>
#include <vector>

struct PafTrackData {
    std::vector<PafRotKey> rot;
    std::vector<PafPosKey> pos;
};

struct PafFileData {
    uint16_t reserved = 0;
    uint8_t root_motion = 0;
    uint8_t separate_ball = 0;
    std::vector<PafTrackData> tracks;
};

std::vector<uint8_t> write_paf(const PafFileData& paf);
// True when every key value is a finite number (the kit writes no other).
bool paf_is_finite(const PafFileData& paf);
