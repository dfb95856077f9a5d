// The sound library from its public calls down: channels and patch headers,
// the packet player, streams fed from a STREAM, and start-up over the
// outside library, heard through a capture device on a virtual clock.
#include "cmn/cpu.h"
#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "lib/mad_write.h"
#include "mix/bits9.h"
#include "mix/mixer.h"
#include "mix/outlib.h"
#include "mix/pktplay.h"
#include "mix/sndint.h"
#include "host/host_test_hooks.h"
#include "win/grfreq.h"
#include "win/timer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// ---- channels and patch headers -------------------------------------

// On the plain kernel set, whatever an earlier test detected.
class Channels : public ::testing::Test {
protected:
    void SetUp() override
    {
        sndlibreset();
        sndstate.channelcount = 16;
        libcpu.mmx = false;
        iSNDmixinit(8 | 0x800, iSNDfreechan);
    }
    void TearDown() override
    {
        sndlibreset();
        libcpu = saved;
    }
    ProcessorRecord saved = libcpu;
    AbortCatcher aborts;
};

Bytes header(std::initializer_list<uint8_t> tags, uint8_t fourth = 0)
{
    Bytes h{'P', 'T', 0, fourth};
    if (fourth & 2) h.insert(h.end(), {0, 0, 0, 0});
    h.insert(h.end(), tags);
    return h;
}

