#include "match/kick_out_positions.h"

#include "match/game_maths.h"
#include "match/interchange.h"

uint8_t kick_out_roles[KICK_OUT_PLANS][KICKING_SPOTS];

namespace {

// clang-format off
const FormationSpot kicking_spots[7][KICKING_SPOTS] = {
    {{-23040, 5120}, {-23040, -5120}, {-16384, 2048}, {-15360, 5120}, {-15360, -5120}, {-12800, 0}, {-256, 12800},
     {-256, -12800}, {12032, 512}, {13312, 7680}, {13312, -7680}, {19968, 0}, {19200, 2560}, {19200, -2560},
     {-17920, -7680}, {-17920, 7680}, {-16384, -2048}},
    {{-20480, 7424}, {-20480, -7424}, {-11008, 512}, {-11008, -512}, {-12032, 640}, {-12288, -640}, {-12544, -768},
     {-12288, 768}, {-11776, 0}, {-256, 12800}, {-256, -12800}, {13312, 512}, {13312, 7680}, {13312, -7680},
     {19968, 0}, {19200, 2560}, {19200, -2560}},
    {{-12800, -5632}, {-20480, 7424}, {-20480, -7424}, {-10752, 8192}, {-9472, 9216}, {-9472, 7680}, {-10752, 7168},
     {-256, 12800}, {-256, -12800}, {13312, 0}, {13312, 7680}, {17920, -9472}, {19968, 0}, {19200, 2560},
     {19200, -2560}, {-11264, 9216}, {-11264, 5632}},
    {{-20480, 7424}, {-20480, -7424}, {-13568, 768}, {-12288, 512}, {-12288, -512}, {-13056, 0}, {-256, 12800},
     {-256, -12800}, {13312, 1024}, {13312, 7680}, {13312, -7680}, {19968, 0}, {19200, 2560}, {19200, -2560},
     {-13824, -1536}, {-13312, 1280}, {-13568, -640}},
    {{-20736, 1792}, {-12032, 2560}, {-12032, -2560}, {-8192, 2816}, {-8192, -2816}, {-4352, 3072}, {-4352, -3072},
     {-20224, 1280}, {-20480, 7424}, {-20480, -7424}, {13312, 7680}, {13312, -7680}, {-256, 12800}, {-256, -12800},
     {13312, 0}, {19968, 0}, {19200, 2560}},
    {{-16896, 2048}, {-16896, -2048}, {-16128, 2304}, {-16128, -2304}, {-21760, 6400}, {-21760, -6400}, {-14336, 768},
     {-13824, 0}, {12032, 512}, {13312, 7680}, {13312, -7680}, {19968, 0}, {19200, 2560}, {19200, -2560},
     {-13312, -768}, {-12800, 1280}, {-13056, 1280}},
    {{-7680, 5120}, {-20480, 7424}, {-20480, -7424}, {-10752, -8192}, {-9472, -9216}, {-9472, -7680}, {-10752, -7168},
     {-256, -12800}, {-256, -12800}, {13312, 0}, {13312, 7680}, {17920, -9472}, {19968, 0}, {19200, 2560},
     {19200, -2560}, {-11264, -9216}, {-11264, -5632}},
};
const FormationSpot oppose_0[] = {{-23040, 5120}};
const FormationSpot oppose_1[] = {{16640, 0}, {16640, 5120}, {16640, -5120}, {15360, 4352}};
const FormationSpot oppose_2[] = {{15360, 4352}, {15360, -4352}, {17920, 4352}, {17920, -4352}, {15360, 0}};
const FormationSpot oppose_3[] = {{15360, 0}, {15360, 4352}, {15360, -4352}, {17920, 0}, {17920, 5120},
                                  {17920, -5120}, {19200, 0}};
const FormationSpot oppose_4[] = {{19200, 0}, {14080, 0}, {14080, 4352}, {14080, -4352}, {16640, 0},
                                  {16640, 5120}, {16640, -5120}, {19200, 5888}, {19200, -5888}, {19200, 3328}};
const FormationSpot oppose_5[] = {{19200, 3328}, {14080, 2560}, {14080, -2560}, {14080, 5120}, {14080, -5120},
                                  {16640, 2816}, {16640, -2816}, {16640, 5888}, {16640, -5888}, {17920, 3328},
                                  {17920, -3328}, {17920, 6400}, {17920, -6400}};
// clang-format on
const FormationSpot* const oppose_lists[KICK_OUT_PLANS] = {oppose_0, oppose_1, oppose_2, oppose_3,
                                                           oppose_4, oppose_5, oppose_4, oppose_5};
const int32_t oppose_counts[KICK_OUT_PLANS] = {0, 3, 4, 6, 9, 12, 9, 12};

const FormationSpot options_1[] = {{-12800, 6400}, {-12800, -6400}, {-15360, 7680}, {-15360, -7680}};
const FormationSpot options_4[] = {{-10240, 0},     {-11520, 11520}, {-11520, -11520}, {-7680, 11520},
                                   {-7680, -11520}, {-3840, 11520},  {-3840, -11520}};
const FormationSpot options_5[] = {{-17408, 8192}, {-17408, -8192}, {-16640, 8448}, {-16640, -8448}};
const FormationSpot options_6[] = {{-15360, 8960}};

struct OptionList {
    const FormationSpot* points;
    int32_t count;
};
const OptionList option_lists[KICK_OUT_PLANS] = {{nullptr, 0}, {options_1, 4}, {nullptr, 0}, {nullptr, 0},
                                                 {options_4, 7}, {options_5, 4}, {options_6, 1}, {nullptr, 0}};

// Role list index of a plan, and where its receivers and extra men start in
// claim order: receivers, then extra.
const int32_t role_set[KICK_OUT_PLANS] = {0, 1, 2, 0, 4, 5, 6, 0};
struct RoleSpan {
    int32_t first, count;
};
const RoleSpan role_spans[KICK_OUT_PLANS] = {{0, 0}, {2, 6}, {0, 1}, {0, 0}, {0, 8}, {0, 4}, {0, 1}, {0, 0}};

int32_t clamp_plan(int32_t plan) { return plan < 0 ? 0 : (plan > 7 ? 7 : plan); }

int32_t claim(TeamRecord* team, const FormationSpot& spot, const PlayerSlot* excluded)
{
    int32_t n = match_globals.men_per_team;
    if (n > GROUND_MEN)
        n = GROUND_MEN; // bench men never take a kick-out spot
    const int t = team == &team_records[1] ? 1 : 0;
    int32_t best = -1, best_d = 0;
    for (int32_t i = 0; i < n; ++i) {
        const PlayerSlot* man = &team->slots[i];
        if (man->busy_flag || is_queued_for_interchange(man) || man->stoppage_man || man == excluded ||
            (man->man_flags & MAN_OUT_OF_PLAY))
            continue;
        const FormationSpot& home = default_formation_spots[t].spot[i];
        const int32_t d = vector_length(home.x - spot.x, home.y - spot.y);
        if (best < 0 || d < best_d) {
            best = i;
            best_d = d;
        }
    }
    return best;
}

void clear_claims(TeamRecord* team)
{
    const int n = men_in_use();
    for (int i = 0; i < n; ++i) team->slots[i].stoppage_man = 0;
}

void hold_spot(PlayerSlot* man, int32_t index)
{
    man->stoppage_man = 1;
    man->spot_index = static_cast<uint8_t>(index);
}

} // namespace

