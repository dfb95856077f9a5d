// Commentary: the phrase table, the choice of what is said and when, the
// spoken names joined to phrases, and what reaches the mixed output.
#include "platform/sound_fixtures.h"

#include "display/commentary.h"
#include "league/league_data.h"
#include "lib/adpcm_write.h"
#include "match/ground.h"
#include "match/match_records.h"

#include <cstring>
#include <numeric>
#include <set>

namespace {

using namespace fixtures;

constexpr int32_t MEN = 18;
constexpr int32_t CLUB_A = 3, CLUB_B = 9;

int64_t energy(const std::vector<int16_t>& v)
{
    return std::accumulate(v.begin(), v.end(), int64_t{0}, [](int64_t a, int16_t s) { return a + std::abs(s); });
}

std::string base_name(int32_t group, int32_t i)
{
    const char* n = phrase_group(group).names[i];
    return std::string(n, strnlen(n, PHRASE_NAME_SIZE - 1));
}

// A tone of its own pitch for each sample, so that what plays can be told apart.
std::vector<int16_t> tone(size_t n, double hz)
{
    std::vector<int16_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<int16_t>(6000 * std::sin(6.2831853 * hz * static_cast<double>(i) / 22050));
    return v;
}

TEST(PhraseGroups, TheTableKeepsTheRulesTheLoaderAndTheKitRelyOn)
{
    int32_t resident_always = 0;
    for (int32_t g = 0; g < PHRASE_GROUP_COUNT; ++g) {
        const PhraseGroup& group = phrase_group(g);
        const int32_t k = phrase_group_resident(g);
        ASSERT_GE(group.count, 1) << g;
        EXPECT_LE(k, group.count) << g << ": the distinct draws would never end";
        if (phrase_group_streamed(g)) {
            EXPECT_EQ(k, 0) << g;
        }
        if (remark_group(g) || g == 291 || g == 292 || g == 295) {
            EXPECT_GE(k, 1) << g;
            EXPECT_GE(group.count, 2) << g << ": a refresh needs another sample";
        }
        const bool club = (g >= 106 && g <= 121) || (g >= 298 && g <= 313);
        if (!club && !phrase_group_streamed(g)) resident_always += k;
        for (int32_t i = 0; i < group.count; ++i) {
            const char* name = group.names[i];
            EXPECT_LT(strnlen(name, PHRASE_NAME_SIZE), static_cast<size_t>(PHRASE_NAME_SIZE)) << g;
            const uint8_t kind = phrase_name_kind(name);
            EXPECT_TRUE(kind <= 3 || (kind >= 6 && kind <= 10)) << g << " " << int(kind);
        }
    }
    EXPECT_TRUE(phrase_group_streamed(271));
    // Two clubs' groups, the names, the effects and the crowd must fit the 550 slots.
    EXPECT_LE(resident_always + 2 * (2 * NAMED_PLAYERS) + 2 * (3 * MAX_LINE_UP + 10) + 47 + 1 + 14 + 1, 550);
}

TEST(PhraseGroups, NamedPlayersReadBackFromTheirGroupNames)
{
    for (int32_t club = 0; club < 16; ++club) {
        int32_t numbers[NAMED_PLAYERS];
        club_named_players(club, numbers);
        const PhraseGroup& g = phrase_group(106 + club);
        for (int32_t i = 0; i < g.count; ++i) {
            const std::string name = base_name(106 + club, i);
            ASSERT_EQ(name.size(), 7u) << name;
            EXPECT_EQ(std::stoi(name.substr(5, 2)), numbers[i] + 1) << name << ": characters 6 and 7 hold number + 1";
            EXPECT_LE(numbers[i], 41);
        }
    }
}

TEST(FieldZone, ColumnsRowsAndTheMirroredSide)
{
    build_boundary_tables();
    struct Case {
        int32_t x, y, side, zone;
    } cases[] = {
        {-20000, -7000, 1, 0},  {-20000, 0, 1, 13},  {-20000, 7000, 1, 1},  {-10000, -7000, 1, 3},
        {-10000, 0, 1, 2},      {0, 0, 1, 8},        {10000, 7000, 1, 10},  {20000, -7000, 1, 11},
        {20000, 0, 1, -1},      {-20000, -7000, 2, 12}, {20000, 0, 2, 13},  {0, 0, 2, 8},
        {30000, 0, 1, 0}, // outside the oval
    };
    for (const Case& c : cases) EXPECT_EQ(field_zone(c.x, c.y, c.side), c.zone) << c.x << "," << c.y << " side " << c.side;
}

class CommentaryTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        clear_game_state_block();
        build_boundary_tables();
        active_sound_levels = ActiveSoundLevels{1, 1, 1, 127, 127, 127};
        fs::create_directories(dir / "KOB99_SFX");
        match_globals.men_per_team = MEN;
        match_globals.pending_cut_state = -1;
        match_globals.ticks_last_frame = 1;
        for (int32_t t = 0; t < 2; ++t) {
            TeamRecord& team = team_records[t];
            team.club = builtin_league.teams[t ? CLUB_B : CLUB_A];
            team.side = static_cast<uint8_t>(t + 1);
            team.other_team = &team_records[1 - t];
            for (int32_t i = 0; i < MEN; ++i) {
                PlayerSlot& m = team.slots[i];
                m.number = static_cast<uint8_t>(i);
                m.team_index = static_cast<uint8_t>(t);
                m.team = &team;
                m.side = team.side;
                m.person = team.club->players[i];
            }
        }
        reset_commentary();
    }
    void TearDown() override
    {
        free_commentary();
        reset_commentary();
        clear_game_state_block();
        SoundTest::TearDown();
    }
    // Every sample of the group, each its own tone.
    void write_group(int32_t group, size_t samples = 2205)
    {
        for (int32_t i = 0; i < phrase_group(group).count; ++i)
            write_file("KOB99_SFX/" + base_name(group, i) + ".LKA",
                       kit_adpcm_sample(tone(samples, 300 + 40 * group + 7 * i)));
    }
    // A names file: three takes of every number, some of which may be left
    // out, then the ten club records.
    void write_names(int32_t club, size_t samples = 1102)
    {
        std::vector<uint8_t> file;
        for (int32_t r = 0; r < 136; ++r) {
            const std::vector<uint8_t> image = kit_adpcm_sample(tone(samples, 900 + 5 * r));
            file.insert(file.end(), image.begin(), image.end());
        }
        char name[32];
        std::snprintf(name, sizeof name, "KOB99_SFX/TEAM%02d.DAT", club + 1);
        write_file(name, file);
    }
    int32_t number_of(int32_t team, int32_t man) { return team_records[team].slots[man].person->bytes[PLAYER_GUERNSEY]; }
    // Runs the phrase clock on until the speaker is free again.
    void let_speaker_finish()
    {
        advance_phrase_clock(commentary.phrase_length + commentary.gap + 1);
        commentary.silence = 1000;
    }
};

