#include "platform/install_helpers.h"
#include "host/host_test_hooks.h"

#include "host/paths.h"
#include "host/settings_store.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(InstallHelpers, UninstallEntryIsWrittenOnlyOnce)
{
    std::string name = "KOB 99 test " + std::to_string(::getpid());
    std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name;
    EXPECT_EQ(write_uninstall_entry(name.c_str(), "kob99-uninstall", "KOB 99"), 1);
    EXPECT_EQ(write_uninstall_entry(name.c_str(), "something else", "Other"), 0);
    host_settings_reload();
    std::string value;
    ASSERT_TRUE(host_settings_get_string(key.c_str(), "UninstallString", &value));
    EXPECT_EQ(value, "kob99-uninstall");
    ASSERT_TRUE(host_settings_get_string(key.c_str(), "DisplayName", &value));
    EXPECT_EQ(value, "KOB 99");
    host_settings_delete_key(key.c_str());
}

TEST(InstallHelpers, InstallSetRecordListsEveryMemberWithItsSize)
{
    std::string data = host_user_dir() + "/install-data-" + std::to_string(::getpid());
    fs::create_directories(data + "/Front_En");
    std::ofstream(data + "/Front_En/a.lbm") << std::string(300, 'a');
    std::ofstream(data + "/b.wav") << std::string(20, 'b');
    std::ofstream(data + "/typical.txt") << "front_en\\A.LBM\r\nb.wav\nmissing.dat\n";
    std::string saved = host_data_dir();
    host_set_data_dir(data);

    EXPECT_EQ(write_install_set("typical.txt"), 1);
    std::ifstream in(host_user_file("typical.install"), std::ios::binary);
    std::vector<uint8_t> record((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(record.size(), INSTALL_SET_HEADER + 3 * INSTALL_SET_MEMBER);
    auto u32 = [&](size_t at) {
        return uint32_t(record[at]) | uint32_t(record[at + 1]) << 8 | uint32_t(record[at + 2]) << 16 |
               uint32_t(record[at + 3]) << 24;
    };
    EXPECT_EQ(u32(256), 3u);
    EXPECT_EQ(u32(260), 320u);
    EXPECT_EQ(u32(264), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&record[268]), "front_en\\A.LBM");
    EXPECT_EQ(u32(524), 300u);
    EXPECT_EQ(u32(524 + 260), 20u);
    EXPECT_EQ(u32(524 + 520), 0u); // a member that cannot be opened counts 0
    int32_t flag = 0;
    EXPECT_EQ(total_install_set_size(record, &flag), 320u);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(total_install_set_size(std::vector<uint8_t>(10), nullptr), 0u);

    uint8_t* slot = nullptr;
    EXPECT_EQ(load_file_global(&slot, "b.wav"), 1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot[19], 'b');
    uint8_t* kept = slot;
    EXPECT_EQ(load_file_global(&slot, "front_en\\a.lbm"), 1); // a full slot is kept
    EXPECT_EQ(slot, kept);
    free_file_global(&slot);
    EXPECT_EQ(load_file_global(&slot, "missing.dat"), 0);
    EXPECT_FALSE(install_archive_present());
    // The archive is looked for on the CD ("?:\\KOB99\\..."), not among the data.
    std::ofstream(data + "/typical_install.lkz") << "x";
    EXPECT_FALSE(install_archive_present());
    fs::create_directories(data + "/KOB99");
    std::ofstream(data + "/KOB99/typical_install.lkz") << "x";
    EXPECT_FALSE(install_archive_present()) << "no CD drive found yet";
    set_data_path_drive('E'); // as the CD-audio open does
    EXPECT_TRUE(install_archive_present());
    set_data_path_drive('?');

    host_set_data_dir(saved);
}

TEST(InstallHelpers, DesktopShortcutComesAndGoes)
{
    EXPECT_EQ(create_desktop_shortcut("KOB 99.desktop", "kob99", "/opt/kob99"), 0);
    std::string link = host_user_file("Desktop\\KOB 99.desktop");
    std::ifstream in(link);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Exec=/opt/kob99/kob99"), std::string::npos);
    EXPECT_EQ(delete_desktop_shortcut("KOB 99.desktop"), 1);
    EXPECT_FALSE(fs::exists(link));
}
