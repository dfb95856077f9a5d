#include "input_fixture.h"
#include "host/host_test_hooks.h"

#include "host/paths.h"
#include "platform/settings_targets.h"

#include <filesystem>
#include <fstream>

namespace {

using namespace input_test;
namespace fs = std::filesystem;

class InputRecording : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        dir = fs::temp_directory_path() / ("kob_rec_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        host_set_user_dir(dir.string());
        reset_recording_file_number();
        recording_read_offset = 0;
        const uint32_t keys[8] = {200, 208, 203, 205, 44, 45, 46, 47};
        bind_keys(keys);
    }
    void TearDown() override
    {
        host_set_user_dir("");
        fs::remove_all(dir);
        InputTest::TearDown();
    }
    fs::path file(int n) const
    {
        char name[40];
        std::snprintf(name, sizeof name, "input_record_%05d.log", n);
        return dir / name;
    }
    uintmax_t size_of(int n) const { return fs::exists(file(n)) ? fs::file_size(file(n)) : 0; }
    fs::path dir;
};

TEST_F(InputRecording, HeaderRecordIsWrittenFieldByField)
{
    controller_record c;
    std::memset(&c, 0, sizeof c);
    c.index = 3;
    c.kind = CONTROLLER_JOYSTICK;
    c.side = -1;
    c.button_map[0] = 1, c.button_map[3] = 128;
    c.raw_dirs = DIR_LEFT;
    c.axis_x = -1;
    c.button_hold[3] = -1;
    c.dir_count[3].idle = 0x01020304;
    c.dirs_pressed = 9;
    c.dir_flags = 17;
    c.men[0] = reinterpret_cast<PlayerSlot*>(&c);
    c.rest[107] = 0xEE;
    uint8_t bytes[RECORDING_RECORD_BYTES];
    std::memset(bytes, 0xAA, sizeof bytes);
    put_recording_record(bytes, c);
    struct Field {
        size_t offset;
        std::vector<uint8_t> value;
    };
    const Field fields[] = {
        {8, {3, 0, 0, 0}},          {16, {1, 0, 0, 0}},   {20, {0xFF, 0xFF, 0xFF, 0xFF}}, {32, {1, 0, 0, 128}},
        {36, {0, DIR_LEFT, 0, 0}},  {40, {0xFF, 0xFF, 0xFF, 0xFF}}, {76, {0xFF, 0xFF, 0xFF, 0xFF}},
        {108, {4, 3, 2, 1}},        {120, {9, 0, 0, 0}},  {124, {17, 0, 0, 0}},
        {128, std::vector<uint8_t>(12, 0)},  // references are never stored
        {247, {0xEE}},
    };
    for (const Field& f : fields)
        EXPECT_EQ(std::vector<uint8_t>(bytes + f.offset, bytes + f.offset + f.value.size()), f.value) << f.offset;

    controller_record back;
    std::memset(&back, 0x55, sizeof back);
    back.men[1] = reinterpret_cast<PlayerSlot*>(&c);
    get_recording_record(bytes, &back);
    c.men[0] = nullptr;
    EXPECT_EQ(std::memcmp(&back, &c, offsetof(controller_record, rest) + sizeof c.rest), 0);
}

TEST_F(InputRecording, OnlyTheRightModeStartsOrLoads)
{
    input_mode = INPUT_LIVE;
    EXPECT_EQ(begin_input_recording(), -1);
    EXPECT_EQ(load_input_recording_header(), -2);
    input_mode = INPUT_RECORDING;
    EXPECT_EQ(load_input_recording_header(), -1);
    EXPECT_FALSE(fs::exists(file(0)));
    input_mode = INPUT_PLAYBACK;
    EXPECT_EQ(begin_input_recording(), 1);
    EXPECT_FALSE(fs::exists(file(0)));
}

TEST_F(InputRecording, AFileEndsJustPast1024Bytes)
{
    input_mode = INPUT_RECORDING;
    ASSERT_EQ(begin_input_recording(), 0);
    for (int i = 0; i < 342; ++i) {
        input_record r{uint8_t(i), uint8_t(i >> 8), 7};
        ASSERT_EQ(write_input_records(&r, 1), 1);
    }
    EXPECT_EQ(size_of(1), 1026u);
    EXPECT_FALSE(fs::exists(file(2)));
    input_record r{1, 2, 3};
    write_input_records(&r, 1);
    EXPECT_EQ(size_of(1), 1026u);
    EXPECT_EQ(size_of(2), 3u);
}

TEST_F(InputRecording, TwoRecordingsAppendTwoHeadersAndPlaybackTakesTheFirst)
{
    start();
    input_mode = INPUT_RECORDING;
    controllers[0].side = 1;
    controllers[1].side = -1;
    ASSERT_EQ(begin_input_recording(), 0);
    controllers[0].side = 0;
    ASSERT_EQ(begin_input_recording(), 0);
    EXPECT_EQ(size_of(0), 2u * RECORDING_HEADER_BYTES);
    EXPECT_TRUE(fs::exists(file(1)));

    controllers[0].side = controllers[1].side = 0;
    input_mode = INPUT_PLAYBACK;
    ASSERT_EQ(load_input_recording_header(), 0);
    EXPECT_EQ(controllers[0].side, 1);
    EXPECT_EQ(controllers[1].side, -1);
}

TEST_F(InputRecording, AShortHeaderLeavesTheRecordsAlone)
{
    std::ofstream(file(0), std::ios::binary) << std::string(RECORDING_HEADER_BYTES - 1, '\x01');
    controllers[2].side = -1;
    input_mode = INPUT_PLAYBACK;
    EXPECT_EQ(load_input_recording_header(), RECORDING_FILE_ERROR);
    EXPECT_EQ(controllers[2].side, -1);
    fs::remove(file(0));
    EXPECT_EQ(load_input_recording_header(), RECORDING_FILE_ERROR);
}

