// The movie's video decoder and its frame output. A frame buffer holds rows
// of width / 2 video cells (see pixels.h); it is allocated 4 bytes longer
// than width * height * 2 because the doubling kernels read one cell past a
// row. Key frames code every macroblock; delta frames code each 16 x 16
// macroblock whole, copy it from the moved reference with a brightness step,
// or mix the two per 8 x 8 block.
#pragma once

#include <cstdint>

// Loads a frame's coded picture (bytes long) for the macroblocks that follow.
void startvideoframe(const uint8_t* payload, uint32_t bytes, int delta, int32_t quantiser);
// Decodes macroblock (mbx, mby) of a width x height frame from the reference
// frame into the output frame (both whole frames). 0, or -1 once the picture
// has run out or holds a code that does not exist: the rest of the frame is
// then left as it is.
int decodevideoframe(const uint8_t* reference, uint8_t* output, int32_t width, int32_t height, int32_t mbx,
                     int32_t mby);

// Draws a frame into the current window at (x, y): mode 0 at 1:1, modes 1-3
// doubled (1 leaves every second row alone, 2 averages it, 3 blends both
// ways). 0, -1 for a mode outside 0..3, -2 when the window is not 15 or 16
// bits per pixel.
int32_t showvideoframe(int32_t x, int32_t y, const uint8_t* frame, int32_t width, int32_t height, int32_t mode);
void buildyuvtables(int32_t bpp);

// Exposed for the tests and the data kit's encoder.
// Natural index of each scan position.
extern const uint8_t videoscan[64];
// The default intra quantiser matrix in natural order.
extern const uint8_t videointramatrix[64];
// The prescale 8192 / (s(u) s(v)) at natural index i.
int32_t videoprescale(int i);
// The dequantisation entry for natural index i at quantiser q.
int32_t videodequant(int32_t q, int i);
// One 8 x 8 inverse transform in place, 16.16 samples in natural order.
void videoidct(int32_t block[64]);
// The two pixels (low and high half) of a video cell at 15 or 16 bits.
uint32_t videocellpixels(const uint8_t cell[4]);

// The coefficient codes without their sign bit: {length, code, run, level}.
struct VideoCode {
    uint8_t length;
    uint16_t code;
    uint8_t run;
    uint8_t level;
};
extern const VideoCode videocodes[];
extern const int videocodecount;
