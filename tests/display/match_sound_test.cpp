// Match effects and the crowd, heard through the mixed output.
#include "platform/sound_fixtures.h"

#include "display/match_sound.h"
#include "match/match_records.h"

#include <numeric>

namespace {

using namespace fixtures;

// A sample image of a constant level: easy to tell apart in the mix.
std::vector<uint8_t> level_image(int16_t level, size_t n = 2000)
{
    return sample_image(22050, SAMPLE_16BIT, pcm16(std::vector<int16_t>(n, level)));
}

int64_t energy(const std::vector<int16_t>& v)
{
    return std::accumulate(v.begin(), v.end(), int64_t{0}, [](int64_t a, int16_t s) { return a + std::abs(s); });
}

class MatchSoundTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        clear_game_state_block();
        reset_match_sound();
        match_globals.ticks_last_frame = 1;
        match_globals.pending_cut_state = -1;
        active_sound_levels = ActiveSoundLevels{1, 1, 1, 127, 127, 127};
        fs::create_directories(dir / "KOB99_SFX");
        for (int id = 0; id < MATCH_EFFECT_COUNT; ++id)
            write_file(std::string("KOB99_SFX/") + match_effects[id].file + ".LKA",
                       level_image(id >= 14 && id <= 16 ? 8000 : (id == 17 || id == 18 ? -8000 : 3000)));
        write_file("KOB99_SFX/CROWD.WAV", kit_wav_mono16(22050, std::vector<int16_t>(4000, 500)));
    }
    void TearDown() override
    {
        stop_crowd_loops();
        free_match_effects();
        reset_match_sound();
        clear_game_state_block();
        SoundTest::TearDown();
    }
};

TEST_F(MatchSoundTest, EffectsSwitchedOffLoadNothing)
{
    active_sound_levels.sfx = 0;
    EXPECT_EQ(load_match_effects(), 0);
    play_effect(0, 0, 127);
    EXPECT_EQ(energy(mix(512)), 0);
}

TEST_F(MatchSoundTest, EffectVolumesScaleByTheSetting)
{
    struct Case {
        uint8_t setting;
        int32_t volume, expected;
    } cases[] = {
        {127, 128, 128}, {127, 64, 64}, {127, 0, 127}, {127, -5, 127}, {127, 300, 127}, {0, 127, 0}, {63, 127, 63},
    };
    for (const Case& c : cases) {
        active_sound_levels.sfx_volume = c.setting;
        EXPECT_EQ(effect_volume(c.volume), c.expected) << int(c.setting) << " " << c.volume;
    }
}

TEST_F(MatchSoundTest, AnEffectIsHeardAtItsVolumeAndSilentAtZero)
{
    ASSERT_EQ(load_match_effects(), 1);
    play_effect(10, 0, 0); // the kick: 0 means full
    const int64_t full = energy(mix(512));
    EXPECT_GT(full, 0);
    stop_effect(10);
    mix(4096);
    play_effect(10, 0, 32);
    const int64_t quiet = energy(mix(512));
    EXPECT_GT(quiet, 0);
    EXPECT_LT(quiet, full);
    stop_effect(10);
    mix(4096);
    active_sound_levels.sfx_volume = 0;
    play_effect(10, 0, 127);
    EXPECT_EQ(energy(mix(512)), 0) << "a setting of 0 is silence, not full";
}

TEST_F(MatchSoundTest, AScheduledEffectWaitsItsTicks)
{
    ASSERT_EQ(load_match_effects(), 1);
    schedule_effect(12, 0, 127, 0, 0, 3);
    service_scheduled_effect();
    service_scheduled_effect();
    EXPECT_EQ(energy(mix(256)), 0);
    service_scheduled_effect();
    EXPECT_EQ(match_sound.scheduled.delay, -1);
    EXPECT_GT(energy(mix(256)), 0);
}

TEST_F(MatchSoundTest, TheCrowdFollowsTheBallWithoutJumps)
{
    ASSERT_EQ(start_crowd_loops(), 1);
    crowd_react(3);
    // The loop comes in at the crowd's volume, 0 (about -50 dB), not at full.
    const int64_t at_start = energy(mix(256));
    ball_state.x = 12288 << 16;
    match_globals.ticks_last_frame = 3;
    const int32_t level = ((127 + 1) * (12288 / 768 + 97) * 127) >> 14;
    int32_t previous = match_sound.crowd.volume;
    for (int i = 0; i < 40; ++i) {
        crowd_react(-3);
        EXPECT_LE(match_sound.crowd.volume - previous, 6);
        previous = match_sound.crowd.volume;
    }
    EXPECT_EQ(match_sound.crowd.volume, level);
    EXPECT_EQ(match_sound.crowd.frequency, 12288 / 8 + 20715);
    EXPECT_GT(energy(mix(256)), 50 * at_start);
}

TEST_F(MatchSoundTest, StoppingTheCrowdTwiceIsHarmless)
{
    ASSERT_EQ(start_crowd_loops(), 1);
    crowd_react(3);
    crowd_react(-1);
    EXPECT_EQ(match_sound.crowd.mode, CROWD_STOPPED);
    match_sound.crowd.volume = 9;
    crowd_react(-1);
    EXPECT_EQ(match_sound.crowd.volume, 0);
    mix(8192);
    EXPECT_EQ(energy(mix(512)), 0);
}

TEST_F(MatchSoundTest, RivalRegionsBooAndNeighboursCheer)
{
    ASSERT_EQ(load_match_effects(), 1);
    ASSERT_EQ(start_crowd_loops(), 1);
    struct Case {
        int8_t home, away;
        int32_t flag;
        bool boo;
    } cases[] = {
        {0, 2, 1, true},   // regions 1 and 2
        {0, 1, 1, false},  // both region 1
        {0, 2, 0, false},  // no flag: a cheer
    };
    for (const Case& c : cases) {
        game_settings.home_team = c.home;
        game_settings.away_team = c.away;
        crowd_react_to_play(0, c.flag);
        std::vector<int16_t> out = mix(256);
        EXPECT_EQ(out[10] < 0, c.boo) << int(c.home) << " " << int(c.away) << " " << c.flag;
        for (int id = 14; id <= 18; ++id) stop_effect(id);
        mix(8192);
    }
    crowd_react_to_play(1, 1);
    EXPECT_EQ(energy(mix(256)), 0) << "only event 0 reacts";
}

} // namespace
