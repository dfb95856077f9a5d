// Big archive files (".viv"): a header with a directory of named entries,
// then the entries' bytes. Two header kinds, all numbers big-endian:
//   kind 1: C0 FB, u16 header length - 4, u16 count, entries of
//           {u24 offset, u24 size, name, 0}
//   kind 2: "BIGF", u32 (unused), u32 count, u32 header length, entries of
//           {u32 offset, u32 size, name, 0}
//
// Every lookup takes the header image and how many bytes of it are held in
// memory; nothing is read past either the header length or what is held.
#pragma once

#include <cstdint>

// 1 or 2 for the kinds above, 0 for no big file (reported with errors on).
int typeofbigfile(const void* header, uint32_t held);
// The same without reports.
int isbigfile(const void* header, uint32_t held);
uint32_t bigfileheadersize(const void* header, uint32_t held);
uint32_t bigfilecount(const void* header, uint32_t held);

// Finds an entry by name (ignoring case) or, with no name, by number (from
// 0). The result is the address of the entry's name inside the header, or 0
// with both outs 0. With an archive size other than 0, an entry whose data
// would run past it is not found.
const char* findbigentry(const void* header, uint32_t held, uint64_t archivesize, const char* name, int32_t number,
                         uint32_t* offset, uint32_t* size);
// The same, reporting an entry that is not found.
const char* locatebigentry(const void* header, uint32_t held, uint64_t archivesize, const char* name,
                           int32_t number, uint32_t* offset, uint32_t* size);
// The entry's offset: 0 for a null name, a missing entry and one at offset 0.
uint32_t bigentryoffset(const void* header, uint32_t held, const char* name);

// For a whole archive in memory (held = its size): the address of an entry's
// data, 0 when missing.
const uint8_t* locatebigbynumber(const void* archive, uint32_t held, int32_t number);
const uint8_t* locatebig(const void* archive, uint32_t held, const char* name);
// Resolves a comma-separated list into at most slots addresses, in order
// (0 for a missing name, which is reported); the list is left untouched.
// Returns the last name's address.
const uint8_t* locatebigs(const void* archive, uint32_t held, const char* names, const uint8_t** out,
                          uint32_t slots);
// Copies entry number's name into the buffer; 0 when there is no such entry
// or its name does not fit.
char* bigentryname(const void* header, uint32_t held, int32_t number, char* buffer, uint32_t capacity);
