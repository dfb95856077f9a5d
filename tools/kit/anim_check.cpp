// The animation data set must pass its checks, or the build fails. With
// KOBKIT_ANIM_REPORT set, every row's frames, contact and release frames,
// turn and hand and ball joints are printed as well.
#include "host/paths.h"
#include "host/host_test_hooks.h"
#include "lib/anim_validator.h"
#include "lib/kit.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool check_animations(const KitContext& ctx, std::string& error)
{
    host_set_data_dir(ctx.out);
    std::vector<std::string> problems;
    std::string report;
    bool want_report = std::getenv("KOBKIT_ANIM_REPORT") != nullptr;
    validate_animations(problems, want_report ? &report : nullptr);
    if (want_report) std::fputs(report.c_str(), stdout);
    for (const std::string& p : problems) std::fprintf(stderr, "kobkit: animations: %s\n", p.c_str());
    if (problems.empty()) return true;
    error = std::to_string(problems.size()) + " animation rows fail their checks";
    return false;
}

} // namespace

KIT_STEP(animation_checks, 52, check_animations)
