// The software display's record: modes, drivers, the choice between them,
// the device with its fall-backs and texture formats, the palette flags.
#include "sw_fixture.h"

#include "platform/command_line.h"

#include <cstring>

namespace {

struct FakeDriver {
    const char* name;
    sw_device_desc hardware, emulation;
};

struct FakeMachine {
    std::vector<std::array<int32_t, 3>> modes;
    std::vector<FakeDriver> drivers;
    std::vector<sw_pixel_format> formats;
    int32_t working_kind = 0;
    std::vector<int32_t> kinds_tried;
};
FakeMachine machine;

const SwDisplayServices k_fake{
    [](SwModeCallback cb, void* c) {
        for (const auto& m : machine.modes)
            if (!cb(m[0], m[1], m[2], c)) return;
    },
    [](SwDriverCallback cb, void* c) {
        uint8_t guid[16] = {};
        for (const FakeDriver& d : machine.drivers)
            if (!cb(guid, d.name, d.name, d.hardware, d.emulation, c)) return;
    },
    [](SwTextureFormatCallback cb, void* c) {
        for (const sw_pixel_format& f : machine.formats)
            if (!cb(f, c)) return;
    },
    [](int32_t kind, Surface* target) {
        machine.kinds_tried.push_back(kind);
        return kind == machine.working_kind ? sw_device_create(target, kind) : 0;
    },
    [](void*, int32_t* x, int32_t* y, int32_t* w, int32_t* h) {
        *x = 100;
        *y = 50;
        *w = 800;
        *h = 600;
    },
};

const sw_device_desc k_none{};
const sw_device_desc k_mono{SW_COLOR_MODEL_MONO, 0, DDBD_8 | DDBD_16, 0};
const sw_device_desc k_rgb{SW_COLOR_MODEL_RGB, SW_PTEXTURECAPS_PERSPECTIVE, DDBD_16 | DDBD_32, DDBD_16};
const sw_device_desc k_only32{SW_COLOR_MODEL_RGB, 0, DDBD_32, 0};

class DisplayStateTest : public SwTest {
protected:
    void SetUp() override
    {
        SwTest::SetUp();
        machine = FakeMachine{};
        set_sw_display_services(&k_fake);
        reset_display_state(nullptr, 3, 4);
    }
};

} // namespace

TEST_F(DisplayStateTest, ModesAreListedSortedAndChosen)
{
    machine.modes = {{640, 480, 8}, {1280, 1024, 16}, {640, 480, 16}, {800, 600, 16}, {640, 480, 32}};
    enum_display_modes();
    const DisplayState& s = display_state;
    ASSERT_EQ(s.mode_count, 4); // 1280 x 1024 is not listed
    const int32_t expect[4][3] = {{640, 480, 32}, {800, 600, 16}, {640, 480, 16}, {640, 480, 8}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s.modes[i].width, expect[i][0]) << i;
        EXPECT_EQ(s.modes[i].height, expect[i][1]) << i;
        EXPECT_EQ(s.modes[i].bits, expect[i][2]) << i;
    }
    EXPECT_EQ(s.chosen_mode, 3);
    EXPECT_EQ(s.current_mode.bits, 8);

    machine.modes = {{640, 480, 16}, {800, 600, 16}};
    enum_display_modes();
    EXPECT_EQ(display_state.chosen_mode, 0);
    EXPECT_EQ(display_state.current_mode.width, 800);

    machine.modes.assign(51, {640, 480, 16});
    enum_display_modes();
    EXPECT_EQ(display_state.mode_count, 50);
}

TEST_F(DisplayStateTest, TheBestDriverAndItsMode)
{
    struct Case {
        const char* what;
        std::vector<FakeDriver> drivers;
        int32_t best;
    };
    const Case cases[] = {
        {"hardware over both software drivers", {{"plain", k_none, k_rgb}, {"mono", k_none, k_mono}, {"hal", k_rgb, k_none}}, 2},
        {"mono over plain software", {{"plain", k_none, k_rgb}, {"mono", k_none, k_mono}}, 1},
        {"the first of equals", {{"a", k_none, k_rgb}, {"b", k_none, k_rgb}}, 0},
    };
    for (const Case& c : cases) {
        machine.drivers = c.drivers;
        reset_display_state(nullptr, 0, 0);
        int32_t d = SW_CHOOSE, m = SW_CHOOSE;
        machine.modes = {{640, 480, 16}};
        enum_display_modes();
        EXPECT_EQ(enum_d3d_drivers(&d, &m), 1) << c.what;
        EXPECT_EQ(d, c.best) << c.what;
        EXPECT_EQ(m, 0) << c.what;
    }

    machine.drivers.assign(6, FakeDriver{"x", k_none, k_mono});
    reset_display_state(nullptr, 0, 0);
    int32_t d = SW_CHOOSE, m = SW_CHOOSE;
    enum_d3d_drivers(&d, &m);
    EXPECT_EQ(display_state.driver_count, 5);
}