TEST_F(CommentaryTest, SwitchedOffOrWithoutSoundNothingLoads)
{
    active_sound_levels.commentary = 0;
    EXPECT_EQ(load_commentary(), 0);
    active_sound_levels.commentary = 1;
    write_group(58);
    ASSERT_EQ(load_commentary(), 1);
    EXPECT_GE(group_slots[58].slots[0].sound, 0);
    EXPECT_EQ(commentary.samples_loaded, 1);
}

TEST_F(CommentaryTest, ClubGroupsLoadOnlyForTheClubsPlaying)
{
    write_group(106 + CLUB_A);
    write_group(106 + 5);
    ASSERT_EQ(load_commentary(), 1);
    for (const PhraseSlot& s : group_slots[106 + CLUB_A].slots) EXPECT_GE(s.sound, 0);
    for (const PhraseSlot& s : group_slots[106 + 5].slots) EXPECT_EQ(s.sound, -1) << "club 5 is not playing";
}

TEST_F(CommentaryTest, NamesFileGivesEachWornNumberThreeEntriesAndTheClubTen)
{
    write_names(CLUB_A);
    write_names(CLUB_B);
    ASSERT_EQ(load_commentary(), 1);
    std::set<int32_t> firsts;
    for (int32_t t = 0; t < 2; ++t) {
        const int32_t base = t * (3 * MEN + 10);
        for (int32_t i = 0; i < MEN; ++i) {
            const int32_t e = line_up_names[t][i];
            if (number_of(t, i) > 41) {
                EXPECT_EQ(e, -1);
                continue;
            }
            ASSERT_GE(e, base);
            EXPECT_LT(e, base + 3 * MEN);
            EXPECT_EQ((e - base) % 3, 0) << "men's names take whole threes";
            EXPECT_TRUE(firsts.insert(e).second) << "two men share entry " << e;
            for (int32_t take = 0; take < 3; ++take) EXPECT_GE(name_entries[e + take].sound, 0);
        }
        for (int32_t k = 0; k < 10; ++k) EXPECT_GE(name_entries[base + 3 * MEN + k].sound, 0) << "club record " << k;
    }
}

TEST_F(CommentaryTest, AHostileNamesFileStopsAtItsEndWithoutReadingPast)
{
    std::vector<uint8_t> file = kit_adpcm_sample(tone(400, 700));
    // A second record claiming far more bytes than the file holds.
    const std::vector<uint8_t> liar = {0xFF, 0xFF, 0xFF, 0x0F, 0x22, 0x56, 0x06, 0, 1, 2, 3};
    file.insert(file.end(), liar.begin(), liar.end());
    char name[32];
    std::snprintf(name, sizeof name, "KOB99_SFX/TEAM%02d.DAT", CLUB_A + 1);
    write_file(name, file);
    ASSERT_EQ(load_commentary(), 1);
    int32_t loaded = 0;
    for (const NameEntry& e : name_entries) loaded += e.sound >= 0;
    EXPECT_LE(loaded, 1);
}

