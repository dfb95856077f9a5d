// Input recordings: the header file and the record stream that follows it.
// The first byte splits the input between the two files.
#include "fuzz/harness.h"

#include "platform/controllers.h"
#include "platform/input_record.h"

FUZZ_HARNESS(input_recording)
{
    if (size == 0) return;
    size_t header = size - 1 < size_t{data[0]} * 8 ? size - 1 : size_t{data[0]} * 8;
    fuzz_user_file("input_record_00000.log", data + 1, header);
    fuzz_user_file("input_record_00001.log", data + 1 + header, size - 1 - header);
    input_reset();
    input_mode = INPUT_PLAYBACK;
    reset_recording_file_number();
    load_input_recording_header();
    input_record record{};
    for (int n = 0; n < 100000 && read_input_record(&record); ++n) {
    }
    input_mode = INPUT_LIVE;
    input_reset();
}
