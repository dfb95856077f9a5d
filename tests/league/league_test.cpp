#include "league/league_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

struct Range {
    int offset;
    const char* what;
    int32_t low, high;
    enum { I16, I32, U32, U8 } width;
};

// The ranges of the built-in data.
const Range ranges[] = {
    {PLAYER_SPEED, "speed", 25, 39, Range::I16},        {PLAYER_MARKING, "byte 34", 76, 242, Range::I16},
    {PLAYER_HANDBALL, "handball", 76, 216, Range::I16}, {PLAYER_TACKLING, "tackling", 235, 253, Range::I16},
    {PLAYER_KICKING, "kicking", 63, 242, Range::I16},   {PLAYER_STRENGTH, "strength", 51, 242, Range::I16},
    {PLAYER_AGILITY, "byte 44", 76, 242, Range::I16},   {PLAYER_STAMINA, "byte 46", 165, 285, Range::I16},
    {PLAYER_ACCURACY, "byte 48", 76, 242, Range::I16},  {PLAYER_RECOVERY, "byte 50", 16, 18, Range::I16},
    {PLAYER_HEIGHT, "height", 419, 537, Range::I32},    {PLAYER_AGGRESSION, "byte 56", 25, 95, Range::I16},
    {PLAYER_SKILL, "byte 58", 0, 182, Range::I16},      {PLAYER_WEIGHT, "byte 60", 164, 210, Range::I16},
    {PLAYER_SPARE, "byte 62", 0, 0, Range::I16},        {PLAYER_REACH, "byte 64", 14559, 16861, Range::U32},
    {PLAYER_HAIR_CLASS, "hair class", 0, 5, Range::U8}, {PLAYER_GUERNSEY, "guernsey", 0, 56, Range::U8},
};

int64_t read(const league_player* p, const Range& r)
{
    switch (r.width) {
    case Range::I16:
        return player_i16(p, r.offset);
    case Range::I32:
        return player_i32(p, r.offset);
    case Range::U32:
        return player_u32(p, r.offset);
    case Range::U8:
        return player_u8(p, r.offset);
    }
    return 0;
}

bool one_of(const char* text, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (std::strcmp(text, n) == 0)
            return true;
    return false;
}

TEST(BuiltInLeague, SixteenNumberedClubsOf42)
{
    select_builtin_league_data();
    ASSERT_EQ(current_league, &builtin_league);
    EXPECT_EQ(builtin_league.count, 16u);
    EXPECT_EQ(builtin_league.reserved, 0u);
    int plain_word_b = 0;
    for (int c = 0; c < LEAGUE_TEAMS; ++c) {
        const league_team* team = league_team_at(c);
        ASSERT_NE(team, nullptr);
        EXPECT_EQ(team->number, c);
        EXPECT_GE(team->strength, 42);
        EXPECT_LE(team->strength, 47);
        EXPECT_GE(team->word_a, 1);
        EXPECT_LE(team->word_a, 42);
        plain_word_b += team->word_b == 0xFFFF;
        for (int i = 0; i < LEAGUE_PLAYERS; ++i)
            ASSERT_NE(team->players[i], nullptr);
        EXPECT_TRUE(league_squad_size[c] == 41 || league_squad_size[c] == 42);
    }
    EXPECT_EQ(plain_word_b, 15);
    EXPECT_EQ(league_team_at(-1), nullptr);
    EXPECT_EQ(league_team_at(16), nullptr);
}

TEST(BuiltInLeague, EveryRecordLiesInItsRanges)
{
    for (int c = 0; c < LEAGUE_TEAMS; ++c) {
        const league_team* team = builtin_league.teams[c];
        for (int i = 0; i < LEAGUE_PLAYERS; ++i) {
            const league_player* p = team->players[i];
            for (const Range& r : ranges) {
                const int64_t v = read(p, r);
                EXPECT_GE(v, r.low) << "club " << c << " player " << i << " " << r.what;
                EXPECT_LE(v, r.high) << "club " << c << " player " << i << " " << r.what;
            }
            const char* hair = player_look(p, PLAYER_HAIR);
            EXPECT_TRUE(one_of(hair, {"BLACK", "BROWN", "BLONDE", "GINGER", "DARK", "nofoto"})) << hair;
            EXPECT_TRUE(one_of(player_look(p, PLAYER_SKIN), {"FAIR", "DARK", "NONE", "nofoto"}));
            EXPECT_TRUE(one_of(player_look(p, PLAYER_FACIAL_HAIR), {"NONE", "MOUSTACHE", "GOTEE", "BEARD", "nofoto"}));
            for (int b = 130; b < PLAYER_RECORD_SIZE; ++b)
                EXPECT_EQ(p->bytes[b], 0) << "club " << c << " player " << i << " byte " << b;
            for (int field : {PLAYER_NAME + PLAYER_NAME_SIZE - 1, PLAYER_HAIR + 19, PLAYER_SKIN + 19,
                              PLAYER_FACIAL_HAIR + 19})
                EXPECT_EQ(p->bytes[field], 0) << "every text ends inside its field";
        }
    }
}

