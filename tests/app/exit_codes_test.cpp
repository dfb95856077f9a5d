// The three ends of the real program, each in its own process.
#include "host/instance.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct ChildRun {
    int code = -1;
    std::string output;
};

std::string program_path()
{
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kob99").string();
}

constexpr const char* HEADLESS = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy";

// Runs kob99 with its own user directory and an event script, headless
// unless env says otherwise (it goes in front of the command: variables, or
// "env -u NAME" to take one away).
ChildRun run_program(const std::string& user_dir, const std::string& script, const std::string& args,
                     const std::string& env = HEADLESS, const std::string& script_name = "events.txt")
{
    fs::create_directories(user_dir);
    std::string script_file = user_dir + "/" + script_name;
    if (!script.empty()) std::ofstream(script_file) << script;
    std::string command = env + " KOB99_USER_DIR='" + user_dir + "' KOB99_EVENT_SCRIPT='" + script_file +
                          "' timeout 300 '" + program_path() + "' " + args + " 2>&1";
    ChildRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string test_dir(const char* name) { return host_user_dir() + "/exit-codes/" + name; }

} // namespace

// Esc on the controller screen asks the quit question; Right, Enter is Yes,
// and Enter on the splash's Exit Demo ends the program. On the fast clock
// the script's times count frames shown, not the machine's speed or load:
// a load costs the script little time, so the keys come to screens that are
// up however slow the machine is.
TEST(ExitCodes, QuittingThroughTheMessageBoxEndsWithZero)
{
    ChildRun run = run_program(test_dir("normal"), "8000 keydown Escape\n8100 keyup Escape\n10000 keydown Right\n10100 keyup Right\n12000 keydown Return\n12100 keyup Return\n16000 keydown Return\n16100 keyup Return\n", "/nm",
                               std::string(HEADLESS) + " KOB99_FAST_CLOCK=10");
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_TRUE(fs::exists(test_dir("normal") + "/settings.cfg")) << "the settings were saved";
}

TEST(ExitCodes, ClosingTheWindowLeavesTheFrontEndAndEndsWithZero)
{
    ChildRun run = run_program(test_dir("close"), "300 close\n", "/NE /NM");
    EXPECT_EQ(run.code, 0) << run.output;
}

TEST(ExitCodes, ASecondCopyIsRefusedWithItsMessageAndOne)
{
    // This process holds the lock of the user directory the child is given.
    std::string dir = test_dir("second");
    fs::create_directories(dir);
    std::string saved = host_user_dir();
    setenv("KOB99_USER_DIR", dir.c_str(), 1);
    host_set_user_dir(dir);
    ASSERT_TRUE(host_claim_single_instance("kob99"));
    setenv("KOB99_USER_DIR", saved.c_str(), 1);
    host_set_user_dir(saved);

    ChildRun run = run_program(dir, "300 key Escape\n", "/nm");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.output, std::string("[KOB 99] ") + second_copy_message + "\n");
}


TEST(ExitCodes, NoDisplayEndsWithOneAndSaysWhy)
{
    const struct {
        const char* what;
        const char* env;
        const char* said;
    } cases[] = {
        {"no display at all", "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy",
         "No display was found"},
        {"a display nobody answers", "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:97 SDL_AUDIODRIVER=dummy",
         "No display was found"},
        {"video that cannot start", "SDL_VIDEODRIVER=no_such_driver SDL_AUDIODRIVER=dummy", "no_such_driver"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChildRun run = run_program(test_dir("no-display"), "300 key Escape\n", "/nm", c.env);
        EXPECT_EQ(run.code, 1) << run.output;
        EXPECT_NE(run.output.find("Failed to register window class\n"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    }
}

TEST(ExitCodes, ABadEventScriptEndsWithOneAndItsError)
{
    const struct {
        const char* what;
        const char* script; // empty: no file at all
        const char* said;
    } cases[] = {
        {"a missing file", "", "KOB99_EVENT_SCRIPT: "},
        {"an unknown key", "300 key NoSuchKey\n", "NoSuchKey"},
        {"a bad time", "soon key Escape\n", "KOB99_EVENT_SCRIPT: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChildRun run = run_program(test_dir("bad-script"), c.script, "/nm", HEADLESS,
                                   *c.script ? "events.txt" : "absent.txt");
        EXPECT_EQ(run.code, 1) << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    }
}
