// The database's name-change file, read into the masks and written back.
#include "fuzz/harness.h"

#include "frontend/database_files.h"

FUZZ_HARNESS(delta_db)
{
    fuzz_user_file(DELTA_DB_FILE, data, size);
    load_delta_db();
    save_delta_db();
    reset_database_files();
}
