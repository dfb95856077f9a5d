#include "match/stoppages.h"

#include "match/ball.h"
#include "match/game_maths.h"
#include "match/interchange.h"
#include "match/man_behaviours.h"
#include "match/match_hooks.h"
#include "match/match_setup.h"
#include "match/officials.h"
#include "match/proposals.h"
#include "match/set_kicks.h"
#include "model/anim_table.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/man_queries.h"

#include <cstdlib>
#include <cstdlib>
#include <initializer_list>

namespace {

MatchGlobals& G() { return match_globals; }

constexpr uint16_t ACT_TAKE_PLACE = 48;
constexpr uint16_t ACT_FOLLOW_MAN = 52;
constexpr uint16_t ACT_OPTION_SPOT = 79;
constexpr uint16_t ACT_RUCK = 80;

template <typename F> void for_free_men(F f)
{
    MatchGlobals& g = G();
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (m && !m->busy_flag && m->team)
            f(m);
    }
}

void clear_mark(PlayerSlot* m) { m->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST); }

PlayerSlot* key_man(TeamRecord* team, int k)
{
    const uint8_t n = team->key_men[k];
    return n < TEAM_SLOTS ? &team->slots[n] : nullptr;
}

bool is_first_team(const PlayerSlot* m) { return m->team == &team_records[0]; }

bool both_chosen() { return team_records[0].setup_chosen && team_records[1].setup_chosen; }

int32_t setup_of(const TeamRecord* t)
{
    const int32_t c = t->setup_choice;
    return c < 0 ? 0 : (c > 3 ? 3 : c);
}

// The state 10 match-up of key men 1..3.
void key_man_match_up(PlayerSlot* m)
{
    if (is_first_team(m)) {
        run_to_role_spot(m, setup_tables[3].spot);
        return;
    }
    if (!follow_at_marking_offset(m, static_cast<PlayerSlot*>(const_cast<void*>(m->spot)), 10000))
        run_to_spot_avoiding(m, m->team->formation_spots);
}

int16_t ruck_x(const TeamRecord* team)
{
    const uint8_t n = team->key_men[0];
    return n < TEAM_SLOTS ? team->slots[n].x : 0;
}

void post_take_place(PlayerSlot* m, int32_t x, int32_t y)
{
    post_man_message(m, ACT_TAKE_PLACE, nullptr, 0, clamp16(x), clamp16(y), 1);
}

bool ball_loose() { return (ball_state.flight_flags & 0x200) != 0; }

// The ring point of offset (ox, oy) about K for the team (the second team's
// rings mirrored across the line from the mark through K).
void ring_point(int32_t kx, int32_t ky, uint8_t a, int32_t ox, int32_t oy, bool second, int32_t* x, int32_t* y)
{
    const int32_t s = second ? -1 : 1;
    *x = kx + s * fixed_sin(static_cast<uint8_t>(a - 64), ox) - fixed_sin(a, oy);
    *y = ky + s * fixed_cos(static_cast<uint8_t>(a - 64), ox) - fixed_cos(a, oy);
}

struct RingOffset {
    int32_t x, y;
};
const RingOffset ring0[] = {{-256, 0}, {-1024, -768}, {512, -1152}, {0, 0}};
const RingOffset ring1[] = {{-1536, -384}, {1536, -1536}, {0, 0}};
const RingOffset ring2[] = {{2048, -768}, {1024, -1920}, {-512, -2304}, {0, 0}};
const RingOffset ring3[] = {{2048, -3072}, {-2560, -2688}, {0, 0}};
const RingOffset* const rings[4] = {ring0, ring1, ring2, ring3};

void throw_in_centre(int32_t* kx, int32_t* ky)
{
    const MatchGlobals& g = G();
    *kx = g.mark_x + fixed_sin(g.throw_in_angle, 2048);
    *ky = g.mark_y + fixed_cos(g.throw_in_angle, 2048);
}

