// Every animation file the table names, each made from one family of motion
// with its parameters. Travel is in ground units a frame (the locomotion
// rows at their gait's rate divisor x 3.1); reach targets in model units
// relative to the man (x to his right, y up, z ahead).
#include "anim_motion.h"
#include "host/host_test_hooks.h"

#include "host/paths.h"
#include "lib/anim_validator.h"
#include "lib/kit.h"
#include "app/startup.h"
#include "model/anim_table.h"

#include <cstring>
#include <string>

namespace {

const float kWalk = 8 * 3.1f, kJog = 18 * 3.1f, kRun = 25 * 3.1f, kJogBall = 15 * 3.1f, kRunBall = 26 * 3.1f,
            kSprintBall = 29 * 3.1f;
const Effector H = EFF_HANDS, LH = EFF_LEFT_HAND, RH = EFF_RIGHT_HAND, LF = EFF_LEFT_FOOT;

// clang-format off
const Motion kMotions[] = {
    // file                                          family          a      b      c    d   flags                 effector  target x, y, z
    // Standing, idling and the locomotion cycles.
    {"L_idlesway.paf",                               FAM_IDLE,       0.05f, 1,     0,   0,  0},
    {"L_idle23wb.paf",                               FAM_IDLE,       0.04f, 2,     0,   1,  WITH_BALL},
    {"L_idle22wb.paf",                               FAM_IDLE,       0.05f, 3,     0,   2,  WITH_BALL},
    {"L_idle24wb.paf",                               FAM_IDLE,       0.06f, 2,     0,   3,  WITH_BALL},
    {"L_idle1.paf",                                  FAM_IDLE,       0.04f, 2,     0,   0,  0},
    {"L_idle2.paf",                                  FAM_IDLE,       0.06f, 1,     0,   1,  0},
    {"L_idle3.paf",                                  FAM_IDLE,       0.05f, 3,     0,   2,  0},
    {"L_idle4.paf",                                  FAM_IDLE,       0.07f, 2,     0,   3,  0},
    {"L_idle5.paf",                                  FAM_IDLE,       0.03f, 1,     0,   4,  0},
    {"L_idle6.paf",                                  FAM_IDLE,       0.05f, 2,     0,   5,  0},
    {"L_idle8.paf",                                  FAM_IDLE,       0.06f, 3,     0,   6,  0},
    {"L_idle9.paf",                                  FAM_IDLE,       0.04f, 1,     0,   7,  0},
    {"L_idle11.paf",                                 FAM_IDLE,       0.05f, 2,     0,   8,  0},
    {"L_idle12.paf",                                 FAM_IDLE,       0.07f, 1,     0,   9,  0},
    {"L_idle13.paf",                                 FAM_IDLE,       0.04f, 3,     0,   10, 0},
    {"L_idle14.paf",                                 FAM_IDLE,       0.06f, 2,     0,   11, 0},
    {"L_idle15.paf",                                 FAM_IDLE,       0.05f, 1,     0,   12, 0},
    {"L_idle16.paf",                                 FAM_IDLE,       0.03f, 2,     0,   13, 0},
    {"L_idle17.paf",                                 FAM_IDLE,       0.06f, 3,     0,   14, 0},
    {"L_idle18.paf",                                 FAM_IDLE,       0.05f, 2,     0,   15, 0},
    {"L_idle19.paf",                                 FAM_IDLE,       0.04f, 1,     0,   16, 0},
    {"L_idle20.paf",                                 FAM_IDLE,       0.07f, 2,     0,   17, 0},
    {"L_idle21.paf",                                 FAM_IDLE,       0.05f, 3,     0,   18, 0},
    {"L_ump_idle1.paf",                              FAM_IDLE,       0.03f, 2,     0,   0,  UMPIRE},
    {"goaljudge_tmp.paf",                            FAM_STAND,      0,     0,     0,   0,  UMPIRE},
    {"L_gump_about.paf",                             FAM_STAND,      0,     0,     0,   0,  UMPIRE},
    {"temp.paf",                                     FAM_STAND,      0,     0,     0,   0,  0},
    {"tween_anim.paf",                               FAM_STAND,      0,     0,     0,   0,  0},
    {"L_tackle_idle.paf",                            FAM_STAND,      0,     0,     0,   0,  WITH_BALL},
    {"L_walk_nb.paf",                                FAM_GAIT,       kWalk, 0,     0,   0,  0},
    {"L_jog_nb.paf",                                 FAM_GAIT,       kJog,  0,     0,   0,  0},
    {"L_run_nb.paf",                                 FAM_GAIT,       kRun,  0,     0,   0,  0},
    {"L_sprint_nb.paf",                              FAM_GAIT,       kRun,  0,     0,   0,  0},
    {"L_walk_wb.paf",                                FAM_GAIT,       kWalk, 0,     0,   0,  WITH_BALL},
    {"L_jog_wb.paf",                                 FAM_GAIT,       kJogBall, 0,  0,   0,  WITH_BALL},
    {"L_run_wb.paf",                                 FAM_GAIT,       kRunBall, 0,  0,   0,  WITH_BALL},
    {"L_sprint_wb.paf",                              FAM_GAIT,       kSprintBall, 0, 0, 0,  WITH_BALL},
    {"L_walk3.paf",                                  FAM_GAIT,       12,    0,     0,   0,  BACKWARDS},
    {"L_walk3b.paf",                                 FAM_GAIT,       12,    0,     0,   0,  BACKWARDS | WITH_BALL},
    {"L_walkback.paf",                               FAM_GAIT,       10,    0,     0,   0,  BACKWARDS | UMPIRE},
    {"L_bounce.paf",                                 FAM_BOUNCE,     kRun,  0,     0,   0,  0},
    // Turns: the yaw their events take for the man's new facing.
    {"L_turn1_left.paf",                             FAM_TURN,       -90,   0,     0,   0,  0},
    {"L_turn2.paf",                                  FAM_TURN,       180,   0,     0,   0,  0},
    {"L_turn5_right.paf",                            FAM_TURN,       45,    22 * 3.1f, 0, 0, 0},
    {"L_turn8_left.paf",                             FAM_TURN,       -90,   22 * 3.1f, 0.875f, 0, 0},
    {"L_turn3.paf",                                  FAM_TURN,       180,   22 * 3.1f, 0, 0, 0},
    // Steps aside and back (sideways, forwards, in ground units over the row).
    {"stepl_nz.paf",                                 FAM_STEP,       -200,  0,     0,   3,  0},
    {"stepr_nz.paf",                                 FAM_STEP,       200,   0,     0,   3,  0},
    {"L_walk4.paf",                                  FAM_STEP,       -150,  20,    0,   2,  WITH_BALL},
    {"L_backstep.paf",                               FAM_STEP,       0,     -60,   0,   1,  0},
    {"K_chgedown.paf",                               FAM_STEP,       0,     60,    0,   1,  0},
    // Pick-ups: the ball on the ground ahead, at the hands.
    {"L_pickup1a.paf",                               FAM_REACH,      2,     0,     0,   0,  WITH_BALL,            H,  0, 2, 28},
    {"L_pickup1b.paf",                               FAM_REACH,      kWalk, 0,     0,   0,  WITH_BALL,            H,  0, 4, 36},
    {"L_pickup2.paf",                                FAM_REACH,      kJog,  0,     0,   0,  WITH_BALL | RUNNING,  H,  0, 4, 38},
    // Catches: chest, fingers above the head, low.
    {"L_catch1.paf",                                 FAM_REACH,      6,     0,     0,   0,  WITH_BALL,            H,  0, 125, 28},
    {"L_catch11.paf",                                FAM_REACH,      6,     0,     0,   0,  WITH_BALL,            H,  0, 200, 22},
    {"L_catch4.paf",                                 FAM_REACH,      6,     0,     0,   0,  WITH_BALL,            H,  0, 60, 36},
    {"L_catch5.paf",                                 FAM_REACH,      kJog,  0,     0,   0,  WITH_BALL | RUNNING,  H,  0, 125, 30},
    {"L_catch12.paf",                                FAM_REACH,      kJog,  0,     0,   0,  WITH_BALL | RUNNING,  H,  0, 200, 24},
    {"L_catch8.paf",                                 FAM_REACH,      kJog,  0,     0,   0,  WITH_BALL | RUNNING,  H,  0, 60, 38},
    // Slaps: the right hand standing, the left running (but the high overhead);
    // c: the frame the hand arrives where the planners look before the event.
    {"L_hitout5.paf",                                FAM_REACH,      6,     0,     0,   0,  0,                    RH, -35, 175, 45},
    {"L_hitout6.paf",                                FAM_REACH,      6,     0,     16,   0,  0,                    RH, 8, 212, 20},
    {"L_hitout4.paf",                                FAM_REACH,      6,     0,     0,   0,  0,                    RH, 12, 180, 45},
    {"L_hitout11.paf",                               FAM_REACH,      6,     0,     10,   0,  0,                    RH, -32, 205, 42},
    {"L_hitout12.paf",                               FAM_REACH,      6,     0,     18,   0,  0,                    RH, 6, 218, 20},
    {"L_hitout10.paf",                               FAM_REACH,      6,     0,     0,   0,  0,                    RH, 12, 208, 40},
    {"L_hitout2.paf",                                FAM_REACH,      kJog,  0,     0,   0,  RUNNING,              LH, 35, 170, 45},
    {"L_hitout3.paf",                                FAM_REACH,      kJog,  0,     0,   0,  RUNNING,              LH, -8, 210, 20},
    {"L_hitout1.paf",                                FAM_REACH,      kJog,  0,     0,   0,  RUNNING,              LH, -12, 175, 45},
    {"L_hitout8.paf",                                FAM_REACH,      kJog,  0,     0,   0,  RUNNING,              LH, 32, 200, 42},
    {"L_hitout9.paf",                                FAM_REACH,      kJog,  0,     0,   0,  RUNNING,              RH, 8, 212, 20},
    {"L_hitout7.paf",                                FAM_REACH,      kJog,  0,     0,   0,  RUNNING,              LH, -12, 205, 40},
    {"L_hitout13.paf",                               FAM_REACH,      kJog,  0,     0,   0,  RUNNING,              LH, -12, 90, 50},
    // Kicks along the ground with the left foot.
    {"L_kick2.paf",                                  FAM_REACH,      kRun,  kJog,  0,   0,  RUNNING,              LF, -8, 7, 36},
    // Kick swings (a: travel a frame) and handballs (a: travel, b: turn).
    {"L_kick6.paf",                                  FAM_KICK,      0,     0,     0,   0,  WITH_BALL},
    {"L_kick1.paf",                                  FAM_KICK,      kRun,  0,     0,   0,  WITH_BALL},
    {"L_kick3.paf",                                  FAM_KICK,      kJog,  0,     0,   0,  WITH_BALL},
    {"L_kick4.paf",                                  FAM_KICK,      kRun,  0,     0,   0,  WITH_BALL},
    {"kick_to_self.paf",                             FAM_KICK,      kJog,  0,     0,   0,  WITH_BALL},
    {"L_handball3.paf",                              FAM_HANDBALL,  0,     0,     0,   0,  WITH_BALL,            H,  0, 0, 0, LH},
    {"L_handball4.paf",                              FAM_HANDBALL,  0,     -60,   0,   0,  WITH_BALL,            H,  0, 0, 0, LH},
    {"L_handball5.paf",                              FAM_HANDBALL,  0,     80,    0,   0,  WITH_BALL,            H,  0, 0, 0, LH},
    {"L_handball1.paf",                              FAM_HANDBALL,  kJog,  0,     0,   0,  WITH_BALL,            H,  0, 0, 0, LH},
    {"L_handball2.paf",                              FAM_HANDBALL,  kJog,  60,    0,   0,  WITH_BALL,            H,  0, 0, 0, LH},
    // Jump and mark: part 1 take-off, 2 rise, 3 the catch at its frame 0, 4 landing (c 1: missed).
    {"L_part1_standing_outstretched_jumpcatch.paf",  FAM_JUMP,      1,     205,   0,   0,  0},
    {"L_part2_standing_outstretched_jumpcatch.paf",  FAM_JUMP,      2,     205,   0,   0,  0},
    {"L_part3_standing_outstretched_jumpcatch.paf",  FAM_JUMP,      3,     205,   0,   0,  0},
    {"L_part4_standing_outstretched_jumpcatch.paf",  FAM_JUMP,      4,     205,   0,   0,  WITH_BALL},
    {"L_part3_standing_outstretched_jumpcatch_fail.paf", FAM_JUMP,  3,     205,   1,   0,  0},
    {"L_part4_standing_outstretched_jumpcatch_fail.paf", FAM_JUMP,  4,     205,   1,   0,  0},
    {"L_part1catch7.paf",                            FAM_JUMP,      1,     205,   0,   0,  RUNNING},
    {"L_part2catch7.paf",                            FAM_JUMP,      2,     205,   0,   0,  RUNNING},
    {"L_part3catch7.paf",                            FAM_JUMP,      3,     205,   0,   0,  RUNNING},
    {"L_part4catch7.paf",                            FAM_JUMP,      4,     205,   0,   0,  RUNNING | WITH_BALL},
    {"L_part3catch7_fail.paf",                       FAM_JUMP,      3,     205,   1,   0,  RUNNING},
    {"L_part4catch7_fail.paf",                       FAM_JUMP,      4,     205,   1,   0,  RUNNING},
    {"L_part1_standing_jumpcatch_to_chest.paf",      FAM_JUMP,      1,     135,   0,   0,  0},
    {"L_part2_standing_jumpcatch_to_chest.paf",      FAM_JUMP,      2,     135,   0,   0,  0},
    {"L_part3_standing_jumpcatch_to_chest.paf",      FAM_JUMP,      3,     135,   0,   0,  0},
    {"L_part4_standing_jumpcatch_to_chest.paf",      FAM_JUMP,      4,     135,   0,   0,  WITH_BALL},
    {"L_part3_standing_jumpcatch_to_chest_fail.paf", FAM_JUMP,      3,     135,   1,   0,  0},
    {"L_part4_standing_jumpcatch_to_chest_fail.paf", FAM_JUMP,      4,     135,   1,   0,  0},
    {"L_part1_running_jumpcatch_to_chest.paf",       FAM_JUMP,      1,     135,   0,   0,  RUNNING},
    {"L_part2_running_jumpcatch_to_chest.paf",       FAM_JUMP,      2,     135,   0,   0,  RUNNING},
    {"L_part3_running_jumpcatch_to_chest.paf",       FAM_JUMP,      3,     135,   0,   0,  RUNNING},
    {"L_part4_running_jumpcatch_to_chest.paf",       FAM_JUMP,      4,     135,   0,   0,  RUNNING | WITH_BALL},
    {"L_part3_running_jumpcatch_to_chest_fail.paf",  FAM_JUMP,      3,     135,   1,   0,  RUNNING},
    {"L_part4_running_jumpcatch_to_chest_fail.paf",  FAM_JUMP,      4,     135,   1,   0,  RUNNING},
    {"part1_speccy_2b.paf",                          FAM_JUMP,      1,     215,   0,   0,  RUNNING},
    {"part2_speccy_2b.paf",                          FAM_JUMP,      2,     215,   0,   0,  RUNNING},
    {"part3_speccy_2b.paf",                          FAM_JUMP,      3,     215,   0,   0,  RUNNING},
    {"part4_speccy_2b.paf",                          FAM_JUMP,      4,     215,   0,   0,  RUNNING | WITH_BALL},
    {"L_speccy1a.paf",                               FAM_STAND,     0,     0,     0,   0,  0},
    // Jump spoils: part 2 puts one hand on the ball at its spoil frame + 1.
    {"part1_standing_jumpspoil.paf",                 FAM_JUMP,      1,     205,   0,   0,  0},
    {"part2_standing_jumpspoil.paf",                 FAM_JUMP,      0,     0,     0,   0,  0,                    LH, -15, 212, 20},
    {"part3_standing_jumpspoil.paf",                 FAM_JUMP,      4,     205,   1,   0,  0},
    {"L_part1_running_jumpspoil_forwards.paf",       FAM_JUMP,      1,     205,   0,   0,  RUNNING},
    {"L_part2_running_jumpspoil_forwards.paf",       FAM_JUMP,      0,     0,     0,   0,  0,                    LH, -15, 212, 30},
    {"L_part3_running_jumpspoil_forwards.paf",       FAM_JUMP,      4,     205,   1,   0,  RUNNING},
    {"L_part2_running_jumpspoil_overhead.paf",       FAM_JUMP,      0,     0,     0,   0,  0,                    RH, 10, 215, -5},
    {"L_part3_running_jumpspoil_overhead.paf",       FAM_JUMP,      4,     205,   1,   0,  RUNNING},
    {"L_part2_running_jumpspoil_left.paf",           FAM_JUMP,      0,     0,     0,   0,  0,                    LH, 35, 200, 15},
    {"L_part3_running_jumpspoil_left.paf",           FAM_JUMP,      4,     205,   1,   0,  RUNNING},
    {"L_part1_standing_jumpspoil_forwards.paf",      FAM_JUMP,      1,     205,   0,   0,  0},
    {"L_part2_standing_jumpspoil_forwards.paf",      FAM_JUMP,      0,     0,     0,   0,  0,                    RH, 10, 212, 30},
    {"L_part3_standing_jumpspoil_forwards.paf",      FAM_JUMP,      4,     205,   1,   0,  0},
    {"L_part2_standing_jumpspoil_overhead.paf",      FAM_JUMP,      0,     0,     0,   0,  0,                    RH, 10, 215, -5},
    {"L_part3_standing_jumpspoil_overhead.paf",      FAM_JUMP,      4,     205,   1,   0,  0},
    {"L_part1_standing_jumpspoil_left.paf",          FAM_JUMP,      1,     205,   0,   0,  0},
    {"L_part2_standing_jumpspoil_left.paf",          FAM_JUMP,      0,     0,     0,   0,  0,                    RH, -35, 200, 15},
    {"L_part3_standing_jumpspoil_left.paf",          FAM_JUMP,      4,     205,   1,   0,  0},
    {"L_mark_spoil_start.paf",                       FAM_GESTURE,   0,     9,     0,   0,  0},
    {"L_mark_spoil_hold.paf",                        FAM_GESTURE,   0,     10,    0,   0,  0},
    {"L_mark_spoil_finish.paf",                      FAM_GESTURE,   0,     11,    0,   0,  0},
    // Tackles (a: 0 lunge, 1 hold, 2 end), falls (a: +1 forwards, -1 back;
    // b: travel; c: roll in degrees), lying, getting up.
    {"L_mtackle4a.paf",                              FAM_TACKLE,    0,     0,     0,   0,  0},
    {"hold_tackle.paf",                              FAM_TACKLE,    1,     0,     0,   0,  0},
    {"L_mtackle4_end.paf",                           FAM_TACKLE,    2,     0,     0,   0,  0},
    {"L_mtackle4.paf",                               FAM_FALL,      1,     60,    0,   0,  0},
    {"L_tackle7_make.paf",                           FAM_FALL,      1,     120,   0,   0,  0},
    {"L_tackle7_rcve.paf",                           FAM_FALL,      1,     100,   0,   0,  0},
    {"L_tackle6_receive.paf",                        FAM_FALL,      1,     60,    0,   0,  0},
    {"L_tackle5_receive.paf",                        FAM_FALL,      -1,    60,    0,   0,  0},
    {"L_bump4.paf",                                  FAM_FALL,      1,     80,    -40, 0,  0},
    {"L_bump5.paf",                                  FAM_FALL,      -1,    80,    0,   0,  0},
    {"L_runbump_low2.paf",                           FAM_BLOW,      6,     200,   0,   0,  0},
    {"onground_faceup.paf",                          FAM_GROUND,    -1,    0,     0,   0,  0},
    {"L_injury1.paf",                                FAM_GROUND,    -1,    0,     0,   0,  0},
    {"L_injury2.paf",                                FAM_GROUND,    1,     0,     0,   0,  0},
    {"L_injury3.paf",                                FAM_GROUND,    -1,    0,     0,   0,  0},
    {"L_getup4b.paf",                                FAM_GETUP,     -1,    0,     0,   0,  0},
    {"L_getup1a_old.paf",                            FAM_GETUP,     1,     0,     0,   0,  0},
    // Umpires' signals (a, b: left arm out and forward; c, d: the right's, degrees).
    {"L_ump_ct.paf",                                 FAM_SIGNAL,    10,    0,     20,  100, UMPIRE},
    {"L_ballup1_5.paf",                              FAM_SIGNAL,    0,     0,     0,   0,  UMPIRE | WITH_BALL},
    {"L_bump_ti.paf",                                FAM_SIGNAL,    0,     0,     0,   0,  UMPIRE | WITH_BALL},
    {"L_fump_ht.paf",                                FAM_SIGNAL,    10,    0,     30,  150, UMPIRE},
    {"L_fump_nb.paf",                                FAM_SIGNAL,    10,    60,    10,  60,  UMPIRE},
    {"L_fump_throw.paf",                             FAM_SIGNAL,    20,    90,    20,  40,  UMPIRE},
    {"L_fump_is.paf",                                FAM_SIGNAL,    80,    10,    10,  0,   UMPIRE},
    {"L_fump_lt.paf",                                FAM_SIGNAL,    10,    0,     60,  90,  UMPIRE},
    {"L_fump_po.paf",                                FAM_SIGNAL,    90,    0,     90,  0,   UMPIRE},
    {"L_fump_bu2.paf",                               FAM_SIGNAL,    30,    160,   30,  160, UMPIRE},
    {"fump_fk1_left.paf",                            FAM_SIGNAL,    90,    0,     10,  0,   UMPIRE},
    {"L_fump_fk1_right.paf",                         FAM_SIGNAL,    10,    0,     90,  0,   UMPIRE},
    {"L_fump_sg.paf",                                FAM_SIGNAL,    10,    0,     10,  170, UMPIRE},
    {"L_fump_eq.paf",                                FAM_SIGNAL,    20,    170,   20,  170, UMPIRE},
    {"L_fump_too.paf",                               FAM_SIGNAL,    10,    90,    10,  100, UMPIRE},
    {"L_fump_acg.paf",                               FAM_SIGNAL,    10,    170,   10,  170, UMPIRE},
    {"L_fump_acb.paf",                               FAM_SIGNAL,    10,    0,     10,  170, UMPIRE},
    {"L_fump_acbt.paf",                              FAM_SIGNAL,    10,    170,   10,  0,   UMPIRE},
    {"L_fump_achp.paf",                              FAM_SIGNAL,    60,    120,   60,  120, UMPIRE},
    {"L_fump_ti.paf",                                FAM_SIGNAL,    10,    0,     10,  60,  UMPIRE},
    {"L_fump_pb.paf",                                FAM_SIGNAL,    10,    80,    10,  80,  UMPIRE},
    {"L_fump_hm.paf",                                FAM_SIGNAL,    40,    70,    40,  70,  UMPIRE},
    {"L_fump_hb.paf",                                FAM_SIGNAL,    30,    50,    60,  50,  UMPIRE},
    {"L_bump_oob1.paf",                              FAM_SIGNAL,    10,    0,     90,  30,  UMPIRE},
    {"L_bump_oob2.paf",                              FAM_SIGNAL,    90,    30,    10,  0,   UMPIRE},
    {"L_bump_oob3.paf",                              FAM_SIGNAL,    60,    40,    60,  40,  UMPIRE},
    {"L_bump_csi.paf",                               FAM_SIGNAL,    45,    45,    45,  45,  UMPIRE},
    {"L_gump_post.paf",                              FAM_SIGNAL,    10,    0,     40,  45,  UMPIRE},
    {"L_gump_goal.paf",                              FAM_SIGNAL,    10,    80,    10,  80,  UMPIRE},
    {"L_gump_point.paf",                             FAM_SIGNAL,    10,    0,     10,  80,  UMPIRE},
    {"L_gump_oob1.paf",                              FAM_SIGNAL,    90,    20,    10,  0,   UMPIRE},
    {"L_gump_oob2.paf",                              FAM_SIGNAL,    90,    60,    10,  0,   UMPIRE},
    // Blows (a: 0 jab, 1 hook, 2 uppercut, 3 low punch, 4 kick, 5 knee,
    // 6 headbutt, 7 kick on the ground, 8 stamp; b: step), and taking them.
    {"L_fight1.paf",                                 FAM_BLOW,      2,     0,     0,   0,  0},
    {"L_fight2b.paf",                                FAM_BLOW,      1,     0,     0,   0,  0},
    {"L_fight2a.paf",                                FAM_BLOW,      1,     60,    0,   0,  0},
    {"L_fight3a.paf",                                FAM_BLOW,      0,     60,    0,   0,  0},
    {"L_fight3b.paf",                                FAM_BLOW,      0,     0,     0,   0,  0},
    {"L_fight4a.paf",                                FAM_BLOW,      4,     0,     0,   0,  0},
    {"L_fight4b.paf",                                FAM_BLOW,      5,     0,     0,   0,  0},
    {"L_fight5a.paf",                                FAM_BLOW,      6,     0,     0,   0,  0},
    {"L_fight5b.paf",                                FAM_BLOW,      6,     30,    0,   0,  0},
    {"L_fight7a.paf",                                FAM_BLOW,      7,     0,     0,   0,  0},
    {"L_fight7b.paf",                                FAM_BLOW,      7,     40,    0,   0,  0},
    {"L_fight8.paf",                                 FAM_BLOW,      8,     30,    0,   0,  0},
    {"L_fight9a.paf",                                FAM_BLOW,      3,     40,    0,   0,  0},
    {"L_aggro1a.paf",                                FAM_BLOW,      0,     0,     0,   0,  0},
    {"L_punched1a.paf",                              FAM_TAKE_BLOW, 40,    0,     0,   0,  0},
    {"L_punched1b.paf",                              FAM_TAKE_BLOW, 60,    0,     0,   0,  0},
    {"L_punched2a.paf",                              FAM_TAKE_BLOW, 50,    0,     0,   0,  0},
    {"L_punched2b.paf",                              FAM_TAKE_BLOW, 80,    0,     0,   0,  0},
    {"L_punched4.paf",                               FAM_TAKE_BLOW, 20,    1,     0,   0,  0},
    {"L_fight6a.paf",                                FAM_TAKE_BLOW, 10,    1,     0,   0,  0},
    {"L_fight6b.paf",                                FAM_TAKE_BLOW, 90,    1,     0,   0,  0},
    {"L_punched5.paf",                               FAM_TAKE_BLOW, 60,    2,     0,   0,  0},
    {"L_aggro3a.paf",                                FAM_TAKE_BLOW, 70,    0,     0,   0,  0},
    {"L_aggro4a.paf",                                FAM_TAKE_BLOW, 50,    0,     0,   0,  0},
    // Celebrations (a: travel a frame; b: 0 arms up, 1 punch the air, 2 clap,
    // 3 hug, 4 pat, 5 hand out, 6 look up; c: turn in degrees).
    {"L_goalceleb1.paf",                             FAM_CELEBRATE, kJog,  3,     0,   0,  0},
    {"L_goalceleb2.paf",                             FAM_CELEBRATE, kJog,  1,     0,   0,  0},
    {"L_goalceleb3.paf",                             FAM_CELEBRATE, kWalk, 4,     0,   0,  0},
    {"L_goalceleb4.paf",                             FAM_CELEBRATE, kWalk, 4,     0,   0,  0},
    {"L_goalceleb5.paf",                             FAM_CELEBRATE, kJog,  2,     0,   0,  0},
    {"L_goalceleb6.paf",                             FAM_CELEBRATE, kJog,  0,     0,   0,  0},
    {"L_mceleb1a.paf",                               FAM_CELEBRATE, 0,     3,     0,   0,  0},
    {"L_mceleb1b.paf",                               FAM_CELEBRATE, 0,     3,     20,  0,  0},
    {"L_mceleb2.paf",                                FAM_CELEBRATE, 0,     5,     0,   0,  0},
    {"L_mceleb3.paf",                                FAM_CELEBRATE, kWalk, 0,     0,   0,  0},
    {"L_mceleb4.paf",                                FAM_CELEBRATE, 0,     0,     360, 0,  0},
    {"L_mceleb5.paf",                                FAM_CELEBRATE, kWalk, 3,     0,   0,  0},
    {"L_ptoss.paf",                                  FAM_CELEBRATE, 0,     6,     0,   0,  0},
    // Arguing and racking off: arms and head only (b: style).
    {"L_argue1.paf",                                 FAM_GESTURE,   0,     0,     0,   0,  0},
    {"L_argue2.paf",                                 FAM_GESTURE,   0,     1,     0,   0,  0},
    {"L_argue3.paf",                                 FAM_GESTURE,   0,     2,     0,   0,  0},
    {"L_argue4.paf",                                 FAM_GESTURE,   0,     3,     0,   0,  0},
    {"L_argue5.paf",                                 FAM_GESTURE,   0,     4,     0,   0,  0},
    {"L_argue6.paf",                                 FAM_GESTURE,   0,     5,     0,   0,  0},
    {"L_argue7.paf",                                 FAM_GESTURE,   0,     6,     0,   0,  0},
    {"L_argue8.paf",                                 FAM_GESTURE,   0,     7,     0,   0,  0},
    {"L_argue9.paf",                                 FAM_GESTURE,   0,     8,     0,   0,  0},
    {"L_aggro3b.paf",                                FAM_GESTURE,   0,     12,    0,   0,  0},
    {"L_aggro4b.paf",                                FAM_GESTURE,   0,     13,    0,   0,  0},
};
// clang-format on

const Motion* motion_for(const char* file)
{
    for (const Motion& m : kMotions)
        if (!std::strcmp(m.file, file)) return &m;
    return nullptr;
}

// The frame a family times itself by: the first row's contact, else its
// release, else its blow, spoil or kick to himself, else none.
MotionContext context_for(int row)
{
    uint8_t script[256];
    MotionContext c{animation_script(row, script), -1};
    int contact = -1, release = -1, other = -1;
    for (int f = 0; f < c.frames; ++f) {
        if (is_contact_event(script[f])) contact = f;
        if (is_release_event(script[f])) release = f;
        if ((script[f] == 38 || script[f] == 44 || script[f] == 52) && other < 0) other = f;
    }
    c.contact_frame = contact >= 0 ? contact : release >= 0 ? release : other;
    return c;
}

struct BuildArgs {
    const KitContext* ctx;
    std::string* error;
    bool ok;
};

void build_all(void* arg)
{
    BuildArgs& b = *static_cast<BuildArgs*>(arg);
    load_player_model();
    for (int row = 0; row < ANIM_PLAYED_ROWS && b.ok; ++row) {
        const char* file = animation_file(row);
        if (!file) continue;
        bool first = true;
        for (int r = 0; r < row && first; ++r)
            if (animation_file(r) && !std::strcmp(animation_file(r), file)) first = false;
        if (!first) continue;
        const Motion* m = motion_for(file);
        if (!m) {
            *b.error = std::string("no motion for ") + file;
            b.ok = false;
            break;
        }
        std::string name = std::string("3d display\\pafs\\") + file;
        const PafFileData paf = build_motion(*m, context_for(row));
        if (!paf_is_finite(paf)) {
            *b.error = std::string(file) + " holds a value that is not a finite number";
            b.ok = false;
            break;
        }
        b.ok = kit_write_file(*b.ctx, name.c_str(), write_paf(paf), *b.error);
    }
    free_player_model();
}

bool build_animations(const KitContext& ctx, std::string& error)
{
    host_set_data_dir(ctx.out);
    use_3d_hardware = 1;
    BuildArgs args{&ctx, &error, true};
    return run_game_code(build_all, &args, error) && args.ok;
}

} // namespace

KIT_STEP(animations, 51, build_animations)
