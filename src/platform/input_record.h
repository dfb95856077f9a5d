// Recording the human controllers' frame records to the user directory and
// playing them back, so that a match replays from the same start.
//
// "input_record_00000.log" holds headers of 1,488 bytes: controller records
// 0..5 as 248 bytes each, so that sides and button maps come back. Files
// 00001 onward hold the stream of 3-byte records; a writer moves on to the
// next number once a file has grown past 1,024 bytes, a reader once it has
// read a whole file.
#pragma once

#include "platform/controllers.h"

#include <cstdint>

constexpr int RECORDING_HEADER_RECORDS = 6;
constexpr uint32_t RECORDING_RECORD_BYTES = 248;
constexpr uint32_t RECORDING_HEADER_BYTES = RECORDING_HEADER_RECORDS * RECORDING_RECORD_BYTES;
constexpr uint32_t RECORDING_FILE_LIMIT = 1024;
// The files could not be written or read.
constexpr int RECORDING_FILE_ERROR = -100;

extern int32_t recording_file_number;
extern uint32_t recording_read_offset;

// In recording mode: appends a header of records 0..5 to file 00000 and starts
// the stream afresh at an empty file 00001 (the files of an older, longer
// stream are removed). Returns 0, or mode - 1 when not recording and nothing
// was done, or RECORDING_FILE_ERROR.
int begin_input_recording();
// In playback mode: loads the first header over records 0..5 (their men
// emptied) and rewinds the stream to file 00001. Returns 0, mode - 2 when not
// in playback, or RECORDING_FILE_ERROR when there is no whole header (the
// records are then left as they were).
int load_input_recording_header();
// Appends n records to the stream: 1 when all were written.
int write_input_records(const input_record* records, int n);
// The next record of the stream: 1, or 0 at its end (out is left as it was).
int read_input_record(input_record* out);
void reset_recording_file_number();

// A record's 248 header bytes, and back (the men are never read back).
void put_recording_record(uint8_t* bytes, const controller_record& record);
void get_recording_record(const uint8_t* bytes, controller_record* record);
