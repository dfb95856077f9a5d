// The men as drawn: each drawn frame copies every man's position, facing and
// two animation channels into his model instance, puts the ball in the
// holder's hand and picks the markers the player needs to see.
#pragma once

#include "match/match_records.h"

#include <cstdint>

enum ManModelLevel : int32_t {
    MAN_LEVEL_NORMAL = 0,
    MAN_LEVEL_BALL_IN_HAND = 1, // the model carries a ball of its own
};

// The five umpires and the men on the ground of both teams.
void sync_men_display();
void sync_man_display(PlayerSlot* man);
// For the man about to be drawn: places the ball when he holds it and
// answers the model level to draw him with.
int32_t prepare_man_and_ball_display(PlayerSlot* man, int32_t view);
// Per frame, first: every man's three instances lose their posed vertices.
void init_man_texture_slots();
// Which men carry a marker this frame: the ball holder's, and a jump-catch
// indicator over each human's controlled man who can still go up for the
// ball. The drawing reads it.
constexpr int MAX_JUMP_MARKERS = 8;
constexpr int MAX_HIGHLIGHTS = 3;
struct MenMarkers {
    PlayerSlot* holder; // while the ball is held
    int32_t jump_count;
    PlayerSlot* jump_man[MAX_JUMP_MARKERS];
    int32_t jump_action[MAX_JUMP_MARKERS];
    // The men the players steer (their groups' members), nearest the ball first.
    int32_t highlight_count;
    PlayerSlot* highlight[MAX_HIGHLIGHTS];
};
extern MenMarkers men_markers;
// Per frame: every man's drawn position and pose slots copied, his markers
// chosen and laid on the ground.
void prepare_men_display();

// The jump-catch indicator over a man: the action (71, 60 or 59) he can
// still meet the ball with, or 0.
int32_t jump_catch_indicator(PlayerSlot* man);

struct ModelInstance;

// The three display instances of a man or official (detail high, mid, low).
// The match set-up builds one per level through the hook table.
void build_model_instance(PlayerSlot* man, int32_t level, int32_t record, const char* directory,
                          const char* const* names, int32_t count);
// The instance drawn this frame, or null.
ModelInstance* current_man_instance(const PlayerSlot* man);
ModelInstance* man_instance(const PlayerSlot* man, int32_t level);
void free_figure_instances();
// Per frame: every man posed when in view and queued for drawing.
void init_man_appearances();
// Each of a man's three instances at detail level 0 (with the ball joint)
// or 1; and the two levels on their own.
void select_model_lod(PlayerSlot* man, int32_t level);
void select_model_lod_0(PlayerSlot* man);
void select_model_lod_1(PlayerSlot* man);
// Per frame: the markers of men_markers laid on the ground.
void place_men_markers();
// The octants (bit n: (angle + 16) / 32 = n) of the holder's disposal lists.
uint8_t direction_arrow_octants();
void prepare_display_misc();
// The queued men's batches of one texture slot.
void update_man_display(int32_t slot);
void light_men_from_map();
