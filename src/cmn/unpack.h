// Packed data: a pack header naming the method, then the packed bytes.
//
// Every call takes the length of the packed input; nothing is read past it.
// The output area must hold the unpacked size plus 4 bytes. A decoder
// returns the unpacked size, or 0 when the data is not what its packer
// writes (a read past the input, a reference before the start, a write past
// the size, nesting too deep, or a count other than the size).
#pragma once

#include <cstdint>

// The 3-byte size at offset 2 for a known code and marker, else 0.
uint32_t unpacksizeraw(const void* data, uint32_t length);
// The size the decoder will give (offset 5 where the code's bit 0 says
// three extra bytes come first); an unknown code is reported.
uint32_t unpacksize(const void* data, uint32_t length);
// Unpacks by the header's method: the size, 0 for unknown or broken data.
uint32_t unpackdispatch(const void* data, uint32_t length, void* out);
// The same, reporting unknown codes and failed decodes.
uint32_t unpack(const void* data, uint32_t length, void* out);

// The decoders. With decode 0 the first three only read the size.
uint32_t unpack10(const void* data, uint32_t length, void* out, int decode);
uint32_t unpack18(const void* data, uint32_t length, void* out, int decode);
uint32_t unpack18size(const void* data, uint32_t length);
uint32_t unpackhuff(const void* data, uint32_t length, void* out, int decode);
uint32_t unpack46(const void* data, uint32_t length, void* out);
uint32_t unpack4a(const void* data, uint32_t length, void* out);
