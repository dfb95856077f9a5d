#include "platform/command_line.h"

#include "host/paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

void set_defaults()
{
    exclusive_mode = 1;
    page_flipping = 1;
    movies_on = 1;
    movie_in_software = 0;
}

} // namespace

TEST(CommandLine, OptionTable)
{
    struct Case {
        const char* line;
        int32_t result;
        uint8_t exclusive, flip;
        uint32_t movies, mis;
    } cases[] = {
        {nullptr, 1, 1, 1, 1, 0},
        {"", 1, 1, 1, 1, 0},
        {"nothing to see", 1, 1, 1, 1, 0},
        {"/NE", 1, 0, 1, 1, 0},
        {"/ne", 1, 0, 1, 1, 0},
        {"/nonexclusive /noflip /nomovie /movieinsoft", 1, 0, 0, 0, 1},
        {"/d /debug /sw /software /hw /hardware", 1, 1, 1, 1, 0},
        {"-nm", 1, 1, 1, 0, 0},
        {"-mis -nf", 1, 1, 0, 1, 1},
        // A "/" anywhere is found before any "-": only NF is read.
        {"-nomovie /nf", 1, 1, 0, 1, 0},
        // After the last "/", the parse falls back to "-".
        {"/ne -nm", 1, 0, 1, 0, 0},
        {"kob99.exe /nm", 1, 1, 1, 0, 0},
        // The first unknown word ends the parse; later words are not read.
        {"/XYZ /NE", 0, 1, 1, 1, 0},
        {"/NEX", 0, 1, 1, 1, 0},
        {"/NM /BOGUS /NE", 0, 1, 1, 0, 0},
        {"/", 0, 1, 1, 1, 0},
    };
    for (const Case& c : cases) {
        set_defaults();
        const char* shown = c.line ? c.line : "(null)";
        EXPECT_EQ(parse_command_line(c.line), c.result) << shown;
        EXPECT_EQ(exclusive_mode, c.exclusive) << shown;
        EXPECT_EQ(page_flipping, c.flip) << shown;
        EXPECT_EQ(movies_on, c.movies) << shown;
        EXPECT_EQ(movie_in_software, c.mis) << shown;
    }
    set_defaults();
}

TEST(CommandLine, TheParseResetsTheDisplaySwitchesFirst)
{
    exclusive_mode = 0;
    page_flipping = 0;
    parse_command_line("/nm");
    EXPECT_EQ(exclusive_mode, 1);
    EXPECT_EQ(page_flipping, 1);
    set_defaults();
}

TEST(CommandLine, ResetForgetsTheSavedDeviceChoiceOnce)
{
    std::string devconfig = host_user_file("devconfig.dat");
    std::ofstream(devconfig) << "saved";
    ASSERT_TRUE(std::filesystem::exists(devconfig));
    EXPECT_EQ(parse_command_line("/RS /RESET"), 1);
    EXPECT_FALSE(std::filesystem::exists(devconfig));
    set_defaults();
}
