#include "match/team_selection.h"

#include <cstring>

TeamSelection team_selections[2];

void default_team_selection(TeamSelection* s)
{
    std::memset(s, 0, sizeof *s);
    for (int i = 0; i < 18; ++i)
        s->entries[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    for (int i = 0; i < 6; ++i)
        s->interchange[i] = static_cast<uint8_t>(18 + i);
    static const float zones[6] = {40, -40, 55, 25, 70, 10};
    std::memcpy(s->zone_percent, zones, sizeof zones);
    static const uint8_t keys[4] = {15, 16, 17, 9};
    std::memcpy(s->key_men, keys, sizeof keys);
    s->key_man_e = 12;
    s->captain = 9;
    s->vice_captain = 16;
    s->name_labels = 3;
}