TEST(BuiltInLeague, NamesAreUniqueWithAFirstAndALastName)
{
    std::set<std::string> names;
    for (const league_team* team : builtin_league.teams)
        for (const league_player* p : team->players) {
            const std::string name = player_name(p);
            const size_t blank = name.find(' ');
            ASSERT_NE(blank, std::string::npos) << name;
            EXPECT_GT(blank, 0u) << name;
            EXPECT_LT(blank + 1, name.size()) << name;
            EXPECT_LE(name.size(), 31u);
            EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
        }
}

TEST(BuiltInLeague, GuernseysAreUniqueAndTheSquadWearsUpTo41)
{
    for (int c = 0; c < LEAGUE_TEAMS; ++c) {
        std::set<int> numbers;
        for (int i = 0; i < LEAGUE_PLAYERS; ++i) {
            const int n = player_u8(builtin_league.teams[c]->players[i], PLAYER_GUERNSEY);
            EXPECT_TRUE(numbers.insert(n).second) << "club " << c << " wears " << n << " twice";
            if (i < SQUAD_POSITIONS) {
                EXPECT_LE(n, 41) << "club " << c << " squad man " << i;
            }
        }
    }
}

TEST(BuiltInLeague, EveryClubRatesBetween155And164AndTheyDiffer)
{
    std::set<int32_t> ratings;
    for (const league_team* team : builtin_league.teams) {
        const int32_t r = team_overall_rating(team, 0, -1);
        EXPECT_GE(r, 155) << "club " << team->number;
        EXPECT_LE(r, 164) << "club " << team->number;
        ratings.insert(r);
    }
    EXPECT_GE(ratings.size(), 6u);
}

TEST(PlayerRecord, FieldsAreLittleEndianAtTheirOffsets)
{
    league_player p{};
    set_player_i16(&p, PLAYER_KICKING, -2);
    set_player_i32(&p, PLAYER_HEIGHT, 0x01020304);
    set_player_u32(&p, PLAYER_REACH, 0xA0B0C0D0u);
    set_player_u8(&p, PLAYER_GUERNSEY, 56);
    EXPECT_EQ(p.bytes[40], 0xFE);
    EXPECT_EQ(p.bytes[41], 0xFF);
    EXPECT_EQ(p.bytes[52], 0x04);
    EXPECT_EQ(p.bytes[55], 0x01);
    EXPECT_EQ(p.bytes[64], 0xD0);
    EXPECT_EQ(p.bytes[67], 0xA0);
    EXPECT_EQ(p.bytes[129], 56);
    EXPECT_EQ(player_i16(&p, PLAYER_KICKING), -2);
    EXPECT_EQ(player_i32(&p, PLAYER_HEIGHT), 0x01020304);
    EXPECT_EQ(player_u32(&p, PLAYER_REACH), 0xA0B0C0D0u);

    // Names and looks are cut to leave their field's last byte zero.
    set_player_name(&p, "Abcdefghij Klmnopqrstuvwxyz0123456789");
    EXPECT_EQ(std::string(player_name(&p)), "Abcdefghij Klmnopqrstuvwxyz0123");
    EXPECT_EQ(p.bytes[31], 0);
    EXPECT_EQ(p.bytes[32], 0) << "the speed field is untouched";
    set_player_look(&p, PLAYER_HAIR, "BLONDE");
    set_player_name(&p, "Al Bo");
    EXPECT_EQ(std::string(player_name(&p)), "Al Bo");
    EXPECT_EQ(p.bytes[6], 0) << "a shorter name clears the rest";
    EXPECT_EQ(std::string(player_look(&p, PLAYER_HAIR)), "BLONDE");
}

// A hand-made squad: every man alike unless a case changes him.
class Ratings : public ::testing::Test {
protected:
    league_player people[LEAGUE_PLAYERS]{};
    league_team team{};
    void SetUp() override
    {
        team.strength = 42;
        for (int i = 0; i < LEAGUE_PLAYERS; ++i)
            team.players[i] = &people[i];
    }
    void all(int offset, int16_t value)
    {
        for (league_player& p : people)
            set_player_i16(&p, offset, value);
    }
};

