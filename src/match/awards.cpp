#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/banners.h"
#include "match/interchange.h"
#include "match/match_watches.h"
#include "match/officials.h"
#include "match/proposals.h"
#include "match/kick_outs.h"
#include "match/match_records.h"
#include "match/set_kicks.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"

namespace {

struct KindRow {
    uint16_t kind;
    uint16_t texts[6]; // ending 0xFFFF
    int8_t name;       // 0 none, 1 the offender's name, 2 the offender's club last
    int8_t umpire_job; // field umpire's job; -1 none, -2 the nearer boundary umpire's 33
    bool only_when_free; // only when no other banner shows
};

// Banners and signals by kind of free kick; kind 9 is built apart, and the
// free kicks that name the awarded club (kinds 4, 6, 7) have their banners.
constexpr KindRow kind_rows[] = {
    {4, {0xFFFF}, 0, 26, false},
    {6, {0xFFFF}, 0, -2, false},
    {7, {0xFFFF}, 0, 17, false},
    {10, {340, 0xFFFF}, 1, 24, true},
    {11, {337, 0xFFFF}, 2, 26, false},
    {14, {343, 342, 0xFFFF}, 1, 22, true},
    {15, {341, 0xFFFF}, 1, 22, true},
    {16, {344, 169, 0xFFFF}, 0, 22, true},
};

void clear_play_on_warnings()
{
    MatchGlobals& m = match_globals;
    m.play_on_warning_a = m.play_on_warning_b = 0;
    m.play_on_prompt = 0;
}

}

uint16_t club_text_id(const TeamRecord* team) { return static_cast<uint16_t>((team && team->club ? team->club->number : 0) + 20); }

namespace {

// The banners of the awards name a club by its name (the toss names it by
// its nickname).
uint16_t club_text_of(const PlayerSlot* man) { return club_text(man ? man->team : nullptr); }


void banner_and_signal(int32_t kind)
{
    MatchGlobals& m = match_globals;
    PlayerSlot* field = &official_slots[FIELD_UMPIRE];
    if (kind == 9) {
        // Awarded to the man who stood the mark: his club's name.
        if (m.controlled_man_b) {
            const uint16_t ids[] = {club_text_of(m.controlled_man_b), 169, 201, 0xFFFF};
            show_banner_texts(2, ids, nullptr);
            set_official_job(field, 22);
        }
        return;
    }
    for (const KindRow& row : kind_rows) {
        if (row.kind != kind)
            continue;
        if (kind == 4)
            free_kick_banner_c();
        else if (kind == 6)
            free_kick_banner_a();
        else if (kind == 7)
            free_kick_banner_b();
        else if (!(row.only_when_free && presentation::message_banner_busy())) {
            uint16_t ids[8];
            int n = 0;
            for (uint16_t t : row.texts) {
                if (t == 0xFFFF)
                    break;
                ids[n++] = t;
            }
            if (row.name == 2)
                ids[n++] = club_text_of(m.offender);
            ids[n] = 0xFFFF;
            const char* name = nullptr;
            if (row.name == 1 && m.offender && m.offender->person)
                name = player_name(m.offender->person);
            show_banner_texts(2, ids, name);
        }
        if (row.umpire_job == -2)
            set_official_job(&official_slots[nearer_boundary_umpire()], 33);
        else if (row.umpire_job > 0)
            set_official_job(field, static_cast<uint8_t>(row.umpire_job));
        return;
    }
}

} // namespace

int32_t clock_mark_after(int32_t ticks)
{
    return match_globals.flow_flags & TIME_ON ? match_globals.period_clock + ticks
                                              : match_globals.period_clock - ticks;
}

void step_off_mark(PlayerSlot* previous, PlayerSlot* next)
{
    if (!previous || previous == next)
        return;
    const uint32_t a = previous->secondary_animation;
    if (a != 0 && a != ANIM_STEP_OFF_MARK)
        set_man_animation(previous, ANIM_STEP_OFF_MARK, a == ANIM_STAND_MARK_B ? -1 : 0, 4.0);
}

