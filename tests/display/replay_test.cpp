// The replay buffer: recording into a bounded list, applying frames back,
// seeking and stepping, and replay files with hostile ones among them.
#include "display/camera_presets.h"
#include "display/replay.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "model/paf.h"
#include "platform/directory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <sys/resource.h>

namespace {

std::vector<uint8_t> read_all(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void write_all(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class Replay : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_game_state_block();
        clear_match_hooks();
        reset_camera_presets();
        free_replay_node();
        replay_playback = ReplayPlayback{};
        match_globals.men_per_team = 18;
        match_globals.match_state = 1;
        game_settings.home_team = 3;
        game_settings.away_team = 11;
        new_replay_node(4 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE) + 100);
    }
    void TearDown() override
    {
        free_replay_node();
        std::error_code ec;
        std::filesystem::remove(path, ec);
        clear_game_state_block();
    }
    // A tick of play: men, ball and state all carry the tick number.
    void play_tick(uint32_t tick)
    {
        for (int t = 0; t < 2; ++t)
            for (int i = 0; i < 18; ++i) {
                PlayerSlot& m = team_records[t].slots[i];
                m.x = static_cast<int16_t>(tick * 10 + i);
                m.y = static_cast<int16_t>(-static_cast<int32_t>(tick) - t);
                m.z = static_cast<int16_t>(i);
                m.facing = static_cast<uint8_t>(tick);
                m.primary_animation = (tick + i) % 300;
                m.primary_position = static_cast<int32_t>(tick) << 16;
            }
        ball_state.x = static_cast<int32_t>(tick) << 16;
        match_globals.match_state = static_cast<uint8_t>(1 + tick % 70);
        record_replay_frame(tick);
    }
    std::vector<uint32_t> ticks() const
    {
        std::vector<uint32_t> out;
        for (const ReplayNode* n = replay_buffer.head; n; n = n->next) out.push_back(frame_tick(n->frame));
        return out;
    }
    std::string path = user_path("replay_test.rpl");
};

TEST_F(Replay, ABoundedListDropsTheOldestFrame)
{
    EXPECT_EQ(replay_buffer.capacity, 4u);
    for (uint32_t t = 1; t <= 5; ++t) play_tick(t);
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{2, 3, 4, 5}));
    EXPECT_EQ(replay_buffer.current, replay_buffer.tail);
    EXPECT_EQ(replay_position(), 3u);
    replay_first_node();
    EXPECT_EQ(frame_tick(replay_buffer.current->frame), 2u);
    EXPECT_EQ(replay_position(), 0u);
}

TEST_F(Replay, ResizingKeepsTheNewestFrames)
{
    for (uint32_t t = 1; t <= 4; ++t) play_tick(t);
    new_replay_node(2 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(frame_tick(replay_buffer.current->frame), 3u) << "current is the new head";
    new_replay_node(6 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{3, 4}));
    for (uint32_t t = 5; t <= 8; ++t) play_tick(t);
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{3, 4, 5, 6, 7, 8}));
}

TEST_F(Replay, AFrameAppliedRestoresMenBallStateAndKeyMen)
{
    PlayerSlot& holder = team_records[1].slots[7];
    match_globals.ball_holder = &holder;
    match_globals.selected_man = &team_records[1].slots[3];
    match_globals.umpire_with_ball = &official_slots[2];
    team_records[0].slots[5].secondary_data = nullptr;
    play_tick(9);
    const uint8_t* frame = replay_buffer.tail->frame;
    EXPECT_EQ(frame[RF_HOLDER], 7);
    EXPECT_EQ(frame[RF_HOLDER_TEAM], 1);
    EXPECT_EQ(frame[RF_CONTROLLED], 3 | 0x40);
    EXPECT_EQ(frame[RF_OFFICIAL], 2);

    play_tick(10);
    match_globals.ball_holder = nullptr;
    match_globals.selected_man = nullptr;
    match_globals.umpire_with_ball = nullptr;
    replay_first_node();
    apply_current_replay_frame();
    EXPECT_EQ(team_records[0].slots[4].x, 94);
    EXPECT_EQ(team_records[1].slots[4].y, -10);
    EXPECT_EQ(team_records[0].slots[4].primary_animation, 13u);
    EXPECT_EQ(team_records[0].slots[4].primary_position, 9 << 16);
    EXPECT_EQ(team_records[0].slots[4].secondary_animation, 0xFFFFFFFFu) << "none recorded";
    EXPECT_EQ(ball_state.x, 9 << 16);
    EXPECT_EQ(match_globals.match_state, 10);
    EXPECT_EQ(match_globals.previous_match_state, 11) << "the live state becomes the previous one";
    EXPECT_EQ(match_globals.ball_holder, &holder);
    EXPECT_EQ(match_globals.selected_man, &team_records[1].slots[3]);
    EXPECT_EQ(match_globals.umpire_with_ball, &official_slots[2]);
}

