#include "platform/message_pump.h"

#include "host/events.h"
#include "host/process.h"
#include "platform/app_state.h"
#include "platform/cd_audio.h"

HostWindow* main_window = nullptr;
uint32_t screen_needs_redraw = 0;
uint32_t music_paused = 0;
uint32_t restore_pending = 0;

namespace {

void (*g_restore)() = nullptr;

void handle(const HostMessage& message)
{
    if (message.id == HOST_WM_QUIT) host_exit(1);
    host_dispatch_message(message);
}

bool paused() { return !app_active || app_suspended; }

} // namespace

void pump_messages()
{
    HostMessage message;
    while (host_peek_message(&message)) handle(message);
    if (paused()) {
        screen_needs_redraw = 1;
        pause_cd();
        music_paused = 1;
        restore_pending = 1;
    }
    while (paused()) {
        host_wait_message(&message);
        handle(message);
        while (host_peek_message(&message)) handle(message);
    }
    if (music_paused && cd_music_on) {
        replay_cd_track();
        music_paused = 0;
    }
    if (restore_pending) {
        restore_pending = 0;
        if (g_restore) g_restore();
    }
}

void set_main_window(HostWindow* window) { main_window = window; }

void set_restore_hook(void (*restore)()) { g_restore = restore; }
