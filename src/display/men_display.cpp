#include "display/men_display.h"

#include "display/camera.h"
#include "display/match_scene.h"
#include "display/model_instances.h"
#include "display/replay.h"
#include "display/scene_lighting.h"
#include "display/shadows.h"
#include "gl3d/display_device.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "match/held_ball.h"
#include "match/man_models.h"
#include "platform/app_state.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "model/anim_table.h"
#include "platform/controllers.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/phase_cut.h"
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <cstring>

MenMarkers men_markers;

namespace {

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
        m.heading = drawn_facing(man) * 64;
    m.primary.animation = static_cast<int32_t>(man->primary_animation);
    m.primary.time = anim_position_time(man->primary_position);
    if (man->secondary_data) {
        m.blend.animation = static_cast<int32_t>(man->secondary_animation);
        m.blend.time = anim_position_time(man->secondary_position);
    } else {
        m.blend.animation = -1;
    }
    if (replay_match_playback) clear_bones(m.primary), clear_bones(m.blend);
}

void sync_men_display() { for_each_drawn_man(sync_man_display); }

int32_t prepare_man_and_ball_display(PlayerSlot* man, int32_t)
{
    if (!holds_ball(man)) return MAN_LEVEL_NORMAL;
    return ball_in_his_hand(man) ? MAN_LEVEL_NORMAL : MAN_LEVEL_BALL_IN_HAND;
}

namespace {

constexpr int DRAWN_MEN = OFFICIAL_COUNT + 2 * 24;

struct FigureInstances {
    const PlayerSlot* man;
    ModelInstance level[3];
    int32_t current; // -1 none
};
std::unique_ptr<std::array<FigureInstances, DRAWN_MEN>> figures;
ModelInstance* drawn[DRAWN_MEN];
int32_t drawn_count;

FigureInstances* figure_of(const PlayerSlot* man, bool create)
{
    if (!figures) {
        if (!create) return nullptr;
        figures = std::make_unique<std::array<FigureInstances, DRAWN_MEN>>();
        for (FigureInstances& f : *figures) f.man = nullptr, f.current = -1;
    }
    for (FigureInstances& f : *figures)
        if (f.man == man) return &f;
    if (!create) return nullptr;
    for (FigureInstances& f : *figures)
        if (!f.man) {
            f.man = man;
            return &f;
        }
    return nullptr;
}

// Nearer men get more detail.
int32_t detail_for(const PlayerSlot* man)
{
    const double dx = man->x * 0.390625 - camera_globals.x, dz = man->y * 0.390625 - camera_globals.z;
    const double d = std::sqrt(dx * dx + dz * dz);
    return d < 3500 ? 0 : d < 7000 ? 1 : 2;
}

// The box round a man, ±512 across and 1024 high in ground units, in the
// drawn axes.
bool man_in_view(const PlayerSlot* man)
{
    const float k = 1.0f / 2.56f;
    const float x = man->x * k, y = man->y * k, h = man->z * k, r = 512 * k, top = 1024 * k;
    float box[8 * 3];
    for (int i = 0; i < 8; ++i) {
        box[i * 3] = -(x + ((i & 1) ? r : -r));
        box[i * 3 + 1] = -(h + ((i & 2) ? top : 0));
        box[i * 3 + 2] = y + ((i & 4) ? r : -r);
    }
    return test_points_visible(8, box) != 0;
}

void pose_man(PlayerSlot* man, int32_t level)
{
    FigureInstances* f = figure_of(man, false);
    if (!f) return;
    f->current = detail_for(man);
    ModelInstance& in = f->level[f->current];
    if (!in.model) {
        f->current = -1;
        return;
    }
    select_instance_lod(&in, level == MAN_LEVEL_BALL_IN_HAND ? 0 : 1);
    const FigurePose& p = man->model;
    const float position[3] = {p.x / 655.36f, p.height / 655.36f, p.y / 655.36f};
    pose_skinned_model(&in, p.primary, position, p.heading, p.blend, level == MAN_LEVEL_BALL_IN_HAND);
    in.active = 1;
    if (drawn_count < DRAWN_MEN) drawn[drawn_count++] = &in;
}

} // namespace

void build_model_instance(PlayerSlot* man, int32_t level, int32_t record, const char* directory,
                          const char* const* names, int32_t count)
{
    FigureInstances* f = figure_of(man, true);
    if (!f || level < 0 || level > 2) return;
    ModelInstance& in = f->level[level];
    free_model_instance(&in);
    if (create_model_instance(&in, nullptr, model_record(record).scale, figure_model(record), directory, names, count))
        in.shadow_index = add_shadow_entry(man, model_record(record).shadow_kind);
    f->current = -1;
}

ModelInstance* man_instance(const PlayerSlot* man, int32_t level)
{
    FigureInstances* f = figure_of(man, false);
    return f && level >= 0 && level < 3 && f->level[level].model ? &f->level[level] : nullptr;
}

ModelInstance* current_man_instance(const PlayerSlot* man)
{
    FigureInstances* f = figure_of(man, false);
    return f && f->current >= 0 ? &f->level[f->current] : nullptr;
}

void free_figure_instances()
{
    if (figures)
        for (FigureInstances& f : *figures)
            for (ModelInstance& in : f.level) {
                if (in.owns_model) free_model_container(in.model);
                free_model_instance(&in);
            }
    figures.reset();
    drawn_count = 0;
}

void init_man_appearances()
{
    drawn_count = 0;
    if (figures)
        for (FigureInstances& f : *figures) f.current = -1;
    for_each_drawn_man([](PlayerSlot* man) {
        const int32_t level = prepare_man_and_ball_display(man, 0);
        if (use_3d_hardware && !man_in_view(man)) return;
        pose_man(man, level);
    });
}