TEST_F(DisplayStateTest, ChoosingDriverAndModeTogether)
{
    machine.modes = {{640, 480, 8}, {640, 480, 32}, {1024, 768, 32}};
    machine.drivers = {{"mono", k_none, k_mono}, {"only32", k_only32, k_none}};
    enum_display_modes(); // sorted: 1024x768x32, 640x480x32, 640x480x8
    ASSERT_EQ(display_state.chosen_mode, 2);

    // Exclusive start-up: the chosen 8-bit mode picks the driver.
    int32_t d = SW_CHOOSE, m = 2;
    ASSERT_EQ(enum_d3d_drivers(&d, &m), 1);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(display_state.client_width, 640);

    // A given driver that cannot draw the given mode: the mode is chosen afresh.
    d = 1;
    m = 2;
    ASSERT_EQ(enum_d3d_drivers(&d, &m), 1);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(m, 0);

    // Windowed: no driver draws at the desktop's depth, so a mode is chosen.
    exclusive_mode = 0;
    d = 0;
    m = SW_WINDOWED;
    ASSERT_EQ(enum_d3d_drivers(&d, &m), 1);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(display_state.client_x, 100);
    EXPECT_EQ(display_state.client_width, 800);
    exclusive_mode = 1;

    // Nothing can draw any listed mode: the choice fails instead of yielding -100.
    machine.modes = {{640, 480, 8}};
    machine.drivers = {{"only32", k_only32, k_none}};
    reset_display_state(nullptr, 0, 0);
    enum_display_modes();
    d = SW_CHOOSE;
    m = 0;
    EXPECT_EQ(enum_d3d_drivers(&d, &m), 0);
    EXPECT_EQ(d, SW_NONE_FOUND);
}

TEST_F(DisplayStateTest, DeviceFallsBackAndChoosesATextureFormat)
{
    machine.modes = {{640, 480, 8}, {640, 480, 16}};
    machine.drivers = {{"mono", k_none, k_mono}};
    machine.working_kind = 2;
    machine.formats = {
        {SW_PF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0},          // chosen first
        {SW_PF_RGB | SW_PF_ALPHAPIXELS, 16, 0xF00, 0xF0, 0xF, 0xF000}, // skipped
        {SW_PF_PALETTEINDEXED8, 8, 0, 0, 0, 0},
        {SW_PF_RGB, 16, 0, 0x07E0, 0x001F, 0},                // an empty mask: skipped
        {SW_PF_PALETTEINDEXED4, 4, 0, 0, 0, 0},               // the last palettised wins
        {SW_PF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    };
    enum_display_modes();
    int32_t d = SW_CHOOSE, m = SW_CHOOSE;
    ASSERT_EQ(enum_d3d_drivers(&d, &m), 1);
    ASSERT_EQ(start_d3d_device(target), 1);
    EXPECT_EQ(machine.kinds_tried, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(sw_device.kind, 2);
    EXPECT_EQ(display_state.device_ready, 1);
    const DisplayState& s = display_state;
    ASSERT_EQ(s.texture_format_count, 4);
    EXPECT_EQ(s.texture_formats[0].red_bits, 5);
    EXPECT_EQ(s.texture_formats[0].green_bits, 6);
    EXPECT_EQ(s.chosen_texture_format, 2);
    EXPECT_EQ(current_texture_format.index_bits, 4);
    EXPECT_EQ(s.modes[0].renderable, 1); // 16 bits
    EXPECT_EQ(s.modes[1].renderable, 1); // 8 bits
    EXPECT_EQ(s.current_mode.renderable, 1);

    machine.formats.assign(60, sw_pixel_format{SW_PF_PALETTEINDEXED8, 8, 0, 0, 0, 0});
    enum_texture_formats_again();
    EXPECT_EQ(display_state.texture_format_count, 50);

    machine.working_kind = 5; // no device at all
    EXPECT_EQ(start_d3d_device(target), 0);
}

TEST_F(DisplayStateTest, PaletteFlagsFollowTheDisplayKind)
{
    Surface* deep = surface_new(16, 16, 16, 0xF800, 0x07E0, 0x001F, 0);
    EXPECT_EQ(attach_display_palette(deep), 1);
    EXPECT_EQ(palette_attached, 0);
    surface_delete(deep);

    exclusive_mode = 1;
    attach_display_palette(target);
    EXPECT_EQ(palette_attached, 1);
    EXPECT_EQ(sw_palette_flags[0], 0x40);
    EXPECT_EQ(sw_palette_flags[9], 0x40);
    EXPECT_EQ(sw_palette_flags[10], 0x41);
    EXPECT_EQ(sw_palette_flags[245], 0x41);
    EXPECT_EQ(sw_palette_flags[246], 0x40);
    exclusive_mode = 0;
    attach_display_palette(target);
    EXPECT_EQ(sw_palette_flags[100], 0x80);
    exclusive_mode = 1;

    reset_display_state(nullptr, 7, 8);
    EXPECT_EQ(palette_attached, 0);
    EXPECT_EQ(display_state.size_words[0], 7);
    EXPECT_EQ(sw_device.target, nullptr);
}
