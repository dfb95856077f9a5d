#include "match/controller_sides.h"

#include "match/match_records.h"
#include "platform/controllers.h"

#include <initializer_list>

int32_t controller_presence[CONTROLLER_RECORDS];

void reset_controller_sides()
{
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) {
        set_controller_side(i, SIDE_NONE);
        controller_presence[i] = controllers[i].present;
    }
}

int32_t side_has_no_controller(int32_t side)
{
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i)
        if (controller_side(i) == side)
            return 0;
    return 1;
}

namespace {

constexpr uint16_t HUMAN_CONTROLLED = MAN_IN_CONTEST;

TeamRecord& team_of_bit(int bit) { return team_records[bit == HOME_TEAM_BIT ? 0 : 1]; }

PlayerSlot* first_free_man(TeamRecord& team)
{
    for (PlayerSlot& man : team.slots)
        if (!man.contest_group)
            return &man;
    return nullptr;
}

PlayerSlot* man_for(TeamRecord& team)
{
    const MatchGlobals& m = match_globals;
    if (m.ball_holder)
        return m.ball_holder->team == &team && !m.ball_holder->contest_group ? m.ball_holder : first_free_man(team);
    if (m.last_kicker)
        return m.last_kicker->team == &team && !m.last_kicker->contest_group ? m.last_kicker : first_free_man(team);
    return first_free_man(team);
}

void forget_last_kicker()
{
    match_globals.last_kicker = nullptr;
    match_globals.last_kicker_controlled = 0;
    match_globals.selected_man = nullptr;
}

} // namespace

void detach_team_controllers(int32_t which)
{
    for (int bit : {HOME_TEAM_BIT, AWAY_TEAM_BIT}) {
        if (!(which & bit))
            continue;
        TeamRecord& team = team_of_bit(bit);
        if (match_globals.last_kicker)
            match_globals.last_kicker_control_byte = static_cast<uint8_t>(match_globals.last_kicker->man_flags & 0xFF);
        team.human_count = 0;
        for (PlayerSlot& man : team.slots) {
            man.man_flags = static_cast<uint16_t>(man.man_flags & ~HUMAN_CONTROLLED);
            man.contest_group = nullptr;
        }
        for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) {
            const PlayerSlot* man = controller_man(i);
            if (man && man->team_index == team.team_number)
                clear_controller_men(i);
        }
    }
}

void attach_side_controllers(int32_t which)
{
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) {
        const int32_t side = controller_side(i);
        int bit = 0;
        if (side == SIDE_HOME && (which & HOME_TEAM_BIT))
            bit = HOME_TEAM_BIT;
        else if (side == SIDE_AWAY && (which & AWAY_TEAM_BIT))
            bit = AWAY_TEAM_BIT;
        if (!bit || controller_man(i))
            continue;
        PlayerSlot* man = man_for(team_of_bit(bit));
        if (!man)
            continue;
        man->contest_group = controller_at(i);
        set_controller_man(i, man);
        man->man_flags |= HUMAN_CONTROLLED;
        if (man->team)
            ++man->team->human_count;
    }

    PlayerSlot* kicker = match_globals.last_kicker;
    if (kicker && kicker->contest_group) {
        kicker->man_flags = static_cast<uint16_t>((kicker->man_flags & 0xFF00) | match_globals.last_kicker_control_byte);
        match_globals.last_kicker_controlled = 1;
    } else {
        forget_last_kicker();
    }
    // A side left without controllers no longer owns the last kick.
    kicker = match_globals.last_kicker;
    if ((which & HOME_TEAM_BIT) && side_has_no_controller(SIDE_HOME) && kicker && kicker->team == &team_records[0])
        forget_last_kicker();
    kicker = match_globals.last_kicker;
    if ((which & AWAY_TEAM_BIT) && side_has_no_controller(SIDE_AWAY) && kicker && kicker->team == &team_records[1])
        forget_last_kicker();
}
