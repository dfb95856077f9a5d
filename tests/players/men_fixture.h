// Fixture for the movement and action tests: two small teams in the
// game-state block, the first 18 of each in play, a hook table that records
// what the match asked of the presentation, screen transitions on a clock the
// test moves, and animation rows given data of a chosen length.
#pragma once

#include "lib/paf_writer.h"
#include "match/game_maths.h"
#include "match/match_hooks.h"
#include "match/two_teams.h"
#include "model/anim_table.h"
#include "model/paf.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "players/contact_tables.h"
#include "match/match_flow.h"
#include "match/match_setup.h"
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

struct HookLog {
    std::vector<std::string> calls;
    int32_t pending_kind = -1;
    int32_t pending_event[6] = {};
    uint32_t clock_ms = 0;
    uint32_t transition_end = 0;
    bool transition_on = false;
    int32_t fade_in_kind = -1;
    bool sprites_on = true;
    bool text_on = true;
    std::vector<int32_t> commentary;
};

inline HookLog hook_log;

inline MatchHooks recording_hooks()
{
    MatchHooks h{};
    h.mute_commentary = [] { hook_log.calls.push_back("mute"); };
    h.unmute_commentary = [] { hook_log.calls.push_back("unmute"); };
    h.set_pending_commentary = [](int32_t e, int32_t t, int32_t m, int32_t t2, int32_t m2, int32_t p) {
        hook_log.pending_kind = e;
        const int32_t v[6] = {e, t, m, t2, m2, p};
        std::memcpy(hook_log.pending_event, v, sizeof v);
    };
    h.pending_commentary_event = [] { return hook_log.pending_kind; };
    h.commentate = [](int32_t e, int32_t, int32_t, int32_t, int32_t, int32_t) { hook_log.commentary.push_back(e); };
    h.crowd_react = [](int32_t k) { hook_log.calls.push_back("crowd " + std::to_string(k)); };
    h.pause_hud_flag = [] { hook_log.calls.push_back("pause hud"); };
    h.clear_message_banner = [] { hook_log.calls.push_back("clear banner"); };
    h.close_hud_panels = [] { hook_log.calls.push_back("close panels"); };
    // A transition runs its time on the test's clock.
    h.start_transition = [](int32_t kind, int32_t ms, int32_t direction) {
        hook_log.calls.push_back((direction ? "fade in " : "fade out ") + std::to_string(kind));
        hook_log.transition_on = true;
        hook_log.transition_end = hook_log.clock_ms + static_cast<uint32_t>(ms);
    };
    h.hw_transition_running = []() -> int32_t {
        if (hook_log.transition_on && hook_log.clock_ms >= hook_log.transition_end) hook_log.transition_on = false;
        return hook_log.transition_on ? 1 : 0;
    };
    h.enable_sprite_queue = [] { hook_log.sprites_on = true; };
    h.disable_sprite_queue = [] { hook_log.sprites_on = false; };
    h.enable_text_sprite_queue = [] { hook_log.text_on = true; };
    h.disable_text_sprite_queue = [] { hook_log.text_on = false; };
    return h;
}

class MenTest : public ::testing::Test {
protected:
    std::vector<int> rows_given;

    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        match_globals.pending_cut_state = -1;
        match_globals.match_state = 1;
        match_globals.random_state_a = match_globals.random_state_b = 0x1234567u;
        match_tick_record.speed_percent = 100;
        match_tick_record.period = 16;
        hook_log = HookLog{};
        const MatchHooks h = recording_hooks();
        match_hooks = h;
        reset_contest_groups();
        // The predicted ball stays high: no path step qualifies.
        for (auto& p : predicted_ball_path.position) p[0] = p[1] = p[2] = 5000 * 65536;
        ball_state.flags = 1;
        for (TeamRecord& t : team_records)
            for (PlayerSlot& m : t.slots) m.top_speed = 30;
    }
    void TearDown() override
    {
        clear_match_hooks();
        for (int r : rows_given) {
            free_paf(animation_table[r].data);
            animation_table[r].data = nullptr;
        }
    }

    PlayerSlot* man(int team, int n) { return &team_records[team].slots[n]; }

    // Gives a row still data of `frames` frames (length frames x 50000 us).
    void give_row(int row, int frames)
    {
        PafFileData f;
        f.tracks.resize(16);
        for (int k = 0; k <= frames; ++k) {
            const uint32_t t = static_cast<uint32_t>(k) * PAF_FRAME_US;
            for (auto& tr : f.tracks) tr.rot.push_back({t, 1, 0, 0, 0});
            f.tracks[0].pos.push_back({t, 0, 0, 0});
        }
        const std::vector<uint8_t> bytes = write_paf(f);
        const char* why = nullptr;
        if (animation_table[row].data) free_paf(animation_table[row].data);
        animation_table[row].data = parse_paf(bytes.data(), static_cast<uint32_t>(bytes.size()), &why);
        ASSERT_NE(animation_table[row].data, nullptr) << (why ? why : "");
        rows_given.push_back(row);
    }

    static void place(PlayerSlot* m, int x, int y, int facing = 0)
    {
        m->x = static_cast<int16_t>(x);
        m->y = static_cast<int16_t>(y);
        m->facing = static_cast<uint8_t>(facing);
        m->wanted_facing = static_cast<int16_t>(facing);
        m->target_x = m->x;
        m->target_y = m->y;
    }
};
