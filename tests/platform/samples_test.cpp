#include "sound_fixtures.h"
#include "host/host_test_hooks.h"

#include "platform/files.h"
#include "platform/settings_targets.h"

#include <cstdlib>
#include <cstring>

namespace {

using namespace fixtures;

const HostSoundFormat MONO16{1, 16, 22050};
constexpr uint8_t PCM16 = SAMPLE_16BIT;
constexpr uint8_t ADPCM16 = SAMPLE_16BIT | SAMPLE_ADPCM;

uint32_t g_now = 0;
uint32_t fake_clock() { return g_now; }

int32_t install(const std::vector<uint8_t>& image, int32_t slot = -1)
{
    return install_sample(image.data(), static_cast<uint32_t>(image.size()), slot, 7);
}

std::vector<int16_t> decoded(const std::vector<uint8_t>& adpcm)
{
    std::vector<int16_t> out(adpcm.size() * 2);
    decode_adpcm(adpcm.data(), out.data(), static_cast<uint32_t>(out.size()));
    return out;
}

TEST(VolumeTable, HundredthsOfADecibelFromQuietestToFull)
{
    host_sound_set_manual_output(true);
    ASSERT_EQ(init_direct_sound(), 0);
    EXPECT_EQ(volume_table[0], -4961);
    EXPECT_EQ(volume_table[63], -2500);
    EXPECT_EQ(volume_table[126], -40);
    EXPECT_EQ(volume_table[127], 0);
    for (int i = 1; i < 128; ++i) EXPECT_GT(volume_table[i], volume_table[i - 1]) << i;
    shutdown_direct_sound();
    host_sound_set_manual_output(false);
}

TEST(DecodeAdpcm, KnownVectors)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> in;
        uint32_t count;
        std::vector<int16_t> expected;
    };
    const Case cases[] = {
        // 7: 0 + 7 + 3 + 1 = 11, index to 8; 0: 16 >> 3 = 2; 0: 14 >> 3 = 1; 8: -(13 >> 3).
        {"high nibble first, step taken before the index moves", {0x70, 0x08}, 4, {11, 13, 14, 13}},
        {"an odd count stops after a high nibble", {0x70, 0x08}, 3, {11, 13, 14, 0}},
        {"down, then a zero nibble adds", {0xF0}, 2, {-11, -9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int16_t> out(c.expected.size(), 0);
        decode_adpcm(c.in.data(), out.data(), c.count);
        EXPECT_EQ(out, c.expected);
    }
    // Held at both ends; the index stays in the table.
    std::vector<uint8_t> up(60, 0x77), down(60, 0xFF);
    EXPECT_EQ(decoded(up).back(), 32767);
    EXPECT_EQ(decoded(down).back(), -32768);
    // Every call starts again from predictor 0 and index 0.
    EXPECT_EQ(decoded({0x70, 0x08}), decoded({0x70, 0x08}));
    EXPECT_EQ(decoded({0x70})[0], 11);
}

class Samples : public SoundTest {};

TEST_F(Samples, PlaysAnInstalledSampleSampleForSample)
{
    std::vector<int16_t> sound = ramp(300);
    int32_t slot = install(sample_image(22050, PCM16, pcm16(sound)));
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(sample_slots[slot].tag, 7u);
    // Volume 0 plays at full volume.
    EXPECT_EQ(play_sample(slot, -1, 0, 0, 0, 0), 0);
    std::vector<int16_t> out = mix(310);
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), out.begin()));
    EXPECT_EQ(out[305], 0);
}

TEST_F(Samples, VolumeFrequencyAndPanReachTheVoice)
{
    const std::vector<uint8_t> bytes = pcm16(ramp(200, -3000, 29));
    const int32_t slot = install(sample_image(22050, PCM16, bytes));
    struct Case {
        const char* what;
        std::function<void()> play;
        HostSoundFormat format;
        int32_t volume, pan;
        uint32_t frequency;
    };
    const Case cases[] = {
        {"volume 63", [&] { play_sample(slot, 0, 0, 63, 0, 0); }, MONO16, -2500, 0, 22050},
        {"volume above 127 is full", [&] { play_sample(slot, 0, 0, 200, 0, 0); }, MONO16, 0, 0, 22050},
        {"volume is its low byte", [&] { play_sample(slot, 0, 0, 256 + 63, 0, 0); }, MONO16, -2500, 0, 22050},
        {"set volume 0 is the quietest",
         [&] {
             play_sample(slot, 0, 0, 127, 0, 0);
             set_sample_volume(slot, 0, 0);
         },
         MONO16, -4961, 0, 22050},
        {"frequency 50 plays at 100", [&] { play_sample(slot, 0, 50, 127, 0, 0); }, MONO16, 0, 0, 100},
        {"frequency 0 keeps the buffer's",
         [&] {
             set_sample_frequency(slot, 0, 44100);
             play_sample(slot, 0, 0, 127, 0, 0);
         },
         MONO16, 0, 0, 44100},
        {"frequency above the top is held", [&] { play_sample(slot, 0, 200000, 127, 0, 0); }, MONO16, 0, 0, 100000},
        {"pan 0 keeps the pan",
         [&] {
             set_sample_pan(slot, 0, -10000);
             play_sample(slot, 0, 22050, 127, 0, 0);
         },
         MONO16, 0, -10000, 22050},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.play();
        std::vector<int16_t> got = mix(220);
        stop_sample(slot);
        HostSoundBuffer* o = oracle(bytes, c.format, c.volume, c.pan);
        host_sound_set_frequency(o, c.frequency);
        EXPECT_EQ(got, hear_oracle(o, 220));
    }
}

