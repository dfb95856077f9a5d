// The league's change files in tests: the editor's commit of a club's names,
// and a new run of the game as far as the files go.
#pragma once

#include "frontend/database_files.h"
#include "frontend/player_editor.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "match/session_defaults.h"

#include <string>
#include <utility>
#include <vector>

// The editor's commit of the 24 names of the club it was opened on, some of
// them changed.
inline void commit_names(int team, const std::vector<std::pair<int, const char*>>& changes)
{
    std::vector<std::string> texts;
    for (int k = 0; k < SQUAD_POSITIONS; ++k) texts.emplace_back(player_name(listed_player(team, k)));
    for (const auto& [k, name] : changes) texts[k] = name;
    const char* names[SQUAD_POSITIONS];
    for (int k = 0; k < SQUAD_POSITIONS; ++k) names[k] = texts[k].c_str();
    commit_name_edits(names);
}

// The league as built, no editor, change-file or match state, the
// session's defaults, then the front end's reading of the change files.
inline void restart_with_change_files()
{
    reset_league_data();
    reset_database_files();
    reset_player_editor();
    player_editor = PlayerEditor{}; // a new process has built no listing order
    clear_game_state_block();
    set_session_defaults();
    load_database_files();
}
