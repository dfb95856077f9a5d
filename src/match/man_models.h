// The men's models and kit textures, the team sides in the men and a fixed
// default line-up.
#pragma once

#include "match/match_records.h"

#include <cstdint>

constexpr int MODEL_RECORDS = 42;
constexpr int MAX_MAN_TEXTURES = 8;

struct ModelRecord {
    char name[80];
    float scale;
    int32_t shadow_kind;
};
const ModelRecord& model_record(int index); // 0..41

// A man's texture names and the model record of level 0.
struct ManTextures {
    char names[MAX_MAN_TEXTURES][24];
    int32_t count;
    int32_t model_record; // add the level 0..2
    uint32_t size_index;
};
// Size class by the height value h (h x 100 / 256 cm).
uint32_t size_class_of_height(int32_t h);
ManTextures man_textures(const PlayerSlot* man, uint8_t time_of_day);
ManTextures umpire_textures(int umpire, uint8_t time_of_day);
// "3d display\team_textures\" + club + kit + "home\" or "away\".
void team_texture_directory(int team, char* out, int size);

void load_team_textures();
void copy_team_sides();
void assign_default_lineup_a();
void assign_default_lineup_b();
