#include "frontend/resources.h"

#include "display/replay.h"
#include "platform/sound.h"

#include "frontend/menu_icons.h"
#include "frontend/screen_runner.h"
#include "gl3d/hw_fonts.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/language.h"
#include "platform/memory.h"
#include "platform/settings.h"
#include "gl3d/render_state.h"
#include "screen/fonts.h"
#include "platform/message_pump.h"
#include "screen/screen_flip.h"
#include "gl3d/menu_objects.h"

#include <vector>

int32_t animation_handles[ANIMATION_HANDLES];
int32_t front_end_loaded;
uint8_t* sprite_scaling_buffer;
const char* base_palette_file;
const char* top_palette_file;

namespace {

constexpr uint32_t SCALING_BUFFER_BYTES = 65536;
constexpr uint32_t COMPANION_BYTES = 16384;
const char* const COMMON_SET = "front_en\\front_end_gfx\\animation_files\\common\\common.sph";
// Font file f goes to slot k_font_slots[f].
constexpr int32_t k_font_slots[7] = {0, 1, 2, 3, 6, 7, 8};

std::vector<const void*> g_frames[ANIMATION_HANDLES];
std::vector<uint8_t> g_companions[ANIMATION_HANDLES];
int32_t g_slot_storage[FONT_NUMBERS];
settings_record g_settings_backup;

bool valid(int32_t handle) { return handle >= 0 && handle < ANIMATION_HANDLES; }

} // namespace

void load_font_into_slot(int32_t file, int32_t slot)
{
    if (slot < 0 || slot >= FONT_NUMBERS) return;
    load_font(file, slot);
    g_slot_storage[slot] = file;
}

void free_font_slot(int32_t slot)
{
    if (slot < 0 || slot >= FONT_NUMBERS || g_slot_storage[slot] < 0) return;
    free_font(g_slot_storage[slot]);
    g_slot_storage[slot] = -1;
}

bool load_animation_set(int32_t handle, const char* path)
{
    if (!valid(handle)) return false;
    // Frames given from elsewhere count as a loaded set.
    if (animation_handles[handle] >= 0 || !g_frames[handle].empty()) return true;
    g_companions[handle].assign(COMPANION_BYTES, 0);
    const int32_t slot = load_sprite_set(path, g_companions[handle].data(), COMPANION_BYTES);
    if (slot < 0) return false;
    animation_handles[handle] = slot;
    g_frames[handle].clear();
    const uint32_t count = sprite_set_frame_count(slot);
    for (uint32_t n = 0; n < count; ++n) g_frames[handle].push_back(sprite_set_record(slot, n));
    return true;
}

void free_animation_set(int32_t handle)
{
    if (!valid(handle) || animation_handles[handle] < 0) return;
    free_sprite_set(animation_handles[handle]);
    animation_handles[handle] = -1;
    g_frames[handle].clear();
    g_companions[handle].clear();
}

uintptr_t animation_frames(int32_t handle)
{
    if (!valid(handle) || g_frames[handle].empty()) return 0;
    return reinterpret_cast<uintptr_t>(g_frames[handle].data());
}

const void* animation_frame(int32_t handle, uint32_t frame)
{
    if (!valid(handle) || frame >= g_frames[handle].size()) return nullptr;
    return g_frames[handle][frame];
}

void set_animation_frames(int32_t handle, const std::vector<const void*>& frames)
{
    if (valid(handle)) g_frames[handle] = frames;
}

void reset_resource_handles()
{
    for (int32_t h = 0; h < ANIMATION_HANDLES; ++h) animation_handles[h] = -1;
}

void free_front_end_animations()
{
    for (int32_t h = HANDLE_FORMATION; h < ANIMATION_HANDLES; ++h) free_animation_set(h);
}

void load_front_end_fonts()
{
    for (int32_t f = 0; f < 7; ++f) load_font_into_slot(f, k_font_slots[f]);
}

void load_front_end_resources()
{
    if (front_end_loaded) return;
    base_palette_file = top_palette_file = nullptr;
    init_sprite_engine();
    pump_messages();
    clear_icon_table();
    pump_messages();
    pump_messages();
    load_front_end_fonts();
    pump_messages();
    if (renderer_index() == 1) {
        load_tile_textures();
        set_hw_text_queued(1);
    }
    sprite_scaling_buffer = static_cast<uint8_t*>(alloc_mem(SCALING_BUFFER_BYTES, "Sprite scaling buffer"));
    reset_resource_handles();
    load_animation_set(HANDLE_COMMON, COMMON_SET);
    pointer_sprite.frames = reinterpret_cast<const void* const*>(animation_frames(HANDLE_COMMON));
    pointer_sprite.frame = 0;
    front_end_loaded = 1;
}

void front_end_shutdown()
{
    if (!front_end_loaded) return;
    free_animation_set(HANDLE_COMMON);
    free_animation_set(HANDLE_CARICATURE);
    free_front_end_animations();
    free_animation_set(HANDLE_CONTROLLERS);
    pointer_sprite.frames = nullptr;
    free_all_fonts();
    for (int32_t& s : g_slot_storage) s = -1;
    free_mem(sprite_scaling_buffer);
    sprite_scaling_buffer = nullptr;
    front_end_loaded = 0;
}

void front_end_setup()
{
    // The language file stays loaded for the program's life.
    load_language_text();
    select_language(0);
    if (renderer_index() == 1) set_colour_mode(2, 0);
    load_settings(user_settings);
    g_settings_backup = user_settings;
    if (user_settings.replay_buffer_size < REPLAY_SIZE_MIN) user_settings.replay_buffer_size = REPLAY_SIZE_MIN;
    // A damaged store must not ask for more than the screens can set.
    if (user_settings.replay_buffer_size > REPLAY_SIZE_MAX) user_settings.replay_buffer_size = REPLAY_SIZE_MAX;
    new_replay_node(user_settings.replay_buffer_size);
}

int32_t start_front_end_sound_channels() { return sound_available ? 0 : init_direct_sound(); }

void reset_front_end_resources()
{
    reset_resource_handles();
    for (auto& f : g_frames) f.clear();
    for (auto& c : g_companions) c.clear();
    for (int32_t& s : g_slot_storage) s = -1;
    front_end_loaded = 0;
    sprite_scaling_buffer = nullptr;
    base_palette_file = top_palette_file = nullptr;
}

namespace {

bool link_controller(TeamRecord* team, controller_record* object, PlayerSlot* slot)
{
    slot->contest_group = object;
    object->men[0] = slot;
    // Bit 0 goes on the man's flag word, his "human controlled" mark: the
    // controller record's one flag word belongs to the stick reader, which
    // clears its bit 0 at the next tick.
    slot->man_flags |= MAN_IN_CONTEST;
    if (!team) return true;
    ++team->human_count;
    return team->human_count < 31;
}

} // namespace

bool attach_to_slot(controller_record* object, PlayerSlot* slot)
{
    if (!object || !slot || slot->contest_group) return false;
    return link_controller(slot->team, object, slot);
}

bool attach_to_team_slot(TeamRecord* team, controller_record* object)
{
    if (!team || !object) return false;
    for (PlayerSlot& slot : team->slots)
        if (!slot.contest_group) return link_controller(team, object, &slot);
    return false;
}
