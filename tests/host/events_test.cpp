#include "host/events.h"
#include "host/host_test_hooks.h"
#include "host/host_sdl.h"

#include "host/clock.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

SDL_Event key_event(Uint32 type, SDL_Scancode key, Uint16 mod = KMOD_NONE, Uint8 repeat = 0)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = key;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    return e;
}

SDL_Event window_event(Uint8 what)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    return e;
}

std::vector<HostMessage> take_messages()
{
    std::vector<HostMessage> out;
    HostMessage m;
    while (host_peek_message(&m)) out.push_back(m);
    return out;
}

class WindowMessages : public testing::Test {
protected:
    void SetUp() override
    {
        host_set_message_hook(nullptr);
        host_pump_events();
        host_clear_messages();
    }
    void TearDown() override
    {
        host_set_message_hook(nullptr);
        host_clear_messages();
    }
};

} // namespace

TEST_F(WindowMessages, KeysBecomeKeyMessagesWithTheSet1Layout)
{
    struct Case {
        SDL_Event event;
        uint32_t id, lparam;
    } cases[] = {
        {key_event(SDL_KEYDOWN, SDL_SCANCODE_A), HOST_WM_KEYDOWN, 0x001E0001},
        {key_event(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE, 1), HOST_WM_KEYDOWN, 0x401E0001},
        {key_event(SDL_KEYUP, SDL_SCANCODE_A), HOST_WM_KEYUP, 0xC01E0001},
        {key_event(SDL_KEYDOWN, SDL_SCANCODE_LEFT), HOST_WM_KEYDOWN, 0x014B0001},
        {key_event(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER), HOST_WM_KEYDOWN, 0x011C0001},
        {key_event(SDL_KEYDOWN, SDL_SCANCODE_F10), HOST_WM_SYSKEYDOWN, 0x00440001},
        {key_event(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT), HOST_WM_SYSKEYDOWN, 0x20380001},
        {key_event(SDL_KEYDOWN, SDL_SCANCODE_F4, KMOD_LALT), HOST_WM_SYSKEYDOWN, 0x203E0001},
        {key_event(SDL_KEYUP, SDL_SCANCODE_LALT), HOST_WM_SYSKEYUP, 0xC0380001},
    };
    for (const Case& c : cases) {
        host_translate_event(c.event);
        std::vector<HostMessage> got = take_messages();
        ASSERT_EQ(got.size(), 1u) << SDL_GetScancodeName(c.event.key.keysym.scancode);
        EXPECT_EQ(got[0].id, c.id) << SDL_GetScancodeName(c.event.key.keysym.scancode);
        EXPECT_EQ(got[0].lparam, c.lparam) << std::hex << got[0].lparam;
    }
    // A key with no PC code makes no message.
    host_translate_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_MODE));
    EXPECT_TRUE(take_messages().empty());
}

TEST_F(WindowMessages, WindowEventsBecomeActivationAndSystemCommands)
{
    host_translate_event(window_event(SDL_WINDOWEVENT_MINIMIZED));
    host_translate_event(window_event(SDL_WINDOWEVENT_RESTORED));
    host_translate_event(window_event(SDL_WINDOWEVENT_FOCUS_LOST));
    host_translate_event(window_event(SDL_WINDOWEVENT_LEAVE));
    host_translate_event(window_event(SDL_WINDOWEVENT_CLOSE));
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 300;
    motion.motion.y = 200;
    host_translate_event(motion);
    std::vector<HostMessage> got = take_messages();
    std::vector<std::pair<uint32_t, uint32_t>> ids;
    for (const HostMessage& m : got) ids.emplace_back(m.id, m.wparam);
    EXPECT_EQ(ids, (std::vector<std::pair<uint32_t, uint32_t>>{
                       {HOST_WM_SYSCOMMAND, HOST_SC_MINIMIZE},
                       {HOST_WM_ACTIVATE, 0x10000},
                       {HOST_WM_SYSCOMMAND, HOST_SC_RESTORE},
                       {HOST_WM_ACTIVATE, 1},
                       {HOST_WM_ACTIVATE, 0},
                       {HOST_WM_NCMOUSEMOVE, 0},
                       {HOST_WM_CLOSE, 0},
                       {HOST_WM_MOUSEMOVE, 0},
                   }));
    EXPECT_EQ(got.back().lparam, (200u << 16) | 300u);
}

TEST_F(WindowMessages, CloseTurnsIntoQuitUnlessTheHookTakesIt)
{
    host_dispatch_message(HostMessage{HOST_WM_CLOSE, 0, 0});
    std::vector<HostMessage> got = take_messages();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].id, HOST_WM_QUIT);

    host_set_message_hook([](const HostMessage& m) { return m.id == HOST_WM_CLOSE ? 0 : 1; });
    EXPECT_EQ(host_dispatch_message(HostMessage{HOST_WM_CLOSE, 0, 0}), 0);
    EXPECT_TRUE(take_messages().empty());
}

