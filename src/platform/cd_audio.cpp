#include "platform/cd_audio.h"

#include "host/cd_drive.h"
#include "platform/files.h"

uint32_t cd_device = 0;
uint32_t cd_track_count = 0;
uint16_t cd_current_track = 0;
uint8_t cd_music_on = 0;

uint32_t open_cd_audio_on_drive(char drive_letter)
{
    open_cd_device();
    set_data_path_drive(drive_letter);
    uint32_t tracks = 0;
    cd_track_count = host_cd_track_count(cd_device, &tracks) ? tracks : 0;
    return cd_track_count;
}

uint32_t open_cd_audio() { return open_cd_audio_on_drive('D'); }

void open_cd_device()
{
    uint32_t id = 0;
    host_cd_open(&id); // the id is kept even when the open failed
    cd_device = id;
}

void play_cd_track(uint16_t track)
{
    if (!host_cd_set_track_format(cd_device)) {
        close_cd_audio();
        return;
    }
    bool last = track == cd_track_count;
    bool played = last ? host_cd_play(cd_device, static_cast<uint8_t>(track), 0)
                       : host_cd_play(cd_device, static_cast<uint8_t>(track), static_cast<uint8_t>(track + 1));
    if (played)
        cd_current_track = track;
    else
        close_cd_audio();
}

void replay_cd_track() { play_cd_track(cd_current_track); }

void stop_cd() { host_cd_stop(cd_device); }

void pause_cd() { host_cd_pause(cd_device); }

uint32_t cd_media_present()
{
    bool present = false;
    return host_cd_media_present(cd_device, &present) && present ? 1 : 0;
}

uint32_t cd_track_count_now()
{
    uint32_t tracks = 0;
    return host_cd_track_count(cd_device, &tracks) ? tracks : 0;
}

bool cd_status_failed()
{
    bool present = false;
    return !host_cd_media_present(cd_device, &present);
}

void close_cd_audio()
{
    if (cd_device) host_cd_close(cd_device);
    cd_device = 0;
}

void music_flag_on() { cd_music_on = 1; }

void music_flag_off() { cd_music_on = 0; }

void cd_audio_done() {}
