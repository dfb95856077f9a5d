// The settings store's text file, read into the settings record and saved
// back.
#include "fuzz/harness.h"
#include "host/host_test_hooks.h"

#include "host/settings_store.h"
#include "platform/settings.h"

FUZZ_HARNESS(settings_store)
{
    fuzz_user_file("settings.cfg", data, size);
    host_settings_reload();
    settings_record record;
    load_settings(record);
    save_settings(record);
    host_settings_reload();
}
