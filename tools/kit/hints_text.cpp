// The front end's hints and tips, a plain text file from its readable source.
#include "lib/kit.h"

#include <string>
#include <vector>

namespace
{

bool build_hints_text(const KitContext& ctx, std::string& error)
{
    std::string source;
    if (!kit_read_source(ctx, "texts/hints.txt", source, error)) return false;
    // The game reads CR LF line ends as well as LF; the kit writes the
    // file the way the game's own tools did.
    std::vector<uint8_t> bytes;
    for (char c : source) {
        if (c == '\n') bytes.push_back('\r');
        bytes.push_back(static_cast<uint8_t>(c));
    }
    return kit_write_file(ctx, "front_en\\lang\\hints.txt", bytes, error);
}

} // namespace

KIT_STEP(hints_text, 11, build_hints_text)