// Rings first..last of a team to consecutive stoppage men; gate: the ring-1
// distance test of states 37 and 38; skip_marked: leave men with the mark.
void post_rings(int t, int last, bool gate_ring1, bool skip_marked)
{
    MatchGlobals& g = G();
    int32_t kx, ky;
    throw_in_centre(&kx, &ky);
    int e = 0;
    for (int r = 0; r <= last && r < 4; ++r) {
        for (const RingOffset* o = rings[r]; o->x || o->y; ++o, ++e) {
            if (e >= 12)
                return;
            PlayerSlot* m = g.stoppage_men[t][e];
            if (!m)
                continue;
            if (gate_ring1 && r == 1 && approx_vector_length(m->x - g.mark_x, m->y - g.mark_y) >= 2560)
                return;
            if (skip_marked && (m->man_flags & MAN_IN_CONTEST))
                continue;
            int32_t x, y;
            ring_point(kx, ky, g.throw_in_angle, o->x, o->y, t == 1, &x, &y);
            post_man_message(m, ACT_RUN_TO_SPOT, nullptr, 0, clamp16(x), clamp16(y), 255);
        }
    }
}

// The reach of a jump: its root travel taken back along his line to the ball.
void ruck_at_landing(PlayerSlot* m, uint32_t jump)
{
    int32_t d[3] = {0, 0, 0};
    const int32_t last = anim_last_frame(jump);
    if (last > 0)
        get_animation_displacement(d, jump, 0, last, static_cast<uint8_t>(m->angle_to_ball));
    const int32_t reach = vector_length(d[0] >> 8, d[2] >> 8);
    const uint8_t a = static_cast<uint8_t>(m->angle_to_ball);
    post_man_message(m, ACT_RUCK, nullptr, 0, clamp16(ball_state.landing_x - fixed_sin(a, reach)),
                     clamp16(ball_state.landing_y - fixed_cos(a, reach)), 256);
}

int stoppage_entry(const PlayerSlot* m)
{
    const MatchGlobals& g = G();
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 4; ++k)
            if (g.stoppage_men[t][k] == m)
                return k;
    return -1;
}

} // namespace

// clang-format off
const FormationSpots setup_tables[4] = {
    {{{-2048, 0}, {-1536, 0}, {2304, 0}, {1280, 1536}}},
    {{{-2048, 0}, {-2048, 512}, {-1792, 1024}, {-2304, -768}}},
    {{{-2048, 0}, {-2560, -512}, {1536, -1024}, {-512, 1280}}},
    {{{-2048, 0}, {-1280, -512}, {512, -1024}, {1024, 1024}}},
};
// clang-format on

namespace {
struct OptionPoint {
    int32_t x, y;
};
const OptionPoint option_lists[9][4] = {
    {{-3840, -6400}, {3840, 6400}, {-1, 0}},
    {{0, 6400}, {0, -6400}, {-1, 0}},
    {{-3840, 6400}, {3840, -6400}, {-1, 0}},
    {{-3840, -6400}, {3840, -6400}, {-1, 0}},
    {{-3840, 6400}, {3840, 6400}, {-1, 0}},
    {{-3840, 6400}, {3840, 6400}, {0, -6400}, {-1, 0}},
    {{-3840, -6400}, {3840, -6400}, {0, 6400}, {-1, 0}},
    {{-3840, -6400}, {3840, -6400}, {0, -6400}, {-1, 0}},
    {{-3840, 6400}, {3840, 6400}, {0, 6400}, {-1, 0}},
};
} // namespace

int32_t key_man_index(const PlayerSlot* man)
{
    if (!man->team)
        return -1;
    for (int k = 0; k < 4; ++k)
        if (man->team->key_men[k] == man->number)
            return k;
    return -1;
}

bool follow_at_marking_offset(PlayerSlot* man, PlayerSlot* other, uint16_t priority)
{
    if (!other || !man->team || man->number >= GROUND_MEN)
        return false;
    const int32_t* off = marking_offsets[team_index_of(man->team)][man->number];
    const int32_t s = man->side == 1 ? -1 : 1;
    post_man_message(man, ACT_FOLLOW_MAN, other, 0, clamp16(other->x + s * off[0]), clamp16(other->y + s * off[1]),
                     priority);
    return true;
}