namespace {
uint32_t g_now = 0;
std::vector<SDL_Event> g_heard;
void listen(const SDL_Event& e) { g_heard.push_back(e); }
} // namespace

TEST_F(WindowMessages, AScriptPlaysItsEventsOnTimeThroughListenersAndMessages)
{
    std::string path = testing::TempDir() + "kob_script.txt";
    std::ofstream(path) << "# start\n"
                           "100 key Escape\n"
                           "50 keydown Left Shift   # out of order on purpose\n"
                           "200 mousemove 10 20\n"
                           "200 mousedown right\n"
                           "300 close\n";
    g_now = 1000;
    host_set_clock([] { return g_now; });
    g_heard.clear();
    host_add_event_listener(listen);
    std::string error;
    ASSERT_TRUE(host_load_event_script(path, &error)) << error;

    host_pump_events(); // the script's time starts here
    EXPECT_TRUE(g_heard.empty());
    g_now += 60;
    std::vector<HostMessage> got = take_messages();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].id, HOST_WM_KEYDOWN);
    EXPECT_EQ((got[0].lparam >> 16) & 0xFF, 0x2Au);
    g_now += 90; // 150: Escape down and, 40 ms on, up
    got = take_messages();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].id, HOST_WM_KEYDOWN);
    EXPECT_EQ(got[1].id, HOST_WM_KEYUP);
    EXPECT_EQ((got[1].lparam >> 16) & 0xFF, 0x01u);
    g_now += 200;
    got = take_messages();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].id, HOST_WM_MOUSEMOVE);
    EXPECT_EQ(got[1].id, HOST_WM_RBUTTONDOWN);
    EXPECT_EQ(got[1].lparam, (20u << 16) | 10u);
    EXPECT_EQ(got[2].id, HOST_WM_CLOSE);
    EXPECT_FALSE(host_event_script_pending());

    ASSERT_EQ(g_heard.size(), 6u);
    EXPECT_EQ(g_heard[4].type, SDL_MOUSEBUTTONDOWN);
    EXPECT_EQ(g_heard[4].button.button, SDL_BUTTON_RIGHT);
    host_remove_event_listener(listen);
    host_set_clock(nullptr);
}

// A screenshot line makes no event: at its time it asks for the next
// picture shown, in the order the lines come.
TEST_F(WindowMessages, AScriptedScreenshotIsAskedForAtItsTime)
{
    std::string path = testing::TempDir() + "kob_shot_script.txt";
    std::ofstream(path) << "100 screenshot shots/first.png\n"
                           "100 screenshot second picture.png\n"
                           "300 key A\n";
    g_now = 0;
    host_set_clock([] { return g_now; });
    std::string error;
    ASSERT_TRUE(host_load_event_script(path, &error)) << error;
    std::string shot;
    host_pump_events();
    EXPECT_FALSE(host_take_screenshot_request(&shot));
    g_now = 100;
    EXPECT_TRUE(take_messages().empty());
    ASSERT_TRUE(host_take_screenshot_request(&shot));
    EXPECT_EQ(shot, "shots/first.png");
    ASSERT_TRUE(host_take_screenshot_request(&shot));
    EXPECT_EQ(shot, "second picture.png");
    EXPECT_FALSE(host_take_screenshot_request(&shot));
    EXPECT_TRUE(host_event_script_pending());
    g_now = 400;
    EXPECT_EQ(take_messages().size(), 2u);
    host_set_clock(nullptr);
}

TEST_F(WindowMessages, ABadScriptIsRefusedWithItsLine)
{
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"10 key Escape\nsoon key A\n", ":2: expected a time"},
        {"10 key NoSuchKey\n", ":1: unknown key \"NoSuchKey\""},
        {"10 jump\n", ":1: unknown event \"jump\""},
        {"10 mousemove 5\n", ":1: mousemove needs x and y"},
        {"10 mousedown thumb\n", ":1: unknown mouse button"},
        {"10 focus maybe\n", ":1: focus needs on or off"},
        {"-5 close\n", ":1: expected a time"},
        {"10 screenshot\n", ":1: screenshot needs a file name"},
    };
    std::string path = testing::TempDir() + "kob_bad_script.txt";
    for (const Case& c : cases) {
        std::ofstream(path) << c.text;
        std::string error;
        EXPECT_FALSE(host_load_event_script(path, &error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(host_load_event_script(path + ".missing", &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}
