// Replay files loaded into a small buffer, then played through and saved.
#include "fuzz/harness.h"

#include "display/replay.h"
#include "match/match_records.h"

FUZZ_HARNESS(replay_file)
{
    const std::string path = fuzz_user_file("fuzz.rpl", data, size);
    match_globals.men_per_team = 18;
    new_replay_node(3 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    if (load_replay_file(path.c_str())) {
        for (replay_first_node(); replay_buffer.current; replay_buffer.current = replay_buffer.current->next)
            apply_current_replay_frame();
        save_replay_file(path.c_str(), 0);
    }
    free_replay_node();
    clear_game_state_block();
}