TEST_F(Ratings, ATeamOfZerosRates107)
{
    EXPECT_EQ(team_overall_rating(&team, 0, -1), 107);
}

TEST_F(Ratings, TheFormulaOverTheSquadMeans)
{
    // S = 31/62 + 255/255 + 255/255 + 485/485 + 255/255 + 805/805 = 5.5;
    // 107 + 5.5 / 6 * 42 * 2.18 + 0.5 = 191.43
    all(PLAYER_SPEED, 31);
    all(PLAYER_KICKING, 255);
    all(PLAYER_HANDBALL, 255);
    all(PLAYER_TACKLING, 485);
    all(PLAYER_STRENGTH, 255);
    for (league_player& p : people)
        set_player_i32(&p, PLAYER_HEIGHT, 805);
    EXPECT_EQ(team_overall_rating(&team, 0, -1), 191);

    // Men past the squad do not count.
    for (int i = SQUAD_POSITIONS; i < LEAGUE_PLAYERS; ++i)
        set_player_i16(&people[i], PLAYER_SPEED, 0);
    EXPECT_EQ(team_overall_rating(&team, 0, -1), 191);

    // Means are truncated: speeds alternating 30 and 31 give 30 (191.18).
    for (int i = 0; i < SQUAD_POSITIONS; i += 2)
        set_player_i16(&people[i], PLAYER_SPEED, 30);
    EXPECT_EQ(team_attribute_mean(&team, MEAN_SPEED, 0, -1), 30);
    EXPECT_EQ(team_overall_rating(&team, 0, -1), 191);

    team.strength = 47; // 107 + 5.483.. / 6 * 47 * 2.18 + 0.5 = 201.13
    EXPECT_EQ(team_overall_rating(&team, 0, -1), 201);
}

TEST_F(Ratings, TheRatingTakesEachMeanAs16Bits)
{
    // A height mean of 70000 counts as 4464: 107 + 4464 / 805 / 6 * 42 * 2.18 + 0.5
    for (league_player& p : people)
        set_player_i32(&p, PLAYER_HEIGHT, 70000);
    EXPECT_EQ(team_overall_rating(&team, 0, -1), 192);
}

TEST_F(Ratings, MeansReadEachFieldAtItsWidth)
{
    struct Case {
        TeamMean which;
        int offset;
    } i16_fields[] = {
        {MEAN_SPEED, PLAYER_SPEED},       {MEAN_KICKING, PLAYER_KICKING},   {MEAN_HANDBALL, PLAYER_HANDBALL},
        {MEAN_TACKLING, PLAYER_TACKLING}, {MEAN_STRENGTH, PLAYER_STRENGTH}, {MEAN_MARKING, PLAYER_MARKING},
        {MEAN_STAMINA, PLAYER_STAMINA},   {MEAN_RECOVERY, PLAYER_RECOVERY}, {MEAN_ACCURACY, PLAYER_ACCURACY},
        {MEAN_AGGRESSION, PLAYER_AGGRESSION},
    };
    for (const Case& c : i16_fields) {
        SetUp();
        for (int i = 0; i < SQUAD_POSITIONS; ++i)
            set_player_i16(&people[i], c.offset, static_cast<int16_t>(i % 2 ? 101 : 100));
        EXPECT_EQ(team_attribute_mean(&team, c.which, 0, -1), 100) << c.offset;
        EXPECT_EQ(team_attribute_mean(&team, c.which, 1, 2), 101) << c.offset;
    }
    for (int i = 0; i < SQUAD_POSITIONS; ++i) {
        set_player_i32(&people[i], PLAYER_HEIGHT, 70000); // beyond 16 bits
        set_player_u32(&people[i], PLAYER_REACH, 16000);
    }
    EXPECT_EQ(team_attribute_mean(&team, MEAN_HEIGHT, 0, -1), 70000);
    EXPECT_EQ(team_attribute_mean(&team, MEAN_REACH, 0, -1), 16000);

    // Negative sums divide toward zero: (-3 - 4) / 2 = -3.
    set_player_i16(&people[0], PLAYER_SPEED, -3);
    set_player_i16(&people[1], PLAYER_SPEED, -4);
    EXPECT_EQ(team_attribute_mean(&team, MEAN_SPEED, 0, 2), -3);
    // An empty range has no mean.
    EXPECT_EQ(team_attribute_mean(&team, MEAN_SPEED, 5, 5), 0);
}

} // namespace
