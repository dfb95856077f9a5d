// A temporary directory per test, with files of given bytes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                ("kob_lib_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    ~TempDir() { std::filesystem::remove_all(root_); }

    std::string path(const std::string& name) const { return (root_ / name).string(); }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream out(root_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }

    std::vector<uint8_t> read(const std::string& name) const
    {
        std::ifstream in(root_ / name, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    static std::vector<uint8_t> pattern(size_t size)
    {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 8));
        return bytes;
    }

private:
    std::filesystem::path root_;
};
