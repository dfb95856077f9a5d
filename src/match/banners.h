// Event banners: short messages built from language texts by number, with a
// club's name or a man's name, handed to the match's message banner.
#pragma once

#include "match/match_records.h"

#include <cstdint>

constexpr uint16_t TEXT_END = 0xFFFF;
constexpr uint16_t TEXT_GAP = 169; // the separator between words
constexpr int BANNER_TEXT_SIZE = 129;

// The texts of the ids one after another, at most 128 characters.
void build_text_from_ids(const uint16_t* ids, char* out);
// A blank and the word.
void append_word(char* text, const char* word);

// The club-name text of a team, and of the team whose side is awarded_side.
uint16_t club_text(const TeamRecord* team);
uint16_t awarded_club_text();

void banner_team_message_a(const PlayerSlot* man);
void banner_club_201(const TeamRecord* team);
void banner_327_club(const TeamRecord* team);
void banner_team_message_b(const PlayerSlot* man);
void banner_355_text(const char* text);
void interchange_hook();
void banner_team_message_c(const PlayerSlot* man);
void banner_312();
void banner_347();
void banner_202_203();
void banner_345();
void banner_346();
void banner_202_207();
void banner_202_338();
void banner_202_339();
void banner_202_207_314();
void banner_316_club();
void banner_175_club();
void free_kick_banner_a();
void free_kick_banner_b();
void free_kick_banner_c();
void banner_offender_club();
void banner_183_club();
void banner_185_club();
void banner_326_club();
void coin_toss_banner();
void banner_update_167(const TeamRecord* team, int32_t flag);
void banner_update_168(const TeamRecord* team, int32_t flag);
void banner_285_club(const TeamRecord* team);
void banner_330_club(const TeamRecord* team);
void banner_update_164(const TeamRecord* team, int32_t count, int32_t flag);
void banner_update_163(uint16_t id, int32_t flag);
void banner_update_171(const TeamRecord* team, int32_t flag);
void banner_update_325(const TeamRecord* team, int32_t flag);
void banner_323_club(const TeamRecord* team);
void banner_324_club(const TeamRecord* team);
void banner_337_club(const PlayerSlot* man);
void banner_340(const PlayerSlot* man);
void banner_341(const PlayerSlot* man);
void banner_343_342(const PlayerSlot* man);
void banner_344();

// The human controllers' greetings: a team's, and the toss winner's. Nothing
// in the game calls them; the state entries show the same texts themselves.
void banner_351_352(const TeamRecord* team);
void banner_353_354();
// The HUD's two text lines for a team: its club on line 1, and a result line
// by mode 0, 1 or 2 on line 2, opened by 210 or by 213. Nothing calls them.
void hud_result_text_210(const TeamRecord* team, int32_t mode);
void hud_result_text_213(const TeamRecord* team, int32_t mode);

// Restarts after a penalty against the penalised man: the ball is placed at
// his spot for a centre bounce set-up, under the first or the second banner.
void penalty_restart_285();
void penalty_restart_330();
