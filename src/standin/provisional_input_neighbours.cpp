// Provisional: the match camera's heading, until the camera defines it.
#include "standin/provisional_input_neighbours.h"

int32_t camera_yaw;
