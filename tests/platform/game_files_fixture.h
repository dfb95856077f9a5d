// A data directory and a user directory of the test's own, and fatal errors
// caught with the message they showed.
#pragma once

#include "exit_trap.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "host/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

class GameFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() /
               ("kob_files_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "data");
        std::filesystem::create_directories(root / "user");
        host_set_data_dir((root / "data").string());
        host_set_user_dir((root / "user").string());
        host_settings_set_writable(true);
        host_settings_reload();
    }
    void TearDown() override
    {
        host_set_data_dir("");
        host_set_user_dir("");
        host_settings_set_writable(true);
        host_settings_reload();
        std::filesystem::remove_all(root);
    }

    std::filesystem::path data(const std::string& relative) const { return root / "data" / relative; }
    std::filesystem::path user(const std::string& relative) const { return root / "user" / relative; }

    static void write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static void write(const std::filesystem::path& path, const std::string& text)
    {
        write(path, std::vector<uint8_t>(text.begin(), text.end()));
    }
    static std::vector<uint8_t> read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    // Runs f, which must end the game; returns what the error box said.
    template <class F> static std::string fatal_message(F f)
    {
        Ending ending = run_trapped(f);
        EXPECT_TRUE(ending.ended && ending.code == 1) << "expected a fatal error";
        return ending.box_text;
    }

    std::filesystem::path root;
};
