// The memory viewer: an interactive list of one memory class's blocks with
// their names, sizes, flags, sites, CRCs and sentinels, a summary of the
// class, views of a selected block (its shapes, or a hex dump), and the
// memory map file. It draws through a driver of ten operations: one for the
// graphics screen, one for the debug text console.
#pragma once

#include <cstdint>

struct MemBlockHeader;

struct MemDisplayDriver {
    void (*begin)();
    void (*end)();
    // 0 columns, 1 rows, 2 width, 3 height, 4 whether it draws graphics.
    int32_t (*query)(int32_t what);
    void (*print)(int32_t column, int32_t row, const char* text);
    void (*printother)(int32_t column, int32_t row, const char* text);
    void (*showshape)(const void* shape, int32_t bits, int32_t x, int32_t y);
    uint32_t (*getkey)();
    void (*clear)();
    void (*fill)(int32_t column, int32_t row, int32_t columns, int32_t rows, int32_t colour);
    void (*colours)(int32_t foreground, int32_t background);
};
extern const MemDisplayDriver memscreendriver;
extern const MemDisplayDriver memconsoledriver;

// The viewer's colour numbers as ARGB and as console attributes.
uint32_t memviewargb(int32_t colour);
uint8_t memviewattribute(int32_t colour);

// Runs until Esc.
void memsizedisplay(const MemDisplayDriver* driver);
void memorydisplayscreen();
void memorydisplayconsole();

// A view runs on the selected block (its header) through the driver.
using MemView = void (*)(const MemDisplayDriver* driver, MemBlockHeader* block);
// Registers a view under a name of up to 8 characters (a name already
// registered gets the new function); 0 when the table is full.
int addmemview(const char* name, MemView view);

// Writes "MEMMAPnn.TXT" (the first free number, or "xx") to the user
// directory: the totals and one line per block of the viewer's class; 1 when
// written.
int memmapdump();

// The viewer's class, size base and order; a fresh start (tests).
void resetmemsizedisplay();
