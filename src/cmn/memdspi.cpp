#include "cmn/memdspi.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "cmn/numeric.h"
#include "font/text.h"
#include "host/file_util.h"
#include "host/paths.h"
#include "win/drawshape.h"
#include "win/key.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/shapes.h"
#include "win/wind.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* SITE = "cmn\\memdspi";

enum : uint32_t {
    KEY_ESC = 27, KEY_ENTER = 13, KEY_UP = 0x4800, KEY_DOWN = 0x5000, KEY_PGUP = 0x4900, KEY_PGDN = 0x5100,
    KEY_LEFT = 0x4B00, KEY_RIGHT = 0x4D00,
};

// One line of the list: the block and the CRC of its data.
struct Entry {
    MemBlockHeader* header;
    uint16_t crc;
};

struct Column {
    const char* head;
    int32_t width;
};
constexpr Column k_columns[9] = {{"IDX", 3},  {"NAME", 12}, {"SIZE", 10}, {"ADR", 8}, {"FLAGS", 7},
                                 {"FILE", 12}, {"LINE", 6},  {"CRC", 4},   {"SNTL", 4}};

struct View {
    char name[9];
    MemView fn;
};

struct Viewer {
    int32_t cls = 0;
    bool hex = false;
    bool running = false;
    bool descending = false;
    int32_t firstcolumn = 2;
    std::vector<Entry> list;
    std::vector<View> views;
};
Viewer g_viewer;

int writemap(char name[16]);

void print(const MemDisplayDriver* d, int32_t column, int32_t row, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
void print(const MemDisplayDriver* d, int32_t column, int32_t row, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    d->print(column, row, text);
}

uint8_t* dataof(MemBlockHeader* h) { return reinterpret_cast<uint8_t*>(h + 1); }
bool isfree(const MemBlockHeader* h) { return h->signature == MEMSIG_FREE; }
bool issentinel(const MemBlockHeader* h) { return (h->flags & MEM_SENTINEL) != 0; }
uint32_t address(MemBlockHeader* h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dataof(h))); }

const char* blockname(MemBlockHeader* h)
{
    const char* name = memblockname(dataof(h));
    return name ? name : "";
}

// The source file and line from the block's trailer, when it holds them.
const char* sitefile(MemBlockHeader* h)
{
    MemClass* c = memclassrecord(h->flags);
    if (!(h->flags & MEM_SITE) || !c || c->trailersize < 12) return nullptr;
    uint32_t index;
    std::memcpy(&index, dataof(h) + h->size + 4, 4);
    return memsitefile(index);
}

int32_t siteline(MemBlockHeader* h)
{
    MemClass* c = memclassrecord(h->flags);
    if (!(h->flags & MEM_SITE) || !c || c->trailersize < 12 || !sitefile(h)) return 0;
    int32_t line;
    std::memcpy(&line, dataof(h) + h->size + 8, 4);
    return line;
}

// Ten characters of which seven are shown.
void flagstext(const MemBlockHeader* h, char out[11])
{
    std::memset(out, ' ', 10);
    out[10] = 0;
    if (h->flags & MEM_ENDMARK) out[0] = 'e';
    if (h->flags & 0x2000) out[1] = 'b';
    if (h->flags & MEM_HIGH) out[2] = 'h';
    if (h->flags & 0x40) out[5] = 'a';
    if (h->flags & MEM_SENTINEL) out[6] = 's';
}

const char* sentineltext(const MemBlockHeader* h)
{
    static const char* const k_text[3] = {"BAD", " OK", "   "};
    return k_text[checksentinel(h)];
}

void buildlist()
{
    g_viewer.list.clear();
    MemClass* c = memclassrecord(g_viewer.cls);
    if (!c) return;
    MemClassLock hold(c);
    for (uint32_t at = 0;;) {
        MemBlockHeader* h = memheader(c, at);
        bool free = isfree(h);
        if (!(free && (g_viewer.cls & 1)))
            g_viewer.list.push_back(Entry{h, static_cast<uint16_t>(free || !h->size ? 0 : crc16(dataof(h), h->size))});
        if (!h->next) break;
        at = h->next;
    }
}

struct Totals {
    uint32_t total, used, free, largest;
};