int32_t claim_nearest_player(TeamRecord* team, const FormationSpot& spot)
{
    return claim(team, spot, match_globals.controlled_man_a);
}

int32_t claim_nearest_opponent_for_spot(TeamRecord* team, const FormationSpot& spot)
{
    return claim(team, spot, match_globals.controlled_man_b);
}

void choose_kickout_positions(TeamRecord* team, int32_t plan)
{
    clear_claims(team);
    if (plan < 0 || plan > 7)
        return;
    const FormationSpot* spots = kicking_spots[plan == 7 ? 0 : plan];
    uint8_t* roles = kick_out_roles[role_set[plan]];
    for (int32_t i = 0; i < KICKING_SPOTS; ++i) {
        const int32_t slot = claim_nearest_player(team, spots[i]);
        if (slot < 0)
            return;
        hold_spot(&team->slots[slot], i);
        roles[i] = static_cast<uint8_t>(slot);
    }
}

void choose_oppose_kickout_positions(TeamRecord* team, int32_t plan)
{
    plan = clamp_plan(plan);
    PlayerSlot* on_mark = match_globals.controlled_man_b;
    const int32_t n = oppose_counts[plan] + (on_mark ? 0 : 1);
    clear_claims(team);
    const FormationSpot* spots = oppose_lists[plan];
    for (int32_t i = 0; i < n; ++i) {
        // The man on the mark takes plan 7's first place; without one it is
        // claimed like any other.
        if (plan == 7 && i == 0 && on_mark && on_mark->team == team) {
            hold_spot(on_mark, 0);
            continue;
        }
        const int32_t slot = claim_nearest_opponent_for_spot(team, spots[i]);
        if (slot < 0)
            return; // too few free men: the rest of the places stay empty
        hold_spot(&team->slots[slot], i);
    }
}

const FormationSpot* kickout_spot_list(int32_t kicking, int32_t plan, int32_t* count)
{
    plan = clamp_plan(plan);
    if (kicking) {
        *count = KICKING_SPOTS;
        return kicking_spots[plan == 7 ? 0 : plan];
    }
    *count = oppose_counts[plan] + 1;
    return oppose_lists[plan];
}

int32_t oppose_spot_count(int32_t plan) { return oppose_counts[clamp_plan(plan)]; }

const void* kickout_spot_of(PlayerSlot* man, int32_t routine)
{
    if (!man->team || !man->stoppage_man)
        return nullptr;
    int32_t n = 0;
    const FormationSpot* list = kickout_spot_list(routine == 0, man->team->setup_choice, &n);
    return man->spot_index < n ? &list[man->spot_index] : nullptr;
}

PlayerSlot* kick_out_role_man(TeamRecord* team, int32_t plan, int32_t role)
{
    plan = clamp_plan(plan);
    const RoleSpan& span = role_spans[plan];
    if (role < 0 || role >= span.count)
        return nullptr;
    const uint8_t slot = kick_out_roles[role_set[plan]][span.first + role];
    if (slot >= GROUND_MEN)
        return nullptr;
    PlayerSlot* man = &team->slots[slot];
    return man->stoppage_man ? man : nullptr;
}

PlayerSlot* kickout_receiver(TeamRecord* team, int32_t plan, int32_t choice)
{
    plan = clamp_plan(plan);
    if (choice < 0 || choice >= option_lists[plan].count)
        return nullptr;
    return kick_out_role_man(team, plan, choice);
}

FormationSpot kickout_option_point(int32_t plan, int32_t choice)
{
    const OptionList& list = option_lists[clamp_plan(plan)];
    if (!list.count)
        return {0, 0};
    if (choice < 0 || choice >= list.count)
        choice = 0;
    return list.points[choice];
}

int32_t kick_out_plan_of_state(int32_t state)
{
    static const int8_t plans[7] = {1, 2, 3, 4, 5, 6, 0}; // 59/60, 61/62, ... 71/72
    if (state == 73)
        return 7;
    if (state < 59 || state > 72)
        return -1;
    return plans[(state - 59) / 2];
}
