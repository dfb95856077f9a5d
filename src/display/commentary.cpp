// Commentary.
#include "display/commentary.h"

#include "league/league_data.h"
#include "match/ground.h"
#include "match/match_records.h"
#include "match/rule_queries.h"
#include "platform/crt_rand.h"
#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/sound.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

CommentaryState commentary;
GroupSlots group_slots[PHRASE_GROUP_COUNT];
NameEntry name_entries[NAME_ENTRIES];
int32_t line_up_names[2][MAX_LINE_UP];
int32_t named_players[16][NAMED_PLAYERS];
NameEntry ball_zone_phrases[BALL_ZONE_PHRASES];
SituationRemark situation_remarks[SITUATION_REMARKS];
CommentaryEvent pending_commentary;

namespace {

constexpr uint32_t PHRASE_TAG = 0x4D4D4F43; // "COMM"
constexpr int32_t REPEAT_SILENCE = 186;
constexpr int32_t PHRASE_TAIL = 20;

const int32_t remark_groups[SITUATION_REMARKS] = {139, 140, 141, 142, 145, 146, 147, 148, 153, 151, 152, 154,
                                                  159, 158, 160, 156, 155, 157, 162, 161, 163, 164, 165};

int32_t random_below(int32_t n) { return n > 0 ? crt_rand() % n : 0; }
int32_t random_bit() { return crt_rand() & 1; }
int32_t random16() { return ((crt_rand() << 8) ^ crt_rand()) & 0xFFFF; }

bool sound_on() { return sound_available != 0; }
bool switched_on() { return active_sound_levels.commentary != 0; }
int32_t men_per_team() { return commentary.men_per_team; }
int32_t team_base(int32_t team) { return team < 0 ? 0 : team * (3 * men_per_team() + 10); }

int32_t club_of(int32_t team)
{
    if (team < 0 || team > 1 || !team_records[team].club) return -1;
    const int32_t c = team_records[team].club->number;
    return c >= 0 && c < 16 ? c : -1;
}

const PlayerSlot* man_of(int32_t team, int32_t man)
{
    if (team < 0 || team > 1 || man < 0 || man >= men_per_team() || man >= TEAM_SLOTS) return nullptr;
    return &team_records[team].slots[man];
}

int32_t name_of(int32_t team, int32_t man)
{
    if (team < 0 || team > 1 || man < 0 || man >= men_per_team() || man >= MAX_LINE_UP) return -1;
    return line_up_names[team][man];
}

std::string sfx_path(const char* base, const char* extension)
{
    return std::string("KOB99_SFX\\") + base + extension;
}

uint32_t image_bytes(const uint8_t* image, uint32_t size)
{
    return size >= SAMPLE_IMAGE_HEADER ? (image[0] | image[1] << 8 | image[2] << 16 | static_cast<uint32_t>(image[3]) << 24)
                                       : 0;
}

// A sample file made a sound: the slot and its data's length in bytes.
int32_t load_phrase_file(const char* path, uint32_t* length)
{
    uint32_t size = 0;
    uint8_t* image = load_file(path, &size);
    const int32_t sound = install_sample(image, size, -1, PHRASE_TAG);
    *length = image_bytes(image, size);
    free_mem(image);
    if (sound >= 0) {
        ++commentary.samples_loaded;
        commentary.bytes_loaded += *length;
    }
    return sound;
}

void load_into_slot(int32_t group, int32_t slot, int32_t sample)
{
    const PhraseGroup& g = phrase_group(group);
    if (sample < 0 || sample >= g.count) return;
    GroupSlots& gs = group_slots[group];
    if (slot >= static_cast<int32_t>(gs.slots.size())) return;
    const char* name = g.names[sample];
    char base[PHRASE_NAME_SIZE];
    std::memcpy(base, name, PHRASE_NAME_SIZE - 1);
    base[PHRASE_NAME_SIZE - 1] = 0;
    const std::string path = sfx_path(base, ".LKA");
    if (!file_exists(path.c_str())) return;
    PhraseSlot& s = gs.slots[slot];
    if (s.sound >= 0) free_sample(s.sound);
    s = PhraseSlot{};
    uint32_t length = 0;
    s.sound = load_phrase_file(path.c_str(), &length);
    s.kind = phrase_name_kind(name);
    s.length = length;
    s.index = static_cast<uint32_t>(sample);
    if (static_cast<int32_t>(length) > commentary.largest_phrase) commentary.largest_phrase = static_cast<int32_t>(length);
}

// Releasing a group's samples empties its slots: a later turn says nothing.
void release_group(int32_t group)
{
    for (PhraseSlot& s : group_slots[group].slots) {
        if (s.sound >= 0) free_sample(s.sound);
        s = PhraseSlot{};
    }
}

// k distinct samples of count, in draw order.
void draw_distinct(int32_t count, int32_t k, int32_t* out)
{
    for (int32_t i = 0; i < k; ++i) {
        int32_t s;
        bool fresh;
        do {
            s = random_below(count);
            fresh = true;
            for (int32_t j = 0; j < i; ++j) fresh = fresh && out[j] != s;
        } while (!fresh);
        out[i] = s;
    }
}

void load_group(int32_t group, bool* ground_opening_loaded)
{
    GroupSlots& gs = group_slots[group];
    gs.cursor = 0;
    const int32_t count = phrase_group(group).count;
    const int32_t k = gs.resident;
    const int32_t time = match_globals.time_of_day;
    const bool light = time == 0 || time == 2;
    const int32_t club_a = club_of(0), club_b = club_of(1);
    if ((group >= 106 && group <= 121) || (group >= 298 && group <= 313)) {
        const int32_t club = group >= 298 ? group - 298 : group - 106;
        if (club != club_a && club != club_b) return;
        for (int32_t i = 0; i < k; ++i) load_into_slot(group, i, i);
        return;
    }
    if (k <= 0) return;
    if (group == 232) {
        int32_t s;
        if (light) s = 3 + random_bit();
        else if (time == 1) s = 5 + random_below(4);
        else s = random_below(count - 6 > 0 ? count - 6 : 1);
        load_into_slot(group, 0, s);
        return;
    }
    if (group >= 237 && group <= 246) {
        static const int32_t pairs[5][2] = {{240, 245}, {241, 246}, {239, 243}, {238, 244}, {237, 242}};
        const int32_t ground = match_globals.kick_off_variant;
        if (ground < 0 || ground > 4) return;
        if (group != (light ? pairs[ground][1] : pairs[ground][0])) return;
        load_into_slot(group, 0, random_below(count));
        *ground_opening_loaded = true;
        return;
    }
    if (group == 257 || group == 258) {
        if (*ground_opening_loaded || group != (light ? 258 : 257)) return;
        load_into_slot(group, 0, random_below(count));
        return;
    }
    if (group == 261 || group == 262) {
        if (club_a < 0 || club_b < 0) return;
        const uint8_t a = match_globals.commentary_order[club_a], b = match_globals.commentary_order[club_b];
        int32_t club = club_a;
        if (group == 261 && a <= b) club = club_b;
        if (group == 262 && a >= b) club = club_b;
        load_into_slot(group, 0, club + 16 * random_bit());
        return;
    }
    int32_t draws[64];
    const int32_t n = k < 64 ? (k < count ? k : count) : 64;
    draw_distinct(count, n, draws);
    for (int32_t i = 0; i < n; ++i) load_into_slot(group, i, draws[i]);
}

// One side's spoken names from its club's TEAMnn.DAT.
void load_side_names(int32_t team, int32_t base)
{
    for (int32_t& e : line_up_names[team]) e = -1;
    const int32_t club = club_of(team);
    if (club < 0) return;
    char file[32];
    std::snprintf(file, sizeof file, "TEAM%02d", club + 1);
    const std::string path = sfx_path(file, ".DAT");
    if (!file_exists(path.c_str())) return;
    uint32_t size = 0;
    uint8_t* data = load_file(path.c_str(), &size);
    // Which line-up position wears each number.
    int32_t wearer[42];
    for (int32_t& w : wearer) w = -1;
    for (int32_t i = 0; i < men_per_team() && i < MAX_LINE_UP; ++i) {
        const PlayerSlot& m = team_records[team].slots[i];
        if (!m.person) continue;
        const int32_t number = m.person->bytes[PLAYER_GUERNSEY];
        if (number <= 41 && wearer[number] < 0) wearer[number] = i;
    }
    const int32_t n = men_per_team();
    int32_t next_man = 0; // takes of men so far, in threes
    uint32_t at = 0;
    for (int32_t record = 0; at + 8 <= size; ++record) {
        const uint32_t length = image_bytes(data + at, size - at);
        if (length > size - at - 8) break; // a record past the file's end
        int32_t entry = -1;
        if (record < 126) {
            const int32_t number = record / 3, take = record % 3;
            const int32_t man = wearer[number];
            if (man >= 0 && next_man < n) {
                if (take == 0) line_up_names[team][man] = base + 3 * next_man;
                entry = line_up_names[team][man] + take;
                if (take == 2) ++next_man;
            }
        } else if (record < 136) {
            entry = base + 3 * n + (record - 126);
        }
        if (entry >= 0 && entry < NAME_ENTRIES && length > 0) {
            // {u32 L, u32 format, L bytes} is a sample image of L bytes.
            NameEntry& e = name_entries[entry];
            if (e.sound >= 0) free_sample(e.sound);
            e.sound = install_sample(data + at, length + SAMPLE_IMAGE_HEADER, -1, PHRASE_TAG);
            e.length = length;
            if (e.sound >= 0) {
                ++commentary.samples_loaded;
                commentary.bytes_loaded += length;
            }
            if (static_cast<int32_t>(length) > commentary.largest_name) commentary.largest_name = static_cast<int32_t>(length);
        }
        at += 8 + length;
    }
    free_mem(data);
}

void free_names()
{
    for (NameEntry& e : name_entries) {
        if (e.sound >= 0) free_sample(e.sound);
        e = NameEntry{};
    }
}

void make_concat_buffer(uint32_t bytes, const char* lock_text, const char* unlock_text)
{
    if (commentary.concat_sound >= 0) free_sample(commentary.concat_sound);
    if (bytes < 4) bytes = 4;
    std::vector<uint8_t> image(SAMPLE_IMAGE_HEADER + bytes, 0);
    image[0] = static_cast<uint8_t>(bytes), image[1] = static_cast<uint8_t>(bytes >> 8);
    image[2] = static_cast<uint8_t>(bytes >> 16), image[3] = static_cast<uint8_t>(bytes >> 24);
    image[4] = 22050 & 0xFF, image[5] = 22050 >> 8, image[6] = SAMPLE_16BIT;
    commentary.concat_sound = install_sample(image.data(), static_cast<uint32_t>(image.size()), -1, PHRASE_TAG);
    commentary.concat_bytes = bytes;
    void* data = nullptr;
    if (lock_sample(commentary.concat_sound, bytes, &data) != 0)
        fatal_error_sub(FATAL_CANT_LOAD_WAV, 0, lock_text, 0);
    if (unlock_sample(commentary.concat_sound, data, bytes) != 0)
        fatal_error_sub(FATAL_CANT_LOAD_WAV, 0, unlock_text, 0);
}

// The sample layer counts volume 0 as full; a commentary volume of 0 is
// silence (the timing still runs).
bool play_phrase_sound(int32_t sound)
{
    const int32_t volume = active_sound_levels.commentary_volume;
    if (sound < 0 || volume <= 0) return false;
    play_sample(sound, -1, 0, static_cast<uint32_t>(volume > 127 ? 127 : volume), 0, 0);
    return true;
}

void start_phrase(int32_t sound, uint32_t bytes)
{
    if (sound != commentary.last_sound) {
        play_phrase_sound(sound);
        commentary.last_sound = sound;
    }
    commentary.phrase_length = phrase_ticks(bytes);
}

bool said_once_group(int32_t g)
{
    return (g >= 58 && g <= 65) || g == 67 || g == 94 || (g >= 166 && g <= 183) || (g >= 232 && g <= 246) ||
           (g >= 257 && g <= 263) || g == 267;
}

const NameEntry* entry_at(int32_t e) { return e >= 0 && e < NAME_ENTRIES && name_entries[e].sound >= 0 ? &name_entries[e] : nullptr; }

void join(int32_t first_sound, uint32_t first_bytes, const NameEntry* second)
{
    if (!second) {
        start_phrase(first_sound, first_bytes);
        return;
    }
    play_concatenated_sample(first_sound, first_bytes, second->sound, second->length);
    commentary.last_sound = first_sound;
}

void play_slot(int32_t group, const PhraseSlot& slot, int32_t team, int32_t name)
{
    CommentaryState& c = commentary;
    if (name >= 0 && name == c.last_name) return;
    const int32_t b = team_base(team), n3 = 3 * men_per_team();
    switch (slot.kind) {
    case 0: {
        const int32_t before = c.last_group;
        start_phrase(slot.sound, slot.length);
        if (before >= 0 && before != group && said_once_group(before) &&
            !(before == c.waiting_group && before == pending_commentary.group))
            release_group(before);
        break;
    }
    case 1:
    case 2:
        if (slot.sound == c.last_sound) break;
        // A man without a spoken name: the phrase alone.
        join(slot.sound, slot.length, name >= 0 ? entry_at(name + slot.kind) : nullptr);
        if (name >= 0) c.last_name = name;
        break;
    case 3:
    case 6:
    case 7: {
        const int32_t take = slot.kind == 3 ? 2 : (slot.kind == 6 ? 1 : 0);
        join(slot.sound, slot.length, entry_at(b + n3 + 3 * random_bit() + take));
        break;
    }
    case 8: {
        const NameEntry* lead = entry_at(b + n3 + 9);
        if (lead) {
            play_concatenated_sample(lead->sound, lead->length, slot.sound, slot.length);
            c.last_sound = slot.sound;
        } else {
            start_phrase(slot.sound, slot.length);
        }
        break;
    }
    case 9: join(slot.sound, slot.length, entry_at(b + n3 + 7 + random_bit())); break;
    case 10: join(slot.sound, slot.length, entry_at(b + n3 + 6)); break;
    default: return;
    }
    c.gap = PHRASE_TAIL;
    c.silence = -c.phrase_length;
}

int32_t match_clock() { return match_globals.ticks_played; }

int32_t margin_class()
{
    const int8_t m = score_margin_check(0);
    return m == 1 ? 1 : (m == -1 ? 255 : 0);
}

const PlayerSlot* holder() { return match_globals.ball_holder; }

// The zone a remark is judged by; false when there is none.
bool remark_zone(int32_t* zone)
{
    const PlayerSlot* h = holder();
    if (h) {
        *zone = field_zone(h->x, h->y, h->side);
        return true;
    }
    const PlayerSlot* carrier = match_globals.last_ball_holder;
    if (carrier) {
        *zone = field_zone(ball_whole_x(), ball_whole_y(), carrier->side);
        return true;
    }
    if (margin_class() != 0) {
        *zone = 0;
        return true;
    }
    if (match_globals.match_state == 24 || match_clock() >= 3720) {
        *zone = 0;
        return true;
    }
    return false;
}

bool remark_allowed()
{
    const int32_t state = match_globals.match_state;
    if (state == 1) {
        int32_t zone = 0;
        if (!remark_zone(&zone)) return false;
        return zone != 13 && zone != 0 && zone != 1;
    }
    return remark_state(state) && state != 1;
}

// The remark entry of a group when its flag is clear, else null.
SituationRemark* free_remark(int32_t group)
{
    for (SituationRemark& r : situation_remarks)
        if (r.group == group) return r.chosen ? nullptr : &r;
    return nullptr;
}

SituationRemark* either(int32_t a, int32_t b)
{
    SituationRemark* ra = free_remark(a);
    SituationRemark* rb = free_remark(b);
    // The second when the first is taken; else either at random.
    if (!ra) return rb;
    if (!rb) return ra;
    return random_bit() ? ra : rb;
}

} // namespace

