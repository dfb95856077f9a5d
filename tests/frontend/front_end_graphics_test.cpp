// The powerbars on the software path: the column copy with its transparent
// colour, the clear colour and the mirror; the images each kind loads and
// shares; and bar controls drawn through them.
#include "control_fixture.h"

#include "frontend/front_end_graphics.h"
#include "frontend/widget_helpers.h"
#include "gl3d/sprite_sets.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "lib/image_write.h"
#include "screen/screen.h"
#include "screen/screen_services.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Each file a 4 x 2 picture of its own colour, but the second column of
// the top row is colour 0 (see-through).
const struct {
    const char* name;
    uint8_t colour;
} k_files[] = {
    {"powerbar.bmp", 10}, {"pb_green.bmp", 20}, {"pb_red.bmp", 30}, {"pb_install_filled.bmp", 40}, {"pb_install_empty.bmp", 50},
};

struct Powerbars : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        own_data = host_user_dir() + "/powerbar-data";
        fs::remove_all(own_data);
        host_set_data_dir(own_data);
        for (const auto& f : k_files) write_bar(f.name, f.colour);
        paint_screen(7);
    }
    void TearDown() override
    {
        reset_front_end_graphics();
        host_set_data_dir("");
        std::error_code ec;
        fs::remove_all(own_data, ec);
        Controls::TearDown();
    }
    static void write_bar(const char* name, uint8_t colour)
    {
        KitPicture p = kit_picture(4, 2, colour);
        p.at(1, 0) = 0;
        const fs::path file = host_data_file((std::string(POWERBAR_DIRECTORY) + name).c_str());
        fs::create_directories(file.parent_path());
        const std::vector<uint8_t> bytes = kit_bmp(p, 8, std::vector<uint32_t>(256, 0x808080));
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    static void paint_screen(uint8_t colour)
    {
        uint8_t* p = lock_screen_surface(0);
        std::memset(p, colour, static_cast<size_t>(screen.pitch) * screen.height);
        unlock_screen_surface(0, p);
    }
    // The two rows of the four columns at (x, y) as text, one digit pair a pixel.
    static std::string at(int32_t x, int32_t y, int32_t columns = 4)
    {
        std::string out;
        uint8_t* p = lock_screen_surface(0);
        for (int32_t r = 0; r < 2; ++r) {
            for (int32_t c = 0; c < columns; ++c) out += std::to_string(p[(y + r) * screen.pitch + x + c]) + " ";
            out += "/ ";
        }
        unlock_screen_surface(0, p);
        return out;
    }
    control* add_bar(uint32_t kind, int32_t* value, int32_t x, int32_t y)
    {
        control* t = new_slider_template(value, 0, 100, x, y, 1);
        make_powerbar_template(t, kind, 4, 2);
        return add_from_template(screen_list, nullptr, t);
    }
    std::string own_data;
};

TEST_F(Powerbars, TheFillCopiesColumnsAndTheRestIsClearedOrLeft)
{
    PowerbarImage image{};
    ASSERT_EQ(load_powerbar_image(&image, "pb_red.bmp"), 1);
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(load_powerbar_image(&image, "pb_green.bmp"), 1) << "a loaded record is not read again";
    EXPECT_EQ(image.pixels[0], 30);
    struct Case {
        int32_t percent;
        bool clear, mirror;
        const char* want;
    } cases[] = {
        {100, false, false, "30 7 30 30 / 30 30 30 30 / "},
        {0, false, false, "7 7 7 7 / 7 7 7 7 / "},
        {0, true, false, "254 254 254 254 / 254 254 254 254 / "},
        {50, true, false, "30 7 254 254 / 30 30 254 254 / "},
        {74, true, false, "30 7 254 254 / 30 30 254 254 / "}, // 2.96 columns: two
        {75, true, false, "30 7 30 254 / 30 30 30 254 / "},
        {50, true, true, "254 254 7 30 / 254 254 30 30 / "},
        {100, false, true, "30 30 7 30 / 30 30 30 30 / "},
    };
    for (const Case& c : cases) {
        paint_screen(7);
        draw_powerbar_image(&image, 10, 20, c.percent, c.clear, c.mirror);
        EXPECT_EQ(at(10, 20), c.want) << c.percent << "% clear " << c.clear << " mirror " << c.mirror;
    }
    // Off the screen's edges nothing is written out of bounds.
    draw_powerbar_image(&image, -2, static_cast<int32_t>(screen.height) - 1, 100, true, false);
    draw_powerbar_image(&image, static_cast<int32_t>(screen.width) - 1, -1, 100, true, true);
    release_powerbar_image(&image);
    EXPECT_EQ(image.loaded, 0);
    EXPECT_EQ(image.pixels, nullptr);
    release_powerbar_image(&image); // twice is harmless
}

