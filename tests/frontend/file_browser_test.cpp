#include "frontend/file_browser.h"

#include "host/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class FileBrowser : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        root = (fs::path(host_user_dir()) / "file_browser_test").string();
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void file(const std::string& name) const { std::ofstream(fs::path(root) / name) << "x"; }
    void dir(const std::string& name) const { fs::create_directories(fs::path(root) / name); }
    std::vector<std::string> names(const BrowserList& l) const
    {
        return std::vector<std::string>(l.names.begin(), l.names.end());
    }
    std::string root;
};

using Names = std::vector<std::string>;

TEST_F(FileBrowser, FilesOfAPatternAreListedSortedByteByByte)
{
    for (const char* n : {"b.game", "A.GAME", "c.Game", "notes.txt", ".hidden.game", "my game.game",
                          "\xc3\xa9t\xc3\xa9.game", "x.replay", "game", "d.game.bak"})
        file(n);
    dir("folder.game");
    fs::create_symlink(fs::path(root) / "b.game", fs::path(root) / "link.game");
    file("locked.game");
    fs::permissions(fs::path(root) / "locked.game", fs::perms::owner_read | fs::perms::group_read);

    BrowserList list;
    EXPECT_EQ(list_directory(list, BROWSER_LIST_CAPACITY, root, "*.GAME", BROWSER_ATTRIBUTE_FILE, 0), 6);
    EXPECT_EQ(names(list), (Names{"A.GAME", "b.game", "c.Game", "link.game", "my game.game",
                                  "\xc3\xa9t\xc3\xa9.game", ""}));
    // The read-only file's word is 33: not a plain file, so not listed,
    // though the exact word finds it.
    EXPECT_EQ(list_directory(list, BROWSER_LIST_CAPACITY, root, "*.game", 33, 0), 1);
    EXPECT_EQ(list.names[0], "locked.game");
}

TEST_F(FileBrowser, DirectoriesAreMarkedWhenTheyHoldDirectories)
{
    dir("plain");
    dir("sub/deeper");
    dir("with.dot");
    dir(".git/objects");
    file("sub.txt");
    BrowserList list;
    EXPECT_EQ(list_directory(list, BROWSER_LIST_CAPACITY, root, "*.", BROWSER_ATTRIBUTE_DIRECTORY, 0), 3);
    mark_directories_with_children(list, root + "/");
    EXPECT_EQ(names(list), (Names{"plain", "sub", "with.dot", ""}));
    EXPECT_EQ(list.has_children, (std::vector<uint8_t>{0, 1, 0, 0}));
    // Going down and up again is a change of the directory listed.
    EXPECT_EQ(list_directory(list, BROWSER_LIST_CAPACITY, join_browser_path(root, "sub"), "*.",
                             BROWSER_ATTRIBUTE_DIRECTORY, 0),
              1);
    EXPECT_EQ(list.names[0], "deeper");
    EXPECT_EQ(list_directory(list, BROWSER_LIST_CAPACITY, root + "/nowhere", "*.", BROWSER_ATTRIBUTE_DIRECTORY, 0),
              0);
    EXPECT_EQ(names(list), Names{""});
}

TEST_F(FileBrowser, TheDeleteListHoldsGamesThenReplaysWithinItsCapacity)
{
    for (int i = 0; i < 45; ++i)
        file("g" + std::to_string(100 + i) + ".game");
    for (int i = 0; i < 10; ++i)
        file("r" + std::to_string(i) + ".REPLAY");
    BrowserList list;
    int32_t games = list_directory(list, BROWSER_LIST_CAPACITY, root, "*.GAME", BROWSER_ATTRIBUTE_FILE, 0);
    EXPECT_EQ(games, 45);
    int32_t replays = list_directory(list, BROWSER_LIST_CAPACITY, root, "*.REPLAY", BROWSER_ATTRIBUTE_FILE, games);
    EXPECT_EQ(replays, 5);
    ASSERT_EQ(list.names.size(), 51u);
    EXPECT_EQ(list.names[44], "g144.game");
    EXPECT_EQ(list.names[45].substr(0, 1), "r");
    EXPECT_EQ(list.names[50], "");
    // Each call sorts only its own names.
    EXPECT_TRUE(std::is_sorted(list.names.begin() + 45, list.names.begin() + 50));
}

TEST_F(FileBrowser, NewDirectoriesAreMadeBelowTheBaseOrWhole)
{
    std::string base = root;
    EXPECT_TRUE(make_browser_directory(base, "saves"));
    EXPECT_EQ(base, root + "/saves");
    EXPECT_TRUE(fs::is_directory(base));
    std::string again = root;
    EXPECT_TRUE(make_browser_directory(again, "saves")) << "one already there is taken";
    EXPECT_EQ(again, root + "/saves");
    std::string whole = "/nowhere-else";
    EXPECT_TRUE(make_browser_directory(whole, root + "/elsewhere"));
    EXPECT_EQ(whole, root + "/elsewhere");
    file("taken");
    std::string blocked = root;
    EXPECT_FALSE(make_browser_directory(blocked, "taken"));
    EXPECT_FALSE(make_browser_directory(blocked, ""));
    EXPECT_FALSE(make_browser_directory(blocked, "a/b")) << "one level at a time";
    EXPECT_EQ(blocked, root);
}

} // namespace