Totals totals()
{
    Totals t{};
    MemClass* c = memclassrecord(g_viewer.cls);
    if (!c) return t;
    t.total = c->high;
    for (const Entry& e : g_viewer.list) {
        if (isfree(e.header)) {
            t.free += e.header->size;
            t.largest = std::max(t.largest, e.header->size);
        } else if (!issentinel(e.header)) {
            t.used += e.header->size;
        }
    }
    return t;
}

// ---- sorting ----

int compare(const char* a, const char* b)
{
    return std::strcmp(a, b) < 0 ? -1 : std::strcmp(a, b) > 0 ? 1 : 0; // strcmp compares as unsigned
}

template <typename T> int order(T a, T b) { return a < b ? -1 : a > b ? 1 : 0; }

// The primary key of a column (sign by the chosen order) and its tie break
// (always ascending); columns without a key do not sort.
bool sortable(int32_t column) { return column <= 3 || column == 5 || column == 6; }

void sortlist(int32_t column, bool descending)
{
    if (!sortable(column)) return;
    auto key = [column](MemBlockHeader* a, MemBlockHeader* b) {
        switch (column) {
        case 0: case 3: return order(address(a), address(b));
        case 1: return compare(isfree(a) ? "    SPACE" : blockname(a), isfree(b) ? "    SPACE" : blockname(b));
        case 2: return order(a->size, b->size);
        case 5: {
            auto file = [](MemBlockHeader* h) {
                const char* f = sitefile(h);
                return isfree(h) ? "           z" : f ? f : "";
            };
            return compare(file(a), file(b));
        }
        default: return order(isfree(a) ? 0 : siteline(a), isfree(b) ? 0 : siteline(b));
        }
    };
    auto tie = [column](MemBlockHeader* a, MemBlockHeader* b) {
        if (column == 0 || column == 3) return order(a->size, b->size);
        return order(address(a), address(b));
    };
    std::stable_sort(g_viewer.list.begin(), g_viewer.list.end(), [&](const Entry& x, const Entry& y) {
        int k = key(x.header, y.header);
        if (k) return descending ? k > 0 : k < 0;
        return tie(x.header, y.header) < 0;
    });
}

// ---- the list screen ----

// The optional columns shown from the first one on, as many as fit.
int32_t lastcolumn(int32_t columns)
{
    int32_t used = k_columns[0].width + 1 + k_columns[1].width + 1, last = 1;
    for (int32_t i = g_viewer.firstcolumn; i < 9 && used + k_columns[i].width <= columns; ++i) {
        used += k_columns[i].width + 1;
        last = i;
    }
    return last;
}

std::string cell(int32_t column, MemBlockHeader* h, uint16_t crc)
{
    char text[64];
    char flags[11];
    bool free = isfree(h);
    switch (column) {
    case 2: std::snprintf(text, sizeof text, g_viewer.hex ? "%10x" : "%10d", h->size); break;
    case 3: std::snprintf(text, sizeof text, "%8x", address(h)); break;
    case 4: flagstext(h, flags); std::snprintf(text, sizeof text, "%7.7s", flags); break;
    case 5: {
        const char* f = sitefile(h);
        std::snprintf(text, sizeof text, "%-12.12s", free ? "" : f ? f : "");
        break;
    }
    case 6: std::snprintf(text, sizeof text, "%6d", free ? 0 : siteline(h)); break;
    case 7: std::snprintf(text, sizeof text, "%04x", crc); break;
    default: std::snprintf(text, sizeof text, "%4s", free ? " " : sentineltext(h)); break;
    }
    return text;
}

std::string listline(const Entry& e, int32_t columns)
{
    char head[32];
    if (isfree(e.header)) std::snprintf(head, sizeof head, "     SPACE ");
    else std::snprintf(head, sizeof head, "%3.3d %-12.12s ", 0, blockname(e.header));
    std::string line = head;
    for (int32_t i = g_viewer.firstcolumn, last = lastcolumn(columns); i <= last; ++i) line += cell(i, e.header, e.crc) + " ";
    return line;
}

std::string headline(int32_t columns, int32_t chosen)
{
    std::string line;
    for (int32_t i = 0, last = lastcolumn(columns); i <= last; i = i == 1 ? g_viewer.firstcolumn : i + 1) {
        char text[32];
        std::snprintf(text, sizeof text, i == 1 || i == 5 ? "%-*s " : "%*s ", k_columns[i].width, k_columns[i].head);
        if (i == chosen) line += "[";
        line += text;
    }
    return line;
}

