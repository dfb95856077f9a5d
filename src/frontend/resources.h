// What the front end holds while its screens run (fonts, the sprite scaling
// buffer, the common sprite set, the menu tiles) and its release before a
// match and reload after it; the animation-set handles screens load into.
#pragma once

#include <cstdint>
#include <vector>

constexpr int32_t ANIMATION_HANDLES = 55;
// Named handles; the 52 from HANDLE_FORMATION up are the screens' own.
enum : int32_t { HANDLE_COMMON = 0, HANDLE_CARICATURE = 1, HANDLE_CONTROLLERS = 2, HANDLE_FORMATION = 3 };
extern int32_t animation_handles[ANIMATION_HANDLES]; // sprite set slots, -1 none
extern int32_t front_end_loaded;
extern uint8_t* sprite_scaling_buffer;
extern const char* base_palette_file;
extern const char* top_palette_file;

constexpr uint32_t REPLAY_SIZE_MIN = 0x100000;
constexpr uint32_t REPLAY_SIZE_MAX = 8388608;

void load_front_end_resources();
void front_end_shutdown();
void free_front_end_animations();
void reset_resource_handles();
void load_front_end_fonts();
void front_end_setup();
// The front end's sounds play on the voices of the sample layer: it is
// started here when it is not running yet (0, or 1 with no sound device).
int32_t start_front_end_sound_channels();

// Loads a ".sph" set into a handle (nothing when it holds one, or frames
// given by set_animation_frames); false when
// the set cannot be loaded.
bool load_animation_set(int32_t handle, const char* path);
void free_animation_set(int32_t handle);
// The set's frames as an icon's image: a table of frame pointers, or null.
uintptr_t animation_frames(int32_t handle);
const void* animation_frame(int32_t handle, uint32_t frame);
// Gives a handle frames made elsewhere (software sprites, tests' own).
void set_animation_frames(int32_t handle, const std::vector<const void*>& frames);

// Fonts by slot: the front end's seven files load into slots 0, 1, 2, 3,
// 6, 7, 8; a slot is freed through the storage it was loaded into.
void load_font_into_slot(int32_t file, int32_t slot);
void free_font_slot(int32_t slot);

// Links a controller and a man both ways and marks the man driven: false
// when the man has a controller already, else whether his team's count of
// human controllers stays below 31.
struct controller_record;
struct PlayerSlot;
struct TeamRecord;
bool attach_to_slot(controller_record* object, PlayerSlot* slot);
// The same on the first of the team's 24 men without a controller; false
// when every one has one.
bool attach_to_team_slot(TeamRecord* team, controller_record* object);

// Tests: forgets everything without releasing.
void reset_front_end_resources();
