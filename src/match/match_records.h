// The match records: one static game-state block holding the match globals,
// both teams with their men, the five umpires, the ball and the game
// settings. Nothing here is allocated; every module reads and writes the
// fields in place through the named globals at the end of this file.
#pragma once

#include "league/game_settings.h"
#include "platform/settings_targets.h"
#include "platform/tick_timer.h"
#include "model/skeleton.h"

#include <cstdint>
#include <type_traits>

struct controller_record; // the input layer's record of one controller
using ContestGroup = controller_record;
struct league_team;
struct league_player;
struct PlayerSlot;
struct TeamRecord;
struct FormationSpots;

constexpr int TEAM_SLOTS = 24;     // 18 on the ground, 6 on the bench
constexpr int GROUND_MEN = 18;
constexpr int FIRST_BENCH_SLOT = 18;
constexpr int OFFICIAL_COUNT = 5;
// The stick's bend of a kick in flight (aftertouch), which the match sets up.
constexpr int32_t AFTERTOUCH_STRENGTH = 50;
constexpr int MAX_ACTIVE_MEN = 2 * TEAM_SLOTS;
constexpr int MAX_PROPOSALS = 12;
constexpr int MAX_QUEUED_INTERCHANGES = 4;
constexpr uint8_t FIRST_OFFICIAL_NUMBER = 64;

// Match flow flags.
constexpr uint16_t QUARTER_1 = 0x0001;
constexpr uint16_t QUARTER_2 = 0x0002;
constexpr uint16_t QUARTER_3 = 0x0004;
constexpr uint16_t QUARTER_4 = 0x0008;
constexpr uint16_t CLOCK_STOPPED = 0x0010;
constexpr uint16_t CLOCK_RUNNING = 0x0020;
constexpr uint16_t LEAVE_OVER = 0x0040;
constexpr uint16_t MATCH_PLAYED = 0x0080;
constexpr uint16_t FLOW_KEEP_A = 0x0100; // coin toss done
constexpr uint16_t FLOW_KEEP_B = 0x0200;
constexpr uint16_t EXTRA_TIME = 0x0400;
constexpr uint16_t SUDDEN_DEATH = 0x0800;
constexpr uint16_t TIME_ON = 0x1000;
constexpr uint16_t FLOW_KEEP_C = 0x2000;
constexpr uint16_t LEAVE = 0x4000;
constexpr uint16_t CLOCK_FROZEN = 0x8000;
constexpr uint16_t FLOW_KEPT_BY_NEW_MATCH = FLOW_KEEP_A | FLOW_KEEP_B | FLOW_KEEP_C | LEAVE;
constexpr uint16_t FLOW_ENDS_FRAME_LOOP = LEAVE | LEAVE_OVER | MATCH_PLAYED;

// man_flags bits.
constexpr uint16_t MAN_IN_CONTEST = 0x0001; // also: driven by a human controller
constexpr uint16_t MAN_BUSY = 0x0080;
constexpr uint16_t MAN_IN_BOTH_GRIDS = 0x0400;
constexpr uint16_t MAN_OUT_OF_PLAY = 0x0800;
constexpr uint16_t MAN_BUSY_B = 0x2000;
// man_flags2 bits.
constexpr uint16_t MAN2_OPTION_SPOT = 0x0010;
constexpr uint16_t MAN2_NO_CONTEST = 0x0800;

// One entry of a man's list of action proposals.
struct ActionProposal {
    uint16_t action;
    PlayerSlot* target_man;
    uint16_t argument;
    int16_t x, y;
    uint16_t priority; // compared as signed
};

// One queued interchange pair.
struct InterchangeEntry {
    uint8_t man_on;  // 255 when empty
    uint8_t man_off; // 255 when empty
    uint32_t pending;
};