TEST_F(Replay, TurningAnimationsSetTheBlendRowFlag)
{
    for (uint32_t a : {120u, 121u, 128u, 129u}) {
        team_records[0].slots[0].primary_animation = a;
        team_records[0].slots[0].turning = 0;
        record_replay_frame(1);
        team_records[0].slots[0].turning = 7;
        apply_current_replay_frame();
        EXPECT_EQ(team_records[0].slots[0].turning, (a >= 121 && a <= 128) ? 1u : 0u) << a;
    }
}

TEST_F(Replay, ASecondaryAnimationIsKeptWhateverItsFraction)
{
    // Only the number says "none": a position whose low half is 0xFFFF is a
    // real place in the animation.
    static PafAnimation some_animation{};
    PlayerSlot& m = team_records[0].slots[2];
    m.secondary_data = &some_animation;
    m.secondary_animation = 57;
    m.secondary_position = 0x0002FFFF;
    record_replay_frame(1);
    m.secondary_animation = 0xFFFFFFFFu;
    m.secondary_position = 0;
    apply_current_replay_frame();
    EXPECT_EQ(m.secondary_animation, 57u);
    EXPECT_EQ(m.secondary_position, 0x0002FFFF);
}

TEST_F(Replay, AHeldPoseStillRecordsItsPrimaryAnimation)
{
    // A recycled frame must not show the pose of the tick it held before.
    for (uint32_t t = 1; t <= 4; ++t) play_tick(t);
    PlayerSlot& m = team_records[0].slots[0];
    m.animation_flags = 2;
    m.primary_animation = 200;
    m.primary_position = 3 << 16;
    record_replay_frame(5);
    m.primary_animation = 0;
    apply_current_replay_frame();
    EXPECT_EQ(m.primary_animation, 200u);
    EXPECT_EQ(m.primary_position, 3 << 16);
    EXPECT_EQ(m.secondary_data, nullptr);
}

TEST_F(Replay, SeekWalksByTickNumbersEitherWay)
{
    for (uint32_t t : {10u, 12u, 13u, 20u}) play_tick(t);
    replay_first_node();
    ReplayNode* to = nullptr;
    EXPECT_EQ(replay_seek(3, &to), 3);
    EXPECT_EQ(frame_tick(to->frame), 13u);
    EXPECT_EQ(replay_seek(100, &to), 10) << "the list ends at its newest frame";
    EXPECT_EQ(frame_tick(to->frame), 20u);
    replay_last_node();
    EXPECT_EQ(replay_seek(-5, &to), -7);
    EXPECT_EQ(frame_tick(to->frame), 13u);
    EXPECT_EQ(replay_seek(0, &to), 0);
    EXPECT_EQ(to, replay_buffer.current);
    free_replay_node();
    EXPECT_EQ(replay_seek(3, &to), 0) << "no buffer";
}

TEST_F(Replay, PlaybackModesMoveByTheirRates)
{
    for (uint32_t t = 1; t <= 4; ++t) play_tick(t);
    struct Case {
        int32_t start_tick, mode, ticks;
        uint32_t end_tick;
        int32_t end_mode;
    } cases[] = {
        {1, 3, 1, 2, 0},   // one frame, then stop
        {3, 14, 5, 2, 0},  // one frame back whatever k is
        {1, 0, 4, 1, 0},   // a pause adds nothing
        {1, 1, 2, 3, 1},
        {3, 1, 5, 4, 0},   // forward at the newest frame stops
        {1, 6, 1, 4, 6},
        {4, 8, 1, 1, 8},
        {2, 2, 4, 1, 0},   // backward at the oldest stops
        {1, 13, 2, 1, 13}, // a third of a frame a tick
        {1, 13, 3, 2, 13},
        {4, 16, 3, 3, 16},
        {1, 9, 3, 1, 9},   // not a mode: nothing moves
    };
    for (const Case& c : cases) {
        replay_buffer.current = replay_buffer.head;
        while (frame_tick(replay_buffer.current->frame) != static_cast<uint32_t>(c.start_tick))
            replay_buffer.current = replay_buffer.current->next;
        replay_playback = ReplayPlayback{};
        replay_playback.mode = c.mode;
        for (int32_t i = 0; i < c.ticks; ++i) step_replay(1, 0);
        EXPECT_EQ(frame_tick(replay_buffer.current->frame), c.end_tick) << "mode " << c.mode;
        EXPECT_EQ(replay_playback.mode, c.end_mode) << "mode " << c.mode;
    }
}

