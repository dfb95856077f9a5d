// The replay buffer: recording, applying, seeking, playback steps and files.
#include "display/replay.h"

#include "display/camera_presets.h"
#include "display/commentary.h"
#include "display/replay_screen.h"
#include "match/match_records.h"
#include "model/anim_table.h"
#include "platform/controllers.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

ReplayBuffer replay_buffer;
int32_t replay_countdowns[3];
ReplayPlayback replay_playback;

namespace {

void put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v)
{
    put16(p, static_cast<uint16_t>(v));
    put16(p + 2, static_cast<uint16_t>(v >> 16));
}
uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t get32(const uint8_t* p) { return get16(p) | static_cast<uint32_t>(get16(p + 2)) << 16; }

void append_node(ReplayNode* node)
{
    ReplayBuffer& b = replay_buffer;
    node->in_use = 1;
    node->next = nullptr;
    node->prev = b.tail;
    if (b.tail)
        b.tail->next = node;
    else
        b.head = node;
    b.tail = node;
    ++b.count;
}

void unlink_node(ReplayNode* node)
{
    ReplayBuffer& b = replay_buffer;
    if (node->prev)
        node->prev->next = node->next;
    else
        b.head = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        b.tail = node->prev;
    node->next = node->prev = nullptr;
    --b.count;
}

ReplayNode* take_pool_node()
{
    ReplayBuffer& b = replay_buffer;
    ReplayNode* node = b.free_list;
    if (node) b.free_list = node->next;
    return node;
}

uint8_t* free_frame_slot()
{
    ReplayBuffer& b = replay_buffer;
    for (uint32_t i = 0; i < b.capacity; ++i) {
        uint8_t* f = b.frames + static_cast<size_t>(i) * REPLAY_FRAME_SIZE;
        if (f[RF_IN_USE] == 0) return f;
    }
    return nullptr;
}

void build_pool(uint32_t frames)
{
    ReplayBuffer& b = replay_buffer;
    b.pool = frames ? static_cast<ReplayNode*>(alloc_mem(frames * sizeof(ReplayNode), "replay_buffer.replay_node"))
                    : nullptr;
    b.frames = frames ? static_cast<uint8_t*>(alloc_mem(frames * REPLAY_FRAME_SIZE, "replay_buffer.replay_node"))
                      : nullptr;
    if (b.frames) std::memset(b.frames, 0, static_cast<size_t>(frames) * REPLAY_FRAME_SIZE);
    b.free_list = nullptr;
    for (uint32_t i = frames; i-- > 0;) {
        b.pool[i] = ReplayNode{0, nullptr, b.free_list, nullptr};
        b.free_list = &b.pool[i];
    }
    b.count = 0;
    b.head = b.tail = b.current = nullptr;
    b.capacity = frames;
    forget_replay_marks();
}

void count_down(int32_t& v)
{
    if (v > 0) --v;
}

int32_t man_table_index(const PlayerSlot* man, uint8_t* team_flag)
{
    for (int t = 0; t < 2; ++t)
        if (man >= team_records[t].slots && man < team_records[t].slots + TEAM_SLOTS) {
            *team_flag = static_cast<uint8_t>(t);
            return static_cast<int32_t>(man - team_records[t].slots);
        }
    if (man >= official_slots && man < official_slots + OFFICIAL_COUNT) {
        *team_flag = REPLAY_HOLDER_OFFICIAL;
        return static_cast<int32_t>(man - official_slots);
    }
    return -1;
}

bool man_entry_valid(const uint8_t* e)
{
    const uint16_t primary = get16(e + 30), secondary = get16(e + 28);
    if (primary >= ANIM_ROW_COUNT) return false;
    return secondary == 0xFFFF || secondary < ANIM_ROW_COUNT;
}

} // namespace

uint32_t frame_tick(const uint8_t* frame) { return get32(frame + RF_TICK); }

