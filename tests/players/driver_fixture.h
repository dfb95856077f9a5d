// A man on synthetic animations: a small model, rows of the table made with
// the kit's writers, and the presentation hooks recording what they hear.
#pragma once

#include "model/fixtures.h"

#include "match/match_hooks.h"
#include "match/match_records.h"
#include "players/anim_driver.h"
#include "model/anim_table.h"
#include "players/contact_planners.h"
#include "model/skeleton.h"

#include <cstring>
#include <vector>

struct HeardEffect {
    int32_t effect, frequency, volume;
};
inline std::vector<HeardEffect> heard_effects;
inline std::vector<int32_t> heard_commentary;

class DriverTest : public DataDirTest {
protected:
    std::vector<PafAnimation*> owned;
    AnimStartEffect effects[ANIM_ROW_COUNT];
    uint8_t scripts[ANIM_ROW_COUNT][64];
    PlayerSlot* man = nullptr;

    void SetUp() override
    {
        DataDirTest::SetUp();
        std::memset(animation_table, 0, sizeof animation_table);
        put("3d display/pgfs/midplayer_shorthair.pgf", write_tca(skeleton_model(simple_pivots())));
        load_player_model();
        clear_game_state_block();
        clear_contact_plans();
        match_globals.random_state_a = match_globals.random_state_b = 0x12345;
        match_globals.match_state = 1;
        match_globals.men_per_team = 22;
        heard_effects.clear();
        heard_commentary.clear();
        MatchHooks hooks{};
        hooks.play_effect = [](int32_t e, int32_t f, int32_t v) { heard_effects.push_back({e, f, v}); };
        hooks.commentate = [](int32_t e, int32_t, int32_t, int32_t, int32_t, int32_t) { heard_commentary.push_back(e); };
        match_hooks = hooks;
        for (int t = 0; t < 2; ++t) {
            TeamRecord& team = team_records[t];
            team.side = static_cast<uint8_t>(t + 1);
            for (int s = 0; s < TEAM_SLOTS; ++s) {
                team.slots[s].number = static_cast<uint8_t>(s);
                team.slots[s].team = &team;
                team.slots[s].team_index = static_cast<uint8_t>(t);
                team.slots[s].side = team.side;
                team.slots[s].top_speed = 30;
                team.slots[s].size_index = 1;
            }
        }
        man = &team_records[0].slots[0];
    }
    void TearDown() override
    {
        clear_match_hooks();
        for (PafAnimation* a : owned) free_paf(a);
        std::memset(animation_table, 0, sizeof animation_table);
        free_player_model();
        DataDirTest::TearDown();
    }
    // Row `row` plays `f`, with the on-start effect and the script (frame 0
    // first; the end byte is added).
    PafAnimation* install(uint32_t row, const PafFileData& f, AnimStartEffect on_start, std::vector<uint8_t> script,
                          uint32_t mirror = 0)
    {
        PafAnimation* a = parse_or_fail(write_paf(f));
        owned.push_back(a);
        AnimationRow& r = animation_table[row];
        r.data = a;
        r.mirror = mirror;
        effects[row] = on_start;
        r.on_start = &effects[row];
        script.push_back(ANIM_SCRIPT_END);
        std::memcpy(scripts[row], script.data(), script.size());
        r.events = scripts[row];
        r.contact_frame = r.release_frame = 0;
        for (size_t i = 0; i + 1 < script.size(); ++i) {
            if (is_contact_event(script[i])) r.contact_frame = static_cast<int8_t>(i + 1);
            if (is_release_event(script[i])) r.release_frame = static_cast<int8_t>(i + 1);
        }
        return a;
    }
    // A still row of `frames` frames whose events are all 0.
    PafAnimation* still(uint32_t row, int frames, int16_t follow_on = -1)
    {
        return install(row, still_animation(frames, 0), {follow_on, -1, -1, 0}, std::vector<uint8_t>(frames, 0));
    }
    static AnimStartEffect follow(int16_t f) { return {f, -1, -1, 0}; }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) advance_man_animation(man);
    }
};
