#include "display/men_display.h"

#include "model/anim_table.h"
#include "platform/controllers.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/phase_cut.h"
#include "standin/team_ai_standin.h"

#include <cstring>

// Replay playback, from the match screen.
bool match_playback_flag();

MenMarkers men_markers;

namespace {

uint8_t display_facing(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    if (a == 369) return static_cast<uint8_t>(man->facing - 112);
    if ((a >= 285 && a <= 287) || a == 371) return static_cast<uint8_t>(man->facing + 64);
    return man->facing;
}

void clear_bones(AnimSlot& slot)
{
    std::memset(slot.rot_key, 0, sizeof slot.rot_key);
    std::memset(slot.pos_key, 0, sizeof slot.pos_key);
}

template <class Fn> void for_each_drawn_man(Fn fn)
{
    for (PlayerSlot& u : official_slots) fn(&u);
    for (TeamRecord& t : team_records)
        for (int s = 0; s < men_in_use(); ++s) fn(&t.slots[s]);
}

} // namespace

void sync_man_display(PlayerSlot* man)
{
    FigurePose& m = man->model;
    const int32_t x = man->x * 256 + man->x_frac / 256;
    const int32_t h = man->z * 256 + man->z_frac / 256;
    const int32_t y = man->y * 256 + man->y_frac / 256;
    man->display_position[0] = m.x = x;
    man->display_position[1] = m.height = h;
    man->display_position[2] = m.y = y;
    if (man->primary_animation == 191)
        m.heading = (static_cast<uint8_t>(man->facing + 128) * 64) & 0x3FC0;
    else
        m.heading = display_facing(man) * 64;
    m.primary.animation = static_cast<int32_t>(man->primary_animation);
    m.primary.time = anim_position_time(man->primary_position);
    if (man->secondary_data) {
        m.blend.animation = static_cast<int32_t>(man->secondary_animation);
        m.blend.time = anim_position_time(man->secondary_position);
    } else {
        m.blend.animation = -1;
    }
    if (match_playback_flag()) clear_bones(m.primary), clear_bones(m.blend);
}

void sync_men_display() { for_each_drawn_man(sync_man_display); }

int32_t prepare_man_and_ball_display(PlayerSlot* man, int32_t)
{
    if (!holds_ball(man)) return MAN_LEVEL_NORMAL;
    const FigurePose& m = man->model;
    const int32_t a = m.blend.animation >= 0 ? m.blend.animation : m.primary.animation;
    const uint32_t t = m.blend.animation >= 0 ? m.blend.time : m.primary.time;
    const PafAnimation* data = a >= 0 ? anim_data(static_cast<uint32_t>(a)) : nullptr;
    BallState& b = ball_state;
    b.prev_x = static_cast<int16_t>(b.x >> 16);
    b.prev_y = static_cast<int16_t>(b.y >> 16);
    if (!data || !data->separate_ball) {
        b.x = man->x * 65536;
        b.y = man->y * 65536;
        b.z = (man->z + 256) * 65536;
        return MAN_LEVEL_BALL_IN_HAND;
    }
    const int joint = a == 191 || animation_table[a].mirror ? JOINT_LEFT_HAND : JOINT_RIGHT_HAND;
    int32_t p[3];
    float angles[3];
    eval_animation(nullptr, p, angles, a, t, joint, m.heading);
    b.x = (m.x + p[0]) * 256;
    b.z = (m.height + p[1]) * 256;
    b.y = (m.y + p[2]) * 256;
    return MAN_LEVEL_NORMAL;
}

void init_man_texture_slots()
{
    for_each_drawn_man([](PlayerSlot* man) {
        clear_bones(man->model.primary);
        clear_bones(man->model.blend);
    });
}

int32_t jump_catch_indicator(PlayerSlot* man)
{
    // Alone on the ground the search answers the man himself: no partner then.
    PlayerSlot* partner = nearest_player(man);
    if (test_ball_action(man, 71, partner == man ? nullptr : partner, 0)) return 71;
    if (man->speed >= 13) return test_ball_action(man, 60, nullptr, 0) ? 60 : 0;
    return test_ball_action(man, 59, nullptr, 0) ? 59 : 0;
}

void prepare_men_display()
{
    MenMarkers& mk = men_markers;
    mk = MenMarkers{};
    const MatchGlobals& g = match_globals;
    if (g.ball_holder && (ball_state.flags & 2)) mk.holder = g.ball_holder;
    if (g.match_state == 20 || g.match_state == 22) return;
    const bool in_flight = (ball_state.flags & 1) && (ball_state.flight_flags & 0x20) && ball_state.z > 0;
    if (!in_flight) return;
    for (const controller_record& c : controllers) {
        PlayerSlot* man = c.present && c.side ? c.men[0] : nullptr;
        if (!man || !man->team || mk.jump_count >= MAX_JUMP_MARKERS) continue;
        const int t = man->team == &team_records[1] ? 1 : 0;
        if (!game_settings.team_options[t].intercept_circle) continue;
        if (const int32_t action = jump_catch_indicator(man)) {
            mk.jump_man[mk.jump_count] = man;
            mk.jump_action[mk.jump_count++] = action;
        }
    }
}
