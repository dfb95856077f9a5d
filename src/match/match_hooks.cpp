#include "match/match_hooks.h"

MatchHooks match_hooks;

void clear_match_hooks() { match_hooks = MatchHooks{}; }