void free_replay_node()
{
    ReplayBuffer& b = replay_buffer;
    if (b.pool) free_mem(b.pool);
    if (b.frames) free_mem(b.frames);
    b = ReplayBuffer{};
}

void new_replay_node(uint32_t bytes)
{
    const uint32_t f = bytes / (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE);
    ReplayBuffer& b = replay_buffer;
    if (!b.pool && !b.frames) {
        build_pool(f);
        return;
    }
    ReplayBuffer old = b;
    build_pool(f);
    ReplayNode* n = old.head;
    for (uint32_t skip = old.count > f ? old.count - f : 0; skip > 0 && n; --skip) n = n->next;
    uint32_t slot = 0;
    for (; n && slot < f; n = n->next, ++slot) {
        uint8_t* to = b.frames + static_cast<size_t>(slot) * REPLAY_FRAME_SIZE;
        std::memcpy(to, n->frame, REPLAY_FRAME_SIZE);
        ReplayNode* node = take_pool_node();
        node->frame = to;
        append_node(node);
    }
    b.recorded_ticks = old.recorded_ticks;
    b.current = b.head;
    if (old.pool) free_mem(old.pool);
    if (old.frames) free_mem(old.frames);
}

void reset_replay()
{
    ReplayBuffer& b = replay_buffer;
    const uint32_t f = b.capacity;
    if (b.pool) free_mem(b.pool);
    if (b.frames) free_mem(b.frames);
    b.pool = nullptr;
    b.frames = nullptr;
    build_pool(f);
    b.recorded_ticks = 0;
}

void capture_men_for_replay(const PlayerSlot* first, uint8_t* entries, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const PlayerSlot& m = first[i];
        uint8_t* e = entries + i * RF_MAN_SIZE;
        std::memset(e, 0, RF_MAN_SIZE);
        put16(e + 0, static_cast<uint16_t>(m.x));
        put16(e + 2, static_cast<uint16_t>(m.z));
        put16(e + 4, static_cast<uint16_t>(m.y));
        put16(e + 6, m.facing);
        e[16] = m.animation_flags;
        e[17] = m.secondary_flags;
        // A held pose records no secondary; the primary is always written so
        // that a reused frame never keeps another tick's pose.
        const bool held = (m.animation_flags & 2) != 0;
        e[18] = held ? 1 : 0;
        if (!held && m.secondary_data) {
            put32(e + 20, static_cast<uint32_t>(m.secondary_position));
            put16(e + 28, static_cast<uint16_t>(m.secondary_animation));
        } else {
            put32(e + 20, 0xFFFFFFFFu);
            put16(e + 28, 0xFFFF);
        }
        put32(e + 24, static_cast<uint32_t>(m.primary_position));
        put16(e + 30, static_cast<uint16_t>(m.primary_animation));
    }
}

void fill_replay_frame(uint8_t* frame, uint32_t tick)
{
    put32(frame + RF_TICK, tick);
    put32(frame + RF_SIZE, REPLAY_FRAME_SIZE);
    const int n = men_in_use();
    capture_men_for_replay(team_records[0].slots, frame + RF_TEAM_A, n);
    capture_men_for_replay(team_records[1].slots, frame + RF_TEAM_B, n);
    capture_men_for_replay(official_slots, frame + RF_OFFICIALS, OFFICIAL_COUNT);
    put32(frame + RF_BALL + 0, static_cast<uint32_t>(ball_state.x));
    put32(frame + RF_BALL + 4, static_cast<uint32_t>(ball_state.z));
    put32(frame + RF_BALL + 8, static_cast<uint32_t>(ball_state.y));
    for (int i = 0; i < 3; ++i) put32(frame + RF_BALL_SPIN + 4 * i, static_cast<uint32_t>(ball_state.spin_angle[i]));
    put32(frame + RF_STATE, match_globals.match_state);
    frame[RF_OFFICIAL] = frame[RF_HOLDER] = frame[RF_HOLDER_TEAM] = frame[RF_CONTROLLED] = REPLAY_NONE;
    if (const PlayerSlot* u = match_globals.umpire_with_ball) {
        uint8_t t;
        const int32_t i = man_table_index(u, &t);
        if (i >= 0 && t == REPLAY_HOLDER_OFFICIAL) frame[RF_OFFICIAL] = static_cast<uint8_t>(i);
    }
    if (const PlayerSlot* h = match_globals.ball_holder) {
        uint8_t t;
        const int32_t i = man_table_index(h, &t);
        if (i >= 0) frame[RF_HOLDER] = static_cast<uint8_t>(i), frame[RF_HOLDER_TEAM] = t;
    }
    if (const PlayerSlot* c = match_globals.selected_man) {
        uint8_t t;
        const int32_t i = man_table_index(c, &t);
        if (i >= 0 && t < 2) frame[RF_CONTROLLED] = static_cast<uint8_t>(i | t << 6);
    }
}

