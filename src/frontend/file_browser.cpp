#include "frontend/file_browser.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool same_ignoring_case(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool matches(const std::string& name, const char* pattern)
{
    std::string p = pattern ? pattern : "*";
    if (p == "*" || p == "*." || p == "*.*") return true;
    if (p.size() > 2 && p[0] == '*' && p[1] == '.') {
        size_t dot = name.rfind('.');
        return dot != std::string::npos && same_ignoring_case(name.substr(dot + 1), p.substr(2));
    }
    return same_ignoring_case(name, p);
}

} // namespace

uint32_t browser_attribute(const std::string& path)
{
    std::error_code ec;
    fs::file_status s = fs::status(path, ec); // through symbolic links
    if (ec) return 0;
    if (fs::is_directory(s)) return BROWSER_ATTRIBUTE_DIRECTORY;
    if (!fs::is_regular_file(s)) return 0;
    bool writable = (s.permissions() & fs::perms::owner_write) != fs::perms::none;
    return BROWSER_ATTRIBUTE_FILE | (writable ? 0 : BROWSER_ATTRIBUTE_READ_ONLY);
}

std::string join_browser_path(const std::string& directory, const std::string& name)
{
    if (directory.empty() || directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

int32_t list_directory(BrowserList& list, int32_t capacity, const std::string& directory, const char* pattern,
                       uint32_t attribute, int32_t first)
{
    if (first < 0) first = 0;
    if (capacity < first) capacity = first;
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(directory.empty() ? "." : directory, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (static_cast<int32_t>(found.size()) >= capacity - first) break;
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !matches(name, pattern)) continue;
        if (browser_attribute(it->path().string()) != attribute) continue;
        found.push_back(name);
    }
    std::sort(found.begin(), found.end()); // byte by byte, as listed
    list.names.resize(static_cast<size_t>(first));
    list.names.insert(list.names.end(), found.begin(), found.end());
    list.names.emplace_back();
    list.has_children.assign(list.names.size(), 0);
    return static_cast<int32_t>(found.size());
}

void mark_directories_with_children(BrowserList& list, const std::string& base)
{
    list.has_children.assign(list.names.size(), 0);
    for (size_t i = 0; i < list.names.size() && !list.names[i].empty(); ++i) {
        BrowserList below;
        list.has_children[i] = list_directory(below, 1, join_browser_path(base, list.names[i]), "*.",
                                              BROWSER_ATTRIBUTE_DIRECTORY, 0) > 0;
    }
}

bool make_browser_directory(std::string& base, const std::string& name)
{
    if (name.empty()) return false;
    std::string path = name[0] == '/' ? name : join_browser_path(base, name);
    std::error_code ec;
    fs::create_directory(path, ec);
    if (ec || !fs::is_directory(path, ec)) return false;
    base = path;
    return true;
}
