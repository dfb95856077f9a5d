#include "cmn/cpu.h"
#include "cmn/lib.h"
#include "cmn/loadcall.h"
#include "cmn/memstd.h"
#include "cmn/project.h"
#include "host/instance.h"
#include "host/process.h"
#include "win/nfile.h"
#include "win/grfreq.h"
#include "win/key.h"
#include "win/palette.h"
#include "font/text.h"
#include "win/timer.h"

#include <cerrno>

namespace {

// Environment for 3Dfx Glide drivers, set before the graphics start.
const struct {
    const char* name;
    const char* value;
} glide_environment[] = {
    {"SST_VIDEO_24BPP", ""}, {"FX_GLIDE_SHAMELESS_PLUG", ""}, {"FX_GLIDE_NO_SPLASH", "1"},
    {"SST_RGAMMA", "1.0"},   {"SST_GGAMMA", "1.0"},            {"SST_BGAMMA", "1.0"},
    {"SST_GAMMA", "1.0"},    {"SST_DUALHEAD", "1"},            {"SSTV2_RGAMMA", "1.0"},
    {"SSTV2_GGAMMA", "1.0"}, {"SSTV2_BGAMMA", "1.0"},          {"SSTV2_GAMMA", "1.0"},
    {"SSTV2_DUALHEAD", "1"},
};

} // namespace

void initlibrary()
{
    registermainthread();
    if (!memarenaready()) initmem();
    if (graphicsstate() != 7) {
        for (const auto& row : glide_environment) setenvvar(row.name, row.value, 1);
        initgraphics(libsettings.displaywidth, libsettings.displayheight, libsettings.displaydepth);
    }
    // Without a display nothing else starts: no timer, no file system.
    if (graphicsstate() != 7) return;
    loaddefaultpalette();
    inittimer(libsettings.timerrate.load());
    detectcpu();
    getcpuspeed();
    inittext();
    inittextfont();
    settextfont(builtinfont());
    textcolour(colourtopixel(0xFFFFFFFF), colourtopixel(0xFF000000));
    if (!libsettings.nomouse) initmouse();
    setlockkey(1, 0);
    initkeys();
    detectkeyboard(0, 0);
    setkeyreadhook(readkeybuffer);
    setabortafterokhook(printmemorymap);
    initdebugkeys();
    FILE_init(0, 0, 0);
    setloadfilehook(loadfile_crccheck);
    setfieldofview(30, 20, libsettings.displaywidth, libsettings.displayheight);
    setprojectionorigin(0, 0);
}

int checksingleinstance(const char* name)
{
    if (!name) name = program_invocation_short_name;
    if (host_claim_single_instance(name)) return 0;
    // The other copy's window belongs to another process here; it is left alone.
    if (libsettings.exitonduplicate) host_exit(0);
    return 1;
}
