// STAND-IN (until the finals-and-results issue lands): the results screen as
// a minimal screen of the runner: a title and a continue icon giving result
// 1. Same names as the real ones; delete when they land.
#pragma once

struct menu_screen;

extern menu_screen finals_results_screen;
// Chooses the results screen's pictures by the match flow flags.
void set_results_background();
