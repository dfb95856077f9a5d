// The animation table: every animation a man can play, one row each, indexed
// by animation number. Built once at game initialisation, read in place.
#pragma once

#include "model/paf.h"

#include <cstdint>

enum {
    ANIM_ROW_COUNT = 426,
    ANIM_PLAYED_ROWS = 378, // rows 378 on are the blend rows
    ANIM_BLEND_ROWS = 48,
    ANIM_NAMED_ROWS = 375,
    ANIM_SCRIPT_END = 50, // ends an event script; never a frame
};

// What a row's on-start routine does to the man who starts it.
enum AnimStartFlags : uint8_t {
    START_MIRROR_SIDE = 1, // sets bit 0 of his animation flags
    START_STOP = 2,        // clears his velocity and speed
    START_STOP_WANTED = 4, // and his wanted speed too
};
struct AnimStartEffect {
    int16_t follow_on;           // -1: left as it is
    int16_t follow_on_secondary; // -1: left as it is
    int16_t follow_on_catch;     // -1: left as it is
    uint8_t flags;
};

struct AnimationRow {
    PafAnimation* data; // null: a row without animation, never started
    uint32_t mirror;    // 1: the data is played reflected left to right
    char label[100];
    const AnimStartEffect* on_start;
    int8_t contact_frame; // frame + 1 of the last contact event; 0 none
    int8_t release_frame; // frame + 1 of the last release event; 0 none
    const uint8_t* events; // one event byte a frame, ended by 50
    uint32_t owns_data;
};

extern AnimationRow animation_table[ANIM_ROW_COUNT];

void load_animations();
void free_animations();

// The symbolic name of rows 0 to 374 ("STAND" ...); null for the others.
const char* animation_name(int row);
// The file a row loads itself ("L_run_nb.paf"), or null for a shared row or
// a row without animation.
const char* animation_file(int row);
// The row whose data a shared row plays, or -1.
int animation_source_row(int row);
// A row's event script expanded into out (256 bytes, or null): its frames,
// the count before the end byte; 0 for a row without animation.
int animation_script(int row, uint8_t* out);

// Event bytes that mark frames of the table itself.
bool is_contact_event(uint8_t e);
bool is_release_event(uint8_t e);
