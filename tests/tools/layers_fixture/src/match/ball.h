#pragma once
#include "app/main_loop.h"
