// The settings on the host: what the file and the command line say reaches
// the host, and what the player changes in the window is written back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "hosting/host_settings.h"
#include "options/settings_file.h"
#include "platform/headless/headless.h"
#include "platform/host.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(HostSettings, FileAndCommandLineReachTheHostAndChangesAreRemembered) {
    ResetEverything();
    char pattern[] = "/tmp/morvask-host-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path settings = fs::path(pattern) / "settings.ini";
    std::ofstream(settings) << "volume = 40\nscale_mode = sharp\npad_deadzone = 30\nhud = title\n";
    CommandLine line;
    line.fullscreen = true;
    line.fullscreenGiven = true;
    PutSettingsInForce(line, settings.string());

    const headless::HostRequests& asked = headless::RequestedOfHost();
    EXPECT_TRUE(asked.window.fullscreen) << "the command line lays over the file";
    EXPECT_EQ(asked.window.scaleMode, host::ScaleSharp);
    EXPECT_EQ(asked.volume, 40);
    EXPECT_EQ(asked.padDeadZone, 30);
    EXPECT_EQ(asked.statusPlace, host::StatusTitle);

    // + in the window: the host tells the settings, which save it at once.
    host::StepVolume(1);
    EXPECT_EQ(host::Volume(), 50);
    EXPECT_NE(ReadWholeFile(settings).find("volume = 50"), std::string::npos)
        << ReadWholeFile(settings);
    // The file's other choices survive the save.
    EXPECT_NE(ReadWholeFile(settings).find("scale_mode = sharp"), std::string::npos);
    host::StepVolume(10);
    EXPECT_EQ(host::Volume(), 100) << "the volume stops at full";
    fs::remove_all(pattern);
}

}  // namespace