int32_t phrase_ticks(uint32_t bytes) { return static_cast<int32_t>(static_cast<uint64_t>(bytes) * 124 / 22050); }

bool remark_group(int32_t group)
{
    for (int32_t g : remark_groups)
        if (g == group) return true;
    return false;
}

bool remark_state(int32_t state)
{
    return state == 1 || state == 10 || state == 47 || state == 36 || state == 37 || state == 49 || state == 41;
}

int32_t first_chosen_remark()
{
    for (int32_t i = 0; i < SITUATION_REMARKS; ++i)
        if (situation_remarks[i].chosen) return i;
    return -1;
}

void advance_phrase_clock(int32_t ticks) { commentary.phrase_clock += ticks; }

void reset_commentary()
{
    // Whatever is still loaded goes back to the sample layer first.
    if (commentary.loaded) free_commentary();
    else if (commentary.concat_sound >= 0) free_sample(commentary.concat_sound);
    for (int32_t g = 0; g < PHRASE_GROUP_COUNT; ++g) {
        GroupSlots& gs = group_slots[g];
        gs.resident = phrase_group_resident(g);
        gs.cursor = 0;
        gs.slots.assign(static_cast<size_t>(gs.resident > 0 ? gs.resident : 1), PhraseSlot{});
    }
    for (NameEntry& e : name_entries) e = NameEntry{};
    for (NameEntry& e : ball_zone_phrases) e = NameEntry{};
    for (auto& side : line_up_names)
        for (int32_t& e : side) e = -1;
    for (int32_t i = 0; i < SITUATION_REMARKS; ++i) situation_remarks[i] = {remark_groups[i], 0};
    commentary = CommentaryState{};
    commentary.waiting_priority = -1;
    commentary.waiting_group = -1;
    commentary.last_group = -1;
    commentary.last_sound = -1;
    commentary.last_name = -100;
    commentary.last_zone = -100;
    commentary.last_remark_state = -1;
    commentary.club_group_said = -1;
    commentary.on_demand_group = -1;
    commentary.concat_sound = -1;
    pending_commentary = CommentaryEvent{};
}