// One man: player or umpire. Cleared, copied and swapped whole.
struct PlayerSlot {
    uint8_t number;        // slot 0..23; umpires 64..68
    uint8_t team_index;
    uint8_t line_up_index; // index in his club's player list
    TeamRecord* team;      // null for umpires
    uint8_t side;
    uint32_t turning;
    uint32_t busy_flag; // off the ground on the bench
    uint32_t arrived;
    uint32_t ball_coming;
    uint32_t spot_assigned;
    uint32_t avoiding;
    ContestGroup* contest_group; // also the controller driving him
    league_player* person;
    int16_t move_dx, move_dy;
    int16_t path_dx, path_dy;
    uint16_t man_flags;
    uint16_t man_flags2;
    int16_t x, y, z;
    uint16_t x_frac, y_frac, z_frac;
    int16_t velocity_x, velocity_y;
    int16_t velocity_z;
    uint16_t velocity_x_frac, velocity_y_frac, velocity_z_frac;
    uint16_t speed_frac;
    int16_t path_speed;
    uint16_t grid_col, grid_row;
    uint8_t facing;
    int16_t speed;
    uint16_t action;
    uint16_t previous_action;
    PlayerSlot* target_man;
    uint16_t action_arg;
    int16_t target_x, target_y;
    uint16_t action_priority;
    uint32_t primary_animation;
    uint32_t secondary_animation;
    uint32_t follow_on_primary, follow_on_secondary;
    // Animation channels.
    PafAnimation* secondary_data;  // null while the secondary channel is idle
    int32_t rate_override;         // primary rate while man_flags2 0x0001 is set
    int32_t secondary_rate;
    double primary_rate_factor;
    uint8_t animation_flags;       // ANIM_MIRRORED, ANIM_HOLD
    uint8_t secondary_flags;       // the secondary animation's mirror flag
    int32_t spoil_countdown;
    uint8_t injury_repeats;
    FigurePose model;              // the instance the skeleton is posed from
    int32_t display_position[3];   // 24.8 copy for the drawn frame
    // Frame events and ball contacts.
    uint8_t decision_mark;   // 1: think again about the ball
    uint8_t phase_mark;
    uint16_t takeoff_flags;  // ORed into man_flags2 when a jump leaves the ground
    int32_t contact_ticks[2];
    int16_t speed_burst_b;
    uint8_t kick_ahead;      // a contest man kicks to a clear spot ahead
    // The plan of a jump action, written when the test commits.
    uint32_t plan_active;
    PlayerSlot* plan_target_man;
    uint8_t plan_angle;
    int32_t plan_vx, plan_vz, plan_vy;
    uint16_t plan_z;
    uint16_t plan_action;
    uint16_t plan_target_x, plan_target_y, plan_target_facing;
    int32_t plan_ticks;      // ticks to contact
    int32_t plan_frames;     // frames of the run-up to contact
    uint8_t official_job;
    uint8_t job_step;
    ActionProposal proposals[MAX_PROPOSALS];
    int8_t proposal_count;
    int32_t pairing_value;
    int32_t arrive_radius;
    int16_t wanted_facing;
    int16_t top_speed;
    uint16_t effort;
    uint16_t ball_distance;
    int8_t skills[8];
    uint32_t locomotion; // the movement layer's gait word, copied when falling in behind
    uint32_t detour_active;
    int16_t saved_target_x, saved_target_y;
    int32_t detour_x, detour_y;
    uint8_t spot_index;
    const void* spot; // a set-play spot, or for key men the opponent's slot
    PlayerSlot* matched_man;
    uint8_t position_role;
    uint32_t possession_time;
    int16_t angle_to_ball;
    int16_t heading_to_target;
    int32_t reach_x, reach_y;
    uint32_t size_index;
    // Set plays and rules.
    uint32_t stoppage_man;
    uint32_t excluded;       // dealt with after an injury; kept off interchange
    int16_t hold_countdown;  // set-play hold: re-post the current action
    int32_t lead_reaction_delay;
    int32_t lead_skill;
    PlayerSlot* previous_target;
    // Holding tackle.
    uint32_t tackle_state;
    PlayerSlot* tackle_partner;
    uint16_t tackle_animation;
    // Movement, actions and fights (the executor's and the locomotion's).
    uint16_t path_x_frac, path_y_frac; // path_dx/dy carry the step of a move, 16.16
    int16_t target_distance;           // fast length of move_dx, move_dy
    uint16_t move_heading;
    uint8_t stamina;
    uint16_t rest_ticks;
    uint16_t wait_ticks;
    int16_t fatigue; // 0..8160
    int16_t mark_spot_x, mark_spot_y, mark_spot_heading;
    uint32_t waypoint_pending;
    int16_t waypoint_x, waypoint_y;
    uint32_t blocked;          // another man ran into him this tick
    int16_t separation_side;   // which way a bump pushes him round
    uint32_t melee;            // drawn into a fight
    uint32_t leaving;          // to be replaced: walks off when injured
    uint16_t air_word;         // how a mark contest leaves the ground
    int32_t air_timer;
    uint8_t fight_stage;
    uint8_t stage;             // rack-off step
    uint16_t queued_blow, chosen_blow;
    int16_t fight_timer;       // ms
    uint16_t rack_offs;
    uint16_t run_up_action; // the action of his kick-out run-up
    uint8_t support_mode;     // taking a pass: the contest supports him
    // What the front end reads after a match.
    int32_t injured_in_match;
    uint8_t injury_type;
    int16_t reports;
    int16_t report_points;
    uint8_t match_stats[13]; // by MAN_STAT_*
    // Ball contacts.
    uint32_t contact_claim;
    int16_t catch_offset[3];      // from his position to his hands
    int32_t next_bounce_distance; // a running bounce's reach
    uint32_t follow_on_catch;     // played after a clean catch
    int32_t speed_burst;
    // Animation channels: 16.16 frames.
    int32_t primary_position;
    int32_t secondary_position;
    // Interchange and officials.
    uint32_t interchanging;
    uint32_t block_word;     // a blocking action keeps him on the ground
    uint32_t placement_word; // an umpire's placement progress
    uint32_t moving;         // non-zero while the executor carries out a move
    uint8_t job_facing;      // the way an umpire's job has him face
    uint8_t signal_whistled; // the state an umpire last walked to with force
    int32_t signal_countdown; // ticks an umpire's signal still holds him
    // Proposals.
    uint16_t reaction_timer;
    uint32_t action_counter; // the executor counts in it; a new take clears it
    uint16_t landing_distance;
    // Ceremonies and fights.
    PlayerSlot* fight_opponent;
    uint32_t fight_link;
    uint32_t key_man_mark;
    // Counts the rules keep for the statistics screen.
    uint8_t goals_kicked;
    uint8_t behinds_kicked;
    uint8_t free_kicks_won;
    uint8_t marks_taken;
    uint8_t contested_marks;
    uint8_t uncontested_marks;
    int32_t ball_handling; // set from his handball rating when he takes the ball
    // Rules.
    int32_t reaction_delay;     // ticks before he reacts to a loose ball
    int32_t start_delay;        // ticks before a key man moves off at a bounce
    int32_t mark_stand_distance; // the man on the mark's distance to the mark
    int32_t mark_stand_facing;
    uint8_t prompt_selection;   // the interchange prompt's index, copied on exclusion
    uint8_t line_up_code;       // the first code of his selection entry
    int16_t model_man_index;    // his model instance's man index
    int32_t model_last_animation;
    uint32_t model_ready;
    // Set plays and the team AI.
    uint8_t tap_plan;          // a ruck tap: 2 while it may still pick its receiver
    uint8_t loose_ball_choice; // 1: the first contact starter
    uint8_t kick_lock;
    uint8_t line_byte;         // 2..7: the zone line bounding him
    int16_t aim_x, aim_y;      // a set kick's aim point
    int16_t lead_points[4][2]; // a kicker's last set-kick lead points, for play on
    uint8_t lead_point_count;
    int32_t confidence;        // 0..100
    int16_t argue_count;
    uint16_t set_action;       // the action his set kick's run-up ends in
    // A jump spoil: step, direction, flight ticks, contact and target points (16.16).
    uint8_t spoil_step, spoil_direction;
    int32_t spoil_ticks;
    int32_t spoil_contact_x, spoil_contact_y;
    int32_t spoil_target_x, spoil_target_y;
};

