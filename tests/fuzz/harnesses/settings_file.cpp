// "KOB.DAT", the settings record's fallback file.
#include "fuzz/harness.h"
#include "host/host_test_hooks.h"

#include "host/settings_store.h"
#include "platform/settings.h"

FUZZ_HARNESS(settings_file)
{
    fuzz_user_file("KOB.DAT", data, size);
    host_settings_reload();
    settings_record record;
    load_settings(record);
    host_settings_reload();
}
