// Runs game code that may end the process, and reports how it ended instead.
#pragma once

#include "host/process.h"
#include "host/host_test_hooks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

struct ProcessEnded {
    int code;
};

struct Ending {
    bool ended = false;
    int code = -1;
    std::string box_text; // what went to stderr (the message box without a display)
};

inline Ending run_trapped(const std::function<void()>& body)
{
    Ending ending;
    host_set_exit_hook([](int code) { throw ProcessEnded{code}; });
    testing::internal::CaptureStderr();
    try {
        body();
    } catch (const ProcessEnded& e) {
        ending.ended = true;
        ending.code = e.code;
    }
    ending.box_text = testing::internal::GetCapturedStderr();
    host_set_exit_hook(nullptr);
    return ending;
}