int32_t load_commentary()
{
    CommentaryState& c = commentary;
    c.loaded = 0;
    if (!sound_on() || !switched_on()) return 0;
    c.largest_phrase = 0;
    for (int32_t club = 0; club < 16; ++club) {
        const PhraseGroup& g = phrase_group(106 + club);
        for (int32_t i = 0; i < NAMED_PLAYERS; ++i) {
            int32_t number = -1;
            if (i < g.count) {
                const char* name = g.names[i];
                if (std::strlen(name) >= 7 && name[5] >= '0' && name[5] <= '9' && name[6] >= '0' && name[6] <= '9')
                    number = (name[5] - '0') * 10 + (name[6] - '0') - 1;
            }
            named_players[club][i] = number;
        }
    }
    c.men_per_team = match_globals.men_per_team > 0 && match_globals.men_per_team <= MAX_LINE_UP
                         ? match_globals.men_per_team
                         : MAX_LINE_UP;
    bool ground_opening = false;
    for (int32_t g = 0; g < PHRASE_GROUP_COUNT; ++g) load_group(g, &ground_opening);
    reload_name_samples();
    for (int32_t z = 0; z < BALL_ZONE_PHRASES; ++z) {
        char base[16];
        std::snprintf(base, sizeof base, "P_01_%02d", z + 1);
        const std::string path = sfx_path(base, ".LKA");
        if (!file_exists(path.c_str())) continue;
        NameEntry& e = ball_zone_phrases[z];
        if (e.sound >= 0) free_sample(e.sound);
        e.sound = load_phrase_file(path.c_str(), &e.length);
        if (static_cast<int32_t>(e.length) > c.largest_phrase) c.largest_phrase = static_cast<int32_t>(e.length);
    }
    make_concat_buffer(static_cast<uint32_t>(c.largest_phrase + c.largest_name) * 4, "load_commentary 1",
                       "load_commentary 2");
    c.phrase_clock = c.phrase_length = c.gap = 0;
    c.last_sound = -1;
    c.last_group = -1;
    c.waiting_priority = -1;
    c.last_name = -100;
    c.loaded = 1;
    c.muted = 0;
    return 1;
}