TEST_F(Channels, PatchHeadersReadTheirTagsWithinTheChunk)
{
    struct Case {
        const char* what;
        Bytes patch;
        int32_t result;
        uint16_t rate, representation;
        int32_t frames, mask;
    };
    const Case cases[] = {
        {"no tags", header({0xFF}), 0, 22050, 1, 0, -1},
        {"8-bit stereo", header({0x81, 1, 8, 0x82, 1, 2, 0x84, 4, 0, 0, 0x2B, 0x11, 0xFF}), 0, 11025, 2 << 2 | 2, 0, -1},
        {"44100 in two bytes", header({0x84, 2, 0xAC, 0x44, 0xFF}), 0, 44100, 1, 0, -1},
        {"long preamble, fill, markers", header({0xFC, 0xFD, 0xFE, 0x85, 4, 0, 1, 0, 0, 0xFF}, 2), 0, 22050, 1, 65536, -1},
        {"compression 7 and a mask", header({0x83, 1, 7, 0x05, 4, 0, 0, 0, 3, 0xFF}), 0, 22050, 3 << 2 | 1, 0, 3},
        {"a value over 4 bytes keeps its low bytes", header({0x85, 6, 9, 9, 0, 0, 1, 0, 0xFF}), 0, 22050, 1, 256, -1},
        {"no end tag: the chunk ends it", header({0x85, 1, 5}), 0, 22050, 1, 5, -1},
        {"a value past the chunk is ignored", header({0x85, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 1}), 0, 22050, 1, 0, -1},
        {"rate 0 is refused", header({0x84, 4, 0, 1, 0, 0, 0xFF}), -15, 0, 0, 0, -1},
        {"unknown compression", header({0x83, 1, 4, 0xFF}), -15, 0, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SndSampleFormat f{};
        SndVoiceParams v{};
        int32_t frames = -1;
        EXPECT_EQ(iSNDpatchtohdr(c.patch.data(), static_cast<uint32_t>(c.patch.size()), &f, &v, &frames), c.result);
        if (c.result) continue;
        EXPECT_EQ(f.rate, c.rate);
        EXPECT_EQ(f.representation, c.representation);
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(v.channelmask, c.mask);
        EXPECT_EQ(v.volume, 127);
    }
    SndSampleFormat s8{11025, 2 << 2 | 2}, xa{22050, 3 << 2 | 1};
    EXPECT_EQ(iSNDplatformcalcdatarate(&s8), 22050);
    EXPECT_EQ(iSNDplatformcalcdatarate(&xa), 22050 * 136 / 256);
}

TEST_F(Channels, CentsToPitchDoublesPerOctave)
{
    EXPECT_EQ(iSNDcentstopitch(0), 4096);
    EXPECT_EQ(iSNDcentstopitch(1200), 8192);
    EXPECT_EQ(iSNDcentstopitch(-1200), 2048);
    EXPECT_EQ(iSNDcentstopitch(2400), 16384);
    EXPECT_NEAR(iSNDcentstopitch(600), 4096 * 1.41421, 20);
    EXPECT_NEAR(iSNDcentstopitch(-600), 4096 / 1.41421, 20);
    EXPECT_NEAR(iSNDcentstopitch(1199), 8192, 40);
}

TEST_F(Channels, AllocationTakesTheOldestFreeThenStealsTheLeastImportant)
{
    sndstate.initialised = 1;
    int32_t ids[16];
    for (int i = 0; i < 16; ++i) {
        ASSERT_EQ(iSNDallocchan(-1, 1, 50 + i, &ids[i]), 0);
        EXPECT_EQ(ids[i] & 31, i);
    }
    // All in use: the lowest priority goes.
    int32_t stolen;
    ASSERT_EQ(iSNDallocchan(-1, 1, 90, &stolen), 0);
    EXPECT_EQ(stolen & 31, 0);
    EXPECT_EQ(iSNDvoicedone(ids[0]), 1);
    EXPECT_EQ(iSNDvoicedone(stolen), 0);
    // A mask limits the choice.
    int32_t masked;
    ASSERT_EQ(iSNDallocchan(1 << 7, 1, 90, &masked), 0);
    EXPECT_EQ(masked & 31, 7);
    // Above 102 nothing is stolen.
    sndlibreset();
    sndstate.channelcount = 16;
    sndstate.initialised = 1;
    for (int i = 0; i < 16; ++i) ASSERT_EQ(iSNDallocchan(-1, 1, 103, &ids[i]), 0);
    EXPECT_EQ(iSNDallocchan(-1, 1, 127, &stolen), -9);
    EXPECT_EQ(iSNDstopvoice(ids[4]), 0);
    EXPECT_EQ(iSNDstopvoice(ids[4]), -8);
    ASSERT_EQ(iSNDallocchan(-1, 1, 127, &stolen), 0);
    EXPECT_EQ(stolen & 31, 4);
}

TEST_F(Channels, VolumeFollowsEachPlaybackMethod)
{
    struct Case {
        const char* what;
        uint8_t method, active;
        int32_t pan;
        int8_t x, y;
        uint16_t direction;
        int8_t left, right;
    };
    const Case cases[] = {
        {"mixer, active: balance pan", 0, 1, 127, 0, 0, 0, 0, 100},
        {"mixer, inactive: angle pan of its direction", 2, 0, 64, 0, 0, 0x4000, 0, 127},
        {"3D: angle pan with the out-of-phase signs", 1, 1, 64, -10, 5, 0, -100, -100},
    };
    SndVoiceParams v{-1, 0, 0, 127, 64, 0, 0, 0};
    PlayOptions o;
    SNDplayoptsinit(&o);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        o.pan = static_cast<int8_t>(c.pan);
        sndchannelsetup(3, &v, &o);
        sndplatformvoices[3] = {22050, 16, 1, 0, c.method, c.active, {c.x, c.y}, c.direction, 0};
        iSNDvol(3, 100);
        EXPECT_EQ(sndmixvoices[3].targetleft, c.left);
        EXPECT_EQ(sndmixvoices[3].targetright, c.right);
    }
    // The 3D form keeps its results in the voice's position bytes.
    EXPECT_EQ(sndplatformvoices[3].position[0], -100);
    EXPECT_EQ(sndplatformvoices[3].position[1], -100);
    sndplatformvoices[3].method = 5;
    iSNDvol(3, 100);
    EXPECT_TRUE(aborts.saw("iSNDvol - UNSUPPORTED 3D PLAYBACK METHOD."));
}

