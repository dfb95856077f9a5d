// The match scene: its directories by ground, time and weather; the sky,
// pitch, stadium, ball and the small models (markers, arrows, rings,
// overlay models); and the frame draw that lays them out texture by texture.
#pragma once

#include "display/model_instances.h"

#include <cstdint>

extern char stadium_directory[256];
extern char pitch_directory[256];
extern char sky_directory[256];
extern int32_t scene_ready;

constexpr int GROUND_MARKERS = 43;
constexpr int MARKER_ARROWS = 8;
constexpr int DIRECTION_ARROWS = 8;
constexpr int RING_INSTANCES = 64;
constexpr int OVERLAY_ARROWS = 16;
constexpr int FIGURE_MODELS = 42;

// The figures' containers, read at game start (null when missing).
ModelContainer* figure_model(int record);

// The three directories from the scene choice.
void build_stadium_paths();
void set_3d_default_states();
void load_sky_and_pitch();
void load_match_scene();
void free_match_scene();
void load_small_models();
void free_small_models();
bool small_models_loaded();
// Reads a container of the game's own file name, or null.
ModelContainer* load_model_container(const char* file);
void free_model_container(ModelContainer* c);
// Reads (or shares) a container, binds its textures from the directory and
// builds its batches; the instance starts inactive. False when the file is
// missing.
bool load_model(ModelInstance* instance, const char* file, const char* directory, ModelContainer* shared);

ModelInstance* scene_ball();
ModelInstance* scene_pitch();

void place_figure_marker(const int32_t position[3], int32_t index, float scale, int32_t fade);
void place_direction_arrow(const int32_t position[3], int32_t index, float scale);
void hide_direction_arrows();
void hide_figure_markers();
void place_marker_arrow(const int32_t position[3], int32_t index, int32_t shade);
void place_model_ring(float x, float z, float radius_x, float radius_z, float turn, int32_t ring);
void place_pointer_arrow(int32_t value, int32_t side);
void place_overlay_model(const float point[2], int32_t index, uint32_t colour);
void reload_overlay_model();
// The coin at the toss: made active at a point with its turn (radians).
void activate_coin_model(float x, float y, float z, float angle);
void pop_texture_slot();

// Figures: a copy of the shared model (or the file's) with the variants the
// names choose, bound with the kit directory and built at both detail levels;
// the shared model stays the instance's. False without a model.
bool create_model_instance(ModelInstance* instance, const char* file, float scale, ModelContainer* shared,
                           const char* directory, const char* const* names, int32_t count);

// Steps of the loading and the frame that stand on their own.
void reload_player_models();
void free_player_models();
void create_ground_markers();
void free_ground_markers();
void free_arrow_instances();
void free_overlay_arrows();
void load_test_model();
void draw_ground_markers(int32_t slot);
void draw_rings(int32_t slot);
void draw_ball_batch(int32_t slot);
void draw_pointer_arrow(int32_t slot);
void place_overlay_model_small();
void draw_overlay_model_only();

// The frame.
void draw_3d_frame();
void setup_3d_camera();
void place_scene_objects();
void draw_texture_slot(int32_t slot);
void draw_overlay_model();

// The match display's entries in the match's hook table.
void install_display_hooks();
// Frees everything and empties the tables (tests).
void reset_match_scene();