void reload_name_samples()
{
    free_names();
    load_side_names(0, 0);
    load_side_names(1, 3 * men_per_team() + 10);
}

void free_commentary()
{
    CommentaryState& c = commentary;
    if (!sound_on() || !c.loaded) return;
    for (int32_t g = 0; g < PHRASE_GROUP_COUNT; ++g) release_group(g);
    free_names();
    for (NameEntry& e : ball_zone_phrases) {
        if (e.sound >= 0) free_sample(e.sound);
        e = NameEntry{};
    }
    if (c.concat_sound >= 0) free_sample(c.concat_sound);
    c.concat_sound = -1;
    c.concat_bytes = 0;
    c.loaded = 0;
    c.samples_loaded = 0;
    c.bytes_loaded = 0;
}

void play_concatenated_sample(int32_t first_sound, uint32_t first_bytes, int32_t second_sound, uint32_t second_bytes)
{
    CommentaryState& c = commentary;
    const uint32_t need = (first_bytes + second_bytes) * 4;
    // Names reloaded or phrases loaded since: a bigger buffer first.
    if (c.concat_sound < 0 || need > c.concat_bytes)
        make_concat_buffer(need, " play_concatenated_sample 2", "play_concatenated_sample 3");
    stop_sample(c.concat_sound);
    void* data = nullptr;
    if (lock_sample(c.concat_sound, c.concat_bytes, &data) != 0)
        fatal_error_sub(FATAL_CANT_LOAD_WAV, 0, " play_concatenated_sample 2", 0);
    int16_t* out = static_cast<int16_t*>(data);
    std::memset(out, 0, c.concat_bytes);
    uint32_t at = 0;
    for (const auto& [sound, bytes] : {std::pair{first_sound, first_bytes}, std::pair{second_sound, second_bytes}}) {
        const uint8_t* adpcm = sound >= 0 && sound < SAMPLE_SLOT_COUNT ? sample_slots[sound].adpcm_data : nullptr;
        if (adpcm && image_bytes(adpcm, SAMPLE_IMAGE_HEADER) >= bytes)
            decode_adpcm(adpcm + SAMPLE_IMAGE_HEADER, out + at, bytes * 2);
        at += bytes * 2;
    }
    if (unlock_sample(c.concat_sound, data, c.concat_bytes) != 0)
        fatal_error_sub(FATAL_CANT_LOAD_WAV, 0, "play_concatenated_sample 3", 0);
    const int32_t volume = active_sound_levels.commentary_volume;
    if (volume > 0 && play_sample(c.concat_sound, 0, 0, static_cast<uint32_t>(volume > 127 ? 127 : volume), 0, 0) < 0)
        fatal_error_sub(FATAL_CANT_LOAD_WAV, 0, "play_concatenated_sample 6", 0);
    c.phrase_length = phrase_ticks(first_bytes + second_bytes);
}

