// CD audio. This machine plays no CD music: the drive is never found, so
// every command fails, as with no disc in the drive. Tests insert a pretend
// disc to see what the game asks of it.
#pragma once

#include <cstdint>
#include <string>

// Opens the CD device: its id (0 with no drive), false on failure.
bool host_cd_open(uint32_t* device);
void host_cd_close(uint32_t device);
bool host_cd_track_count(uint32_t device, uint32_t* tracks);
bool host_cd_set_track_format(uint32_t device);
// to_track 0 plays to the end of the disc.
bool host_cd_play(uint32_t device, uint8_t from_track, uint8_t to_track);
bool host_cd_stop(uint32_t device);
bool host_cd_pause(uint32_t device);
bool host_cd_media_present(uint32_t device, bool* present);

