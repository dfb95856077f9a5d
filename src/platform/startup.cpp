#include "platform/startup.h"

#include "host/process.h"

int win_main(int, char**) { host_exit(0); }