void propose_ruck_spot(PlayerSlot* man, int32_t x, int32_t y)
{
    post_man_message(man, ACT_MOVE_TO_POINT, nullptr, 0, clamp16(man->side == 1 ? x + 2048 : x - 2048), clamp16(y),
                     255);
}

void propose_ring_spot(PlayerSlot* man, int32_t radius, int32_t base_angle, int32_t offset, int32_t flag)
{
    const MatchGlobals& g = G();
    const int32_t o = g.mark_y < 0 ? -offset : offset;
    const bool plus = (man->side == 2 && flag == 0) || (man->side == 1 && flag == 1);
    const uint8_t a = static_cast<uint8_t>(plus ? base_angle + o : base_angle - o);
    post_man_message(man, ACT_MOVE_TO_POINT, nullptr, 0, clamp16(g.mark_x + fixed_sin(a, radius)),
                     clamp16(g.mark_y + fixed_cos(a, radius)), 255);
}

void choose_setup_by_distance(TeamRecord* team)
{
    team->setup_choice = static_cast<int8_t>((std::abs(G().mark_x) / 256) / 32);
    team->setup_chosen = 1;
}

void fill_stoppage_men(TeamRecord* team)
{
    MatchGlobals& g = G();
    PlayerSlot** list = g.stoppage_men[team_index_of(team)];
    for (int i = 0; i < 12; ++i) list[i] = nullptr;
    int n = 0;
    for (int k = 0; k < 3; ++k) list[n++] = key_man(team, k);
    for (int i = 0; i < g.active_men_count && n < 12; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || m->side != team->side || m->busy_flag || m == list[0] || m == list[1] || m == list[2])
            continue;
        list[n++] = m;
    }
}

