// Program start-up and shut-down.
#pragma once

// The entry: runs the game from start to end; never returns normally (the
// process ends through host_exit).
int win_main(int argc, char** argv);
