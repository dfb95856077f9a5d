// kobkit: builds the game's data set.
//   kobkit --sources tools/kit/sources --out build/release/data [--only STEP]
#include "lib/kit.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

int main(int argc, char** argv)
{
    KitContext ctx;
    const char* only = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--sources") && i + 1 < argc)
            ctx.sources = argv[++i];
        else if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
            ctx.out = argv[++i];
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
            only = argv[++i];
        else {
            std::fprintf(stderr, "usage: kobkit --sources DIR --out DIR [--only STEP]\n");
            return 2;
        }
    }
    if (ctx.sources.empty() || ctx.out.empty()) {
        std::fprintf(stderr, "usage: kobkit --sources DIR --out DIR [--only STEP]\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(ctx.out, ec);
    int failed = 0;
    for (const KitStep& step : kit_steps()) {
        if (only && std::strcmp(only, step.name)) continue;
        std::string error;
        if (!step.run(ctx, error)) {
            std::fprintf(stderr, "kobkit: %s: %s\n", step.name, error.c_str());
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