bool period_guard_holds()
{
    const MatchGlobals& m = match_globals;
    if (((m.flow_flags & TIME_ON) && m.period_clock >= m.stopped_time) || (m.period_clock < 1 && m.stopped_time == 0)) {
        match_globals.period_end_pending = 1;
        return true;
    }
    return false;
}

void award_free_kick(PlayerSlot* man, int32_t kind)
{
    MatchGlobals& m = match_globals;
    // 1.
    clear_play_on_warnings();
    m.free_kick_kind = static_cast<uint16_t>(kind);
    const uint8_t s = m.match_state;
    if ((s == MARK || s == MARK_KICK_PENDING || s == 56) && m.controlled_man_b &&
        m.controlled_man_b->secondary_animation)
        set_man_animation(m.controlled_man_b, ANIM_STEP_OFF_MARK, 0, 4.0);
    m.banner_blocked = 0;
    // 2.
    if (period_guard_holds())
        return;
    // 3. No kicker: no award.
    PlayerSlot* kicker = man ? man : find_man_near_point(m.awarded_side, m.mark_x, m.mark_y);
    if (!kicker)
        return;
    m.played_on = 0;
    m.controlled_man_a = kicker;
    if (kicker->team)
        ++kicker->team->free_kicks;
    ++kicker->free_kicks_won;
    kicker->man_flags = static_cast<uint16_t>(kicker->man_flags & ~(2 | 4));
    // 4.
    PlayerSlot* on_mark = find_man_near_point(m.offending_side, m.mark_x, m.mark_y);
    step_off_mark(m.controlled_man_b, on_mark);
    m.controlled_man_b = on_mark;
    kicker->mark_stand_distance = -1;
    kicker->mark_stand_facing = 127;
    // 5.
    contest_upkeep(on_mark);
    contest_upkeep(kicker);
    // 6.
    const int32_t previous_x = m.pickup_x, previous_y = m.pickup_y;
    presentation::clear_pending_commentary();
    if (presentation::queued_commentary_event() != 37)
        presentation::drop_queued_commentary();
    const bool moved = int_abs(m.mark_x - previous_x) > 1792 || int_abs(m.mark_y - previous_y) > 1792;
    presentation::commentate(presentation::last_spoken_event() == 40 || moved ? 47 : 48, kicker->team_index, kicker->number, -1, -1,
                      7);
    // 7.
    presentation::play_effect(EFFECT_WHISTLE_LONG, 0, 101);
    if (kicker->contest_group)
        contest_join(kicker, kicker, 3, 0);
    // 8.
    m.restart_pending = 1;
    banner_and_signal(kind);
    // 9.
    m.pickup_x = kicker->x;
    m.pickup_y = kicker->y;
    // 10.
    if (m.ball_holder != kicker) {
        if (m.ball_holder) {
            m.ball_holder->ball_coming = 1;
            give_ball_to(nullptr);
        }
        // He fetches it himself: he may go for it at once.
        m.taker_fetches_ball = 1;
        m.ball_returned = 1;
    }
    // 11.
    set_match_state(FREE_KICK);
    update_contest_groups();
    // 12.
    m.free_kick_clock_mark = clock_mark_after(62);
}

