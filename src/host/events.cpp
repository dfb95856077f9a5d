#include "host/events.h"
#include "host/host_test_hooks.h"
#include "host/host_sdl.h"

#include "host/process.h"

#include "host/clock.h"
#include "host/keymap.h"
#include "host/window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::deque<HostMessage> g_queue;
HostMessageHook g_hook = nullptr;
std::vector<HostEventListener> g_listeners;
std::vector<HostWindowListener> g_window_listeners;

// Resizes and minimising of the main window, as the host's own records.
void tell_window_listeners(const SDL_Event& e)
{
    SDL_Window* main = as_sdl(host_window());
    if (e.type != SDL_WINDOWEVENT || !main || SDL_GetWindowFromID(e.window.windowID) != main) return;
    HostWindowEvent event{};
    if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        event = {HOST_WINDOW_RESIZED, e.window.data1, e.window.data2};
    else if (e.window.event == SDL_WINDOWEVENT_MINIMIZED)
        event = {HOST_WINDOW_MINIMISED, 0, 0};
    else
        return;
    for (size_t i = 0; i < g_window_listeners.size(); ++i) g_window_listeners[i](event);
}
bool g_minimised = false;

struct ScriptedEvent {
    uint32_t at_ms;
    SDL_Event event;
    std::string screenshot; // a screenshot instead of an event
};
std::vector<ScriptedEvent> g_script;
size_t g_script_next = 0;
bool g_script_started = false;
uint32_t g_script_start = 0;
bool g_env_script_checked = false;

void post(uint32_t id, uint32_t wparam, uint32_t lparam) { g_queue.push_back(HostMessage{id, wparam, lparam}); }

void translate_key(const SDL_KeyboardEvent& key)
{
    uint8_t scan = 0;
    bool extended = false;
    if (!host_scan_code(key.keysym.scancode, &scan, &extended)) return;
    bool down = key.type == SDL_KEYDOWN;
    bool alt_key = key.keysym.scancode == SDL_SCANCODE_LALT || key.keysym.scancode == SDL_SCANCODE_RALT;
    bool alt_held = (key.keysym.mod & KMOD_ALT) != 0 || (alt_key && down);
    bool system = alt_key || alt_held || key.keysym.scancode == SDL_SCANCODE_F10;
    uint32_t id = down ? (system ? HOST_WM_SYSKEYDOWN : HOST_WM_KEYDOWN) : (system ? HOST_WM_SYSKEYUP : HOST_WM_KEYUP);
    post(id, 0, host_key_lparam(scan, extended, alt_held, down ? key.repeat != 0 : true, !down));
}

uint32_t point_lparam(int x, int y)
{
    return (static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16);
}

// The left, right and middle buttons have messages of their own.
void translate_button(const SDL_MouseButtonEvent& b)
{
    bool down = b.type == SDL_MOUSEBUTTONDOWN;
    uint32_t id = HOST_WM_NONE;
    if (b.button == SDL_BUTTON_LEFT) id = down ? HOST_WM_LBUTTONDOWN : HOST_WM_LBUTTONUP;
    if (b.button == SDL_BUTTON_RIGHT) id = down ? HOST_WM_RBUTTONDOWN : HOST_WM_RBUTTONUP;
    if (b.button == SDL_BUTTON_MIDDLE) id = down ? HOST_WM_MBUTTONDOWN : HOST_WM_MBUTTONUP;
    if (id != HOST_WM_NONE) post(id, 0, point_lparam(b.x, b.y));
}

