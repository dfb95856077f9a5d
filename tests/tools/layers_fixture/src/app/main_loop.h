#pragma once
#include "match/ball.h"
#include "host/window.h"
