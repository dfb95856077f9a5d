#include "host/file_util.h"
#include "host/paths.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

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

TEST(ReplaceFile, AShortWriteLeavesThePreviousFileWhole)
{
    std::string name = "short-" + std::to_string(::getpid()) + ".dat";
    std::string path = host_user_file(name.c_str());
    ASSERT_EQ(save_file(name.c_str(), "previous", 8), 1);

    // Files may not grow past 4 bytes for a moment: the new contents are cut
    // short, as on a full disk.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto saved_signal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string longer(64, 'n');
    int result = save_file(name.c_str(), longer.data(), static_cast<uint32_t>(longer.size()));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, saved_signal);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(read_text(path), "previous");
    fs::remove(path);
}
