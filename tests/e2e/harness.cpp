// Test harness: process control, window lookup and marker records for the end-to-end tests.
#include "harness.h"

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <functional>

// The marker and the call trace are built next to the test programs.
static std::string BesideTests(const char* name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(NULL, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.rfind('\\') + 1) + name;
}

bool underWine = false;
std::string trayLauncher;
int forcedEnds = 0;

std::string TrayLauncherPath() {
    return trayLauncher.empty() ? BesideTests("traylnch.exe") : trayLauncher;
}

std::string MarkerPath() {
    return BesideTests("marker.exe");
}

// A copy still running is ended its own way, so that it leaves no icon behind.
TrayProcess::~TrayProcess() {
    if (info.hProcess) {
        if (IsRunning() && (!window || EndByRightDoubleClick(5000) == STILL_ACTIVE)) {
            TerminateProcess(info.hProcess, 99);
            forcedEnds++;
            WaitForSingleObject(info.hProcess, 5000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

void TrayProcess::Notify(LPARAM mouseMessage, WPARAM iconId) const {
    static const UINT callback = RegisterWindowMessageA(kContractName);
    PostMessageA(window, callback, iconId, mouseMessage);
}

DWORD TrayProcess::WaitForExit(DWORD timeoutMs) const {
    if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &status);
    return status;
}

DWORD TrayProcess::EndByRightDoubleClick(DWORD timeoutMs) const {
    Notify(WM_RBUTTONDBLCLK);
    return WaitForExit(timeoutMs);
}

struct WindowSearch {
    const std::function<bool(HWND)>* matches;
    HWND found;
};

// A named function, not a lambda: 32-bit callbacks use the stdcall convention.
static BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    if ((*search->matches)(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Polls the top-level windows until one satisfies matches, or timeoutMs has passed.
static HWND WaitForWindow(const std::function<bool(HWND)>& matches, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search = {&matches, NULL};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start > timeoutMs) {
            return search.found;
        }
        Sleep(5);
    }
}

static bool IsProcessWindow(HWND window, DWORD processId, const char* className, const char* title) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char actualClass[64] = {}, actualTitle[64] = {};
    GetClassNameA(window, actualClass, sizeof actualClass);
    GetWindowTextA(window, actualTitle, sizeof actualTitle);
    return owner == processId && strcmp(actualClass, className) == 0 && strcmp(actualTitle, title) == 0;
}

static HWND WaitForProcessWindow(DWORD processId, const char* className, const char* title, DWORD timeoutMs) {
    return WaitForWindow([&](HWND window) { return IsProcessWindow(window, processId, className, title); },
                         timeoutMs);
}

// Runs LoadLibraryA in the suspended child, on a thread of its own, so that the trace's
// DllMain wraps the imports before the program's first instruction.
static bool LoadCallTrace(HANDLE process) {
    std::string dll = BesideTests("calltrace.dll");
    void* remote = VirtualAllocEx(process, NULL, dll.size() + 1, MEM_COMMIT, PAGE_READWRITE);
    void* load = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
    HANDLE thread = WriteProcessMemory(process, remote, dll.c_str(), dll.size() + 1, NULL)
                        ? CreateRemoteThread(process, NULL, 0, LPTHREAD_START_ROUTINE(load), remote, 0, NULL)
                        : NULL;
    DWORD module = 0;
    bool loaded =
        thread && WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &module);
    CloseHandle(thread);
    return loaded && module;
}

bool TrayProcess::Start(const std::string& arguments, const char* currentDirectory,
                        const std::string& program, bool traced) {
    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) {
        line += " " + arguments;
    }
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (traced) {
        traceLog = MakeFolder("trace") + "\\calls-" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(traceLog.c_str());
        SetEnvironmentVariableA("TRAYLNCH_TRACE_LOG", traceLog.c_str());
    }
    if (!CreateProcessA(program.c_str(), buffer.data(), NULL, NULL, FALSE, traced ? CREATE_SUSPENDED : 0,
                        NULL, currentDirectory, &startup, &info) ||
        (traced && !(LoadCallTrace(info.hProcess) && ResumeThread(info.hThread) == 1))) {
        printf("the program could not be started: error %lu\n", GetLastError());
        return false;
    }
    window = WaitForProcessWindow(info.dwProcessId, kContractName, kContractName, 60000);
    if (!window) {
        printf("the program made no window in a minute: status %lu\n", WaitForExit(0));
    }
    return window != NULL;
}

std::vector<std::string> TrayProcess::Calls() const {
    std::vector<std::string> calls;
    std::ifstream file(traceLog.c_str(), std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        calls.push_back(line.substr(0, line.find('\r')));
    }
    return calls;
}

HWND TrayProcess::WaitForErrorBox(DWORD timeoutMs) const {
    return WaitForProcessWindow(info.dwProcessId, "#32770", kContractName, timeoutMs);
}