// A man's statistics bytes.
enum ManStat : int {
    MAN_STAT_KICKS,
    MAN_STAT_CLEARANCES,
    MAN_STAT_LONG_KICKS,
    MAN_STAT_SHORT_KICKS,
    MAN_STAT_HANDBALLS,
    MAN_STAT_HANDBALLS_AIMED,
    MAN_STAT_TACKLES,
};

// A team's set-play overlay, animated by the display and steered by the
// match core (the step, the chosen flags, the coin's turning and the toss).
// The overlay's diagram counter once the chosen option is fully shown.
constexpr int32_t OVERLAY_SHOWN = 164;

struct TeamOverlayState {
    int8_t selection;
    uint32_t chosen;
    int32_t step;       // 256 to a turn; the sign turns the ring
    int32_t ring_angle; // in the throw-in zones: a zone change's progress
    uint8_t diagram_index; // 255 none
    uint32_t set_play_done;
    struct Row {
        int32_t x, y, depth, aux; // kick-out rows: y 16.16, aux the stagger delay (-1 arrived)
    } rows[8];
    struct Cursor {
        int32_t x, y, reserved, blink;
    } cursor;
    struct Point {
        int32_t x, y, scale, reserved;
    } diagram_points[16]; // ended by x = -1
    int32_t panel_x, panel_y;
    int32_t coin_frame, stop_frame;
    uint8_t toss_done;
    int8_t choice; // the coin: 1 forward, -1 back, 0 still; the choice panel: 1 or 2
    int32_t slide_timer; // ticks until the choice panel's pointer may swing again
    int32_t kick_out_list;
    int32_t diagram_growth; // 0..OVERLAY_SHOWN
};

