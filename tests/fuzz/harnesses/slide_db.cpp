// The training edits' file, read back, checked and applied to the league.
#include "fuzz/harness.h"

#include "frontend/database_files.h"
#include "frontend/player_editor.h"
#include "match/match_records.h"

FUZZ_HARNESS(slide_db)
{
    fuzz_user_file(SLIDE_DB_FILE, data, size);
    game_settings.home_team = 0;
    game_settings.away_team = 9;
    load_slide_db();
    reset_player_editor();
}
