// Writes the seed inputs of every harness into corpus/<reader>/seed-*, made
// by the data kit's writers and the game's own writers, plus a few files of
// the kit's data set. Run again when a format changes:
//   build/dev/tests/fuzz_seed_maker tests/fuzz/corpus build/dev/data
#include "gl3d/d3d.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "host/settings_store.h"
#include "lib/crcf.h"
#include "lib/font_write.h"
#include "lib/image_write.h"
#include "lib/iff_write.h"
#include "lib/adpcm_write.h"
#include "lib/kit.h"
#include "lib/language_write.h"
#include "lib/lzss_write.h"
#include "lib/mad_write.h"
#include "lib/pack_write.h"
#include "lib/paf_writer.h"
#include "lib/fnt_write.h"
#include "lib/shape_write.h"
#include "lib/sw_write.h"
#include "lib/tca_writer.h"
#include "lib/viv_write.h"
#include "lib/wav_write.h"
#include "display/replay.h"
#include "frontend/competition.h"
#include "frontend/database_files.h"
#include "frontend/player_editor.h"
#include "frontend/saved_files.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input_record.h"
#include "platform/settings.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

fs::path g_corpus;

void put(const char* reader, const char* name, const Bytes& bytes)
{
    fs::path dir = g_corpus / reader;
    fs::create_directories(dir);
    std::ofstream out(dir / (std::string("seed-") + name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void language(const fs::path& data)
{
    Bytes bytes;
    std::string error;
    kit_language_file({"Play", "", "Quit the match?"}, bytes, error);
    put("language_text", "small", bytes);
    put("language_text", "kit", read(data / "front_en" / "lang" / "english.dat"));
}

void models(const fs::path& data)
{
    TcaFileData tca;
    tca.version = 2;
    tca.node_section = true;
    tca.skin_normals = true;
    tca.mesh_keys = true;
    tca.node_groups = {{TcaNodeData{{1, 2, 3}, "hip"}}};
    TcaMeshData mesh;
    mesh.texture = "guernsey.bmp";
    mesh.name = "torso";
    mesh.node_name = "hip";
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.normals = {{0, 0, 1}};
    mesh.facets = {{0, 1, 2, 65535}};
    mesh.uvs = {{0, 0}, {1, 0}, {0, 1}};
    tca.meshes = {mesh};
    TcaSkinData skin;
    skin.name = "skin";
    skin.pairs = {{0, 0}, {0, 1}, {0, 2}};
    skin.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    skin.uvs = {{0, 0}, {1, 0}, {0, 1}};
    skin.triangles = {{0, 1, 2}};
    tca.skins = {skin};
    TcaVariantData variant;
    variant.strides = {1, 2};
    variant.dim_names = {"home"};
    variant.target_indices = {0};
    variant.alternatives = {{0, 0}, {0.5f, 0.5f}};
    tca.variants = {variant};
    tca.keywords = {"home", "away"};
    put("tca_model", "small", write_tca(tca));
    for (const auto& entry : fs::directory_iterator(data / "3d display" / "pgfs")) {
        put("tca_model", "kit", read(entry.path()));
        break;
    }

    PafFileData paf;
    paf.root_motion = 1;
    for (int t = 0; t < 16; ++t)
        paf.tracks.push_back({{{0, 1, 0, 0, 0}, {50000, 0, 1, 0, 0}}, {{0, 0, 0, 0}, {50000, 1, 0, 2}}});
    put("paf", "small", write_paf(paf));
    for (const auto& entry : fs::directory_iterator(data / "3d display" / "pafs")) {
        put("paf", "kit", read(entry.path()));
        break;
    }
}

void pictures_and_sounds(const fs::path& data)
{
    Bytes palette;
    for (int i = 0; i < 16; ++i) palette.insert(palette.end(), {uint8_t(i * 16), uint8_t(255 - i * 16), 7});
    put("ilbm", "small", kit_ilbm(19, 3, 4, palette, Bytes(19 * 3, 5)));
    put("screen_picture", "small", kit_ilbm(19, 3, 4, palette, Bytes(19 * 3, 5)));
    put("screen_picture", "wider_than_the_screen", kit_ilbm(700, 2, 8, palette, Bytes(700 * 2, 200)));
    put("screen_picture", "kit", read(data / "front_en" / "front_end_gfx" / "menu_screens" / "sw" / "demosplash.lbm"));

    std::vector<int16_t> tone;
    for (int i = 0; i < 400; ++i) tone.push_back(static_cast<int16_t>((i % 40) * 800 - 16000));
    Bytes mono = kit_wav_mono16(11025, tone);
    Bytes stereo = kit_wav(2, 8000, 8, Bytes(256, 128));
    put("wav", "mono16", mono);
    put("wav", "stereo8", stereo);
    put("stream_wav", "mono16", mono);
    put("stream_wav", "stereo8", stereo);

    put("lkz_image", "small", kit_lkz_image(3, 2, {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 1, 1, 1}));
    KitBitWriter archive;
    for (const char* member : {"first member", "second", "aaaaaaaaaaaaaaaaaaaaaaaa"}) {
        for (const char* c = member; *c; ++c) archive.literal(static_cast<uint8_t>(*c));
        archive.end();
    }
    put("lkz_archive", "three", archive.finish());
}

void settings_and_devices(const fs::path& work)
{
    host_set_user_dir(work.string());
    host_settings_reload();
    settings_record record;
    default_settings(record);
    save_settings(record);
    put("settings_store", "defaults", read(host_settings_file()));
    Bytes bytes(SETTINGS_BYTES);
    settings_to_bytes(record, bytes.data());
    put("settings_file", "defaults", bytes);

    uint8_t formation[FORMATION_FILE_SIZE];
    encode_formation(default_formation, formation);
    put("formation_file", "default", Bytes(formation, formation + FORMATION_FILE_SIZE));

    // A game saved at the start, and one a few rounds into a season.
    uint8_t game[GAME_FILE_SIZE];
    encode_game(game);
    put("game_file", "start", Bytes(game, game + GAME_FILE_SIZE));
    competition_state.round = 5;
    for (uint8_t t = 0; t < 16; ++t) {
        competition_state.order[t] = static_cast<uint8_t>(15 - t);
        competition_state.kinds[t] = t == 3 ? KIND_HUMAN : KIND_COMPUTER;
        competition_state.wins[t] = static_cast<uint8_t>(t % 5);
    }
    competition_state.order_count = 16;
    encode_game(game);
    put("game_file", "season_round_5", Bytes(game, game + GAME_FILE_SIZE));

    // The edited names of two clubs, one the last listed player with a bit,
    // and the training edits' owners; and a file of no names.
    load_original_names();
    put("name_db", "none", name_db_image());
    set_player_name(league_team_at(3)->players[2], "Corwin Ashdale");
    set_player_name(league_team_at(12)->players[15], "Tobin Merriwether");
    team_name_change_buffer[3] = 1 << 2;
    team_name_change_buffer[12] = 1 << 15;
    slide_db_owner = {{4, 7}, 0x5EED1234};
    put("name_db", "names", name_db_image());
    reset_database_files();
    reset_league_data();

    devconfig_record device{"OpenGL", "640x480x32", 1, 1};
    std::string path = (work / "devconfig.dat").string();
    devconfig_write(path.c_str(), &device);
    put("devconfig", "windowed", read(path));

    Bytes recording{RECORDING_HEADER_BYTES / 8};
    for (int i = 0; i < RECORDING_HEADER_RECORDS; ++i) {
        uint8_t header[RECORDING_RECORD_BYTES];
        controller_record controller{};
        put_recording_record(header, controller);
        recording.insert(recording.end(), header, header + RECORDING_RECORD_BYTES);
    }
    recording.insert(recording.end(), {1, 2, 0, 0, 4, 1, 3, 3, 0});
    put("input_recording", "header_and_three", recording);

    put("config_text", "values", text("# set-up\nspeed = 1.5;\nscale = 2\r\ncount = 42\nname = Kestrel #\n7 8 9\n"));

    Bytes checked = text("movie frames follow");
    kit_append_crcf(checked);
    put("crcf", "trailer", checked);
    put("crcf", "plain", text("no trailer here"));

    KitShape picture{"PIC ", {0x7B, 2, 2, 1, 1, Bytes(4, 3)}, {{0x6F, 0, 0, 0, 0, Bytes(4, 'c')}, {0x2A, 2, 0, 0, 0, Bytes(8, 9)}}};
    KitShape nibbles{"NIB ", {0x7A, 3, 2, 0, 0, Bytes(4, 0x12)}, {}};
    put("shape_bank", "two_shapes", kit_shape_bank({picture, nibbles}));
    std::vector<KitGlyphBitmap> glyphs;
    std::string error;
    kit_parse_glyphs("A .#. #.# ###\nB ##. ### ##.\n! # # .\n", glyphs, error);
    put("engine_font", "one_bit", kit_fnt(kit_build_fnt(glyphs, 32, 126, 1, 1)));
    put("engine_font", "four_bit", kit_fnt(kit_build_fnt(glyphs, 32, 126, 4, 2)));
    put("shape_bank", "packed", kit_shape_bank({{"PAK ", {0xFB, 2, 2, 0, 0, {0x10, 0xFB, 0, 0, 4, 0, 0, 0}}, {}}}));
    host_set_user_dir("");
}

void archives_and_streams()
{
    std::vector<KitBigEntry> entries = {{"title.mad", text("movie bytes")}, {"logo.shp", text("shape")}, {"empty", {}}};
    for (int kind : {1, 2}) {
        Bytes big = kit_bigfile(entries, kind);
        put("big_archive", kind == 1 ? "short" : "long", big);
        put("big_header", kind == 1 ? "short" : "long", big);
    }
    Bytes chunks;
    kit_append_chunk(chunks, kit_chunk_type("MADk"), Bytes(300, 7));
    kit_append_chunk(chunks, kit_chunk_type("SCDl"), Bytes(40, 1));
    kit_append_chunk(chunks, kit_chunk_type("MADm"), Bytes(9000, 3));
    kit_append_chunk(chunks, kit_chunk_type("MADe"), {});
    put("stream_chunks", "movie", chunks);

    KitMoviePicture picture;
    picture.width = 48, picture.height = 32;
    for (int i = 0; i < 48 * 32; ++i) {
        picture.y.push_back(i % 48 - 24.0);
        picture.cb.push_back(i % 7 - 3.0);
        picture.cr.push_back(i / 48 - 16.0);
    }
    Bytes key = kit_mad_keyframe_payload(picture, 6);
    key.insert(key.begin(), 6);
    put("mad_video", "key", key);
    KitMadBits copies;
    for (int m = 0; m < 6; ++m) copies.put(1, 1), copies.put(0b10, 2), copies.put(3, 4), copies.put(0, 1), copies.put(0, 6);
    Bytes delta = copies.bytes();
    delta.insert(delta.begin(), 6);
    put("mad_video", "copies", delta);
}

// Pictures, fonts and sprite sets of the hardware path.
void textures_and_fonts(const fs::path& data)
{
    KitPicture p = kit_picture(5, 3, 0xFF336699);
    p.at(0, 0) = 0x80FF0000;
    p.at(4, 2) = 0x00000000;
    put("tga", "plain32", kit_tga(p));
    put("tga", "packed24", kit_tga(p, {24, true, "id", 2, 0}));
    put("bmp", "rgb24", kit_bmp(p, 24));
    KitPicture indices = kit_picture(5, 3, 1);
    put("bmp", "indexed8", kit_bmp(indices, 8, {0x000000, 0xFFFFFF}));
    put("powerbar_bmp", "indexed8", kit_bmp(indices, 8, {0x000000, 0xFFFFFF}));
    put("powerbar_bmp", "rgb24", kit_bmp(p, 24));
    put("ppm", "comment", kit_ppm(p, 255, " seed"));
    put("font_metrics", "kit", read(data / "front_en" / "font" / "hw" / "NewSmall3.LKF"));
    KitHwFont small;
    small.page_count = 1, small.line_height = 9, small.space_width = 3, small.first = 'A';
    small.glyphs.resize(3);
    small.glyphs[2].page = 5; // a page the font does not have
    put("font_metrics", "small", kit_lkf(small));

    std::vector<KitSpriteFrame> frames(3);
    frames[1].page = 2;
    for (KitSpriteFrame& f : frames) f.width = 8, f.height = 4;
    Bytes header = kit_sph(frames), companion = kit_sprite_companion({25, 0, 50, 7});
    Bytes set{static_cast<uint8_t>(255 * header.size() / (header.size() + companion.size()))};
    set.insert(set.end(), header.begin(), header.end());
    set.insert(set.end(), companion.begin(), companion.end());
    put("sprite_frames", "set", set);
    std::vector<int16_t> pixels(9 * 3, 4);
    pixels[0] = -1;
    Bytes bank = kit_sw_sprite(9, 3, 1, 1, pixels), long_one = kit_sw_sprite(9, 3, 1, 1, pixels, true);
    bank.insert(bank.end(), long_one.begin(), long_one.end());
    Bytes offsets = kit_sprite_companion({0, static_cast<uint32_t>(bank.size() - long_one.size())});
    Bytes banked{static_cast<uint8_t>(255 * bank.size() / (bank.size() + offsets.size()))};
    banked.insert(banked.end(), bank.begin(), bank.end());
    banked.insert(banked.end(), offsets.begin(), offsets.end());
    put("sprite_frames", "bank", banked);

    const fs::path sw = data / "front_en" / "font" / "sw";
    Bytes images = read(sw / "Ns2.SPR"), words = read(sw / "Ns2.DWD"), widths = read(sw / "Ns2.WTH");
    const size_t rest = images.size() + words.size() + widths.size();
    const uint8_t first = static_cast<uint8_t>(255 * images.size() / rest);
    const uint8_t second = static_cast<uint8_t>(255 * words.size() / (rest - images.size()));
    Bytes font{first, second};
    font.insert(font.end(), images.begin(), images.end());
    font.insert(font.end(), words.begin(), words.end());
    font.insert(font.end(), widths.begin(), widths.end());
    put("software_font", "kit", font);
}

void packed_data()
{
    std::string t = "kick it long, kick it long, handball short and kick it long";
    Bytes d(t.begin(), t.end());
    put("packed_data", "lz", kit_pack_lz(d));
    put("packed_data", "lz_extra", kit_pack_lz(d, true));
    std::vector<uint16_t> pixels(8 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = i % 3 ? 0xF800 : 0x07E0;
    put("packed_data", "blocks", kit_pack_blocks(pixels, 8, 4));
    put("packed_data", "huff", kit_pack_huff(d));
    put("packed_data", "huff_sum", kit_pack_huff(d, 0x32));
    put("packed_data", "huff_double_sum", kit_pack_huff(d, 0x34, true));
    put("packed_data", "pairs", kit_pack_pairs(d));
    put("packed_data", "runs", kit_pack_runs(Bytes{0, 0, 0, 7, 7, 7, 7, 0x51, 0x52, 0x53, 0x54, 0x55, 9}));
}

// A replay of three ticks, saved by the game's own writer.
void replays(const fs::path& work)
{
    match_globals.men_per_team = 18;
    match_globals.match_state = 1;
    new_replay_node(4 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    for (uint32_t t = 1; t <= 3; ++t) {
        team_records[0].slots[2].x = static_cast<int16_t>(100 * t);
        match_globals.ball_holder = &team_records[1].slots[t];
        record_replay_frame(t);
    }
    const fs::path file = work / "seed.rpl";
    save_replay_file(file.string().c_str(), 0);
    put("replay_file", "three_ticks", read(file));
    free_replay_node();
    clear_game_state_block();
}

// The league's change files as the game writes them, the kit's hints text,
// and the kit's palettes: a club's face colours and the flag colours.
void change_files_and_texts(const fs::path& work, const fs::path& data)
{
    host_set_user_dir(work.string());
    team_name_change_buffer[2] = 0x8001;
    team_name_change_buffer[15] = 0x00F0;
    save_delta_db();
    put("delta_db", "two_clubs", read(work / DELTA_DB_FILE));
    reset_database_files();

    uint8_t slides[SLIDE_DB_BYTES];
    fill_slide_records(0, 4);
    fill_slide_records(1, 7);
    slide_records_to_bytes(slides);
    put("slide_db", "built_in_clubs", Bytes(slides, slides + SLIDE_DB_BYTES));
    reset_player_editor();
    host_set_user_dir("");

    put("hints_text", "kit", read(data / "front_en" / "lang" / "hints.txt"));
    put("palette", "face_kit", read(data / "front_en" / "front_end_gfx" / "face palettes" / "TAL_face.pal"));
    put("palette", "flag_kit", read(data / "front_en" / "anim" / "flag.pal"));
}

// A club's names file: 136 sample records, a few of them empty.
void commentary_names()
{
    Bytes file;
    for (int r = 0; r < 136; ++r) {
        Bytes image = r % 5 == 4 ? Bytes{0, 0, 0, 0, 0x22, 0x56, 0x06, 0} : kit_adpcm_sample(std::vector<int16_t>(6, int16_t(r * 100)));
        file.insert(file.end(), image.begin(), image.end());
    }
    put("commentary_names", "club", file);
}

void sound_patch()
{
    Bytes header = kit_mad_sound_header(22050, 1, 7, 56);
    put("sound_patch", "header", Bytes(header.begin() + 8, header.end()));
    double history[2] = {0, 0};
    std::vector<int16_t> wave;
    for (int i = 0; i < 56; ++i) wave.push_back(static_cast<int16_t>(i * 300 - 8000));
    Bytes packet = kit_comp7_packet(wave, history);
    put("sound_patch", "blocks", Bytes(packet.begin() + 8, packet.end()));
}

} // namespace

void software_display()
{
    KitMesh m;
    m.vertices = {{-100, -100, 500}, {100, -100, 500}, {100, 100, 500}, {-100, 100, 500}, {0, 0, 900}};
    m.faces = {{0, 1, 2}, {0, 2, 3}, {0, 1, 4}};
    m.face_materials = {0, 0, 1};
    m.materials = {KitMeshMaterial{1, 1, 1, "tex.bmp"}, KitMeshMaterial{0.5f, 0.2f, 0.1f, ""}};
    m.uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, 0.5}};
    put("x_mesh", "two_materials", text(kit_x_mesh(m)));
    KitPicture p = kit_picture(6, 3);
    for (uint32_t i = 0; i < 18; ++i) p.pixels[i] = i;
    put("mesh_texture", "indexed8", kit_bmp(p, 8, std::vector<uint32_t>(256, 0)));
    std::vector<KitManFrame> frames;
    for (int t = 0; t < 11; ++t)
        for (int v = 0; v < 256; ++v) {
            KitManFrame f;
            f.tag = uint8_t(t);
            f.width = 1;
            f.height = 1;
            f.texels = {7};
            frames.push_back(f);
        }
    Bytes shared = kit_man_sprites(frames, nullptr);
    std::array<std::array<uint32_t, 256>, 3> tables{};
    for (auto& t : tables) t.fill(11);
    Bytes dwd = kit_team_dwd(tables);
    // kob.spr in the first half, the table (padded to the same length) in the second.
    Bytes both(shared.begin(), shared.end());
    dwd.resize(shared.size(), 0);
    both.insert(both.end(), dwd.begin(), dwd.end());
    put("sw_sprites", "shared_and_table", both);
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR KIT_DATA_DIR\n", argv[0]);
        return 2;
    }
    g_corpus = argv[1];
    fs::path work = fs::path(argv[1]).parent_path() / ".seed-work";
    fs::create_directories(work);
    language(argv[2]);
    models(argv[2]);
    pictures_and_sounds(argv[2]);
    textures_and_fonts(argv[2]);
    settings_and_devices(work);
    archives_and_streams();
    packed_data();
    replays(work);
    change_files_and_texts(work, argv[2]);
    sound_patch();
    commentary_names();
    software_display();
    fs::remove_all(work);
    return 0;
}
