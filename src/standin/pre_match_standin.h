// STAND-IN: the computer captains' walk-out steps and the end of the coin
// toss, which the set-play director and the umpires' frame events are to
// carry; until they do, the team AI tick moves them on. Delete on merge.
#pragma once

void advance_computer_pre_match();
