// Every input kept under corpus/<reader>/ (the seeds and everything fuzzing
// ever found) goes through its reader's harness again: a reader that crashes,
// trips a sanitizer or hangs on one of them fails here.
#include "fuzz/harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> corpus_names()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(KOB_FUZZ_CORPUS))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fuzz_body harness_named(const std::string& name)
{
    size_t count = 0;
    const fuzz_harness* all = fuzz_harnesses(&count);
    for (size_t i = 0; i < count; ++i)
        if (name == all[i].name) return all[i].body;
    return nullptr;
}

class Corpus : public testing::TestWithParam<std::string> {};

TEST_P(Corpus, EveryInputPassesThroughItsReader)
{
    fuzz_body body = harness_named(GetParam());
    ASSERT_NE(body, nullptr) << "no harness for corpus/" << GetParam();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(KOB_FUZZ_CORPUS) / GetParam()))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        testing::internal::CaptureStderr(); // refusals show their error boxes there
        fuzz_run(body, bytes.data(), bytes.size());
        testing::internal::GetCapturedStderr();
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, Corpus, testing::ValuesIn(corpus_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(Harnesses, EachHasACorpus)
{
    std::vector<std::string> names = corpus_names();
    std::set<std::string> have(names.begin(), names.end());
    size_t count = 0;
    const fuzz_harness* all = fuzz_harnesses(&count);
    for (size_t i = 0; i < count; ++i) EXPECT_TRUE(have.count(all[i].name)) << all[i].name;
}

} // namespace
