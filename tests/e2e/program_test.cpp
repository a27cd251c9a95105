// The running program: its hidden window, its callbacks and both ways out.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

const DWORD kExitTimeoutMs = 20000;

TEST(HiddenWindow, HasTheRegisteredClassAndStaysHidden) {
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("C:\\windows\\notepad.exe"));
    char className[32] = {}, title[32] = {};
    GetClassNameA(tray.window, className, sizeof className);
    GetWindowTextA(tray.window, title, sizeof title);
    EXPECT_STREQ("TrayLnch", className);
    EXPECT_STREQ("TrayLnch", title);
    LONG style = GetWindowLongA(tray.window, GWL_STYLE);
    EXPECT_EQ(WS_OVERLAPPEDWINDOW, style & WS_OVERLAPPEDWINDOW);
    EXPECT_FALSE(IsWindowVisible(tray.window));
    // No CS_DBLCLKS: the shell, not the window, turns presses into double-clicks.
    EXPECT_EQ(static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW), GetClassLongA(tray.window, GCL_STYLE));
    RECT rect = {};
    GetWindowRect(tray.window, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    // The window manager widens a captioned window to its minimum tracking width.
    LONG minimumWidth = GetSystemMetrics(SM_CXMINTRACK);
    EXPECT_EQ(minimumWidth > 100 ? minimumWidth : 100, rect.right - rect.left);
    EXPECT_EQ(100, rect.bottom - rect.top);
}

TEST(WaysOut, RightDoubleClickEndsWithZero) {
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("C:\\windows\\notepad.exe -dNotes"));
    tray.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, tray.WaitForExit(kExitTimeoutMs));
}

TEST(WaysOut, ClosingTheWindowEndsWithZero) {
    TrayProcess tray;
    ASSERT_TRUE(tray.Start(""));
    PostMessageA(tray.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, tray.WaitForExit(kExitTimeoutMs));
}

TEST(Callbacks, OtherMouseMessagesDoNothing) {
    MarkerLog log;
    TrayProcess tray;
    ASSERT_TRUE(tray.Start("\"" + MarkerPath() + "\""));
    const LPARAM ignored[] = {WM_MOUSEMOVE,   WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                              WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_CONTEXTMENU, 0,
                              0x10206};
    for (LPARAM message : ignored) {
        tray.Notify(message);
    }
    // Another message number carrying a right double-click is not a callback.
    PostMessageA(tray.window, WM_USER + 1, 4711, WM_RBUTTONDBLCLK);
    Sleep(1500);
    EXPECT_TRUE(tray.IsRunning());
    EXPECT_EQ(0u, log.CountLaunches());
    // The window still answers, and the identifier in wParam does not matter.
    PostMessageA(tray.window, RegisterWindowMessageA("TrayLnch"), 1, WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, tray.WaitForExit(kExitTimeoutMs));
}

TEST(Copies, RunSideBySideAndEndOnTheirOwn) {
    TrayProcess first, second;
    ASSERT_TRUE(first.Start("C:\\windows\\notepad.exe -dFirst"));
    ASSERT_TRUE(second.Start("C:\\windows\\notepad.exe -dSecond"));
    EXPECT_NE(first.window, second.window);
    second.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, second.WaitForExit(kExitTimeoutMs));
    Sleep(300);
    EXPECT_TRUE(first.IsRunning());
    first.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, first.WaitForExit(kExitTimeoutMs));
}

} // namespace
