#include "platform/settings.h"

#include "host/paths.h"
#include "host/settings_store.h"
#include "platform/directory.h"
#include "platform/files.h"
#include "platform/settings_targets.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
MatchSettingsTarget g_match_target = nullptr;
}

void set_match_settings_target(MatchSettingsTarget target) { g_match_target = target; }

settings_record user_settings;

const char* const SETTINGS_KEY = "SOFTWARE\\Vetra Sports\\KOB 99 dldemo";
const char* const SETTINGS_FILE = "KOB.DAT";

static_assert(sizeof(settings_record) == SETTINGS_BYTES, "the record is the file");
static_assert(offsetof(settings_record, key_mapping) == 780);
static_assert(offsetof(settings_record, joy_pass_tackle) == 932);
static_assert(offsetof(settings_record, word_1412) == 1412);
static_assert(offsetof(settings_record, do_pitch_logos) == 1460);
static_assert(offsetof(settings_record, team) == 1476);
static_assert(offsetof(settings_record, word_2436) == 2436);
static_assert(offsetof(settings_record, commentary) == 2456);
static_assert(offsetof(settings_record, drive_letter) == 2492);

namespace
{

// One value of the store: its name, where it sits in the record, and the
// values that mean something (a key code names one of 256 key_state bytes).
struct SettingsValue {
    const char* name;
    uint32_t offset;
    uint32_t min, max;
};

struct SettingsSubkey {
    const char* name;
    const SettingsValue* values;
    size_t count;
};

constexpr uint32_t ANY = 0xFFFFFFFFu;
constexpr uint32_t KEYS = offsetof(settings_record, key_mapping);
constexpr uint32_t JOY_BUTTONS = offsetof(settings_record, joy_number_of_buttons);
constexpr uint32_t JOY_PASS = offsetof(settings_record, joy_pass_tackle);
constexpr uint32_t JOY_KICK = offsetof(settings_record, joy_kick_select);
constexpr uint32_t JOY_SPEED = offsetof(settings_record, joy_speedburst_fend);
constexpr uint32_t JOY_QUIT = offsetof(settings_record, joy_quit);
constexpr uint32_t TEAM_1 = offsetof(settings_record, team);
constexpr uint32_t TEAM_2 = TEAM_1 + sizeof(settings_team);
#define AT(field) static_cast<uint32_t>(offsetof(settings_record, field))
#define IN_TEAM(t, field) ((t) + static_cast<uint32_t>(offsetof(settings_team, field)))

const SettingsValue video_values[] = {
    {"game_gen_resolution_index", AT(game_gen_resolution_index), 0, ANY},
    {"game_kick_resolution_index", AT(game_kick_resolution_index), 0, ANY},
    {"replay_resolution_index", AT(replay_resolution_index), 0, ANY},
    {"player_numbers_index", AT(player_numbers_index), 0, ANY},
};

const SettingsValue sound_values[] = {
    {"commentary", AT(commentary), 0, 1},
    {"SFX", AT(sfx), 0, 1},
    {"crowd", AT(crowd), 0, 1},
    {"second_voice", AT(second_voice), 0, 1},
    {"commentary_volume", AT(commentary_volume), 0, 127},
    {"sfx_volume", AT(sfx_volume), 0, 127},
    {"crowd_volume", AT(crowd_volume), 0, 127},
    {"replay_buffer_size", AT(replay_buffer_size), 1, 64u << 20},
};

const SettingsValue key_values[] = {
    {"left_key_mapping", KEYS + 0, 0, 255},      {"right_key_mapping", KEYS + 4, 0, 255},
    {"up_key_mapping", KEYS + 8, 0, 255},        {"down_key_mapping", KEYS + 12, 0, 255},
    {"button_1_key_mapping", KEYS + 16, 0, 255}, {"button_2_key_mapping", KEYS + 20, 0, 255},
    {"button_3_key_mapping", KEYS + 24, 0, 255}, {"button_4_key_mapping", KEYS + 28, 0, 255},
};

const SettingsValue joystick_values[] = {
    {"joy_1_number_of_buttons", JOY_BUTTONS + 0, 0, 32},
    {"joy_2_number_of_buttons", JOY_BUTTONS + 4, 0, 32},
    {"joy_3_number_of_buttons", JOY_BUTTONS + 8, 0, 32},
    {"joy_4_number_of_buttons", JOY_BUTTONS + 12, 0, 32},
    {"joy_1_pass_tackle", JOY_PASS + 0, 0, ANY},
    {"joy_2_pass_tackle", JOY_PASS + 4, 0, ANY},
    {"joy_3_pass_tackle", JOY_PASS + 8, 0, ANY},
    {"joy_4_pass_tackle", JOY_PASS + 12, 0, ANY},
    {"joy_1_kick_select", JOY_KICK + 0, 0, ANY},
    {"joy_2_kick_select", JOY_KICK + 4, 0, ANY},
    {"joy_3_kick_select", JOY_KICK + 8, 0, ANY},
    {"joy_4_kick_select", JOY_KICK + 12, 0, ANY},
    {"joy_1_speedburst_fend", JOY_SPEED + 0, 0, ANY},
    {"joy_2_speedburst_fend", JOY_SPEED + 4, 0, ANY},
    {"joy_3_speedburst_fend", JOY_SPEED + 8, 0, ANY},
    {"joy_4_speedburst_fend", JOY_SPEED + 12, 0, ANY},
    {"joy_1_quit", JOY_QUIT + 0, 0, ANY},
    {"joy_2_quit", JOY_QUIT + 4, 0, ANY},
    {"joy_3_quit", JOY_QUIT + 8, 0, ANY},
    {"joy_4_quit", JOY_QUIT + 12, 0, ANY},
};

const SettingsValue match_values[] = {
    {"quarter_length", AT(quarter_length), 1, 127},
    {"weather_selection", AT(weather_selection), 0, 4},
    {"push_in_back_infringements", AT(push_in_back_infringements), 0, 1},
    {"turbo_mode", AT(turbo_mode), 0, 2},
    {"pitch_render_quality", AT(pitch_render_quality), 0, ANY},
    {"t1_auto_offload", IN_TEAM(TEAM_1, auto_offload), 0, 1},
    {"t2_auto_offload", IN_TEAM(TEAM_2, auto_offload), 0, 1},
    {"t1_auto_bounce", IN_TEAM(TEAM_1, auto_bounce), 0, 1},
    {"t2_auto_bounce", IN_TEAM(TEAM_2, auto_bounce), 0, 1},
    {"t1_displayed_player_name_state", IN_TEAM(TEAM_1, displayed_player_name_state), 0, 4},
    {"t2_displayed_player_name_state", IN_TEAM(TEAM_2, displayed_player_name_state), 0, 4},
    {"do_pitch_logos", AT(do_pitch_logos), 0, 1},
    {"is_alpha_radar_visible", AT(is_alpha_radar_visible), 0, 1},
    {"t1_can_intercept_circle", IN_TEAM(TEAM_1, can_intercept_circle), 0, 1},
    {"t2_can_intercept_circle", IN_TEAM(TEAM_2, can_intercept_circle), 0, 1},
    {"moon_pitch_available", AT(moon_pitch_available), 0, 1},
};

#undef AT
#undef IN_TEAM

#define SUBKEY(name, values)                                                                                 \
    {                                                                                                        \
        name, values, sizeof values / sizeof values[0]                                                       \
    }
const SettingsSubkey subkeys[] = {
    SUBKEY("Video", video_values),          SUBKEY("Sound", sound_values),
    SUBKEY("Key Mappings", key_values),     SUBKEY("Joystick Mappings", joystick_values),
    SUBKEY("Match Settings", match_values),
};
#undef SUBKEY

uint32_t get_word(const uint8_t* bytes, uint32_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

void put_word(uint8_t* bytes, uint32_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Every word after the two texts, in file order.
template <class Record, class Fn> void each_word(Record& r, Fn&& fn)
{
    for (auto& w : r.key_mapping)
        fn(w);
    for (auto& w : r.joy_number_of_buttons)
        fn(w);
    for (auto& w : r.joy_pass_tackle)
        fn(w);
    for (auto& w : r.joy_kick_select)
        fn(w);
    for (auto& w : r.joy_speedburst_fend)
        fn(w);
    for (auto& w : r.joy_quit)
        fn(w);
    for (auto* w : {&r.word_1412, &r.replay_buffer_size, &r.quarter_length, &r.weather_selection,
                    &r.push_in_back_infringements, &r.turbo_mode, &r.word_1436, &r.word_1440,
                    &r.moon_pitch_available, &r.pitch_render_quality, &r.word_1452, &r.is_alpha_radar_visible,
                    &r.do_pitch_logos, &r.word_1464, &r.word_1468, &r.word_1472})
        fn(*w);
    for (auto& t : r.team) {
        for (auto* w : {&t.word_0, &t.auto_offload, &t.auto_bounce, &t.displayed_player_name_state,
                        &t.can_intercept_circle, &t.word_20, &t.word_24})
            fn(*w);
        for (auto& w : t.rest)
            fn(w);
    }
    for (auto* w : {&r.word_2436, &r.game_gen_resolution_index, &r.game_kick_resolution_index,
                    &r.replay_resolution_index, &r.player_numbers_index, &r.commentary, &r.sfx, &r.crowd,
                    &r.second_voice, &r.commentary_volume, &r.sfx_volume, &r.crowd_volume, &r.level_2484,
                    &r.level_2488, &r.drive_letter})
        fn(*w);
}

void fill_defaults(settings_record& r)
{
    char drive = find_drive_of_type(DRIVE_FIXED);
    std::snprintf(r.data_directory, sizeof r.data_directory, "%c:\\kob99\\data", drive);
    std::snprintf(r.install_directory, sizeof r.install_directory, "%c:%s", drive, "\\KOB");
    const uint32_t keys[8] = {200, 208, 203, 205, 44, 45, 46, 47};
    std::memcpy(r.key_mapping, keys, sizeof keys);
    for (int j = 0; j < 4; ++j) {
        r.joy_pass_tackle[j] = 1;
        r.joy_kick_select[j] = 2;
        r.joy_speedburst_fend[j] = 4;
        r.joy_quit[j] = 8;
    }
    r.word_1412 = 40;
    r.replay_buffer_size = 1048576;
    r.quarter_length = 4;
    r.weather_selection = 4;
    r.push_in_back_infringements = 1;
    r.turbo_mode = 0;
    r.word_1440 = 1;
    r.moon_pitch_available = 0;
    r.pitch_render_quality = 0;
    r.word_1452 = 25;
    r.is_alpha_radar_visible = 1;
    r.do_pitch_logos = 1;
    r.word_1464 = 50;
    r.word_1468 = r.word_1472 = 0;
    for (settings_team& t : r.team) {
        t.word_0 = 0;
        t.auto_offload = t.auto_bounce = 1;
        t.displayed_player_name_state = 2;
        t.can_intercept_circle = 1;
        t.word_20 = 2;
        t.word_24 = 1;
    }
    r.word_2436 = 0;
    r.game_gen_resolution_index = r.game_kick_resolution_index = 1;
    r.replay_resolution_index = r.player_numbers_index = 1;
    r.commentary = r.sfx = r.crowd = 1;
    r.commentary_volume = r.sfx_volume = r.crowd_volume = 127;
    r.level_2484 = r.level_2488 = 255;
    r.drive_letter = 'C';
}

void apply_settings(const settings_record& r)
{
    for (int32_t j = 0; j < 4; ++j)
        set_controller_keys(
            j, static_cast<uint8_t>(r.joy_pass_tackle[j]), static_cast<uint8_t>(r.joy_kick_select[j]),
            static_cast<uint8_t>(r.joy_speedburst_fend[j]), static_cast<uint8_t>(r.joy_quit[j]));
    bind_keys(r.key_mapping);
    apply_sound_settings(r.commentary, r.sfx, r.crowd, r.commentary_volume, r.sfx_volume & 0xFF,
                         r.crowd_volume);
    MatchSettingsValues m{};
    m.quarter_length = r.quarter_length;
    m.weather = r.weather_selection;
    m.push_in_back = r.push_in_back_infringements;
    m.turbo = r.turbo_mode;
    m.pitch_quality = r.pitch_render_quality;
    m.pitch_logos = r.do_pitch_logos;
    m.radar = r.is_alpha_radar_visible;
    m.fights_level = r.word_1452;
    for (int t = 0; t < 2; ++t) {
        m.team[t].auto_offload = r.team[t].auto_offload;
        m.team[t].auto_bounce = r.team[t].auto_bounce;
        m.team[t].name_display = r.team[t].displayed_player_name_state;
        m.team[t].intercept_circle = r.team[t].can_intercept_circle;
    }
    if (g_match_target) g_match_target(m);
}

bool in_range(const SettingsValue& v, uint32_t value)
{
    return value >= v.min && value <= v.max;
}

std::string subkey_path(const SettingsSubkey& s)
{
    return std::string(SETTINGS_KEY) + "\\" + s.name;
}

enum StoreRead { STORE_WHOLE, STORE_MISSING, STORE_BAD_VALUE };

// Tells the player which value of an existing settings file could not be
// used, and keeps the file beside itself before the next save writes over it.
void report_unread_store(const std::string& what, bool every_value)
{
    std::FILE* exists = std::fopen(host_settings_file().c_str(), "rb");
    if (!exists) return; // a first run: nothing to lose, nothing to say
    std::fclose(exists);
    bool kept = host_settings_keep_bad_copy();
    std::fprintf(stderr, "%s: %s; %s. %s\n", host_settings_file().c_str(), what.c_str(),
                 every_value ? "every setting takes its default" : "it takes its default",
                 kept ? "The file is kept as settings.cfg.bad." : "The file could not be kept.");
}

// Reads every value into the byte copy. A value outside its range is not
// taken (the copy keeps the default there).
StoreRead read_store(uint8_t* copy)
{
    if (!host_settings_key_exists(SETTINGS_KEY)) {
        report_unread_store(std::string("no section [") + SETTINGS_KEY + "]", true);
        return STORE_MISSING;
    }
    StoreRead result = STORE_WHOLE;
    std::string first_bad;
    for (const SettingsSubkey& s : subkeys) {
        std::string key = subkey_path(s);
        for (size_t i = 0; i < s.count; ++i) {
            uint32_t value = 0;
            if (!host_settings_get_u32(key.c_str(), s.values[i].name, &value)) {
                report_unread_store("no number for " + key + "\\" + s.values[i].name + " (missing or not a number)",
                                    true);
                return STORE_MISSING;
            }
            if (in_range(s.values[i], value)) {
                put_word(copy, s.values[i].offset, value);
            } else if (result == STORE_WHOLE) {
                result = STORE_BAD_VALUE;
                first_bad = key + "\\" + s.values[i].name + "=" + std::to_string(value) + " is out of range";
            }
        }
    }
    if (result == STORE_BAD_VALUE) report_unread_store(first_bad, false);
    return result;
}

bool write_store(const uint8_t* copy)
{
    if (!host_settings_create_key(SETTINGS_KEY)) return false;
    for (const SettingsSubkey& s : subkeys) {
        std::string key = subkey_path(s);
        if (!host_settings_create_key(key.c_str())) return false;
        for (size_t i = 0; i < s.count; ++i)
            if (!host_settings_set_u32(key.c_str(), s.values[i].name, get_word(copy, s.values[i].offset)))
                return false;
    }
    return true;
}

} // namespace

void settings_to_bytes(const settings_record& record, uint8_t bytes[SETTINGS_BYTES])
{
    std::memcpy(bytes, record.data_directory, sizeof record.data_directory);
    std::memcpy(bytes + 520, record.install_directory, sizeof record.install_directory);
    uint32_t offset = 780;
    each_word(record, [&](const uint32_t& w) {
        put_word(bytes, offset, w);
        offset += 4;
    });
}

void settings_from_bytes(settings_record& record, const uint8_t bytes[SETTINGS_BYTES])
{
    std::memcpy(record.data_directory, bytes, sizeof record.data_directory);
    std::memcpy(record.install_directory, bytes + 520, sizeof record.install_directory);
    uint32_t offset = 780;
    each_word(record, [&](uint32_t& w) {
        w = get_word(bytes, offset);
        offset += 4;
    });
}

void default_settings(settings_record& record)
{
    fill_defaults(record);
    apply_settings(record);
}

bool load_settings(settings_record& record)
{
    default_settings(record);
    // "KOB.DAT" is there only when the last save could not reach the store
    // (a save that did removes it), so it holds the newest settings.
    if (load_settings_file(record)) {
        apply_settings(record);
        return true;
    }
    uint8_t copy[SETTINGS_BYTES];
    settings_to_bytes(record, copy);
    StoreRead read = read_store(copy);
    if (read == STORE_MISSING) return false; // one value missing leaves every setting at its default
    settings_from_bytes(record, copy);
    apply_settings(record);
    return read == STORE_WHOLE;
}

bool save_settings(const settings_record& record)
{
    uint8_t copy[SETTINGS_BYTES];
    settings_to_bytes(record, copy);
    if (write_store(copy)) {
        // The store now holds the newer settings; an old fallback file must
        // not come back when a value goes missing from the store.
        std::remove(host_user_file(SETTINGS_FILE).c_str());
        return true;
    }
    return save_settings_file(record);
}

bool save_settings_file(const settings_record& record)
{
    uint8_t bytes[SETTINGS_BYTES];
    settings_to_bytes(record, bytes);
    return save_file(SETTINGS_FILE, bytes, SETTINGS_BYTES) == 1;
}

bool load_settings_file(settings_record& record)
{
    std::FILE* f = std::fopen(host_user_file(SETTINGS_FILE).c_str(), "rb");
    if (!f) return false;
    uint8_t bytes[SETTINGS_BYTES + 1];
    size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (got != SETTINGS_BYTES) {
        // Told, as an unreadable store is; the store's settings are taken instead.
        std::fprintf(stderr, "%s: %s, not the settings record's %u bytes; it is not used.\n",
                     host_user_file(SETTINGS_FILE).c_str(),
                     got > SETTINGS_BYTES ? "longer" : ("only " + std::to_string(got) + " bytes").c_str(), SETTINGS_BYTES);
        return false;
    }

    settings_record loaded;
    settings_from_bytes(loaded, bytes);
    loaded.data_directory[sizeof loaded.data_directory - 1] = '\0';
    loaded.install_directory[sizeof loaded.install_directory - 1] = '\0';
    // Values the store would refuse keep their defaults here too.
    uint8_t defaults[SETTINGS_BYTES];
    settings_record fallback{};
    fill_defaults(fallback);
    settings_to_bytes(fallback, defaults);
    settings_to_bytes(loaded, bytes);
    for (const SettingsSubkey& s : subkeys)
        for (size_t i = 0; i < s.count; ++i)
            if (!in_range(s.values[i], get_word(bytes, s.values[i].offset)))
                put_word(bytes, s.values[i].offset, get_word(defaults, s.values[i].offset));
    settings_from_bytes(record, bytes);
    return true;
}

void switch_commentary_off()
{
    user_settings.commentary = 0;
}

bool settings_exist()
{
    if (host_settings_key_exists(SETTINGS_KEY)) return true;
    std::FILE* f = std::fopen(host_user_file(SETTINGS_FILE).c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}