TEST_F(Samples, PanChangesSidesAtSixtyFour)
{
    const std::vector<uint8_t> bytes = pcm16(std::vector<int16_t>(50, 20000));
    const int32_t slot = install(sample_image(22050, PCM16, bytes));
    auto level = [&](uint32_t pan) {
        play_sample(slot, 0, 0, 127, pan, 0);
        return mix(1)[0];
    };
    // Far to either side is quiet on the mono output; near the middle loud.
    EXPECT_LT(level(1), 11000);
    EXPECT_LT(level(127), 11000);
    EXPECT_GT(level(63), 19000);
    EXPECT_GT(level(64), 19000);
    EXPECT_EQ(level(200), level(127)) << "held to 127";
}

TEST_F(Samples, AFourthPlayCutsTheVoiceStartedFirst)
{
    host_set_clock(fake_clock);
    const std::vector<int16_t> sound = ramp(400);
    const int32_t slot = install(sample_image(22050, PCM16, pcm16(sound)));
    int32_t voices[3];
    for (int i = 0; i < 3; ++i) {
        g_now = 100 * (i + 1);
        voices[i] = play_sample(slot, -1, 0, 127, 0, 1);
        mix(10);
    }
    EXPECT_EQ(voices[0], 0);
    EXPECT_EQ(voices[1], 1);
    EXPECT_EQ(voices[2], 2);
    g_now = 400;
    EXPECT_EQ(play_sample(slot, -1, 0, 127, 0, 1), 0);
    // Voice 0 starts again; 1 and 2 are 20 and 10 frames in.
    EXPECT_EQ(mix(1)[0], sound[0] + sound[20] + sound[10]);
    g_now = 500;
    EXPECT_EQ(play_sample(slot, -1, 0, 127, 0, 1), 1) << "now voice 1 is the oldest";

    // Equal start times: the lowest voice.
    for (int i = 0; i < 3; ++i) sample_slots[slot].voice_start[i] = 50;
    EXPECT_EQ(play_sample(slot, -1, 0, 127, 0, 1), 0);
    // A free voice is taken before any is cut.
    host_sound_stop(sample_slots[slot].voice[2]);
    EXPECT_EQ(play_sample(slot, -1, 0, 127, 0, 0), 2);
}

TEST_F(Samples, AGivenVoiceWithoutABufferIsMadeNotMissed)
{
    const std::vector<int16_t> sound = ramp(50);
    const int32_t slot = install(sample_image(22050, PCM16, pcm16(sound)));
    EXPECT_EQ(play_sample(slot, 2, 0, 127, 0, 0), 2);
    EXPECT_EQ(mix(1)[0], sound[0]);
    EXPECT_EQ(play_sample(slot, 3, 0, 127, 0, 0), -1) << "no such voice";
}

TEST_F(Samples, AdpcmSampleIsDecodedWhenPlayed)
{
    const std::vector<uint8_t> adpcm = {0x70, 0x08, 0x31, 0x9A, 0x44, 0x0C, 0x25, 0x77};
    const int32_t slot = install(sample_image(22050, ADPCM16, adpcm));
    EXPECT_EQ(sample_slots[slot].voice[0], nullptr) << "nothing decoded until played";
    EXPECT_EQ(play_sample(slot, -1, 0, 127, 0, 0), 0);
    std::vector<int16_t> want = decoded(adpcm);
    want.push_back(0);
    EXPECT_EQ(mix(17), want);
    EXPECT_EQ(decoded_entries[sample_slots[slot].decoded_entry].owner, slot);
}