const char* blockkind(MemBlockHeader* h)
{
    if (isfree(h)) return "FREE SPACE";
    if (issentinel(h)) return "SYSTEM BLOCK";
    if (!h->size) return "UNKNOWN";
    if (h->size >= 4) {
        uint32_t sig = getbigendian(dataof(h), 4) & 0x7F7F7F7F;
        if (sig == 0x53485049 || sig == 0x53485046) return nullptr; // a shape bank: the counts say more
    }
    return h->flags & MEM_HIGH ? "UNKNOWN BLOCK TYPE - HIGH BLOCK" : "UNKNOWN BLOCK TYPE - LOW BLOCK";
}

// A shape bank's counts, entries outside the block counted as non-shapes.
struct BankCounts {
    int32_t shapes, packed, notpacked, nonshapes;
};

// The entry's shape when its header lies within the block, else 0.
uint8_t* bankentry(MemBlockHeader* h, uint32_t n)
{
    uint8_t* bank = dataof(h);
    uint64_t at = 16 + 8 * uint64_t{n};
    if (at + 8 > h->size) return nullptr;
    uint64_t offset = getlittleendian(bank + at + 4, 4);
    return offset + SHAPE_HEADER <= h->size ? bank + offset : nullptr;
}

uint32_t bankcount(MemBlockHeader* h) { return h->size >= 16 ? getlittleendian(dataof(h) + 8, 4) : 0; }

BankCounts countbank(MemBlockHeader* h)
{
    BankCounts n{};
    n.shapes = static_cast<int32_t>(bankcount(h));
    for (uint32_t i = 0; i < bankcount(h); ++i) {
        const uint8_t* s = bankentry(h, i);
        uint8_t type = s ? shapetype(s) : 0;
        if (!s || type == 0x7C || type == 0x6E || type == 0x6F || ispalettetype(type)) ++n.nonshapes;
        else if (type & 0x80) ++n.packed;
        else ++n.notpacked;
    }
    return n;
}

void summary(const MemDisplayDriver* d, int32_t columns, int32_t* rows)
{
    MemClass* c = memclassrecord(g_viewer.cls);
    Totals t = totals();
    char items[6][64];
    std::snprintf(items[0], 64, "Mem Blocks=%d", static_cast<int32_t>(g_viewer.list.size()));
    std::snprintf(items[1], 64, "Class=%.8s", c ? c->name : "");
    const char* const hexforms[4] = {"Total=%8.8x", "Used=%8.8x", "Free=%8.8x", "Largest=%8.8x"};
    const char* const decforms[4] = {"Total=%-8.8u", "Used=%-8.8u", "Free=%-8.8u", "Largest=%-8.8u"};
    const uint32_t values[4] = {t.total, t.used, t.free, t.largest};
    for (int i = 0; i < 4; ++i)
        std::snprintf(items[2 + i], 64, g_viewer.hex ? hexforms[i] : decforms[i], values[i]);
    d->colours(12, 1);
    int32_t row = 0;
    std::string line;
    for (const char* item : items) {
        if (!line.empty() && static_cast<int32_t>(line.size() + std::strlen(item)) > columns) {
            d->print(0, row++, line.c_str());
            line.clear();
        }
        line += item;
        line += "  ";
    }
    d->print(0, row++, line.c_str());
    *rows = row;
}

struct Screen {
    int32_t columns, rows;
    int32_t top;     // first list row
    int32_t lines;   // list rows
    int32_t first;   // list entry shown first
    int32_t selected;
};