TEST_F(Powerbars, AMissingOrBrokenImageLeavesTheBarUndrawn)
{
    PowerbarImage image{};
    EXPECT_EQ(load_powerbar_image(&image, "nothing.bmp"), 0);
    const fs::path broken = host_data_file((std::string(POWERBAR_DIRECTORY) + "broken.bmp").c_str());
    std::ofstream(broken, std::ios::binary) << "not a bitmap";
    EXPECT_EQ(load_powerbar_image(&image, "broken.bmp"), 0);
    draw_powerbar_image(&image, 10, 20, 100, true, false);
    EXPECT_EQ(at(10, 20), "7 7 7 7 / 7 7 7 7 / ");
    EXPECT_EQ(load_powerbar_image(&image, nullptr), 1) << "no name is the plain powerbar";
    EXPECT_EQ(image.pixels[0], 10);
    release_powerbar_image(&image);
}

// Each kind draws its images through a bar control: one image cleared past
// its fill, or two layers, the first full.
TEST_F(Powerbars, EachKindDrawsItsImagesThroughItsBarControl)
{
    struct Case {
        uint32_t kind;
        const char* want; // at 50%
    } cases[] = {
        {POWERBAR_PLAIN, "10 7 254 254 / 10 10 254 254 / "},
        {POWERBAR_PLAIN_SECOND, "10 7 254 254 / 10 10 254 254 / "},
        {POWERBAR_RED, "30 7 254 254 / 30 30 254 254 / "},
        {POWERBAR_GREEN, "20 7 254 254 / 20 20 254 254 / "},
        {POWERBAR_GREEN_RED, "30 7 20 20 / 30 30 20 20 / "},
        {POWERBAR_INSTALL, "40 7 50 50 / 40 40 50 50 / "},
    };
    for (const Case& c : cases) {
        paint_screen(7);
        int32_t value = 50;
        control* bar = add_bar(c.kind, &value, 30, 40);
        update_control_list(screen_list);
        EXPECT_EQ(at(30, 40), c.want) << "kind " << c.kind;
        delete_control(screen_list, &bar);
        for (const PowerbarImage& image : powerbar_images) EXPECT_EQ(image.loaded, 0) << "kind " << c.kind << " freed";
    }
}

TEST_F(Powerbars, BarsOfAKindShareTheirImagesUntilTheLastIsDeleted)
{
    int32_t value = 100;
    control* a = add_bar(POWERBAR_GREEN_RED, &value, 0, 0);
    control* b = add_bar(POWERBAR_GREEN_RED, &value, 0, 10);
    control* red = add_bar(POWERBAR_RED, &value, 0, 20);
    delete_control(screen_list, &a);
    paint_screen(7);
    update_control_list(screen_list);
    EXPECT_EQ(at(0, 10), "30 7 30 30 / 30 30 30 30 / ") << "the other bar still draws";
    delete_control(screen_list, &b);
    EXPECT_EQ(at(0, 20), "30 7 30 30 / 30 30 30 30 / ");
    paint_screen(7);
    update_control_list(screen_list);
    EXPECT_EQ(at(0, 20), "30 7 30 30 / 30 30 30 30 / ") << "the red bar keeps the image it shares with kind 4";
    delete_control(screen_list, &red);
    for (const PowerbarImage& image : powerbar_images) EXPECT_EQ(image.loaded, 0);
}

TEST_F(Powerbars, ABarFollowsItsValueAndAnUnknownKindDrawsNothing)
{
    int32_t value = 100;
    add_bar(POWERBAR_RED, &value, 0, 0);
    update_control_list(screen_list);
    EXPECT_EQ(at(0, 0), "30 7 30 30 / 30 30 30 30 / ");
    value = 25;
    update_control_list(screen_list);
    EXPECT_EQ(at(0, 0), "30 254 254 254 / 30 254 254 254 / ") << "what the bar no longer fills is cleared";
    value = 200;
    update_control_list(screen_list);
    EXPECT_EQ(value, 100) << "the toolkit holds the value to its range";
    int32_t other = 50;
    paint_screen(7);
    add_bar(9, &other, 50, 50);
    update_control_list(screen_list);
    EXPECT_EQ(at(50, 50), "7 7 7 7 / 7 7 7 7 / ");
}

TEST_F(Powerbars, TheEditorsAttributeSlidersArePlainPowerbars)
{
    reset_editor_widgets();
    for (int i = 0; i < ATTRIBUTE_SLIDERS; ++i) editor_widgets.attributes[i] = attribute_slider_rows[i].maximum;
    create_attribute_sliders();
    EXPECT_EQ(powerbar_images[0].users, ATTRIBUTE_SLIDERS);
    paint_screen(7);
    update_control_list(editor_widgets.controls);
    EXPECT_EQ(at(attribute_slider_rows[0].x, attribute_slider_rows[0].y), "10 7 10 10 / 10 10 10 10 / ");
    reset_editor_widgets();
    EXPECT_EQ(powerbar_images[0].loaded, 0);
}

} // namespace

// The hardware path: each image is an overlay bar of the same look, drawn
// with its top left at the bar's position.
#include "gl3d/gl_fixture.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "lib/tca_writer.h"

