// The edited names' file, read at the front end's start after the masks:
// checked whole, its names put back into the players whose bit is set, and
// its owners' training edits into their clubs; then written back.
#include "fuzz/harness.h"

#include "frontend/database_files.h"
#include "frontend/player_editor.h"
#include "league/league_data.h"

FUZZ_HARNESS(name_db)
{
    fuzz_user_file(NAME_DB_FILE, data, size);
    for (uint16_t& mask : team_name_change_buffer) mask = 0xFFFF; // every name may come back
    load_database_files();
    save_name_edits();
    reset_database_files();
    reset_player_editor();
    reset_league_data();
}
