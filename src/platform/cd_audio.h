// CD-audio music. The message pump pauses it while the program is inactive
// and plays the track again on return, when the music flag is on.
#pragma once

#include <cstdint>

extern uint32_t cd_device;        // id of the open CD device, 0 when closed
extern uint32_t cd_track_count;   // tracks on the disc, read at open
extern uint16_t cd_current_track; // the track last started
extern uint8_t cd_music_on;       // music wanted

// Open the device and read the track count (0 on failure). The drive letter
// names nothing on this machine.
uint32_t open_cd_audio_on_drive(char drive_letter);
uint32_t open_cd_audio();
void open_cd_device();
void play_cd_track(uint16_t track);
void replay_cd_track();
void stop_cd();
void pause_cd();
uint32_t cd_media_present();
uint32_t cd_track_count_now();
bool cd_status_failed();
void close_cd_audio();
void music_flag_on();
void music_flag_off();
// The completion notice of a played track: nothing to do.
void cd_audio_done();