void translate_window(const SDL_WindowEvent& w)
{
    switch (w.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED: post(HOST_WM_ACTIVATE, 1, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: post(HOST_WM_ACTIVATE, g_minimised ? 0x10000u : 0u, 0); break;
    case SDL_WINDOWEVENT_MINIMIZED:
        g_minimised = true;
        post(HOST_WM_SYSCOMMAND, HOST_SC_MINIMIZE, 0);
        post(HOST_WM_ACTIVATE, 0x10000u, 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        // Coming back from the task bar activates the window, as it would on
        // the desktop the game was made for, even before focus arrives.
        if (g_minimised) {
            g_minimised = false;
            post(HOST_WM_SYSCOMMAND, HOST_SC_RESTORE, 0);
            post(HOST_WM_ACTIVATE, 1, 0);
        }
        break;
    case SDL_WINDOWEVENT_LEAVE: post(HOST_WM_NCMOUSEMOVE, 0, 0); break;
    case SDL_WINDOWEVENT_EXPOSED: post(HOST_WM_ERASEBKGND, 0, 0); break;
    case SDL_WINDOWEVENT_CLOSE: post(HOST_WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_MOVED: post(HOST_WM_MOVE, 0, point_lparam(w.data1, w.data2)); break;
    default: break;
    }
}

uint32_t held_buttons(uint32_t state)
{
    return ((state & SDL_BUTTON_LMASK) ? HOST_MK_LBUTTON : 0) | ((state & SDL_BUTTON_RMASK) ? HOST_MK_RBUTTON : 0) |
           ((state & SDL_BUTTON_MMASK) ? HOST_MK_MBUTTON : 0);
}

// Typed text as one message a character; only plain ASCII is a character here.
void translate_text(const SDL_TextInputEvent& t)
{
    for (const char* c = t.text; *c; ++c)
        if (static_cast<unsigned char>(*c) < 128) post(HOST_WM_CHAR, static_cast<unsigned char>(*c), 0);
}

void ensure_events()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS)) SDL_InitSubSystem(SDL_INIT_EVENTS);
}

uint32_t window_id()
{
    SDL_Window* w = as_sdl(host_window());
    return w ? SDL_GetWindowID(w) : 0;
}

SDL_Point g_script_pointer{0, 0};

void feed_script()
{
    if (!g_env_script_checked) {
        g_env_script_checked = true;
        const char* path = std::getenv("KOB99_EVENT_SCRIPT");
        if (path && *path) {
            std::string error;
            // A run that cannot follow its script would wait for ever.
            if (!host_load_event_script(path, &error)) {
                std::fprintf(stderr, "KOB99_EVENT_SCRIPT: %s\n", error.c_str());
                host_exit(1);
            }
        }
    }
    if (g_script_next >= g_script.size()) return;
    uint32_t now = host_time_ms();
    if (!g_script_started) {
        g_script_started = true;
        g_script_start = now;
    }
    uint32_t elapsed = now - g_script_start;
    while (g_script_next < g_script.size() && g_script[g_script_next].at_ms <= elapsed) {
        const ScriptedEvent& due = g_script[g_script_next++];
        if (!due.screenshot.empty()) {
            host_request_screenshot(due.screenshot);
            continue;
        }
        SDL_Event e = due.event;
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: e.key.windowID = window_id(); break;
        case SDL_MOUSEMOTION:
            e.motion.windowID = window_id();
            g_script_pointer = {e.motion.x, e.motion.y};
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: // a click lands where the script last moved the pointer
            e.button.windowID = window_id();
            e.button.x = g_script_pointer.x;
            e.button.y = g_script_pointer.y;
            break;
        case SDL_WINDOWEVENT: e.window.windowID = window_id(); break;
        default: break;
        }
        e.common.timestamp = SDL_GetTicks();
        SDL_PushEvent(&e);
    }
}

bool parse_button(const std::string& word, uint8_t* button)
{
    if (word == "left") *button = SDL_BUTTON_LEFT;
    else if (word == "middle") *button = SDL_BUTTON_MIDDLE;
    else if (word == "right") *button = SDL_BUTTON_RIGHT;
    else return false;
    return true;
}

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

} // namespace

void host_set_message_hook(HostMessageHook hook) { g_hook = hook; }

HostMessageHook host_message_hook() { return g_hook; }

void host_add_event_listener(HostEventListener listener)
{
    if (listener && std::find(g_listeners.begin(), g_listeners.end(), listener) == g_listeners.end())
        g_listeners.push_back(listener);
}

void host_add_window_listener(HostWindowListener listener)
{
    if (listener && std::find(g_window_listeners.begin(), g_window_listeners.end(), listener) == g_window_listeners.end())
        g_window_listeners.push_back(listener);
}

void host_remove_window_listener(HostWindowListener listener)
{
    g_window_listeners.erase(std::remove(g_window_listeners.begin(), g_window_listeners.end(), listener),
                             g_window_listeners.end());
}

void host_remove_event_listener(HostEventListener listener)
{
    g_listeners.erase(std::remove(g_listeners.begin(), g_listeners.end(), listener), g_listeners.end());
}

void host_translate_event(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: translate_key(e.key); break;
    case SDL_MOUSEMOTION: post(HOST_WM_MOUSEMOVE, held_buttons(e.motion.state), point_lparam(e.motion.x, e.motion.y)); break;
    case SDL_TEXTINPUT: translate_text(e.text); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: translate_button(e.button); break;
    case SDL_WINDOWEVENT: translate_window(e.window); break;
    case SDL_QUIT: post(HOST_WM_CLOSE, 0, 0); break;
    default: break;
    }
}

