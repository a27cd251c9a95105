// Tray launcher entry: the hidden window, its message loop and its window procedure.
#include "traylnch.h"

#include <limits.h>
#include <stdlib.h>

#include "../settings/launch_settings.h"

TrayState trayState;
bool ansiLeadBytes[256];

// One call gives all lead-byte ranges; a single-byte code page has none.
static void ReadAnsiLeadBytes() {
    CPINFO info = {};
    if (!GetCPInfo(CP_ACP, &info)) {
        return;
    }
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (int byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; byte++) {
            ansiLeadBytes[byte] = true;
        }
    }
}

// C runtimes disagree on how "" inside quotes splits, so the program splits its own
// command line instead of trusting argv, and behaves alike on every runtime.
static char** SplitProcessCommandLine(int* argc) {
    char moduleName[MAX_PATH] = {};
    const char* line = GetCommandLineA();
    if (*line == '\0') {
        // One byte short, so the name stays terminated even when the path is cut.
        GetModuleFileNameA(NULL, moduleName, MAX_PATH - 1);
        line = moduleName;
    }
    CommandLineSize size = MeasureCommandLine(line, ansiLeadBytes);
    size_t vectorBytes = (size.argumentCount + 1) * sizeof(char*);
    char** argv = static_cast<char**>(malloc(vectorBytes + size.textBytes));
    if (!argv) {
        return NULL;
    }
    SplitCommandLine(line, ansiLeadBytes, argv, reinterpret_cast<char*>(argv) + vectorBytes);
    *argc = size.argumentCount > INT_MAX ? INT_MAX : static_cast<int>(size.argumentCount);
    return argv;
}

static LRESULT CALLBACK TrayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == trayState.callbackMessage) {
        switch (lParam) {
        case WM_LBUTTONDOWN:
            LaunchTarget();
            return 1;
        case WM_RBUTTONDBLCLK:
            RemoveTrayIcon();
            exit(0);
        }
    }
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        // Validated, so that a window someone else shows cannot repaint in a busy loop.
        ValidateRect(window, NULL);
        return 0;
    case WM_CREATE:
    case WM_SIZE:
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Stands in for the runtime's own start-up split, so a failure here ends the
    // process the way the runtime's would.
    ReadAnsiLeadBytes();
    int argc = 0;
    char** argv = SplitProcessCommandLine(&argc);
    if (!argv) {
        return 255;
    }

    trayState.instance = instance;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = TrayWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.lpszClassName = kAppName;
    if (!RegisterClassA(&windowClass)) {
        return 0;
    }

    // Never shown: it exists only to receive the notification area's callbacks.
    HWND window = CreateWindowExA(0, kAppName, kAppName, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                                  instance, NULL);
    if (!window) {
        return 0;
    }
    trayState.mainWindow = window;

    ParseLaunchSettings(argc, argv, ansiLeadBytes);
    AddTrayIcon();

    MSG message = {};
    while (GetMessageA(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    RemoveTrayIcon();
    return 0;
}
