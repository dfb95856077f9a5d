// One copy of the program at a time: a lock file held for the life of the
// process (the system drops it when the process ends, however it ends).
#pragma once

#include <string>

// False when another running process holds the lock. Claiming again from the
// process that holds it succeeds.
bool host_claim_single_instance(const char* name);
// Where the lock lives: the runtime directory ($XDG_RUNTIME_DIR), or the user
// directory when that is unset or when KOB99_USER_DIR names one (so that tests
// with their own user directory do not meet each other).
std::string host_instance_lock_path(const char* name);
