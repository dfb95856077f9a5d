// Checks the animation data set through the game's own loader and skeleton:
// every row's frames and keys, the locomotion strides, root travel up to the
// contact frames, where hands, ball and feet are at contact, how far the
// turns turn, and that every shared file suits all its rows.
#pragma once

#include <string>
#include <vector>

// Loads the player model and the animation table from the data directory
// (host_data_dir), checks every row, and releases them again. Each problem
// found is one line in problems; report, when given, gets a line a row.
void validate_animations(std::vector<std::string>& problems, std::string* report);

// Runs game code that may end the program through a fatal error: the end
// becomes a problem line instead. True when the code ran to its end.
bool run_game_code(void (*fn)(void*), void* arg, std::string& error);
