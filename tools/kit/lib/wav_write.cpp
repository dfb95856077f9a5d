#include "lib/wav_write.h"

#include "lib/kit.h"

std::vector<uint8_t> kit_wav(uint32_t channels, uint32_t rate, uint32_t bits,
                             const std::vector<uint8_t>& samples)
{
    const uint32_t block = channels * bits / 8;
    ByteWriter w;
    w.raw("RIFF", 4);
    w.u32(4 + 8 + 16 + 8 + static_cast<uint32_t>(samples.size() + (samples.size() & 1)));
    w.raw("WAVE", 4);
    w.raw("fmt ", 4);
    w.u32(16);
    w.u16(1); // PCM
    w.u16(channels);
    w.u32(rate);
    w.u32(rate * block);
    w.u16(block);
    w.u16(bits);
    w.raw("data", 4);
    w.u32(static_cast<uint32_t>(samples.size()));
    w.raw(samples.data(), samples.size());
    if (samples.size() & 1) w.u8(0);
    return w.bytes;
}

std::vector<uint8_t> kit_wav_mono16(uint32_t rate, const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) {
        uint16_t u = static_cast<uint16_t>(s);
        bytes.push_back(static_cast<uint8_t>(u)), bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return kit_wav(1, rate, 16, bytes);
}
