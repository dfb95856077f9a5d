#include "sound_fixtures.h"

#include "platform/memory.h"
#include "platform/wave_file.h"

namespace {

using namespace fixtures;

// Offsets in the bytes wav_bytes makes.
constexpr size_t RIFF_SIZE = 4, FORM = 8, FMT_SIZE = 16, FMT_TAG = 20, FMT_END = 36;

std::vector<uint8_t> with_fmt_extra(std::vector<uint8_t> bytes, uint16_t extra_size)
{
    bytes.insert(bytes.begin() + FMT_END, {static_cast<uint8_t>(extra_size), static_cast<uint8_t>(extra_size >> 8)});
    bytes[FMT_SIZE] = 18;
    bytes[RIFF_SIZE] += 2;
    return bytes;
}

class WaveFiles : public SoundTest {};

TEST_F(WaveFiles, OpensAndReadsTheData)
{
    WavParts wav;
    wav.channels = 2;
    wav.rate = 11025;
    wav.data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    wav.before_data = {{"LIST", {'a', 'b', 'c'}}, {"fact", {0, 0, 0, 0}}}; // an odd chunk has a pad byte
    write_file("talk.wav", wav_bytes(wav));

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
    EXPECT_TRUE(std::equal(wav.data.begin(), wav.data.end(), out));
    wave_read_file(&f, out, 4, &got);
    EXPECT_EQ(got, 0u);
    wave_close_file(&f);
    EXPECT_EQ(f.image, nullptr);

    WaveFormat format{};
    uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(wave_load_file("talk.wav", &format, &data, &size), WAVE_OK);
    EXPECT_EQ(size, 12u);
    EXPECT_TRUE(std::equal(wav.data.begin(), wav.data.end(), data));
    EXPECT_EQ(format.samples_per_sec, 11025u);
    free_mem(data);
}

TEST_F(WaveFiles, BadFilesGiveTheirResult)
{
    WavParts good;
    good.data = {1, 2, 3, 4};
    const std::vector<uint8_t> base = wav_bytes(good);
    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = base;
        b[at] = value;
        return b;
    };
    WavParts non_pcm = good;
    non_pcm.tag = 17;
    WavParts lying_chunk = good;
    lying_chunk.before_data = {{"JUNK", {1, 2}}};
    std::vector<uint8_t> junk = wav_bytes(lying_chunk);
    junk[FMT_END + 4] = 0xF0; // JUNK claims more than the file holds
    std::vector<uint8_t> long_data = base;
    long_data[FMT_END + 4] = 200;
    ByteWriter no_fmt;
    no_fmt.raw("RIFF", 4), no_fmt.u32(16), no_fmt.raw("WAVEdata", 8), no_fmt.u32(4), no_fmt.u32(0);
    ByteWriter no_data;
    no_data.raw("RIFF", 4), no_data.u32(28), no_data.raw("WAVEfmt ", 8), no_data.u32(16);
    no_data.raw(base.data() + FMT_TAG, 16);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t open, data; // results of opening, then of finding the data
    };
    const Case cases[] = {
        {"not RIFF", patched(0, 'X'), WAVE_NOT_WAVE, 0},
        {"not WAVE", patched(FORM, 'X'), WAVE_NOT_WAVE, 0},
        {"RIFF longer than the file", patched(RIFF_SIZE, 200), WAVE_NOT_WAVE, 0},
        {"too short for a header", {'R', 'I', 'F', 'F', 4, 0}, WAVE_NOT_WAVE, 0},
        {"no fmt chunk", no_fmt.bytes, WAVE_NOT_WAVE, 0},
        {"fmt shorter than 16", patched(FMT_SIZE, 14), WAVE_NOT_WAVE, 0},
        {"non-PCM without its extra size", wav_bytes(non_pcm), WAVE_BAD_FORMAT, 0},
        {"non-PCM extra past its chunk", with_fmt_extra(wav_bytes(non_pcm), 5), WAVE_BAD_FORMAT, 0},
        {"non-PCM with its extra size", with_fmt_extra(wav_bytes(non_pcm), 0), WAVE_OK, WAVE_OK},
        {"no data chunk", no_data.bytes, WAVE_OK, WAVE_CANNOT_READ},
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
    write_file("empty.wav", wav_bytes(WavParts{}));
    EXPECT_EQ(wave_load_file("empty.wav", &format, &data, &size), WAVE_CANNOT_READ);
    EXPECT_EQ(data, nullptr);
}

} // namespace
