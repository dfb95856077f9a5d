#include "platform/fatal_error.h"

#include "exit_trap.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

TEST(FatalError, EachCodeShowsItsRowAndEndsWithOne)
{
    struct Case {
        int32_t code;
        const char* text;
    } cases[] = {
        {230, "Can't unlock sound buffer\n"},
        {229, "Can't lock sound buffer\n"},
        {202, "Can't load file\n"},  // rows out of numeric order are still found
        {237, "DirectX error.\n"},   // the last row before the end
        {99999, "unspecified error\n"},
        {-1, "unspecified error\n"},
        {1999, "unspecified error\n"},
    };
    for (const Case& c : cases) {
        Ending e = run_trapped([&] { fatal_error(c.code); });
        EXPECT_TRUE(e.ended);
        EXPECT_EQ(e.code, 1) << c.code;
        EXPECT_EQ(e.box_text, std::string("[Error] ") + c.text + "\n") << c.code;
    }
}

TEST(FatalError, CodeZeroEndsSilently)
{
    Ending plain = run_trapped([] { fatal_error(0); });
    Ending sub = run_trapped([] { fatal_error_sub(0, 5, "lock_surface", 0); });
    EXPECT_EQ(plain.code, 1);
    EXPECT_EQ(sub.code, 1);
    EXPECT_EQ(plain.box_text, "");
    EXPECT_EQ(sub.box_text, "");
}

TEST(FatalError, SubCodeAndTextFollowTheMessage)
{
    EXPECT_EQ(fatal_error_text(99999, 0x1F, "copy_to_vram", 0), "unspecified error\nSub code: 0X1F\n\ncopy_to_vram");
    EXPECT_EQ(fatal_error_text(222, 0x8876017C, nullptr, 0), "Can't lock DirectDraw Surface\nSub code: 0X8876017C\n");
    EXPECT_EQ(fatal_error_text(196, 0, "load_file: a.dat", 0), "file not found\nSub code: 0X0\n\nload_file: a.dat");

    errno = ENOENT;
    std::string with_system = fatal_error_text(204, 2, "open", FATAL_SYSTEM_TEXT);
    EXPECT_EQ(with_system, "Couldn't open file\nSub code: 0X2\n\nopen\n" + std::string(std::strerror(ENOENT)));

    Ending e = run_trapped([] { fatal_error_sub(236, 64, "Can't realloc", 1); });
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.box_text, "[Error] LK_REALLOC error.\nSub code: 0X40\n\nCan't realloc\n");
}

TEST(FatalError, TableEndsWithTheCatchAllRow)
{
    int rows = 0;
    while (error_table[rows].code != -1) ++rows;
    EXPECT_EQ(rows, 41); // code 0 and the 40 numbered messages
    EXPECT_STREQ(error_table[rows].message, "unspecified error\n");
}

// In a process of its own: the real end, not the test hook.
TEST(FatalErrorProcess, AFatalErrorShowsItsBoxAndEndsWithOne)
{
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], 2);
        ::close(out[0]);
        fatal_error_sub(215, 0, "load_wav: crowd.wav", 0);
    }
    ::close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(text, "[Error] Can't load WAV file\nSub code: 0X0\n\nload_wav: crowd.wav\n");
}
