// The kit's animation data set passes every check the kit build makes.
#include "fixtures.h"
#include "host/host_test_hooks.h"

#include "lib/anim_validator.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

TEST(AnimationKit, EveryRowPassesItsChecks)
{
    host_set_data_dir(kit_data_dir());
    use_3d_hardware = 1;
    std::vector<std::string> problems;
    std::string report;
    validate_animations(problems, &report);
    host_set_data_dir("");
    for (const std::string& p : problems) ADD_FAILURE() << p;
    EXPECT_NE(report.find("STANDING_TURN_LEFT_90"), std::string::npos);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 378);
}

} // namespace

namespace {

class BrokenKit : public DataDirTest {};

TEST_F(BrokenKit, ARowWhoseFileDoesNotSuitItFails)
{
    std::filesystem::copy(kit_data_dir(), dir, std::filesystem::copy_options::recursive);
    // The walk cycle replaced by the jog: five frames short, and too fast.
    std::filesystem::copy_file(dir + "/3d display/pafs/L_jog_nb.paf", dir + "/3d display/pafs/L_walk_nb.paf",
                               std::filesystem::copy_options::overwrite_existing);
    std::vector<std::string> problems;
    validate_animations(problems, nullptr);
    std::string all;
    for (const std::string& p : problems) all += p + "\n";
    EXPECT_NE(all.find("row 1 (L_walk_nb): length 750000 us, but its script runs 20 frames"), std::string::npos) << all;
    EXPECT_NE(all.find("row 1 (L_walk_nb): travels"), std::string::npos) << all;
    EXPECT_EQ(all.find("row 2 "), std::string::npos) << all;
}

TEST_F(BrokenKit, AValueThatIsNotANumberFailsWhereverItIs)
{
    std::filesystem::copy(kit_data_dir(), dir, std::filesystem::copy_options::recursive);
    // The root's last position key: its height (y), which no angle is made of.
    const std::string file = dir + "/3d display/pafs/L_walk_nb.paf";
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    const char* error = nullptr;
    PafAnimation* a = parse_paf(bytes.data(), static_cast<uint32_t>(bytes.size()), &error);
    ASSERT_NE(a, nullptr) << error;
    uint32_t rot_keys = 0;
    for (int t = 0; t < a->track_count; ++t) rot_keys += a->tracks[t].rot_count;
    const uint32_t last_root_pos = 5 + 16u * a->track_count + 20u * rot_keys + 16u * (a->tracks[0].pos_count - 1);
    free_paf(a);
    const uint32_t nan_bits = 0x7FC00000u;
    std::memcpy(&bytes[last_root_pos + 8], &nan_bits, 4);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    std::vector<std::string> problems;
    validate_animations(problems, nullptr);
    std::string all;
    for (const std::string& p : problems) all += p + "\n";
    EXPECT_NE(all.find("row 1 (L_walk_nb): track 0 key"), std::string::npos) << all;
    EXPECT_NE(all.find("holds a value that is not a number"), std::string::npos) << all;
}

} // namespace
