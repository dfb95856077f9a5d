#include "frontend/front_end_state.h"

FrontEndState front_end_state;

void reset_front_end_state() { front_end_state = FrontEndState{}; }

void set_result_none() { front_end_state.result = 0; }
void set_result_two() { front_end_state.result = 2; }
void set_result_ok() { front_end_state.result = 1; }
void set_result_yes() { front_end_state.result = 3; }
void set_result_no() { front_end_state.result = 4; }
