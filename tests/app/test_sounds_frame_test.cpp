// The stand-in front end's test sounds: keys and pad buttons, read through the
// menus' controller read, reach the sample and the stream.
#include "platform/input_fixture.h"
#include "host/host_test_hooks.h"
#include "host/host_sdl.h"

#include "host/audio.h"
#include "standin/provisional_subsystems.h"
#include "app/standin_front_end.h"
#include "platform/settings.h"
#include "platform/settings_targets.h"
#include "platform/sound.h"

#include <cstdlib>

namespace
{

using namespace input_test;

constexpr uint32_t TENTH_SECOND = 2205;

struct Press {
    const char* what;
    SDL_Scancode key; // SDL_SCANCODE_UNKNOWN: pad button instead
    int pad_button;
};

class TestSounds : public InputTest
{
  protected:
    void SetUp() override
    {
        InputTest::SetUp();
        if (IsSkipped()) return;
        settings_record record{};
        default_settings(record);
        bind_keys(record.key_mapping);
        host_sound_set_manual_output(true);
        ASSERT_EQ(init_direct_sound(), 0);
        start(1);
        open_test_sounds();
        ASSERT_GE(test_sound_slot, 0) << "the sample is in the data set";
    }
    void TearDown() override
    {
        close_test_sounds();
        shutdown_direct_sound();
        host_sound_set_manual_output(false);
        InputTest::TearDown();
    }
    void hold(const Press& p, bool down)
    {
        if (p.key != SDL_SCANCODE_UNKNOWN)
            key(p.key, down);
        else
            button(pads[0], p.pad_button, down);
    }
    static bool heard(uint32_t frames)
    {
        std::vector<int16_t> out(frames);
        host_sound_mix(out.data(), frames);
        for (int16_t s : out)
            if (std::abs(s) > 100) return true;
        return false;
    }
};

} // namespace

TEST_F(TestSounds, ActionOneOrEnterPlaysTheSampleOncePerPress)
{
    struct Case {
        Press press;
        bool plays;
    } cases[] = {
        {{"Z", SDL_SCANCODE_Z, 0}, true},
        {{"Enter", SDL_SCANCODE_RETURN, 0}, true},
        {{"pad button 1", SDL_SCANCODE_UNKNOWN, 0}, true},
        {{"C (action 3)", SDL_SCANCODE_C, 0}, false},
        {{"pad button 3", SDL_SCANCODE_UNKNOWN, 2}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press.what);
        test_sounds_frame();
        EXPECT_FALSE(heard(TENTH_SECOND)) << "nothing before the press";
        hold(c.press, true);
        test_sounds_frame();
        EXPECT_EQ(heard(TENTH_SECOND), c.plays);
        // Held on, it does not start again.
        stop_sample(test_sound_slot);
        test_sounds_frame();
        EXPECT_FALSE(heard(TENTH_SECOND));
        hold(c.press, false);
        test_sounds_frame();
        EXPECT_FALSE(stream_state.open) << "action 1 leaves the stream alone";
    }
}

TEST_F(TestSounds, ActionTwoStartsAndStopsTheStreamedPhrase)
{
    const Press presses[] = {{"X", SDL_SCANCODE_X, 0}, {"pad button 2", SDL_SCANCODE_UNKNOWN, 1}};
    for (const Press& p : presses) {
        SCOPED_TRACE(p.what);
        hold(p, true);
        test_sounds_frame();
        EXPECT_TRUE(stream_state.playing);
        EXPECT_TRUE(heard(10 * TENTH_SECOND)) << "the phrase sounds";
        test_sounds_frame();
        EXPECT_TRUE(stream_state.playing) << "holding the button is no second press";
        hold(p, false);
        test_sounds_frame();
        hold(p, true);
        test_sounds_frame();
        EXPECT_FALSE(stream_state.open);
        EXPECT_FALSE(heard(TENTH_SECOND));
        hold(p, false);
        test_sounds_frame();
    }
}

TEST_F(TestSounds, WithoutSoundThePressesDoNothing)
{
    close_test_sounds();
    shutdown_direct_sound();
    open_test_sounds();
    EXPECT_EQ(test_sound_slot, -1);
    for (SDL_Scancode k : {SDL_SCANCODE_Z, SDL_SCANCODE_X}) {
        press(k);
        test_sounds_frame();
        release(k);
        test_sounds_frame();
    }
    EXPECT_FALSE(stream_state.open);
    close_test_sounds();
}
