// The frames of the front end's sprite sets, shared by the data kit that
// draws them and the screens that show them. Each set is one ".sph" with
// its companion and page; a frame number here is the set's frame index.
#pragma once

#include <cstdint>

// common.sph: the pointer, the play and back buttons (one frame a state),
// OK/Yes and No (frame base + 4 - state, brightest when clicked) and a rule.
enum CommonFrame : uint8_t {
    COMMON_POINTER = 0,
    COMMON_PLAY = 1,  // 5 frames
    COMMON_BACK = 6,  // 5 frames
    COMMON_OK = 11,   // 5 frames
    COMMON_NO = 16,   // 5 frames
    COMMON_RULE = 21, // a decoration
    // Scroll bars and sliders: the tracks, the thumb, the four arrows.
    COMMON_HTRACK = 22,
    COMMON_VTRACK = 23,
    COMMON_THUMB = 24,
    COMMON_ARROW_LEFT = 25,
    COMMON_ARROW_RIGHT = 26,
    COMMON_ARROW_UP = 27,
    COMMON_ARROW_DOWN = 28,
    COMMON_FRAME_COUNT = 29,
};

// controllers.sph: four controller kinds, each normal then assigned; the
// row arrows, the scroll arrows and the joystick screen's arrows.
enum ControllerFrame : uint8_t {
    CONTROLLER_STICK = 0,
    CONTROLLER_PAD = 2,
    CONTROLLER_MULTIPORT = 4,
    CONTROLLER_KEYS = 6,
    CONTROLLER_ASSIGNED = 1, // added to a kind's frame
    ARROW_LEFT = 8,
    ARROW_RIGHT = 9,
    ARROW_UP = 10,
    ARROW_DOWN = 11,
    JOYSTICK_ARROW_LEFT = 12,
    JOYSTICK_ARROW_RIGHT = 13,
    CONTROLLER_FRAME_COUNT = 14,
};

// caric.sph: one badge a club, frame = team number.
constexpr uint8_t BADGE_FRAME_COUNT = 16;

// The clubs' portrait sets, one a club under its folder of this name: one
// face a player of the club's list.
constexpr const char* PORTRAIT_CLUBS[16] = {
    "Tallowmere", "Brindlecombe", "Quarrymede", "Westwarren", "Cinderhurst", "Culvermoor", "Ferndunny", "PortYallamin",
    "Gullarbrook", "MirrabeenBay", "Yarrowdeen", "Kindlebark", "Hollenvale", "Carnellow", "Saltmarren", "Wendellgrove",
};
constexpr uint8_t PORTRAIT_FRAME_COUNT = 42;
// The clubs' three-letter codes: "face palettes\<code>_face.pal" holds a
// club's 160 face colours.
constexpr const char* CLUB_CODES[16] = {"TAL", "BRI", "QUA", "WES", "CIN", "CUL", "FER", "PYA",
                                        "GUL", "MIR", "YAR", "KIN", "HOL", "CAR", "SAL", "WEN"};
constexpr int32_t FACE_PALETTE_COLOURS = 160;

// editor.sph: the player editor's name plate, plain then marked.
enum EditorFrame : uint8_t { EDITOR_PLATE = 0, EDITOR_PLATE_MARKED = 1, EDITOR_FRAME_COUNT = 2 };

// tournament.sph: the bracket pictures of the two cups and a box's back.
enum TournamentFrame : uint8_t {
    TOURNAMENT_PRE_SEASON = 0,
    TOURNAMENT_FINAL_8 = 1,
    TOURNAMENT_PANEL = 2,
    TOURNAMENT_FRAME_COUNT = 3,
};

// frmation.sph: the line-up screen's pictures. The hint box names a zone
// line (vertical lines 1-4, then the upper and the lower horizontal line);
// each tactical setting 2..11 has three frames from 3 x setting (plain, lit,
// and greyed where it does not fit), and setting 12 shows setting 8's. Then
// the pop-up's two choices and its cancel mark (three frames each), the
// zone-line markers (plain and lit), the swap marker, and the two rings
// that pick out a player (the one chosen, the one pointed at).
enum FormationFrame : uint8_t {
    FORMATION_HINT = 0, // 6 frames, by line
    FORMATION_OPTION_LIT = 1,
    FORMATION_OPTION_GREYED = 2,
    FORMATION_CHOICE_FIRST = 36,
    FORMATION_CHOICE_SECOND = 39,
    FORMATION_CANCEL = 42,
    FORMATION_MARKER_VERTICAL = 45,
    FORMATION_MARKER_HORIZONTAL = 47,
    FORMATION_SWAP_MARKER = 49,
    FORMATION_RING_CHOSEN = 50,
    FORMATION_RING_POINTED = 51,
    FORMATION_FRAME_COUNT = 52,
};
constexpr int32_t FORMATION_HINTS = 6;
// A setting's first frame: setting 12 borrows setting 8's pictures.
constexpr uint8_t formation_option_frame(int32_t setting)
{
    return static_cast<uint8_t>(3 * (setting == 12 ? 8 : setting));
}
