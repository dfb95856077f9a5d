#include "host/file_util.h"
#include "host/paths.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {
std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
} // namespace

TEST(ReplaceFile, AFailedSaveLeavesThePreviousFileWhole)
{
    std::string name = "keep-" + std::to_string(::getpid()) + ".dat";
    std::string path = host_user_file(name.c_str());
    ASSERT_EQ(save_file(name.c_str(), "first", 5), 1);
    EXPECT_EQ(read_text(path), "first");
    ASSERT_EQ(save_file(name.c_str(), "second!", 7), 1);
    EXPECT_EQ(read_text(path), "second!");

    // The new file cannot be made beside the old one: the save fails and the
    // old contents stay.
    fs::create_directories(path + ".new/blocker");
    EXPECT_EQ(save_file(name.c_str(), "third", 5), 0);
    EXPECT_EQ(read_text(path), "second!");
    fs::remove_all(path + ".new");
    fs::remove(path);
}