namespace {

// A club's portraits come from the kit once and stay; a number past the
// league's, or no load flag, only clears the current slots.
TEST_F(FrontEnd, PortraitsLoadOnceForAClubAndOnlyClearTheSlotsOtherwise)
{
    reset_sprite_sets();
    load_team_portraits(3, 0, 1);
    const int32_t set = portrait_handles[3];
    ASSERT_GE(set, 0) << portrait_set_path(3);
    EXPECT_EQ(current_portrait_set, set);
    const int32_t sets = sprite_set_count();
    load_team_portraits(3, 0, 1);
    EXPECT_EQ(portrait_handles[3], set);
    EXPECT_EQ(sprite_set_count(), sets) << "the same club's set is not loaded twice";
    for (auto [team, flag] : {std::pair{16, 1}, std::pair{3, 0}, std::pair{-1, 1}}) {
        current_portrait_set = second_portrait_set = third_portrait_set = 7;
        load_team_portraits(team, 0, flag);
        EXPECT_EQ(current_portrait_set, -1) << team << " " << flag;
        EXPECT_EQ(second_portrait_set, -1);
        EXPECT_EQ(third_portrait_set, -1);
        EXPECT_EQ(sprite_set_count(), sets);
    }
    reset_sprite_sets();
}

} // namespace

namespace {

struct HardwarePowerbars : GlFixture {
    void SetUp() override
    {
        GlFixture::SetUp();
        sprite_hardware_switch = 1;
        reset_hw_camera();
        update_hw_camera(4.0f / 3.0f);
        own_data = host_user_dir() + "/powerbar-hw-data";
        fs::remove_all(own_data);
        host_set_data_dir(own_data);
        for (const char* name : {"pb_plain", "barmulti", "barred", "install1", "install2"}) write_model(name);
        create_list(&list);
    }
    void TearDown() override
    {
        free_control_tree(&list);
        reset_front_end_graphics();
        sprite_hardware_switch = 0;
        host_set_data_dir("");
        std::error_code ec;
        fs::remove_all(own_data, ec);
        GlFixture::TearDown();
    }
    static void write_model(const char* name)
    {
        TcaFileData f;
        TcaMeshData m;
        m.texture = "NONE.TGA";
        m.name = m.node_name = "bar";
        m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
        m.normals = m.vertices;
        m.facets = {{0, 1, 2, 0}, {1, 3, 2, 0}};
        m.uvs = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        f.meshes.push_back(m);
        const fs::path file = host_data_file((std::string("3d display\\tcas\\") + name + ".tca").c_str());
        fs::create_directories(file.parent_path());
        const std::vector<uint8_t> bytes = write_tca(f);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    control* add_bar(uint32_t kind, int32_t* value)
    {
        control* t = nullptr;
        create_control(CONTROL_SLIDER, &t);
        A_SLIDER_CONTROL* s = slider_record(t);
        s->settings.value = value;
        s->settings.maximum = 100;
        make_powerbar_template(t, kind, 84, 10);
        control* c = nullptr;
        create_control_from_template(list, nullptr, CONTROL_SLIDER, t, &c);
        free_control_data(&t);
        return c;
    }
    // The screen box of each drawn batch: left, top, right, bottom.
    std::vector<std::array<float, 4>> drawn_boxes()
    {
        std::vector<std::array<float, 4>> out;
        for (const RecordedCall& d : device.of_kind(RecordedCall::DRAW)) {
            std::array<float, 4> box{1e9f, 1e9f, -1e9f, -1e9f};
            for (const HostTLVertex& v : d.vertices)
                box = {std::min(box[0], v.x), std::min(box[1], v.y), std::max(box[2], v.x), std::max(box[3], v.y)};
            out.push_back(box);
        }
        return out;
    }
    control_list* list = nullptr;
    std::string own_data;
};

TEST_F(HardwarePowerbars, EachLayerIsAnOverlayBarFromTheTopLeftFilledToItsPercent)
{
    int32_t value = 50;
    control* single = add_bar(POWERBAR_RED, &value);
    control* pair = add_bar(POWERBAR_INSTALL, &value);
    EXPECT_EQ(powerbar_images[3].loaded, 1) << "red";
    EXPECT_EQ(powerbar_images[4].loaded + powerbar_images[5].loaded, 2) << "the installer's pair";
    device.forget();
    begin_scene();
    draw_powerbar_control(single, 100, 200, 84, 10, 50);
    draw_powerbar_control(pair, 100, 300, 84, 10, 25);
    end_scene();
    const auto boxes = drawn_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    const float want[3][4] = {{100, 200, 142, 210}, {100, 300, 184, 310}, {100, 300, 121, 310}};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(boxes[size_t(i)][size_t(k)], want[i][k], 1.0f) << "batch " << i << " edge " << k;
    delete_control(list, &pair);
    EXPECT_EQ(powerbar_images[4].loaded + powerbar_images[5].loaded, 0) << "released with its control";
    EXPECT_EQ(powerbar_images[3].loaded, 1);
}

} // namespace
