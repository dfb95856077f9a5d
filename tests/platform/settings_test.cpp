#include "game_files_fixture.h"
#include "host/host_test_hooks.h"

#include <fstream>
#include <iterator>

#include "host/settings_store.h"
#include "platform/settings.h"

#include <bit>
#include <cstring>
#include <string>

namespace
{

using Settings = GameFiles;

const std::string KEY = "SOFTWARE\\Vetra Sports\\KOB 99 dldemo";

uint32_t word_at(const settings_record& r, uint32_t offset)
{
    uint8_t bytes[SETTINGS_BYTES];
    settings_to_bytes(r, bytes);
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

bool same(const settings_record& a, const settings_record& b)
{
    uint8_t x[SETTINGS_BYTES], y[SETTINGS_BYTES];
    settings_to_bytes(a, x);
    settings_to_bytes(b, y);
    return std::memcmp(x, y, SETTINGS_BYTES) == 0;
}

settings_record defaults()
{
    settings_record r{};
    default_settings(r);
    return r;
}

// A record unlike the defaults in every stored value.
settings_record changed()
{
    settings_record r = defaults();
    r.key_mapping[0] = 30;
    r.key_mapping[7] = 57;
    r.joy_quit[3] = 64;
    r.joy_number_of_buttons[1] = 6;
    r.quarter_length = 20;
    r.weather_selection = 2;
    r.commentary_volume = 99;
    r.sfx = 0;
    r.replay_buffer_size = 3528000;
    r.team[1].displayed_player_name_state = 4;
    r.game_gen_resolution_index = 3;
    r.moon_pitch_available = 1;
    return r;
}

TEST_F(Settings, DefaultsSitAtTheirFileOffsets)
{
    const struct {
        uint32_t offset, value;
    } expected[] = {
        {780, 200},      {784, 208}, {788, 203}, {792, 205},  {796, 44},   {808, 47},   {812, 0},
        {932, 1},        {944, 1},   {1052, 2},  {1172, 4},   {1292, 8},   {1304, 8},   {1412, 40},
        {1416, 1048576}, {1420, 4},  {1424, 4},  {1428, 1},   {1432, 0},   {1440, 1},   {1444, 0},
        {1448, 0},       {1452, 25}, {1456, 1},  {1460, 1},   {1464, 50},  {1476, 0},   {1480, 1},
        {1484, 1},       {1488, 2},  {1492, 1},  {1496, 2},   {1500, 1},   {1956, 0},   {1960, 1},
        {1964, 1},       {1968, 2},  {1972, 1},  {1976, 2},   {1980, 1},   {2436, 0},   {2440, 1},
        {2452, 1},       {2456, 1},  {2464, 1},  {2472, 127}, {2480, 127}, {2484, 255}, {2488, 255},
        {2492, 'C'},
    };
    settings_record r = defaults();
    for (const auto& e : expected)
        EXPECT_EQ(word_at(r, e.offset), e.value) << "offset " << e.offset;
    EXPECT_STREQ(r.data_directory, "C:\\kob99\\data");
    EXPECT_STREQ(r.install_directory, "C:\\KOB");
}

TEST_F(Settings, BytesCarryEveryWordInOrder)
{
    uint8_t bytes[SETTINGS_BYTES], again[SETTINGS_BYTES];
    for (uint32_t i = 0; i < SETTINGS_BYTES; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    settings_record r;
    settings_from_bytes(r, bytes);
    settings_to_bytes(r, again);
    EXPECT_EQ(std::memcmp(bytes, again, SETTINGS_BYTES), 0);
    if constexpr (std::endian::native == std::endian::little) {
        EXPECT_EQ(std::memcmp(&r, bytes, SETTINGS_BYTES), 0) << "every field at its own offset";
    }
    EXPECT_EQ(r.quarter_length, word_at(r, 1420));
    EXPECT_EQ(r.team[1].auto_bounce, word_at(r, 1964));
    EXPECT_EQ(r.crowd_volume, word_at(r, 2480));
}

TEST_F(Settings, FirstRunHasDefaultsAndNoKeyUntilSaved)
{
    settings_record r{};
    EXPECT_FALSE(load_settings(r));
    EXPECT_TRUE(same(r, defaults()));
    r = changed();
    EXPECT_FALSE(host_settings_key_exists(KEY.c_str()));
    EXPECT_FALSE(settings_exist());

    EXPECT_TRUE(save_settings(r));
    EXPECT_TRUE(settings_exist());
    for (const char* sub : {"Video", "Sound", "Key Mappings", "Joystick Mappings", "Match Settings"})
        EXPECT_TRUE(host_settings_key_exists((KEY + "\\" + sub).c_str())) << sub;
    uint32_t v = 0;
    EXPECT_TRUE(host_settings_get_u32((KEY + "\\Sound").c_str(), "crowd_volume", &v));
    EXPECT_EQ(v, 127u);
    EXPECT_FALSE(std::filesystem::exists(user("KOB.DAT")));
}

TEST_F(Settings, StoredValuesSurviveTheNextRun)
{
    ASSERT_TRUE(save_settings(changed()));
    host_settings_reload(); // the next run
    settings_record r{};
    EXPECT_TRUE(load_settings(r));
    EXPECT_TRUE(same(r, changed()));
}

TEST_F(Settings, OneMissingValueLeavesEverySettingAtItsDefault)
{
    for (const char* sub : {"Sound", "Match Settings"}) {
        ASSERT_TRUE(save_settings(changed()));
        ASSERT_TRUE(host_settings_delete_key((KEY + "\\" + sub).c_str()));
        host_settings_reload();
        settings_record r{};
        EXPECT_FALSE(load_settings(r)) << sub;
        EXPECT_TRUE(same(r, defaults()))
            << "values read before the missing one stay default too (" << sub << ")";
        EXPECT_EQ(r.commentary_volume, 127u);
    }
}

TEST_F(Settings, AValueOutOfItsRangeIsNotUsed)
{
    ASSERT_TRUE(save_settings(changed()));
    const struct {
        const char* subkey;
        const char* name;
        uint32_t value;
    } bad[] = {
        {"Key Mappings", "left_key_mapping", 300}, // no such key_state byte
        {"Sound", "sfx_volume", 128},
        {"Match Settings", "quarter_length", 0},
    };
    for (const auto& b : bad)
        ASSERT_TRUE(host_settings_set_u32((KEY + "\\" + b.subkey).c_str(), b.name, b.value));
    host_settings_reload();
    settings_record r{};
    EXPECT_FALSE(load_settings(r));
    EXPECT_EQ(r.key_mapping[0], 200u);
    EXPECT_EQ(r.sfx_volume, 127u);
    EXPECT_EQ(r.quarter_length, 4u);
    EXPECT_EQ(r.key_mapping[7], 57u) << "the good values are taken";
    EXPECT_EQ(r.commentary_volume, 99u);
}

// The file as a player might leave it: every value saved, then one line
// changed by hand.
std::string spoilt_store(const std::string& from, const std::string& to)
{
    std::ifstream in(host_settings_file());
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST_F(Settings, AFileThatCannotBeReadIsReportedAndKeptBeforeItIsWrittenOver)
{
    const struct {
        const char* what;
        const char* from;
        const char* to;
        const char* said; // on the standard error
        bool every_default;
    } cases[] = {
        {"a missing line", "crowd_volume=127\n", "", "Sound\\crowd_volume (missing or not a number)", true},
        {"a value that is no number", "sfx_volume=127", "sfx_volume=loud", "Sound\\sfx_volume", true},
        {"a renamed section", "KOB 99 dldemo]", "KOB 99 demo]", "no section [SOFTWARE", true},
        {"a value out of range", "sfx_volume=127", "sfx_volume=900", "Sound\\sfx_volume=900 is out of range", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(host_settings_file() + ".bad");
        settings_record saved = changed();
        saved.sfx_volume = saved.crowd_volume = 127;
        ASSERT_TRUE(save_settings(saved));
        const std::string text = spoilt_store(c.from, c.to);
        write(host_settings_file(), text);
        host_settings_reload();

        testing::internal::CaptureStderr();
        settings_record r{};
        EXPECT_FALSE(load_settings(r));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_NE(said.find("settings.cfg.bad"), std::string::npos) << said;
        EXPECT_EQ(same(r, defaults()), c.every_default);

        // The next save writes the store afresh; the player's file stays beside it.
        ASSERT_TRUE(save_settings(r));
        const std::vector<uint8_t> kept = read(host_settings_file() + ".bad");
        EXPECT_EQ(std::string(kept.begin(), kept.end()), text);
    }
    // A first run has no file to report or keep.
    std::filesystem::remove(host_settings_file());
    std::filesystem::remove(host_settings_file() + ".bad");
    host_settings_reload();
    testing::internal::CaptureStderr();
    settings_record r{};
    EXPECT_FALSE(load_settings(r));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(std::filesystem::exists(host_settings_file() + ".bad"));
}

TEST_F(Settings, AnUnwritableStoreFallsBackToKobDatWhichTheNextRunReads)
{
    ASSERT_TRUE(save_settings(defaults())); // an older whole set stays in the store
    host_settings_set_writable(false);
    EXPECT_TRUE(save_settings(changed()));
    EXPECT_EQ(std::filesystem::file_size(user("KOB.DAT")), SETTINGS_BYTES);
    EXPECT_TRUE(settings_exist());

    host_settings_reload();
    settings_record r{};
    EXPECT_TRUE(load_settings(r));
    EXPECT_TRUE(same(r, changed()));

    // Once the store takes them, the file goes, so it cannot come back stale.
    host_settings_set_writable(true);
    ASSERT_TRUE(save_settings(r));
    EXPECT_FALSE(std::filesystem::exists(user("KOB.DAT")));
}

TEST_F(Settings, SaveReportsAFailureToWriteEither)
{
    host_settings_set_writable(false);
    std::filesystem::create_directories(user("KOB.DAT")); // nothing can be renamed over a directory
    EXPECT_FALSE(save_settings(changed()));
    EXPECT_FALSE(save_settings_file(changed()));
}

TEST_F(Settings, KobDatIsCheckedBeforeUse)
{
    settings_record good = changed();
    uint8_t bytes[SETTINGS_BYTES];
    settings_to_bytes(good, bytes);

    // Wrong sizes are not a record, and the player is told which file it was.
    const struct {
        size_t size;
        const char* says;
    } sizes[] = {{0, "only 0 bytes"}, {SETTINGS_BYTES - 1, "only 2495 bytes"}, {SETTINGS_BYTES + 1, "longer"}};
    for (const auto& c : sizes) {
        std::vector<uint8_t> file(bytes, bytes + SETTINGS_BYTES);
        file.resize(c.size, 0);
        write(user("KOB.DAT"), file);
        settings_record r = defaults();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(load_settings_file(r)) << c.size;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(user("KOB.DAT").string() + ": " + c.says + ", not the settings record's 2496 bytes"),
                  std::string::npos) << said;
        EXPECT_FALSE(load_settings(r)) << c.size;
        EXPECT_TRUE(same(r, defaults())) << c.size;
    }

    // Texts are ended and values out of range keep their defaults.
    std::vector<uint8_t> file(bytes, bytes + SETTINGS_BYTES);
    std::memset(file.data(), 'x', 780);
    file[788] = 0x00, file[789] = 0x01; // up key 256
    file[2472] = 200;                   // commentary volume
    write(user("KOB.DAT"), file);
    settings_record r{};
    EXPECT_TRUE(load_settings_file(r));
    EXPECT_EQ(std::strlen(r.data_directory), 519u);
    EXPECT_EQ(std::strlen(r.install_directory), 259u);
    EXPECT_EQ(r.key_mapping[2], 203u);
    EXPECT_EQ(r.commentary_volume, 127u);
    EXPECT_EQ(r.key_mapping[7], 57u);
}

} // namespace
