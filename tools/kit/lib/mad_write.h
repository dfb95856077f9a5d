// Movies (".mad"): chunked files of key frames ("MADk") and sound ("SCHl"
// header, "SCDl" data, "SCEl" end). Pictures are given as full-resolution
// Y'CbCr samples in the decoder's units (-64..63 stands for 0..255 halved);
// key frames code every block as its DC value and escape-coded AC terms.
#pragma once

#include <cstdint>
#include <vector>

// Bits written most significant first into little-endian 16-bit words.
struct KitMadBits {
    std::vector<uint16_t> words;
    int used = 16; // bits used in the last word
    void put(uint32_t value, int bits);
    // The payload, padded to whole words.
    std::vector<uint8_t> bytes() const;
};

struct KitMoviePicture {
    int32_t width = 0, height = 0;      // multiples of 16
    std::vector<double> y, cb, cr;      // width x height samples each
};

// A picture from 8-bit RGB (3 bytes a pixel).
KitMoviePicture kit_movie_picture_rgb(int32_t width, int32_t height, const std::vector<uint8_t>& rgb);

// The coded macroblocks of a key frame at quantiser q (1..127).
std::vector<uint8_t> kit_mad_keyframe_payload(const KitMoviePicture& picture, int32_t quantiser);
// One video chunk: type "MADk", "MADm" or "MADe" (4 characters).
std::vector<uint8_t> kit_mad_video_chunk(const char* type, uint32_t period1616, int32_t width, int32_t height,
                                         int32_t quantiser, const std::vector<uint8_t>& payload);

// Sound chunks for 16-bit PCM or compression 7.
std::vector<uint8_t> kit_mad_sound_header(uint32_t rate, uint32_t channels, uint32_t compression, uint32_t frames);
std::vector<uint8_t> kit_mad_sound_data(uint32_t frames, const std::vector<uint8_t>& data);
std::vector<uint8_t> kit_mad_sound_end();
// Mono samples as compression 7: the 8-byte history header (the two samples
// before, as the decoder will have them), then blocks of 28 frames, each
// with the filter and shift that code it best. The last block is padded.
std::vector<uint8_t> kit_comp7_packet(const std::vector<int16_t>& samples, double previous[2]);

struct KitMovie {
    uint32_t fps = 15;
    int32_t quantiser = 8;
    std::vector<KitMoviePicture> frames;
    uint32_t rate = 22050;
    std::vector<int16_t> sound; // mono; empty for none
    uint32_t compression = 0;   // 0 PCM, 7 compression 7 (whole blocks a chunk)
};
// A whole movie: the first key frame, then the sound header, then key frames
// with the sound interleaved a frame's worth at a time, then "SCEl".
std::vector<uint8_t> kit_mad(const KitMovie& movie);