void drawlist(const MemDisplayDriver* d, Screen& s, int32_t chosencolumn = -1)
{
    d->begin();
    d->clear();
    d->fill(0, 0, s.columns, s.rows + 1, 1);
    int32_t summaryrows = 0;
    summary(d, s.columns, &summaryrows);
    d->colours(2, 1);
    d->print(0, summaryrows, headline(s.columns, chosencolumn).c_str());
    s.top = summaryrows + 1;
    s.lines = std::max(1, s.rows - s.top - 2);
    auto count = static_cast<int32_t>(g_viewer.list.size());
    if (s.selected >= count) s.selected = count - 1;
    if (s.selected < 0) s.selected = 0;
    if (s.selected < s.first) s.first = s.selected;
    if (s.selected >= s.first + s.lines) s.first = s.selected - s.lines + 1;
    for (int32_t i = 0; i < s.lines && s.first + i < count; ++i) {
        int32_t n = s.first + i;
        d->colours(n == s.selected ? 10 : 2, n == s.selected ? 9 : 1);
        d->print(0, s.top + i, listline(g_viewer.list[static_cast<size_t>(n)], s.columns).c_str());
    }
    if (count) {
        MemBlockHeader* h = g_viewer.list[static_cast<size_t>(s.selected)].header;
        d->colours(2, 1);
        if (const char* kind = blockkind(h)) {
            print(d, 0, s.rows - 2, "%s", kind);
        } else {
            BankCounts n = countbank(h);
            print(d, 0, s.rows - 2, "Shapes=%d Pckd=%d NotPckd=%d NonShps=%d", n.shapes, n.packed, n.notpacked,
                  n.nonshapes);
        }
        const char* f = sitefile(h);
        print(d, 0, s.rows - 1, "BLOCK: %s  FILE: %s", isfree(h) ? "SPACE" : blockname(h), f ? f : "");
    }
    d->end();
}

// ---- views ----

void message(const MemDisplayDriver* d, const char* text)
{
    int32_t columns = d->query(0), rows = d->query(1);
    d->begin();
    d->clear();
    d->fill(0, 0, columns, rows + 1, 1);
    d->colours(2, 1);
    int32_t length = static_cast<int32_t>(std::strlen(text));
    d->print(std::max(0, (columns - length) / 2), rows / 2, text);
    d->end();
}

void showentry(const MemDisplayDriver* d, MemBlockHeader* h, uint32_t n)
{
    int32_t columns = d->query(0), rows = d->query(1);
    bool wide = columns >= 70;
    const uint8_t* s = bankentry(h, n);
    char name[5] = {};
    std::memcpy(name, dataof(h) + 16 + 8 * uint64_t{n}, 16 + 8 * uint64_t{n} + 4 <= h->size ? 4 : 0);
    uint8_t type = s ? shapetype(s) : 0;
    int32_t bits = s ? typebpp(type) : 0;
    uint64_t room = s ? dataof(h) + h->size - s : 0;
    bool image = s && !(type & 0x80) && bits && !ispalettetype(type) &&
                 SHAPE_HEADER + uint64_t(std::max(0, shaperowbytes(s))) * uint64_t(std::max(0, shapeheight(s))) <= room;
    d->begin();
    d->clear();
    if (image) d->showshape(s, bits, 0, 0);
    else d->fill(0, 0, columns, rows + 1, 1);
    d->colours(2, 1);
    if (image) {
        print(d, 0, rows - 1,
              wide ? "'%4.4s' %dx%dx%d type=%2.2x position=%d,%d center=%d,%d" : "'%4.4s' %dx%dx%d T=%2.2x @=%d,%d C=%d,%d",
              name, shapewidth(s), shapeheight(s), bits, type, shapelastx(s), shapelasty(s), shapehotx(s), shapehoty(s));
    } else if (s && ispalettetype(type)) {
        print(d, 0, rows - 1, wide ? "'%4.4s' %dx%d type=%2.2x #colours=%d 1st colour=%d" : "'%4.4s' %dx%d T=%2.2x #cols=%d col#1=%d",
              name, shapewidth(s), shapeheight(s), type, clutcount(s), shapehotx(s));
        print(d, 0, rows - 2, "Pallete entry. Not displayed.");
    } else if (s && (type & 0x80)) {
        print(d, 0, rows - 1, "Packed Shape. Not displayed.");
    } else {
        const char* what = type == 0x7C ? "Hot Spots" : type == 0x6E ? "Palette Animation" : type == 0x6F ? "Comment" : "";
        print(d, 0, rows - 1, "Misc shape type. Not displayed. %s", what);
    }
    d->end();
}