void record_replay_frame(uint32_t tick)
{
    ReplayBuffer& b = replay_buffer;
    if (b.capacity == 0 || !b.pool) return;
    ReplayNode* node;
    uint8_t* frame;
    if (b.count >= b.capacity) {
        node = b.head;
        unlink_node(node);
        frame = node->frame;
    } else {
        frame = free_frame_slot();
        node = take_pool_node();
        if (!frame || !node) return;
        frame[RF_IN_USE] = 1;
    }
    fill_replay_frame(frame, tick);
    node->frame = frame;
    b.current = node;
    append_node(node);
    ++b.recorded_ticks;
    for (int32_t& c : replay_countdowns) count_down(c);
}

bool replay_frame_valid(const uint8_t* frame)
{
    for (int i = 0; i < TEAM_SLOTS; ++i)
        if (!man_entry_valid(frame + RF_TEAM_A + i * RF_MAN_SIZE) ||
            !man_entry_valid(frame + RF_TEAM_B + i * RF_MAN_SIZE))
            return false;
    for (int i = 0; i < OFFICIAL_COUNT; ++i)
        if (!man_entry_valid(frame + RF_OFFICIALS + i * RF_MAN_SIZE)) return false;
    const uint32_t state = get32(frame + RF_STATE);
    if (state < 1 || state > 73) return false;
    const uint8_t official = frame[RF_OFFICIAL];
    if (official != REPLAY_NONE && official >= OFFICIAL_COUNT) return false;
    const uint8_t holder = frame[RF_HOLDER], team = frame[RF_HOLDER_TEAM];
    if (holder != REPLAY_NONE) {
        if (team < 2 && holder >= TEAM_SLOTS) return false;
        if (team == REPLAY_HOLDER_OFFICIAL && holder >= OFFICIAL_COUNT) return false;
        if (team > REPLAY_HOLDER_OFFICIAL) return false;
    }
    const uint8_t c = frame[RF_CONTROLLED];
    if (c != REPLAY_NONE && (c & 0x80 || (c & 0x3F) >= TEAM_SLOTS)) return false;
    return true;
}

namespace {

void apply_men(PlayerSlot* first, const uint8_t* entries, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        PlayerSlot& m = first[i];
        const uint8_t* e = entries + i * RF_MAN_SIZE;
        m.x = static_cast<int16_t>(get16(e + 0));
        m.z = static_cast<int16_t>(get16(e + 2));
        m.y = static_cast<int16_t>(get16(e + 4));
        m.facing = static_cast<uint8_t>(get16(e + 6));
        m.animation_flags = e[16];
        m.secondary_flags = e[17];
        const uint16_t secondary = get16(e + 28);
        if (e[16] & 2 || secondary == 0xFFFF || secondary >= ANIM_ROW_COUNT) {
            m.secondary_data = nullptr;
            m.secondary_position = 0;
            m.secondary_animation = 0xFFFFFFFFu;
        } else {
            m.secondary_data = animation_table[secondary].data;
            m.secondary_position = static_cast<int32_t>(get32(e + 20));
            m.secondary_animation = secondary;
        }
        const uint16_t primary = get16(e + 30);
        m.primary_position = static_cast<int32_t>(get32(e + 24));
        m.primary_animation = primary < ANIM_ROW_COUNT ? primary : 0;
        m.turning = (primary >= 121 && primary <= 128) ? 1 : 0;
    }
}

} // namespace

