// The file browser's lists: the files and sub-directories of a directory
// that match a mode's pattern, and new directories made from a typed name.
// Names are kept whole; only the browser's fixed fields truncate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t BROWSER_LIST_CAPACITY = 50; // names; an empty name follows
constexpr uint32_t BROWSER_ATTRIBUTE_FILE = 32;
constexpr uint32_t BROWSER_ATTRIBUTE_READ_ONLY = 1;
constexpr uint32_t BROWSER_ATTRIBUTE_DIRECTORY = 16;

struct BrowserList {
    std::vector<std::string> names;  // ends in an empty name
    std::vector<uint8_t> has_children; // directories: 1 when they hold one of their own
};

// A directory entry's attribute word: 16 a directory, 32 a file, plus 1 for
// a file that may not be written; 0 for anything else or nothing there.
uint32_t browser_attribute(const std::string& path);

// Lists the entries of directory that match pattern ("*.EXT" by extension
// without regard to case, "*." or "*" everything) and whose attribute word
// is exactly attribute, leaving out names that start with ".". They are
// stored from slot first on, up to the capacity, sorted byte by byte among
// themselves, and followed by an empty name. Returns how many were stored.
int32_t list_directory(BrowserList& list, int32_t capacity, const std::string& directory, const char* pattern,
                       uint32_t attribute, int32_t first);
// For each listed directory below base, whether it has sub-directories.
void mark_directories_with_children(BrowserList& list, const std::string& base);

// A directory joined to a name with one "/" between them.
std::string join_browser_path(const std::string& directory, const std::string& name);

// Makes the typed directory: a name starting with "/" is taken whole, any
// other is joined to base. When it is made, or is there already, base
// becomes it and the result is true.
bool make_browser_directory(std::string& base, const std::string& name);