void assign_option_men(TeamRecord* team, PlayerSlot** out)
{
    MatchGlobals& g = G();
    const int t = team_index_of(team);
    if (g.option_men_done[t])
        return;
    g.option_men_done[t] = 1;
    for (int i = 0; i < 3; ++i) out[i] = nullptr;
    const int choice = team->option_choice > 8 ? 0 : team->option_choice;
    const OptionPoint* pts = option_lists[choice];
    int n = 0;
    while (n < 3 && pts[n].x != -1) ++n;
    PlayerSlot* chosen[3] = {nullptr, nullptr, nullptr};
    for (int p = 0; p < n; ++p) {
        int32_t best_d = 0;
        for (int i = 0; i < GROUND_MEN; ++i) {
            PlayerSlot* m = &team->slots[i];
            if (m->busy_flag || is_queued_for_interchange(m) || (m->man_flags & MAN_OUT_OF_PLAY) ||
                key_man_index(m) >= 0 || m == chosen[0] || m == chosen[1])
                continue;
            const int32_t d = vector_length(m->x - pts[p].x, m->y - pts[p].y);
            if (!chosen[p] || d < best_d) {
                chosen[p] = m;
                best_d = d;
            }
        }
    }
    if (n < 2)
        return;
    static const int orders2[2][3] = {{0, 1, 0}, {1, 0, 0}};
    static const int orders3[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    const int (*orders)[3] = n == 2 ? orders2 : orders3;
    const int count = n == 2 ? 2 : 6;
    int best = 0;
    int32_t best_longest = 0;
    for (int o = 0; o < count; ++o) {
        int32_t longest = 0;
        for (int i = 0; i < n; ++i) {
            if (!chosen[i])
                continue; // a point nobody took counts no distance
            const OptionPoint& p = pts[orders[o][i]];
            const int32_t d = vector_length(chosen[i]->x - p.x, chosen[i]->y - p.y);
            if (d > longest)
                longest = d;
        }
        if (o == 0 || longest < best_longest) {
            best = o;
            best_longest = longest;
        }
    }
    for (int i = 0; i < n; ++i) {
        out[i] = chosen[i];
        if (chosen[i]) {
            chosen[i]->target_x = clamp16(pts[orders[best][i]].x);
            chosen[i]->target_y = clamp16(pts[orders[best][i]].y);
        }
    }
}

void place_key_man(PlayerSlot* man)
{
    const int32_t c = setup_of(man->team);
    if (c == 0) {
        if (setup_of(man->team->other_team) == 0 && is_first_team(man))
            run_to_role_spot(man, setup_tables[3].spot);
        else if (!follow_at_marking_offset(man, static_cast<PlayerSlot*>(const_cast<void*>(man->spot)), 10000))
            run_to_spot_avoiding(man, man->team->formation_spots);
        return;
    }
    run_to_role_spot(man, setup_tables[c].spot);
}

void place_listed_man(PlayerSlot* man, int32_t k)
{
    MatchGlobals& g = G();
    const int32_t c = setup_of(man->team);
    const int t = team_index_of(man->team);
    if (c != 0) {
        run_to_spot_near_mark(man, &setup_tables[c], k);
        return;
    }
    if (setup_of(man->team->other_team) == 0) {
        if (t == 0)
            run_to_spot_near_mark(man, &setup_tables[3], k);
        else
            follow_at_marking_offset(man, g.stoppage_men[0][k], 10000);
        return;
    }
    follow_at_marking_offset(man, g.stoppage_men[1 - t][k], 10000);
}

void place_ball_at_centre()
{
    place_ball(0, 0);
    G().restart_countdown = 0;
}

void place_men_for_centre_bounce()
{
    run_interchanges();
    MatchGlobals& g = G();
    // Every bounce draws its option men afresh.
    for (int t = 0; t < 2; ++t) {
        g.option_men_done[t] = 0;
        for (PlayerSlot*& m : g.option_men[t]) m = nullptr;
    }
    for_free_men([&](PlayerSlot* m) {
        clear_mark(m);
        m->man_flags2 &= static_cast<uint16_t>(~MAN2_OPTION_SPOT);
        const int k = key_man_index(m);
        if (k == 0)
            propose_ruck_spot(m, g.mark_x, g.mark_y);
        else if (k < 0)
            run_to_table_spot(m, m->team->formation_spots->spot);
        else
            key_man_match_up(m);
    });
}

void place_men_for_bounce_setup()
{
    run_interchanges();
    const MatchGlobals& g = G();
    for (TeamRecord& t : team_records)
        if (!t.human_count && !t.setup_chosen) {
            t.setup_choice = static_cast<int8_t>(game_random() & 3);
            t.setup_chosen = 1;
        }
    const bool chosen = both_chosen();
    for_free_men([&](PlayerSlot* m) {
        const int k = key_man_index(m);
        if (k == 0)
            propose_ruck_spot(m, g.mark_x, g.mark_y);
        else if (k < 0) {
            if (chosen)
                run_to_table_spot(m, m->team->formation_spots->spot);
            else
                run_to_free_boundary_spot(m);
        } else if (chosen) {
            place_key_man(m);
        } else {
            key_man_match_up(m);
        }
    });
    for (TeamRecord& t : team_records) presentation::update_team_overlay(&t, 0, 4);
}

void place_men_for_bounce_options()
{
    run_interchanges();
    MatchGlobals& g = G();
    if (!(team_records[0].option_chosen && team_records[1].option_chosen))
        for (TeamRecord& t : team_records) presentation::update_team_overlay(&t, 1, 4);
    for_free_men([&](PlayerSlot* m) {
        const int k = key_man_index(m);
        if (k == 0)
            propose_ruck_spot(m, g.mark_x, g.mark_y);
        else if (k > 0)
            place_key_man(m);
        else
            run_to_free_boundary_spot(m);
    });
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        TeamRecord& other = team_records[1 - t];
        bool post = false;
        if (team.human_count) {
            if (team.option_chosen) {
                assign_option_men(&team, g.option_men[t]);
                post = true;
            } else if (team.option_choice < 255) {
                presentation::update_team_overlay(&team, 4, 0);
            }
        } else if (other.human_count) {
            if (other.option_chosen) {
                if (!team.option_chosen) {
                    team.option_choice = other.option_choice;
                    assign_option_men(&team, g.option_men[t]);
                    team.option_chosen = 1;
                }
                post = true;
            }
        } else {
            if (!team.option_chosen) {
                team.option_choice = static_cast<uint8_t>(game_random() & 7);
                assign_option_men(&team, g.option_men[t]);
                team.option_chosen = 1;
            }
            post = true;
        }
        if (!post)
            continue;
        for (PlayerSlot* m : g.option_men[t]) {
            if (!m)
                break;
            post_man_message(m, ACT_OPTION_SPOT, nullptr, m->facing, m->target_x, m->target_y, 10000);
            m->man_flags2 |= MAN2_OPTION_SPOT;
        }
    }
}

