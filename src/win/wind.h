// Drawing windows: a rectangle of pixels (size, depth, clip rectangle, and
// where each row and column starts) in the library's memory or over a display
// surface. One window at a time is current: the drawing code reads its fields
// from currentwindow. Row and column offsets come from a pool of row tables
// that windows of the same geometry share.
#pragma once

#include <cstdint>

struct DDSurface;

constexpr uint32_t WIND_ID = 0x57494E44;       // "WIND"
constexpr uint32_t WIND_DISPOSED = 0x57494E6B; // "WINk"

struct WIND {
    uint32_t id;
    int32_t width, height;
    int32_t minx, miny, maxx, maxy; // the clip rectangle, right and bottom exclusive
    uint8_t bpp;    // 1, 4, 8, 15, 16, 24 or 32
    uint8_t format; // the shape type of the depth
    uint8_t video;  // 0xFF over a surface, 0 in memory
    uint8_t indirect; // set: text and pixel drawers take the clipped per-pixel path
    uint8_t* base;  // row and column offsets count from here; 0 while a video window is unlocked
    uint32_t spare2;
    int32_t rowbytes;
    uint32_t* rowtable;
    uint32_t* columntable;
    DDSurface* surface;
};

extern WIND currentwindow;

// The shape type of a depth: 1 0x79, 4 0x7A, 8 0x7B, 15 0x7E, 16 0x78,
// 24 0x7F, 32 0x7D, else 0.
uint8_t bpptoformat(int32_t bpp);

// Memory windows: the WIND, a 16-byte shape header, then the rows. Depth 0
// means the display's.
WIND* createwindow(int32_t width, int32_t height, int32_t bpp, int32_t memclass, int report);
WIND* createwindowadr(int32_t width, int32_t height, int32_t bpp, int32_t memclass);
WIND* createwindowquiet(int32_t width, int32_t height, int32_t bpp, int32_t memclass);
void disposewindow(WIND* window);
// The shape header of a memory window.
uint8_t* windowshape(WIND* window);

// Makes a window current, locking its surface; 0 unlocks. 1 on success.
int lockwindow(WIND* window);
void unlockwindow();
int displaywindow();
int backwindow();
WIND* getfrontwindow();
WIND* getbackwindow();
// Saves the current window and the front window; restores both.
void copycurrentwindow(WIND saved[2]);
void setcurrentwindow(const WIND saved[2]);
int checkwindow(const WIND* window);
// The same check without a report.
int checkwindowquiet(const WIND* window);
uint8_t* pixeladdress(int32_t x, int32_t y);

// The row-table pool, in words (at least 204; 14,336 by default).
constexpr uint32_t ROWSPACE_DEFAULT = 14336;
constexpr uint32_t ROWSPACE_MIN = 204;
int initrow();
void setrowspace(uint32_t* memory, uint32_t words);
void freerowspace();
bool rowspaceready();
// A table whose entry i is (start + i * step) >> shift, at least count long,
// shared with an equal one; 0 when there is no room.
uint32_t* findrowblock(uint32_t start, uint32_t step, uint32_t shift, uint32_t count);
void removewindow(uint32_t* table);
// Free blocks and their total entries (tests and the memory map).
void rowspacefree(uint32_t* blocks, uint32_t* entries);

// Video windows: where -1 is the front window record, -2 the back window
// record, anything else a memory class for a new record.
WIND* makevideowindow(int32_t width, int32_t height, int32_t pitch, int32_t bpp, int32_t where, uint8_t* base,
                      DDSurface* surface);
WIND* updatevideowindow(WIND* window, int32_t pitch, uint8_t* base);
void freevideowindow(WIND* window);
WIND* videowindowdefadr(int32_t width, int32_t height, int32_t bpp, int32_t where, uint32_t caps);
int pagelockwindow(WIND* window);
int pageunlockwindow(WIND* window);
// The small window drawing lands in while a surface cannot be locked.
WIND* dummywindow();
void disposedummywindow();

void clearmem(void* address, uint32_t bytes);
void setmem(void* address, uint32_t bytes, uint8_t value);
// Whole words first, then a 16-bit and a byte tail.
void fillmem16(void* address, uint32_t bytes, uint16_t value);
void fillmem32(void* address, uint32_t bytes, uint32_t value);
// Block copies (source, destination, bytes) through the four copy kernels.
void copymem1(const void* source, void* destination, uint32_t bytes);
void copymem2(const void* source, void* destination, uint32_t bytes);
void copymem3(const void* source, void* destination, uint32_t bytes);
void copymem4(const void* source, void* destination, uint32_t bytes);
void libexit();
