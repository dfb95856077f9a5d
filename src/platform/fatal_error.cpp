#include "platform/fatal_error.h"

#include "host/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

// The messages of the numbered fatal errors, in table order; the -1 row ends
// the table and serves every code that has no row.
const ErrorRow error_table[] = {
    {0, ""},
    {148, "insufficient free conventional memory\n"},
    {151, "error deallocating memory\n"},
    {195, "insufficient free memory\n"},
    {196, "file not found\n"},
    {199, "invalid anim file\n"},
    {201, "zero byte memory allocation attempted\n"},
    {206, "font not installed matey boy!\n"},
    {207, "too many concurrent mallocs.\n"},
    {208, "too many icons.\n"},
    {209, "too many sprites.\n"},
    {210, "too many text sprites.\n"},
    {211, "too many text blocks.\n"},
    {213, "Can't create DirectDraw object\n"},
    {214, "Can't create DirectSound object\n"},
    {215, "Can't load WAV file\n"},
    {216, "Can't create DirectSound buffer\n"},
    {217, "Sample slots full\n"},
    {218, "No sample loaded in this slot\n"},
    {219, "Can't locate icon\n"},
    {220, "Can't create DirectDraw Surface\n"},
    {221, "Can't unlock DirectDraw Surface\n"},
    {222, "Can't lock DirectDraw Surface\n"},
    {223, "Can't release DirectDraw Surface\n"},
    {224, "Can't blit\n"},
    {225, "Can't flip\n"},
    {226, "Can't create palette\n"},
    {227, "Can't set palette\n"},
    {202, "Can't load file\n"},
    {198, "Error reading CD\n"},
    {228, "CD audio error\n"},
    {229, "Can't lock sound buffer\n"},
    {230, "Can't unlock sound buffer\n"},
    {231, "Wrong sized surface\n"},
    {203, "Could not save file\n"},
    {232, "Insufficient disk space\n"},
    {204, "Couldn't open file\n"},
    {200, "Error freeing memory\n"},
    {235, "D3D render error.\n"},
    {236, "LK_REALLOC error.\n"},
    {237, "DirectX error.\n"},
    {-1, "unspecified error\n"},
};

const char* error_message(int32_t code)
{
    const ErrorRow* row = error_table;
    while (row->code != code && row->code != -1) ++row;
    return row->message;
}

std::string fatal_error_text(int32_t code, uint32_t sub_code, const char* text, uint32_t flags)
{
    std::string message = error_message(code);
    char line[32];
    std::snprintf(line, sizeof line, "Sub code: 0X%X\n", sub_code);
    message += line;
    if (text) {
        message += "\n";
        message += text;
    }
    if (flags & FATAL_SYSTEM_TEXT) {
        message += "\n";
        message += std::strerror(errno);
    }
    return message;
}

namespace {

[[noreturn]] void show_and_end(int32_t code, const char* message)
{
    if (code != 0) host_message_box("Error", message, HOST_MB_OK, true);
    host_exit(1);
}

} // namespace

void fatal_error(int32_t code) { show_and_end(code, error_message(code)); }

void fatal_error_sub(int32_t code, uint32_t sub_code, const char* text, uint32_t flags)
{
    std::string message = fatal_error_text(code, sub_code, text, flags);
    show_and_end(code, message.c_str());
}
