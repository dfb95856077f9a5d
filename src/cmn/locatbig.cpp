#include "cmn/bigfile.h"

#include "cmn/lib.h"

#include <cstring>
#include <strings.h>

namespace {

const char* const SITE = "cmn\\locatbig";

uint32_t big_endian(const uint8_t* p, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

struct Directory {
    const uint8_t* base;
    uint32_t first; // offset of the first entry
    uint32_t end;   // the directory ends here: min(header length, held)
    uint32_t count;
    int field;      // bytes of each offset and size
};

int kind_of(const uint8_t* p, uint32_t held)
{
    if (held >= 2 && p[0] == 0xC0 && p[1] == 0xFB) return 1;
    if (held >= 4 && std::memcmp(p, "BIGF", 4) == 0) return 2;
    return 0;
}

// The header's length as stored; 0 when the fields are not all held.
uint32_t stored_length(const uint8_t* p, uint32_t held, int kind)
{
    if (kind == 1) return held >= 6 ? big_endian(p + 2, 2) + 4 : 0;
    if (kind == 2) return held >= 16 ? big_endian(p + 12, 4) : 0;
    return 0;
}

bool directory_of(const void* header, uint32_t held, Directory* d)
{
    int kind = typeofbigfile(header, held);
    if (!kind) return false;
    auto* p = static_cast<const uint8_t*>(header);
    uint32_t length = stored_length(p, held, kind);
    if (!length) return false;
    d->base = p;
    d->first = kind == 1 ? 6 : 16;
    d->end = length < held ? length : held;
    d->count = kind == 1 ? big_endian(p + 4, 2) : big_endian(p + 8, 4);
    d->field = kind == 1 ? 3 : 4;
    return true;
}

// Entry lookup: the entry (its two fields, its name and the terminator) must
// end before the directory does.
const char* find_entry(const Directory& d, uint64_t archivesize, const char* name, int32_t number,
                       uint32_t* offset, uint32_t* size)
{
    uint32_t at = d.first;
    for (uint32_t index = 0; index < d.count; ++index) {
        uint32_t name_at = at + 2 * static_cast<uint32_t>(d.field);
        if (name_at >= d.end) break;
        const void* zero = std::memchr(d.base + name_at, 0, d.end - name_at);
        if (!zero) break;
        const char* entry = reinterpret_cast<const char*>(d.base + name_at);
        bool match = name ? strcasecmp(entry, name) == 0 : number >= 0 && index == static_cast<uint32_t>(number);
        if (match) {
            uint32_t o = big_endian(d.base + at, d.field), s = big_endian(d.base + at + d.field, d.field);
            if (archivesize && uint64_t{o} + s > archivesize) return nullptr;
            if (offset) *offset = o;
            if (size) *size = s;
            return entry;
        }
        at = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - d.base) + 1;
    }
    return nullptr;
}

} // namespace

int typeofbigfile(const void* header, uint32_t held)
{
    if (!header) {
        LIBFAIL(SITE, "typeofbigfile - NO BIG FILE SET (NULL POINTER)\n");
        return 0;
    }
    int kind = kind_of(static_cast<const uint8_t*>(header), held);
    if (!kind) LIBFAIL(SITE, "typeofbigfile - FILE IS NOT A BIG FILE\n");
    return kind;
}

int isbigfile(const void* header, uint32_t held)
{
    return header ? kind_of(static_cast<const uint8_t*>(header), held) : 0;
}

uint32_t bigfileheadersize(const void* header, uint32_t held)
{
    int kind = typeofbigfile(header, held);
    return kind ? stored_length(static_cast<const uint8_t*>(header), held, kind) : 0;
}

uint32_t bigfilecount(const void* header, uint32_t held)
{
    Directory d;
    return directory_of(header, held, &d) ? d.count : 0;
}

const char* findbigentry(const void* header, uint32_t held, uint64_t archivesize, const char* name, int32_t number,
                         uint32_t* offset, uint32_t* size)
{
    if (offset) *offset = 0;
    if (size) *size = 0;
    Directory d;
    if (!directory_of(header, held, &d)) return nullptr;
    return find_entry(d, archivesize, name, number, offset, size);
}

const char* locatebigentry(const void* header, uint32_t held, uint64_t archivesize, const char* name,
                           int32_t number, uint32_t* offset, uint32_t* size)
{
    const char* entry = findbigentry(header, held, archivesize, name, number, offset, size);
    if (!entry) {
        if (name) LIBFAIL(SITE, "locatebigentry: ENTRY \"%s\" NOT FOUND\n", name);
        else LIBFAIL(SITE, "locatebigentry: ENTRY #%d NOT FOUND\n", static_cast<int>(number));
    }
    return entry;
}

uint32_t bigentryoffset(const void* header, uint32_t held, const char* name)
{
    uint32_t offset = 0;
    if (name) findbigentry(header, held, 0, name, -1, &offset, nullptr);
    return offset;
}

const uint8_t* locatebigbynumber(const void* archive, uint32_t held, int32_t number)
{
    uint32_t offset = 0;
    if (!findbigentry(archive, held, held, nullptr, number, &offset, nullptr)) return nullptr;
    return static_cast<const uint8_t*>(archive) + offset;
}

const uint8_t* locatebig(const void* archive, uint32_t held, const char* name)
{
    uint32_t offset = 0;
    if (!name || !findbigentry(archive, held, held, name, -1, &offset, nullptr) || !offset) return nullptr;
    return static_cast<const uint8_t*>(archive) + offset;
}

const uint8_t* locatebigs(const void* archive, uint32_t held, const char* names, const uint8_t** out,
                          uint32_t slots)
{
    const uint8_t* last = nullptr;
    if (!names) return nullptr;
    uint32_t slot = 0;
    for (const char* at = names;; ++slot) {
        const char* comma = std::strchr(at, ',');
        size_t length = comma ? static_cast<size_t>(comma - at) : std::strlen(at);
        char name[260];
        if (length >= sizeof name) length = sizeof name - 1;
        std::memcpy(name, at, length);
        name[length] = 0;
        last = locatebig(archive, held, name);
        if (!last) LIBFAIL(SITE, "locatebigs - FILE NOT FOUND '%s'\n", name);
        if (out && slot < slots) out[slot] = last;
        if (!comma) break;
        at = comma + 1;
    }
    return last;
}

char* bigentryname(const void* header, uint32_t held, int32_t number, char* buffer, uint32_t capacity)
{
    const char* entry = findbigentry(header, held, 0, nullptr, number, nullptr, nullptr);
    if (!entry || !buffer || std::strlen(entry) >= capacity) return nullptr;
    std::memcpy(buffer, entry, std::strlen(entry) + 1);
    return buffer;
}