void apply_replay_frame(const uint8_t* frame)
{
    if (!frame) return;
    const int n = men_in_use();
    apply_men(team_records[0].slots, frame + RF_TEAM_A, n);
    apply_men(team_records[1].slots, frame + RF_TEAM_B, n);
    apply_men(official_slots, frame + RF_OFFICIALS, OFFICIAL_COUNT);
    ball_state.x = static_cast<int32_t>(get32(frame + RF_BALL + 0));
    ball_state.z = static_cast<int32_t>(get32(frame + RF_BALL + 4));
    ball_state.y = static_cast<int32_t>(get32(frame + RF_BALL + 8));
    for (int i = 0; i < 3; ++i) ball_state.spin_angle[i] = static_cast<int32_t>(get32(frame + RF_BALL_SPIN + 4 * i));
    MatchGlobals& g = match_globals;
    g.umpire_with_ball = nullptr;
    g.ball_holder = nullptr;
    g.selected_man = nullptr;
    const uint8_t official = frame[RF_OFFICIAL];
    if (official < OFFICIAL_COUNT) g.umpire_with_ball = &official_slots[official];
    const uint8_t holder = frame[RF_HOLDER], team = frame[RF_HOLDER_TEAM];
    if (holder != REPLAY_NONE) {
        if (team < 2 && holder < TEAM_SLOTS) g.ball_holder = &team_records[team].slots[holder];
        if (team == REPLAY_HOLDER_OFFICIAL && holder < OFFICIAL_COUNT) g.ball_holder = &official_slots[holder];
    }
    const uint8_t c = frame[RF_CONTROLLED];
    if (c != REPLAY_NONE && (c & 0x3F) < TEAM_SLOTS) g.selected_man = &team_records[(c >> 6) & 1].slots[c & 0x3F];
    const uint32_t state = get32(frame + RF_STATE);
    g.previous_match_state = g.match_state;
    if (state >= 1 && state <= 73) g.match_state = static_cast<uint8_t>(state);
}

void apply_current_replay_frame()
{
    if (replay_buffer.current) apply_replay_frame(replay_buffer.current->frame);
}

void replay_first_node() { replay_buffer.current = replay_buffer.head; }
void replay_last_node() { replay_buffer.current = replay_buffer.tail; }

uint32_t replay_position()
{
    const ReplayBuffer& b = replay_buffer;
    if (!b.current || !b.head) return 0;
    return frame_tick(b.current->frame) - frame_tick(b.head->frame);
}

int32_t replay_seek(int32_t ticks, ReplayNode** out)
{
    ReplayNode* n = replay_buffer.current;
    if (!replay_buffer.pool || !n) return 0;
    const int64_t want = std::llabs(static_cast<int64_t>(ticks));
    const uint32_t start = frame_tick(n->frame);
    int64_t diff = 0;
    while (diff < want) {
        ReplayNode* next = ticks > 0 ? n->next : n->prev;
        if (!next) break;
        n = next;
        diff = std::llabs(static_cast<int64_t>(frame_tick(n->frame)) - start);
    }
    if (out) *out = n;
    return static_cast<int32_t>(static_cast<int64_t>(frame_tick(n->frame)) - start);
}

bool replay_node_listed(const ReplayNode* node)
{
    for (const ReplayNode* n = replay_buffer.head; n; n = n->next)
        if (n == node) return true;
    return false;
}

