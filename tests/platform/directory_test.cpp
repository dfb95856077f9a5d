#include "game_files_fixture.h"

#include "platform/directory.h"

#include <cstdlib>
#include <cstring>

namespace
{

TEST(PathText, HelpersBuildNames)
{
    char out[64];
    ASSERT_TRUE(replace_extension("my.team.frm", "bak", out, sizeof out));
    EXPECT_STREQ(out, "my team.bak");
    ASSERT_TRUE(numbered_file_name(out, sizeof out, "shot.bmp", 7));
    EXPECT_STREQ(out, "shot.007");

    const struct {
        const char* directory;
        const char* name;
        const char* path;
    } joins[] = {
        {"", "game.sav", "game.sav"}, {"saves", "game.sav", "saves\\game.sav"}, {"saves\\", "a", "saves\\a"}};
    for (const auto& j : joins) {
        ASSERT_TRUE(build_file_path(out, sizeof out, j.directory, j.name));
        EXPECT_STREQ(out, j.path);
    }

    char path[16] = "dir/";
    EXPECT_EQ(append_path(path, sizeof path, "x"), 5);
    EXPECT_STREQ(path, "dir/x");
    EXPECT_EQ(append_path(path, sizeof path, "y"), 7);
    EXPECT_STREQ(path, "dir/x\\y");
    EXPECT_EQ(path[8], '\0') << "a second zero follows";

    ASSERT_TRUE(double_character(out, sizeof out, "100% sure %", '%'));
    EXPECT_STREQ(out, "100%% sure %%");
}

TEST(PathText, HelpersNeverWritePastTheirOutput)
{
    char out[12];
    auto fresh = [&] { std::memset(out, '#', sizeof out); };
    auto only_within = [&](uint32_t size) {
        for (uint32_t i = size; i < sizeof out; ++i)
            EXPECT_EQ(out[i], '#') << i;
        EXPECT_EQ(out[0], '\0') << "a failed helper leaves an empty text";
    };
    fresh();
    EXPECT_FALSE(replace_extension("a_long_name.frm", "bak", out, 8));
    only_within(8);
    fresh();
    EXPECT_FALSE(numbered_file_name(out, 6, "shot.bmp", 7));
    only_within(6);
    fresh();
    EXPECT_FALSE(build_file_path(out, 5, "dir", "name"));
    only_within(5);
    fresh();
    EXPECT_FALSE(double_character(out, 4, "%%", '%'));
    only_within(4);
    fresh();
    EXPECT_TRUE(double_character(out, 5, "%%", '%'));
    EXPECT_STREQ(out, "%%%%");

    char path[8] = "abc";
    EXPECT_EQ(append_path(path, sizeof path, "defg"), -1) << "abc\\defg needs 10 bytes with both zeros";
    EXPECT_STREQ(path, "abc");
    EXPECT_EQ(append_path(path, sizeof path, "de"), 6);
}

TEST(Drives, OneFixedRootServesAsDriveC)
{
    EXPECT_EQ(find_drive_of_type(DRIVE_FIXED), 'C');
    EXPECT_EQ(find_drive_of_type(DRIVE_CDROM), 'C') << "no CD: C all the same";
    EXPECT_EQ(count_drives(), 1);
    EXPECT_EQ(count_non_cd_drives(), 1);
    EXPECT_FALSE(is_cd_drive('D'));
    char entries[4][DRIVE_ENTRY_SIZE];
    ASSERT_EQ(list_drives(entries, 4), 1);
    EXPECT_STREQ(entries[0], "C:\\");
    EXPECT_EQ(list_hard_drives(entries, 0), 0);
    EXPECT_TRUE(is_network_path("\\\\server\\share"));
    EXPECT_FALSE(is_network_path("saves\\a"));
}

using Directories = GameFiles;

TEST_F(Directories, MakeDirectoryPathCreatesEveryLevel)
{
    EXPECT_EQ(make_directory_path("C:saves\\league\\round1\\game.sav", true), FILE_OK);
    EXPECT_TRUE(std::filesystem::is_directory(user("saves/league/round1")));
    EXPECT_FALSE(std::filesystem::exists(user("saves/league/round1/game.sav")));
    EXPECT_EQ(make_directory_path("D:\\top\\inner", false), FILE_OK);
    EXPECT_TRUE(std::filesystem::is_directory(user("top/inner")));
    EXPECT_EQ(make_directory_path("lonely.sav", true), FILE_OK);

    EXPECT_EQ(make_directory_path("\\rooted\\below", false), FILE_OK);
    EXPECT_TRUE(std::filesystem::is_directory(user("rooted/below"))) << "the root is the user directory";
    EXPECT_FALSE(std::filesystem::exists("/rooted"));

    write(user("blocked"), std::string("a file"));
    EXPECT_EQ(make_directory_path("blocked\\below", false), FILE_OK) << "always 100, made or not";
    EXPECT_FALSE(std::filesystem::exists(user("blocked/below")));
}

TEST_F(Directories, CopySaveAndDelete)
{
    write(data("team.frm"), std::string("formation"));
    write(data("empty.frm"), std::string());
    EXPECT_EQ(copy_file("copy.frm", "team.frm"), 0);
    EXPECT_EQ(read(user("copy.frm")), read(data("team.frm")));
    EXPECT_EQ(copy_file("x.frm", "none.frm"), 204);
    EXPECT_EQ(copy_file("x.frm", "empty.frm"), 204);
    // A file the game wrote is a source too, and comes before the data's.
    write(user("saved.frm"), std::string("player's own"));
    EXPECT_EQ(copy_file("again.frm", "saved.frm"), 0);
    EXPECT_EQ(read(user("again.frm")), read(user("saved.frm")));

    EXPECT_EQ(save_file_checked("nowhere\\a.sav", "ab", 2), FILE_DISK_UNUSABLE);
    ASSERT_TRUE(create_directory("saves"));
    EXPECT_EQ(save_file_checked("saves\\a.sav", "ab", 2), 1);
    EXPECT_EQ(save_file_checked("saves\\b.sav", "cd", 2), 1);
    EXPECT_EQ(save_file_checked("saves\\c.txt", "cd", 2), 1);
    EXPECT_TRUE(path_exists("saves\\*.SAV"));
    EXPECT_FALSE(path_exists("saves\\*.frm"));

    find_record found;
    std::vector<std::string> names;
    for (bool none = find_first_file("saves\\?.sav", 0, found); !none; none = find_next_file(found))
        names.push_back(found.file_name);
    find_close(found);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.sav", "b.sav"}));

    EXPECT_EQ(delete_matching_files("saves\\*.sav"), 2);
    EXPECT_TRUE(std::filesystem::exists(user("saves/c.txt")));
    EXPECT_EQ(remove_directory("saves"), FILE_REMOVE_DIRECTORY_FAILED) << "not empty";
    EXPECT_EQ(delete_matching_files_2("saves\\*.*"), 1);
    EXPECT_EQ(remove_directory("saves"), FILE_OK);

    write(user("tree/a/b/f.dat"), std::string("x"));
    write(user("tree/g.dat"), std::string("y"));
    EXPECT_EQ(delete_directory_tree("tree", true), FILE_OK);
    EXPECT_FALSE(std::filesystem::exists(user("tree")));
    // The whole figure, past 4 GB where there is that much.
    const int64_t free_bytes = static_cast<int64_t>(std::filesystem::space(user("")).available);
    EXPECT_LT(std::llabs(free_disk_space("C:\\") - free_bytes), int64_t{64} << 20);
}

TEST_F(Directories, ChunkedCopyGoesPieceByPiece)
{
    write(data("big.dat"), std::string("0123456789"));
    copy_request request;
    init_four_word_record(request, 4, 1, 2);
    EXPECT_EQ(request.offset, 0u);
    std::vector<uint32_t> counts;
    uint32_t count = 0;
    bool done = false;
    while (!done) {
        done = copy_file_chunk(request, "big.dat", "copy.dat", &count);
        counts.push_back(count);
    }
    EXPECT_EQ(counts, (std::vector<uint32_t>{4, 4, 2}));
    EXPECT_EQ(read(user("copy.dat")), read(data("big.dat")));
    namespace fs = std::filesystem;
    auto writable = [](const fs::path& p) {
        return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none;
    };
    EXPECT_FALSE(writable(user("copy.dat"))) << "the read-only bit was set";

    // From the user directory, a read-only source, its read-only bit cleared.
    init_four_word_record(request, 64, FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(copy_file_chunk(request, "copy.dat", "copy2.dat", &count));
    EXPECT_EQ(count, 10u);
    EXPECT_EQ(read(user("copy2.dat")), read(data("big.dat")));
    EXPECT_TRUE(writable(user("copy2.dat")));
    // Kept: a read-only source gives a read-only copy.
    init_four_word_record(request, 64, 0, 0);
    EXPECT_TRUE(copy_file_chunk(request, "copy.dat", "copy3.dat", &count));
    EXPECT_FALSE(writable(user("copy3.dat")));
    EXPECT_NE(fatal_message([&] { copy_file_chunk(request, "none.dat", "x.dat", &count); }).find("none.dat"),
              std::string::npos);
}

} // namespace