// One team in a match; the two records point at each other.
struct TeamRecord {
    uint8_t team_number;
    uint8_t human_count;
    TeamRecord* other_team;
    league_team* club;
    league_team* club_sheet;
    PlayerSlot slots[TEAM_SLOTS];
    uint8_t queued_interchange_count;
    InterchangeEntry queued_interchanges[MAX_QUEUED_INTERCHANGES];
    uint8_t pairings[TEAM_SLOTS][TEAM_SLOTS];
    uint8_t side; // 1 attacks the goal at negative x, 2 the goal at positive x
    int16_t points;
    int16_t goals;
    int16_t behinds;
    uint16_t free_kicks;
    uint16_t ball_ups;
    uint16_t tackles;
    uint16_t kicks_attempted, kicks_completed;
    uint16_t handballs_attempted, handballs_completed;
    uint16_t aimed_kicks;
    PlayerSlot* stage_men[2]; // the two men the record names for states 22 and 23
    uint8_t team_mode;        // the team AI's current mode word
    uint8_t set_play_mode;
    PlayerSlot* set_play_man; // the set-play mode's own man
    int32_t clock_mark;
    uint32_t possession_ticks;
    uint32_t territory_ticks;
    uint8_t action_quotas[8];
    uint8_t interchanges_used;
    uint16_t time_wasting;
    uint16_t penalties;
    uint8_t pickup_under_way;
    uint8_t loose_ball_words[2];
    uint8_t support_counter;
    uint8_t contest_option;
    uint8_t turn_counter;
    uint8_t tactic_enabled;
    uint8_t tactic_a, tactic_b, tactic_c;
    uint32_t name_labels;
    uint8_t injury_count;
    uint8_t loose_ball_mark;
    PlayerSlot* captain;
    PlayerSlot* vice_captain;
    // Set-play block.
    int8_t setup_choice;
    int32_t setup_chosen;
    uint8_t option_choice; // 255 none yet
    int32_t option_chosen;
    int32_t end_choice; // the confirmed coin call (-1, 1), then the confirmed end (1, 2)
    int32_t toss_call;  // the coin call being made (-1, 1), then the end being chosen (1, 2)
    int32_t zone_lines[6];
    const FormationSpots* formation_spots;
    uint8_t key_men[4];
    uint8_t key_man_e;
    uint8_t ruck_contest_count;
    uint8_t second_count; // set to 3 with ruck_contest_count
    uint32_t behaviour_set;
    uint32_t selection_extra;
    // Set plays and the team AI.
    uint8_t wide_man_index;
    uint8_t disposal_mode;     // 0: the rated disposals only
    int32_t stoppage_choice;   // -2..2 as the overlay steps it
    TeamOverlayState overlay;
};

