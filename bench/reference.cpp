// Reference: the least a program can do for the same job, as the yardstick for the benchmark.
#include <windows.h>

#include <shellapi.h>

static UINT callbackMessage;

static LRESULT CALLBACK ReferenceWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == callbackMessage && lParam == WM_LBUTTONDOWN) {
        ShellExecuteA(window, NULL, "marker.exe", "x", NULL, SW_SHOWNORMAL);
        return 1;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ReferenceWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TrayLnch";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "TrayLnch", "TrayLnch", 0, 0, 0, 0, 0, NULL, NULL, instance, NULL);
    callbackMessage = RegisterWindowMessageA("TrayLnch");
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 4711;
    icon.uFlags = NIF_MESSAGE | NIF_ICON;
    icon.uCallbackMessage = callbackMessage;
    icon.hIcon = LoadIconA(NULL, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    Shell_NotifyIconA(NIM_ADD, &icon);
    MSG message = {};
    while (GetMessageA(&message, NULL, 0, 0)) {
        DispatchMessageA(&message);
    }
    Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
