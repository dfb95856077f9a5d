#include "lib/kit.h"

#include "host/file_util.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
std::vector<KitStep>& registry()
{
    static std::vector<KitStep> steps;
    return steps;
}
} // namespace

int kit_register(const KitStep& step)
{
    registry().push_back(step);
    return static_cast<int>(registry().size());
}

const std::vector<KitStep>& kit_steps()
{
    std::vector<KitStep>& steps = registry();
    std::sort(steps.begin(), steps.end(), [](const KitStep& a, const KitStep& b) {
        return a.order != b.order ? a.order < b.order : std::string(a.name) < b.name;
    });
    return steps;
}

bool kit_write_file(const KitContext& ctx, const char* game_name, const std::vector<uint8_t>& bytes,
                    std::string& error)
{
    std::string rel = game_name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    std::string path = ctx.out + "/" + rel;
    if (!host_replace_file(path, bytes.data(), bytes.size())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool kit_read_source(const KitContext& ctx, const char* relative, std::string& text, std::string& error)
{
    std::ifstream in(ctx.sources + "/" + relative, std::ios::binary);
    if (!in) {
        error = std::string("cannot read kit source ") + relative;
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}
