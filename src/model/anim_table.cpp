#include "model/anim_table.h"

#include "platform/fatal_error.h"
#include "platform/memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

AnimationRow animation_table[ANIM_ROW_COUNT];

namespace {

// Where a row's animation comes from.
struct AnimData {
    const char* file; // its own file under "3d display\pafs\"
    int16_t source;   // or the row whose data it shares
    uint8_t mirror;
};
constexpr AnimData own(const char* file) { return {file, -1, 0}; }
constexpr AnimData own_mirrored(const char* file) { return {file, -1, 1}; }
constexpr AnimData row(int n) { return {nullptr, static_cast<int16_t>(n), 0}; }
constexpr AnimData mirror_of(int n) { return {nullptr, static_cast<int16_t>(n), 1}; }
constexpr AnimData none() { return {nullptr, -1, 0}; }

struct AnimRowSource {
    int16_t row;
    const char* name;  // null for rows 375 on
    const char* label; // null: the file name without ".paf"
    AnimData data;
    // On start: "->n" follow-on, "2nd->n" secondary follow-on, "catch->n"
    // catch follow-on, "M" mirrored-side bit, "stop" clears his motion,
    // "stop+" his wanted speed too, "-" nothing.
    const char* on_start;
    // Event script, frame 0 first: "a*n" is n frames of event a.
    const char* events;
};

// clang-format off
const AnimRowSource kRows[ANIM_PLAYED_ROWS] = {
    // row  name                                                                   label                              data                                                     on start            events
    {  0, "STAND",                                                               nullptr,                           own("L_idlesway.paf"),                                   "->0",              "1*64"},
    {  1, "WALK",                                                                nullptr,                           own("L_walk_nb.paf"),                                    "->1",              "1*20"},
    {  2, "JOG",                                                                 nullptr,                           own("L_jog_nb.paf"),                                     "->2",              "1*15"},
    {  3, "RUN",                                                                 nullptr,                           own("L_run_nb.paf"),                                     "->3",              "1*12"},
    {  4, "SPRINT",                                                              nullptr,                           own("L_sprint_nb.paf"),                                  "->4",              "1*11"},
    {  5, "STAND_WITHBALL",                                                      nullptr,                           own("L_idle23wb.paf"),                                   "->0",              "1*112"},
    {  6, "WALK_WITHBALL",                                                       nullptr,                           own("L_walk_wb.paf"),                                    "->1",              "1*19"},
    {  7, "JOG_WITHBALL",                                                        nullptr,                           own("L_jog_wb.paf"),                                     "->2",              "1*16"},
    {  8, "RUN_WITHBALL",                                                        nullptr,                           own("L_run_wb.paf"),                                     "->3",              "1*11"},
    {  9, "SPRINT_WITHBALL",                                                     nullptr,                           own("L_sprint_wb.paf"),                                  "->4",              "1*11"},
    { 10, "GETUP",                                                               "temp",                            row(96),                                                 "->0",              "1"},
    { 11, "STATIC_HANDBALL_FORWARD",                                             nullptr,                           own("L_handball3.paf"),                                  "-",                "0*14 3 0*20 1"},
    { 12, "STATIC_HANDBALL_LEFT",                                                nullptr,                           own("L_handball4.paf"),                                  "-",                "0*16 3 0*18 1"},
    { 13, "STATIC_HANDBALL_RIGHT",                                               "L_handball4",                     mirror_of(12),                                           "M",                "0*16 3 0*18 1"},
    { 14, "STATIC_HANDBALL_OVER_LEFT_SHOULDER",                                  "L_handball5",                     mirror_of(15),                                           "M",                "0*10 3 0*16 1"},
    { 15, "STATIC_HANDBALL_OVER_RIGHT_SHOULDER",                                 nullptr,                           own("L_handball5.paf"),                                  "-",                "0*10 3 0*16 1"},
    { 16, "RUN_HANDBALL_FORWARD",                                                nullptr,                           own("L_handball1.paf"),                                  "-",                "0*11 3 0*6 1"},
    { 17, "RUN_HANDBALL_LEFT",                                                   "L_handball2",                     mirror_of(18),                                           "M",                "0*9 3 0*20 1"},
    { 18, "RUN_HANDBALL_RIGHT",                                                  nullptr,                           own("L_handball2.paf"),                                  "-",                "0*9 3 0*20 1"},
    { 19, "RUN_HANDBALL_OVER_LEFT_SHOULDER",                                     nullptr,                           own("L_handball2.paf"),                                  "-",                "0*9 3 0*20 1"},
    { 20, "RUN_HANDBALL_OVER_RIGHT_SHOULDER",                                    "L_handball2",                     mirror_of(19),                                           "M",                "0*9 3 0*20 1"},
    { 21, "STATIC_KICK",                                                         nullptr,                           own("L_kick6.paf"),                                      "->0",              "0*10 15 0*9 3 0*23"},
    { 22, "RUNNING_KICK",                                                        nullptr,                           own("L_kick1.paf"),                                      "->3",              "0*7 15 0 3 0*10"},
    { 23, "OVERHEAD_KICK",                                                       nullptr,                           own("L_kick6.paf"),                                      "->2",              "0*10 15 0*10 3 0*22"},
    { 24, "KICKSET",                                                             nullptr,                           own("L_kick3.paf"),                                      "->0",              "0*39 15 0*6 3 0*40"},
    { 25, "FALLFOR",                                                             "temp",                            row(96),                                                 "->10",             "2"},
    { 26, "DIVETACKLE",                                                          "temp",                            row(96),                                                 "->10",             "2"},
    { 27, "HANDOFF_LEFT",                                                        nullptr,                           none(),                                                  nullptr,            nullptr},
    { 28, "HANDOFF_RIGHT",                                                       nullptr,                           none(),                                                  nullptr,            nullptr},
    { 29, "ON_GROUND_INJURED",                                                   nullptr,                           own("L_mtackle4.paf"),                                   "->29",             "0*59"},
    { 30, "ON_GROUND_PROTECT",                                                   "temp",                            row(96),                                                 "->10",             "0"},
    { 31, "STOOP_PICKUP",                                                        nullptr,                           none(),                                                  nullptr,            nullptr},
    { 32, "STAND_PICKUP",                                                        nullptr,                           none(),                                                  nullptr,            nullptr},
    { 33, "RUN_STOOP",                                                           nullptr,                           none(),                                                  nullptr,            nullptr},
    { 34, "START_JUMP_CATCH",                                                    nullptr,                           none(),                                                  nullptr,            nullptr},
    { 35, "ACTUAL_JUMP_CATCH",                                                   nullptr,                           none(),                                                  nullptr,            nullptr},
    { 36, "END_JUMP_CATCH",                                                      nullptr,                           none(),                                                  nullptr,            nullptr},
    { 37, "START_SCREAMER",                                                      nullptr,                           none(),                                                  nullptr,            nullptr},
    { 38, "ACTUAL_SCREAMER",                                                     nullptr,                           none(),                                                  nullptr,            nullptr},
    { 39, "END_SCREAMER",                                                        nullptr,                           none(),                                                  nullptr,            nullptr},
    { 40, "STANDING_CHEST_CATCH",                                                nullptr,                           own("L_catch1.paf"),                                     "-",                "0*21 16 0*29 1"},
    { 41, "STANDING_FINGER_CATCH",                                               nullptr,                           own("L_catch11.paf"),                                    "-",                "0*20 16 0*36 1"},
    { 42, "STANDING_LOW_CATCH",                                                  nullptr,                           own("L_catch4.paf"),                                     "-",                "0*19 16 0*24 1"},
    { 43, "RUNNING_CHEST_CATCH",                                                 nullptr,                           own("L_catch5.paf"),                                     "-",                "0*10 16 0*10 1"},
    { 44, "RUNNING_FINGER_CATCH",                                                nullptr,                           own("L_catch12.paf"),                                    "-",                "0*13 16 0*5 1 0*2"},
    { 45, "RUNNING_LOW_CATCH",                                                   nullptr,                           own("L_catch8.paf"),                                     "-",                "0*14 16 0*10 1"},
    { 46, "STANDING_SLAP_LEFT",                                                  nullptr,                           own("L_hitout5.paf"),                                    "-",                "0*9 20 0*26 1"},
    { 47, "STANDING_SLAP_RIGHT",                                                 "L_hitout5",                       mirror_of(46),                                           "M",                "0*9 20 0*26 1"},
    { 48, "STANDING_SLAP_OVERHEAD",                                              nullptr,                           own("L_hitout6.paf"),                                    "-",                "0*16 20 0*26 1"},
    { 49, "STANDING_SLAP_FORWARD",                                               nullptr,                           own("L_hitout4.paf"),                                    "-",                "0*9 20 0*15 1"},
    { 50, "STANDING_SLAP_LEFT_HIGH",                                             nullptr,                           own("L_hitout11.paf"),                                   "-",                "0*17 20 0*20 1"},
    { 51, "STANDING_SLAP_RIGHT_HIGH",                                            nullptr,                           own("L_hitout11.paf"),                                   "M",                "0*17 20 0*20 1"},
    { 52, "STANDING_SLAP_OVERHEAD_HIGH",                                         nullptr,                           own("L_hitout12.paf"),                                   "-",                "0*19 20 0*22 1"},
    { 53, "STANDING_SLAP_FORWARD_HIGH",                                          nullptr,                           own("L_hitout10.paf"),                                   "-",                "0*19 20 0*17 1"},
    { 54, "RUNNING_SLAP_LEFT",                                                   "L_hitout2",                       mirror_of(55),                                           "M",                "0*10 20 0*12 1"},
    { 55, "RUNNING_SLAP_RIGHT",                                                  nullptr,                           own("L_hitout2.paf"),                                    "-",                "0*10 20 0*12 1"},
    { 56, "RUNNING_SLAP_OVERHEAD",                                               nullptr,                           own("L_hitout3.paf"),                                    "-",                "0*5 20 0*10 1"},
    { 57, "RUNNING_SLAP_FORWARD",                                                nullptr,                           own("L_hitout1.paf"),                                    "-",                "0*6 20 0*10 1"},
    { 58, "RUNNING_SLAP_LEFT_HIGH",                                              "L_hitout8",                       mirror_of(59),                                           "M",                "0*9 20 0*12 1"},
    { 59, "RUNNING_SLAP_RIGHT_HIGH",                                             nullptr,                           own("L_hitout8.paf"),                                    "-",                "0*9 20 0*12 1"},
    { 60, "RUNNING_SLAP_OVERHEAD_HIGH",                                          nullptr,                           own("L_hitout9.paf"),                                    "-",                "0*10 20 0*12 1"},
    { 61, "RUNNING_SLAP_FORWARD_HIGH",                                           nullptr,                           own("L_hitout7.paf"),                                    "-",                "0*10 20 0*11 1"},
    { 62, "RUNNING_SLAP_FORWARD_LOW",                                            nullptr,                           own("L_hitout13.paf"),                                   "-",                "0*12 20 0*5 1"},
    { 63, "DIVE_PASS",                                                           "temp",                            row(96),                                                 "->10",             "2"},
    { 64, "JUMP_MIS",                                                            "temp",                            row(96),                                                 "->0",              "1"},
    { 65, "DIVE_CATCH",                                                          "temp",                            row(96),                                                 "->10",             "2"},
    { 66, "FALLBACK_NO_BALL",                                                    "temp",                            row(96),                                                 "->10",             "2"},
    { 67, "FALLBACK",                                                            "temp",                            row(96),                                                 "->10",             "2"},
    { 68, "FALLSIDE_LEFT",                                                       "temp",                            row(96),                                                 "->10",             "2"},
    { 69, "JUMP_OVER",                                                           "temp",                            row(96),                                                 "->3",              "1"},
    { 70, "STUMBLEBACK",                                                         "temp",                            row(96),                                                 "->3",              "1"},
    { 71, "STUMBLEFORWARD",                                                      "temp",                            row(96),                                                 "->3",              "1"},
    { 72, "KICK_TAP",                                                            nullptr,                           none(),                                                  nullptr,            nullptr},
    { 73, "TAPDIVE_LEFT",                                                        "temp",                            row(96),                                                 "->10",             "2"},
    { 74, "TAPDIVE_RIGHT",                                                       "temp",                            row(96),                                                 "->10",             "2"},
    { 75, "FALLSIDE_RIGHT",                                                      "temp",                            row(96),                                                 "->10",             "2"},
    { 76, "FOUL_TRIP",                                                           nullptr,                           none(),                                                  nullptr,            nullptr},
    { 77, "FALLSIDE_NO_BALL_LEFT",                                               "temp",                            row(96),                                                 "->10",             "2"},
    { 78, "FALLSIDE_NO_BALL_RIGHT",                                              "temp",                            row(96),                                                 "->10",             "2"},
    { 79, "SMOTHER",                                                             "temp",                            row(96),                                                 "->10",             "2"},
    { 80, "FALL_NO_BALL",                                                        "temp",                            row(96),                                                 "->10",             "2"},
    { 81, "GETUP_WITH_BALL",                                                     "temp",                            row(96),                                                 "->3",              "1"},
    { 82, "UMPIRE_STAND",                                                        nullptr,                           own("goaljudge_tmp.paf"),                                "->82",             "0*19"},
    { 83, "REF_THROW_RIGHT",                                                     "temp",                            row(96),                                                 "->83",             "0"},
    { 84, "REF_PENALTY_RIGHT",                                                   "temp",                            row(96),                                                 "->84",             "0"},
    { 85, "REF_FREE_KICK",                                                       "temp",                            row(96),                                                 "->85",             "0"},
    { 86, "CHARGE_DOWN",                                                         nullptr,                           own("K_chgedown.paf"),                                   "->0",              "0*14"},
    { 87, "REF_FALL",                                                            "temp",                            row(96),                                                 "->0",              "1"},
    { 88, "TOUCHJUDGE_FOUL_RIGHT",                                               "temp",                            row(96),                                                 "->88",             "0"},
    { 89, "TOUCHJUDGE_TOUCH_RIGHT",                                              "temp",                            row(96),                                                 "->89",             "0"},
    { 90, "TOUCHJUDGE_GOAL",                                                     "temp",                            row(96),                                                 "->90",             "0"},
    { 91, "TOUCHJUDGE_TURN",                                                     "temp",                            row(96),                                                 "->91",             "1"},
    { 92, "JUMP_CELEBRATE",                                                      "temp",                            row(96),                                                 "->3",              "1"},
    { 93, "BENT_RUN",                                                            nullptr,                           own("L_run_nb.paf"),                                     "->93",             "1*12"},
    { 94, "STUMBLEBACK_NO_BALL",                                                 "temp",                            row(96),                                                 "->3",              "1"},
    { 95, "STUMBLE_NO_BALL",                                                     "temp",                            row(96),                                                 "->3",              "1"},
    { 96, "FALL_NO_BALL_PRO",                                                    nullptr,                           own("temp.paf"),                                         "->10",             "2"},
    { 97, "FALLBACK_NO_BALL_PRO",                                                "temp",                            row(96),                                                 "->10",             "2"},
    { 98, "FALLSIDE_NO_BALL_LEFT_PRO",                                           "temp",                            row(96),                                                 "->10",             "2"},
    { 99, "FALLSIDE_NO_BALL_RIGHT_PRO",                                          "temp",                            row(96),                                                 "->10",             "2"},
    {100, "INJURED_ROLL",                                                        "temp",                            row(96),                                                 "->10",             "0"},
    {101, "TOUCHJUDGE_TOUCH_LEFT",                                               "temp",                            row(96),                                                 "->89",             "0"},
    {102, "REF_PENALTY_LEFT",                                                    "temp",                            row(96),                                                 "->84",             "0"},
    {103, "REF_THROW_LEFT",                                                      "temp",                            row(96),                                                 "->83",             "0"},
    {104, "TOUCHJUDGE_FOUL_LEFT",                                                "temp",                            row(96),                                                 "->88",             "0"},
    {105, "DROP_KICK",                                                           nullptr,                           none(),                                                  nullptr,            nullptr},
    {106, "UNFOLD_STRETCHER",                                                    "temp",                            row(96),                                                 "->0",              "0"},
    {107, "LIFT_PLAYER",                                                         "temp",                            row(96),                                                 "->0",              "0"},
    {108, "LOWER_PLAYER",                                                        "temp",                            row(96),                                                 "->0",              "0"},
    {109, "DUMMY",                                                               "temp",                            row(96),                                                 "->109",            "0"},
    {110, "WAIT_INJURY_PTB",                                                     "temp",                            row(96),                                                 "->0",              "1"},
    {111, "HOLD_ONTO_PLAYER",                                                    nullptr,                           own("L_tackle7_make.paf"),                               "->151",            "0*46 31"},
    {112, "RELEASE_PLAYER",                                                      "temp",                            row(96),                                                 "->10",             "1"},
    {113, "DUMMY_PASS",                                                          "temp",                            row(96),                                                 "->3",              "1"},
    {114, "REF_WARNING",                                                         "temp",                            row(96),                                                 "->0",              "5"},
    {115, "REF_CALLMEDICS",                                                      "temp",                            row(96),                                                 "->0",              "5"},
    {116, "REF_SENDOFF",                                                         "temp",                            row(96),                                                 "->0",              "5"},
    {117, "MEDIC_UNFOLDING_STRETCHER",                                           "temp",                            row(96),                                                 "->0",              "1"},
    {118, "MEDIC_LIFTING_PLAYER",                                                "temp",                            row(96),                                                 "->0",              "1"},
    {119, "MEDIC_LOWERING_PLAYER",                                               "temp",                            row(96),                                                 "->0",              "1"},
    {120, "REF_RESTART_PLAY",                                                    "temp",                            row(96),                                                 "->0",              "1"},
    {121, "STANDING_TURN_LEFT_90",                                               nullptr,                           own("L_turn1_left.paf"),                                 "->0",              "0*24 6"},
    {122, "STANDING_TURN_RIGHT_90",                                              "L_turn1_left",                    mirror_of(121),                                          "->0 M",            "0*24 7"},
    {123, "STANDING_TURN_180",                                                   nullptr,                           own("L_turn2.paf"),                                      "->0",              "0*36 8"},
    {124, "RUNNING_TURN_LEFT_45",                                                "L_turn5_right",                   mirror_of(125),                                          "->3 M",            "0*20 9"},
    {125, "RUNNING_TURN_RIGHT_45",                                               nullptr,                           own("L_turn5_right.paf"),                                "->3",              "0*20 10"},
    {126, "RUNNING_TURN_LEFT_90",                                                nullptr,                           own("L_turn8_left.paf"),                                 "->3",              "0*26 11"},
    {127, "RUNNING_TURN_RIGHT_90",                                               "L_turn8_left",                    mirror_of(126),                                          "->3 M",            "0*26 12"},
    {128, "RUNNING_TURN_180",                                                    nullptr,                           own("L_turn3.paf"),                                      "->3",              "0*48 13"},
    {129, "REF_BOUNCE_BALL",                                                     nullptr,                           none(),                                                  nullptr,            nullptr},
    {130, "NOWT",                                                                nullptr,                           none(),                                                  nullptr,            nullptr},
    {131, "TACKLED_STAND_RELEASE_BALL",                                          "L_idlesway",                      own("L_tackle_idle.paf"),                                "->0",              "0*2 3 1 0*34"},
    {132, "TACKLED_STAND_KEEP_BALL",                                             "L_idlesway",                      own("L_tackle_idle.paf"),                                "->0",              "0*9 23 0*28"},
    {133, "TACKLED_STAND_NO_BALL",                                               "L_idlesway",                      own("L_tackle_idle.paf"),                                "->0",              "0*9 23 0*28"},
    {134, "TACKLED_GROUND_RELEASE_BALL",                                         nullptr,                           own("L_mtackle4.paf"),                                   "->10",             "0*4 3 0*54"},
    {135, "TACKLED_GROUND_NO_BALL",                                              nullptr,                           own("L_mtackle4.paf"),                                   "->10",             "0*59"},
    {136, "TACKLED_GROUND_INJURED",                                              nullptr,                           own("L_tackle7_make.paf"),                               "->29",             "0*28 21 0*18"},
    {137, "TACKLE_STAND",                                                        nullptr,                           own("L_idlesway.paf"),                                   "->0",              "0*64"},
    {138, "TACKLE_NO_CALLBACK",                                                  nullptr,                           own("L_mtackle4.paf"),                                   "->0",              "0*32 1 0*25 1"},
    {139, "TACKLE_STAND_PIN_ARMS",                                               nullptr,                           own("L_mtackle4.paf"),                                   "->0",              "0*44 14 0*13 1"},
    {140, "RUN_BOUNCE_BALL",                                                     nullptr,                           own("L_run_nb.paf"),                                     "->3",              "0 3 0*10"},
    {141, "LTURN",                                                               nullptr,                           none(),                                                  nullptr,            nullptr},
    {142, "RUN_KICK_ALONG_GROUND",                                               nullptr,                           own("L_kick2.paf"),                                      "->3",              "0*7 27 0*8"},
    {143, "STATIC_KICK_ALONG_GROUND",                                            "temp",                            row(96),                                                 "->0",              "3"},
    {144, "POO",                                                                 nullptr,                           none(),                                                  nullptr,            nullptr},
    {145, "SIDESTEP_LEFT",                                                       nullptr,                           own("stepl_nz.paf"),                                     "->0",              "0*48 1"},
    {146, "SIDESTEP_RIGHT",                                                      nullptr,                           own("stepr_nz.paf"),                                     "->0",              "0*48 1"},
    {147, "WALK_BACKWARDS",                                                      nullptr,                           none(),                                                  nullptr,            nullptr},
    {148, "FALL_FORWARDS_FROM_JUMP",                                             nullptr,                           own("L_tackle6_receive.paf"),                            "->151",            "0*34 53 0*20"},
    {149, "FALL_BACKWARDS_FROM_JUMP",                                            nullptr,                           own("L_tackle5_receive.paf"),                            "->150",            "0*14 53 0*27"},
    {150, "GETUP_FACEUP",                                                        nullptr,                           own("L_getup4b.paf"),                                    "stop ->0",         "0*93 1"},
    {151, "GETUP_FACEDOWN",                                                      nullptr,                           own("L_getup1a_old.paf"),                                "stop ->0",         "0*55 1"},
    {152, "UMPIRE_IDLE1",                                                        nullptr,                           own("goaljudge_tmp.paf"),                                "-",                "0*19"},
    {153, "UMPIRE_IDLE2",                                                        nullptr,                           own("goaljudge_tmp.paf"),                                "-",                "0*19"},
    {154, "UMPIRE_IDLE3",                                                        nullptr,                           own("goaljudge_tmp.paf"),                                "-",                "0*19"},
    {155, "GOALJUDGE_STAND",                                                     nullptr,                           own("L_ump_idle1.paf"),                                  "->155",            "0*70 22"},
    {156, "GOALJUDGE_TAPS_POST",                                                 nullptr,                           own("L_gump_post.paf"),                                  "->155",            "0*92 22"},
    {157, "GOALJUDGE_ABOUT_TO_SIGNAL",                                           nullptr,                           own("L_gump_about.paf"),                                 "->155",            "0"},
    {158, "GOALJUDGE_SIGNALS_GOAL_SCORED",                                       nullptr,                           own("L_gump_goal.paf"),                                  "->155",            "0*25 37 0*45 22"},
    {159, "GOALJUDGE_SIGNALS_BEHIND_SCORED",                                     nullptr,                           own("L_gump_point.paf"),                                 "->155",            "0*88 22"},
    {160, "GOALJUDGE_SIGNALS_GOAL_MISSED",                                       nullptr,                           own("goaljudge_tmp.paf"),                                "->155",            "0*18 22"},
    {161, "GOALJUDGE_SIGNALS_OUT_LEFT",                                          nullptr,                           own("L_gump_oob1.paf"),                                  "->155",            "0*87 22"},
    {162, "GOALJUDGE_SIGNALS_OUT_RIGHT",                                         nullptr,                           own("L_gump_oob1.paf"),                                  "->155",            "0*87 22"},
    {163, "GOALJUDGE_SIGNALS_TOUCHED_OUT_LEFT",                                  nullptr,                           own("L_gump_oob2.paf"),                                  "->155",            "0*118 22"},
    {164, "GOALJUDGE_SIGNALS_TOUCHED_OUT_RIGHT",                                 nullptr,                           own("L_gump_oob2.paf"),                                  "->155",            "0*118 22"},
    {165, "FIELD_JUDGE_COIN_TOSS",                                               nullptr,                           own("L_ump_ct.paf"),                                     "->0",              "0*79 43 0*34 42 0*129 46 22"},
    {166, "FIELD_JUDGE_SIGNALS_HIGH_TACKLE",                                     nullptr,                           own("L_fump_ht.paf"),                                    "->0",              "0*118 26"},
    {167, "FIELD_JUDGE_BALL_UP",                                                 nullptr,                           own("L_ballup1_5.paf"),                                  "->0",              "35 0*42 3 0*32"},
    {168, "FIELD_JUDGE_SIGNALS_NO_BOUNCE",                                       nullptr,                           own("L_fump_nb.paf"),                                    "->0",              "0*117 26"},
    {169, "FIELD_JUDGE_SIGNALS_THROW",                                           nullptr,                           own("L_fump_throw.paf"),                                 "->0",              "0*111 26"},
    {170, "FIELD_JUDGE_SIGNALS_ILLEGAL_SHEPHERD",                                nullptr,                           own("L_fump_is.paf"),                                    "->0",              "0*99 26"},
    {171, "FIELD_JUDGE_SIGNALS_LATE_TACKLE",                                     nullptr,                           own("L_fump_lt.paf"),                                    "->0",              "0*107 26"},
    {172, "FIELD_JUDGE_SIGNALS_PLAY_ON",                                         nullptr,                           own("L_fump_po.paf"),                                    "->0",              "0*19 51 0*100 26"},
    {173, "FIELD_JUDGE_SIGNALS_BALL_UP",                                         nullptr,                           own("L_fump_bu2.paf"),                                   "->0",              "0*95 22"},
    {174, "FIELD_JUDGE_SIGNALS_FREE_KICK_LEFT",                                  nullptr,                           own("fump_fk1_left.paf"),                                "->0",              "0*109 26"},
    {175, "FIELD_JUDGE_SIGNALS_FREE_KICK_RIGHT",                                 nullptr,                           own("L_fump_fk1_right.paf"),                             "->0",              "0*120 26"},
    {176, "FIELD_JUDGE_START_GAME",                                              nullptr,                           own("L_fump_sg.paf"),                                    "->0",              "0*49 48 0*70 22"},
    {177, "FIELD_JUDGE_END_QUARTER",                                             nullptr,                           own("L_fump_eq.paf"),                                    "->0",              "0*44 48 0*74 26"},
    {178, "FIELD_JUDGE_TIME_ON_OFF",                                             nullptr,                           own("L_fump_too.paf"),                                   "->0",              "0*105 26"},
    {179, "FIELD_JUDGE_ALL_CLEAR_GOAL",                                          nullptr,                           own("L_fump_acg.paf"),                                   "->0",              "0*74 45 0*3 22"},
    {180, "FIELD_JUDGE_ALL_CLEAR_BEHIND",                                        nullptr,                           own("L_fump_acb.paf"),                                   "-",                "0*39 45 0*37 26"},
    {181, "FIELD_JUDGE_ALL_CLEAR_BALL_TOUCHED",                                  nullptr,                           own("L_fump_acbt.paf"),                                  "->0",              "0*39 45 0*79 26"},
    {182, "FIELD_JUDGE_ALL_CLEAR_HIT_POST",                                      nullptr,                           own("L_fump_achp.paf"),                                  "->0",              "0*39 45 0*76 26"},
    {183, "FIELD_JUDGE_SIGNALS_THROW_IN",                                        nullptr,                           own("L_fump_ti.paf"),                                    "->0",              "0*39 47 0*66 22"},
    {184, "FIELD_JUDGE_SIGNALS_PUSH_IN_BACK",                                    nullptr,                           own("L_fump_pb.paf"),                                    "->0",              "0*121 26"},
    {185, "FIELD_JUDGE_SIGNALS_HOLDING_THE_MAN",                                 nullptr,                           own("L_fump_hm.paf"),                                    "->0",              "0*97 26"},
    {186, "FIELD_JUDGE_SIGNALS_HOLDING_THE_BALL",                                nullptr,                           own("L_fump_hb.paf"),                                    "->0",              "0*137 26"},
    {187, "BOUNDARY_JUDGE_SIGNALS_OUT_OF_BOUNDS",                                nullptr,                           own("L_bump_oob1.paf"),                                  "->0",              "0*114 22"},
    {188, "BOUNDARY_JUDGE_SIGNALS_OUT_OF_BOUNDS_ON_FULL",                        nullptr,                           own("L_bump_oob2.paf"),                                  "->0",              "0*112 26"},
    {189, "BOUNDARY_JUDGE_SIGNALS_TOUCHED_PRIOR_TO_GOING_OUT_OF_BOUNDS_ON_FULL", nullptr,                           own("L_bump_oob3.paf"),                                  "->0",              "0*102 26"},
    {190, "BOUNDARY_JUDGE_SIGNALS_CENTRE_SQUARE_INFRINGEMENT",                   nullptr,                           own("L_bump_csi.paf"),                                   "->0",              "0*99 26"},
    {191, "BOUNDARY_JUDGE_THROWIN_BALL",                                         nullptr,                           own("L_bump_ti.paf"),                                    "->0",              "0*36 3 0*38 22"},
    {192, "TEST_ANIM",                                                           "Init_TestAnim",                   row(96),                                                 "->192",            "1"},
    {193, "BOUNCE_BALL",                                                         nullptr,                           own("L_bounce.paf"),                                     "->3",              "0*3 29 0*4 36 0*3 30 0*5 1"},
    {194, "PLAYER_IDLE_SWAY",                                                    nullptr,                           own("L_idlesway.paf"),                                   "->0",              "1*64"},
    {195, "PLAYER_IDLE_NB_1",                                                    nullptr,                           own("L_idle1.paf"),                                      "->0",              "1*107"},
    {196, "PLAYER_IDLE_NB_2",                                                    nullptr,                           own("L_idle2.paf"),                                      "->0",              "1*102"},
    {197, "PLAYER_IDLE_NB_3",                                                    nullptr,                           own("L_idle3.paf"),                                      "->0",              "1*114"},
    {198, "PLAYER_IDLE_NB_4",                                                    nullptr,                           own("L_idle4.paf"),                                      "->0",              "1*109"},
    {199, "PLAYER_IDLE_NB_5",                                                    nullptr,                           own("L_idle5.paf"),                                      "->0",              "1*84"},
    {200, "PLAYER_IDLE_NB_6",                                                    nullptr,                           own("L_idle6.paf"),                                      "->0",              "1*82"},
    {201, "PLAYER_IDLE_NB_7",                                                    nullptr,                           own("L_idle17.paf"),                                     "->0",              "1*99"},
    {202, "PLAYER_IDLE_NB_8",                                                    nullptr,                           own("L_idle8.paf"),                                      "->0",              "1*115"},
    {203, "PLAYER_IDLE_NB_9",                                                    nullptr,                           own("L_idle9.paf"),                                      "->0",              "1*81"},
    {204, "PLAYER_IDLE_NB_10",                                                   nullptr,                           own("L_idle11.paf"),                                     "->0",              "1*90"},
    {205, "PLAYER_IDLE_NB_11",                                                   nullptr,                           own("L_idle11.paf"),                                     "->0",              "1*90"},
    {206, "PLAYER_IDLE_NB_12",                                                   nullptr,                           own("L_idle12.paf"),                                     "->0",              "1*103"},
    {207, "PLAYER_IDLE_NB_13",                                                   nullptr,                           own("L_idle13.paf"),                                     "->0",              "1*108"},
    {208, "PLAYER_IDLE_NB_14",                                                   nullptr,                           own("L_idle14.paf"),                                     "->0",              "1*87"},
    {209, "PLAYER_IDLE_NB_15",                                                   nullptr,                           own("L_idle15.paf"),                                     "->0",              "1*87"},
    {210, "PLAYER_IDLE_NB_16",                                                   nullptr,                           own("L_idle16.paf"),                                     "->0",              "1*92"},
    {211, "PLAYER_IDLE_NB_17",                                                   nullptr,                           own("L_idle17.paf"),                                     "->0",              "1*99"},
    {212, "PLAYER_IDLE_NB_18",                                                   nullptr,                           own("L_idle18.paf"),                                     "->0",              "1*102"},
    {213, "PLAYER_IDLE_NB_19",                                                   nullptr,                           own("L_idle19.paf"),                                     "->0",              "1*96"},
    {214, "PLAYER_IDLE_NB_20",                                                   nullptr,                           own("L_idle20.paf"),                                     "->0",              "1*98"},
    {215, "PLAYER_IDLE_NB_21",                                                   nullptr,                           own("L_idle21.paf"),                                     "->0",              "1*92"},
    {216, "PLAYER_IDLE_WB_1",                                                    nullptr,                           own("L_idle22wb.paf"),                                   "->0",              "1*172"},
    {217, "PLAYER_IDLE_WB_2",                                                    nullptr,                           own("L_idle23wb.paf"),                                   "->0",              "1*112"},
    {218, "PLAYER_IDLE_WB_3",                                                    nullptr,                           own("L_idle24wb.paf"),                                   "->0",              "1*112"},
    {219, "PART1_STANDING_OUTSTRETCHED_JUMPCATCH",                               nullptr,                           own("L_part1_standing_outstretched_jumpcatch.paf"),      "->220",            "0*16 17"},
    {220, "PART2_STANDING_OUTSTRETCHED_JUMPCATCH",                               nullptr,                           own("L_part2_standing_outstretched_jumpcatch.paf"),      "->273 catch->221", "0*6"},
    {221, "PART3_STANDING_OUTSTRETCHED_JUMPCATCH",                               nullptr,                           own("L_part3_standing_outstretched_jumpcatch.paf"),      "->222",            "24 0*3"},
    {222, "PART4_STANDING_OUTSTRETCHED_JUMPCATCH",                               nullptr,                           own("L_part4_standing_outstretched_jumpcatch.paf"),      "->0",              "0*15 1"},
    {223, "PART1_RUNNING_OUTSTRETCHED_JUMPCATCH",                                nullptr,                           own("L_part1catch7.paf"),                                "->224",            "0 17"},
    {224, "PART2_RUNNING_OUTSTRETCHED_JUMPCATCH",                                nullptr,                           own("L_part2catch7.paf"),                                "->225 catch->225", "0*7"},
    {225, "PART3_RUNNING_OUTSTRETCHED_JUMPCATCH",                                nullptr,                           own("L_part3catch7.paf"),                                "->226",            "24 0"},
    {226, "PART4_RUNNING_OUTSTRETCHED_JUMPCATCH",                                nullptr,                           own("L_part4catch7.paf"),                                "->8",              "0*9 1"},
    {227, "PART1_STANDING_JUMPCATCH_TO_CHEST",                                   nullptr,                           own("L_part1_standing_jumpcatch_to_chest.paf"),          "->228",            "0*11 17"},
    {228, "PART2_STANDING_JUMPCATCH_TO_CHEST",                                   nullptr,                           own("L_part2_standing_jumpcatch_to_chest.paf"),          "->277 catch->229", "0*5"},
    {229, "PART3_STANDING_JUMPCATCH_TO_CHEST",                                   nullptr,                           own("L_part3_standing_jumpcatch_to_chest.paf"),          "->230",            "24 0*5"},
    {230, "PART4_STANDING_JUMPCATCH_TO_CHEST",                                   nullptr,                           own("L_part4_standing_jumpcatch_to_chest.paf"),          "->5",              "0*25 1"},
    {231, "PART1_RUNNING_JUMPCATCH_TO_CHEST",                                    nullptr,                           own("L_part1_running_jumpcatch_to_chest.paf"),           "->232",            "0 17"},
    {232, "PART2_RUNNING_JUMPCATCH_TO_CHEST",                                    nullptr,                           own("L_part2_running_jumpcatch_to_chest.paf"),           "->279 catch->233", "0"},
    {233, "PART3_RUNNING_JUMPCATCH_TO_CHEST",                                    nullptr,                           own("L_part3_running_jumpcatch_to_chest.paf"),           "->234",            "24 0*6"},
    {234, "PART4_RUNNING_JUMPCATCH_TO_CHEST",                                    nullptr,                           own("L_part4_running_jumpcatch_to_chest.paf"),           "->8",              "0*11 1"},
    {235, "PART3_TEMP_NO_BALL",                                                  "temp",                            row(96),                                                 "->236",            "24"},
    {236, "PART4_TEMP_NO_BALL",                                                  nullptr,                           own("L_idlesway.paf"),                                   "->236",            "1 0*63"},
    {237, "RUNNING_KICK_LEFT",                                                   "L_kick4",                         mirror_of(238),                                          "->3 M",            "0*10 15 0 3 0*19"},
    {238, "RUNNING_KICK_RIGHT",                                                  nullptr,                           own("L_kick4.paf"),                                      "->3",              "0*10 15 0 3 0*19"},
    {239, "STANDING_PICKUP",                                                     nullptr,                           own("L_pickup1a.paf"),                                   "->0",              "0*13 25 0*15 1"},
    {240, "WALKING_PICKUP",                                                      nullptr,                           own("L_pickup1b.paf"),                                   "->0",              "0*20 25 0*13 1"},
    {241, "RUNNING_PICKUP",                                                      nullptr,                           own("L_pickup2.paf"),                                    "->2",              "0*9 25 0*14 1"},
    {242, "PART1_STANDING_JUMPSPOIL",                                            nullptr,                           own("part1_standing_jumpspoil.paf"),                     "->243",            "0*11 17"},
    {243, "PART2_STANDING_JUMPSPOIL",                                            nullptr,                           own("part2_standing_jumpspoil.paf"),                     "->244",            "0*4 44 0*5"},
    {244, "PART3_STANDING_JUMPSPOIL",                                            nullptr,                           own("part3_standing_jumpspoil.paf"),                     "->0",              "0*14 1"},
    {245, "MAKE_CONTEST_SHOVE_BACK",                                             "temp",                            row(96),                                                 "->0",              "1"},
    {246, "MAKE_CONTEST_SHOVE_BACK_LEFT_SIDE",                                   "temp",                            row(96),                                                 "->0",              "1"},
    {247, "MAKE_CONTEST_SHOVE_BACK_RIGHT_SIDE",                                  "temp",                            row(96),                                                 "->0",              "1"},
    {248, "MAKE_CONTEST_SHOVE_BACK_SLIGHT_LEFT_SIDE",                            "temp",                            row(96),                                                 "->0",              "1"},
    {249, "MAKE_CONTEST_SHOVE_BACK_SLIGHT_RIGHT_SIDE",                           "temp",                            row(96),                                                 "->0",              "1"},
    {250, "MAKE_CONTEST_SHOVE_THROUGH_FORWARDS",                                 "temp",                            row(96),                                                 "->0",              "1"},
    {251, "RECEIVE_CONTEST_SHOVE_BACK",                                          "temp",                            row(96),                                                 "->0",              "1"},
    {252, "RECEIVE_CONTEST_SHOVE_BACK_LEFT_SIDE",                                "temp",                            row(96),                                                 "->0",              "1"},
    {253, "RECEIVE_CONTEST_SHOVE_BACK_RIGHT_SIDE",                               "temp",                            row(96),                                                 "->0",              "1"},
    {254, "RECEIVE_CONTEST_SHOVE_BACK_SLIGHT_LEFT_SIDE",                         "temp",                            row(96),                                                 "->0",              "1"},
    {255, "RECEIVE_CONTEST_SHOVE_BACK_SLIGHT_RIGHT_SIDE",                        "temp",                            row(96),                                                 "->0",              "1"},
    {256, "RECEIVE_CONTEST_SHOVE_THROUGH_FORWARDS",                              "temp",                            row(96),                                                 "->0",              "1"},
    {257, "WALK_BACKWARDS_NB",                                                   nullptr,                           own("L_walk3.paf"),                                      "->0",              "0*19"},
    {258, "WALK_BACKWARDS_WB",                                                   nullptr,                           own("L_walk3b.paf"),                                     "->0",              "0*19"},
    {259, "RECEIVE_SPECCY_1A",                                                   nullptr,                           own("L_speccy1a.paf"),                                   "->0",              "0*64"},
    {260, "PART1_SPECCY_2B",                                                     nullptr,                           own("part1_speccy_2b.paf"),                              "->261",            "0*5 17"},
    {261, "PART2_SPECCY_2B",                                                     nullptr,                           own("part2_speccy_2b.paf"),                              "->262 catch->262", "0*12"},
    {262, "PART3_SPECCY_2B",                                                     nullptr,                           own("part3_speccy_2b.paf"),                              "->263",            "24 0*5"},
    {263, "PART4_SPECCY_2B",                                                     nullptr,                           own("part4_speccy_2b.paf"),                              "->0",              "0*15 1"},
    {264, "RUNNING_FORWARDS_BUMP",                                               nullptr,                           own("L_runbump_low2.paf"),                               "->3",              "0*5 28*12 0*10 1"},
    {265, "STANDING_RECEIVE_BUMP_FROM_REAR",                                     nullptr,                           own("L_tackle6_receive.paf"),                            "->151",            "0*22 32 0*11 53 0*19 31"},
    {266, "STANDING_RECEIVE_BUMP_FROM_LEFT",                                     nullptr,                           own("L_tackle6_receive.paf"),                            "->151",            "0*22 32 0*11 53 0*19 31"},
    {267, "STANDING_RECEIVE_BUMP_FROM_RIGHT",                                    "L_tackle6_receive",               mirror_of(266),                                          "->151 M",          "0*22 32 0*11 53 0*19 31"},
    {268, "STANDING_RECEIVE_BUMP_FROM_FRONT",                                    nullptr,                           own("L_tackle5_receive.paf"),                            "->29",             "0*3 32 0*10 53 0*14 21 0*11 31"},
    {269, "RUNNING_RECEIVE_BUMP_FROM_REAR",                                      nullptr,                           own("L_tackle7_rcve.paf"),                               "->151",            "0*2 32 0*23 53 0*18 31"},
    {270, "RUNNING_RECEIVE_BUMP_FROM_LEFT",                                      "L_bump4",                         mirror_of(271),                                          "->151 M",          "0*3 32 0*10 53 0*25 31"},
    {271, "RUNNING_RECEIVE_BUMP_FROM_RIGHT",                                     nullptr,                           own("L_bump4.paf"),                                      "->151",            "0*3 32 0*10 53 0*25 31"},
    {272, "RUNNING_RECEIVE_BUMP_FROM_FRONT",                                     nullptr,                           own("L_bump5.paf"),                                      "->150",            "0*7 32 0*8 53 0*33 31"},
    {273, "PART3_STANDING_OUTSTRETCHED_JUMPCATCH_FAIL",                          nullptr,                           own("L_part3_standing_outstretched_jumpcatch_fail.paf"), "->274",            "24 0*3"},
    {274, "PART4_STANDING_OUTSTRETCHED_JUMPCATCH_FAIL",                          nullptr,                           own("L_part4_standing_outstretched_jumpcatch_fail.paf"), "->0",              "0*15 1"},
    {275, "PART3_RUNNING_OUTSTRETCHED_JUMPCATCH_FAIL",                           nullptr,                           own("L_part3catch7_fail.paf"),                           "->276",            "24 0"},
    {276, "PART4_RUNNING_OUTSTRETCHED_JUMPCATCH_FAIL",                           nullptr,                           own("L_part4catch7_fail.paf"),                           "->3",              "0*9 1"},
    {277, "PART3_STANDING_JUMPCATCH_TO_CHEST_FAIL",                              nullptr,                           own("L_part3_standing_jumpcatch_to_chest_fail.paf"),     "->278",            "24 0*5"},
    {278, "PART4_STANDING_JUMPCATCH_TO_CHEST_FAIL",                              nullptr,                           own("L_part4_standing_jumpcatch_to_chest_fail.paf"),     "->0",              "0*24 1"},
    {279, "PART3_RUNNING_JUMPCATCH_TO_CHEST_FAIL",                               nullptr,                           own("L_part3_running_jumpcatch_to_chest_fail.paf"),      "->280",            "24 0*6"},
    {280, "PART4_RUNNING_JUMPCATCH_TO_CHEST_FAIL",                               nullptr,                           own("L_part4_running_jumpcatch_to_chest_fail.paf"),      "->3",              "0*5 1"},
    {281, "DO_TACKLE",                                                           nullptr,                           own("L_mtackle4a.paf"),                                  "->282",            "33*11"},
    {282, "HOLD_TACKLE",                                                         nullptr,                           own("hold_tackle.paf"),                                  "->283",            "33*48 14"},
    {283, "END_TACKLE",                                                          nullptr,                           own("L_mtackle4_end.paf"),                               "->0",              "0*9 1"},
    {284, "DO_FAIL_TACKLE",                                                      nullptr,                           own("L_mtackle4a.paf"),                                  "->282",            "33*10 34"},
    {285, "INJURY1",                                                             nullptr,                           own("L_injury1.paf"),                                    "->285",            "0*83 49"},
    {286, "INJURY2",                                                             nullptr,                           own("L_injury2.paf"),                                    "->286",            "0*91 49"},
    {287, "INJURY3",                                                             nullptr,                           own("L_injury3.paf"),                                    "->287",            "0*95 49"},
    {288, "TAKE_JAB_TO_HEAD1",                                                   nullptr,                           own("L_punched1a.paf"),                                  "->0",              "0*29 39 1"},
    {289, "TAKE_JAB_TO_HEAD2",                                                   nullptr,                           own("L_punched1b.paf"),                                  "->0",              "0*29 39 1"},
    {290, "TAKE_HOOK_TO_HEAD1",                                                  nullptr,                           own("L_punched2a.paf"),                                  "->0",              "0*33 39 1"},
    {291, "TAKE_HOOK_TO_HEAD2",                                                  nullptr,                           own("L_punched2b.paf"),                                  "->0",              "0*47 39 1"},
    {292, "TAKE_LOW_PUNCH_WHILST_DOUBLED_OVER",                                  nullptr,                           own("L_punched4.paf"),                                   "->0",              "0*37 1"},
    {293, "TAKE_LOW_RECOVER",                                                    nullptr,                           own("L_fight6a.paf"),                                    "->0",              "0*32 39 1"},
    {294, "TAKE_LOW_RETREAT",                                                    nullptr,                           own("L_fight6b.paf"),                                    "->0",              "0*29 39 1"},
    {295, "KNOCKOUT",                                                            nullptr,                           own("L_punched5.paf"),                                   "->313",            "0*47"},
    {296, "UPPERCUT",                                                            nullptr,                           own("L_fight1.paf"),                                     "->0",              "40*12 38 40*16 1"},
    {297, "HOOK_NOSTEP",                                                         nullptr,                           own("L_fight2b.paf"),                                    "->0",              "40*20 38 40*28 1"},
    {298, "HOOK_WITHSTEP",                                                       nullptr,                           own("L_fight2a.paf"),                                    "->0",              "40*13 38 40*13 1"},
    {299, "JAB_WITHSTEP",                                                        nullptr,                           own("L_fight3a.paf"),                                    "->0",              "40*10 38 40*6 1"},
    {300, "JAB_NOSTEP",                                                          nullptr,                           own("L_fight3b.paf"),                                    "->0",              "40*17 38 40*14 1"},
    {301, "LOW_KICK",                                                            nullptr,                           own("L_fight4a.paf"),                                    "->0",              "40*32 38 40*20 1"},
    {302, "LOW_KNEE",                                                            nullptr,                           own("L_fight4b.paf"),                                    "->0",              "40*32 38 40*20 1"},
    {303, "HEADBUTT",                                                            nullptr,                           own("L_fight5a.paf"),                                    "->0",              "40*26 38 40*19 1"},
    {304, "GRABBING_HEADBUTT",                                                   nullptr,                           own("L_fight5b.paf"),                                    "->0",              "40*32 38 40*24 1"},
    {305, "DIRTY_GROUND_KICK",                                                   nullptr,                           own("L_fight7a.paf"),                                    "->0",              "40*18 38 40*19 1"},
    {306, "DIRTY_BIG_GROUND_KICK",                                               nullptr,                           own("L_fight7b.paf"),                                    "->0",              "40*23 38 40*27 1"},
    {307, "BODY_STAMP",                                                          nullptr,                           own("L_fight8.paf"),                                     "->0",              "40*28 38 40*21 1"},
    {308, "LOW_PUNCH_WITHSTEP",                                                  nullptr,                           own("L_fight9a.paf"),                                    "->0",              "40*13 38 40*9 1"},
    {309, "LOW_PUNCH_NOSTEP",                                                    nullptr,                           own("L_fight9a.paf"),                                    "->0",              "40*13 38 40*9 1"},
    {310, "AGGRO_RACK_OFF_MATE_1",                                               nullptr,                           own("L_aggro3b.paf"),                                    "2nd->310",         "0*18 38 0*22 1"},
    {311, "AGGRO_RACK_OFF_MATE_2",                                               nullptr,                           own("L_aggro4b.paf"),                                    "2nd->311",         "0*18 38 0*22 1"},
    {312, "BACKSTEP",                                                            nullptr,                           own("L_backstep.paf"),                                   "->0",              "0*6 1"},
    {313, "ONGROUND_FACEUP",                                                     nullptr,                           own("onground_faceup.paf"),                              "->150",            "0*60"},
    {314, "LIMBS_TWEENING",                                                      nullptr,                           own("tween_anim.paf"),                                   "-",                "0"},
    {315, "STANDING_PUTDOWN",                                                    nullptr,                           none(),                                                  nullptr,            nullptr},
    {316, "GOALJUDGE_WALK_BACKWARDS",                                            nullptr,                           own("L_walkback.paf"),                                   "->0",              "0*16 1"},
    {317, "HANDSHAKE",                                                           nullptr,                           own("L_mceleb2.paf"),                                    "->0",              "0*43 1"},
    {318, "COIN_GAZE",                                                           nullptr,                           own("L_ptoss.paf"),                                      "->0",              "0*70 1"},
    {319, "CELEBRATE",                                                           nullptr,                           none(),                                                  nullptr,            nullptr},
    {320, "CELEB_RUNNING_HUG",                                                   nullptr,                           own("L_goalceleb1.paf"),                                 "->3",              "0*28 1"},
    {321, "CELEB_GROUP_HUG1",                                                    nullptr,                           own("L_mceleb1a.paf"),                                   "->0",              "0*107 1"},
    {322, "CELEB_GROUP_HUG2",                                                    nullptr,                           own("L_mceleb1b.paf"),                                   "->0",              "0*107 1"},
    {323, "CELEB_PUNCH_AIR",                                                     nullptr,                           own("L_goalceleb2.paf"),                                 "->3",              "0*30 1"},
    {324, "CELEB_PAT_HEAD",                                                      nullptr,                           own("L_goalceleb3.paf"),                                 "->3",              "0*16 1"},
    {325, "CELEB_PAT_BACK",                                                      nullptr,                           own("L_goalceleb4.paf"),                                 "->3",              "0*24 1"},
    {326, "CELEB_RUNNING_CLAP",                                                  nullptr,                           own("L_goalceleb5.paf"),                                 "->3",              "0*23 1"},
    {327, "CELEB_ARMS_UP_RUNNING",                                               nullptr,                           own("L_goalceleb6.paf"),                                 "->3",              "0*24 1"},
    {328, "CELEB_ARMS_UP_WALKING",                                               nullptr,                           own("L_mceleb3.paf"),                                    "->0",              "0*60 1"},
    {329, "CELEB_ARMS_UP_TURNING",                                               nullptr,                           own("L_mceleb4.paf"),                                    "->0",              "0*65 1"},
    {330, "CELEB_PASS_TROPHY",                                                   nullptr,                           own("L_mceleb5.paf"),                                    "->3",              "0*71 1"},
    {331, "PART1_RUNNING_JUMPSPOIL_FORWARDS",                                    nullptr,                           own("L_part1_running_jumpspoil_forwards.paf"),           "->332",            "0*4 17"},
    {332, "PART2_RUNNING_JUMPSPOIL_FORWARDS",                                    nullptr,                           own("L_part2_running_jumpspoil_forwards.paf"),           "->333",            "0*3 44 0*5"},
    {333, "PART3_RUNNING_JUMPSPOIL_FORWARDS",                                    nullptr,                           own("L_part3_running_jumpspoil_forwards.paf"),           "->2",              "0*7"},
    {334, "PART1_RUNNING_JUMPSPOIL_OVERHEAD",                                    nullptr,                           own("L_part1_running_jumpspoil_forwards.paf"),           "->335",            "0*4 17"},
    {335, "PART2_RUNNING_JUMPSPOIL_OVERHEAD",                                    nullptr,                           own("L_part2_running_jumpspoil_overhead.paf"),           "->336",            "0*3 44 0*6"},
    {336, "PART3_RUNNING_JUMPSPOIL_OVERHEAD",                                    nullptr,                           own("L_part3_running_jumpspoil_overhead.paf"),           "->2",              "0*6"},
    {337, "PART1_RUNNING_JUMPSPOIL_LEFT",                                        nullptr,                           own("L_part1_running_jumpspoil_forwards.paf"),           "->338",            "0*4 17"},
    {338, "PART2_RUNNING_JUMPSPOIL_LEFT",                                        nullptr,                           own_mirrored("L_part2_running_jumpspoil_left.paf"),      "->339 M",          "0*3 44 0*6"},
    {339, "PART3_RUNNING_JUMPSPOIL_LEFT",                                        nullptr,                           own_mirrored("L_part3_running_jumpspoil_left.paf"),      "->2 M",            "0*7"},
    {340, "PART1_RUNNING_JUMPSPOIL_RIGHT",                                       nullptr,                           own("L_part1_running_jumpspoil_forwards.paf"),           "->341",            "0*4 17"},
    {341, "PART2_RUNNING_JUMPSPOIL_RIGHT",                                       "L_part2_running_jumpspoil_left",  row(338),                                                "->342",            "0*3 44 0*6"},
    {342, "PART3_RUNNING_JUMPSPOIL_RIGHT",                                       "L_part3_running_jumpspoil_left",  mirror_of(339),                                          "->2 M",            "0*7"},
    {343, "PART1_STANDING_JUMPSPOIL_FORWARDS",                                   nullptr,                           own("L_part1_standing_jumpspoil_forwards.paf"),          "->344",            "0*11 17"},
    {344, "PART2_STANDING_JUMPSPOIL_FORWARDS",                                   nullptr,                           own("L_part2_standing_jumpspoil_forwards.paf"),          "->345",            "0*4 44 0*3"},
    {345, "PART3_STANDING_JUMPSPOIL_FORWARDS",                                   nullptr,                           own("L_part3_standing_jumpspoil_forwards.paf"),          "stop+ ->0",        "0*13"},
    {346, "PART1_STANDING_JUMPSPOIL_OVERHEAD",                                   nullptr,                           own("L_part1_standing_jumpspoil_forwards.paf"),          "->347",            "0*11 17"},
    {347, "PART2_STANDING_JUMPSPOIL_OVERHEAD",                                   nullptr,                           own("L_part2_standing_jumpspoil_overhead.paf"),          "->348",            "0*4 44 0*3"},
    {348, "PART3_STANDING_JUMPSPOIL_OVERHEAD",                                   nullptr,                           own("L_part3_standing_jumpspoil_overhead.paf"),          "stop+ ->0",        "0*14"},
    {349, "PART1_STANDING_JUMPSPOIL_LEFT",                                       nullptr,                           own("L_part1_standing_jumpspoil_left.paf"),              "->350",            "0*8 17"},
    {350, "PART2_STANDING_JUMPSPOIL_LEFT",                                       nullptr,                           own("L_part2_standing_jumpspoil_left.paf"),              "->351",            "0*4 44 0*3"},
    {351, "PART3_STANDING_JUMPSPOIL_LEFT",                                       nullptr,                           own("L_part3_standing_jumpspoil_left.paf"),              "stop+ ->0",        "0*17"},
    {352, "PART1_STANDING_JUMPSPOIL_RIGHT",                                      "L_part1_standing_jumpspoil_left", mirror_of(349),                                          "->353 M",          "0*8 17"},
    {353, "PART2_STANDING_JUMPSPOIL_RIGHT",                                      "L_part2_standing_jumpspoil_left", mirror_of(350),                                          "->354 M",          "0*4 44 0*3"},
    {354, "PART3_STANDING_JUMPSPOIL_RIGHT",                                      "L_part3_standing_jumpspoil_left", mirror_of(351),                                          "stop+ ->0 M",      "0*17"},
    {355, "START_MARK_SPOIL",                                                    nullptr,                           own("L_mark_spoil_start.paf"),                           "2nd->356",         "0*30"},
    {356, "HOLD_MARK_SPOIL",                                                     nullptr,                           own("L_mark_spoil_hold.paf"),                            "2nd->356",         "0*40"},
    {357, "FINISH_MARK_SPOIL",                                                   nullptr,                           own("L_mark_spoil_finish.paf"),                          "-",                "0*29 1"},
    {358, "ARGUE_PROTEST",                                                       nullptr,                           none(),                                                  nullptr,            nullptr},
    {359, "ARGUE_EXP",                                                           nullptr,                           none(),                                                  nullptr,            nullptr},
    {360, "ARGUE_WHY",                                                           nullptr,                           own("L_argue1.paf"),                                     "2nd->360",         "0*58 1"},
    {361, "ARGUE_OH_CMON",                                                       nullptr,                           own("L_argue2.paf"),                                     "2nd->361",         "0*65 1"},
    {362, "ARGUE_OH_FUCK_OFF",                                                   nullptr,                           own("L_argue3.paf"),                                     "2nd->362",         "0*118 1"},
    {363, "ARGUE_HUH",                                                           nullptr,                           own("L_argue4.paf"),                                     "2nd->363",         "0*78 1"},
    {364, "ARGUE_NOT_GUILTY",                                                    nullptr,                           own("L_argue8.paf"),                                     "2nd->364",         "0*161 1"},
    {365, "ARGUE_ELBOW_PLAYER",                                                  nullptr,                           own("L_argue5.paf"),                                     "2nd->365",         "0*119 1"},
    {366, "ARGUE_EXPLAIN",                                                       nullptr,                           own("L_argue6.paf"),                                     "2nd->366",         "0*159 1"},
    {367, "ARGUE_TOUCHED_ARM",                                                   nullptr,                           own("L_argue7.paf"),                                     "2nd->367",         "0*114 1"},
    {368, "ARGUE_I_WAS_PULLED",                                                  nullptr,                           own("L_argue9.paf"),                                     "2nd->368",         "0*137 1"},
    {369, "AGGRO_TAKE_UP_FIGHTING_STANCE",                                       nullptr,                           own("L_aggro1a.paf"),                                    "2nd->369",         "0*44 1"},
    {370, "AGGRO_RECEIVE_SHOVE_BACK",                                            nullptr,                           own("L_aggro3a.paf"),                                    "2nd->370",         "0*41 31"},
    {371, "AGGRO_RECEIVE_SHOVE_SIDE_LEFT",                                       nullptr,                           own("L_aggro4a.paf"),                                    "2nd->371",         "0*41 31"},
    {372, "QUICKSTEP_LEFT",                                                      nullptr,                           own("L_walk4.paf"),                                      "->0",              "0*32 1"},
    {373, "QUICKSTEP_RIGHT",                                                     "L_walk4",                         mirror_of(372),                                          "->0 M",            "0*32 1"},
    {374, "DATA_TEST",                                                           "L_ump_ct",                        mirror_of(165),                                          "->0",              "0*79 43 0*34 42 0*129 46 22"},
    {375, nullptr,                                                               nullptr,                           own("L_tackle7_make.paf"),                               "->151",            "0*5 28*15 0*26 31"},
    {376, nullptr,                                                               nullptr,                           none(),                                                  nullptr,            nullptr},
    {377, nullptr,                                                               nullptr,                           own("kick_to_self.paf"),                                 "->2",              "0*29 52 0*28 1"},
};
// clang-format on

const char kPafDir[] = "3d display\\pafs\\";
const int kLongestScript = 256;

AnimStartEffect g_effects[ANIM_PLAYED_ROWS];
uint8_t g_scripts[ANIM_PLAYED_ROWS][kLongestScript];

[[noreturn]] void bad_row(int row, const char* what)
{
    char text[160];
    std::snprintf(text, sizeof text, "animation row %d: %s", row, what);
    fatal_error_sub(FATAL_BAD_ANIM_FILE, static_cast<uint32_t>(row), text, 0);
}

bool take_number(const char*& p, int& n)
{
    char* end;
    long v = std::strtol(p, &end, 10);
    if (end == p || v < 0 || v >= ANIM_ROW_COUNT) return false;
    n = static_cast<int>(v);
    p = end;
    return true;
}

AnimStartEffect parse_start(int row, const char* s)
{
    AnimStartEffect e{-1, -1, -1, 0};
    for (const char* p = s; *p;) {
        int n = 0;
        if (*p == ' ') {
            ++p;
        } else if (!std::strncmp(p, "2nd->", 5) && (p += 5, take_number(p, n))) {
            e.follow_on_secondary = static_cast<int16_t>(n);
        } else if (!std::strncmp(p, "catch->", 7) && (p += 7, take_number(p, n))) {
            e.follow_on_catch = static_cast<int16_t>(n);
        } else if (!std::strncmp(p, "->", 2) && (p += 2, take_number(p, n))) {
            e.follow_on = static_cast<int16_t>(n);
        } else if (!std::strncmp(p, "stop+", 5)) {
            e.flags |= START_STOP | START_STOP_WANTED, p += 5;
        } else if (!std::strncmp(p, "stop", 4)) {
            e.flags |= START_STOP, p += 4;
        } else if (*p == 'M') {
            e.flags |= START_MIRROR_SIDE, ++p;
        } else if (*p == '-' && (p[1] == 0 || p[1] == ' ')) {
            ++p;
        } else {
            bad_row(row, "unreadable on-start effect");
        }
    }
    return e;
}

// Expands "0*21 16 0*29 1" into event bytes ended by 50; the frame count.
int expand_script(int row, const char* s, uint8_t* out)
{
    int n = 0;
    for (const char* p = s; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        char* end;
        long event = std::strtol(p, &end, 10);
        long count = 1;
        if (end == p || event < 0 || event > 53 || event == ANIM_SCRIPT_END) bad_row(row, "unreadable event script");
        p = end;
        if (*p == '*') {
            count = std::strtol(p + 1, &end, 10);
            if (end == p + 1 || count < 1) bad_row(row, "unreadable event script");
            p = end;
        }
        if (n + count >= kLongestScript) bad_row(row, "event script too long");
        for (long i = 0; i < count; ++i) out[n++] = static_cast<uint8_t>(event);
    }
    out[n] = ANIM_SCRIPT_END;
    return n;
}

void set_label(AnimationRow& r, const AnimRowSource& src)
{
    const char* text = src.label;
    char stem[100];
    if (!text) {
        std::snprintf(stem, sizeof stem, "%s", src.data.file);
        if (char* dot = std::strstr(stem, ".paf")) *dot = 0;
        text = stem;
    }
    std::snprintf(r.label, sizeof r.label, "%s", text);
}

bool has_animation(const AnimRowSource& s) { return s.data.file || s.data.source >= 0; }

} // namespace

