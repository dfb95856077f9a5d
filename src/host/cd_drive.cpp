#include "host/cd_drive.h"
#include "host/host_test_hooks.h"

namespace {
uint32_t g_test_tracks = 0;
std::string g_log;

bool command(uint32_t device, const std::string& text)
{
    if (g_test_tracks == 0 || device == 0) return false;
    g_log += text + "\n";
    return true;
}
} // namespace

bool host_cd_open(uint32_t* device)
{
    *device = g_test_tracks ? 1 : 0;
    return g_test_tracks != 0;
}

void host_cd_close(uint32_t device) { command(device, "close"); }

bool host_cd_track_count(uint32_t device, uint32_t* tracks)
{
    if (!command(device, "status tracks")) return false;
    *tracks = g_test_tracks;
    return true;
}

bool host_cd_set_track_format(uint32_t device) { return command(device, "set time format tmsf"); }

bool host_cd_play(uint32_t device, uint8_t from_track, uint8_t to_track)
{
    std::string text = "play from " + std::to_string(from_track);
    if (to_track) text += " to " + std::to_string(to_track);
    return command(device, text);
}

bool host_cd_stop(uint32_t device) { return command(device, "stop"); }

bool host_cd_pause(uint32_t device) { return command(device, "pause"); }

bool host_cd_media_present(uint32_t device, bool* present)
{
    if (!command(device, "status media present")) return false;
    *present = true;
    return true;
}

void host_cd_insert_test_disc(uint32_t tracks)
{
    g_test_tracks = tracks;
    g_log.clear();
}

const std::string& host_cd_test_log() { return g_log; }
