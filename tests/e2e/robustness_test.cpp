// Robustness: extreme command lines, many copies, many launches and broken inputs.
#include <gtest/gtest.h>

#include "harness.h"

#include <psapi.h>

namespace {

const DWORD kTimeoutMs = 30000;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Starts a copy, presses once and ends it: what the one launch recorded.
Launch LaunchOnce(const std::string& arguments) {
    MarkerLog log;
    TrayProcess tray;
    EXPECT_TRUE(tray.Start(arguments));
    tray.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kTimeoutMs);
    EXPECT_EQ(0u, tray.EndByRightDoubleClick(kTimeoutMs));
    EXPECT_EQ(1u, launches.size());
    return launches.empty() ? Launch() : launches[0];
}

TEST(ExtremeCommandLines, NearTheLengthLimitAndAThousandArguments) {
    // The system's limit is 32,767 characters with the terminator.
    std::string longest = Quoted(MarkerPath() + "%long") + " -d";
    longest += std::string(32700 - TrayLauncherPath().size() - longest.size(), 'L');
    EXPECT_EQ(std::vector<std::string>{"long"}, LaunchOnce(longest).arguments);
    std::string many = Quoted(MarkerPath() + "%many") + " 0";
    for (int i = 0; i < 999; i++) {
        many += " -d" + std::to_string(i);
    }
    EXPECT_EQ(std::vector<std::string>{"many"}, LaunchOnce(many).arguments);
}

TEST(ExtremeCommandLines, ParametersAtAndPastTheirCapacity) {
    std::string fits(kFieldBytes, 'p');
    EXPECT_EQ(std::vector<std::string>{fits}, LaunchOnce(Quoted(MarkerPath() + "%" + fits)).arguments);
    MarkerLog log;
    for (const std::string& arguments :
         {Quoted(MarkerPath() + "%" + fits + "p"), Quoted(MarkerPath() + "%" + std::string(20000, 'p')),
          "C:\\" + std::string(30000, 't') + ".exe 0 " + std::string(1000, 'i')}) {
        TrayProcess tray;
        ASSERT_TRUE(tray.Start(arguments));
        EXPECT_EQ(kContractErrorText, tray.PressForErrorBox(kTimeoutMs));
        EXPECT_EQ(0u, tray.EndByRightDoubleClick(kTimeoutMs));
    }
    EXPECT_EQ(0u, log.CountLaunches());
}

TEST(ExtremeCommandLines, ControlAndHighBytesPassThrough) {
    const std::string parameters = "a\x01\x02\x1b\x7f"
                                   "b \xe4\xf6\xfc\xdf";
    std::string line =
        LaunchOnce(Quoted(MarkerPath() + "%" + parameters) + " \x01\x80\xff -d\x07\xe9").commandLine;
    EXPECT_EQ(parameters, line.substr(line.size() - std::min(line.size(), parameters.size()))) << line;
}

TEST(Load, TwentyCopiesSideBySideLaunchAndEndOnTheirOwn) {
    MarkerLog log;
    std::vector<TrayProcess> copies(20);
    std::vector<std::string> folders;
    for (size_t i = 0; i < copies.size(); i++) {
        folders.push_back(MakeFolder("copy-" + std::to_string(i)));
        CopyMarkerTo(folders[i] + "\\copy.exe");
        ASSERT_TRUE(copies[i].Start(Quoted(folders[i] + "\\copy.exe")));
        for (size_t j = 0; j < i; j++) {
            EXPECT_NE(copies[j].window, copies[i].window);
        }
    }
    // Each launches its own target in its own folder.
    for (size_t i : {7, 3}) {
        copies[i].Notify(WM_LBUTTONDOWN);
        std::vector<Launch> launches = log.WaitForLaunches(i == 7 ? 1 : 2, kTimeoutMs);
        ASSERT_EQ(i == 7 ? 1u : 2u, launches.size());
        int own = 0;
        for (const Launch& launch : launches) {
            own += launch.module == folders[i] + "\\copy.exe" && launch.currentDirectory == folders[i];
        }
        EXPECT_EQ(1, own) << "copy " << i;
    }
    // Each ends on its own.
    EXPECT_EQ(0u, copies[19].EndByRightDoubleClick(kTimeoutMs));
    EXPECT_TRUE(copies[0].IsRunning());
    for (TrayProcess& copy : copies) {
        copy.Notify(WM_RBUTTONDBLCLK);
    }
    for (TrayProcess& copy : copies) {
        EXPECT_EQ(0u, copy.WaitForExit(kTimeoutMs));
    }
}

// Private bytes: the commit charge, which Wine reports as the page-file usage only.
SIZE_T PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

TEST(Load, TwoHundredLaunchesInARow) {
    MarkerLog log;
    TrayProcess tray;
    ASSERT_TRUE(tray.Start(Quoted(MarkerPath() + "%x")));
    for (int i = 0; i < 10; i++) {
        tray.Notify(WM_LBUTTONDOWN);
    }
    ASSERT_EQ(10u, log.WaitForLaunches(10, 60000).size());
    size_t afterTen = PrivateBytes(tray.info.hProcess);
    ASSERT_GT(afterTen, 0u);
    DWORD start = GetTickCount();
    for (int i = 10; i < 200; i++) {
        tray.Notify(WM_LBUTTONDOWN);
    }
    // Still answering while the presses are worked off.
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(tray.window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result));
    EXPECT_EQ(200u, log.WaitForLaunches(200, 180000).size());
    DWORD elapsed = GetTickCount() - start;
    Sleep(1000);
    EXPECT_EQ(200u, log.CountLaunches());
    size_t afterTwoHundred = PrivateBytes(tray.info.hProcess);
    size_t growth = afterTwoHundred > afterTen ? afterTwoHundred - afterTen : 0;
    printf("190 launches in %lu ms; private bytes %zu after 10, %zu after 200 (growth %zu)\n", elapsed,
           afterTen, afterTwoHundred, growth);
    EXPECT_LE(growth, 64u * 1024u);
    EXPECT_EQ(0u, tray.EndByRightDoubleClick(kTimeoutMs));
}

TEST(Faults, FiftyPressesWhileTheBoxIsOpen) {
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("C:\\no\\such\\program.exe"));
    tray.Notify(WM_LBUTTONDOWN);
    ASSERT_NE(nullptr, tray.WaitForErrorBox(kTimeoutMs));
    for (int i = 0; i < 50; i++) {
        tray.Notify(WM_LBUTTONDOWN);
    }
    // Each press makes another attempt from inside the open box's loop. The count is taken
    // once it has stopped changing, so a box still being made cannot go uncounted.
    int boxes = 0, before = -1;
    DWORD start = GetTickCount();
    while ((boxes < 51 || boxes != before) && GetTickCount() - start < kTimeoutMs) {
        before = boxes;
        Sleep(250);
        boxes = tray.CountErrorBoxes();
    }
    EXPECT_EQ(51, boxes);
    EXPECT_TRUE(tray.IsRunning());
    EXPECT_EQ(0u, tray.EndByRightDoubleClick(kTimeoutMs));
}

} // namespace