void release_replay_node(ReplayNode* node)
{
    ReplayBuffer& b = replay_buffer;
    unlink_node(node);
    node->frame[RF_IN_USE] = 0;
    node->in_use = 0;
    node->frame = nullptr;
    node->next = b.free_list;
    b.free_list = node;
    if (b.current == node) b.current = nullptr;
}

double step_replay(int32_t ticks, double time)
{
    ReplayPlayback& p = replay_playback;
    ReplayBuffer& b = replay_buffer;
    p.countdown_ms -= static_cast<int32_t>(ticks * REPLAY_TICK_MS);
    const double k = ticks;
    const bool has_next = b.current && b.current->next;
    const bool has_prev = b.current && b.current->prev;
    auto stop = [&] {
        p.rate = 0;
        p.mode = 0;
    };
    switch (p.mode) {
    case 1: p.rate = has_next ? k : 0; if (!has_next) stop(); break;
    case 2: p.rate = has_prev ? -k : 0; if (!has_prev) stop(); break;
    case 3: p.rate = 1; p.accumulator = 0; p.mode = 0; break;
    case 6: p.rate = has_next ? 3 * k : 0; if (!has_next) stop(); break;
    case 8: p.rate = has_prev ? -3 * k : 0; if (!has_prev) stop(); break;
    case 13: p.rate = has_next ? k / 3 : 0; if (!has_next) stop(); break;
    case 14: p.rate = -1; p.accumulator = 0; p.mode = 0; break;
    case 16: p.rate = has_prev ? -k / 3 : 0; if (!has_prev) stop(); break;
    default: p.rate = 0; break; // a pause adds nothing
    }
    p.accumulator += p.rate;
    if (p.accumulator >= 1 || p.accumulator <= -1) {
        const double r = std::nearbyint(p.accumulator);
        ReplayNode* reached = nullptr;
        replay_seek(static_cast<int32_t>(r), &reached);
        if (reached) b.current = reached;
        p.accumulator -= r;
    }
    for (int32_t i = 0; i < ticks; ++i) {
        ++match_tick_record.tick_number;
        advance_phrase_clock(1);
        ++b.recorded_ticks;
        count_down(replay_countdowns[1]);
        count_down(replay_countdowns[2]);
        update_match_camera();
        time += REPLAY_TICK_MS;
    }
    count_held_buttons();
    return time;
}

namespace {

// Copies an existing replay whole into the new file. Anything that is not a
// replay (a foreign header, or a length that is not whole frames) is refused:
// frames added to it could never be read back.
bool copy_old_replay(std::FILE* from, std::FILE* to)
{
    uint8_t header[REPLAY_HEADER_SIZE];
    if (std::fread(header, 1, sizeof header, from) != sizeof header || get32(header) != REPLAY_FILE_FORMAT)
        return false;
    if (std::fwrite(header, 1, sizeof header, to) != sizeof header) return false;
    uint64_t frame_bytes = 0;
    uint8_t chunk[16 * REPLAY_FRAME_SIZE];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, from)) > 0; frame_bytes += got)
        if (std::fwrite(chunk, 1, got, to) != got) return false;
    return !std::ferror(from) && frame_bytes % REPLAY_FRAME_SIZE == 0;
}

} // namespace

int32_t save_replay_file(const char* path, int32_t append)
{
    const ReplayBuffer& b = replay_buffer;
    if (!b.pool || b.count == 0 || !b.head) return 0;
    // The new file is written beside the old one and renamed over it, so a
    // failed write never costs the old replay; an append copies it first.
    std::FILE* old = append ? std::fopen(path, "rb") : nullptr;
    if (append && !old && errno != ENOENT) return 0;
    const std::string temp = std::string(path) + ".new";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    bool ok = f != nullptr;
    if (ok && old) {
        ok = copy_old_replay(old, f);
    } else if (ok) {
        uint8_t header[REPLAY_HEADER_SIZE];
        put32(header, REPLAY_FILE_FORMAT);
        put32(header + 4, static_cast<uint32_t>(static_cast<int32_t>(game_settings.home_team)));
        put32(header + 8, static_cast<uint32_t>(static_cast<int32_t>(game_settings.away_team)));
        ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    }
    if (old) std::fclose(old);
    for (const ReplayNode* n = b.head; ok && n; n = n->next)
        ok = std::fwrite(n->frame, 1, REPLAY_FRAME_SIZE, f) == REPLAY_FRAME_SIZE;
    if (f) {
        ok = std::fflush(f) == 0 && ok;
        ok = std::fclose(f) == 0 && ok;
    }
    if (ok) ok = std::rename(temp.c_str(), path) == 0;
    if (!ok && f) std::remove(temp.c_str());
    return ok ? 1 : 0;
}

