#include "host/host_test_hooks.h"
#include "match/ball.h"
