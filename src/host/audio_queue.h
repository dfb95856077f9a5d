// A plain output queue for a software mixer: the caller mixes blocks itself
// and queues them; the device plays them in order. Never blocks: with no
// device (or the dummy driver) the queue drains at about real time.
#pragma once

#include <cstdint>

// Brings the audio system up: false when there is none.
bool host_audio_queue_init();
// Opens the output with exactly this format (bits 8 unsigned or 16 signed);
// closes any open one first.
bool host_audio_queue_open(uint32_t rate, int bits, int channels);
void host_audio_queue_close();
bool host_audio_queue_isopen();
// Bytes queued and not yet played.
uint32_t host_audio_queue_bytes();
bool host_audio_queue_put(const void* data, uint32_t bytes);
// A monotonic clock in microseconds for pacing the mixer.
uint64_t host_audio_clock_us();
