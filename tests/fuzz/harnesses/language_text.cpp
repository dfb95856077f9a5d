// The language file, and the walk over its texts' control bytes.
#include "fuzz/harness.h"

#include "platform/language.h"

FUZZ_HARNESS(language_text)
{
    fuzz_data_file("front_en\\lang\\english.dat", data, size);
    load_language_text();
    select_language(0);
    for (uint32_t number = 0; number < size / 2 && number < 0x10000; ++number)
        control_string_length(get_text(static_cast<uint16_t>(number)));
    reset_language_text();
}
