// Smoke run of the 32-bit product: it starts, launches on a press and ends on a double-click.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

// Every 32-bit process start is emulated on the build machines and takes about a minute.
const DWORD kEmulatedTimeoutMs = 600000;

TEST(Smoke, StartsLaunchesAndEnds) {
    MarkerLog log;
    std::string folder = MakeFolder("smoke");
    std::string marker = folder + "\\marker.exe";
    CopyMarkerTo(marker);
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("\"" + marker + "%/n C:\\a b.txt\" -dSmoke 0"));
    char className[32] = {};
    GetClassNameA(tray.window, className, sizeof className);
    EXPECT_STREQ(kContractName, className);
    EXPECT_FALSE(IsWindowVisible(tray.window));

    tray.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kEmulatedTimeoutMs);
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(folder, launches[0].currentDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, launches[0].show);
    std::vector<std::string> expected = {"/n", "C:\\a", "b.txt"};
    EXPECT_EQ(expected, launches[0].arguments);

    EXPECT_EQ(0u, tray.EndByRightDoubleClick(kEmulatedTimeoutMs));
}

} // namespace
