// The program's state every layer reads: which display path draws, and
// whether the program is in front. Start-up and the window filter set them.
#pragma once

#include <cstdint>

struct HostWindow;

struct AppRecord {
    HostWindow* window;   // the main window, from the 3D display
    char class_name[256]; // "The Larkfield Studio Ltd"
    char title[256];      // "KOB 99"
    void* instance;
};

extern AppRecord app_record;

extern uint32_t use_3d_hardware; // 1: the 3D path draws everything (start-up always sets it)
extern uint32_t app_active;      // the program is active and not minimised
extern uint32_t app_suspended;   // minimised or switched away until next activated