void commentate(int32_t group, int32_t team1, int32_t man1, int32_t team2, int32_t man2, int32_t priority)
{
    CommentaryState& c = commentary;
    if (group != 271 && (!sound_on() || !c.loaded || c.muted || !switched_on())) return;
    if (group >= PHRASE_GROUP_COUNT || group < -4) return;
    int32_t name1 = name_of(team1, man1), name2 = name_of(team2, man2);
    bool on_demand = false;
    // 3. Streamed groups load one sample now.
    if (group >= 0 && phrase_group_streamed(group)) {
        const PhraseGroup& g = phrase_group(group);
        const int32_t s = random_below(g.count);
        if (group == c.last_group) return;
        char base[PHRASE_NAME_SIZE];
        std::memcpy(base, g.names[s], PHRASE_NAME_SIZE - 1);
        base[PHRASE_NAME_SIZE - 1] = 0;
        const std::string lka = sfx_path(base, ".LKA"), wav = sfx_path(base, ".WAV");
        if (file_exists(lka.c_str())) {
            // The previous on-demand sample goes first.
            if (c.on_demand_group >= 0) {
                release_group(c.on_demand_group);
                group_slots[c.on_demand_group].resident = 0;
            }
            group_slots[group].resident = 1;
            if (group_slots[group].slots.empty()) group_slots[group].slots.resize(1);
            load_into_slot(group, 0, s);
            c.on_demand_group = group;
            on_demand = true;
        } else if (file_exists(wav.c_str())) {
            if (open_stream_wav(wav.c_str()) == 0) toggle_stream_wav();
            c.last_group = group;
            const int32_t length = static_cast<int32_t>(static_cast<int64_t>(get_filelength(wav.c_str()) / 2) * 62 / 22050);
            c.silence -= length;
            return;
        } else {
            return;
        }
    }
    // 4, 5.
    if (group == -3) {
        c.waiting_priority = -1;
        return;
    }
    if (group == -4) {
        if (c.phrase_clock < c.delay_ticks) return;
        c.delay_requested = 0;
        return;
    }
    // 6. The speaker busy: the event may wait.
    if (c.phrase_clock < c.phrase_length + c.gap) {
        if (group == -2) return;
        if (c.waiting_priority < 0 || (priority >= c.waiting_priority && group != c.last_group)) {
            c.waiting_group = group;
            c.waiting_team1 = team1, c.waiting_team2 = team2;
            c.waiting_name1 = name1, c.waiting_name2 = name2;
            c.waiting_priority = priority;
            c.waiting_man = name1 >= 0 ? man1 : (name2 >= 0 ? man2 : -1);
            c.gap = 10;
        }
        return;
    }
    // 7.
    if (group == -2) {
        if (c.waiting_priority < 0) return;
        group = c.waiting_group;
        team1 = c.waiting_team1, team2 = c.waiting_team2;
        name1 = c.waiting_name1, name2 = c.waiting_name2;
        man1 = man2 = c.waiting_man;
        c.waiting_priority = -1;
        if (group < -1 || group >= PHRASE_GROUP_COUNT) return;
    }
    // 8.
    if ((group == 291 || group == 292) && c.phrase_clock >= c.phrase_length + PHRASE_TAIL) refresh_phrase_group(group);
    if (group == 295) refresh_phrase_group(group);
    // 9. The ball's part of the ground.
    if (group == 314 || group == 315) {
        if (group == c.last_group) return;
        if (match_globals.previous_match_state == 13) c.last_zone = 8;
        const PlayerSlot* h = holder();
        if (!h) return;
        const int32_t zone = field_zone(h->x, h->y, h->side);
        if (zone == c.last_zone || zone == 2 || zone < 0 || zone >= BALL_ZONE_PHRASES) return;
        const NameEntry& e = ball_zone_phrases[zone];
        if (e.sound >= 0 && e.sound != c.last_sound) {
            play_phrase_sound(e.sound);
            c.last_sound = e.sound;
        }
        c.phrase_length = phrase_ticks(e.length);
        c.silence = -c.phrase_length;
        c.phrase_clock = 0;
        c.last_group = group;
        c.last_zone = zone;
        return;
    }
    // 10. A name alone.
    if (group == -1) {
        const NameEntry* e = entry_at(name1);
        if (!e || name1 == c.last_name) return;
        if (e->sound != c.last_sound) {
            play_phrase_sound(e->sound);
            c.last_sound = e->sound;
        }
        c.phrase_length = phrase_ticks(e->length);
        c.gap = PHRASE_TAIL;
        c.last_group = -1;
        c.last_name = name1;
        c.silence = -c.phrase_length;
        return;
    }
    // 11.
    GroupSlots& gs = group_slots[group];
    if (gs.slots.empty()) return;
    if (gs.resident > 1) gs.cursor = static_cast<uint16_t>((gs.cursor + 1) % gs.resident);
    const int32_t index = gs.resident > 1 && gs.cursor < gs.slots.size() ? gs.cursor : 0;
    const PhraseSlot slot = gs.slots[static_cast<size_t>(index)];
    // 12.
    if (group == c.last_group && c.silence < REPEAT_SILENCE) return;
    // 13.
    c.phrase_clock = 0;
    // 14. A named player's own phrase.
    if (group == 56 || group == 57 || group == 75) {
        const PlayerSlot* man = man_of(team1, man1);
        const int32_t club = club_of(team1);
        const int32_t k = man && man->person && club >= 0 ? named_player_position(club, man->person->bytes[PLAYER_GUERNSEY]) : -1;
        if (k < 0 || slot.sound < 0) return;
        const GroupSlots& names = group_slots[106 + club];
        const PhraseSlot* spoken = k < static_cast<int32_t>(names.slots.size()) ? &names.slots[static_cast<size_t>(k)] : nullptr;
        if (slot.kind == 1 && spoken && spoken->sound >= 0) {
            play_concatenated_sample(slot.sound, slot.length, spoken->sound, spoken->length);
            c.last_sound = slot.sound;
        } else {
            start_phrase(slot.sound, slot.length);
        }
        return;
    }
    // 15. A phrase about one of a club's named players.
    if (group >= 298 && group <= 313) {
        int32_t team = -1, man = -1;
        if (man1 >= 0) team = team1, man = man1;
        else if (team2 >= 0) team = team2, man = man2;
        const PlayerSlot* who = man_of(team, man);
        const int32_t club = club_of(team);
        int32_t k = who && who->person && club >= 0 ? named_player_position(club, who->person->bytes[PLAYER_GUERNSEY]) : -1;
        if (club == 0 && k >= 0) k = k < 2 ? -1 : k - 2;
        const GroupSlots* own = club >= 0 ? &group_slots[298 + club] : nullptr;
        if (k < 0 || !own || k >= static_cast<int32_t>(own->slots.size())) {
            GroupSlots& g217 = group_slots[217];
            if (g217.resident > 1) g217.cursor = static_cast<uint16_t>((g217.cursor + 1) % g217.resident);
            const PhraseSlot& s = g217.slots[g217.resident > 1 ? g217.cursor : 0];
            const int32_t name = team == team1 ? name1 : name2;
            if (s.sound >= 0) play_slot(217, s, team, name);
            return;
        }
        const PhraseSlot& s = own->slots[static_cast<size_t>(k)];
        if (s.sound >= 0) start_phrase(s.sound, s.length);
        return;
    }
    // 16.
    int32_t team = -1, name = -1;
    switch (slot.kind) {
    case 1: team = team1, name = name1; break;
    case 2: team = team2, name = name2; break;
    case 3: team = team2; break;
    case 6:
    case 7:
    case 8:
    case 9:
    case 10: team = team1; break;
    default: break;
    }
    if (slot.sound >= 0) play_slot(group, slot, team, name);
    c.last_group = group;
    if (on_demand) gs.resident = 0;
    if (remark_group(group)) c.last_remark_time = match_clock();
}