TEST_F(Replay, StepsReturnTheTimeAndRunTheClocks)
{
    play_tick(1);
    const uint32_t before = match_tick_record.tick_number;
    replay_countdowns[1] = 2;
    const double t = step_replay(3, 100.0);
    EXPECT_NEAR(t, 100.0 + 3 * 1000.0 / 62.0, 1e-9);
    EXPECT_EQ(match_tick_record.tick_number, before + 3);
    EXPECT_EQ(replay_countdowns[1], 0) << "not below 0";
}

TEST_F(Replay, AFileRoundTripsByteForByte)
{
    for (uint32_t t = 1; t <= 3; ++t) play_tick(t);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    const std::vector<uint8_t> first = read_all(path);
    ASSERT_EQ(first.size(), REPLAY_HEADER_SIZE + 3 * REPLAY_FRAME_SIZE);
    EXPECT_EQ(first[0], 204);
    EXPECT_EQ(first[4], 3);
    EXPECT_EQ(first[8], 11);
    game_settings.home_team = game_settings.away_team = 0;
    reset_replay();
    ASSERT_EQ(load_replay_file(path.c_str()), 1);
    EXPECT_EQ(game_settings.home_team, 3);
    EXPECT_EQ(game_settings.away_team, 11);
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(replay_buffer.current, replay_buffer.tail);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    EXPECT_EQ(read_all(path), first);
}

TEST_F(Replay, AppendingWritesFramesOnly)
{
    play_tick(1);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    play_tick(2);
    ASSERT_EQ(save_replay_file(path.c_str(), 1), 1);
    EXPECT_EQ(read_all(path).size(), REPLAY_HEADER_SIZE + 3 * REPLAY_FRAME_SIZE);
    reset_replay();
    EXPECT_EQ(save_replay_file(path.c_str(), 0), 0) << "an empty buffer saves nothing";
    ASSERT_EQ(load_replay_file(path.c_str()), 1);
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{1, 1, 2}));
}

