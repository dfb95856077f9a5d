// The streamed phrase: a long WAV played through a looping buffer of six
// fifths of a second, one fifth refilled by the timer every 200 ms.
//
// The timer runs on its own thread. The main thread only opens, starts and
// closes; closing sets the stop flag and kills the timer, which waits for a
// running refill, before it touches the buffer. At the end of the data the
// timer closes the stream itself; whichever side sets the stop flag first
// does the closing, and the main thread's next kill waits for the timer's
// thread to be gone.
#include "platform/sound.h"

#include "host/periodic_timer.h"
#include "platform/wave_file.h"

#include <cstring>

StreamState stream_state;

namespace {

constexpr uint32_t STREAM_PERIOD_MS = 200;
constexpr uint32_t STREAM_PERIODS = 6;

WaveFile stream_file;

void fill_silence(uint8_t* p, uint32_t n) { std::memset(p, stream_state.silence_bits == 8 ? 128 : 0, n); }

// Up to n bytes of the phrase; with the loop flag a short read goes on from
// the start of the data.
uint32_t read_phrase(uint8_t* p, uint32_t n)
{
    uint32_t got = 0;
    wave_read_file(&stream_file, p, n, &got);
    while (got < n && stream_state.loop) {
        if (wave_start_data_read(&stream_file) != WAVE_OK) break;
        uint32_t more = 0;
        wave_read_file(&stream_file, p + got, n - got, &more);
        if (more == 0) break;
        got += more;
    }
    return got;
}

void release_stream()
{
    StreamState& st = stream_state;
    if (!st.open.exchange(0)) return;
    if (st.playing.exchange(0)) host_sound_stop(st.buffer);
    wave_close_file(&stream_file);
    host_sound_release(st.buffer);
    st.buffer = nullptr;
}

// One period at the next write offset: the phrase, or silence when stopping
// or past its end.
void write_period(uint32_t play, bool silence_only)
{
    StreamState& st = stream_state;
    void* part[2] = {nullptr, nullptr};
    uint32_t bytes[2] = {0, 0};
    if (host_sound_lock(st.buffer, st.next_write, st.period, &part[0], &bytes[0], &part[1], &bytes[1]) !=
        HOST_SOUND_OK)
        return;
    for (int i = 0; i < 2; ++i) {
        auto* p = static_cast<uint8_t*>(part[i]);
        if (!p) continue;
        uint32_t got = silence_only || st.stop ? 0 : read_phrase(p, bytes[i]);
        if (got < bytes[i]) {
            fill_silence(p + got, bytes[i] - got);
            if (!silence_only && !st.stop) {
                st.end = 1;
                st.end_countdown = ((st.next_write + st.buffer_size - play) % st.buffer_size) / st.period;
            }
        }
    }
    host_sound_unlock(st.buffer, part[0], bytes[0], part[1], bytes[1]);
    st.next_write = (st.next_write + st.period) % st.buffer_size;
}

} // namespace

int32_t open_stream_wav(const char* file_name)
{
    if (!sound_available) return -102;
    close_stream_wav();
    StreamState& st = stream_state;
    st.loop = 0;
    if (wave_open_file(file_name, &stream_file) != WAVE_OK) return -100;
    const WaveFormat& f = stream_file.format;
    if (f.format_tag != WAVE_FORMAT_PCM) {
        wave_close_file(&stream_file);
        return -101;
    }
    if (wave_start_data_read(&stream_file) != WAVE_OK) {
        wave_close_file(&stream_file);
        return -103;
    }
    const uint64_t period = static_cast<uint64_t>(f.avg_bytes_per_sec) * 120 / 600;
    st.period = static_cast<uint32_t>(period);
    st.buffer_size = static_cast<uint32_t>(STREAM_PERIODS * period);
    st.silence_bits = f.bits_per_sample;
    // Six periods past 32 bits would wrap round to a buffer too small to refill.
    st.buffer = STREAM_PERIODS * period > UINT32_MAX
                    ? nullptr
                    : host_sound_create_buffer(HostSoundFormat{f.channels, f.bits_per_sample, f.samples_per_sec},
                                               st.buffer_size);
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (st.buffer && host_sound_lock(st.buffer, 0, st.buffer_size, &p1, &n1, &p2, &n2) != HOST_SOUND_OK) {
        host_sound_release(st.buffer);
        st.buffer = nullptr;
    }
    if (!st.buffer) {
        wave_close_file(&stream_file);
        return -102;
    }
    auto* p = static_cast<uint8_t*>(p1);
    uint32_t got = read_phrase(p, n1);
    st.end = got < n1;
    st.end_countdown = st.end ? got / st.period : 0;
    fill_silence(p + got, n1 - got);
    host_sound_unlock(st.buffer, p1, n1, p2, n2);
    st.next_write = 0;
    st.last_play = 0;
    st.bytes_played = 0;
    st.stop = 0;
    st.busy = 0;
    st.playing = 0;
    st.open = 1;
    return 0;
}

void toggle_stream_wav()
{
    StreamState& st = stream_state;
    if (!sound_available) return;
    if (st.playing) {
        close_stream_wav();
        return;
    }
    if (!st.open) return;
    host_sound_set_position(st.buffer, 0);
    host_sound_play(st.buffer, true);
    st.playing = 1;
    st.timer_id = host_timer_start(STREAM_PERIOD_MS, stream_wav_timer, nullptr);
    st.timer_running = st.timer_id != 0;
}

void close_stream_wav()
{
    StreamState& st = stream_state;
    st.stop = 1;
    if (st.timer_id != 0) {
        host_timer_kill(st.timer_id);
        st.timer_id = 0;
    }
    st.timer_running = 0;
    release_stream();
}

void stream_wav_timer(uint32_t timer_id, void*)
{
    StreamState& st = stream_state;
    if (st.busy.exchange(1)) return;
    struct ClearBusy {
        ~ClearBusy() { stream_state.busy = 0; }
    } clear_busy;
    if (!st.open) return;

    uint32_t play = 0;
    if (host_sound_get_position(st.buffer, &play) != HOST_SOUND_OK) return;
    // The period due for refilling is still playing.
    if (play > st.next_write && play < st.next_write + st.period) return;

    if (st.end && st.end_countdown == 0) {
        if (!st.stop.exchange(1)) {
            host_timer_kill(timer_id); // only stops: we are its callback
            st.timer_running = 0;
            release_stream();
        }
        return;
    }
    st.bytes_played += play >= st.last_play ? play - st.last_play : play + st.buffer_size - st.last_play;
    st.last_play = play;
    if (st.end) {
        if (--st.end_countdown > 1) write_period(play, true);
        return;
    }
    write_period(play, false);
}
