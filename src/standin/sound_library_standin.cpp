// Provisional: the engine sound library is not built yet. It reports no
// outside library, so a movie plays silent and releases its sound.
#include "mix/snd.h"

#include <cstring>

void SNDplayoptsinit(PlayOptions* o)
{
    std::memset(o, 0, sizeof *o);
    o->word = -1;
    o->byte = 255;
    o->key = 60;
    o->velocity = 127;
    o->pan = 64;
    o->volume = 127;
    o->bend = 64;
    o->effect = 127;
    o->pitchscale = 4096;
}
int32_t SNDinit(int32_t, int32_t) { return -1; }
int32_t SNDreinit(int32_t, int32_t) { return -10; }
void SNDrestore() {}
int32_t SNDSTRM_memrequired(int32_t maxrequests, int32_t packets) { return maxrequests * 44 + 80 + packets * 32; }
int32_t SNDSTRM_create(STREAMHANDLE, const PlayOptions*, int32_t, int32_t, void*, int32_t) { return -10; }
int32_t SNDSTRM_play(int32_t, int32_t, uint32_t) { return -10; }
int32_t SNDSTRM_requeststatus(int32_t, SndStreamStatus* status)
{
    *status = {3, 0, 0, 0};
    return -10;
}
void SNDSTRM_destroy(int32_t) {}