TEST_F(Channels, PlayOptionsAreChecked)
{
    PlayOptions o;
    SNDplayoptsinit(&o);
    EXPECT_EQ(iSNDcheckplayopts(&o), 0);
    EXPECT_EQ(o.pitchscale, 4096);
    o.volume = -1;
    EXPECT_EQ(iSNDcheckplayopts(&o), -8);
    EXPECT_TRUE(aborts.saw("iSNDcheckplayopts - VOL OF -1 OUT OF RANGE 0..127."));
    SNDplayoptsinit(&o);
    o.spatial = 1;
    o.pan = -5; // not looked at for 3D
    o.elevation = 20000;
    EXPECT_EQ(iSNDcheckplayopts(&o), -8);
    EXPECT_TRUE(aborts.saw("iSNDcheckplayopts - ELEVATION OF 20000"));
}

// ---- the packet player ------------------------------------------------

std::vector<const uint8_t*> g_released;
std::vector<int32_t> g_played;
void released(const uint8_t* tag) { g_released.push_back(tag); }
void played(int32_t, int32_t frames) { g_played.push_back(frames); }

class Packets : public Channels {
protected:
    void SetUp() override
    {
        Channels::SetUp();
        sndstate.initialised = 1;
        sndstate.mastervolume = 127;
        g_released.clear();
        g_played.clear();
        memory.resize(static_cast<size_t>(SNDPKTPLAY_memrequired(30)));
        player = SNDPKTPLAY_create(memory.data(), static_cast<int32_t>(memory.size()), released, played);
        ASSERT_GE(player, 0);
        SNDplayoptsinit(&options);
    }
    int32_t start(SndSampleFormat f)
    {
        SndVoiceParams v{-1, 0, 0, 127, 64, 0, 0, 0};
        return SNDPKTPLAY_start(player, &f, &v, &options);
    }
    std::vector<uint8_t> memory;
    int32_t player = -1;
    PlayOptions options;
    uint8_t data[64][8] = {};
};

TEST_F(Packets, TheRingHoldsOneFewerThanItsSlots)
{
    ASSERT_GE(start({22050, 1}), 0);
    for (int i = 0; i < 29; ++i) {
        SndPacket p{2, data[i]};
        EXPECT_EQ(SNDPKTPLAY_submit(player, &p), i);
    }
    EXPECT_EQ(SNDPKTPLAY_submitspace(player), 0);
    SndPacket p{2, data[30]};
    EXPECT_EQ(SNDPKTPLAY_submit(player, &p), -13);
    EXPECT_EQ(SNDPKTPLAY_framesoutstanding(player), 58);
}

TEST_F(Packets, PurgingKeepsTheOthersInOrderAndStopReleasesEverything)
{
    ASSERT_GE(start({22050, 1}), 0);
    for (int i = 0; i < 5; ++i) {
        SndPacket p{4, data[i]};
        SNDPKTPLAY_submit(player, &p);
    }
    SNDPKTPLAY_purge(player, 1, 2);
    EXPECT_EQ(g_released, (std::vector<const uint8_t*>{data[1], data[2]}));
    int32_t frames;
    EXPECT_EQ(sndpktnext(player, &frames), data[0]);
    EXPECT_EQ(SNDPKTPLAY_hardwareframesoutstanding(player), 4);
    sndpktconsumed(player, 4);
    EXPECT_EQ(g_played, std::vector<int32_t>{4});
    EXPECT_EQ(sndpktnext(player, &frames), data[3]); // data[0] goes back now
    EXPECT_EQ(g_released.back(), data[0]);
    g_released.clear();
    SNDPKTPLAY_stop(player);
    // The fade still pulls the next packet; everything goes back either way.
    EXPECT_THAT(g_released, ::testing::UnorderedElementsAre(data[3], data[4]));
    EXPECT_EQ(SNDPKTPLAY_voice(player), -1);
    SndPacket p{1, data[9]};
    EXPECT_LT(SNDPKTPLAY_submit(player, &p), 0);
    EXPECT_TRUE(aborts.saw("SNDPKTPLAY_submit - DO NOT SUBMIT PACKETS BEFORE STARTING."));
}