void set_pending_commentary(int32_t group, int32_t team1, int32_t man1, int32_t team2, int32_t man2, int32_t priority)
{
    pending_commentary = CommentaryEvent{group, team1, man1, team2, man2, priority};
}

void clear_pending_commentary() { pending_commentary.group = -1; }

void request_commentary_delay(int32_t ticks)
{
    commentary.delay_requested = 1;
    commentary.delay_ticks = ticks;
    commentary.phrase_clock = 0;
}

void flush_pending_commentary()
{
    CommentaryEvent e = pending_commentary;
    if (e.group == -1) return;
    pending_commentary.group = -1;
    if (commentary.delay_requested) {
        commentary.waiting_priority = -1;
        commentate(-4, -1, -1, -1, -1, 1000);
        commentate(e.group, e.team1, e.man1, e.team2, e.man2, e.priority);
        commentary.delay_requested = 0;
    } else {
        commentate(e.group, e.team1, e.man1, e.team2, e.man2, e.priority);
    }
}

void mute_commentary()
{
    commentary.muted = 1;
    pending_commentary.group = -1;
    commentary.waiting_priority = -1;
}

void unmute_commentary() { commentary.muted = 0; }

bool commentary_within_phrase() { return commentary.phrase_clock < commentary.phrase_length + PHRASE_TAIL; }

