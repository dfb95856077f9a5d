#include "sound_fixtures.h"

#include "platform/memory.h"
#include "platform/wave_file.h"

namespace {

using namespace fixtures;

class WaveFiles : public SoundTest {};

TEST_F(WaveFiles, OpensAndReadsTheData)
{
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    // Chunks the reader must step over; an odd chunk has a pad byte.
    write_file("talk.wav", wav_with_chunk(wav_with_chunk(kit_wav(2, 11025, 16, data), "fact", {0, 0, 0, 0}), "LIST",
                                          {'a', 'b', 'c'}));

    WaveFile f;
    ASSERT_EQ(wave_open_file("talk.wav", &f), WAVE_OK);
    EXPECT_EQ(f.format.format_tag, WAVE_FORMAT_PCM);
    EXPECT_EQ(f.format.channels, 2);
    EXPECT_EQ(f.format.samples_per_sec, 11025u);
    EXPECT_EQ(f.format.avg_bytes_per_sec, 44100u);
    EXPECT_EQ(f.format.block_align, 4);
    EXPECT_EQ(f.format.bits_per_sample, 16);
    ASSERT_EQ(wave_start_data_read(&f), WAVE_OK);
    EXPECT_EQ(f.data_size, 12u);
    uint8_t out[16] = {};
    uint32_t got = 0;
    wave_read_file(&f, out, 5, &got);
    EXPECT_EQ(got, 5u);
    wave_read_file(&f, out + 5, 16, &got);
    EXPECT_EQ(got, 7u) << "a read stops at the end of the data";
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out));
    wave_read_file(&f, out, 4, &got);
    EXPECT_EQ(got, 0u);
    wave_close_file(&f);
    EXPECT_EQ(f.image, nullptr);

    WaveFormat format{};
    uint8_t* loaded = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(wave_load_file("talk.wav", &format, &loaded, &size), WAVE_OK);
    EXPECT_EQ(size, 12u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), loaded));
    EXPECT_EQ(format.samples_per_sec, 11025u);
    free_mem(loaded);
}

TEST_F(WaveFiles, BadFilesGiveTheirResult)
{
    const std::vector<uint8_t> base = kit_wav(1, 22050, 16, {1, 2, 3, 4});
    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = base;
        b[at] = value;
        return b;
    };
    std::vector<uint8_t> non_pcm = base;
    put_u16(non_pcm, WAV_FMT_TAG, 17);
    std::vector<uint8_t> junk = wav_with_chunk(base, "JUNK", {1, 2});
    put_u32(junk, WAV_FMT_END + 4, 0xF0); // JUNK claims more than the file holds
    std::vector<uint8_t> long_data = base;
    put_u32(long_data, WAV_DATA_SIZE, 200);
    std::vector<uint8_t> greedy = base; // 223,000,000 bytes a second at 22,050 Hz
    put_u32(greedy, WAV_BYTES_A_SECOND, 223000000);
    std::vector<uint8_t> no_block = base;
    put_u16(no_block, WAV_BYTES_A_SECOND + 4, 0);
    put_u32(no_block, WAV_BYTES_A_SECOND, 0);
    const std::vector<uint8_t> no_fmt = wav_spliced(base, 12, WAV_FMT_END - 12);
    const std::vector<uint8_t> no_data = wav_spliced(base, WAV_FMT_END, base.size() - WAV_FMT_END);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t open, data; // results of opening, then of finding the data
    };
    const Case cases[] = {
        {"not RIFF", patched(0, 'X'), WAVE_NOT_WAVE, 0},
        {"not WAVE", patched(WAV_FORM, 'X'), WAVE_NOT_WAVE, 0},
        {"RIFF longer than the file", patched(WAV_RIFF_SIZE, 200), WAVE_NOT_WAVE, 0},
        {"too short for a header", {'R', 'I', 'F', 'F', 4, 0}, WAVE_NOT_WAVE, 0},
        {"an empty file", {}, WAVE_NOT_WAVE, 0},
        {"no fmt chunk", no_fmt, WAVE_NOT_WAVE, 0},
        {"fmt shorter than 16", patched(WAV_FMT_SIZE, 14), WAVE_NOT_WAVE, 0},
        {"bytes a second not rate x block", greedy, WAVE_BAD_FORMAT, 0},
        {"a block of 0 bytes", no_block, WAVE_BAD_FORMAT, 0},
        {"non-PCM without its extra size", non_pcm, WAVE_BAD_FORMAT, 0},
        {"non-PCM extra past its chunk", wav_non_pcm(base, 17, 5), WAVE_BAD_FORMAT, 0},
        {"non-PCM with its extra size", wav_non_pcm(base, 17, 0), WAVE_OK, WAVE_OK},
        {"no data chunk", no_data, WAVE_OK, WAVE_CANNOT_READ},
        {"a chunk past the end before the data", junk, WAVE_OK, WAVE_CANNOT_READ},
        {"data past the end", long_data, WAVE_OK, WAVE_CANNOT_READ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_file("case.wav", c.bytes);
        WaveFile f;
        ASSERT_EQ(wave_open_file("case.wav", &f), c.open);
        if (c.open != WAVE_OK) {
            EXPECT_EQ(f.image, nullptr) << "a failed open keeps nothing";
            continue;
        }
        EXPECT_EQ(wave_start_data_read(&f), c.data);
        wave_close_file(&f);
    }
    WaveFile f;
    EXPECT_EQ(wave_open_file("absent.wav", &f), WAVE_CANNOT_OPEN);
    WaveFormat format;
    uint8_t* data = nullptr;
    uint32_t size = 0;
    // An empty data chunk reads as no sound, in no block.
    write_file("no_sound.wav", kit_wav(1, 22050, 16, {}));
    EXPECT_EQ(wave_load_file("no_sound.wav", &format, &data, &size), WAVE_OK);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

} // namespace
