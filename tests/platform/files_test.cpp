#include "game_files_fixture.h"

#include "platform/cd_audio.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cstdio>
#include <algorithm>
#include <cstring>

namespace
{

using Files = GameFiles;

TEST_F(Files, LoadsWholeFilesByGameName)
{
    write(data("Front_EN/Lang/Sample.DAT"), std::vector<uint8_t>{1, 2, 3, 4, 5});
    uint32_t size = 0;
    uint8_t* bytes = load_file("front_en\\lang\\sample.dat", &size);
    ASSERT_EQ(size, 5u);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    free_mem(bytes);
    EXPECT_EQ(get_filelength("front_en\\lang\\sample.dat"), 5u);
    EXPECT_EQ(file_exists("FRONT_EN\\LANG\\SAMPLE.DAT"), 1);
    EXPECT_EQ(file_exists("front_en\\lang\\none.dat"), 0);
}

TEST_F(Files, MissingOrEmptyFilesEndTheGame)
{
    const std::string gone_path = data("gone.dat").string();
    std::string gone = fatal_message([] { load_file("gone.dat"); });
    EXPECT_NE(gone.find("file not found"), std::string::npos) << gone;
    EXPECT_NE(gone.find("load_file: gone.dat (" + gone_path + ")\nNo such file or directory"), std::string::npos)
        << gone;
    EXPECT_NE(fatal_message([] { get_filelength("gone.dat"); }).find("get_filelength: gone.dat (" + gone_path),
              std::string::npos);
    char buffer[4];
    EXPECT_NE(fatal_message([&] { load_file_into("gone.dat", buffer, sizeof buffer); }).find(gone_path),
              std::string::npos);
    write(data("empty.dat"), std::vector<uint8_t>{});
    std::string empty = fatal_message([] { load_file("empty.dat"); });
    EXPECT_NE(empty.find("zero byte memory allocation"), std::string::npos) << "tracked memory gives no empty buffer";
    EXPECT_NE(empty.find(data("empty.dat").string() + ")\nthe file is empty"), std::string::npos) << empty;
}

TEST_F(Files, AFileThatCannotBeReadSaysWhy)
{
    // A directory where the file should be opens, but cannot be read.
    std::filesystem::create_directories(data("folder.dat"));
    std::string folder = fatal_message([] { load_file("folder.dat"); });
    EXPECT_EQ(folder.find("file not found"), std::string::npos) << folder;
    EXPECT_NE(folder.find(data("folder.dat").string() + ")\nIs a directory"), std::string::npos) << folder;

    write(data("locked.dat"), std::vector<uint8_t>{1, 2});
    std::filesystem::permissions(data("locked.dat"), std::filesystem::perms::none);
    if (std::FILE* f = std::fopen(data("locked.dat").c_str(), "rb")) {
        std::fclose(f);
        GTEST_SKIP() << "this user reads files whatever their permissions";
    }
    // Through data_path, as the game names its files: the player is also
    // shown the data directory's copy, not only the CD's name.
    std::string locked = fatal_message([] { load_file(data_path("locked.dat")); });
    EXPECT_EQ(locked.find("file not found"), std::string::npos) << locked;
    EXPECT_NE(locked.find("(" + data("locked.dat").string() + ")\nPermission denied"), std::string::npos) << locked;
}

TEST_F(Files, LoadFileIntoRefusesAFileLargerThanTheBuffer)
{
    write(data("six.dat"), std::vector<uint8_t>{1, 2, 3, 4, 5, 6});
    uint8_t buffer[10];
    std::memset(buffer, 0xEE, sizeof buffer);
    load_file_into("six.dat", buffer, 6);
    EXPECT_EQ(buffer[5], 6);
    EXPECT_EQ(buffer[6], 0xEE);

    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_NE(fatal_message([&] { load_file_into("six.dat", buffer, 5); }).find("Can't load file"),
              std::string::npos);
    for (uint8_t b : buffer)
        EXPECT_EQ(b, 0xEE) << "nothing may be read into a buffer that is too small";
}

TEST_F(Files, DataPathGivesMissingNamesTheCdPrefix)
{
    write(data("here.dat"), std::vector<uint8_t>{1});
    set_data_path_drive('?'); // as before any CD was opened
    const char* here = "here.dat";
    EXPECT_EQ(data_path(here), here) << "an existing name comes back as the very same pointer";

    EXPECT_STREQ(data_path("fmv\\kob99.mad"), "?:\\KOB99\\fmv\\kob99.mad");
    EXPECT_STREQ(cd_data_path("here.dat"), "?:\\KOB99\\here.dat");
    EXPECT_NE(fatal_message([] {
                  load_file(data_path("fmv\\kob99.mad"));
              }).find("load_file: ?:\\KOB99\\fmv\\kob99.mad (" + data("fmv/kob99.mad").string() + ")"),
              std::string::npos);

    open_cd_audio_on_drive('E');
    EXPECT_STREQ(data_path("x.dat"), "E:\\KOB99\\x.dat") << "the CD's open tells where it is";
    close_cd_audio();
    set_data_path_drive('?');

    // The buffer holds 256 characters: a longer name is given back as it is.
    std::string longest(DATA_PATH_SIZE - 10, 'n'), too_long(DATA_PATH_SIZE - 9, 'n');
    EXPECT_EQ(std::strlen(data_path(longest.c_str())), DATA_PATH_SIZE - 1);
    EXPECT_EQ(data_path(too_long.c_str()), too_long.c_str());
    EXPECT_EQ(cd_data_path(too_long.c_str()), too_long.c_str());
}

TEST_F(Files, CdLoadCountsSectorsAPartialLastOneAsOne)
{
    std::vector<uint8_t> bytes(2 * CD_SECTOR_BYTES + 904);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    write(data("fmv/track.dat"), bytes);
    EXPECT_EQ(open_file_unbuffered("fmv\\none.dat"), nullptr);
    std::FILE* cd = open_file_unbuffered("FMV\\Track.dat");
    ASSERT_NE(cd, nullptr);
    std::vector<uint8_t> buffer(4 * CD_SECTOR_BYTES, 0xEE);
    EXPECT_EQ(cd_load(cd, buffer.data(), 1), 1u);
    EXPECT_EQ(cd_load(cd, buffer.data() + CD_SECTOR_BYTES, 3), 2u); // one whole sector and 904 bytes
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), buffer.begin()));
    EXPECT_EQ(buffer[bytes.size()], 0xEE);
    EXPECT_EQ(cd_load(cd, buffer.data(), 1), 0u);
    close_file_handle(cd);
}

TEST_F(Files, ByteStreamsAreLittleEndian)
{
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    stream_write_u16(f, 0x1234);
    stream_write_u8(f, 0x1FF); // only the low byte
    const uint8_t bytes[] = {9, 8, 7};
    EXPECT_EQ(stream_write_bytes(f, bytes, 3), 3u);
    std::rewind(f);
    uint8_t raw[2];
    ASSERT_EQ(stream_read_bytes(f, raw, 2), 2u);
    EXPECT_EQ(raw[0], 0x34);
    EXPECT_EQ(raw[1], 0x12);
    std::rewind(f);
    EXPECT_EQ(stream_read_u16(f), 0x1234);
    EXPECT_EQ(stream_read_u8(f), 0xFF);
    uint8_t* three = stream_read_new(f, 3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three[2], 7);
    free_mem(three);
    EXPECT_EQ(stream_read_u8(f), EOF);
    EXPECT_EQ(stream_read_u16(f), EOF);
    std::rewind(f);
    EXPECT_EQ(stream_read_new(f, 7), nullptr) << "a short read gives no buffer";
    std::fclose(f);
}

} // namespace