bool is_contact_event(uint8_t e) { return e == 16 || e == 20 || e == 25 || e == 27; }
bool is_release_event(uint8_t e) { return e == 3 || e == 21 || e == 32 || e == 41; }

const char* animation_name(int r) { return r >= 0 && r < ANIM_NAMED_ROWS ? kRows[r].name : nullptr; }
const char* animation_file(int r) { return r >= 0 && r < ANIM_PLAYED_ROWS ? kRows[r].data.file : nullptr; }
int animation_source_row(int r) { return r >= 0 && r < ANIM_PLAYED_ROWS ? kRows[r].data.source : -1; }

int animation_script(int r, uint8_t* out)
{
    if (r < 0 || r >= ANIM_PLAYED_ROWS || !kRows[r].events) return 0;
    uint8_t script[kLongestScript];
    return expand_script(r, kRows[r].events, out ? out : script);
}

void load_animations()
{
    std::memset(animation_table, 0, sizeof animation_table);
    // Rows with their own file first, so that every shared row finds its
    // source loaded.
    for (const AnimRowSource& s : kRows) {
        if (!s.data.file) continue;
        char path[160];
        std::snprintf(path, sizeof path, "%s%s", kPafDir, s.data.file);
        AnimationRow& r = animation_table[s.row];
        r.data = load_paf(path);
        r.owns_data = 1;
        r.mirror = s.data.mirror;
    }
    for (const AnimRowSource& s : kRows) {
        if (s.data.source < 0) continue;
        AnimationRow& r = animation_table[s.row];
        r.data = animation_table[s.data.source].data;
        r.mirror = s.data.mirror;
    }
    for (const AnimRowSource& s : kRows) {
        if (!has_animation(s)) continue;
        AnimationRow& r = animation_table[s.row];
        set_label(r, s);
        g_effects[s.row] = parse_start(s.row, s.on_start);
        r.on_start = &g_effects[s.row];
        expand_script(s.row, s.events, g_scripts[s.row]);
        r.events = g_scripts[s.row];
    }
    for (int k = 0; k < ANIM_BLEND_ROWS; ++k) {
        AnimationRow& r = animation_table[ANIM_PLAYED_ROWS + k];
        r.data = new_blend_anim();
        std::snprintf(r.label, sizeof r.label, "blend anim for player %d", k);
    }
    for (int n = 0; n < ANIM_PLAYED_ROWS; ++n) {
        AnimationRow& r = animation_table[n];
        r.contact_frame = r.release_frame = 0;
        if (!r.data) continue;
        for (int f = 0; r.events[f] != ANIM_SCRIPT_END; ++f) {
            if (is_contact_event(r.events[f])) r.contact_frame = static_cast<int8_t>(f + 1);
            if (is_release_event(r.events[f])) r.release_frame = static_cast<int8_t>(f + 1);
        }
    }
}

void free_animations()
{
    for (AnimationRow& r : animation_table)
        if (r.owns_data && r.data) free_paf(r.data);
    // The blend animations go too: nothing plays them after shut-down.
    for (int k = 0; k < ANIM_BLEND_ROWS; ++k) free_paf(animation_table[ANIM_PLAYED_ROWS + k].data);
    for (AnimationRow& r : animation_table) r.data = nullptr, r.owns_data = 0;
}
