#include "match/banners.h"

#include "league/league_data.h"
#include "match/ball.h"
#include "match/match_hooks.h"
#include "platform/language.h"
#include "match/match_flow.h"

#include <cstring>

namespace {

constexpr int32_t DEFAULT_KIND = 2;

enum class Busy { refuse, ignore };

void show(int32_t kind, Busy busy, const uint16_t* ids, const PlayerSlot* man = nullptr, const char* word = nullptr)
{
    if (busy == Busy::refuse && presentation::message_banner_busy())
        return;
    const int32_t handle = presentation::open_message_banner(kind);
    if (!handle)
        return;
    char text[BANNER_TEXT_SIZE];
    build_text_from_ids(ids, text);
    if (man && man->person)
        append_word(text, player_name(man->person));
    if (word)
        append_word(text, word);
    presentation::show_message(text, handle);
}

// Rewrites the banner that shows; the flag must ask for it.
void update(int32_t flag, const uint16_t* ids)
{
    if (!flag || !presentation::message_banner_busy())
        return;
    char text[BANNER_TEXT_SIZE];
    build_text_from_ids(ids, text);
    presentation::show_message(text, 0);
}

const TeamRecord* awarded_team()
{
    return team_records[0].side == match_globals.awarded_side ? &team_records[0] : &team_records[1];
}

bool no_offender() { return match_globals.offender == nullptr; }

void free_kick_banner(uint16_t reason)
{
    const uint16_t ids[] = {reason, 175, TEXT_GAP, 179, TEXT_GAP, awarded_club_text(), 170, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void team_message(uint16_t first, const PlayerSlot* man)
{
    match_globals.score_banner_wanted = match_globals.selected_man ? 0 : 1;
    if (presentation::message_banner_busy())
        return;
    const uint16_t ids[] = {first, TEXT_GAP, 176, TEXT_GAP, 199, TEXT_GAP, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids, man);
}

void penalty_restart(void (*banner)(const TeamRecord*))
{
    MatchGlobals& g = match_globals;
    PlayerSlot* man = g.penalised_man;
    if (!man)
        return;
    g.awarded_side = man->side == 1 ? 2 : 1;
    g.offending_side = man->side == 1 ? 1 : 2;
    g.mark_x = man->x;
    g.mark_y = man->y;
    if (man->team)
        ++man->team->penalties;
    g.penalised_man = nullptr;
    banner(awarded_team());
    give_ball_to(nullptr);
    place_ball(g.mark_x, g.mark_y);
    set_match_state(10);
}

void hud_result_text(const TeamRecord* team, uint16_t first, int32_t mode)
{
    static const uint16_t middle[3] = {214, 211, 212};
    if (mode < 0 || mode > 2)
        return;
    char text[BANNER_TEXT_SIZE];
    const uint16_t line1[] = {club_text(team), TEXT_GAP, 171, TEXT_END};
    build_text_from_ids(line1, text);
    presentation::set_hud_text(1, text);
    const uint16_t line2[] = {first, TEXT_GAP, middle[mode], TEXT_GAP, 215, TEXT_END};
    build_text_from_ids(line2, text);
    presentation::set_hud_text(2, text);
}

} // namespace

void banner_351_352(const TeamRecord* team)
{
    if (!team || !team->human_count)
        return;
    const uint16_t ids[] = {351, 352, TEXT_END};
    show(3, Busy::refuse, ids);
}

void banner_353_354()
{
    const int8_t winner = match_globals.toss_winner;
    if (winner < 0 || !team_records[winner & 1].human_count)
        return;
    const uint16_t ids[] = {353, 354, TEXT_END};
    show(3, Busy::refuse, ids);
}

void hud_result_text_210(const TeamRecord* team, int32_t mode) { hud_result_text(team, 210, mode); }

void hud_result_text_213(const TeamRecord* team, int32_t mode) { hud_result_text(team, 213, mode); }

void build_text_from_ids(const uint16_t* ids, char* out)
{
    out[0] = 0;
    size_t used = 0;
    for (; *ids != TEXT_END; ++ids) {
        const char* t = get_text(*ids);
        const size_t n = std::strlen(t);
        const size_t room = BANNER_TEXT_SIZE - 1 - used;
        const size_t take = n < room ? n : room;
        std::memcpy(out + used, t, take);
        used += take;
        out[used] = 0;
    }
}

void append_word(char* text, const char* word)
{
    size_t used = std::strlen(text);
    for (const char* p = " "; *p && used + 1 < BANNER_TEXT_SIZE; ++p)
        text[used++] = *p;
    for (; *word && used + 1 < BANNER_TEXT_SIZE; ++word)
        text[used++] = *word;
    text[used] = 0;
}

uint16_t club_text(const TeamRecord* team) { return team && team->club ? team->club->number : 0; }

uint16_t awarded_club_text() { return club_text(awarded_team()); }

void banner_team_message_a(const PlayerSlot* man) { team_message(173, man); }

void banner_club_201(const TeamRecord* team)
{
    const uint16_t ids[] = {club_text(team), TEXT_GAP, 201, TEXT_END};
    show(DEFAULT_KIND, Busy::ignore, ids);
}

void banner_327_club(const TeamRecord* team)
{
    const uint16_t ids[] = {327, club_text(team), TEXT_END};
    show(DEFAULT_KIND, Busy::ignore, ids);
}

void banner_team_message_b(const PlayerSlot* man)
{
    team_message(182, man);
    if (man && man->team)
        presentation::start_team_highlight(man->team_index, 6, 15, 1, 10);
}

void banner_355_text(const char* text)
{
    const uint16_t ids[] = {TEXT_GAP, 355, TEXT_END};
    show(4, Busy::refuse, ids, nullptr, text);
}

void interchange_hook()
{
    const uint16_t ids[] = {356, TEXT_END};
    show(6, Busy::refuse, ids);
}

void banner_team_message_c(const PlayerSlot* man)
{
    team_message(332, man);
    if (man && man->team)
        presentation::start_team_highlight(man->team_index, 1, 15, 1, 10);
}

#define ONE_LIST_BANNER(name, ...)                                                                                     \
    void name()                                                                                                        \
    {                                                                                                                  \
        const uint16_t ids[] = {__VA_ARGS__, TEXT_END};                                                                \
        show(DEFAULT_KIND, Busy::ignore, ids);                                                                         \
    }

ONE_LIST_BANNER(banner_312, 312)
ONE_LIST_BANNER(banner_347, 347)
ONE_LIST_BANNER(banner_202_203, 202, TEXT_GAP, 203)
ONE_LIST_BANNER(banner_345, 345)
ONE_LIST_BANNER(banner_346, 346)
ONE_LIST_BANNER(banner_202_207, 202, TEXT_GAP, 207)
ONE_LIST_BANNER(banner_202_338, 202, TEXT_GAP, 338)
ONE_LIST_BANNER(banner_202_339, 202, TEXT_GAP, 339)
ONE_LIST_BANNER(banner_202_207_314, 202, TEXT_GAP, 207, TEXT_GAP, 314)
#undef ONE_LIST_BANNER

void banner_316_club()
{
    const uint16_t ids[] = {316, TEXT_GAP, awarded_club_text(), TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void banner_175_club()
{
    const uint16_t ids[] = {175, TEXT_GAP, awarded_club_text(), TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void free_kick_banner_a() { free_kick_banner(329); }
void free_kick_banner_b() { free_kick_banner(333); }
void free_kick_banner_c() { free_kick_banner(336); }

void banner_offender_club()
{
    if (no_offender())
        return;
    const uint16_t ids[] = {club_text(match_globals.offender->team), TEXT_GAP, 334, 335, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void banner_183_club()
{
    const uint16_t ids[] = {183, 170, TEXT_GAP, 328, awarded_club_text(), 170, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void banner_185_club()
{
    const uint16_t ids[] = {185, 170, TEXT_GAP, 328, awarded_club_text(), 170, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void banner_326_club()
{
    const uint16_t ids[] = {326, TEXT_GAP, awarded_club_text(), TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void coin_toss_banner()
{
    const MatchGlobals& g = match_globals;
    if (g.toss_winner < 0 || g.toss_winner > 1)
        return;
    const TeamRecord& winner = team_records[g.toss_winner];
    const uint16_t ids[] = {static_cast<uint16_t>(club_text(&winner) + 20),
                            TEXT_GAP,
                            164,
                            TEXT_GAP,
                            166,
                            348,
                            static_cast<uint16_t>(winner.side == 1 ? 349 : 350),
                            TEXT_END};
    show(10, Busy::refuse, ids);
}

void banner_update_167(const TeamRecord* team, int32_t flag)
{
    const uint16_t ids[] = {club_text(team), 167, TEXT_END};
    update(flag, ids);
}

void banner_update_168(const TeamRecord* team, int32_t flag)
{
    const uint16_t ids[] = {club_text(team), 168, TEXT_END};
    update(flag, ids);
}

void banner_285_club(const TeamRecord* team)
{
    const uint16_t ids[] = {285, 170, TEXT_GAP, 173, TEXT_GAP, 179, TEXT_GAP, club_text(team), TEXT_END};
    show(DEFAULT_KIND, Busy::ignore, ids);
}

void banner_330_club(const TeamRecord* team)
{
    const uint16_t ids[] = {330, 170, TEXT_GAP, 173, TEXT_GAP, 179, TEXT_GAP, club_text(team), TEXT_END};
    show(DEFAULT_KIND, Busy::ignore, ids);
}

void banner_update_164(const TeamRecord* team, int32_t count, int32_t flag)
{
    const uint16_t ids[] = {club_text(team), TEXT_GAP, static_cast<uint16_t>(count > 0 ? 164 : 165), TEXT_GAP, 166,
                            TEXT_END};
    update(flag, ids);
}

void banner_update_163(uint16_t id, int32_t flag)
{
    const uint16_t ids[] = {id, 163, TEXT_GAP, 161, TEXT_GAP, 162, TEXT_END};
    update(flag, ids);
}

void banner_update_171(const TeamRecord* team, int32_t flag)
{
    const uint16_t ids[] = {club_text(team), 163, TEXT_GAP, 171, TEXT_END};
    update(flag, ids);
}

void banner_update_325(const TeamRecord* team, int32_t flag)
{
    const uint16_t ids[] = {club_text(team), TEXT_GAP, 325, TEXT_END};
    update(flag, ids);
}

void banner_323_club(const TeamRecord* team)
{
    const uint16_t ids[] = {323, club_text(team), 170, TEXT_END};
    show(DEFAULT_KIND, Busy::ignore, ids);
}

void banner_324_club(const TeamRecord* team)
{
    const uint16_t ids[] = {324, club_text(team), 170, TEXT_END};
    show(DEFAULT_KIND, Busy::ignore, ids);
}

void banner_337_club(const PlayerSlot* man)
{
    const uint16_t ids[] = {337, club_text(man ? man->team : nullptr), TEXT_END};
    show(DEFAULT_KIND, Busy::ignore, ids);
}

void banner_340(const PlayerSlot* man)
{
    const uint16_t ids[] = {340, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids, man);
}

void banner_341(const PlayerSlot* man)
{
    const uint16_t ids[] = {341, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids, man);
}

void banner_343_342(const PlayerSlot* man)
{
    const uint16_t ids[] = {343, 342, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids, man);
}

void banner_344()
{
    const uint16_t ids[] = {344, TEXT_GAP, TEXT_END};
    show(DEFAULT_KIND, Busy::refuse, ids);
}

void penalty_restart_285() { penalty_restart(banner_285_club); }
void penalty_restart_330() { penalty_restart(banner_330_club); }
