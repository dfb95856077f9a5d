// ".game" saved competitions, read back over the settings and the record.
#include "fuzz/harness.h"

#include "frontend/competition.h"
#include "frontend/final8_screen.h"
#include "frontend/saved_files.h"

FUZZ_HARNESS(game_file)
{
    load_game_file(fuzz_user_file("Game000.game", data, size).c_str());
    reset_competition_state();
    reset_final8_screen();
}
