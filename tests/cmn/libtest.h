// Helpers for the engine library's tests: aborts caught through the
// before-abort filter, and log lines caught on their way out.
#pragma once

#include "cmn/lib.h"

#include <mutex>
#include <string>
#include <vector>

// Catches every abort message (on any thread) and cancels the abort, so that
// the failing call returns to its caller.
class AbortCatcher {
public:
    AbortCatcher()
    {
        std::lock_guard<std::mutex> hold(mutex());
        store().clear();
        setabortfilter(&take);
    }
    ~AbortCatcher() { setabortfilter(nullptr); }

    std::vector<std::string> messages() const
    {
        std::lock_guard<std::mutex> hold(mutex());
        return store();
    }
    // True when some message begins with the text.
    bool saw(const std::string& start) const
    {
        for (const std::string& m : messages())
            if (m.compare(0, start.size(), start) == 0) return true;
        return false;
    }
    size_t count() const { return messages().size(); }

private:
    static int take(const char* message)
    {
        std::lock_guard<std::mutex> hold(mutex());
        store().push_back(message);
        return 0;
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::vector<std::string>& store()
    {
        static std::vector<std::string> s;
        return s;
    }
};

class LogCatcher {
public:
    LogCatcher()
    {
        std::lock_guard<std::mutex> hold(mutex());
        store().clear();
        setliblogoutput(&take);
    }
    ~LogCatcher() { setliblogoutput(nullptr); }
    std::string text() const
    {
        std::lock_guard<std::mutex> hold(mutex());
        return store();
    }

private:
    static void take(const char* text)
    {
        std::lock_guard<std::mutex> hold(mutex());
        store() += text;
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::string& store()
    {
        static std::string s;
        return s;
    }
};

// Sets the library's error switch for one scope.
class ErrorsOn {
public:
    explicit ErrorsOn(int on) : saved_(libsettings.errorson.exchange(on)) {}
    ~ErrorsOn() { libsettings.errorson.store(saved_); }

private:
    int saved_;
};
