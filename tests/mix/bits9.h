// Compression 9 streams written bit by bit, least significant bit first.
#pragma once

#include <cstdint>
#include <vector>

struct Bits9 {
    std::vector<uint8_t> bytes;
    int used = 8;
    void put(uint32_t value, int n)
    {
        for (int i = 0; i < n; ++i) {
            if (used == 8) bytes.push_back(0), used = 0;
            bytes.back() |= static_cast<uint8_t>(((value >> i) & 1) << used++);
        }
    }
    // Codes given in reading order.
    void code(const char* text)
    {
        for (; *text; ++text) put(*text == '1', 1);
    }
    void header(int layout, int threshold, int firstgain, int ratio)
    {
        put(layout, 1), put(threshold, 4), put(firstgain, 4), put(ratio, 6);
    }
    // Coefficients that leave the filter out, so the output is the
    // excitation; table selects the table-coded pulses.
    void flat(bool table)
    {
        for (int i = 0; i < 4; ++i) put(i == 0 && table ? 0 : 32, 6);
        for (int i = 0; i < 8; ++i) put(16, 5);
    }
    void subframe(int lag, int copy, int gain) { put(lag, 8), put(copy, 4), put(gain, 6); }
};
