// The message pump with the program's own message filter: minimising, CD
// music and the quit message.
#include "host/host_test_hooks.h"

#include "app/startup.h"
#include "gl3d/display_device.h"
#include "gl3d/window_shell.h"
#include "host/cd_drive.h"
#include "host/events.h"
#include "platform/cd_audio.h"
#include "platform/exit_trap.h"
#include "platform/message_pump.h"
#include "screen/screen_flip.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class MessagePump : public testing::Test {
protected:
    void SetUp() override
    {
        // A shell window left by a start-up test would take the close
        // message for its own.
        glw_destroy_window();
        host_pump_events();
        host_clear_messages();
        set_window_message_hook(app_message_filter);
        app_active = 1;
        app_suspended = 0;
        screen_needs_redraw = 0;
        music_paused = 0;
        cd_music_on = 0;
    }
    void TearDown() override
    {
        host_cd_insert_test_disc(0);
        close_cd_audio();
        host_clear_messages();
        app_active = 1;
        app_suspended = 0;
    }
    // Minimises the program now and brings it back after a script delay.
    void minimise_then_restore()
    {
        std::string path = testing::TempDir() + "kob_restore.txt";
        std::ofstream(path) << "30 focus on\n";
        std::string error;
        ASSERT_TRUE(host_load_event_script(path, &error)) << error;
        host_post_message(HostMessage{HOST_WM_SYSCOMMAND, HOST_SC_MINIMIZE, 0});
        host_post_message(HostMessage{HOST_WM_ACTIVATE, 0x10000, 0});
    }
};

} // namespace

TEST_F(MessagePump, WaitsWhileMinimisedAndAsksForARedrawAfter)
{
    minimise_then_restore();
    pump_messages();
    EXPECT_FALSE(host_event_script_pending()); // it waited for the focus to come back
    EXPECT_EQ(app_active, 1u);
    EXPECT_EQ(app_suspended, 0u);
    EXPECT_EQ(screen_needs_redraw, 1u);
    EXPECT_EQ(restore_pending, 0u);
}

TEST_F(MessagePump, CdMusicResumesOnlyWhenWanted)
{
    host_cd_insert_test_disc(5);
    open_cd_audio();
    play_cd_track(2);
    minimise_then_restore();
    pump_messages();
    EXPECT_EQ(host_cd_test_log(), "status tracks\nset time format tmsf\nplay from 2 to 3\npause\n");
    EXPECT_EQ(music_paused, 1u);

    host_cd_insert_test_disc(5);
    open_cd_audio();
    music_flag_on();
    play_cd_track(5); // the last track plays to the end
    minimise_then_restore();
    pump_messages();
    EXPECT_EQ(host_cd_test_log(),
              "status tracks\nset time format tmsf\nplay from 5\npause\nset time format tmsf\nplay from 5\n");
    EXPECT_EQ(music_paused, 0u);
}

TEST_F(MessagePump, NoDiscMeansNoMusicAndNoError)
{
    EXPECT_EQ(open_cd_audio(), 0u);
    EXPECT_EQ(cd_device, 0u);
    play_cd_track(1);
    EXPECT_EQ(cd_media_present(), 0u);
    EXPECT_TRUE(cd_status_failed());
}

TEST_F(MessagePump, AQuitMessageEndsTheProcessWithOne)
{
    host_post_message(HostMessage{HOST_WM_CLOSE, 0, 0}); // the default handling posts the quit
    Ending e = run_trapped([] { pump_messages(); });
    EXPECT_EQ(e.code, 1);
}