void award_mark()
{
    MatchGlobals& m = match_globals;
    clear_play_on_warnings();
    m.banner_blocked = 0;
    m.mark_flag = 1;
    if (period_guard_holds())
        return;
    PlayerSlot* holder = m.ball_holder;
    if (!holder || !holder->team)
        return;
    m.played_on = 0;
    ++holder->marks_taken;
    m.mark_x = holder->x;
    m.mark_y = holder->y;
    m.awarded_side = holder->side;
    m.offending_side = holder->side == 1 ? 2 : 1;
    m.controlled_man_a = holder;
    PlayerSlot* on_mark = find_man_near_point(m.offending_side, m.mark_x, m.mark_y);
    step_off_mark(m.controlled_man_b, on_mark);
    m.controlled_man_b = on_mark;
    if (on_mark) {
        on_mark->mark_stand_distance = approx_vector_length(on_mark->x - m.mark_x, on_mark->y - m.mark_y);
        on_mark->action = 16;
    }
    holder->mark_stand_distance = 32767;
    contest_upkeep(holder);
    contest_upkeep(on_mark);
    holder->man_flags = static_cast<uint16_t>(holder->man_flags & ~MAN_IN_CONTEST);
    if (on_mark)
        on_mark->man_flags = static_cast<uint16_t>(on_mark->man_flags & ~MAN_IN_CONTEST);
    set_match_state(MARK);
    if (on_mark && on_mark->arrived && on_mark->team && on_mark->team->human_count)
        contest_upkeep(on_mark);
    holder->arrived = 0;
    if (on_mark)
        on_mark->arrived = 0;
    holder->man_flags = static_cast<uint16_t>(holder->man_flags & ~(2 | 4));
    update_contest_groups();
    m.mark_clock_start = m.period_clock;
    m.mark_decision_mark = clock_mark_after(186);
}

void award_ball_up(PlayerSlot* man, int32_t mode)
{
    MatchGlobals& m = match_globals;
    m.banner_blocked = 0;
    if (period_guard_holds())
        return;
    if (mode != 1 && mode != 2) {
        presentation::commentate(33, man ? man->team_index : -1, man ? man->number : -1, -1, -1, 6);
        if (man && man->team)
            ++man->team->ball_ups;
    }
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        team.setup_choice = 0;
        team.setup_chosen = 0;
        for (int i = 0; i < men_in_use(); ++i)
            team.slots[i].stoppage_man = 0;
        int n = 0;
        for (PlayerSlot*& p : m.ball_up_men[t])
            p = nullptr;
        for (int i = 0; i < m.active_men_count && n < 3; ++i) {
            PlayerSlot* p = m.active_men[i];
            if (p->team != &team || p->busy_flag || is_queued_for_interchange(p) || (p->man_flags & MAN_OUT_OF_PLAY) ||
                p->side != team.side || p->number == team.key_men[0])
                continue;
            m.ball_up_men[t][n++] = p;
            p->stoppage_man = 1;
        }
    }
    set_match_state(BALL_UP_SETUP);
    m.restart_pending = 1;
    if (mode == 0) {
        if (m.offender && !presentation::message_banner_busy()) {
            const uint16_t ids[] = {club_text_of(m.offender), 169, 334, 335, 0xFFFF};
            show_banner_texts(2, ids, nullptr);
        }
        set_official_job(&official_slots[FIELD_UMPIRE], 21);
        give_ball_to(nullptr);
    }
}

void judge_pending_infringement()
{
    MatchGlobals& m = match_globals;
    const uint16_t d = m.pending_decision;
    if (!d)
        return;
    PlayerSlot* offender = m.offender;
    auto sides = [&] {
        if (!offender)
            return false;
        m.awarded_side = static_cast<int16_t>(offender->side == 1 ? 2 : 1);
        m.offending_side = offender->side;
        return true;
    };
    PlayerSlot* field = &official_slots[FIELD_UMPIRE];
    switch (d) {
    case 4:
        set_official_job(field, 26);
        if (sides()) {
            m.mark_x = offender->x;
            m.mark_y = offender->y;
            award_free_kick(nullptr, 4);
        }
        break;
    case 5:
        set_official_job(field, 21);
        if (sides()) {
            m.mark_x = offender->x;
            m.mark_y = offender->y;
        }
        award_ball_up(offender, 0);
        break;
    case 10:
        set_official_job(field, 24);
        if (sides())
            award_free_kick(nullptr, 10);
        break;
    case 15:
        set_official_job(field, 22);
        if (sides())
            award_free_kick(nullptr, 15);
        break;
    default:
        break;
    }
    m.pending_decision = 0;
}
