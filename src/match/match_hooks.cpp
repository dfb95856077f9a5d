#include "match/match_hooks.h"

namespace hooks {
const MatchHooks* table = nullptr;
}

void install_match_hooks(const MatchHooks* hooks) { hooks::table = hooks; }
const MatchHooks* installed_match_hooks() { return hooks::table; }
