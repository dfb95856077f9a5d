// A harness feeds one file reader whatever bytes it is given. Under the fuzz
// preset each harness is a libFuzzer program of its own; in the normal suite
// every harness is registered by name and the replay test runs the files of
// tests/fuzz/corpus/<name>/ through it.
//
// A reader may refuse its input with a fatal error: the harness sees that as
// a clean end, not a fault. Crashes, sanitizer reports and hangs are faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using fuzz_body = void (*)(const uint8_t* data, size_t size);

// Runs one input: game ends are caught, the tracked buffers the reader left
// are freed, and the work directories are emptied.
void fuzz_run(fuzz_body body, const uint8_t* data, size_t size);

// The input as a file: below the data directory (game-style name) or the user
// directory. Returns the path on disk.
std::string fuzz_data_file(const char* game_name, const uint8_t* data, size_t size);
std::string fuzz_user_file(const char* game_name, const uint8_t* data, size_t size);

#ifdef KOB_FUZZER
#define FUZZ_HARNESS(name)                                                                                           \
    static void fuzz_body_##name(const uint8_t* data, size_t size);                                                  \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)                                          \
    {                                                                                                                \
        fuzz_run(fuzz_body_##name, data, size);                                                                      \
        return 0;                                                                                                    \
    }                                                                                                                \
    static void fuzz_body_##name(const uint8_t* data, size_t size)
#else
struct fuzz_registration {
    fuzz_registration(const char* name, fuzz_body body);
};
#define FUZZ_HARNESS(name)                                                                                           \
    static void fuzz_body_##name(const uint8_t* data, size_t size);                                                  \
    static fuzz_registration fuzz_registered_##name(#name, fuzz_body_##name);                                         \
    static void fuzz_body_##name(const uint8_t* data, size_t size)

struct fuzz_harness {
    const char* name;
    fuzz_body body;
};
// Every harness linked into the program, in no particular order.
const fuzz_harness* fuzz_harnesses(size_t* count);
#endif
