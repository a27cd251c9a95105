// Test harness: starts the tray launcher and drives it the way the shell would.
#ifndef TRAYLNCH_TESTS_HARNESS_H
#define TRAYLNCH_TESTS_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

#include "../contract.h"

// The program under test: the one named (trayLauncher), else traylnch.exe beside the tests.
extern std::string trayLauncher;
std::string TrayLauncherPath();
std::string MarkerPath();
// Whether checks that need Wine run: under Wine, unless the kit is asked to run as on Windows.
extern bool underWine;
// The kit's own folder in %TEMP%, where everything the tests write goes; removed at the end.
std::string KitFolder();
bool RemoveKitFolder();

// One running copy of the tray launcher.
struct TrayProcess {
    PROCESS_INFORMATION info = {};
    HWND window = NULL;
    std::string traceLog;

    ~TrayProcess();
    // traced: the call trace is loaded into the copy; Calls then reads the lines it wrote.
    bool Start(const std::string& arguments, const char* currentDirectory = nullptr,
               const std::string& program = TrayLauncherPath(), bool traced = false);
    std::vector<std::string> Calls() const;
    // Posts a notification-area callback carrying mouseMessage, as the shell does.
    void Notify(LPARAM mouseMessage, WPARAM iconId = kContractIconId) const;
    // Exit status, or STILL_ACTIVE when it has not ended within timeoutMs.
    DWORD WaitForExit(DWORD timeoutMs) const;
    // Ends the copy as a user does, by a right double-click on its icon; then as WaitForExit.
    DWORD EndByRightDoubleClick(DWORD timeoutMs) const;
    bool IsRunning() const {
        return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
    }
    // The error box this copy shows, or NULL after timeoutMs; and how many it has open.
    HWND WaitForErrorBox(DWORD timeoutMs) const;
    int CountErrorBoxes() const;
    // Presses the icon, expecting the error box: returns its text, with what is wrong with
    // its icon or owner, once its OK button has closed it, or says what went wrong.
    std::string PressForErrorBox(DWORD timeoutMs) const;
};

// What one start of the marker target recorded.
struct Launch {
    std::string module, currentDirectory, commandLine;
    int show = -2;
    std::vector<std::string> arguments;
};

// A fresh folder for marker records, announced to children through the environment.
class MarkerLog {
  public:
    MarkerLog();
    ~MarkerLog();
    // Waits until at least count launches are recorded, then returns all of them.
    std::vector<Launch> WaitForLaunches(size_t count, DWORD timeoutMs) const;
    size_t CountLaunches() const;

  private:
    std::string folder;
};

// A folder in the kit's folder, created fresh.
std::string MakeFolder(const std::string& name);
void CopyMarkerTo(const std::string& path);
// A visible top-level window of any process whose title contains part, or NULL.
HWND WaitForWindowTitled(const char* part, DWORD timeoutMs);
// Whether the tray holds an icon under this window and identifier, asked until timeoutMs.
bool TrayHoldsIcon(HWND window, UINT id, DWORD timeoutMs);
// How many copies had to be ended by TerminateProcess, each leaving a dead icon on Windows.
extern int forcedEnds;
// A check that this system cannot run: said on a "skip:" line with its reason, and counted.
void Skip(const std::string& why);

#endif