void contest_centre_bounce()
{
    MatchGlobals& g = G();
    if (g.umpire_with_ball && std::abs(official_slots[0].y - g.mark_y) > 512)
        return;
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || !m->team || man_is_busy(m))
            continue;
        const int k = key_man_index(m);
        if (k == 0) {
            post_man_message(m, ACT_RUCK, nullptr, 0, ball_state.landing_x, ball_state.landing_y, 256);
            loose_ball_contest(m);
            continue;
        }
        if (k < 0) {
            if (m->man_flags2 & MAN2_OPTION_SPOT)
                post_man_message(m, ACT_OPTION_SPOT, nullptr, m->facing, m->target_x, m->target_y, 10000);
            else {
                const FormationSpot& s = m->team->formation_spots->spot[m->number % TEAM_SLOTS];
                m->target_x = clamp16(s.x);
                m->target_y = clamp16(s.y);
                post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, m->target_x, m->target_y, 1);
            }
            continue;
        }
        const bool side2 = m->side == 2;
        const int32_t rx = ruck_x(m->team), bx = ball_whole_x();
        auto go = [&] { post_man_message(m, ACT_GO_FOR_BALL, nullptr, 0, ball_whole_x(), ball_whole_y(), 255); };
        switch (setup_of(m->team)) {
        case 0:
            if (ball_loose())
                go();
            break;
        case 1:
            if (k == 1)
                post_take_place(m, side2 ? rx - 256 : rx + 256, 0);
            else if (ball_loose())
                go();
            else if (k == 2)
                post_take_place(m, side2 ? bx + 256 : bx - 256, side2 ? -128 : 128);
            else
                post_take_place(m, side2 ? bx + 256 : bx - 256, side2 ? 128 : -128);
            break;
        case 2:
            if (k == 1) {
                if (side2 ? m->x < rx : m->x > rx)
                    post_take_place(m, side2 ? rx - 512 : rx + 512, side2 ? -512 : 512);
                else if (ball_loose())
                    go();
            }
            break;
        default:
            if (side2) {
                if (k == 1) {
                    if (rx - m->x >= 513)
                        post_take_place(m, rx - 512, 0);
                } else if (ball_loose()) {
                    go();
                }
            } else {
                if (k == 2) {
                    if (m->x - rx >= 513)
                        post_take_place(m, rx + 512, 0);
                } else if (ball_loose()) {
                    go();
                }
            }
            break;
        }
    }
}

void place_men_for_throw_in()
{
    MatchGlobals& g = G();
    g.throw_in_angle = throw_in_angle_at(g.mark_x, g.mark_y);
    for_free_men(clear_mark);
    fill_stoppage_men(&team_records[0]);
    fill_stoppage_men(&team_records[1]);
    for (int t = 0; t < 2; ++t) post_rings(t, 1, true, false);
}

void hold_throw_in_setup()
{
    for (TeamRecord& t : team_records) presentation::update_team_overlay(&t, 5, 0);
    if (both_chosen()) {
        for_free_men([](PlayerSlot* m) {
            clear_mark(m);
            run_to_spot_avoiding(m, m->team->formation_spots);
        });
        for (int t = 0; t < 2; ++t) post_rings(t, setup_of(&team_records[t]), false, false);
        return;
    }
    for (TeamRecord& t : team_records)
        if (!t.human_count)
            choose_setup_by_distance(&t);
    fill_stoppage_men(&team_records[0]);
    fill_stoppage_men(&team_records[1]);
}

