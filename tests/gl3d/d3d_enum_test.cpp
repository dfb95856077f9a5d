// Device choice over fake enumerations, and the driver dialog.
#include "gl3d/d3d.h"
#include "host/host_test_hooks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Driver = RecordingDisplayProvider::Driver;

HostDriverDesc driver_desc(const char* description, bool secondary, bool windowed_capable)
{
    HostDriverDesc d{};
    d.has_guid = secondary;
    d.guid[0] = secondary ? 0x55 : 0;
    std::strcpy(d.description, description);
    std::strcpy(d.name, "driver");
    d.caps2 = windowed_capable ? HOST_CAPS2_CANRENDERWINDOWED : 0;
    d.opens = true;
    return d;
}

class EnumTest : public ::testing::Test {
protected:
    void SetUp() override { host_set_display_provider(&provider); }
    void TearDown() override
    {
        free_driver_list();
        host_set_display_provider(nullptr);
    }
    std::string selected_name()
    {
        d3d_device* device = nullptr;
        if (get_selected(nullptr, &device) != D3D_OK || !device) return "";
        return device->name;
    }
    uint32_t selected_windowed()
    {
        d3d_device* device = nullptr;
        get_selected(nullptr, &device);
        return device ? device->windowed : 99;
    }

    RecordingDisplayProvider provider;
    static inline const HostDeviceDesc k_rgb = RecordingDisplayProvider::software_device("RGB Emulation", D3D_RGB_DEVICE_GUID);
    static inline const HostDeviceDesc k_ref = RecordingDisplayProvider::software_device("Reference Rasterizer", D3D_REF_DEVICE_GUID);
};

TEST_F(EnumTest, DefaultChoiceIsTheWindowedHardwareDevice)
{
    provider.desktop = {640, 480, 16};
    provider.drivers.push_back({driver_desc("Primary", false, true),
                                {RecordingDisplayProvider::hardware_device("HAL", 1), k_rgb},
                                {{640, 480, 16}, {800, 600, 16}}});
    EXPECT_EQ(enum_ddraw_drivers(nullptr), D3D_OK);
    EXPECT_EQ(selected_name(), "HAL");
    EXPECT_EQ(selected_windowed(), 1u);
    d3d_device* device = nullptr;
    get_selected(nullptr, &device);
    EXPECT_STREQ(device->current_mode->text, "640 x 480 x 16");

    // After a hardware failure: the first software device that runs windowed.
    EXPECT_EQ(select_d3d_device(SELECT_NO_HARDWARE, nullptr), D3D_OK);
    EXPECT_EQ(selected_name(), "RGB Emulation");
    EXPECT_EQ(selected_windowed(), 1u);
    // Without windowed passes: full screen.
    EXPECT_EQ(select_d3d_device(SELECT_NO_WINDOWED, nullptr), D3D_OK);
    EXPECT_EQ(selected_name(), "HAL");
    EXPECT_EQ(selected_windowed(), 0u);
}

TEST_F(EnumTest, SoftwareFallbackIsFullScreenWhenNothingRunsWindowed)
{
    provider.desktop = {640, 480, 24}; // no mode of the desktop's depth
    provider.drivers.push_back({driver_desc("Primary", false, true), {k_rgb}, {{640, 480, 16}}});
    EXPECT_EQ(enum_ddraw_drivers(nullptr), D3D_OK);
    EXPECT_EQ(select_d3d_device(SELECT_NO_HARDWARE, nullptr), D3D_OK);
    EXPECT_EQ(selected_name(), "RGB Emulation");
    EXPECT_EQ(selected_windowed(), 0u);
}

TEST_F(EnumTest, FailureCodes)
{
    auto refuse_all = [](const HostDriverDesc*, const HostRenderCaps*) { return -1; };
    // No devices at all.
    provider.drivers.push_back({driver_desc("Primary", false, true), {}, {{640, 480, 16}}});
    EXPECT_EQ(enum_ddraw_drivers(nullptr), D3DERR_ENUMERATION_FAILED);
    // Every device refused, the reference rasterizer among them.
    provider.drivers[0].devices = {RecordingDisplayProvider::hardware_device("HAL", 1), k_ref};
    EXPECT_EQ(enum_ddraw_drivers(refuse_all), D3DERR_NO_DIRECT3D_DEVICES);
    provider.drivers[0].devices = {RecordingDisplayProvider::hardware_device("HAL", 1)};
    EXPECT_EQ(enum_ddraw_drivers(refuse_all), D3DERR_NO_COMPATIBLE_DEVICES);
}

TEST_F(EnumTest, ModesAreFilteredAndEmptyDevicesAndDriversDropped)
{
    HostDeviceDesc only16 = RecordingDisplayProvider::hardware_device("Only16", 2);
    only16.hardware.render_bit_depths = HOST_BITDEPTH_16;
    provider.drivers.push_back({driver_desc("Primary", false, true), {only16},
                                {{320, 200, 8}, {800, 600, 32}, {640, 480, 16}, {1024, 768, 16}}});
    provider.drivers.push_back({driver_desc("Eight bit card", true, false),
                                {RecordingDisplayProvider::hardware_device("Old", 3)}, {{640, 480, 8}}});
    EXPECT_EQ(enum_ddraw_drivers(nullptr), D3D_OK);
    d3d_driver* drivers = driver_list();
    ASSERT_NE(drivers, nullptr);
    EXPECT_EQ(drivers->next, nullptr); // the 8-bit card had nothing left
    std::string modes;
    for (d3d_mode* m = drivers->devices->modes; m; m = m->next) modes += std::string(m->text) + ";";
    EXPECT_EQ(modes, "640 x 480 x 16;1024 x 768 x 16;");
    EXPECT_STREQ(drivers->devices->current_mode->text, "640 x 480 x 16");
}

