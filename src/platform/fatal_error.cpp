// Provisional: the error table replaces this.
#include "platform/fatal_error.h"

#include "host/process.h"

#include <cstdio>

void fatal_error(int32_t code) { fatal_error_sub(code, 0, nullptr, 0); }

void fatal_error_sub(int32_t code, uint32_t sub_code, const char* text, uint32_t)
{
    if (code != 0) {
        char msg[512];
        std::snprintf(msg, sizeof msg, "Error %d\nSub code: 0X%X\n%s", code, sub_code, text ? text : "");
        host_message_box("Error", msg, HOST_MB_OK, true);
    }
    host_exit(1);
}