TEST_F(CommentaryTest, WaitingEventsFollowPriorityAndTheRepeatRule)
{
    for (int32_t g : {41, 42, 43}) write_group(g);
    ASSERT_EQ(load_commentary(), 1);
    commentary.silence = 1000;
    commentate(41, -1, -1, -1, -1, 7);
    EXPECT_EQ(commentary.last_group, 41);
    ASSERT_GT(commentary.phrase_length, 0);
    // Busy: the first event waits, a lower one does not replace it, an equal one of another group does.
    commentate(42, -1, -1, -1, -1, 5);
    EXPECT_EQ(commentary.waiting_group, 42);
    commentate(43, -1, -1, -1, -1, 4);
    EXPECT_EQ(commentary.waiting_group, 42);
    commentate(43, -1, -1, -1, -1, 5);
    EXPECT_EQ(commentary.waiting_group, 43);
    // Free again: the waiting one is said.
    advance_phrase_clock(commentary.phrase_length + commentary.gap);
    commentate(-2, -1, -1, -1, -1, 0);
    EXPECT_EQ(commentary.last_group, 43);
    EXPECT_EQ(commentary.waiting_priority, -1);
    // The same group again within 186 ticks of silence is dropped, whatever its priority.
    advance_phrase_clock(commentary.phrase_length + commentary.gap);
    commentary.silence = 100;
    const int32_t clock = commentary.phrase_clock;
    commentate(43, -1, -1, -1, -1, 1000);
    EXPECT_EQ(commentary.phrase_clock, clock) << "nothing new was started";
    commentary.silence = 186;
    commentate(43, -1, -1, -1, -1, 1000);
    EXPECT_EQ(commentary.phrase_clock, 0);
    // -3 drops what waits.
    commentate(42, -1, -1, -1, -1, 9);
    commentate(-3, -1, -1, -1, -1, 0);
    EXPECT_EQ(commentary.waiting_priority, -1);
}

TEST_F(CommentaryTest, NamesAreJoinedAfterThePhraseAndNeverSaidTwiceInARow)
{
    write_group(73);
    write_names(CLUB_A, 2205);
    write_names(CLUB_B, 2205);
    ASSERT_EQ(load_commentary(), 1);
    int32_t man = 0;
    while (number_of(0, man) > 41) ++man;
    // Make every slot of the group a kind-1 phrase.
    for (PhraseSlot& s : group_slots[73].slots) s.kind = 1;
    commentary.silence = 1000;
    commentate(73, 0, man, -1, -1, 50);
    const uint32_t phrase = group_slots[73].slots[group_slots[73].cursor].length;
    EXPECT_EQ(commentary.phrase_length, phrase_ticks(phrase + name_entries[line_up_names[0][man] + 1].length))
        << "the joined length";
    EXPECT_EQ(commentary.last_name, line_up_names[0][man]);
    EXPECT_GT(energy(mix(4000)), 0);
    // The same man again: nothing is said, though the group may be.
    let_speaker_finish();
    const int32_t length = commentary.phrase_length;
    commentary.last_sound = -1;
    commentary.last_group = -1;
    commentate(73, 0, man, -1, -1, 50);
    EXPECT_EQ(commentary.phrase_length, length);
    EXPECT_EQ(commentary.last_name, line_up_names[0][man]);
}

TEST_F(CommentaryTest, AManWithoutASpokenNameGetsThePhraseAlone)
{
    write_group(73);
    ASSERT_EQ(load_commentary(), 1); // no names files
    for (PhraseSlot& s : group_slots[73].slots) s.kind = 1;
    commentary.silence = 1000;
    commentate(73, 0, 0, -1, -1, 50);
    EXPECT_EQ(commentary.phrase_length, phrase_ticks(group_slots[73].slots[group_slots[73].cursor].length));
    EXPECT_GT(energy(mix(2000)), 0);
}

