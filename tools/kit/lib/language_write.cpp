#include "lib/language_write.h"

#include "lib/kit.h"

#include <cctype>
#include <sstream>

namespace
{

bool parse_line(const std::string& line, long& number, std::string& text, std::string& why)
{
    size_t i = 0;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])))
        ++i;
    if (i == 0 || i > 5) return why = "expected a text number", false;
    number = std::stol(line.substr(0, i));
    while (i < line.size() && line[i] == ' ')
        ++i;
    if (i >= line.size() || line[i] != '"') return why = "expected a quoted text", false;
    text.clear();
    for (++i; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') break;
        if (c == '\\') {
            if (++i >= line.size() || (line[i] != '"' && line[i] != '\\')) return why = "bad escape", false;
            c = line[i];
        }
        if (static_cast<unsigned char>(c) < 32) return why = "control byte in text", false;
        if (c == '%') return why = "'%' in text", false;
        text += c;
    }
    if (i >= line.size()) return why = "unterminated text", false;
    for (++i; i < line.size(); ++i)
        if (line[i] != ' ' && line[i] != '\r') return why = "text after the closing quote", false;
    return true;
}

} // namespace

bool kit_parse_texts(const std::string& source, std::vector<std::string>& texts, std::string& error)
{
    texts.clear();
    std::vector<bool> seen;
    std::istringstream in(source);
    std::string line;
    for (int line_number = 1; std::getline(in, line); ++line_number) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        long number = 0;
        std::string text, why;
        if (!parse_line(line.substr(first), number, text, why)) {
            error = "line " + std::to_string(line_number) + ": " + why;
            return false;
        }
        size_t n = static_cast<size_t>(number);
        if (n >= texts.size()) texts.resize(n + 1), seen.resize(n + 1);
        if (seen[n]) {
            error = "line " + std::to_string(line_number) + ": text " + std::to_string(n) + " given twice";
            return false;
        }
        seen[n] = true;
        texts[n] = text;
    }
    return true;
}

bool kit_language_file(const std::vector<std::string>& texts, std::vector<uint8_t>& bytes, std::string& error)
{
    ByteWriter table, body;
    size_t offset = texts.size() * 2;
    for (size_t n = 0; n < texts.size(); ++n) {
        if (offset > 0xFFFF) {
            error = "text " + std::to_string(n) + " lies beyond 65,535 bytes";
            return false;
        }
        table.u16(static_cast<uint32_t>(offset));
        body.raw(texts[n].data(), texts[n].size());
        body.u8(0);
        offset += texts[n].size() + 1;
    }
    bytes = table.bytes;
    bytes.insert(bytes.end(), body.bytes.begin(), body.bytes.end());
    return true;
}
