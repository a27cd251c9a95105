// Test harness: starts the tray launcher and drives it the way the shell would.
#ifndef TRAYLNCH_TESTS_HARNESS_H
#define TRAYLNCH_TESTS_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

// Paths handed over by the test registration, as Windows paths.
std::string TrayLauncherPath();
std::string MarkerPath();
std::string WindowsPath(const std::string& unixOrWindowsPath);

// One running copy of the tray launcher.
struct TrayProcess {
    PROCESS_INFORMATION info = {};
    HWND window = NULL;

    ~TrayProcess();
    bool Start(const std::string& arguments, const char* currentDirectory = nullptr,
               const std::string& program = TrayLauncherPath());
    // Posts a notification-area callback carrying mouseMessage, as the shell does.
    void Notify(LPARAM mouseMessage) const;
    // Exit status, or STILL_ACTIVE when it has not ended within timeoutMs.
    DWORD WaitForExit(DWORD timeoutMs) const;
    bool IsRunning() const;
    // The error box this copy shows, or NULL after timeoutMs.
    HWND WaitForErrorBox(DWORD timeoutMs) const;
};

// Finds the hidden window of the given process, waiting up to timeoutMs.
HWND FindTrayWindow(DWORD processId, DWORD timeoutMs);

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
    const std::string& Folder() const {
        return folder;
    }

  private:
    std::string folder;
};

// A folder under the prefix's temporary folder, created fresh.
std::string MakeFolder(const std::string& name);
void CopyMarkerTo(const std::string& path);
std::string ReadWindowText(HWND window, int childId);

// What an error box showed, and whether pressing its OK button closed it.
struct DismissedBox {
    std::string text;
    bool onlyOk = false;
    bool closed = false;
};
DismissedBox DismissErrorBox(HWND box);
// A visible top-level window of any process whose title contains part, or NULL.
HWND WaitForWindowTitled(const char* part, DWORD timeoutMs);

#endif
