#include "host/clock.h"
#include "host/host_test_hooks.h"
#include "host/file_util.h"
#include "host/paths.h"
#include "host/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class HostFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("kob_host_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        host_set_user_dir(root.string());
        host_settings_set_writable(true);
        host_settings_reload();
    }
    void TearDown() override
    {
        host_set_user_dir("");
        fs::remove_all(root);
    }
    fs::path root;
};

TEST_F(HostFiles, ResolvesGameNamesWithoutRegardToCase)
{
    fs::create_directories(root / "Front_EN" / "LANG");
    std::ofstream(root / "Front_EN" / "LANG" / "English.DAT") << "x";
    EXPECT_EQ(host_resolve_path(root.string(), "front_en\\lang\\english.dat"),
              (root / "Front_EN" / "LANG" / "English.DAT").string());
    EXPECT_EQ(host_resolve_path(root.string(), "C:\\front_en\\lang\\english.dat"),
              (root / "Front_EN" / "LANG" / "English.DAT").string());
    // A name that does not exist keeps its own spelling below what does.
    EXPECT_EQ(host_resolve_path(root.string(), "front_en\\New\\a.txt"), (root / "Front_EN" / "New" / "a.txt").string());
}

TEST_F(HostFiles, ReplaceFileKeepsOldFileWhenWriteFails)
{
    fs::path target = root / "keep.dat";
    ASSERT_TRUE(host_replace_file(target.string(), "old", 3));
    // A directory in the way of the temporary file makes the write fail.
    fs::create_directories(target.string() + ".new");
    EXPECT_FALSE(host_replace_file(target.string(), "new!", 4));
    EXPECT_EQ(fs::file_size(target), 3u);
}

TEST_F(HostFiles, SettingsSurviveAReload)
{
    const char* key = "SOFTWARE\\Vetra Sports\\KOB 99 dldemo\\Sound";
    EXPECT_FALSE(host_settings_key_exists(key));
    ASSERT_TRUE(host_settings_set_u32(key, "crowd_volume", 99));
    ASSERT_TRUE(host_settings_set_string("SOFTWARE\\Media", "Path", "a b"));
    host_settings_reload();
    uint32_t v = 0;
    EXPECT_TRUE(host_settings_get_u32("software\\vetra sports\\kob 99 dldemo\\sound", "crowd_volume", &v));
    EXPECT_EQ(v, 99u);
    EXPECT_TRUE(host_settings_key_exists("SOFTWARE\\Vetra Sports"));
    std::string s;
    EXPECT_TRUE(host_settings_get_string("SOFTWARE\\Media", "Path", &s));
    EXPECT_EQ(s, "a b");

    EXPECT_TRUE(host_settings_delete_key("SOFTWARE\\Vetra Sports"));
    host_settings_reload();
    EXPECT_FALSE(host_settings_key_exists(key));
    EXPECT_TRUE(host_settings_key_exists("SOFTWARE\\Media"));

    host_settings_set_writable(false);
    EXPECT_FALSE(host_settings_set_u32(key, "crowd_volume", 1));
}

TEST(HostClock, CRuntimeRandSequence)
{
    // The first draws of the C runtime's generator after srand(1).
    host_srand(1);
    EXPECT_EQ(host_rand(), 41);
    EXPECT_EQ(host_rand(), 18467);
    EXPECT_EQ(host_rand(), 6334);
}

} // namespace
