// A man on the kit's own data set: the player model, the animation table and
// the contact tables loaded once for the suite.
#pragma once

#include "driver_fixture.h"
#include "model/anim_table.h"
#include "model/skeleton.h"
#include "host/host_test_hooks.h"

#include "match/ball.h"
#include "match/ball_contacts.h"
#include "players/contact_tables.h"
#include "players/frame_events.h"
#include "players/man_display.h"

class KitMan : public ::testing::Test {
protected:
    PlayerSlot* man = nullptr;

    static void SetUpTestSuite()
    {
        host_set_exit_hook(throw_game_exit);
        host_set_data_dir(kit_data_dir());
        use_3d_hardware = 1; // the hardware path's model and animations, whatever ran before
        load_player_model();
        load_animations();
        init_ball_contact_tables();
    }
    static void TearDownTestSuite()
    {
        free_animations();
        free_player_model();
        host_set_exit_hook(nullptr);
        host_set_data_dir("");
    }
    void SetUp() override
    {
        clear_game_state_block();
        clear_contact_plans();
        match_globals.random_state_a = match_globals.random_state_b = 0x2468;
        match_globals.match_state = 1;
        match_globals.men_per_team = 22;
        heard_effects.clear();
        MatchHooks hooks{};
        hooks.play_effect = [](int32_t e, int32_t f, int32_t v) { heard_effects.push_back({e, f, v}); };
        match_hooks = hooks;
        TeamRecord& team = team_records[0];
        team.side = 2;
        man = &team.slots[4];
        man->number = 4;
        man->team = &team;
        man->side = 2;
        man->top_speed = 30;
        man->size_index = 1;
        man->facing = 64; // toward +x
        ball_state.gravity = BALL_GRAVITY;
    }
    void TearDown() override { clear_match_hooks(); }

    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) advance_man_animation(man);
    }
    // Ticks until the man's primary animation has left frame `frame`.
    int ticks_past(int32_t frame, int limit = 400)
    {
        const uint32_t a = man->primary_animation;
        int n = 0;
        while (man->primary_animation == a && (man->primary_position >> 16) <= frame && n < limit) ticks(1), ++n;
        return n;
    }
    void hold_ball()
    {
        match_globals.ball_holder = man;
        ball_state.flags = 2;
        ball_state.x = man->x << 16, ball_state.y = man->y << 16, ball_state.z = 100 << 16;
    }
    // The ball at the point where the man's joint will be at frame `frame`.
    void ball_at_joint(uint32_t animation, int32_t frame, int32_t joint)
    {
        int32_t p[3];
        get_joint_position(p, man, animation, 0, frame, man->facing, joint);
        ball_state.x = (man->x + p[0]) << 16;
        ball_state.y = (man->y + p[2]) << 16;
        ball_state.z = (man->z + p[1]) << 16;
        ball_state.prev_x = static_cast<int16_t>(man->x + p[0]);
        ball_state.prev_y = static_cast<int16_t>(man->y + p[2]);
        ball_state.prev_z = static_cast<int16_t>(man->z + p[1]);
        ball_state.flags = 1;
    }
};
