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

TEST(Launch, ParametersPassUnchanged) {
    std::string folder = MakeFolder("with blanks");
    std::string marker = folder + "\\my marker.exe";
    CopyMarkerTo(marker);
    // Blanks, further percent signs and quotes inside the parameters reach the target as written.
    Launch launch = LaunchOnce("\"" + marker + "%/n C:\\a b.txt 50%off \\\"q r\\\"\"");
    EXPECT_EQ(folder, launch.currentDirectory);
    EXPECT_TRUE(EndsWith(launch.commandLine, " /n C:\\a b.txt 50%off \"q r\"")) << launch.commandLine;
    std::vector<std::string> expected = {"/n", "C:\\a", "b.txt", "50%off", "q r"};
    EXPECT_EQ(expected, launch.arguments);
}

TEST(Launch, DriveRootTargetStartsInTheRoot) {
    CopyMarkerTo("C:\\traylnch-marker.exe");
    Launch launch = LaunchOnce("C:\\traylnch-marker.exe%root");
    EXPECT_EQ("C:\\", launch.currentDirectory);
    EXPECT_EQ(std::vector<std::string>{"root"}, launch.arguments);
    DeleteFileA("C:\\traylnch-marker.exe");
}

TEST(Launch, TargetWithoutBackslashStartsInTheCurrentFolder) {
    std::string folder = MakeFolder("nobackslash");
    CreateDirectoryA((folder + "\\sub").c_str(), NULL);
    CopyMarkerTo(folder + "\\sub\\marker.exe");
    // Forward slashes are not folder separators for the working-directory rule.
    Launch launch = LaunchOnce("sub/marker.exe%x", folder.c_str());
    EXPECT_EQ(folder, launch.currentDirectory);
    EXPECT_EQ(std::vector<std::string>{"x"}, launch.arguments);
}

TEST(Launch, TwoCopiesLaunchTheirOwnTargets) {
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
    first.Notify(WM_RBUTTONDBLCLK);
    second.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, first.WaitForExit(kLaunchTimeoutMs));
    EXPECT_EQ(0u, second.WaitForExit(kLaunchTimeoutMs));
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

void ExpectErrorBoxEachTime(const std::string& arguments) {
    TrayProcess tray;
    ASSERT_TRUE(tray.Start(arguments));
    for (int attempt = 0; attempt < 2; attempt++) {
        tray.Notify(WM_LBUTTONDOWN);
        HWND box = tray.WaitForErrorBox(kLaunchTimeoutMs);
        ASSERT_NE(nullptr, box) << "attempt " << attempt;
        DismissedBox dismissed = DismissErrorBox(box);
        EXPECT_EQ("Error by execute program", dismissed.text);
        EXPECT_TRUE(dismissed.onlyOk);
        EXPECT_TRUE(dismissed.closed);
        EXPECT_TRUE(tray.IsRunning());
    }
    tray.Notify(WM_RBUTTONDBLCLK);
    EXPECT_EQ(0u, tray.WaitForExit(kLaunchTimeoutMs));
}

TEST(LaunchError, MissingTargetShowsTheBox) {
    ExpectErrorBoxEachTime("C:\\no\\such\\program.exe%a");
}

TEST(LaunchError, EmptyTargetShowsTheBox) {
    ExpectErrorBoxEachTime("");
}

} // namespace
