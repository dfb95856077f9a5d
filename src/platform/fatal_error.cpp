#include "platform/fatal_error.h"

#include "host/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

// The messages of the numbered fatal errors, in table order; the -1 row ends
// the table and serves every code that has no row.
const ErrorRow error_table[] = {
    {FATAL_SILENT, ""},
    {FATAL_NO_CONVENTIONAL_MEMORY, "insufficient free conventional memory\n"},
    {FATAL_DEALLOCATING, "error deallocating memory\n"},
    {FATAL_NO_MEMORY, "insufficient free memory\n"},
    {FATAL_FILE_NOT_FOUND, "file not found\n"},
    {FATAL_BAD_ANIM_FILE, "invalid anim file\n"},
    {FATAL_ZERO_ALLOCATION, "zero byte memory allocation attempted\n"},
    {FATAL_FONT_MISSING, "font not installed matey boy!\n"},
    {FATAL_TOO_MANY_MALLOCS, "too many concurrent mallocs.\n"},
    {FATAL_TOO_MANY_ICONS, "too many icons.\n"},
    {FATAL_TOO_MANY_SPRITES, "too many sprites.\n"},
    {FATAL_TOO_MANY_TEXT_SPRITES, "too many text sprites.\n"},
    {FATAL_TOO_MANY_TEXT_BLOCKS, "too many text blocks.\n"},
    {FATAL_DRAW_OBJECT, "Can't create DirectDraw object\n"},
    {FATAL_SOUND_OBJECT, "Can't create DirectSound object\n"},
    {FATAL_CANT_LOAD_WAV, "Can't load WAV file\n"},
    {FATAL_SOUND_BUFFER, "Can't create DirectSound buffer\n"},
    {FATAL_SAMPLE_SLOTS_FULL, "Sample slots full\n"},
    {FATAL_NO_SAMPLE_IN_SLOT, "No sample loaded in this slot\n"},
    {FATAL_ICON_MISSING, "Can't locate icon\n"},
    {FATAL_CREATE_SURFACE, "Can't create DirectDraw Surface\n"},
    {FATAL_UNLOCK_SURFACE, "Can't unlock DirectDraw Surface\n"},
    {FATAL_LOCK_SURFACE, "Can't lock DirectDraw Surface\n"},
    {FATAL_RELEASE_SURFACE, "Can't release DirectDraw Surface\n"},
    {FATAL_BLIT, "Can't blit\n"},
    {FATAL_FLIP, "Can't flip\n"},
    {FATAL_CREATE_PALETTE, "Can't create palette\n"},
    {FATAL_SET_PALETTE, "Can't set palette\n"},
    {FATAL_CANT_LOAD_FILE, "Can't load file\n"},
    {FATAL_CD_READ, "Error reading CD\n"},
    {FATAL_CD_AUDIO, "CD audio error\n"},
    {FATAL_LOCK_SOUND_BUFFER, "Can't lock sound buffer\n"},
    {FATAL_UNLOCK_SOUND_BUFFER, "Can't unlock sound buffer\n"},
    {FATAL_SURFACE_SIZE, "Wrong sized surface\n"},
    {FATAL_CANT_SAVE_FILE, "Could not save file\n"},
    {FATAL_DISK_SPACE, "Insufficient disk space\n"},
    {FATAL_CANT_OPEN_FILE, "Couldn't open file\n"},
    {FATAL_FREE_MEMORY, "Error freeing memory\n"},
    {FATAL_RENDER, "D3D render error.\n"},
    {FATAL_REALLOC, "LK_REALLOC error.\n"},
    {FATAL_DIRECTX, "DirectX error.\n"},
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
