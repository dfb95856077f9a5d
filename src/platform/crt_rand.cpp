#include "platform/crt_rand.h"

#include "host/clock.h"

int32_t crt_rand() { return host_rand(); }