TEST_F(Packets, PacketsPlayThroughTheMixerAndReportWhatWasPlayed)
{
    int32_t voice = start({22050, 1});
    ASSERT_GE(voice, 0);
    int16_t a[300], b[100];
    for (int i = 0; i < 300; ++i) a[i] = static_cast<int16_t>(i);
    for (int i = 0; i < 100; ++i) b[i] = static_cast<int16_t>(-i);
    SndPacket pa{300, reinterpret_cast<uint8_t*>(a)}, pb{100, reinterpret_cast<uint8_t*>(b)};
    SNDPKTPLAY_submit(player, &pa);
    SNDPKTPLAY_submit(player, &pb);
    std::vector<int16_t> out(1024);
    iSNDmix(out.data(), 256);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(out[2 * i], i);
    EXPECT_TRUE(g_played.empty()); // told at the next fetch
    iSNDmix(out.data(), 256);
    for (int i = 0; i < 44; ++i) ASSERT_EQ(out[2 * i], 256 + i);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(out[2 * (44 + i)], -i);
    for (int i = 144; i < 256; ++i) ASSERT_EQ(out[2 * i], 0);
    EXPECT_EQ(g_played, std::vector<int32_t>{256});
    // Both went back once the mixer had taken their frames.
    EXPECT_EQ(g_released, (std::vector<const uint8_t*>{pa.tag, pb.tag}));
    iSNDmix(out.data(), 256);
    EXPECT_EQ(g_played, (std::vector<int32_t>{256, 144}));
    EXPECT_EQ(SNDPKTPLAY_framesoutstanding(player), 0);
    EXPECT_EQ(iSNDvoicedone(voice), 0) << "a dry packet voice waits for more";
}

TEST_F(Packets, CompressedPacketsCarryTheirHistory)
{
    ASSERT_GE(start({22050, 3 << 2 | 2}), 0);
    // Left 1000 and right -2000 before, filter 1 at shift 12 with codes 0.
    Bytes packet(8 + 30, 0);
    int16_t history[4] = {1000, 0, -2000, 0};
    std::memcpy(packet.data(), history, 8);
    packet[8] = 0x11, packet[9] = 0xCC;
    SndPacket p{28, packet.data() + 8 - 8};
    p.tag = packet.data();
    SNDPKTPLAY_submit(player, &p);
    std::vector<int16_t> out(512);
    iSNDmix(out.data(), 28);
    EXPECT_EQ(out[0], 938); // 937.5 rounds to even
    EXPECT_EQ(out[1], -1875);
    EXPECT_EQ(out[2], 879);
}

TEST_F(Packets, TheKitsCompressedSoundDecodesCloseToItsSource)
{
    ASSERT_GE(start({22050, 3 << 2 | 1}), 0);
    std::vector<int16_t> source;
    for (int i = 0; i < 2000; ++i)
        source.push_back(static_cast<int16_t>(std::lround(12000 * std::sin(i * 0.05) + 3000 * std::sin(i * 0.31))));
    double history[2] = {0, 0};
    // Two packets: the second starts from the history the first left.
    Bytes a = kit_comp7_packet(std::vector<int16_t>(source.begin(), source.begin() + 1008), history);
    Bytes b = kit_comp7_packet(std::vector<int16_t>(source.begin() + 1008, source.end()), history);
    SndPacket pa{1008, a.data()}, pb{992, b.data()};
    SNDPKTPLAY_submit(player, &pa);
    SNDPKTPLAY_submit(player, &pb);
    std::vector<int16_t> out(2 * 2048);
    iSNDmix(out.data(), 2048);
    double noise = 0, signal = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        noise += std::pow(out[2 * i] - source[i], 2);
        signal += std::pow(source[i], 2);
    }
    EXPECT_LT(noise / signal, 1e-3);
    for (int i = 2000; i < 2048; ++i) ASSERT_EQ(out[2 * i], 0) << "the padding of the last block is not played";
}

// A frame with a flat filter and two-level pulses: lag 0, the copy gain and
// gain index 0 in every subframe, +2 and -2 opening the pulsed one.
void twolevelframe(Bits9& b, int copy0, int pulsed)
{
    b.flat(false);
    for (int s = 0; s < 4; ++s) {
        b.subframe(0, s == 0 ? copy0 : 0, 0);
        for (int i = 0; i < 108; ++i) {
            if (s == pulsed && i < 2) b.code(i == 0 ? "11" : "10");
            else b.code("0");
        }
    }
}

