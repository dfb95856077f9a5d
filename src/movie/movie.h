// The movie player: plays a chunked .mad file (key and delta pictures, and
// sound that a sound stream plays from the same STREAM), keeping the
// pictures in step with the sound's clock and dropping frames when it falls
// behind. Esc ends a movie.
#pragma once

#include <cstdint>

// Plays file1, or file2 on a fast machine when usefile2 is set. Brings the
// engine library and its sound library up on the first call.
int32_t play_movie(const char* file1, const char* file2, uint32_t software, int32_t ignored, int32_t usefile2);
// Plays one file to its end or until Esc; the display must be up. With
// hardware output the picture goes to the 3D device in 64-pixel textured
// tiles instead of through the presenter.
int32_t stream_movie(const char* file, int32_t* dropdelta, int hardware, int32_t level, uint32_t software);
// The 3D device hardware output draws through (none: it draws nothing).
class HostRenderDevice;
void setmoviedevice(HostRenderDevice* device);

struct MovieLevel {
    int32_t level;     // the display mode: 0 unscaled, 1-3 doubled
    int32_t dropdelta; // drop every frame that is not a reference
    int32_t usefile2;
};
// The decode level for a processor clock (64-bit Hz).
MovieLevel choosemovielevel(uint64_t hz, bool intel, bool usefile2);

// What the last movie did (tests and the log).
struct MovieStats {
    int32_t decoded, shown, dropped, skipped;
    int32_t width, height;
    int32_t escaped;
    int32_t soundid;
    int32_t soundplayed; // ms of its sound heard, by the last status
};
extern MovieStats moviestats;
// Tests: a millisecond clock in place of the host's, nullptr for the host's.
// The reset forgets the clock, the hook and the statistics; the libraries
// stay up for the life of the process.
void setmovieclock(uint32_t (*clock)());
// Tests: runs when play_movie has given the display and sound back.
void setmoviedonehook(void (*hook)());
void resetmovie();
