#include "platform/app_state.h"

AppRecord app_record;
uint32_t use_3d_hardware = 0;
uint32_t app_active = 0;
uint32_t app_suspended = 0;
