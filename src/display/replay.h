// The replay buffer: one fixed-size frame a game tick in a bounded list that
// drops its oldest frame once full, applied back to the match records on the
// replay screen, and saved to and loaded from replay files.
#pragma once

#include <cstdint>

constexpr uint32_t REPLAY_FRAME_SIZE = 1740;
constexpr uint32_t REPLAY_NODE_SIZE = 24;
constexpr uint32_t REPLAY_FILE_FORMAT = 204;
constexpr uint32_t REPLAY_HEADER_SIZE = 12;
constexpr uint8_t REPLAY_NONE = 0xFF;

// Frame layout.
enum : uint32_t {
    RF_IN_USE = 0,
    RF_TICK = 4,
    RF_SIZE = 8,
    RF_TEAM_A = 12,
    RF_TEAM_B = 780,
    RF_OFFICIALS = 1548,
    RF_BALL = 1708,
    RF_BALL_SPIN = 1720,
    RF_STATE = 1732,
    RF_OFFICIAL = 1736,
    RF_HOLDER = 1737,
    RF_HOLDER_TEAM = 1738,
    RF_CONTROLLED = 1739,
    RF_MAN_SIZE = 32,
};
// The holder's team byte when an official holds the ball; the man byte then
// holds the official's index.
constexpr uint8_t REPLAY_HOLDER_OFFICIAL = 2;

struct ReplayNode {
    uint32_t in_use;
    uint8_t* frame;
    ReplayNode* next;
    ReplayNode* prev;
};

struct ReplayBuffer {
    ReplayNode* pool;      // capacity nodes
    ReplayNode* free_list; // through next
    uint32_t count;
    ReplayNode* head; // oldest
    ReplayNode* tail; // newest
    uint32_t capacity;
    uint8_t* frames; // capacity x 1740 bytes
    ReplayNode* current;
    uint32_t recorded_ticks;
};
extern ReplayBuffer replay_buffer;

// The three countdowns recording counts down (the indicator blink and two the
// match core reads).
extern int32_t replay_countdowns[3];

void new_replay_node(uint32_t bytes);
void reset_replay();
void free_replay_node();
void record_replay_frame(uint32_t tick);
void fill_replay_frame(uint8_t* frame, uint32_t tick);
struct PlayerSlot;
void capture_men_for_replay(const PlayerSlot* first, uint8_t* entries, int32_t count);
void apply_replay_frame(const uint8_t* frame);
void apply_current_replay_frame();
void replay_first_node();
void replay_last_node();
uint32_t replay_position();
int32_t replay_seek(int32_t ticks, ReplayNode** out);
// Takes a node out of the list and gives it and its frame back.
void release_replay_node(ReplayNode* node);
bool replay_node_listed(const ReplayNode* node);

uint32_t frame_tick(const uint8_t* frame);
// 0 when the frame's indices all lie in their tables.
bool replay_frame_valid(const uint8_t* frame);

int32_t load_replay_file(const char* path);
// 1 when the whole file was written. It is written beside the old one and
// renamed over it, so a failure leaves the old file as it was; an append
// copies the old replay and adds the frames (a file that is no replay is
// refused), and an append with no file yet writes a whole replay.
int32_t save_replay_file(const char* path, int32_t append);

// Playback (the replay screen drives it).
struct ReplayPlayback {
    int32_t mode;
    double rate;
    double accumulator;
    int32_t countdown_ms; // the screen's running countdown
};
extern ReplayPlayback replay_playback;
// Runs k elapsed ticks of playback; returns the time advanced in ms.
double step_replay(int32_t ticks, double time);
// The tick period in ms (62 ticks a second).
constexpr double REPLAY_TICK_MS = 1000.0 / 62.0;

// Playback of a loaded replay as the match (the match set-up's playback mode).
extern int32_t replay_match_playback;
void set_replay_match_playback(int32_t on);
void replay_match_tick(uint32_t tick);
struct CameraPreset;
// A camera placed on the ball (scaled to 3D units) as a change of view
// places it: at its own distance from the ball, looking at it. A camera
// that is not one of the ten presets just turns to the ball.
void place_camera_at_ball(CameraPreset* camera);