void say_unless_speaking(int32_t group)
{
    if (group <= 0 || group >= PHRASE_GROUP_COUNT) return;
    if (group != 295 && commentary_within_phrase()) return;
    refresh_phrase_group(group);
}

bool refresh_phrase_group(int32_t group)
{
    if (group < 0 || group >= PHRASE_GROUP_COUNT || !commentary.loaded) return false;
    GroupSlots& gs = group_slots[group];
    const int32_t k = gs.resident;
    const PhraseGroup& g = phrase_group(group);
    if (k <= 0 || gs.slots.empty()) return false;
    const int32_t current = gs.slots[0].sound >= 0 ? static_cast<int32_t>(gs.slots[0].index) : -1;
    int32_t tried[64];
    int32_t found = -1;
    const int32_t draws = k < g.count ? k : g.count;
    for (int32_t i = 0; i < draws && i < 64 && found < 0; ++i) {
        int32_t s;
        bool fresh;
        do {
            s = random_below(g.count);
            fresh = true;
            for (int32_t j = 0; j < i; ++j) fresh = fresh && tried[j] != s;
        } while (!fresh);
        tried[i] = s;
        if (s != current) found = s;
    }
    if (found < 0) return false;
    char base[PHRASE_NAME_SIZE];
    std::memcpy(base, g.names[found], PHRASE_NAME_SIZE - 1);
    base[PHRASE_NAME_SIZE - 1] = 0;
    const std::string path = sfx_path(base, ".LKA");
    if (!file_exists(path.c_str())) return false;
    // Without room for the file the group stays as it was.
    if (!can_allocate(get_filelength(path.c_str()) + SAMPLE_IMAGE_HEADER)) return false;
    release_group(group);
    load_into_slot(group, 0, found);
    return gs.slots[0].sound >= 0;
}

int32_t named_player_position(int32_t club, int32_t squad_number)
{
    if (club < 0 || club >= 16 || squad_number < 0) return -1;
    for (int32_t i = 0; i < NAMED_PLAYERS; ++i)
        if (named_players[club][i] == squad_number) return i;
    return -1;
}

int32_t find_player_name_sample(int32_t team, int32_t man)
{
    const PlayerSlot* m = man_of(team, man);
    if (!m || !m->person) return -1;
    return named_player_position(club_of(team), m->person->bytes[PLAYER_GUERNSEY]);
}

void swap_name_sample_entries(int32_t team, int32_t i, int32_t j)
{
    if (team < 0 || team > 1) return;
    const int32_t n = men_per_team();
    if (i < 0 || j < 0 || i >= n || j >= n || i >= MAX_LINE_UP || j >= MAX_LINE_UP) return;
    const int32_t t = line_up_names[team][i];
    line_up_names[team][i] = line_up_names[team][j];
    line_up_names[team][j] = t;
}

int32_t field_zone(int32_t x, int32_t y, int32_t side)
{
    if (!in_field(static_cast<int16_t>(x), static_cast<int16_t>(y))) return 0;
    const double X = (x >> 8) + 96, Y = (y >> 8) + 64;
    int32_t column;
    bool far_end = false;
    if (X < 38.4) column = 4;
    else if (X < 76.8) column = 3;
    else if (X < 115.2) column = 2;
    else if (X < 153.6) column = 1;
    else if (X < 192) column = 0;
    else column = 2, far_end = true;
    int32_t row;
    bool wide = false;
    if (Y < 128.0 / 3) row = 0;
    else if (Y < 256.0 / 3) row = 1;
    else if (Y < 128) row = 2;
    else row = 1, wide = true;
    if (side == 2) {
        if (!far_end) column = 4 - column;
        if (!wide) row = 2 - row;
    }
    static const int32_t zones[5][3] = {{11, -1, 12}, {9, 2, 10}, {6, 8, 7}, {3, 2, 4}, {0, 13, 1}};
    int32_t zone = zones[column][row];
    if (column == 2 && row != 1 && random16() == 0) zone = 5;
    return zone;
}

int32_t field_zone_index(int32_t x, int32_t y, int32_t side)
{
    if (!in_field(static_cast<int16_t>(x), static_cast<int16_t>(y))) return 0;
    if (side == 1) x = -x, y = -y;
    return -1 - 3 * static_cast<int32_t>(std::lround(((x >> 8) + 96) / 38.4)) -
           static_cast<int32_t>(std::lround(((y >> 8) + 64) * 3 / 128.0));
}

