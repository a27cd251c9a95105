// Launch on click: what the shell is asked to start, where, and what happens when it cannot.
#include <gtest/gtest.h>

#include "harness.h"

#include <algorithm>

namespace {

const DWORD kLaunchTimeoutMs = 20000;

TEST(Launch, FolderTargetOpensWithoutError) {
    std::string folder = MakeFolder("a folder");
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("\"" + folder + "\\\\\""));
    tray.Notify(WM_LBUTTONDOWN);
    HWND folderWindow = WaitForWindowTitled("a folder", kLaunchTimeoutMs);
    EXPECT_NE(nullptr, folderWindow);
    EXPECT_EQ(nullptr, tray.WaitForErrorBox(500));
    // The folder window would outlive the test and hold on to its folder. Its process goes too
    // where it is not the shell's own: Wine starts one for each folder, and it stays.
    DWORD owner = 0, shell = 0;
    GetWindowThreadProcessId(folderWindow, &owner);
    GetWindowThreadProcessId(FindWindowA("Shell_TrayWnd", NULL), &shell);
    PostMessageA(folderWindow, WM_CLOSE, 0, 0);
    HANDLE process = owner != shell ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, owner) : NULL;
    if (process && WaitForSingleObject(process, 5000) == WAIT_TIMEOUT) {
        TerminateProcess(process, 0);
    }
    CloseHandle(process);
    EXPECT_EQ(0u, tray.EndByRightDoubleClick(kLaunchTimeoutMs));
}

// Runs only where the ANSI code page is 932, in which these characters end in 0x5C,
// the backslash byte. Files are made from the Windows side, so their names are right.
TEST(DoubleByte, TargetStartsInItsOwnFolderAndTheTipKeepsWholeCharacters) {
    if (GetACP() != 932) {
        return Skip("the ANSI code page is " + std::to_string(GetACP()) + ", not 932");
    }
    std::string folder = KitFolder() + "\\" SJIS_SO "\x83\x74\x83\x67"; // ソフト
    CreateDirectoryA(folder.c_str(), NULL);
    folder += "\\" SJIS_HYO;
    CreateDirectoryA(folder.c_str(), NULL);
    std::string marker = folder + "\\" SJIS_NO SJIS_SUSURU SJIS_MAN ".exe";
    CopyMarkerTo(marker);
    std::string tail = Repeat(SJIS_HYO, 26);
    MarkerLog log;
    TrayProcess tray;
    // The quoted tip text ends in a 0x5C byte right before its closing quote.
    ASSERT_TRUE(tray.Start("\"" + marker + "%x\" \"-d" SJIS_HYO SJIS_HYO SJIS_HYO SJIS_HYO + tail + "\"",
                           nullptr, TrayLauncherPath(), true));
    tray.Notify(WM_LBUTTONDOWN);
    std::vector<Launch> launches = log.WaitForLaunches(1, kLaunchTimeoutMs);
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(marker, launches[0].module);
    EXPECT_EQ(folder, launches[0].currentDirectory);
    EXPECT_EQ(0u, tray.EndByRightDoubleClick(kLaunchTimeoutMs));
    std::vector<std::string> calls = tray.Calls();
    EXPECT_EQ(1,
              std::count(calls.begin(), calls.end(),
                         "Shell_NotifyIconA(0,{size,wnd,id,7,name,LoadIconA,\"Start: ..." + tail + "\"})"));
}

} // namespace
