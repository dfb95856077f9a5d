// Provisional: a plain table standing in for the input layer's records.
#include "match/provisional_controllers.h"

namespace {

struct StandInController {
    int32_t present;
    int32_t side;
    PlayerSlot* men[3];
};

StandInController stand_in[CONTROLLER_RECORDS];

bool valid(int32_t index) { return index >= 0 && index < CONTROLLER_RECORDS; }

} // namespace

controller_record* controller_at(int32_t index)
{
    return valid(index) ? reinterpret_cast<controller_record*>(&stand_in[index]) : nullptr;
}

int32_t controller_index(const controller_record* record)
{
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i)
        if (record == reinterpret_cast<const controller_record*>(&stand_in[i]))
            return i;
    return -1;
}

int32_t controller_side(int32_t index) { return valid(index) ? stand_in[index].side : 0; }

void set_controller_side(int32_t index, int32_t side)
{
    if (valid(index))
        stand_in[index].side = side;
}

PlayerSlot* controller_man(int32_t index) { return valid(index) ? stand_in[index].men[0] : nullptr; }

void set_controller_man(int32_t index, PlayerSlot* man)
{
    if (valid(index))
        stand_in[index].men[0] = man;
}

void clear_controller_men(int32_t index)
{
    if (valid(index))
        stand_in[index].men[0] = stand_in[index].men[1] = stand_in[index].men[2] = nullptr;
}

int32_t controller_present(int32_t index) { return valid(index) ? stand_in[index].present : 0; }

void set_controller_present(int32_t index, int32_t present)
{
    if (valid(index))
        stand_in[index].present = present;
}
