// The settings store that stands in for the system registry: keys named
// Windows-style ("SOFTWARE\Vetra Sports\KOB 99 dldemo\Sound"), each holding
// named 32-bit values or texts. It lives in one small text file in the user
// directory ("settings.cfg"), rewritten whole (beside the old one, then
// renamed over it) after every change.
#pragma once

#include <cstdint>
#include <string>

bool host_settings_key_exists(const char* key);
// Creates the key (and its parents) if needed; false when the store cannot be written.
bool host_settings_create_key(const char* key);
bool host_settings_delete_key(const char* key); // the key and every key below it

bool host_settings_get_u32(const char* key, const char* name, uint32_t* value);
bool host_settings_set_u32(const char* key, const char* name, uint32_t value);
bool host_settings_get_string(const char* key, const char* name, std::string* value);
bool host_settings_set_string(const char* key, const char* name, const std::string& value);

// Keeps the file as it is now beside itself, as "settings.cfg.bad" (replacing
// an older copy), before a file that could not be read is written over;
// false when there is no file or the copy cannot be made.
bool host_settings_keep_bad_copy();
std::string host_settings_file();
