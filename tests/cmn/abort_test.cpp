#include "cmn/libtest.h"
#include "host/host_test_hooks.h"
#include "cmn/memstd.h"
#include "host/process.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct ProcessEnded {
    int code;
};

void throw_on_exit(int code) { throw ProcessEnded{code}; }

std::vector<std::string> g_hooks;
int g_inner_result = -1;

void sound_hook()
{
    g_hooks.push_back("sound");
    // An abort raised while the first is being shown returns at once.
    g_inner_result = libabort("inner - SECOND ABORT\n");
}
LibLock g_display_lock = nullptr;
LibLock display_hook()
{
    g_hooks.push_back("display");
    entercritical(g_display_lock);
    return g_display_lock;
}
void timer_hook() { g_hooks.push_back("timer"); }

class LibAbort : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_set_exit_hook(throw_on_exit);
        g_hooks.clear();
        g_inner_result = -1;
    }
    void TearDown() override
    {
        host_set_exit_hook(nullptr);
        setabortsoundhook(nullptr);
        setabortdisplayhook(nullptr);
        setaborttimerhook(nullptr);
    }
};

TEST_F(LibAbort, FilterSeesTheMessageAndCancelsIt)
{
    AbortCatcher aborts;
    EXPECT_EQ(LIBFAIL("cmn\\memstd", "reservememadr - OUT OF MEMORY\nrequested '%s': %d\n", "YUVBUF", 4096), 0);
    ASSERT_EQ(aborts.count(), 1u);
    // The filter sees the text before the site is added.
    EXPECT_EQ(aborts.messages()[0], "reservememadr - OUT OF MEMORY\nrequested 'YUVBUF': 4096\n");
    EXPECT_STREQ(libsite.file.load(), "cmn\\memstd");
}

TEST_F(LibAbort, ErrorsOffReturnZeroWithoutReporting)
{
    AbortCatcher aborts;
    ErrorsOn off(0);
    EXPECT_EQ(LIBFAIL("cmn\\queue", "qpush - UNINITIALIZED QUEUE %08x USED.\n", 0u), 0);
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(LibAbort, EndsTheProcessWithAFailureCodeAfterTheHooksInOrder)
{
    g_display_lock = createcritical();
    setabortsoundhook(sound_hook);
    setabortdisplayhook(display_hook);
    setaborttimerhook(timer_hook);
    testing::internal::CaptureStderr();
    int code = 0;
    try {
        LIBFAIL("win\\timer", "addsystemtask - LIST FULL\n");
    } catch (const ProcessEnded& ended) {
        code = ended.code;
    }
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(code, 0);
    EXPECT_EQ(g_hooks, (std::vector<std::string>{"sound", "display", "timer"}));
    EXPECT_EQ(g_inner_result, 0);
    EXPECT_NE(shown.find("[Abort message:] addsystemtask - LIST FULL\nFILE win\\timer LINE "), std::string::npos)
        << shown;
    EXPECT_NE(shown.find(" FUNCTION \n"), std::string::npos);
    EXPECT_EQ(shown.find("inner - SECOND ABORT"), std::string::npos);

    // The display hook's lock was left again: another thread can take it.
    bool taken = false;
    std::thread other([&] {
        entercritical(g_display_lock);
        taken = true;
        leavecritical(g_display_lock);
    });
    other.join();
    EXPECT_TRUE(taken);
    deletecritical(g_display_lock);
}

TEST_F(LibAbort, TextIsBoundedAndTheSiteNeverOverruns)
{
    AbortCatcher aborts;
    std::string longname(2000, 'N');
    LIBFAIL("cmn\\memstd", "reservememadr - OUT OF MEMORY\nrequested '%s'\n", longname.c_str());
    ASSERT_EQ(aborts.count(), 1u);
    EXPECT_EQ(aborts.messages()[0].size(), 511u);

    setabortfilter(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_THROW(LIBFAIL("cmn\\memstd", "%s", longname.c_str()), ProcessEnded);
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find(std::string(200, 'N')), std::string::npos);
}

TEST_F(LibAbort, AbortsOfLibraryCallsNameTheCallAndItsFile)
{
    AbortCatcher aborts;
    alignas(32) static uint8_t arena[4096];
    ASSERT_GT(creatememclass(9, "T", arena, sizeof arena, 8, 32, 16, true, true, true, false, nullptr), 0u);
    EXPECT_EQ(reservememadr("big", 100000, 9), nullptr);
    deletememclass(9);
    ASSERT_TRUE(aborts.saw("reservememadr - OUT OF MEMORY\nrequested 'big': 100000\navailable: "));
    EXPECT_STREQ(libsite.file.load(), "cmn\\memstd");
}

} // namespace
