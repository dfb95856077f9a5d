// Install archives: LZSS streams back to back, one per listed member.
#include "fuzz/harness.h"

#include "platform/lzss.h"

FUZZ_HARNESS(lkz_archive)
{
    static const uint8_t list[] = "first.dat\r\nsub\\second.dat\nthird\n";
    fuzz_user_file("members.lst", list, sizeof list - 1);
    fuzz_user_file("typical.lkz", data, size);
    char path[64] = "out\\";
    extract_lkz_archive("typical.lkz", "members.lst", path, sizeof path, nullptr);
}