// A disposal waiting for its release frame: who or where it goes.
struct DisposalRecord {
    uint8_t heading;
    PlayerSlot* target_man;  // the receiver, or null
    int16_t target_x, target_y;
    int16_t dx, dy;          // a handball with no receiver goes this way
    uint16_t argument;
    int16_t extra;           // turn added to the kick's direction
    int32_t kind;            // launch kind of the kick
};

// The one ball.
struct BallState {
    uint16_t flags; // 1 free and stepped, 2 held
    int32_t x, y, z;    // 16.16
    int32_t vx, vy, vz; // 16.16 per tick
    int32_t gravity;
    uint16_t heading;
    int8_t tumble_phase;
    int8_t tumble_period;
    int8_t tumble_countdown;
    int8_t tumble_dir;
    int32_t spin_rate[3];
    int32_t spin_angle[3];
    uint8_t bounce_count;
    int8_t prev_bounce_phase;
    uint16_t flight_flags;
    int16_t landing_x, landing_y;
    int16_t launch_x, launch_y, launch_height;
    int16_t prev_x, prev_y, prev_z;
    uint8_t last_touch; // 255: nobody
};

// The match-wide fields.
struct MatchGlobals {
    uint8_t match_state;
    uint8_t previous_match_state;
    uint8_t return_match_state;
    uint8_t frame_drawing_off;
    uint16_t flow_flags;
    int32_t pending_cut_state;
    int32_t period_clock;
    int32_t ticks_played;
    int32_t stopped_time;
    int32_t clock_enabled;
    int32_t time_off;
    uint16_t ticks_last_frame;
    int32_t ticks_halted;
    int32_t closing_transition_running;
    int32_t opening_transition_running;
    uint8_t leave_exit_code;
    uint16_t leave_flags;
    void (*transition_done_callback)();
    uint8_t init_mode;
    int32_t frames_for_ms_running;
    int32_t tick_done;
    int32_t overlay_sprite_count;
    int32_t overlay_sprite_count_last;
    int32_t tick_counter_a, tick_counter_b;
    int8_t men_per_team;
    int8_t active_men_count;
    PlayerSlot* active_men[MAX_ACTIVE_MEN];
    TeamRecord* possession_team; // the team of the man who last took the ball
    uint8_t hands_off;           // no ball-handling count is kept while set
    // Beside active_men as the list was built at set-up (never re-sorted):
    // where each man stood, his two line-up codes and his slot.
    int16_t active_men_x[MAX_ACTIVE_MEN];
    int16_t active_men_y[MAX_ACTIVE_MEN];
    uint8_t active_men_code[MAX_ACTIVE_MEN];
    uint8_t active_men_role[MAX_ACTIVE_MEN];
    PlayerSlot* active_men_slot[MAX_ACTIVE_MEN];
    PlayerSlot* ball_holder;
    PlayerSlot* last_ball_holder;
    PlayerSlot* last_kicker;
    uint8_t last_kicker_controlled;
    uint8_t last_kicker_control_byte; // kept while the controllers are detached
    PlayerSlot* selected_man;
    PlayerSlot* controlled_man_a; // takes the set kick
    PlayerSlot* controlled_man_b; // stands the mark
    PlayerSlot* umpire_with_ball;
    DisposalRecord disposal;        // what the next release does with the ball
    int32_t kick_time_mark;       // the clock at a kick's release: aftertouch runs while the clock is above it
    int32_t aftertouch_strength;  // the stick's bend of a kick in flight, 1/200 unit a tick each tick
    uint8_t set_kick_taken;
    uint8_t pending_decision;       // 4 holding the ball, 5 ball up
    int16_t bounce_spot_x, bounce_spot_y;
    int32_t bounce_follow_code;
    uint8_t centre_bounce_done;
    uint8_t injury_kind;
    int16_t kick_out_spot_x, kick_out_spot_y; // where the kick-out taker runs to
    int32_t restart_countdown;
    uint8_t game_type;
    uint32_t quarter_minutes;
    uint8_t game_speed;
    uint8_t option_bytes[7]; // cleared when the front end starts, the last set to 3
    int32_t ball_late_check; // raised by the ball step for the late men check
    int32_t countdown_a, countdown_b; // two frame-counted countdowns of the men and the display
    // Game random numbers.
    uint32_t random_state_a;
    uint32_t random_state_b;
    // Match set-up (the settings as the match reads them).
    int8_t weather;           // 0..3
    uint8_t time_of_day;      // 0..2
    uint8_t kick_off_variant; // 0..6
    int32_t quarter_ticks;
    int32_t marking_percent;
    int16_t friction_word;
    int16_t wind_x, wind_y;
    uint8_t commentary_order[16];
    uint32_t random_angles[768];
    uint8_t draw_not_allowed; // a game that must have a winner
    int32_t match_started;
    // Match screen and tick.
    int32_t match_paused;
    int32_t radar_shown;
    int32_t radar_alpha; // 0..128
    int32_t demo_view_countdown;
    uint32_t message_keys_enabled;
    int32_t kick_flash_running;
    float kick_flash_level;
    uint32_t total_ticks;
    float aspect_ratio;
    uint8_t speed_keys_held; // Ctrl+T held on the previous tick
    int32_t radar_x, radar_y; // the radar panel's slide offsets (the HUD sets them)
    int32_t ball_in_hand;     // a man's pose carries the ball this frame
    int32_t ball_shown;       // the ball is drawn as a free object
    // Rules: the restart.
    int32_t siren_pending;
    int32_t time_on_signalled;
    PlayerSlot* scorer;
    int32_t kick_out_human;
    int32_t restart_in_progress;
    int32_t bounce_launched;
    int32_t kick_out_formed;
    int32_t pre_match_skipped;
    int32_t taker_fetches_ball;
    int32_t dead_ball;
    int32_t stored_margin;     // the margin the last goal was judged by
    uint8_t controller_order[2][18];
    int32_t cycle_counter; // four-step
    // Rules: set-kick clock marks.
    int32_t set_kick_start_mark;
    int32_t kick_display_mark;
    int32_t free_kick_clock_mark;
    int32_t mark_clock_start;
    int32_t mark_decision_mark;
    uint8_t kick_direction;
    int32_t kick_out_kick_time;
    int32_t kick_clock_start;
    int16_t kick_target_x, kick_target_y;
    int32_t kick_speed;
    uint16_t kicker_ball_action;
    // Rules: warnings and banners (the watches own them).
    int32_t play_on_warning_a, play_on_warning_b, play_on_prompt;
    int32_t mark_flag;
    // What the rules tell the HUD.
    uint32_t hud_hold; // set around event banners: the kick-out overlay stands still
    int32_t clock_display_mode;
    int32_t score_flash_team, score_flash_mode, score_flash_frames_a, score_flash_frames_b;
    // Occupancy grids: set once an odd draw has been seen.
    uint8_t grid_parity;
    // Collision avoidance.
    uint8_t detour_angle_offset;
    // The ground under the ball, by weather.
    float ground_bounce_factor;
    float ground_friction;
    int32_t ball_rest_threshold;
    // Ball flight and contacts.
    PlayerSlot* pass_target;   // the man the last kick or handball was aimed at
    PlayerSlot* pass_receiver; // copied from pass_target each tick while a pass flies
    PlayerSlot* pending_pickup_man;
    PlayerSlot* pending_ground_kick_man;
    uint32_t ball_coming_mark; // the match-wide copy of the men's ball_coming
    int32_t missed_kick;
    int32_t kick_remark_hold;
    int32_t ball_returned;
    int32_t umpire_has_ball;
    uint8_t difficulty; // 1..100, the computer teams
    uint8_t interchange_count; // interchange players of the match, 4 or 6
    // The men in order of nearness to the ball, with their distances, and to
    // the landing point, and by x and by y.
    int32_t active_distance[MAX_ACTIVE_MEN];
    PlayerSlot* landing_men[MAX_ACTIVE_MEN];
    int32_t landing_distance[MAX_ACTIVE_MEN];
    PlayerSlot* men_by_x[MAX_ACTIVE_MEN];
    int16_t men_x_key[MAX_ACTIVE_MEN];
    PlayerSlot* men_by_y[MAX_ACTIVE_MEN];
    int16_t men_y_key[MAX_ACTIVE_MEN];
    // Rules fields: the restart spot and sides, the offender, the clock.
    int16_t mark_x, mark_y; // the stoppage or set-play spot
    uint8_t awarded_side, offending_side;
    uint8_t free_kick_kind;
    PlayerSlot* offender;
    int32_t bounce_allowance;
    int32_t kick_out_started;
    int32_t period_end_pending;
    int32_t end_side_word;
    int32_t match_init_restart; // set by the match set-up between periods
    int16_t pickup_x, pickup_y;
    int32_t throw_in_request;
    // Coin toss.
    int8_t toss_result;
    int8_t toss_call[2];
    int32_t toss_automatic;
    int8_t toss_winner; // team index, -1 unknown
    int32_t handshake_done;
    int32_t overlays_suppressed;
    // Match-flow watches.
    int32_t restart_pending;
    int32_t played_on;
    int32_t time_warning_given;
    int32_t time_limit_off;
    int32_t score_banner_wanted;
    int32_t banner_blocked;
    int32_t interchange_gate_x, interchange_gate_y;
    uint8_t selected_man_index;
    PlayerSlot* last_injury_replacement;
    PlayerSlot* penalised_man;
    uint8_t whistle_state; // the state whose entry the umpires whistled
    // Proposals.
    int32_t holder_pressure, holder_front_count, holder_near_count, holder_ahead_count;
    int16_t shot_cooldown;
    uint16_t tick_step;
    uint16_t tick_rate_word;
    int32_t offset_radius;
    struct RandomOffset {
        int32_t dx, dy, countdown;
    } random_offsets[2][TEAM_SLOTS];
    int32_t pressure_distance;
    int32_t best_interception;
    PlayerSlot* shepherd_man; // set while a man shepherds: leads and bumps may be taken
    // Set-play director.
    int32_t gather_x, gather_y;
    PlayerSlot* fight_pair[2];
    uint8_t fight_return_state;
    int32_t fight_countdown;
    int32_t fight_start;
    PlayerSlot* stoppage_men[2][12]; // per team: key men first, then the nearest
    PlayerSlot* ball_up_men[2][3];   // per team: the men of a ball-up or throw-in
    int32_t selected_key[4];         // the position editor's held-key steps
    int32_t position_editor_saved;
    PlayerSlot* replay_start_man;
    uint8_t free_kick_phase;
    // Men of special standing for the movement and the actions.
    PlayerSlot* ball_contact_man;  // about to take the ball
    PlayerSlot* current_kicker;    // kicker of the current kick
    PlayerSlot* mark_kicker;       // the man kicking from a mark
    PlayerSlot* second_carrier;
    PlayerSlot* injured_man;
    PlayerSlot* lead_medic[2];     // the lead stretcher bearer and the second
    PlayerSlot* first_arrived_man;
    uint16_t last_disposal_kind;
    PlayerSlot* handballer;
    PlayerSlot* receiver;
    int32_t handball_path_ticks;
    uint8_t play_on;
    uint8_t set_shot;
    int16_t ball_spot_x, ball_spot_y; // the ball's spot at the stoppage
    uint8_t ball_touched;             // touched at the stoppage; stays set
    uint8_t spot_reached;
    uint8_t backing_count;            // 0, or 16 once a man walks backwards
    int16_t backing_limit;            // 2048, 2304 once a man backs
    uint16_t rack_off_count;
    int32_t bump_delay;
    uint8_t positioning_phase;
    uint8_t bump_rule;                // settings byte: bumps allowed
    uint8_t tackle_rule;              // settings byte the tackle and contests read
    int16_t lead_medic_angle;
    int16_t controlled_point_x, controlled_point_y; // where the first controlled man is sent
    uint32_t holder_speed_total, holder_distance_total; // running statistics of ball carrying
    // The scheduled phase cut.
    int32_t cut_saved_speed;
    int32_t cut_fade_in_kind;
    uint8_t cut_fast_forward; // this cut's fast-forward began
    // Set plays: the holder's disposal lists (a null man ends each; goal
    // marks the kick list's goal entry).
    struct DisposalEntry {
        PlayerSlot* man;
        uint8_t angle;
        uint8_t goal;
    } handball_list[19], kick_list[19];
    int32_t holder_decision_countdown;
    int32_t close_opponent;
    PlayerSlot* kick_target_man;
    int32_t kick_target_kind;
    int32_t play_on_mark;
    int32_t play_on_called;
    int32_t aiming_mode;
    int32_t tackle_allowed;
    int32_t set_kick_camera;
    PlayerSlot* used_set_kick[8];
    PlayerSlot* used_in_play[8];
    uint8_t throw_in_angle;
    uint8_t option_men_done[2];
    PlayerSlot* option_men[2][3];
    // The set-kick meter.
    int32_t meter_phase, meter_value, meter_stored, meter_max, meter_ideal;
    uint8_t meter_aim_angle;
    int32_t meter_aim_error;
    int32_t kick_chosen;
    PlayerSlot* disposal_target; // the human kicker's chosen target
    PlayerSlot* previous_disposal_target;
    int32_t aim_distance;
    // The team AI.
    int32_t aggression_percent;
    int32_t fight_candidates;
    float kick_gauge;
    int32_t kick_gauge_running;
    int32_t fight_started;
};