void viewbank(const MemDisplayDriver* d, MemBlockHeader* h)
{
    BankCounts n = countbank(h);
    char counts[128];
    std::snprintf(counts, sizeof counts,
                  d->query(0) >= 70 ? "Number of: Shapes=%d Packed=%d Not Packed=%d Non-Shapes=%d"
                                    : "Shapes=%d Pckd=%d NotPckd=%d NonShps=%d",
                  n.shapes, n.packed, n.notpacked, n.nonshapes);
    message(d, counts);
    if (d->getkey() == KEY_ESC || !n.shapes) return;
    for (uint32_t at = 0;;) {
        showentry(d, h, at);
        uint32_t key = d->getkey();
        if (key == KEY_ESC) return;
        if (key == KEY_LEFT && at > 0) --at;
        if (key == KEY_RIGHT && at + 1 < static_cast<uint32_t>(n.shapes)) ++at;
    }
}

void viewblock(const MemDisplayDriver* d, MemBlockHeader* h)
{
    uint8_t* data = dataof(h);
    if (blockkind(h) == nullptr && !isfree(h) && !issentinel(h)) {
        viewbank(d, h);
        return;
    }
    int32_t rows = d->query(1);
    // One unpacked shape of 8 bits or more filling the block exactly.
    if (!isfree(h) && h->size >= SHAPE_HEADER) {
        int32_t bits = typebpp(shapetype(data));
        int64_t w = shapewidth(data), ht = shapeheight(data);
        if (bits >= 8 && !(shapetype(data) & 0x80) && w > 0 && ht > 0 && w * ht * ((bits + 7) / 8) + 16 == h->size) {
            d->begin();
            d->clear();
            d->showshape(data, bits, (d->query(2) - static_cast<int32_t>(w)) / 2, (d->query(3) - static_cast<int32_t>(ht)) / 2);
            d->colours(13, 14);
            print(d, 0, rows, "'%s' Width=%d Height=%d bpp=%d", blockname(h), static_cast<int32_t>(w), static_cast<int32_t>(ht), bits);
            d->end();
            d->getkey();
            return;
        }
    }
    if (!isfree(h) && h->size >= sizeof(WIND) + SHAPE_HEADER && getlittleendian(data, 4) == WIND_ID) {
        auto* w = reinterpret_cast<WIND*>(data);
        if (checkwindowquiet(w)) {
            uint8_t* picture = windowshape(w);
            if (w->video || !typebpp(shapetype(picture))) {
                message(d, "Valid window but no valid shape found.");
            } else {
                d->begin();
                d->clear();
                d->showshape(picture, w->bpp, (d->query(2) - w->width) / 2, (d->query(3) - w->height) / 2);
                d->colours(2, 1);
                print(d, 0, rows, "Width=%d Height=%d bpp=%d type=%x ram=%s", w->width, w->height, w->bpp, w->format,
                      w->video ? "VRAM" : "DRAM");
                d->end();
            }
            d->getkey();
            return;
        }
    }
    message(d, "Block can not be viewed.  Invalid window or shape.");
    d->getkey();
}

// The dump stays within the class: lines are clamped to its first and last byte.
void hexdump(const MemDisplayDriver* d, MemBlockHeader* h)
{
    MemClass* c = memclassrecord(h->flags);
    if (!c) return;
    const uint8_t* low = reinterpret_cast<const uint8_t*>(memheader(c, 0));
    const uint8_t* high = reinterpret_cast<const uint8_t*>(memheader(c, c->high)) + sizeof(MemBlockHeader);
    int32_t columns = d->query(0), rows = d->query(1);
    int32_t per = columns >= 80 ? 16 : 8;
    int64_t span = high - low;
    int64_t at = dataof(h) - low; // offset of the first line shown
    for (;;) {
        d->begin();
        d->clear();
        d->fill(0, 0, columns, rows + 1, 1);
        d->colours(2, 1);
        for (int32_t r = 0; r <= rows; ++r) {
            int64_t line = at + int64_t{r} * per;
            if (line >= span) break;
            char text[128];
            int used = std::snprintf(text, sizeof text, per == 16 ? "%8.8x  " : "%7.7x  ",
                                     static_cast<uint32_t>(reinterpret_cast<uintptr_t>(low + line)));
            int64_t n = std::min<int64_t>(per, span - line);
            for (int64_t i = 0; i < n; ++i) used += std::snprintf(text + used, sizeof text - size_t(used), "%2.2x ", low[line + i]);
            text[used++] = ' ';
            for (int64_t i = 0; i < n; ++i) {
                uint8_t b = low[line + i];
                text[used++] = b < 32 || b > 126 ? '.' : static_cast<char>(b);
            }
            text[used] = 0;
            d->print(0, r, text);
        }
        d->end();
        uint32_t key = d->getkey();
        int64_t step = key == KEY_UP ? -per : key == KEY_DOWN ? per : key == KEY_PGUP ? -int64_t{per} * (rows + 1)
                     : key == KEY_PGDN ? int64_t{per} * (rows + 1) : 0;
        if (!step) return;
        at = std::clamp<int64_t>(at + step, 0, std::max<int64_t>(0, span - per));
    }
}