TEST_F(CommentaryTest, BallPositionIsNeverSaidForZoneTwoOrTwiceForOneZone)
{
    for (int32_t z = 0; z < BALL_ZONE_PHRASES; ++z) {
        char name[40];
        std::snprintf(name, sizeof name, "KOB99_SFX/P_01_%02d.LKA", z + 1);
        write_file(name, kit_adpcm_sample(tone(1102, 500 + 20 * z)));
    }
    ASSERT_EQ(load_commentary(), 1);
    PlayerSlot& holder = team_records[0].slots[0];
    match_globals.ball_holder = &holder;
    struct Step {
        int16_t x, y;
        bool said;
    } steps[] = {
        {0, 0, true},        // the centre, zone 8
        {100, 0, false},     // the centre again
        {-10000, 0, false},  // zone 2
        {-10000, -7000, true}, // zone 3
        {20000, 0, false},   // zone -1
    };
    commentary.silence = 1000;
    for (const Step& s : steps) {
        holder.x = s.x, holder.y = s.y;
        commentary.last_group = -1;
        commentary.phrase_clock = 10000;
        commentate(314, -1, -1, -1, -1, 0);
        EXPECT_EQ(commentary.phrase_clock == 0, s.said) << s.x << "," << s.y;
    }
}

TEST_F(CommentaryTest, VolumeZeroIsSilentButKeepsTheTiming)
{
    write_group(41);
    ASSERT_EQ(load_commentary(), 1);
    active_sound_levels.commentary_volume = 0;
    commentary.silence = 1000;
    commentate(41, -1, -1, -1, -1, 7);
    EXPECT_GT(commentary.phrase_length, 0);
    EXPECT_EQ(energy(mix(4000)), 0);
}

TEST_F(CommentaryTest, MutedOrPendingEventsWaitForTheirMoment)
{
    write_group(41);
    ASSERT_EQ(load_commentary(), 1);
    commentary.silence = 1000;
    set_pending_commentary(41, -1, -1, -1, -1, 7);
    EXPECT_EQ(commentary.last_group, -1);
    mute_commentary();
    EXPECT_EQ(pending_commentary.group, -1) << "muting drops the pending event";
    set_pending_commentary(41, -1, -1, -1, -1, 7);
    flush_pending_commentary();
    EXPECT_EQ(commentary.last_group, -1) << "muted";
    unmute_commentary();
    set_pending_commentary(41, -1, -1, -1, -1, 7);
    flush_pending_commentary();
    EXPECT_EQ(commentary.last_group, 41);
    EXPECT_EQ(pending_commentary.group, -1);
}

TEST_F(CommentaryTest, ARefreshLoadsAnotherSampleAndReleasesTheOld)
{
    write_group(139);
    ASSERT_EQ(load_commentary(), 1);
    const uint32_t before = group_slots[139].slots[0].index;
    const int32_t loaded = commentary.samples_loaded;
    bool changed = false;
    for (int32_t tries = 0; tries < 20 && !changed; ++tries)
        changed = refresh_phrase_group(139) && group_slots[139].slots[0].index != before;
    EXPECT_TRUE(changed);
    EXPECT_GE(group_slots[139].slots[0].sound, 0);
    EXPECT_GT(commentary.samples_loaded, loaded);
}

TEST_F(CommentaryTest, SaidOnceGroupsAreReleasedWhenTheNextPhraseStarts)
{
    write_group(58);
    write_group(41);
    ASSERT_EQ(load_commentary(), 1);
    commentary.silence = 1000;
    commentate(58, -1, -1, -1, -1, 102);
    ASSERT_EQ(commentary.last_group, 58);
    let_speaker_finish();
    commentate(41, -1, -1, -1, -1, 7);
    EXPECT_EQ(group_slots[58].slots[0].sound, -1);
    // Its turn again says nothing rather than a freed sample.
    let_speaker_finish();
    commentate(58, -1, -1, -1, -1, 102);
    EXPECT_NE(commentary.last_group, -1);
    mix(4000);
}

TEST_F(CommentaryTest, FreeingGivesEverySampleBack)
{
    write_group(41);
    write_names(CLUB_A);
    ASSERT_EQ(load_commentary(), 1);
    free_commentary();
    EXPECT_EQ(commentary.loaded, 0);
    for (int32_t s = 0; s < SAMPLE_SLOT_COUNT; ++s) {
        EXPECT_EQ(sample_slots[s].adpcm_data, nullptr) << s;
        EXPECT_EQ(sample_slots[s].voice[0], nullptr) << s;
    }
}

TEST_F(CommentaryTest, TheSilenceIsFilledWithTheBallsPosition)
{
    write_file("KOB99_SFX/P_01_09.LKA", kit_adpcm_sample(tone(1102, 500)));
    ASSERT_EQ(load_commentary(), 1);
    match_globals.match_state = 1;
    match_globals.ticks_played = 100;
    PlayerSlot& holder = team_records[0].slots[0];
    holder.x = 0, holder.y = 0;
    match_globals.ball_holder = &holder;
    for (int32_t t = 0; t < 300 && commentary.last_group != 314; ++t) commentary_fill_silence();
    EXPECT_EQ(commentary.last_group, 314);
    EXPECT_GT(energy(mix(2000)), 0);
}

} // namespace
