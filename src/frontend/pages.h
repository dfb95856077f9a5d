// The front end's page loop: a page runs screens and sets the next page or
// the done flag. This edition enters only the demo road: the first page,
// the quick exhibition's controller set-up, the match and the demo splash;
// the full game's pages are in menu_pages.h.
#pragma once

#include <cstdint>

void front_end_main();
void first_page();
void quick_start_page();
void controllers_page(int32_t mode);

// The quick exhibition up to its team records: an exhibition of the two
// clubs with four interchanges.
void set_quick_exhibition_teams(int32_t home = 0, int32_t away = 9);
// The quick exhibition's settings: round one of an exhibition of team 0
// against team 9 with the demo's fixed match options.
void set_quick_exhibition();