TEST_F(InputRecording, StreamReadsAcrossFilesThenKeepsTheLastRecord)
{
    std::ofstream(file(1), std::ios::binary) << std::string("\x01\x02\x03\x04\x05\x06", 6);
    std::ofstream(file(2), std::ios::binary) << std::string("\x07\x08\x09\x0A", 4);  // a cut-off record at the end
    input_record r{};
    const uint8_t expected[][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (const auto& e : expected) {
        ASSERT_EQ(read_input_record(&r), 1);
        EXPECT_EQ(r.actions, e[0]);
        EXPECT_EQ(r.dirs, e[1]);
        EXPECT_EQ(r.controller, e[2]);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(read_input_record(&r), 0);
        EXPECT_EQ(r.actions, 7);
        EXPECT_EQ(r.controller, 9);
    }
}

TEST_F(InputRecording, PlaybackAppliesTheKeyboardRecordWhateverItsNumber)
{
    std::ofstream(file(1), std::ios::binary) << std::string("\x02\x01\x11", 3);  // controller 17
    start();
    keyboard().side = -1;
    press(KEY_Z);  // live keys count for nothing in playback
    input_mode = INPUT_PLAYBACK;
    update_input_frame();
    EXPECT_EQ(keyboard().buttons, ACTION_2);
    EXPECT_EQ(keyboard().raw_dirs, DIR_UP);
    EXPECT_EQ(keyboard().pressed, ACTION_2);
    EXPECT_EQ(controllers[17].buttons, 0u);
}

TEST_F(InputRecording, ANewRecordingDoesNotRunOnIntoAnOlderOne)
{
    std::ofstream(file(2), std::ios::binary) << "old";
    std::ofstream(file(3), std::ios::binary) << "old";
    start();
    input_mode = INPUT_RECORDING;
    ASSERT_EQ(begin_input_recording(), 0);
    EXPECT_FALSE(fs::exists(file(2)));
    EXPECT_FALSE(fs::exists(file(3)));
    EXPECT_EQ(size_of(1), 0u);
}

// A scripted session recorded frame by frame, then played back: every frame
// gives the same records and the same controller state, over several files.
TEST_F(InputRecording, ASessionPlaysBackIdentically)
{
    start(2);
    keyboard().side = -1;
    controllers[0].side = 1;
    controllers[1].side = 0;  // not playing: not recorded
    set_controller_keys(0, 1, 2, 4, 8);
    input_mode = INPUT_RECORDING;
    ASSERT_EQ(begin_input_recording(), 0);

    const uint8_t keys[] = {KEY_UP, KEY_Z, KEY_LEFT, KEY_X};
    struct Seen {
        std::vector<input_record> records;
        uint32_t kb_buttons, kb_pressed, pad_buttons;
        uint8_t kb_dirs, pad_dirs;
        int32_t kb_hold;
    };
    auto seen = [&] {
        Seen s{std::vector<input_record>(input_frame.records, input_frame.records + input_frame.count),
               keyboard().buttons, keyboard().pressed, controllers[0].buttons, keyboard().raw_dirs,
               controllers[0].raw_dirs, keyboard().button_hold[0]};
        return s;
    };
    const int frames = 400;
    std::vector<Seen> recorded;
    for (int f = 0; f < frames; ++f) {
        if (f % 7 == 0) key(keys[(f / 7) % 4], (f / 7) % 8 < 4);
        stick(pads[0], f % 50 < 25 ? -30000 : 0, f % 30 < 10 ? 30000 : 0);
        button(pads[0], 0, f % 11 < 5);
        button(pads[0], 2, f % 13 == 0);
        update_input_frame();
        recorded.push_back(seen());
        count_held_buttons();
    }
    EXPECT_GT(size_of(2), 0u) << "the session spans several files";

    // Back to the start: the records as they were when the header was written.
    for (uint8_t k : keys) release(k);
    stick(pads[0], 0, 0);
    button(pads[0], 0, false);
    button(pads[0], 2, false);
    std::memset(controllers, 0, sizeof controllers);
    init_controllers();
    input_frame = {};
    input_mode = INPUT_PLAYBACK;
    ASSERT_EQ(load_input_recording_header(), 0);
    EXPECT_EQ(keyboard().side, -1);
    EXPECT_EQ(controllers[0].button_map[2], 4);
    for (int f = 0; f < frames; ++f) {
        update_input_frame();
        Seen s = seen();
        const Seen& r = recorded[f];
        ASSERT_EQ(s.records.size(), r.records.size()) << "frame " << f;
        for (size_t i = 0; i < s.records.size(); ++i) {
            EXPECT_EQ(s.records[i].actions, r.records[i].actions) << "frame " << f;
            EXPECT_EQ(s.records[i].dirs, r.records[i].dirs) << "frame " << f;
            EXPECT_EQ(s.records[i].controller, r.records[i].controller) << "frame " << f;
        }
        EXPECT_EQ(s.kb_buttons, r.kb_buttons) << "frame " << f;
        EXPECT_EQ(s.kb_pressed, r.kb_pressed) << "frame " << f;
        EXPECT_EQ(s.kb_dirs, r.kb_dirs) << "frame " << f;
        EXPECT_EQ(s.kb_hold, r.kb_hold) << "frame " << f;
        EXPECT_EQ(s.pad_buttons, r.pad_buttons) << "frame " << f;
        EXPECT_EQ(s.pad_dirs, r.pad_dirs) << "frame " << f;
        count_held_buttons();
        if (HasFailure()) break;
    }
}

} // namespace