void registerviews()
{
    if (g_viewer.views.empty()) {
        addmemview("VIEW", viewblock);
        addmemview("HEX DUMP", hexdump);
    }
}

MemView findview(const char* name)
{
    for (const View& v : g_viewer.views)
        if (std::strcmp(v.name, name) == 0) return v.fn;
    return nullptr;
}

void viewmenu(const MemDisplayDriver* d, MemBlockHeader* h, int32_t row)
{
    size_t chosen = 0;
    for (;;) {
        for (size_t i = 0; i < g_viewer.views.size(); ++i) {
            d->colours(i == chosen ? 18 : 16, i == chosen ? 17 : 15);
            d->print(static_cast<int32_t>(i) * 9, row, g_viewer.views[i].name);
        }
        uint32_t key = d->getkey();
        if (key == KEY_ESC || key == KEY_UP || key == KEY_DOWN) return;
        if (key == KEY_LEFT && chosen > 0) --chosen;
        if (key == KEY_RIGHT && chosen + 1 < g_viewer.views.size()) ++chosen;
        if (key == KEY_ENTER) {
            g_viewer.views[chosen].fn(d, h);
            return;
        }
    }
}

void choosesort(const MemDisplayDriver* d, Screen& s)
{
    int32_t chosen = 0, last = lastcolumn(s.columns);
    for (;;) {
        drawlist(d, s, chosen);
        uint32_t key = d->getkey();
        if (key == KEY_ESC) return;
        if (key == KEY_LEFT) chosen = chosen == g_viewer.firstcolumn ? 1 : chosen == 1 ? 0 : std::max(0, chosen - 1);
        if (key == KEY_RIGHT) chosen = chosen == 1 ? std::min(g_viewer.firstcolumn, last) : std::min(last, chosen + 1);
        if (key == KEY_DOWN || key == KEY_UP) {
            g_viewer.descending = key == KEY_UP;
            sortlist(chosen, g_viewer.descending);
            return;
        }
    }
}

void nextclass()
{
    for (int32_t i = 1; i <= MEM_CLASSES; ++i) {
        int32_t cls = (g_viewer.cls + i) & (MEM_CLASSES - 1);
        // Class 1 is another name of class 0's record: not a class of its own.
        if (memclassrecord(cls) && (memclassrecord(cls) != memclassrecord(g_viewer.cls) || cls == g_viewer.cls)) {
            g_viewer.cls = cls;
            break;
        }
    }
    buildlist();
}

// ---- the two drivers ----

void screenbegin()
{
    displaywindow();
    resetclip();
}
void screenend() { displaywindow(); }
// The screen's size, whichever window is current when asked.
int32_t screenquery(int32_t what)
{
    const WIND& s = *getfrontwindow();
    switch (what) {
    case 0: return s.width / 8;
    case 1: return s.height / 8 - 1;
    case 2: return s.width;
    case 3: return s.height;
    default: return 1;
    }
}
void screenprint(int32_t column, int32_t row, const char* text) { fortextboxedat(text, column * 8, row * 8); }
void consoleprintat(int32_t column, int32_t row, const char* text) { monoprintfat(column, row, "%s", text); }
void screenshow(const void* shape, int32_t, int32_t x, int32_t y)
{
    clearclip(colourtopixel(0xFF000000));
    fastdrawshape(shape, x, y);
}
uint32_t screenkey()
{
    uint32_t key = inkey();
    return key >= 'a' && key <= 'z' ? key - 32 : key;
}
void nothing() {}
void screenfill(int32_t column, int32_t row, int32_t columns, int32_t rows, int32_t colour)
{
    fillrect(column * 8, row * 8, columns * 8, rows * 8, colourtopixel(memviewargb(colour)));
}
void screencolours(int32_t foreground, int32_t background)
{
    textcolour(colourtopixel(memviewargb(foreground)), colourtopixel(memviewargb(background)));
}

