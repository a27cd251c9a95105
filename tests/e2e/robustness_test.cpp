// Robustness: extreme command lines, many copies, many launches and broken inputs.
#include <gtest/gtest.h>

#include "harness.h"

#include <psapi.h>

namespace {

const DWORD kTimeoutMs = 30000;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Ends the copy the way a user does and expects the status 0.
void EndWithRightDoubleClick(TrayProcess& tray) {
    tray.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, tray.WaitForExit(kTimeoutMs));
}

TEST(ExtremeCommandLines, NearTheLengthLimit) {
    MarkerLog log;
    TrayProcess tray;
    // The system's limit is 32,767 characters with the terminator.
    std::string arguments = Quoted(MarkerPath() + "%long") + " -d";
    arguments += std::string(32700 - TrayLauncherPath().size() - arguments.size(), 'L');
    ASSERT_TRUE(tray.Start(arguments));
    tray.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kTimeoutMs);
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(std::vector<std::string>{"long"}, launches[0].arguments);
    EndWithRightDoubleClick(tray);
}

TEST(ExtremeCommandLines, AThousandArguments) {
    MarkerLog log;
    TrayProcess tray;
    std::string arguments = Quoted(MarkerPath() + "%many") + " 0";
    for (int i = 0; i < 999; i++) {
        arguments += " -d" + std::to_string(i);
    }
    ASSERT_TRUE(tray.Start(arguments));
    tray.Notify(WM_LBUTTONDOWN);
    EXPECT_EQ(1u, log.WaitForLaunches(1, kTimeoutMs).size());
    EndWithRightDoubleClick(tray);
}

TEST(ExtremeCommandLines, ParametersAtAndPastTheirCapacity) {
    MarkerLog log;
    std::string fits(259, 'p');
    {
        TrayProcess tray;
        ASSERT_TRUE(tray.Start(Quoted(MarkerPath() + "%" + fits)));
        tray.Notify(WM_LBUTTONDOWN);
        std::vector<Launch> launches = log.WaitForLaunches(1, kTimeoutMs);
        ASSERT_EQ(1u, launches.size());
        EXPECT_EQ(std::vector<std::string>{fits}, launches[0].arguments);
        EndWithRightDoubleClick(tray);
    }
    for (size_t length : {260, 20000}) {
        TrayProcess tray;
        ASSERT_TRUE(tray.Start(Quoted(MarkerPath() + "%" + std::string(length, 'p'))));
        EXPECT_EQ(kContractErrorText, tray.PressForErrorBox(kTimeoutMs));
        EndWithRightDoubleClick(tray);
    }
    TrayProcess farTooLong;
    ASSERT_TRUE(farTooLong.Start("C:\\" + std::string(30000, 't') + ".exe 0 " + std::string(1000, 'i')));
    EXPECT_EQ(kContractErrorText, farTooLong.PressForErrorBox(kTimeoutMs));
    EndWithRightDoubleClick(farTooLong);
    EXPECT_EQ(1u, log.CountLaunches());
}

TEST(ExtremeCommandLines, ControlAndHighBytesPassThrough) {
    MarkerLog log;
    TrayProcess tray;
    const std::string parameters = "a\x01\x02\x1b\x7f"
                                   "b \xe4\xf6\xfc\xdf";
    ASSERT_TRUE(tray.Start(Quoted(MarkerPath() + "%" + parameters) + " \x01\x80\xff -d\x07\xe9"));
    tray.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kTimeoutMs);
    ASSERT_EQ(1u, launches.size());
    const std::string& line = launches[0].commandLine;
    EXPECT_EQ(parameters, line.substr(line.size() - parameters.size())) << line;
    EndWithRightDoubleClick(tray);
}

TEST(Load, TwentyCopiesSideBySide) {
    std::vector<TrayProcess> copies(20);
    for (size_t i = 0; i < copies.size(); i++) {
        ASSERT_TRUE(copies[i].Start("C:\\windows\\notepad.exe -dCopy" + std::to_string(i)));
        for (size_t j = 0; j < i; j++) {
            EXPECT_NE(copies[j].window, copies[i].window);
        }
    }
    for (TrayProcess& copy : copies) {
        copy.Notify(WM_RBUTTONDBLCLK);
    }
    for (TrayProcess& copy : copies) {
        EXPECT_EQ(0u, copy.WaitForExit(kTimeoutMs));
        EXPECT_FALSE(copy.IsRunning());
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
    SIZE_T afterTen = PrivateBytes(tray.info.hProcess);
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
    SIZE_T afterTwoHundred = PrivateBytes(tray.info.hProcess);
    SIZE_T growth = afterTwoHundred > afterTen ? afterTwoHundred - afterTen : 0;
    printf("190 launches in %lu ms; private bytes %zu after 10, %zu after 200 (growth %zu)\n", elapsed,
           afterTen, afterTwoHundred, growth);
    EXPECT_LE(growth, 64u * 1024u);
    EndWithRightDoubleClick(tray);
}

int CountErrorBoxes(DWORD processId) {
    struct Count {
        DWORD processId;
        int boxes;
    } count = {processId, 0};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            Count* c = reinterpret_cast<Count*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char className[16] = {};
            GetClassNameA(window, className, sizeof className);
            if (owner == c->processId && strcmp(className, "#32770") == 0) {
                c->boxes++;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.boxes;
}

TEST(Faults, FiftyPressesWhileTheBoxIsOpen) {
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("C:\\no\\such\\program.exe"));
    tray.Notify(WM_LBUTTONDOWN);
    ASSERT_NE(nullptr, tray.WaitForErrorBox(kTimeoutMs));
    for (int i = 0; i < 50; i++) {
        tray.Notify(WM_LBUTTONDOWN);
    }
    // Each press makes another attempt from inside the open box's loop.
    DWORD start = GetTickCount();
    while (CountErrorBoxes(tray.info.dwProcessId) < 51 && GetTickCount() - start < kTimeoutMs) {
        Sleep(50);
    }
    EXPECT_EQ(51, CountErrorBoxes(tray.info.dwProcessId));
    EXPECT_TRUE(tray.IsRunning());
    EndWithRightDoubleClick(tray);
}

} // namespace
