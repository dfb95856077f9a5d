// Screenshots: the screen written as an uncompressed 8-bit BMP under the
// first free numbered name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Surface;

constexpr int32_t SCREENSHOT_LAST_NUMBER = 997;
constexpr uint32_t BMP_HEADER_SIZE = 1078;

// The whole file for a surface (empty when it cannot be read).
std::vector<uint8_t> build_bmp(const Surface* surface);
// 1 when written, 0 otherwise.
int32_t write_bmp(const Surface* surface, const char* path);
// Writes under the first free "<prefix>NNN.BMP" of the user directory; the
// path written, or empty when all 998 exist.
std::string next_bmp_name(const Surface* surface, const char* prefix);
// The screen under the "kob_" prefix.
void take_screenshot();