struct GameStateBlock {
    GameSettings settings;
    TickTimer tick_record; // the 62 Hz match tick
    MatchGlobals match;
    TeamRecord teams[2];
    PlayerSlot officials[OFFICIAL_COUNT]; // field, two boundary, two goal umpires
    BallState ball;
};

static_assert(std::is_trivially_copyable_v<PlayerSlot>);
static_assert(std::is_trivially_copyable_v<TeamRecord>);
static_assert(std::is_trivially_copyable_v<GameStateBlock>);

extern GameStateBlock game_state;

inline GameSettings& game_settings = game_state.settings;
inline MatchGlobals& match_globals = game_state.match;
inline TeamRecord (&team_records)[2] = game_state.teams;
inline PlayerSlot (&official_slots)[OFFICIAL_COUNT] = game_state.officials;
inline BallState& ball_state = game_state.ball;
inline TickTimer& match_tick_record = game_state.tick_record;

// Men in use per team, held to the slots there are.
inline int men_in_use()
{
    const int n = match_globals.men_per_team;
    return n < 0 ? 0 : (n > TEAM_SLOTS ? TEAM_SLOTS : n);
}

// Start-up: zeroes the whole block.
void clear_game_state_block();
// Where loading or defaulting the settings puts the match's values (start-up
// hands it to the settings with set_match_settings_target).
void apply_match_settings(const MatchSettingsValues& values);

// Fills the man's eight skill bytes from his player record. Each is a
// handicap, 0 for the best value the league holds up to 64 for the worst,
// which the locomotion takes off his speeds: kicking, agility, speed,
// marking, strength, stamina, speed, accuracy.
void fill_man_skills(PlayerSlot* man);

// Whole-unit ball position.
inline int16_t ball_whole_x() { return static_cast<int16_t>(ball_state.x >> 16); }
inline int16_t ball_whole_y() { return static_cast<int16_t>(ball_state.y >> 16); }