TEST_F(Packets, ACompression9PacketStartingWithZeroContinuesTheStream)
{
    ASSERT_GE(start({22050, 4 << 2 | 1}), 0);
    Bits9 first, second;
    first.put(1, 8); // a header follows
    first.header(0, 0, 0, 0); // gain 8
    twolevelframe(first, 0, 3);
    second.put(0, 8); // continues: the history of the first stays
    twolevelframe(second, 15, -1);
    SndPacket a{432, first.bytes.data(), static_cast<uint32_t>(first.bytes.size())};
    SndPacket b{432, second.bytes.data(), static_cast<uint32_t>(second.bytes.size())};
    SNDPKTPLAY_submit(player, &a);
    SNDPKTPLAY_submit(player, &b);
    std::vector<int16_t> out(2 * 1024);
    iSNDmix(out.data(), 864);
    EXPECT_EQ(out[2 * 324], 16);
    EXPECT_EQ(out[2 * 325], -16);
    EXPECT_EQ(out[2 * 432], 16) << "the second frame copies the last subframe of the first";
    EXPECT_EQ(out[2 * 433], -16);
    EXPECT_EQ(out[2 * 434], 0);
}

// ---- start-up, streams and the outside library ------------------------

struct Capture {
    std::mutex mutex;
    bool available = true, opened = false;
    uint32_t rate = 0;
    int bits = 0, channels = 0, opens = 0;
    uint32_t backlog = 1u << 30; // the device "holds" this much until a test drains it
    uint64_t now = 0;
    std::vector<uint8_t> bytes;
};
Capture g_capture;

const SndOutputDevice capture_device = {
    [] { return g_capture.available; },
    [](uint32_t rate, int bits, int channels) {
        std::lock_guard<std::mutex> hold(g_capture.mutex);
        g_capture.opened = true, g_capture.rate = rate, g_capture.bits = bits, g_capture.channels = channels;
        ++g_capture.opens;
        return true;
    },
    [] {
        std::lock_guard<std::mutex> hold(g_capture.mutex);
        g_capture.opened = false;
    },
    [] {
        std::lock_guard<std::mutex> hold(g_capture.mutex);
        return g_capture.backlog;
    },
    [](const void* data, uint32_t n) {
        std::lock_guard<std::mutex> hold(g_capture.mutex);
        auto* p = static_cast<const uint8_t*>(data);
        g_capture.bytes.insert(g_capture.bytes.end(), p, p + n);
        return true;
    },
    [] {
        std::lock_guard<std::mutex> hold(g_capture.mutex);
        return g_capture.now;
    },
};

class SoundLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        sndlibreset();
        {
            std::lock_guard<std::mutex> hold(g_capture.mutex);
            g_capture.available = true, g_capture.opened = false, g_capture.opens = 0;
            g_capture.backlog = 1u << 30, g_capture.now = 0;
            g_capture.bytes.clear();
        }
        sndsetoutputdevice(&capture_device);
        libsettings.displaywidth = 640, libsettings.displayheight = 480, libsettings.displaydepth = 16;
        libsettings.displayoptions = 1;
        initlibrary();
        ASSERT_EQ(graphicsstate(), 7);
    }
    void TearDown() override
    {
        sndlibreset();
        restoregraphics();
    }
    // Lets the device take what it is given for ms of virtual time.
    void play(uint32_t ms)
    {
        {
            std::lock_guard<std::mutex> hold(g_capture.mutex);
            g_capture.backlog = 0;
            g_capture.now += uint64_t{ms} * 1000;
        }
        iSNDlock();
        snddllserve();
        iSNDunlock();
        std::lock_guard<std::mutex> hold(g_capture.mutex);
        g_capture.backlog = 1u << 30;
    }
    std::vector<int16_t> heard()
    {
        std::lock_guard<std::mutex> hold(g_capture.mutex);
        std::vector<int16_t> s(g_capture.bytes.size() / 2);
        std::memcpy(s.data(), g_capture.bytes.data(), s.size() * 2);
        return s;
    }
    AbortCatcher aborts;
};