void commentary_fill_silence()
{
    CommentaryState& c = commentary;
    MatchGlobals& m = match_globals;
    advance_phrase_clock(1);
    if (m.closing_transition_running || m.opening_transition_running || m.pending_cut_state != -1) return;
    c.silence += m.ticks_last_frame;
    if (const PlayerSlot* h = holder()) {
        c.territory = h->side == 1 ? -h->x : h->x;
        if (m.match_state == 1 && c.territory >= 3841 && c.territory_remark) {
            commentate(29, h->team_index, h->number, -1, -1, 2);
            c.territory_remark = 0;
        }
    } else {
        // A new possession may be remarked on once it reaches the forward half.
        c.territory_remark = 1;
    }
    if (c.waiting_priority >= 0) {
        commentate(-2, -1, -1, -1, -1, 0);
        return;
    }
    if (remark_allowed() && c.silence >= 249 && match_clock() - c.last_remark_time > 1860) {
        clear_pending_commentary();
        commentate(-3, -1, -1, -1, -1, 0);
        choose_situation_remark();
        return;
    }
    if (m.match_state == 3 && c.silence >= 373) {
        const int32_t r = random_below(5);
        if (r <= 1) commentate(86, -1, -1, -1, -1, 150);
        else if (r == 3) commentate(291, -1, -1, -1, -1, 100);
        return;
    }
    if (m.match_state == 1 && c.silence >= 249) commentate(314, -1, -1, -1, -1, 0);
}

void choose_situation_remark()
{
    CommentaryState& c = commentary;
    MatchGlobals& m = match_globals;
    const int32_t state = m.match_state;
    const int32_t p = margin_class();
    const TeamRecord& a = team_records[0];
    const TeamRecord& b = team_records[1];
    const int32_t f = p == 255 ? (a.points >= b.points ? 1 : 0) : (a.points <= b.points ? 1 : 0);
    // f is a team flag: 1 names team B.
    const int32_t f_side = team_records[f].side;
    const int32_t ball_x = ball_whole_x();
    const bool wide = (f_side == 2 && ball_x >= 5121) || (f_side == 1 && ball_x < 5120);
    const bool own = f_side == 2 && ball_x < 5120;
    if (state == 24) {
        const int32_t ca = club_of(0), cb = club_of(1);
        const uint8_t sa = ca >= 0 ? m.commentary_order[ca] : 0, sb = cb >= 0 ? m.commentary_order[cb] : 0;
        int32_t group, flag;
        if (random_bit()) group = 262, flag = sa >= sb ? 1 : 0;
        else group = 261, flag = sa < sb ? 1 : 0;
        c.club_group_said = group;
        c.last_remark_state = state;
        commentate(group, flag, -1, flag, -1, 100);
        return;
    }
    if (!remark_state(state)) return;
    clear_pending_commentary();
    int32_t zone = 0;
    remark_zone(&zone);
    const int32_t previous = m.previous_match_state;
    SituationRemark* r = nullptr;
    auto pick = [&](int32_t g) { return free_remark(g); };
    if (previous == 13 && (zone == 8 || zone == 2)) {
        r = pick(p == 1 ? 156 : (p == 0 ? 155 : 157));
    } else if (previous == 54 && (zone == 3 || zone == 4 || zone == 5 || zone == 6 || zone == 7 || zone == 9 ||
                                  zone == 10)) {
        if (p == 1) r = pick(162);
        else if (p == 255) r = pick(161);
    } else if (random_below(5) == 0 && p != 0) {
        if (p == 1) r = pick(163);
        else r = (m.flow_flags & QUARTER_4) && pick(165) ? pick(165) : pick(164);
    } else {
        const int32_t bit = random_bit();
        if (zone == 8 || (zone == 2 && bit == 1)) {
            if (p == 1) r = pick(147);
            else if (p == 0) r = pick(146);
        } else if (zone == 2 || zone == 3 || zone == 4 || (state != 1 && wide && (zone == 0 || zone == 1 || zone == 13))) {
            if (p == 1) r = either(159, 145);
            else if (p == 255) r = pick(160);
            else if ((m.flow_flags & QUARTER_1) && random16() == 0) r = pick(140);
            else r = either(139, 158);
        } else if (zone == 9 || zone == 10 || (state != 1 && own && (zone == 11 || zone == 12 || zone == 13))) {
            if (p == 1) r = (m.flow_flags & QUARTER_1) && random_bit() ? pick(142) : either(141, 153);
            else if (p == 255) r = pick(154);
            else if (m.flow_flags & (QUARTER_1 | QUARTER_2)) r = either(152, 151);
            else r = pick(151);
        }
    }
    if (!r) return;
    if (state != 1 && (state == c.last_remark_state || c.club_group_said < 0 || zone == 8)) return;
    r->chosen = 1;
    if (r->group != 0) commentate(r->group, f, -1, f, -1, 501);
    c.last_remark_state = state;
}

void service_deferred_remarks()
{
    CommentaryState& c = commentary;
    const int32_t i = first_chosen_remark();
    if (i < 0) return;
    const int32_t state = match_globals.match_state;
    if (match_clock() - c.last_refresh_time < 1240 || !commentary_within_phrase()) return;
    if (state != 11 && state != 39 && state != 57 && state != 58) return;
    if (refresh_phrase_group(situation_remarks[i].group)) {
        situation_remarks[i].chosen = 0;
        c.last_refresh_time = match_clock();
    }
}
