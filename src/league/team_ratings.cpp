#include "league/league_data.h"

namespace {

struct MeanField {
    int offset;
    enum Width { I16, I32, U32 } width;
};

// In the order of TeamMean.
constexpr MeanField mean_fields[TEAM_MEAN_COUNT] = {
    {PLAYER_SPEED, MeanField::I16},      {PLAYER_KICKING, MeanField::I16},   {PLAYER_HANDBALL, MeanField::I16},
    {PLAYER_TACKLING, MeanField::I16},   {PLAYER_STRENGTH, MeanField::I16},  {PLAYER_HEIGHT, MeanField::I32},
    {PLAYER_MARKING, MeanField::I16},    {PLAYER_STAMINA, MeanField::I16},   {PLAYER_RECOVERY, MeanField::I16},
    {PLAYER_ACCURACY, MeanField::I16},   {PLAYER_REACH, MeanField::U32},     {PLAYER_AGGRESSION, MeanField::I16},
};

int32_t field_value(const league_player* p, const MeanField& f)
{
    switch (f.width) {
    case MeanField::I16:
        return player_i16(p, f.offset);
    case MeanField::I32:
        return player_i32(p, f.offset);
    case MeanField::U32:
        return static_cast<int32_t>(player_u32(p, f.offset));
    }
    return 0;
}

} // namespace

int32_t team_attribute_mean(const league_team* team, TeamMean which, int32_t from, int32_t to)
{
    if (to < 0)
        to = SQUAD_POSITIONS;
    if (to > LEAGUE_PLAYERS)
        to = LEAGUE_PLAYERS;
    if (!team || which < 0 || which >= TEAM_MEAN_COUNT || from < 0 || from >= to)
        return 0;
    uint32_t sum = 0; // the sum wraps in 32 bits like the original's
    for (int32_t i = from; i < to; ++i)
        if (team->players[i])
            sum += static_cast<uint32_t>(field_value(team->players[i], mean_fields[which]));
    return static_cast<int32_t>(sum) / (to - from);
}

int32_t team_overall_rating(const league_team* team, int32_t from, int32_t to)
{
    double m[6];
    for (int k = 0; k < 6; ++k)
        m[k] = static_cast<int16_t>(team_attribute_mean(team, static_cast<TeamMean>(k), from, to));
    const double s = m[0] / 62.0 + m[1] / 255.0 + m[2] / 255.0 + m[3] / 485.0 + m[4] / 255.0 + m[5] / 805.0;
    const double strength = team ? team->strength : 0;
    double rating = 107.0 - s * (1.0 / 6.0) * strength * 218.0 * -0.01;
    rating = rating - -0.5;
    return static_cast<int32_t>(rating);
}
