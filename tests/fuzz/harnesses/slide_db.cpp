// The training edits' file, read back, checked and applied to the league.
#include "fuzz/harness.h"

#include "frontend/database_files.h"
#include "frontend/player_editor.h"
#include "league/league_data.h"

FUZZ_HARNESS(slide_db)
{
    fuzz_user_file(SLIDE_DB_FILE, data, size);
    load_slide_db(0, 9, slide_db_check(data, size));
    reset_player_editor();
    reset_league_data();
}
