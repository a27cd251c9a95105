// Tray launcher: the process-wide state and the operations shared by the Windows side.
#ifndef TRAYLNCH_TRAYLNCH_H
#define TRAYLNCH_TRAYLNCH_H

#include <windows.h>

// Window class, window title, callback message and error caption. Other programs find
// the window and register the same message by this name.
const char kAppName[] = "TrayLnch";

// The notification-area identifier of the one icon each copy shows.
const UINT kTrayIconId = 4711;

struct TrayState {
    HINSTANCE instance;
    HWND mainWindow;
    UINT callbackMessage; // 0 until AddTrayIcon has registered it
};

// Process-wide; complete before the message loop starts.
extern TrayState trayState;

// The ANSI code page's lead bytes, for every rule that walks a text: filled once, first
// thing, and only read afterwards.
extern bool ansiLeadBytes[256];

void AddTrayIcon();
void RemoveTrayIcon();
void LaunchTarget();

#endif