// Runs body with the process unable to grow any file past limit bytes, as on
// a full disc: writes past it fail instead of raising a signal.
template <class Body> void with_file_size_limit(rlim_t limit, Body body)
{
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit low = old;
    low.rlim_cur = limit;
    void (*old_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    body();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
}

TEST_F(Replay, AFailedWriteLeavesTheOldFileWhole)
{
    for (uint32_t t = 1; t <= 2; ++t) play_tick(t);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    const std::vector<uint8_t> old = read_all(path);
    for (uint32_t t = 3; t <= 4; ++t) play_tick(t);
    struct Case {
        const char* what;
        int32_t append;
        rlim_t limit;
    } cases[] = {
        {"a new file cut short", 0, old.size() + REPLAY_FRAME_SIZE / 2},
        {"an append cut short while copying", 1, old.size() / 2},
        {"an append cut short after the copy", 1, old.size() + REPLAY_FRAME_SIZE / 2},
    };
    for (const Case& c : cases) {
        int32_t result = -1;
        with_file_size_limit(c.limit, [&] { result = save_replay_file(path.c_str(), c.append); });
        EXPECT_EQ(result, 0) << c.what;
        EXPECT_EQ(read_all(path), old) << c.what;
        EXPECT_FALSE(std::filesystem::exists(path + ".new")) << c.what << ": nothing left beside it";
    }
}

TEST_F(Replay, AnAppendKeepsTheOldFileAndAddsTheFrames)
{
    for (uint32_t t = 1; t <= 2; ++t) play_tick(t);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    const std::vector<uint8_t> old = read_all(path);
    reset_replay();
    game_settings.home_team = 5;
    for (uint32_t t = 7; t <= 9; ++t) play_tick(t);
    const std::string fresh = user_path("replay_test_fresh.rpl");
    ASSERT_EQ(save_replay_file(fresh.c_str(), 0), 1);
    const std::vector<uint8_t> whole = read_all(fresh);
    const std::vector<uint8_t> frames(whole.begin() + REPLAY_HEADER_SIZE, whole.end());
    std::filesystem::remove(fresh);

    ASSERT_EQ(save_replay_file(path.c_str(), 1), 1);
    std::vector<uint8_t> expected = old;
    expected.insert(expected.end(), frames.begin(), frames.end());
    EXPECT_EQ(read_all(path), expected) << "the old header and frames, then the new frames";
    ASSERT_EQ(load_replay_file(path.c_str()), 1);
    EXPECT_EQ(game_settings.home_team, 3) << "the old file's clubs";

    // Appending where there is no file yet writes a whole replay.
    ASSERT_FALSE(std::filesystem::exists(fresh));
    ASSERT_EQ(save_replay_file(fresh.c_str(), 1), 1);
    EXPECT_EQ(load_replay_file(fresh.c_str()), 1);
    std::filesystem::remove(fresh);
}

TEST_F(Replay, AnAppendOntoAFileThatIsNoReplayIsRefused)
{
    play_tick(1);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    const std::vector<uint8_t> good = read_all(path);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"short header", {204, 0, 0}},
        {"foreign header", [&] {
             std::vector<uint8_t> b = good;
             b[0] = 7;
             return b;
         }()},
        {"part of a frame", std::vector<uint8_t>(good.begin(), good.end() - 1)},
    };
    for (const Case& c : cases) {
        write_all(path, c.bytes);
        EXPECT_EQ(save_replay_file(path.c_str(), 1), 0) << c.what;
        EXPECT_EQ(read_all(path), c.bytes) << c.what;
        EXPECT_FALSE(std::filesystem::exists(path + ".new")) << c.what;
    }
}

TEST_F(Replay, ALongFileLoadsItsNewestFrames)
{
    new_replay_node(8 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    for (uint32_t t = 1; t <= 7; ++t) play_tick(t);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    new_replay_node(4 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    ASSERT_EQ(load_replay_file(path.c_str()), 1);
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{4, 5, 6, 7}));
}

TEST_F(Replay, HostileFilesAreRefused)
{
    for (uint32_t t = 1; t <= 2; ++t) play_tick(t);
    ASSERT_EQ(save_replay_file(path.c_str(), 0), 1);
    const std::vector<uint8_t> good = read_all(path);
    auto with = [&](size_t offset, uint8_t value) {
        std::vector<uint8_t> b = good;
        b[offset] = value;
        return b;
    };
    const size_t frame1 = REPLAY_HEADER_SIZE + REPLAY_FRAME_SIZE;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"short header", {204, 0, 0, 0, 3}},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + REPLAY_HEADER_SIZE)},
        {"wrong format", with(0, 205)},
        {"club out of range", with(4, 16)},
        {"animation past the table", with(frame1 + RF_TEAM_A + 31, 0x7F)},
        {"state 0", with(frame1 + RF_STATE, 0)},
        {"official past five", with(frame1 + RF_OFFICIAL, 5)},
        {"holder past the slots", with(frame1 + RF_HOLDER, 30)},
        {"holder team 3", [&] {
             std::vector<uint8_t> b = with(frame1 + RF_HOLDER_TEAM, 3);
             b[frame1 + RF_HOLDER] = 1;
             return b;
         }()},
        {"controlled past the slots", with(frame1 + RF_CONTROLLED, 40)},
    };
    for (const Case& c : cases) {
        write_all(path, c.bytes);
        play_tick(9);
        EXPECT_EQ(load_replay_file(path.c_str()), 0) << c.what;
        EXPECT_TRUE(replay_buffer.count == 0 || frame_tick(replay_buffer.tail->frame) == 9) << c.what;
    }
    EXPECT_EQ(load_replay_file(user_path("no_such.rpl").c_str()), 0);

    // A partial frame at the end is left unread.
    std::vector<uint8_t> tail = good;
    tail.resize(tail.size() + 100, 0xEE);
    write_all(path, tail);
    ASSERT_EQ(load_replay_file(path.c_str()), 1);
    EXPECT_EQ(ticks(), (std::vector<uint32_t>{1, 2}));
}

} // namespace
