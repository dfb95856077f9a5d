// A goal heard through the mixer: a headless match scores, and the crowd's
// loop, the crowd's cheer and the commentator are heard together, each told
// apart in the mixed output by a pitch of its own.
#include "platform/sound_fixtures.h"

#include "display/commentary.h"
#include "display/commentary_groups.h"
#include "display/hud.h"
#include "display/match_sound.h"
#include "lib/adpcm_write.h"
#include "match/ball.h"
#include "match/match_driver.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "players/man_queries.h"

#include <cstring>

namespace {

using namespace fixtures;

constexpr double CROWD_HZ = 210, CHEER_HZ = 700, OTHER_EFFECT_HZ = 1500, VOICE_HZ = 1100;

std::vector<int16_t> tone(size_t n, double hz, int amplitude = 6000)
{
    std::vector<int16_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<int16_t>(amplitude * std::sin(6.283185307179586 * hz * static_cast<double>(i) / HOST_SOUND_RATE));
    return v;
}

// The strength of one pitch in a stretch of the mix (Goertzel).
double strength(const std::vector<int16_t>& v, size_t from, size_t n, double hz)
{
    const double k = 2 * std::cos(6.283185307179586 * hz / HOST_SOUND_RATE);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + n && i < v.size(); ++i) {
        const double s = v[i] + k * s1 - s2;
        s2 = s1, s1 = s;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) / static_cast<double>(n);
}

class GoalSound : public SoundTest {
protected:
    void SetUp() override
    {
        // The match first, from the kit's data; then the sounds from a scratch directory.
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
        for (controller_record& c : controllers) c.side = 0;
        headless_match_setup(MatchRunSettings{});
        SoundTest::SetUp();
        reset_match_sound();
        reset_commentary();
        active_sound_levels = ActiveSoundLevels{1, 1, 1, 127, 127, 127};
        fs::create_directories(dir / "KOB99_SFX");
        for (int id = 0; id < MATCH_EFFECT_COUNT; ++id) {
            const bool cheer = id >= 14 && id <= 16;
            write_file(std::string("KOB99_SFX/") + match_effects[id].file + ".LKA",
                       kit_adpcm_sample(tone(22050, cheer ? CHEER_HZ : OTHER_EFFECT_HZ)));
        }
        // 40 whole periods: the loop joins without a click.
        write_file("KOB99_SFX/CROWD.WAV", kit_wav_mono16(22050, tone(4200, CROWD_HZ)));
        // Whatever a goal may have said of it, in one voice.
        std::vector<int32_t> groups = {49, 56, 57, 214, 217, 218, 126, 127, 129, 130, 131, 132};
        for (int32_t g = 298; g <= 313; ++g) groups.push_back(g);
        for (int32_t g : groups)
            for (int32_t i = 0; i < phrase_group(g).count; ++i) {
                const char* n = phrase_group(g).names[i];
                write_file("KOB99_SFX/" + std::string(n, strnlen(n, PHRASE_NAME_SIZE - 1)) + ".LKA",
                           kit_adpcm_sample(tone(11025, VOICE_HZ)));
            }
        install_hud_hooks();
    }
    void TearDown() override
    {
        stop_crowd_loops();
        free_match_effects();
        free_commentary();
        reset_commentary();
        reset_match_sound();
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
        SoundTest::TearDown();
    }
    // One tick of the match and its share of the mixed output.
    void tick(std::vector<int16_t>& out)
    {
        headless_match_tick();
        const std::vector<int16_t> part = mix(HOST_SOUND_RATE / 62);
        out.insert(out.end(), part.begin(), part.end());
    }
};

TEST_F(GoalSound, AGoalIsHeardWithTheCrowdItsCheerAndTheCommentator)
{
    ASSERT_EQ(start_crowd_loops(), 1);
    ASSERT_EQ(load_match_effects(), 1);
    ASSERT_EQ(load_commentary(), 1);
    crowd_react(3); // the crowd starts as the match's presentation is loaded
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    // The ball is in play near the middle for a second: the crowd's level rises.
    std::vector<int16_t> before;
    ball_state.x = 0;
    for (int t = 0; t < 62; ++t) {
        m.match_state = PLAY_ON;
        tick(before);
    }
    // A kick through the second side's goal, outward.
    PlayerSlot* kicker = &team_of_side(2)->slots[4];
    m.last_kicker = kicker;
    m.ball_holder = nullptr;
    ball_state.flags = BALL_FREE;
    ball_state.x = 24600 * 65536;
    ball_state.vx = 65536;
    ball_state.z = 300 * 65536;
    ball_state.flight_flags = FLIGHT_KICKED | FLIGHT_GOAL | FLIGHT_MOVING;
    watch_score();
    ASSERT_EQ(m.match_state, GOAL);
    std::vector<int16_t> after;
    for (int t = 0; t < 31; ++t) tick(after);

    const size_t n = before.size() / 2;
    // The loop is played faster as the ball nears a goal: 20715 Hz in the
    // middle, more at the goal end.
    // Before the goal: the crowd alone.
    const double crowd_rate_mid = 20715.0 / 22050.0;
    EXPECT_GT(strength(before, n, n, CROWD_HZ * crowd_rate_mid), 100) << "the crowd's loop";
    EXPECT_LT(strength(before, n, n, CHEER_HZ), 20) << "no cheer yet";
    EXPECT_LT(strength(before, n, n, VOICE_HZ), 20) << "no commentary yet";
    // After it: the crowd at the goal end, the cheer and the voice together.
    const double crowd_rate_end = (20715.0 + 24600 / 8) / 22050.0;
    const size_t a = after.size();
    EXPECT_GT(strength(after, 0, a, CROWD_HZ * crowd_rate_end) + strength(after, 0, a, CROWD_HZ * crowd_rate_mid), 100)
        << "the crowd's loop goes on";
    EXPECT_GT(strength(after, 0, a, CHEER_HZ), 100) << "the crowd cheers the goal";
    EXPECT_GT(strength(after, 0, a, VOICE_HZ), 100) << "the commentator calls it";
}

} // namespace