int32_t load_replay_file(const char* path)
{
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    auto fail = [f] {
        std::fclose(f);
        return 0;
    };
    if (std::fseek(f, 0, SEEK_END) != 0) return fail();
    const long size = std::ftell(f);
    if (size < static_cast<long>(REPLAY_HEADER_SIZE + REPLAY_FRAME_SIZE) || std::fseek(f, 0, SEEK_SET) != 0)
        return fail();
    uint8_t header[REPLAY_HEADER_SIZE];
    if (std::fread(header, 1, sizeof header, f) != sizeof header) return fail();
    const uint32_t club_a = get32(header + 4), club_b = get32(header + 8);
    if (get32(header) != REPLAY_FILE_FORMAT || club_a >= 16 || club_b >= 16) return fail();
    game_settings.home_team = static_cast<int8_t>(club_a);
    game_settings.away_team = static_cast<int8_t>(club_b);
    reset_replay();
    ReplayBuffer& b = replay_buffer;
    const uint64_t whole = (static_cast<uint64_t>(size) - REPLAY_HEADER_SIZE) / REPLAY_FRAME_SIZE;
    if (b.capacity == 0) return fail();
    uint64_t frames = whole;
    if (whole > b.capacity) {
        const uint64_t skip = (whole - b.capacity) * REPLAY_FRAME_SIZE;
        if (std::fseek(f, static_cast<long>(skip), SEEK_CUR) != 0) return fail();
        frames = b.capacity;
    }
    for (uint64_t i = 0; i < frames; ++i) {
        uint8_t* frame = b.frames + i * REPLAY_FRAME_SIZE;
        if (std::fread(frame, 1, REPLAY_FRAME_SIZE, f) != REPLAY_FRAME_SIZE || !replay_frame_valid(frame)) {
            reset_replay();
            return fail();
        }
        frame[RF_IN_USE] = 1;
        put32(frame + RF_SIZE, REPLAY_FRAME_SIZE);
        ReplayNode* node = take_pool_node();
        node->frame = frame;
        append_node(node);
        b.current = node;
    }
    std::fclose(f);
    return 1;
}

int32_t replay_match_playback;

void place_camera_at_ball(CameraPreset* c)
{
    const auto units = [](int32_t v) { return static_cast<int32_t>((v >> 16) * 0.390625); };
    const int32_t x = units(ball_state.x), y = units(ball_state.z), z = units(ball_state.y);
    // Not the camera's position: a camera put on the ball itself sees nothing but grass.
    const std::ptrdiff_t n = c - camera_presets;
    if (n >= 0 && n < CAMERA_PRESETS) setup_camera_preset(static_cast<int32_t>(n), x, y, z);
    else set_camera_point(c, x, y, z);
}

void set_replay_match_playback(int32_t on)
{
    replay_match_playback = on;
    if (!on) return;
    ReplayBuffer& b = replay_buffer;
    b.current = b.head;
    replay_playback = ReplayPlayback{};
    replay_playback.mode = 1;
    apply_current_replay_frame();
    camera_view = 9;
    for (CameraPreset& c : camera_presets) place_camera_at_ball(&c);
    update_match_camera();
}

void replay_match_tick(uint32_t)
{
    step_replay(1, 0);
    apply_current_replay_frame();
}
