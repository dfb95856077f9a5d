// Commentary: recorded phrases chosen by event group and priority, joined
// with spoken names, silences filled with remarks on the play.
#pragma once

#include "display/commentary_groups.h"

#include <cstdint>
#include <vector>

constexpr int32_t BALL_ZONE_PHRASES = 14;
constexpr int32_t SITUATION_REMARKS = 23;
constexpr int32_t MAX_LINE_UP = 24;
constexpr int32_t NAME_ENTRIES = 2 * (3 * MAX_LINE_UP + 10);

struct PhraseSlot {
    int32_t sound = -1; // sample slot, -1 empty
    uint8_t kind = 0;
    uint32_t length = 0; // bytes
    uint32_t index = 0;  // the sample's number in its group
};

struct GroupSlots {
    int16_t resident = 0;
    uint16_t cursor = 0;
    std::vector<PhraseSlot> slots; // at least one
};

struct NameEntry {
    int32_t sound = -1;
    uint32_t length = 0;
};

struct CommentaryEvent {
    int32_t group = -1;
    int32_t team1 = -1, man1 = -1, team2 = -1, man2 = -1, priority = 0;
};

struct SituationRemark {
    int32_t group;
    int32_t chosen;
};

struct CommentaryState {
    int32_t loaded, muted;
    int32_t phrase_clock, phrase_length, gap, silence;
    int32_t last_group, last_sound, last_name;
    // The event waiting for the speaker.
    int32_t waiting_group, waiting_team1, waiting_team2, waiting_name1, waiting_name2, waiting_man;
    int32_t waiting_priority; // -1 nothing waits
    int32_t last_zone;
    int32_t last_remark_time, last_refresh_time, last_remark_state;
    int32_t club_group_said;
    int32_t delay_requested, delay_ticks;
    int32_t samples_loaded;
    uint32_t bytes_loaded;
    int32_t largest_phrase, largest_name; // bytes
    int32_t on_demand_group = -1;          // loaded on demand, -1 none
    int32_t men_per_team;
    // The territory value stored back for the match, and its remark flag.
    int32_t territory;
    int32_t territory_remark;
    int32_t concat_sound = -1;
    uint32_t concat_bytes;
};

extern CommentaryState commentary;
extern GroupSlots group_slots[PHRASE_GROUP_COUNT];
extern NameEntry name_entries[NAME_ENTRIES];
extern int32_t line_up_names[2][MAX_LINE_UP];
extern int32_t named_players[16][NAMED_PLAYERS];
extern NameEntry ball_zone_phrases[BALL_ZONE_PHRASES];
extern SituationRemark situation_remarks[SITUATION_REMARKS];
extern CommentaryEvent pending_commentary;

int32_t load_commentary();
void reset_commentary();
void free_commentary();
void commentate(int32_t group, int32_t team1, int32_t man1, int32_t team2, int32_t man2, int32_t priority);
void set_pending_commentary(int32_t group, int32_t team1, int32_t man1, int32_t team2, int32_t man2,
                            int32_t priority);
void flush_pending_commentary();
void clear_pending_commentary();
void request_commentary_delay(int32_t ticks);
void mute_commentary();
void unmute_commentary();
void commentary_fill_silence();
void service_deferred_remarks();
void choose_situation_remark();
bool commentary_within_phrase();
// A group refreshed for the match core: group 0 is ignored, any other only
// between phrases (295 always).
void say_unless_speaking(int32_t group);
bool refresh_phrase_group(int32_t group);
int32_t find_player_name_sample(int32_t team, int32_t man);
// The same by club and squad number.
int32_t named_player_position(int32_t club, int32_t squad_number);
void swap_name_sample_entries(int32_t team, int32_t i, int32_t j);
void reload_name_samples();
int32_t field_zone(int32_t x, int32_t y, int32_t side);
int32_t field_zone_index(int32_t x, int32_t y, int32_t side);
void play_concatenated_sample(int32_t first_sound, uint32_t first_bytes, int32_t second_sound,
                              uint32_t second_bytes);
int32_t phrase_ticks(uint32_t bytes);
bool remark_group(int32_t group);
int32_t first_chosen_remark();
bool remark_state(int32_t state);

// The phrase clock runs on by the ticks given (the game tick and replay
// playback both move it).
void advance_phrase_clock(int32_t ticks);