TEST_F(EnumTest, ChoosingBySavedRecordSecondaryDriverAndNamedDevices)
{
    provider.drivers.push_back({driver_desc("Primary", false, true),
                                {RecordingDisplayProvider::hardware_device("HAL", 1), k_rgb, k_ref},
                                {{640, 480, 16}, {800, 600, 16}}});
    provider.drivers.push_back({driver_desc("Add-on card", true, false),
                                {RecordingDisplayProvider::hardware_device("Add-on HAL", 4)}, {{640, 480, 16}}});
    ASSERT_EQ(enum_ddraw_drivers(nullptr), D3D_OK);

    devconfig_record record{};
    std::strcpy(record.driver, "Primary");
    std::strcpy(record.mode, "800 x 600 x 16");
    record.valid = 1;
    EXPECT_EQ(select_d3d_device(SELECT_SAVED, &record), D3D_OK);
    d3d_device* device = nullptr;
    get_selected(nullptr, &device);
    EXPECT_EQ(std::string(device->name), "HAL");
    EXPECT_STREQ(device->current_mode->text, "800 x 600 x 16");

    std::strcpy(record.mode, "1 x 1 x 16");
    EXPECT_EQ(select_d3d_device(SELECT_SAVED, &record), D3DERR_NO_MATCH);
    EXPECT_EQ(select_d3d_device(SELECT_SECONDARY, nullptr), D3D_OK);
    EXPECT_EQ(selected_name(), "Add-on HAL");
    EXPECT_EQ(select_d3d_device(SELECT_RGB, nullptr), D3D_OK);
    EXPECT_EQ(selected_name(), "RGB Emulation");
    EXPECT_EQ(select_d3d_device(SELECT_REFERENCE, nullptr), D3D_OK);
    EXPECT_EQ(selected_name(), "Reference Rasterizer");
}

TEST_F(EnumTest, TheDialogOffersWindowedModeOnlyOnThePrimaryDriver)
{
    provider.desktop = {640, 480, 16};
    provider.drivers.push_back({driver_desc("Primary", false, true),
                                {RecordingDisplayProvider::hardware_device("HAL", 1)}, {{640, 480, 16}, {800, 600, 16}}});
    provider.drivers.push_back({driver_desc("Add-on card", true, true),
                                {RecordingDisplayProvider::hardware_device("Add-on HAL", 4)}, {{640, 480, 16}}});
    ASSERT_EQ(enum_ddraw_drivers(nullptr), D3D_OK);

    D3dDialogState s;
    d3d_dialog_init(&s);
    ASSERT_EQ(s.counts[0], 2);
    ASSERT_EQ(s.counts[2], 3);
    EXPECT_STREQ(s.lists[2][0].text, "Windowed mode");
    EXPECT_EQ(s.selected[2], 0); // windowed is the current choice

    d3d_dialog_select(&s, DIALOG_DRIVER_LIST, 1);
    ASSERT_EQ(s.counts[2], 1);
    EXPECT_STREQ(s.lists[2][0].text, "640 x 480 x 16");
    EXPECT_STREQ(s.lists[1][0].text, "Add-on HAL");
}

TEST_F(EnumTest, TheDialogCommitsOnlyAChangedChoice)
{
    provider.desktop = {640, 480, 16};
    provider.drivers.push_back({driver_desc("Primary", false, true),
                                {RecordingDisplayProvider::hardware_device("HAL", 1)}, {{640, 480, 16}, {800, 600, 16}}});
    ASSERT_EQ(enum_ddraw_drivers(nullptr), D3D_OK);

    d3d_set_dialog_runner([](D3dDialogState* s) { return d3d_dialog_end(s, DIALOG_OK); });
    EXPECT_EQ(d3d_driver_dialog(nullptr, 1), 2);
    d3d_set_dialog_runner([](D3dDialogState* s) {
        d3d_dialog_select(s, DIALOG_MODE_LIST, 2); // "800 x 600 x 16"
        return d3d_dialog_end(s, DIALOG_CANCEL);
    });
    EXPECT_EQ(d3d_driver_dialog(nullptr, 1), 2);
    EXPECT_EQ(selected_windowed(), 1u);
    d3d_set_dialog_runner([](D3dDialogState* s) {
        d3d_dialog_select(s, DIALOG_MODE_LIST, 2);
        return d3d_dialog_end(s, DIALOG_OK);
    });
    EXPECT_EQ(d3d_driver_dialog(nullptr, 1), 1);
    d3d_device* device = nullptr;
    get_selected(nullptr, &device);
    EXPECT_EQ(device->windowed, 0u);
    EXPECT_STREQ(device->current_mode->text, "800 x 600 x 16");
    d3d_set_dialog_runner(nullptr);

    free_driver_list();
    EXPECT_EQ(d3d_driver_dialog(nullptr, 1), -1);
}

} // namespace