void select_model_lod(PlayerSlot* man, int32_t level)
{
    if (FigureInstances* f = figure_of(man, false))
        for (ModelInstance& in : f->level)
            if (in.model) select_instance_lod(&in, level);
}

void select_model_lod_1(PlayerSlot* man) { select_model_lod(man, 1); }
void select_model_lod_0(PlayerSlot* man) { select_model_lod(man, 0); }

void place_men_markers()
{
    const MenMarkers& mk = men_markers;
    int32_t next = 0;
    auto mark = [&](const PlayerSlot* man, int32_t marker, float scale) {
        const int32_t p[3] = {man->model.x, man->model.height, man->model.y};
        place_figure_marker(p, marker, scale, 0);
        ++next;
    };
    if (mk.holder) mark(mk.holder, 1, 1.0f);
    for (int i = 0; i < mk.highlight_count; ++i) mark(mk.highlight[i], 15 + i, 1.0f);
    for (int i = 0; i < mk.jump_count && i < 4; ++i) mark(mk.jump_man[i], 3 + i, 1.0f);
}

uint8_t direction_arrow_octants()
{
    const MatchGlobals& g = match_globals;
    uint8_t octants = 0;
    for (const auto* list : {g.handball_list, g.kick_list})
        for (int i = 0; i < 19 && (list[i].man || list[i].goal); ++i) octants |= 1 << (((list[i].angle + 16) >> 5) & 7);
    return octants;
}

void prepare_display_misc()
{
    hide_direction_arrows();
    const MatchGlobals& g = match_globals;
    if (replay_match_playback || g.match_state == 20 || g.match_state == 22) return;
    PlayerSlot* holder = g.ball_holder;
    // Only a holder a player steers is shown where he can send the ball.
    const ContestGroup* group = holder ? holder->contest_group : nullptr;
    if (!group || !group->present || !group->side || group->men[0] != holder) return;
    const int32_t p[3] = {holder->model.x, holder->model.height, holder->model.y};
    const uint8_t octants = direction_arrow_octants();
    for (int i = 0; i < 8; ++i)
        if (octants & (1 << i)) place_direction_arrow(p, i, 1.0f);
}

void update_man_display(int32_t slot)
{
    const bool lit = shadow_quality_setting() >= 2 && pitch_lighting_on();
    for (int i = 0; i < drawn_count; ++i) {
        ModelInstance* in = drawn[i];
        uint32_t colour = 0, mode = 0;
        if (lit) mode = get_colour_mode(&colour), set_colour_mode(1, lit_colour_word(in->lit_colour));
        draw_model_batch(in, slot);
        draw_model_batch_alt(in, slot);
        if (lit) set_colour_mode(mode, colour);
    }
}

void light_men_from_map()
{
    for (int i = 0; i < drawn_count; ++i) lighting_map_colour(drawn[i]->attach[0], drawn[i]->lit_colour);
}

void init_man_texture_slots()
{
    // A man not posed this frame leaves no vertices from the last.
    for_each_drawn_man([](PlayerSlot* man) {
        if (FigureInstances* f = figure_of(man, false))
            for (ModelInstance& in : f->level)
                if (in.model) clear_bone_channels(&in, 0, 16, 2);
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

namespace {

void place_kick_out_receiver_arrows()
{
    if (!use_3d_hardware) return;
    const float w = static_cast<float>(std::max(1, display_width()));
    const float h = static_cast<float>(std::max(1, display_height()));
    for (TeamRecord& team : team_records)
        for (int32_t b = 0; b < 4; ++b) {
            const PlayerSlot* man = kick_out_button_receiver(&team, b);
            if (!man) continue;
            // Over his head, or at the screen's edge toward him when he is out of view.
            const float p[3] = {man->model.x / 655.36f, (man->model.height + 1024 * 256) / 655.36f,
                                man->model.y / 655.36f};
            int32_t x = 0, y = 0;
            project_to_screen(p, &x, &y);
            const float at[2] = {x * 640.0f / w, y * 480.0f / h};
            // Each button's receiver in that button's colour: blue, purple, red, green.
            place_overlay_model(at, 4 * b, 0xFFFFFFFFu);
        }
}

} // namespace

namespace {

void choose_men_markers()
{
    MenMarkers& mk = men_markers;
    mk = MenMarkers{};
    const MatchGlobals& g = match_globals;
    if (g.ball_holder && (ball_state.flags & 2)) mk.holder = g.ball_holder;
    if (g.match_state == 20 || g.match_state == 22) return;
    place_kick_out_receiver_arrows();
    for (const controller_record& c : controllers) {
        if (!c.present || !c.side) continue;
        for (PlayerSlot* man : c.men) {
            if (!man || man == mk.holder) continue;
            // Kept sorted by distance to the ball; the farthest drops off.
            int at = mk.highlight_count;
            while (at > 0 && mk.highlight[at - 1]->ball_distance > man->ball_distance) --at;
            if (at >= MAX_HIGHLIGHTS) continue;
            const int last = mk.highlight_count < MAX_HIGHLIGHTS ? mk.highlight_count : MAX_HIGHLIGHTS - 1;
            for (int k = last; k > at; --k) mk.highlight[k] = mk.highlight[k - 1];
            mk.highlight[at] = man;
            if (mk.highlight_count < MAX_HIGHLIGHTS) ++mk.highlight_count;
        }
    }
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

} // namespace

void prepare_men_display()
{
    sync_men_display();
    choose_men_markers();
    // Markers are asked for afresh each frame.
    hide_figure_markers();
    place_men_markers();
}