TEST_F(SoundLibrary, StartsAt22050SixteenBitStereoOnce)
{
    EXPECT_EQ(SNDrestore(), -10);
    ASSERT_EQ(SNDinit(-1, -1), 0);
    EXPECT_EQ(sndmixmmx(), libcpu.mmx) << "the mixer's kernel set follows the processor";
    EXPECT_EQ(g_capture.rate, 22050u);
    EXPECT_EQ(g_capture.bits, 16);
    EXPECT_EQ(g_capture.channels, 2);
    EXPECT_EQ(sndstate.flags & 0x2000F, 8);
    ASSERT_EQ(SNDinit(-1, -1), 0);
    EXPECT_EQ(g_capture.opens, 1);
    // Nothing playing: silence, a whole number of blocks, four ahead.
    play(0);
    std::vector<int16_t> s = heard();
    EXPECT_EQ(s.size(), 4u * 256 * 2);
    for (int16_t v : s) ASSERT_EQ(v, 0);
    EXPECT_EQ(SNDrestore(), 0);
    EXPECT_FALSE(g_capture.opened);
    EXPECT_EQ(SNDrestore(), -10);
    // After a restore the library starts again from scratch.
    ASSERT_EQ(SNDinit(0x1 | 0x200, 0), 0);
    EXPECT_EQ(g_capture.rate, 11025u);
    EXPECT_EQ(g_capture.bits, 8);
    EXPECT_EQ(g_capture.channels, 1);
    EXPECT_EQ(SNDreinit(0x8 | 0x2000, 0), 0);
    EXPECT_EQ(g_capture.rate, 44100u);
    EXPECT_EQ(g_capture.channels, 2);
}

TEST_F(SoundLibrary, ServerTicksOncePerTenMillisecondsOfOutput)
{
    ASSERT_EQ(SNDinit(-1, -1), 0);
    static std::atomic<int> ticks{0};
    ticks = 0;
    ASSERT_EQ(iSNDserveradd100hzclient([] { ++ticks; }), 0);
    play(0);
    // 1024 frames at 22050 Hz cross 4 periods of 10 ms.
    EXPECT_EQ(ticks.load(), 4);
    play(1000);
    EXPECT_EQ(ticks.load(), 104);
    for (int i = 0; i < 5; ++i) iSNDserveradd100hzclient([] {});
    EXPECT_EQ(iSNDserveradd100hzclient([] {}), -13);
    EXPECT_TRUE(aborts.saw("iSNDserveradd100hzclient - OUT OF LIST SPACE."));
}

TEST_F(SoundLibrary, AnAbortLeavesOnlyTheLevelsItsOwnThreadHolds)
{
    ASSERT_EQ(SNDinit(-1, -1), 0);
    setabortfilter(nullptr); // this abort is meant to end the "process"
    struct Ended {};
    host_set_exit_hook([](int) { throw Ended{}; });
    testing::internal::CaptureStderr();
    bool ended = false;
    try {
        SndLockHold outer;
        SndLockHold inner;
        LIBFAIL("snd\\test", "test - ABORT WITH THE SOUND LOCK HELD TWICE\n");
    } catch (const Ended&) {
        ended = true;
    }
    std::string shown = testing::internal::GetCapturedStderr();
    host_set_exit_hook(nullptr);
    EXPECT_TRUE(ended);
    EXPECT_NE(shown.find("ABORT WITH THE SOUND LOCK HELD TWICE"), std::string::npos);
    // The levels were left once, by the hook; the guards unwound after it.
    std::atomic<bool> took{false};
    std::thread other([&] {
        iSNDlock();
        took = true;
        iSNDunlock();
    });
    other.join();
    EXPECT_TRUE(took.load());
    // And this thread can take it again as usual.
    iSNDlock();
    iSNDunlock();
}

int32_t version_17() { return 0x110000; }
int32_t version_18() { return 0x120000; }

