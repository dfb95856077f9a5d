// Shared by the sound and screen tests: a scratch data directory, WAV and
// sample images, fatal-error capture and the mixed output.
#pragma once

#include "host/audio.h"
#include "host/clock.h"
#include "host/paths.h"
#include "host/process.h"
#include "lib/kit.h"
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

// RIFF WAVE bytes: "fmt " then any extra chunks, then "data".
struct WavParts {
    uint16_t tag = 1, channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    std::vector<uint8_t> data;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> before_data; // chunks between fmt and data
};

inline std::vector<uint8_t> wav_bytes(const WavParts& s)
{
    ByteWriter body;
    body.raw("WAVE", 4);
    body.raw("fmt ", 4);
    body.u32(16);
    uint16_t block = static_cast<uint16_t>(s.channels * s.bits / 8);
    body.u16(s.tag), body.u16(s.channels), body.u32(s.rate), body.u32(s.rate * block), body.u16(block),
        body.u16(s.bits);
    for (const auto& [id, bytes] : s.before_data) {
        body.raw(id.data(), 4);
        body.u32(static_cast<uint32_t>(bytes.size()));
        body.raw(bytes.data(), bytes.size());
        if (bytes.size() & 1) body.u8(0);
    }
    body.raw("data", 4);
    body.u32(static_cast<uint32_t>(s.data.size()));
    body.raw(s.data.data(), s.data.size());
    ByteWriter file;
    file.raw("RIFF", 4);
    file.u32(static_cast<uint32_t>(body.bytes.size()));
    file.raw(body.bytes.data(), body.bytes.size());
    return file.bytes;
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