int32_t consolequery(int32_t what)
{
    switch (what) {
    case 0: return MONO_COLUMNS;
    case 1: return MONO_ROWS - 1;
    case 2: return getfrontwindow()->width;
    case 3: return getfrontwindow()->height;
    default: return 0;
    }
}
void consoleother(int32_t column, int32_t row, const char* text)
{
    if (libtext.reader == readchar16) {
        LIBFAIL(SITE, "text function - THIS FUNCTION DOES NOT SUPPORT JIS STRINGS.\n");
        return;
    }
    WIND saved[2];
    copycurrentwindow(saved);
    displaywindow();
    fortextat(text, column * 8, row * 8);
    setcurrentwindow(saved);
}
void consoleshow(const void* shape, int32_t, int32_t, int32_t)
{
    displaywindow();
    resetclip();
    clearclip(colourtopixel(0xFF000000));
    monoclear();
    fastdrawshape(shape, (currentwindow.width - shapewidth(shape)) / 2, (currentwindow.height - shapeheight(shape)) / 2);
    displaywindow();
}
void consolefill(int32_t column, int32_t row, int32_t columns, int32_t rows, int32_t colour)
{
    monosetattribute(memviewattribute(colour));
    std::string blank(static_cast<size_t>(std::clamp(columns, 0, MONO_COLUMNS)), ' ');
    for (int32_t r = row; r < row + rows && r < MONO_ROWS; ++r) monoprintfat(column, r, "%s", blank.c_str());
}
void consolecolours(int32_t foreground, int32_t) { monosetattribute(memviewattribute(foreground)); }

void runviewer(const MemDisplayDriver* d)
{
    bool graphics = d->query(4) != 0;
    WIND saved[2];
    TextState text;
    if (graphics) {
        copycurrentwindow(saved);
        savetextstate(&text);
        settextfont(builtinfont());
    }
    memsizedisplay(d);
    if (graphics) {
        restoretextstate(&text);
        setcurrentwindow(saved);
    }
}

} // namespace

const MemDisplayDriver memscreendriver = {screenbegin, screenend, screenquery, screenprint, consoleprintat,
                                          screenshow,  screenkey, nothing,     screenfill,  screencolours};
const MemDisplayDriver memconsoledriver = {nothing,     nothing,   consolequery, consoleprintat, consoleother,
                                           consoleshow, screenkey, monoclear,    consolefill,    consolecolours};

uint32_t memviewargb(int32_t colour)
{
    switch (colour) {
    case 1: case 4: case 8: return 0xFF000000;
    case 2: case 5: case 7: case 10: case 13: case 16: case 17: return 0xFFFFFFFF;
    case 3: case 14: return 0xFF0000AA;
    case 9: case 11: case 15: case 18: return 0xFFAA0000;
    case 12: return 0xFFFFFF50;
    default: return 0xFF00AAAA;
    }
}

uint8_t memviewattribute(int32_t colour)
{
    switch (colour) {
    case 3: case 5: case 6: case 7: case 10: case 11: case 13: case 14: case 15: case 16: case 17: return 112;
    default: return 7;
    }
}

int addmemview(const char* name, MemView view)
{
    if (!name || !view) return 0;
    for (View& v : g_viewer.views)
        if (std::strncmp(v.name, name, 8) == 0) {
            v.fn = view;
            return 1;
        }
    View v{};
    std::strncpy(v.name, name, 8);
    v.fn = view;
    g_viewer.views.push_back(v);
    return 1;
}

