// Quarter-wave sine and arctangent tables of the 1024-step circle.
#pragma once

#include <cstdint>

extern const int32_t fixsintable[257];
extern const uint8_t fixatantable[257];
