// Inside the host only (and its own tests): the SDL objects behind the host's
// opaque handles.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

struct HostWindow;

inline SDL_Window* as_sdl(HostWindow* window) { return reinterpret_cast<SDL_Window*>(window); }
inline HostWindow* as_host(SDL_Window* window) { return reinterpret_cast<HostWindow*>(window); }

// Every SDL event reaches the listeners, in the order registered, before it
// is turned into a message.
using HostEventListener = void (*)(const SDL_Event& event);
void host_add_event_listener(HostEventListener listener);
void host_remove_event_listener(HostEventListener listener);
// Turns one SDL event into messages, as the pump does (tests feed events here).
void host_translate_event(const SDL_Event& event);

// Every SDL event comes through here (acquiring a keyboard or mouse puts it
// on the event source's listeners).
void host_input_event(const SDL_Event& event);

// The fast clock (host/clock.cpp) keeps step with the frames shown: every
// present of the main window tells it.
constexpr int FAST_CLOCK_MAX_RATE = 100;
constexpr int FAST_CLOCK_FRAME_LEAD_MS = 150;
constexpr int FAST_CLOCK_CRAWL_DIVISOR = 10;
void host_clock_frame_shown();

// The event script's screenshots (host/screenshot_file.cpp): a request waits
// for the next picture shown in the main window, which is then written as a
// PNG file.
void host_request_screenshot(const std::string& path);
// Takes the request waiting, if any.
bool host_take_screenshot_request(std::string* path);
// Writes 0xAARRGGBB pixels, rows from the top, as an RGB PNG; false when the
// file cannot be written.
bool host_write_png(const std::string& path, const uint32_t* pixels, int width, int height);
