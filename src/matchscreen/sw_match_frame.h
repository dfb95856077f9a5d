// The match frame on the 8-bit software display: the warm-up before the
// first frame, the frame itself (ground, pitch, men and ball, markers,
// overlays and the radar) drawn into the screen's back surface, and the
// small helpers it uses.
#pragma once

#include <cstdint>

struct PlayerSlot;
struct Surface;

// "game_gfx\software\gen_spr.wth", loaded once at start; nullptr until then.
extern uint8_t* general_sprite_widths;
extern uint32_t general_sprite_widths_size;
void load_sprite_file();
void free_sprite_file();

// Zeroes every row of the surface (width bytes a row); a surface that will
// not lock or unlock ends the program (fatal errors 222 and 221).
void clear_frame_surface(Surface* surface);

// The frame surface: the back surface the software display flips.
Surface* sw_frame_surface();
// The warm-up before the first frame: 32 frames turning round the centre,
// then the match view, faded out before and in after.
void software_prerender();
// One software frame (the frame loop's draw when there is no 3D hardware).
void draw_software_frame();

// The men and umpires posed from their animations and queued with their kit,
// the ball placed when nobody's pose carries it, then all drawn.
void draw_sw_men_and_ball();
// A man's 16 bones in renderer units, from his display pose.
struct sw_bone_record;
void pose_sw_bones(const PlayerSlot& man, sw_bone_record bones[16]);
void draw_sw_shadows(uint8_t* screen);
void draw_sw_ground_markers(uint8_t* screen);
void draw_sw_view_markers(uint8_t* screen);
void draw_sw_radar();
void draw_sw_kick_flash(float level);
// The screen point of a man on the software path; false when he lies behind
// the camera.
bool project_man_to_screen(const PlayerSlot& man, int32_t out_xy[2], int32_t* out_depth);
// The ground display flag that Ctrl+L turns (the pitch lines on or off).
extern int32_t sw_ground_display_flag;