TEST_F(Samples, AllDecodedEntriesSoundingLeavesNothingToPlay)
{
    std::vector<uint8_t> adpcm(16, 0x11);
    for (int32_t slot = 0; slot <= DECODED_ENTRY_COUNT; ++slot) install(sample_image(22050, ADPCM16, adpcm), slot);
    for (int32_t slot = 0; slot < DECODED_ENTRY_COUNT; ++slot) ASSERT_EQ(play_sample(slot, -1, 0, 127, 0, 1), 0);
    EXPECT_EQ(play_sample(DECODED_ENTRY_COUNT, -1, 0, 127, 0, 0), -1);
    // Once one of them stops, its entry is taken.
    stop_sample(5);
    EXPECT_EQ(play_sample(DECODED_ENTRY_COUNT, -1, 0, 127, 0, 0), 0);
    EXPECT_EQ(sample_slots[DECODED_ENTRY_COUNT].decoded_entry, 5);
    EXPECT_EQ(sample_slots[5].decoded_entry, -1);
}

// A slot whose decoded entry was taken over must neither play the new
// owner's sound nor free it.
TEST_F(Samples, ATakenDecodedEntryLeavesItsOldOwner)
{
    const std::vector<uint8_t> a = {0x31, 0x31, 0x31, 0x31}, b = {0x13, 0x9B, 0x13, 0x9B, 0x13, 0x9B};
    const int32_t slot_a = install(sample_image(22050, ADPCM16, a));
    const int32_t slot_b = install(sample_image(22050, ADPCM16, b));
    play_sample(slot_a, -1, 0, 127, 0, 0);
    mix(20); // a has ended
    play_sample(slot_b, -1, 0, 127, 0, 1);
    EXPECT_EQ(sample_slots[slot_b].decoded_entry, 0) << "a's stopped entry is taken";

    play_sample(slot_a, -1, 0, 127, 0, 0);
    const std::vector<int16_t> da = decoded(a), db = decoded(b);
    std::vector<int16_t> out = mix(8);
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], da[i] + db[i % db.size()]) << i;

    free_sample(slot_a);
    out = mix(12);
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], db[(8 + i) % db.size()]) << "b plays on, " << i;
    EXPECT_EQ(host_sound_buffer_count(), 2u) << "b's decoded sound and its voice";
    free_sample(slot_b);
    EXPECT_EQ(host_sound_buffer_count(), 0u);
}

TEST_F(Samples, ImageByteCountIsCheckedAgainstTheImage)
{
    const int32_t kept = install(sample_image(22050, PCM16, pcm16(ramp(8))), 3);
    std::vector<uint8_t> longer_than_image = sample_image(22050, PCM16, pcm16(ramp(8)));
    longer_than_image[0] = 17;
    std::vector<uint8_t> adpcm_too_long = sample_image(22050, ADPCM16, {1, 2, 3});
    adpcm_too_long[1] = 1; // 259 bytes claimed
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
    };
    const Case cases[] = {
        {"count past the end", longer_than_image},
        {"ADPCM count past the end", adpcm_too_long},
        {"shorter than its header", {4, 0, 0, 0, 0x22}},
        {"nothing in it", sample_image(22050, PCM16, {})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expect_fatal(216, "install_sample", [&] { install(c.image, kept); });
        EXPECT_NE(sample_slots[kept].voice[0], nullptr) << "the slot is left as it was";
        EXPECT_EQ(host_sound_buffer_count(), 1u);
    }
}

TEST_F(Samples, LoadsAWavFile)
{
    const std::vector<uint8_t> data = {10, 50, 128, 200, 255, 0, 90};
    write_file("bounce.wav", kit_wav(1, 11025, 8, data));
    const int32_t slot = load_sample("bounce.wav", -1, 2);
    ASSERT_EQ(slot, 0);
    play_sample(slot, -1, 0, 127, 0, 0);
    std::vector<int16_t> got = mix(16);
    EXPECT_EQ(got, hear_oracle(oracle(data, HostSoundFormat{1, 8, 11025}, 0), 16));

    // A given slot is freed first.
    EXPECT_EQ(load_sample("bounce.wav", slot, 2), slot);
    EXPECT_EQ(host_sound_buffer_count(), 1u);
}