TEST_F(SoundLibrary, ABrokenOutsideLibraryLeavesSoundOff)
{
    const SndDllExport* builtin;
    int32_t count;
    sndbuiltinexports(&builtin, &count);
    std::vector<SndDllExport> all(builtin, builtin + count);
    auto without = [&](const char* name) {
        std::vector<SndDllExport> v;
        for (auto& e : all)
            if (std::strcmp(e.name, name) != 0) v.push_back(e);
        return v;
    };
    std::vector<SndDllExport> old = all;
    for (auto& e : old)
        if (std::strcmp(e.name, "_iSNDdllversion@0") == 0) e.entry = reinterpret_cast<void*>(version_17);
    struct Case {
        const char* what;
        std::vector<SndDllExport> exports;
        bool present;
        const char* report;
    };
    const Case cases[] = {
        {"missing", {}, false, "iSNDloaddll - COULDN'T LOAD/FIND VTCSND.DLL."},
        {"no version", without("_iSNDdllversion@0"), true, "iSNDloaddll - COULDN'T FIND iSNDdllversion."},
        {"old version", old, true, "iSNDloaddll - VTCSND.DLL VERSION MISMATCH. REQUIRED 18.0, FOUND 17.0."},
        {"no serve", without("_iSNDdirectserve@0"), true, "iSNDloaddll - COULDN'T FIND _iSNDdirectserve@0."},
        {"no start", without("_iSNDdirectstart@8"), true, "iSNDloaddll - COULDN'T FIND _iSNDdirectstart@8."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        snddllregister("vtcsnd.dll", c.present ? c.exports.data() : nullptr, static_cast<int32_t>(c.exports.size()));
        EXPECT_EQ(SNDinit(-1, -1), -1);
        EXPECT_TRUE(aborts.saw(c.report));
        EXPECT_EQ(sndstate.initialised, 0);
        EXPECT_FALSE(snddllloaded());
        EXPECT_EQ(SNDrestore(), -10);
    }
    // A device that cannot open: caps fails and so does the start.
    snddllreset();
    g_capture.available = false;
    EXPECT_EQ(SNDinit(-1, -1), -1);
    g_capture.available = true;
    EXPECT_EQ(SNDinit(-1, -1), 0);
    (void)version_18;
}

// A STREAM holding sound chunks, as a movie's audio tap would.
struct SoundStream {
    std::vector<uint8_t> memory = std::vector<uint8_t>(1 << 18);
    std::vector<uint8_t> overhead;
    Bytes file;
    STREAMHANDLE stream = nullptr;
    int32_t handle = -1, id = -1;
    int32_t open(const Bytes& chunks)
    {
        file = chunks;
        stream = STREAM_create(2, 1, 1, memory.data(), static_cast<uint32_t>(memory.size()));
        if (!stream) return -100;
        uint32_t request = STREAM_queuemem(stream, file.data(), static_cast<uint32_t>(file.size()), 0);
        PlayOptions o;
        SNDplayoptsinit(&o);
        overhead.resize(static_cast<size_t>(SNDSTRM_memrequired(1, 30)));
        handle = SNDSTRM_create(stream, &o, 1, 30, overhead.data(), static_cast<int32_t>(overhead.size()));
        if (handle < 0) return handle;
        id = SNDSTRM_play(handle, 0, request);
        return id;
    }
    ~SoundStream()
    {
        if (handle >= 0) SNDSTRM_destroy(handle);
        if (stream) STREAM_destroy(stream);
    }
};

Bytes pcm(const std::vector<int16_t>& s)
{
    Bytes b(s.size() * 2);
    std::memcpy(b.data(), s.data(), b.size());
    return b;
}

Bytes chunk(const char* type, const Bytes& body)
{
    Bytes c(type, type + 4);
    uint32_t size = static_cast<uint32_t>(8 + body.size());
    c.insert(c.end(), reinterpret_cast<uint8_t*>(&size), reinterpret_cast<uint8_t*>(&size) + 4);
    c.insert(c.end(), body.begin(), body.end());
    return c;
}

TEST_F(SoundLibrary, AStreamedRequestPlaysItsSamplesAndEnds)
{
    ASSERT_EQ(SNDinit(-1, -1), 0);
    std::vector<int16_t> sound;
    for (int i = 0; i < 3000; ++i) sound.push_back(static_cast<int16_t>((i * 37) % 20000 - 10000));
    std::vector<int16_t> first(sound.begin(), sound.begin() + 1470), second(sound.begin() + 1470, sound.end());
    struct Case {
        const char* what;
        Bytes chunks;
        size_t plays; // samples of the sound heard
        int32_t toplay;
    };
    Bytes normal = kit_mad_sound_header(22050, 1, 0, 3000);
    Bytes noframes = chunk("SCHl", {'P', 'T', 0, 0, 0x82, 1, 1, 0x84, 4, 0, 0, 0x56, 0x22, 0xFF, 0, 0});
    Bytes zerorate = chunk("SCHl", {'P', 'T', 0, 0, 0x84, 4, 0, 0, 0, 0, 0xFF, 0, 0, 0});
    Bytes d1 = kit_mad_sound_data(1470, pcm(first)), d2 = kit_mad_sound_data(1530, pcm(second));
    Bytes overstated = kit_mad_sound_data(9999, pcm(second)); // more frames than bytes
    Bytes shortchunk = chunk("SCDl", {1, 0});
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    Bytes end = kit_mad_sound_end();
    const Case cases[] = {
        {"a header counting every frame", join({normal, d1, d2, end}), 3000, 3000},
        {"no frame count in the header", join({noframes, d1, d2, end}), 3000, 0},
        {"a short chunk in between", join({normal, d1, shortchunk, d2, end}), 3000, 3000},
        {"a count past the chunk", join({normal, d1, overstated, end}), 3000, 3000},
        {"rate 0: nothing plays", join({zerorate, d1, d2, end}), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            std::lock_guard<std::mutex> hold(g_capture.mutex);
            g_capture.bytes.clear();
        }
        SoundStream s;
        ASSERT_GE(s.open(c.chunks), 0);
        SndStreamStatus status{};
        int rounds = 0;
        for (; rounds < 400; ++rounds) {
            runsystemtasks(0);
            play(12);
            SNDSTRM_requeststatus(s.id, &status);
            if (status.state == 3) break;
            sleepthread(1);
        }
        EXPECT_EQ(status.state, 3) << "the request ends";
        std::vector<int16_t> h = heard();
        // The sound, left and right alike, somewhere after the silence before it.
        size_t at = 0;
        while (at < h.size() && h[at] == 0) ++at;
        if (c.plays == 0) {
            EXPECT_EQ(at, h.size());
            continue;
        }
        ASSERT_GE(h.size(), at + 2 * c.plays);
        for (size_t i = 0; i < c.plays; ++i) {
            // This processor's kernel set: MMX plays full level at 127/128,
            // truncated at half scale; plain plays the samples unchanged.
            int32_t expect = sndmixmmx() ? 2 * ((sound[i] * 127 * 256) >> 16) : sound[i];
            ASSERT_EQ(h[at + 2 * i], expect) << i;
            ASSERT_EQ(h[at + 2 * i + 1], expect) << i;
        }
    }
}

TEST_F(SoundLibrary, StreamLimits)
{
    ASSERT_EQ(SNDinit(-1, -1), 0);
    std::vector<SoundStream> streams(16);
    for (auto& s : streams) ASSERT_GE(s.open(kit_mad_sound_end()), 0);
    SoundStream seventeenth;
    EXPECT_EQ(seventeenth.open(kit_mad_sound_end()), -9);
    EXPECT_EQ(SNDSTRM_play(streams[0].handle, 0, 1), -13) << "one request a stream";
    SndStreamStatus status{};
    EXPECT_EQ(SNDSTRM_requeststatus(streams[0].id, &status), 0);
    EXPECT_EQ(status.state, 0);
    EXPECT_EQ(SNDSTRM_requeststatus(0x7F00 | 17, &status), -8);
}

} // namespace
