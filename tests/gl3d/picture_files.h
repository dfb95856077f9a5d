// A data directory of the test's own (below the test program's user
// directory), filled with files made by the data kit's writers.
#pragma once

#include "host/paths.h"
#include "host/host_test_hooks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

class PictureFiles {
public:
    PictureFiles()
    {
        root = std::filesystem::path(host_user_dir()) /
               ("pictures_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        host_set_data_dir(root.string());
    }
    ~PictureFiles()
    {
        host_set_data_dir("");
        std::filesystem::remove_all(root);
    }

    void write(const std::string& relative, const std::vector<uint8_t>& bytes) const
    {
        std::filesystem::path p = root / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> read(const std::string& relative) const
    {
        std::ifstream in(root / relative, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    std::string path(const std::string& relative) const { return (root / relative).string(); }
    void remove(const std::string& relative) const { std::filesystem::remove(root / relative); }

    std::filesystem::path root;
};