// One snapshot of all windows: stepping through them a call at a time can miss one while
// others change their order.
int TrayProcess::CountErrorBoxes() const {
    int boxes = 0;
    std::function<bool(HWND)> count = [&](HWND window) {
        boxes += IsProcessWindow(window, info.dwProcessId, "#32770", kContractName);
        return false;
    };
    WindowSearch search = {&count, NULL};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return boxes;
}

std::string TrayProcess::PressForErrorBox(DWORD timeoutMs) const {
    Notify(WM_LBUTTONDOWN);
    HWND box = WaitForErrorBox(timeoutMs);
    if (!box) {
        return "no error box";
    }
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    // What else a user sees: an icon beside the text (which one, only the call trace tells:
    // the handle STM_GETICON answers belongs to the box's process), and no owner window.
    HWND icon = NULL;
    while ((icon = FindWindowExA(box, icon, "Static", NULL)) != NULL &&
           !((GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(icon) &&
             SendMessageA(icon, STM_GETICON, 0, 0))) {
    }
    std::string seen =
        std::string(text) + (icon ? "" : " (no icon)") + (GetWindow(box, GW_OWNER) ? " (owned)" : "");
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < 5000) {
        Sleep(20);
    }
    return IsWindow(box) ? "the box stayed open" : seen;
}

HWND WaitForWindowTitled(const char* part, DWORD timeoutMs) {
    return WaitForWindow(
        [&](HWND window) {
            char title[256] = {};
            GetWindowTextA(window, title, sizeof title);
            return IsWindowVisible(window) && strstr(title, part) != nullptr;
        },
        timeoutMs);
}

// The paths of the files in folder whose names match pattern.
static std::vector<std::string> ListFiles(const std::string& folder, const char* pattern) {
    std::vector<std::string> paths;
    WIN32_FIND_DATAA entry = {};
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            paths.push_back(folder + "\\" + entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    return paths;
}

std::string KitFolder() {
    static std::string folder;
    if (folder.empty()) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "traylnch-tests-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), NULL);
    }
    return folder;
}

static void RemoveTree(const std::string& folder) {
    // Names never end in a dot on Windows, so this passes over "." and "..".
    for (const std::string& path : ListFiles(folder, "*")) {
        if (path.back() != '.' && !DeleteFileA(path.c_str())) {
            RemoveTree(path);
        }
    }
    RemoveDirectoryA(folder.c_str());
}

// A shell may still hold a folder for a moment after its window has gone.
bool RemoveKitFolder() {
    for (int tries = 0; tries < 50 && GetFileAttributesA(KitFolder().c_str()) != INVALID_FILE_ATTRIBUTES;
         tries++) {
        RemoveTree(KitFolder());
        Sleep(tries ? 100 : 0);
    }
    return GetFileAttributesA(KitFolder().c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string MakeFolder(const std::string& name) {
    std::string folder = KitFolder() + "\\" + name;
    // A folder left by an earlier run is emptied, so old records cannot be counted.
    for (const std::string& path : ListFiles(folder, "*")) {
        DeleteFileA(path.c_str());
    }
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

void CopyMarkerTo(const std::string& path) {
    CopyFileA(MarkerPath().c_str(), path.c_str(), FALSE);
}

MarkerLog::MarkerLog() {
    static int serial = 0;
    folder = MakeFolder("marker-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++));
    SetEnvironmentVariableA("TRAYLNCH_MARKER_DIR", folder.c_str());
}

MarkerLog::~MarkerLog() {
    SetEnvironmentVariableA("TRAYLNCH_MARKER_DIR", NULL);
}

size_t MarkerLog::CountLaunches() const {
    return ListFiles(folder, "launch-*.txt").size();
}

static Launch ReadLaunch(const std::string& path) {
    Launch launch;
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string show, argument;
    std::getline(std::getline(std::getline(file, launch.module), launch.currentDirectory), show);
    std::getline(file, launch.commandLine);
    launch.show = show.empty() ? -2 : atoi(show.c_str());
    while (std::getline(file, argument)) {
        launch.arguments.push_back(argument);
    }
    return launch;
}

std::vector<Launch> MarkerLog::WaitForLaunches(size_t count, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    while (CountLaunches() < count && GetTickCount() - start < timeoutMs) {
        Sleep(20);
    }
    std::vector<Launch> launches;
    for (const std::string& path : ListFiles(folder, "launch-*.txt")) {
        launches.push_back(ReadLaunch(path));
    }
    return launches;
}

// A modify without flags changes nothing, and the tray answers TRUE only for an icon it holds
// under that window and identifier.
bool TrayHoldsIcon(HWND window, UINT id, DWORD timeoutMs) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = id;
    for (DWORD start = GetTickCount(); !Shell_NotifyIconA(NIM_MODIFY, &record); Sleep(20)) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
    }
    return true;
}
