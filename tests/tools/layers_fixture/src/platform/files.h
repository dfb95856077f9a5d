#pragma once
#include "host/host_sdl.h"
