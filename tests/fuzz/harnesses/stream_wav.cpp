// The streamed phrase: a WAV opened for playing through a looping buffer.
#include "fuzz/harness.h"

#include "platform/sound.h"

FUZZ_HARNESS(stream_wav)
{
    static const bool sound = init_direct_sound() == 0;
    if (!sound) return;
    fuzz_data_file("phrase.wav", data, size);
    open_stream_wav("phrase.wav");
    close_stream_wav();
}