TEST_F(Samples, LoadFailuresAreFatal)
{
    write_file("adpcm.wav", wav_non_pcm(kit_wav(1, 22050, 16, {1, 2, 3, 4}), 17, 0));
    write_file("broken.wav", {'R', 'I', 'F', 'F', 1, 0, 0, 0});
    write_file("empty.wav", {});
    write_file("no_sound.wav", kit_wav(1, 22050, 16, {}));

    expect_fatal(215, "missing.wav", [] { load_sample("missing.wav", -1, 0); });
    expect_fatal(215, "broken.wav", [] { load_sample("broken.wav", -1, 0); });
    std::vector<uint8_t> cut = kit_wav(1, 22050, 16, {1, 2, 3, 4, 5, 6});
    cut.resize(cut.size() / 2);
    write_file("cut.wav", cut);
    expect_fatal(215, "cut.wav (" + data_file_on_disk("cut.wav") + ")\nnot a RIFF WAVE file", [] { load_sample("cut.wav", -1, 0); });
    expect_fatal(215, "empty.wav", [] { load_sample("empty.wav", -1, 0); });
    expect_fatal(216, "load_sample", [] { load_sample("adpcm.wav", -1, 0); });
    expect_fatal(216, "load_sample", [] { load_sample("no_sound.wav", -1, 0); }); // no buffer of no bytes
    expect_fatal(217, "load_sample", [] { load_sample("adpcm.wav", SAMPLE_SLOT_COUNT, 0); });
}

TEST_F(Samples, SlotsRunOut)
{
    const std::vector<uint8_t> image = sample_image(22050, PCM16, pcm16(ramp(4)));
    for (int32_t i = 0; i < SAMPLE_SLOT_COUNT; ++i) ASSERT_EQ(install(image), i);
    expect_fatal(217, "", [&] { install(image); });
    free_sample(200);
    EXPECT_EQ(first_free_sample_slot(), 200);
}

TEST_F(Samples, MissingSamplesAndVoices)
{
    expect_fatal(218, "play_sample", [] { play_sample(4, -1, 0, 127, 0, 0); });
    expect_fatal(218, "set_sample_volume", [] { set_sample_volume(4, 0, 100); });
    expect_fatal(218, "set_sample_frequency", [] { set_sample_frequency(-1, 0, 100); });
    const int32_t slot = install(sample_image(22050, PCM16, pcm16(ramp(4))));
    // Voices outside 0..2, or not made yet, are left alone.
    set_sample_volume(slot, 5, 10);
    set_sample_pan(slot, 1, 100);
    stop_sample(SAMPLE_SLOT_COUNT);
    free_sample(-3);
    EXPECT_EQ(host_sound_buffer_count(), 1u);
}

TEST_F(Samples, FreeSampleReportsAFailedStatusAsItself)
{
    const int32_t slot = install(sample_image(22050, PCM16, pcm16(ramp(4))));
    host_sound_release(sample_slots[slot].voice[0]); // behind the slot's back
    expect_fatal(215, "free_sample", [&] { free_sample(slot); });
    sample_slots[slot].voice[0] = nullptr;
}

TEST_F(Samples, FreeingReleasesEveryBufferAndBlock)
{
    const int32_t pcm = install(sample_image(22050, PCM16, pcm16(ramp(40))));
    const int32_t adpcm = install(sample_image(22050, ADPCM16, {1, 2, 3, 4}));
    for (int i = 0; i < 3; ++i) play_sample(pcm, -1, 0, 127, 0, 1), play_sample(adpcm, -1, 0, 127, 0, 1);
    EXPECT_EQ(host_sound_buffer_count(), 7u);
    free_sample(pcm);
    free_sample(adpcm);
    EXPECT_EQ(host_sound_buffer_count(), 0u);
    EXPECT_EQ(first_free_sample_slot(), 0);
    EXPECT_EQ(sample_slots[adpcm].adpcm_data, nullptr);
    EXPECT_EQ(decoded_entries[0].owner, -1);
    EXPECT_EQ(mix(4), std::vector<int16_t>(4, 0));
}

TEST(NoSoundDevice, EverySampleCallDoesNothing)
{
    ScopedEnv no_device("SDL_AUDIODRIVER", "no_such_driver");
    EXPECT_EQ(init_direct_sound(), 1);
    EXPECT_EQ(sound_available, 0u);
    EXPECT_EQ(play_sample(0, -1, 0, 127, 77, 0), -1) << "no voice, not the pan";
    EXPECT_EQ(load_sample("anything.wav", -1, 0), -1);
    set_sample_volume(0, 0, 10);
    stop_sample(0);
    free_sample(0);
    EXPECT_NE(open_stream_wav("anything.wav"), 0);
    shutdown_direct_sound();
}

TEST(SoundSettings, ReachTheLevelsTheGameReads)
{
    apply_sound_settings(1, 0, 1, 100, 0x1FF, 127);
    EXPECT_EQ(active_sound_levels.commentary, 1u);
    EXPECT_EQ(active_sound_levels.sfx, 0u);
    EXPECT_EQ(active_sound_levels.crowd, 1u);
    EXPECT_EQ(active_sound_levels.commentary_volume, 100);
    EXPECT_EQ(active_sound_levels.sfx_volume, 0xFF) << "the low byte";
    EXPECT_EQ(active_sound_levels.crowd_volume, 127);
}

} // namespace