void contest_throw_in()
{
    for_free_men([](PlayerSlot* m) {
        if (!(m->man_flags & MAN_IN_CONTEST))
            run_to_formation_spot(m, m->team->formation_spots->spot);
    });
    for (int t = 0; t < 2; ++t) post_rings(t, setup_of(&team_records[t]), false, true);
    for (TeamRecord& t : team_records) {
        PlayerSlot* ruck = key_man(&t, 0);
        if (!ruck || ruck->busy_flag)
            continue;
        if (!t.human_count && (ball_state.flight_flags & FLIGHT_MOVING))
            ruck_at_landing(ruck, 242);
        loose_ball_contest(ruck);
    }
}

void place_men_for_ball_up()
{
    const MatchGlobals& g = G();
    for_free_men([&](PlayerSlot* m) {
        if (man_is_busy(m) || m->number >= GROUND_MEN)
            return;
        clear_mark(m);
        const int e = stoppage_entry(m);
        if (key_man_index(m) == 0)
            propose_ruck_spot(m, g.mark_x, g.mark_y);
        else if (e >= 1 && e <= 3)
            place_listed_man(m, e);
        else
            run_to_spot_clear_of_mark(m, m->team->formation_spots, g.mark_x, g.mark_y, 3072);
    });
}

void place_men_for_ball_up_setup()
{
    const MatchGlobals& g = G();
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        const TeamRecord& other = team_records[1 - t];
        if (team.human_count || team.setup_chosen)
            continue;
        if (other.human_count && !other.setup_chosen)
            continue; // a computer team waits for the human team
        team.setup_choice = static_cast<int8_t>(game_random() & 3);
        team.setup_chosen = 1;
    }
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || !m->team)
            continue;
        clear_mark(m);
        if (m->busy_flag)
            continue;
        const int e = stoppage_entry(m);
        if (key_man_index(m) == 0) {
            propose_ruck_spot(m, g.mark_x, g.mark_y);
            if (m->team->human_count && m->arrived)
                m->man_flags |= MAN_IN_CONTEST;
        } else if (e >= 1 && e <= 3) {
            place_listed_man(m, e);
        } else {
            run_to_spot_clear_of_mark(m, m->team->formation_spots, g.mark_x, g.mark_y, 3072);
        }
    }
    for (TeamRecord& t : team_records) presentation::update_team_overlay(&t, 0, 4);
}

void contest_ball_up()
{
    const MatchGlobals& g = G();
    for_free_men([&](PlayerSlot* m) {
        if (man_is_busy(m))
            return;
        if (key_man_index(m) == 0) {
            if (ball_state.flight_flags & FLIGHT_MOVING)
                ruck_at_landing(m, 331);
            else
                post_man_message(m, ACT_STAND, nullptr, 0, ball_state.landing_x, ball_state.landing_y, 1);
            loose_ball_contest(m);
            return;
        }
        const int e = stoppage_entry(m);
        if (e < 0) {
            run_to_spot_clear_of_mark(m, m->team->formation_spots, g.mark_x, g.mark_y, 3072);
            return;
        }
        if (e == 0)
            return;
        const bool side2 = m->side == 2;
        const int32_t rx = ruck_x(m->team), bx = ball_whole_x(), my = g.mark_y;
        switch (setup_of(m->team)) {
        case 1:
            if (e == 1)
                post_take_place(m, side2 ? rx - 256 : rx + 256, my);
            else if (e == 2)
                post_take_place(m, side2 ? bx + 256 : bx - 256, side2 ? my - 128 : my + 128);
            else
                post_take_place(m, side2 ? bx + 256 : bx - 256, side2 ? my + 128 : my - 128);
            break;
        case 2:
            if (e == 1)
                post_take_place(m, side2 ? rx - 512 : rx + 512, my);
            else if (e == 3)
                post_take_place(m, side2 ? rx - 512 : rx + 512, side2 ? my + 768 : my - 768);
            break;
        case 3:
            if (e == 1 && (side2 ? rx - m->x : m->x - rx) >= 513)
                post_take_place(m, side2 ? rx - 512 : rx + 512, my);
            break;
        default:
            break;
        }
    });
}

void hold_all_men()
{
    const MatchGlobals& g = G();
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || m->busy_flag)
            continue;
        clear_mark(m);
        post_man_message(m, ACT_STAND, nullptr, 0, m->x, m->y, 1);
    }
}