void host_pump_events()
{
    ensure_events();
    feed_script();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        for (size_t i = 0; i < g_listeners.size(); ++i) g_listeners[i](e);
        tell_window_listeners(e);
        host_translate_event(e);
    }
}

bool host_peek_message(HostMessage* out)
{
    host_pump_events();
    if (g_queue.empty()) return false;
    *out = g_queue.front();
    g_queue.pop_front();
    return true;
}

void host_wait_message(HostMessage* out)
{
    while (!host_peek_message(out)) {
        // A short wait keeps scripted events flowing while nothing else comes.
        SDL_WaitEventTimeout(nullptr, 10);
    }
}

void host_post_message(const HostMessage& message) { g_queue.push_back(message); }

int host_default_message(const HostMessage& message)
{
    switch (message.id) {
    case HOST_WM_CLOSE: post(HOST_WM_QUIT, 0, 0); return 0;
    case HOST_WM_SYSCOMMAND:
        if (message.wparam == HOST_SC_CLOSE) post(HOST_WM_CLOSE, 0, 0);
        return 0;
    default: return 0;
    }
}

int host_dispatch_message(const HostMessage& message)
{
    if (g_hook && g_hook(message) == 0) return 0;
    return host_default_message(message);
}

void host_clear_messages() { g_queue.clear(); }

bool host_load_event_script(const std::string& path, std::string* error)
{
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    std::vector<ScriptedEvent> events;
    std::string line;
    int line_no = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = path + ":" + std::to_string(line_no) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++line_no;
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        line = trim(line);
        if (line.empty()) continue;
        std::istringstream words(line);
        long long at = -1;
        std::string kind;
        if (!(words >> at) || at < 0 || at > 0x7FFFFFFF) return fail("expected a time in milliseconds");
        if (!(words >> kind)) return fail("expected an event");
        std::string rest;
        std::getline(words, rest);
        rest = trim(rest);
        uint32_t t = static_cast<uint32_t>(at);
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        if (kind == "key" || kind == "keydown" || kind == "keyup") {
            SDL_Scancode sc = SDL_GetScancodeFromName(rest.c_str());
            if (sc == SDL_SCANCODE_UNKNOWN) return fail("unknown key \"" + rest + "\"");
            e.key.keysym.scancode = sc;
            e.key.keysym.sym = SDL_GetKeyFromScancode(sc);
            e.type = kind == "keyup" ? SDL_KEYUP : SDL_KEYDOWN;
            e.key.state = kind == "keyup" ? SDL_RELEASED : SDL_PRESSED;
            events.push_back({t, e, {}});
            if (kind == "key") {
                e.type = SDL_KEYUP;
                e.key.state = SDL_RELEASED;
                events.push_back({t + 40, e, {}});
            }
        } else if (kind == "mousemove") {
            std::istringstream xy(rest);
            int x = 0, y = 0;
            if (!(xy >> x >> y)) return fail("mousemove needs x and y");
            e.type = SDL_MOUSEMOTION;
            e.motion.x = x;
            e.motion.y = y;
            events.push_back({t, e, {}});
        } else if (kind == "mousedown" || kind == "mouseup") {
            uint8_t button = 0;
            if (!parse_button(rest, &button)) return fail("unknown mouse button \"" + rest + "\"");
            e.type = kind == "mousedown" ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            e.button.button = button;
            e.button.state = kind == "mousedown" ? SDL_PRESSED : SDL_RELEASED;
            e.button.clicks = 1;
            events.push_back({t, e, {}});
        } else if (kind == "focus") {
            if (rest != "on" && rest != "off") return fail("focus needs on or off");
            e.type = SDL_WINDOWEVENT;
            e.window.event = rest == "on" ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
            events.push_back({t, e, {}});
        } else if (kind == "close") {
            e.type = SDL_WINDOWEVENT;
            e.window.event = SDL_WINDOWEVENT_CLOSE;
            events.push_back({t, e, {}});
        } else if (kind == "screenshot") {
            if (rest.empty()) return fail("screenshot needs a file name");
            events.push_back({t, e, rest});
        } else {
            return fail("unknown event \"" + kind + "\"");
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.at_ms < b.at_ms; });
    g_script = std::move(events);
    g_script_next = 0;
    g_script_started = false;
    g_env_script_checked = true;
    return true;
}

bool host_event_script_pending() { return g_script_next < g_script.size(); }
