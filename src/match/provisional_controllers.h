// Provisional: what the match data and the front end need of the 30
// controller records, until the input layer defines the records.
#pragma once

#include "match/match_records.h"

#include <cstdint>

controller_record* controller_at(int32_t index);
int32_t controller_index(const controller_record* record); // -1 when not a record
// -1 plays for the first team, 0 not playing, 1 plays for the second team.
int32_t controller_side(int32_t index);
void set_controller_side(int32_t index, int32_t side);
// The man the controller drives (the first of its three men).
PlayerSlot* controller_man(int32_t index);
void set_controller_man(int32_t index, PlayerSlot* man);
// Clears the man and the two words after him.
void clear_controller_men(int32_t index);
// Whether the record's device is present.
int32_t controller_present(int32_t index);
void set_controller_present(int32_t index, int32_t present);
