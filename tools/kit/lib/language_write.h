// The language file: a table of u16 offsets (one per text number, from the
// file's start), then the texts in number order, each ending in a zero byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The readable source: lines `NUMBER "text"` (\" and \\ inside the quotes),
// '#' comments and blank lines. texts[n] is text n; numbers not listed are
// empty. Refuses duplicates, control bytes and '%' (screens pass names
// through "%s" formats).
bool kit_parse_texts(const std::string& source, std::vector<std::string>& texts, std::string& error);
// False when a text would start beyond the reach of a u16 offset.
bool kit_language_file(const std::vector<std::string>& texts, std::vector<uint8_t>& bytes,
                       std::string& error);
