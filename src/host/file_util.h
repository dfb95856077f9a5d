// Small file services of the host.
#pragma once

#include <cstddef>
#include <string>

// Writes the bytes to a new file beside path, then renames it over path, so
// that a failed or short write never destroys the file that was there.
bool host_replace_file(const std::string& path, const void* data, size_t size);