void memsizedisplay(const MemDisplayDriver* d)
{
    if (!d) return;
    registerviews();
    if (!memclassrecord(g_viewer.cls)) g_viewer.cls = libsettings.defaultmemclass;
    g_viewer.hex = false;
    g_viewer.descending = false;
    buildlist();
    g_viewer.running = true;
    Screen s{d->query(0), d->query(1), 0, 1, 0, 0};
    for (;;) {
        drawlist(d, s);
        uint32_t key = d->getkey();
        auto count = static_cast<int32_t>(g_viewer.list.size());
        MemBlockHeader* selected = count ? g_viewer.list[static_cast<size_t>(s.selected)].header : nullptr;
        switch (key) {
        case KEY_ESC: g_viewer.running = false; return;
        case KEY_UP: s.selected = std::max(0, s.selected - 1); break;
        case KEY_DOWN: s.selected = std::min(count - 1, s.selected + 1); break;
        case KEY_PGUP:
            s.selected = s.selected == s.first ? std::max(0, s.first - s.lines) : s.first;
            break;
        case KEY_PGDN: {
            int32_t bottom = std::min(count - 1, s.first + s.lines - 1);
            s.selected = s.selected == bottom ? std::min(count - 1, bottom + s.lines) : bottom;
            break;
        }
        case KEY_LEFT: g_viewer.firstcolumn = std::max(2, g_viewer.firstcolumn - 1); break;
        case KEY_RIGHT: g_viewer.firstcolumn = std::min(8, g_viewer.firstcolumn + 1); break;
        case 'C': nextclass(); s.selected = s.first = 0; break;
        case 'H': g_viewer.hex = !g_viewer.hex; break;
        case 'P': {
            char name[16];
            if (!writemap(name)) {
                d->colours(2, 1);
                print(d, 0, 0, "memsizedisplay - FILE '%s' DID NOT DUMP.", name);
                d->getkey();
            }
            break;
        }
        case 'S': choosesort(d, s); break;
        case KEY_ENTER:
            if (selected) viewmenu(d, selected, s.rows);
            break;
        case ' ':
            if (selected) findview("VIEW")(d, selected);
            break;
        default: break;
        }
    }
}

void memorydisplayscreen() { runviewer(&memscreendriver); }
void memorydisplayconsole() { runviewer(&memconsoledriver); }

int memmapdump()
{
    char name[16];
    return writemap(name);
}

namespace {

// The file of the list as the viewer holds it (or the class's list in chain
// order when the viewer is not running); the name tried goes to name.
int writemap(char name[16])
{
    if (!g_viewer.running) {
        if (!memclassrecord(g_viewer.cls)) g_viewer.cls = libsettings.defaultmemclass;
        buildlist();
    }
    std::string dir = host_user_dir();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    std::memcpy(name, "MEMMAPxx.TXT", 13);
    for (int n = 0; n < 100; ++n) {
        char candidate[16];
        std::snprintf(candidate, sizeof candidate, "MEMMAP%02d.TXT", n);
        std::error_code error;
        if (!std::filesystem::exists(dir + candidate, error)) {
            std::memcpy(name, candidate, 13);
            break;
        }
    }
    Totals t = totals();
    std::string out;
    char line[256];
    auto add = [&](const char* format, auto... values) {
        std::snprintf(line, sizeof line, format, values...);
        out += line;
    };
    if (g_viewer.hex) {
        add("Total memory = %8.8x\n", t.total);
        add("Used memory  = %8.8x\n", t.used);
        add("Free memory  = %10.10x\n", t.free);
        add("Largest free space = %10.10x\n\n", t.largest);
    } else {
        add("Total memory = %-8.8u\n", t.total);
        add("Used memory  = %-8.8u\n", t.used);
        add("Free memory  = %-8.8u\n", t.free);
        add("Largest free space = %-10.10u\n\n", t.largest);
    }
    out += "IDX NAME              SIZE  ADDRESS FLAGS   FILE               LINE CRC  SNTL\n";
    out += std::string(77, '*') + "\n";
    for (const Entry& e : g_viewer.list) {
        MemBlockHeader* h = e.header;
        bool free = isfree(h);
        if (free) add("     SPACE      ");
        else add("%3.3d %-12.12s", 0, blockname(h));
        char flags[11];
        flagstext(h, flags);
        const char* file = sitefile(h);
        std::string shown = free ? "-" : file ? file : "";
        if (shown.size() > 16) shown = shown.substr(shown.size() - 16);
        add(g_viewer.hex ? "%10x %8x %7.7s %-16.16s %6d %04x %4s\n" : "%10d %8x %7.7s %-16.16s %6d %04x %4s\n",
            h->size, address(h), flags, shown.c_str(), free ? 0 : siteline(h), free ? 0 : e.crc,
            free ? " " : sentineltext(h));
    }
    return host_replace_file(dir + name, out.data(), out.size()) ? 1 : 0;
}

} // namespace

void resetmemsizedisplay() { g_viewer = Viewer{}; }
