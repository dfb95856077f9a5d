// The kit's animation data set passes every check the kit build makes.
#include "fixtures.h"

#include "lib/anim_validator.h"

#include <algorithm>

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

} // namespace
