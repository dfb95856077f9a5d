#include "control_fixture.h"

#include "frontend/controller_config.h"
#include "frontend/option_screens.h"
#include "platform/memory.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "screen/screen.h"
#include "screen/screen_services.h"
#include "display/replay.h"

#include <cstring>
#include <string>

namespace {

struct OptionScreens : Controls {
    settings_record saved{};
    ActiveSoundLevels saved_levels{};
    void SetUp() override
    {
        Controls::SetUp();
        std::memcpy(&saved, &user_settings, sizeof saved);
        saved_levels = active_sound_levels;
        default_settings(user_settings);
        reset_option_screens();
        prepare_option_screens();
        free_replay_node();
    }
    void TearDown() override
    {
        reset_option_screens();
        alloc_limit_block_size(0);
        std::memcpy(&user_settings, &saved, sizeof user_settings);
        active_sound_levels = saved_levels;
        Controls::TearDown();
    }
    static A_SLIDER_CONTROL* only_slider(control_list* list)
    {
        return slider_record(static_cast<control*>(list->first->data));
    }
};

// --- Replay buffer ---

TEST_F(OptionScreens, TheReplaySliderRunsOverWhatCanBeAllocated)
{
    struct Case {
        const char* name;
        uint32_t largest; // the biggest block the allocator will give
        uint32_t stored;
        int32_t minimum, maximum, value, step;
        uint32_t stored_after;
    };
    const Case cases[] = {
        {"3 MB", 3u << 20, 2u << 20, 1024, 3072, 2048, 204, 2u << 20},
        {"plenty is capped at 8 MB", 64u << 20, 1u << 20, 1024, 8192, 1024, 716, 1u << 20},
        {"half a megabyte stored opens as 1024", 4u << 20, 512u << 10, 1024, 4096, 1024, 307, 1u << 20},
        {"too big a size is lowered at once", 2u << 20, 6u << 20, 1024, 2048, 2048, 102, 2u << 20},
        {"less than 1 MB runs from 0", 600u << 10, 300u << 10, 0, 600, 300, 60, 300u << 10},
        {"exactly 1 MB still divides", 1u << 20, 1u << 20, 1024, 1025, 1024, 0, 1u << 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        user_settings.replay_buffer_size = c.stored;
        alloc_limit_block_size(c.largest);
        replay_buffer_open(nullptr);
        alloc_limit_block_size(0);
        EXPECT_EQ(replay_buffer_state.minimum, c.minimum);
        EXPECT_EQ(replay_buffer_state.maximum, c.maximum);
        EXPECT_EQ(replay_buffer_state.value, c.value);
        EXPECT_EQ(only_slider(replay_buffer_state.controls)->settings.page_up, c.step);
        EXPECT_EQ(user_settings.replay_buffer_size, c.stored_after) << "the correction is kept even on Back";
        replay_buffer_frame(nullptr);
        EXPECT_EQ(std::string(replay_buffer_state.text), std::to_string(c.value) + " k");
        replay_buffer_close(nullptr);
    }
}

TEST_F(OptionScreens, ReplayOKStoresAtLeastAMegabyteAndSetsTheBufferUp)
{
    user_settings.replay_buffer_size = 300u << 10;
    alloc_limit_block_size(600u << 10);
    replay_buffer_open(nullptr);
    alloc_limit_block_size(0);
    replay_buffer_state.value = 500;
    apply_replay_buffer(nullptr, nullptr, nullptr);
    EXPECT_EQ(user_settings.replay_buffer_size, 1u << 20);
    EXPECT_EQ(replay_buffer.capacity, (1u << 20) / (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    free_replay_node();
    replay_buffer_close(nullptr);
}

TEST_F(OptionScreens, TheReplayScreenRunsAndBackKeepsTheSize)
{
    user_settings.replay_buffer_size = 2u << 20;
    alloc_limit_block_size(4u << 20);
    PointerScript::start([](menu_screen* s, int f) {
        if (s != &replay_buffer_screen) return;
        if (f == 3) replay_buffer_state.value = 3000;
        if (f == 5) key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&replay_buffer_screen);
    alloc_limit_block_size(0);
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(user_settings.replay_buffer_size, 2u << 20);
    EXPECT_EQ(replay_buffer.capacity, 0u);
    EXPECT_EQ(active_icon_table.count, 0);
}

// --- Sound ---

TEST_F(OptionScreens, OpeningSetsTheFixedLevelsAndTheSwitchTexts)
{
    user_settings.sfx = 0;
    user_settings.crowd_volume = 64;
    sound_test_menu(nullptr);
    EXPECT_EQ(user_settings.level_2484, 255u);
    EXPECT_EQ(user_settings.level_2488, 255u);
    EXPECT_EQ(user_settings.drive_letter, 67u);
    EXPECT_STREQ(sound_test_state.switch_text[0], "on");
    EXPECT_STREQ(sound_test_state.switch_text[1], "off");
    EXPECT_EQ(active_sound_levels.crowd_volume, 64) << "the master level 255 leaves the levels as they are";
    EXPECT_EQ(sound_test_state.controls->count, 3);
    sound_test_close(nullptr);
}

TEST_F(OptionScreens, TestButtonsOnlyPlayWithTheirSoundSwitchedOn)
{
    sound_test_menu(nullptr);
    toggle_effects(nullptr, nullptr, nullptr);
    EXPECT_EQ(settings_scratch.sfx, 0u);
    test_effects(nullptr, nullptr, nullptr);
    EXPECT_EQ(sound_test_state.playing[SOUND_EFFECTS], 1) << "the flag toggles";
    EXPECT_EQ(sound_test_state.voices[SOUND_EFFECTS], -1) << "but nothing plays";
    toggle_effects(nullptr, nullptr, nullptr);
    EXPECT_EQ(settings_scratch.sfx, 1u);
    EXPECT_EQ(sound_test_state.playing[SOUND_EFFECTS], 0) << "switching back on does not start it";
    sound_test_close(nullptr);
}

TEST_F(OptionScreens, SoundOKCommitsWithResultTwoAndBackRestoresTheRunningLevels)
{
    sound_test_menu(nullptr);
    settings_scratch.commentary_volume = 40;
    apply_volume_levels(settings_scratch);
    EXPECT_EQ(active_sound_levels.commentary_volume, 40);
    sound_test_close(nullptr); // Back
    EXPECT_EQ(active_sound_levels.commentary_volume, 127) << "the live levels again";
    EXPECT_EQ(user_settings.commentary_volume, 127u);

    sound_test_menu(nullptr);
    settings_scratch.crowd_volume = 10;
    settings_scratch.commentary = 0;
    apply_sound_settings(nullptr, nullptr, nullptr);
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(user_settings.crowd_volume, 10u);
    EXPECT_EQ(active_sound_levels.crowd_volume, 10);
    EXPECT_EQ(active_sound_levels.commentary, 0u);
    sound_test_close(nullptr);
    EXPECT_EQ(active_sound_levels.crowd_volume, 10);
}

TEST_F(OptionScreens, AVolumeSliderStepsByATenthAndAppliesAtOnce)
{
    PointerScript::start([](menu_screen* s, int f) {
        if (s != &sound_config_screen) return;
        A_SLIDER_CONTROL* crowd = slider_record(static_cast<control*>(list_nth(sound_test_state.controls, 2)->data));
        if (f == 3) {
            crowd->display.decrease.state = ICON_CLICKED;
            slider_decrease(nullptr, &crowd->display.decrease, nullptr);
        }
        if (f == 4) {
            EXPECT_EQ(settings_scratch.crowd_volume, 115u);
            EXPECT_EQ(active_sound_levels.crowd_volume, 115);
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    run_front_end_screen(&sound_config_screen);
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(user_settings.crowd_volume, 127u) << "Back keeps the old level";
    EXPECT_EQ(active_sound_levels.crowd_volume, 127);
    EXPECT_EQ(active_icon_table.count, 0);
}

} // namespace

namespace {

TEST_F(OptionScreens, TheSoundScreenDrawsItsThreeSliders)
{
    int32_t tracks[3] = {-1, -1, -1};
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &sound_config_screen || f != 30) return;
        const int32_t y[3] = {142, 267, 392};
        for (int k = 0; k < 3; ++k) tracks[k] = lit_pixels(290, y[k], 380, y[k] + 1);
        key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&sound_config_screen);
    for (int k = 0; k < 3; ++k) EXPECT_GT(tracks[k], 60) << "slider " << k << " crosses its row";
}

} // namespace
