// Shared by the sound and screen tests: a scratch data directory, WAV and
// sample images, fatal-error capture and the mixed output.
#pragma once

#include "host/audio.h"
#include "host/host_test_hooks.h"
#include "host/clock.h"
#include "host/paths.h"
#include "host/process.h"
#include "lib/kit.h"
#include "lib/wav_write.h"
#include "platform/sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fixtures {

namespace fs = std::filesystem;

struct ExitCalled {
    int code;
};
inline void throw_on_exit(int code) { throw ExitCalled{code}; }

// The message of a fatal error names its code (by number, or by the error
// table's text) and the failing operation.
inline const char* code_text(int code)
{
    switch (code) {
    case 215: return "Can't load WAV file";
    case 216: return "Can't create DirectSound buffer";
    case 217: return "Sample slots full";
    case 218: return "No sample loaded in this slot";
    case 229: return "Can't lock sound buffer";
    case 230: return "Can't unlock sound buffer";
    case 237: return "DirectX error.";
    default: return "?";
    }
}

inline void expect_fatal(int code, const std::string& context, const std::function<void()>& action)
{
    host_set_exit_hook(throw_on_exit);
    ::testing::internal::CaptureStderr();
    bool exited = false;
    try {
        action();
    } catch (const ExitCalled& e) {
        exited = true;
        EXPECT_EQ(e.code, 1);
    }
    std::string said = ::testing::internal::GetCapturedStderr();
    host_set_exit_hook(nullptr);
    ASSERT_TRUE(exited) << "expected fatal error " << code << " (" << context << ")";
    bool named = said.find("Error " + std::to_string(code)) != std::string::npos ||
                 said.find(code_text(code)) != std::string::npos;
    EXPECT_TRUE(named) << "fatal error " << code << " expected, got: " << said;
    EXPECT_NE(said.find(context), std::string::npos) << said;
}

// WAV files come from the kit's writer. A damaged or unusual file is the
// writer's output edited: these are the offsets in it.
constexpr size_t WAV_RIFF_SIZE = 4, WAV_FORM = 8, WAV_FMT_SIZE = 16, WAV_FMT_TAG = 20, WAV_BYTES_A_SECOND = 28,
                 WAV_FMT_END = 36, WAV_DATA_SIZE = 40;

inline void put_u16(std::vector<uint8_t>& bytes, size_t at, uint32_t v)
{
    bytes[at] = static_cast<uint8_t>(v);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void put_u32(std::vector<uint8_t>& bytes, size_t at, uint32_t v)
{
    put_u16(bytes, at, v);
    put_u16(bytes, at + 2, v >> 16);
}

// Replaces `cut` bytes at `at` with `insert`, keeping the RIFF size whole.
inline std::vector<uint8_t> wav_spliced(std::vector<uint8_t> bytes, size_t at, size_t cut,
                                        const std::vector<uint8_t>& insert = {})
{
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + cut));
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), insert.begin(), insert.end());
    put_u32(bytes, WAV_RIFF_SIZE, static_cast<uint32_t>(bytes.size() - 8));
    return bytes;
}

// A chunk between "fmt " and "data", padded to an even size.
inline std::vector<uint8_t> wav_with_chunk(const std::vector<uint8_t>& wav, const char* id,
                                           const std::vector<uint8_t>& body)
{
    ByteWriter chunk;
    chunk.raw(id, 4);
    chunk.u32(static_cast<uint32_t>(body.size()));
    chunk.raw(body.data(), body.size());
    if (body.size() & 1) chunk.u8(0);
    return wav_spliced(wav, WAV_FMT_END, 0, chunk.bytes);
}

// Another format tag, with the 16-bit extra size that a non-PCM "fmt " holds.
inline std::vector<uint8_t> wav_non_pcm(std::vector<uint8_t> wav, uint16_t tag, uint16_t extra_size)
{
    put_u16(wav, WAV_FMT_TAG, tag);
    put_u32(wav, WAV_FMT_SIZE, 18);
    return wav_spliced(wav, WAV_FMT_END, 0, {static_cast<uint8_t>(extra_size), static_cast<uint8_t>(extra_size >> 8)});
}

inline std::vector<uint8_t> pcm16(const std::vector<int16_t>& samples)
{
    ByteWriter w;
    for (int16_t s : samples) w.u16(static_cast<uint16_t>(s));
    return w.bytes;
}

// A sample image: u32 byte count, u16 rate, u8 flags, one unused byte, data.
inline std::vector<uint8_t> sample_image(uint16_t rate, uint8_t flags, const std::vector<uint8_t>& data)
{
    ByteWriter w;
    w.u32(static_cast<uint32_t>(data.size()));
    w.u16(rate);
    w.u8(flags);
    w.u8(0);
    w.raw(data.data(), data.size());
    return w.bytes;
}

// A ramp that never repeats a value, so any slip of position shows.
inline std::vector<int16_t> ramp(size_t n, int16_t start = 1000, int16_t step = 37)
{
    std::vector<int16_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<int16_t>(start + static_cast<int32_t>(i) * step);
    return v;
}

inline std::vector<int16_t> mix(uint32_t frames)
{
    std::vector<int16_t> out(frames);
    host_sound_mix(out.data(), frames);
    return out;
}

// Sets an environment variable for a scope, then puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    std::string old_;
};

// Each test gets its own data directory and a fresh sound system with
// manual output, so it mixes the output itself.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("kob_sound_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        host_set_data_dir(dir.string());
        host_set_clock(nullptr);
        host_sound_set_manual_output(manual_output());
        // Threaded tests play through the dummy device, silent everywhere.
        if (!manual_output()) dummy_device = std::make_unique<ScopedEnv>("SDL_AUDIODRIVER", "dummy");
        ASSERT_EQ(init_direct_sound(), 0);
    }
    void TearDown() override
    {
        shutdown_direct_sound();
        host_sound_set_manual_output(false);
        host_set_clock(nullptr);
        host_set_data_dir("");
        fs::remove_all(dir);
        dummy_device.reset();
    }
    // Threaded tests play through the real (dummy) device and timer threads.
    virtual bool manual_output() const { return true; }
    void write_file(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // A buffer made straight on the host with the given controls: what a
    // sample played through the slots must sound like.
    HostSoundBuffer* oracle(const std::vector<uint8_t>& bytes, HostSoundFormat format, int32_t volume, int32_t pan = 0)
    {
        HostSoundBuffer* b = host_sound_create_buffer(format, static_cast<uint32_t>(bytes.size()));
        void *p1, *p2;
        uint32_t n1, n2;
        EXPECT_EQ(host_sound_lock(b, 0, static_cast<uint32_t>(bytes.size()), &p1, &n1, &p2, &n2), 0);
        std::memcpy(p1, bytes.data(), n1);
        EXPECT_EQ(host_sound_unlock(b, p1, n1, p2, n2), 0);
        host_sound_set_volume(b, volume);
        host_sound_set_pan(b, pan);
        return b;
    }
    // Plays an oracle alone and returns what it sounds like.
    std::vector<int16_t> hear_oracle(HostSoundBuffer* b, uint32_t frames)
    {
        host_sound_play(b, false);
        std::vector<int16_t> out = mix(frames);
        host_sound_release(b);
        return out;
    }
    fs::path dir;
    std::unique_ptr<ScopedEnv> dummy_device;
};

} // namespace fixtures
