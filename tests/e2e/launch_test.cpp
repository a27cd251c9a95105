// Launch on click: what the shell is asked to start, where, and what happens when it cannot.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

const DWORD kLaunchTimeoutMs = 20000;

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

Launch LaunchOnce(const std::string& arguments, const char* currentDirectory = nullptr) {
    MarkerLog log;
    TrayProcess tray;
    EXPECT_TRUE(tray.Start(arguments, currentDirectory));
    tray.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kLaunchTimeoutMs);
    tray.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, tray.WaitForExit(kLaunchTimeoutMs));
    EXPECT_EQ(1u, launches.size());
    return launches.empty() ? Launch() : launches[0];
}

TEST(Launch, TypicalRun) {
    std::string folder = MakeFolder("typical");
    std::string marker = folder + "\\edit.exe";
    CopyMarkerTo(marker);
    Launch launch = LaunchOnce("\"" + marker + "%C:\\notes.txt\" -dNotes 0");
    EXPECT_STREQ(marker.c_str(), launch.module.c_str());
    EXPECT_EQ(folder, launch.currentDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, launch.show);
    EXPECT_TRUE(EndsWith(launch.commandLine, " C:\\notes.txt")) << launch.commandLine;
    EXPECT_EQ(std::vector<std::string>{"C:\\notes.txt"}, launch.arguments);
}

TEST(Launch, TwoCopiesLaunchTheirOwnTargetsAndEndOnTheirOwn) {
    MarkerLog log;
    std::string a = MakeFolder("copy-a") + "\\a.exe", b = MakeFolder("copy-b") + "\\b.exe";
    CopyMarkerTo(a);
    CopyMarkerTo(b);
    TrayProcess first, second;
    ASSERT_TRUE(first.Start("\"" + a + "%one\""));
    ASSERT_TRUE(second.Start("\"" + b + "%two\""));
    second.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kLaunchTimeoutMs);
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(b, launches[0].module);
    EXPECT_EQ(FolderOf(b), launches[0].currentDirectory);
    first.Notify(WM_LBUTTONDOWN);
    launches = log.WaitForLaunches(2, kLaunchTimeoutMs);
    ASSERT_EQ(2u, launches.size());
    int fromA = (launches[0].module == a) + (launches[1].module == a);
    EXPECT_EQ(1, fromA);
    // Each ends on its own.
    second.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, second.WaitForExit(kLaunchTimeoutMs));
    Sleep(300);
    EXPECT_TRUE(first.IsRunning());
    first.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, first.WaitForExit(kLaunchTimeoutMs));
}

TEST(Launch, FolderTargetOpensWithoutError) {
    std::string folder = MakeFolder("a folder");
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("\"" + folder + "\\\\\""));
    tray.Notify(WM_LBUTTONDOWN);
    HWND folderWindow = WaitForWindowTitled("a folder", kLaunchTimeoutMs);
    EXPECT_NE(nullptr, folderWindow);
    EXPECT_EQ(nullptr, tray.WaitForErrorBox(500));
    // The folder window would outlive the test and hold on to the test runner's output.
    PostMessageA(folderWindow, WM_CLOSE, 0, 0);
    tray.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, tray.WaitForExit(kLaunchTimeoutMs));
}

// Runs only in a session whose ANSI code page is 932, where these characters end in 0x5C,
// the backslash byte. Files are made from the Windows side, so their names are right.
TEST(DoubleByte, TargetStartsInItsOwnFolderAndTheTipKeepsWholeCharacters) {
    ASSERT_EQ(932u, GetACP()) << "this case needs a Wine session in code page 932";
    std::string folder = "C:\\" SJIS_SO "\x83\x74\x83\x67"; // C:\ソフト
    CreateDirectoryA(folder.c_str(), NULL);
    folder += "\\" SJIS_HYO;
    CreateDirectoryA(folder.c_str(), NULL);
    std::string marker = folder + "\\" SJIS_NO ".exe";
    CopyMarkerTo(marker);
    std::string tail;
    for (int i = 0; i < 26; i++) {
        tail += SJIS_HYO;
    }
    MarkerLog log;
    std::vector<std::string> tipsBefore = ReadTrayTips();
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("\"" + marker + "%x\" -d" SJIS_HYO SJIS_HYO SJIS_HYO SJIS_HYO + tail));
    EXPECT_EQ("Start: ..." + tail, WaitForNewTrayTip(tipsBefore, kLaunchTimeoutMs));
    tray.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kLaunchTimeoutMs);
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(marker, launches[0].module);
    EXPECT_EQ(folder, launches[0].currentDirectory);
    tray.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, tray.WaitForExit(kLaunchTimeoutMs));
}

} // namespace
