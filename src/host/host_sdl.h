// Inside the host only (and its own tests): the SDL objects behind the host's
// opaque handles.
#pragma once

#include <SDL.h>

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
