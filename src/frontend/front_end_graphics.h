// Graphics several screens share: the caricature (badge) set, the clubs'
// portrait sets, the powerbars the toolkit's bar controls draw and the
// loading picture shown while a match is prepared.
#pragma once

#include <cstdint>

#include "display/bar_models.h"
#include "league/league_data.h"
#include "screen/surface.h"

struct control;
extern int32_t current_caricature_set;
extern int32_t second_caricature_set;
extern int32_t portrait_handles[LEAGUE_TEAMS]; // sprite set slots, -1 none
extern int32_t current_portrait_set, second_portrait_set, third_portrait_set;

extern const char* const CARICATURE_SET;
extern const char* const CONTROLLER_SET;
extern const char* const LOADING_PICTURE;

void load_caricature_set();
// On the hardware path the set's load lets go of its page textures (they stay
// cached off the device), so a screen that shows a team's badge holds the
// page of that frame while it is open: the texture held, or -1 (software
// path, no set, no such frame). Letting go sets it back to -1.
int32_t hold_caricature_frame(int32_t team);
void let_go_caricature_frame(int32_t* texture);
// A screen whose badges can show any club (a list of clubs, a choice that
// changes while it is open) holds every club's frame the same way. Holding
// again first lets go of what it held; a zeroed record holds nothing.
struct HeldBadges {
    bool held;
    int32_t textures[LEAGUE_TEAMS];
};
void hold_every_badge(HeldBadges* badges);
void let_go_every_badge(HeldBadges* badges);
void load_team_portraits(int32_t team, int32_t unused, int32_t load);
// The portrait set's path of a club (its directory and file are named after it).
const char* portrait_set_path(int32_t team);
void show_loading_picture();

// Powerbars: a bar filled to a percentage, in six kinds (the slider's
// powerbar_kind): 0 plain, 1 plain (its own image), 2 red, 3 green, 4 a
// green bar with a red fill, 5 the installer's empty bar with its fill.
enum PowerbarKind : uint32_t {
    POWERBAR_PLAIN = 0,
    POWERBAR_PLAIN_SECOND = 1,
    POWERBAR_RED = 2,
    POWERBAR_GREEN = 3,
    POWERBAR_GREEN_RED = 4,
    POWERBAR_INSTALL = 5,
};
constexpr int32_t POWERBAR_KINDS = 6;
constexpr int32_t POWERBAR_IMAGES = 6;
constexpr uint8_t POWERBAR_CLEAR_COLOUR = 254;

// One image: the software path's pixels and surface, the hardware path's
// overlay bar. Controls of a kind share its images; the last one released
// frees them.
struct PowerbarImage {
    uint8_t* pixels; // 8-bit, rows from the top
    int32_t width, height;
    Surface* surface;
    uint8_t loaded;
    int32_t users;
    BarModel bar; // hardware
};
extern PowerbarImage powerbar_images[POWERBAR_IMAGES];
extern const char* const POWERBAR_DIRECTORY;

// The callbacks of a bar control drawn by the screen.
void load_powerbar(control* c);
void release_powerbar(control* c);
void draw_powerbar_control(control* c, int32_t x, int32_t y, int32_t width, int32_t height, int32_t percent);
// A slider template drawn as a powerbar of the kind, width x height at its
// x, y (the bar's top left).
void make_powerbar_template(control* templ, uint32_t kind, int32_t width, int32_t height);
// A screen's read-only rating bar: an 84 x 10 powerbar of the kind over
// the value's range, its left edge at x and its middle on y.
constexpr int32_t RATING_BAR_WIDTH = 84, RATING_BAR_HEIGHT = 10;
struct control_list;
control* create_rating_bar(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x, int32_t y,
                           uint32_t kind = POWERBAR_PLAIN);
// The range each of the seven ratings' bars spans (Speed, Kicking, Handball,
// Tackling, Strength, Height, Overall).
constexpr int32_t RATING_BARS = 7, OVERALL_RATING_BAR = 6;
constexpr int32_t rating_bar_minimum[RATING_BARS] = {22, 0, 0, 230, 0, 153, 67};
constexpr int32_t rating_bar_maximum[RATING_BARS] = {40, 255, 255, 255, 255, 652, 285};

// The software path's work on one image. A null name is "powerbar.bmp".
// Loading returns 1 when the image is there to draw.
int32_t load_powerbar_image(PowerbarImage* image, const char* name);
void release_powerbar_image(PowerbarImage* image);
// Copies the image to the back surface with its top left at (x, y): the
// columns below the fill copy every pixel but colour 0; the rest are painted
// the clear colour when clear is set. Mirrored, the columns run from the right.
void draw_powerbar_image(const PowerbarImage* image, int32_t x, int32_t y, int32_t percent, bool clear, bool mirror);

// Tests: forgets the sets and frees every powerbar image.
void reset_front_end_graphics();
