// Ending the process, and message boxes.
#pragma once

#include <string>

// Starts the host's base layer (before any window or device); false when it cannot.
bool host_init();

// Every end of the program goes through here. Tests install a hook (which
// typically throws) to see the exit code instead of losing the process.
[[noreturn]] void host_exit(int code);
// The same end raised on a thread other than the main one: the process ends
// at once, without exit functions or static destructors, which would race
// with (or wait for) the threads still running.
[[noreturn]] void host_exit_now(int code);

enum HostMessageBoxKind { HOST_MB_OK, HOST_MB_OK_CANCEL, HOST_MB_YES_NO, HOST_MB_YES_NO_CANCEL, HOST_MB_RETRY_CANCEL };
enum HostMessageBoxAnswer { HOST_ANSWER_OK = 1, HOST_ANSWER_CANCEL = 2, HOST_ANSWER_RETRY = 4, HOST_ANSWER_YES = 6, HOST_ANSWER_NO = 7 };

// Starts a program without waiting for it; false when it does not exist or
// cannot be started.
bool host_start_program(const std::string& path);

// A modal box over the main window (or none). With no display the text goes
// to stderr and the first (default) answer is taken.
int host_message_box(const char* title, const char* text, HostMessageBoxKind kind, bool error_icon);
