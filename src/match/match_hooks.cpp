#include "match/match_hooks.h"

MatchHooks match_hooks;

void install_match_hooks(const MatchHooks* hooks) { match_hooks = hooks ? *hooks : MatchHooks{}; }
