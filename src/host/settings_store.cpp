#include "host/settings_store.h"
#include "host/host_test_hooks.h"

#include "host/file_util.h"
#include "host/paths.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

// Key names compare without regard to case, like the registry's.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const
    {
        size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < n; ++i) {
            int ca = std::tolower(static_cast<unsigned char>(a[i]));
            int cb = std::tolower(static_cast<unsigned char>(b[i]));
            if (ca != cb) return ca < cb;
        }
        return a.size() < b.size();
    }
};

struct Value {
    bool is_text = false;
    uint32_t number = 0;
    std::string text;
};

using Key = std::map<std::string, Value, NoCase>;
std::map<std::string, Key, NoCase> g_keys;
bool g_loaded = false;
bool g_writable = true;

std::string normalise(const char* key)
{
    std::string k = key ? key : "";
    for (char& c : k)
        if (c == '/') c = '\\';
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return k;
}

void load()
{
    if (g_loaded) return;
    g_loaded = true;
    g_keys.clear();
    std::ifstream in(host_settings_file());
    std::string line, current;
    bool in_key = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            current = normalise(line.substr(1, line.size() - 2).c_str());
            g_keys[current];
            in_key = true;
            continue;
        }
        size_t eq = line.find('=');
        if (!in_key || eq == std::string::npos) continue; // not ours: skip it
        std::string name = line.substr(0, eq), rest = line.substr(eq + 1);
        Value v;
        if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
            v.is_text = true;
            v.text = rest.substr(1, rest.size() - 2);
        } else {
            char* end = nullptr;
            unsigned long long n = std::strtoull(rest.c_str(), &end, 0);
            if (end == rest.c_str() || *end != '\0' || n > 0xFFFFFFFFull) continue;
            v.number = static_cast<uint32_t>(n);
        }
        g_keys[current][name] = v;
    }
}

bool save()
{
    if (!g_writable) return false;
    std::ostringstream out;
    out << "# KOB 99 settings\n";
    for (const auto& [key, values] : g_keys) {
        out << '[' << key << "]\n";
        for (const auto& [name, v] : values) {
            if (v.is_text)
                out << name << "=\"" << v.text << "\"\n";
            else
                out << name << '=' << v.number << '\n';
        }
    }
    std::string text = out.str();
    return host_replace_file(host_settings_file(), text.data(), text.size());
}

bool create_parents(const std::string& key)
{
    bool changed = false;
    for (size_t pos = 0; (pos = key.find('\\', pos + 1)) != std::string::npos;)
        if (g_keys.emplace(key.substr(0, pos), Key{}).second) changed = true;
    if (g_keys.emplace(key, Key{}).second) changed = true;
    return changed;
}

} // namespace

std::string host_settings_file() { return host_user_file("settings.cfg"); }

bool host_settings_key_exists(const char* key)
{
    load();
    return g_keys.count(normalise(key)) != 0;
}

bool host_settings_create_key(const char* key)
{
    load();
    if (!g_writable) return false;
    if (create_parents(normalise(key))) return save();
    return true;
}

bool host_settings_delete_key(const char* key)
{
    load();
    if (!g_writable) return false;
    std::string k = normalise(key);
    bool found = false;
    for (auto it = g_keys.begin(); it != g_keys.end();) {
        const std::string& name = it->first;
        bool below = name.size() > k.size() && NoCase{}(name.substr(0, k.size()), k) == false &&
                     NoCase{}(k, name.substr(0, k.size())) == false && name[k.size()] == '\\';
        bool same = !NoCase{}(name, k) && !NoCase{}(k, name);
        if (same || below) {
            it = g_keys.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found ? save() : false;
}

bool host_settings_get_u32(const char* key, const char* name, uint32_t* value)
{
    load();
    auto k = g_keys.find(normalise(key));
    if (k == g_keys.end()) return false;
    auto v = k->second.find(name);
    if (v == k->second.end() || v->second.is_text) return false;
    if (value) *value = v->second.number;
    return true;
}

bool host_settings_set_u32(const char* key, const char* name, uint32_t value)
{
    load();
    if (!g_writable) return false;
    std::string k = normalise(key);
    create_parents(k);
    Value v;
    v.number = value;
    g_keys[k][name] = v;
    return save();
}

bool host_settings_get_string(const char* key, const char* name, std::string* value)
{
    load();
    auto k = g_keys.find(normalise(key));
    if (k == g_keys.end()) return false;
    auto v = k->second.find(name);
    if (v == k->second.end() || !v->second.is_text) return false;
    if (value) *value = v->second.text;
    return true;
}

bool host_settings_set_string(const char* key, const char* name, const std::string& value)
{
    load();
    if (!g_writable) return false;
    if (value.find_first_of("\"\n\r") != std::string::npos) return false;
    std::string k = normalise(key);
    create_parents(k);
    Value v;
    v.is_text = true;
    v.text = value;
    g_keys[k][name] = v;
    return save();
}

void host_settings_reload()
{
    g_loaded = false;
    load();
}

void host_settings_set_writable(bool writable) { g_writable = writable; }

bool host_settings_keep_bad_copy()
{
    std::ifstream in(host_settings_file(), std::ios::binary);
    if (!in) return false;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return host_replace_file(host_settings_file() + ".bad", bytes.data(), bytes.size());
}
