// The English language file, from its readable source.
#include "lib/kit.h"
#include "lib/language_write.h"

namespace
{

bool build_language_text(const KitContext& ctx, std::string& error)
{
    std::string source;
    if (!kit_read_source(ctx, "texts/english.txt", source, error)) return false;
    std::vector<std::string> texts;
    std::vector<uint8_t> bytes;
    if (!kit_parse_texts(source, texts, error)) return false;
    if (!kit_language_file(texts, bytes, error)) return false;
    return kit_write_file(ctx, "front_en\\lang\\english.dat", bytes, error);
}

} // namespace

KIT_STEP(language_text, 10, build_language_text)
