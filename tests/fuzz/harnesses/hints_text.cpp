// The hints file: read, joined into paragraphs and checked for bytes the
// text drawer would act on.
#include "fuzz/harness.h"

#include "frontend/hints.h"

#include <cstdlib>

FUZZ_HARNESS(hints_text)
{
    const std::string text = join_hints_text(data, static_cast<uint32_t>(size));
    for (unsigned char c : text)
        if (c < 32 && c != '\n') std::abort(); // a control byte got through
}
