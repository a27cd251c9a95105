// Notification-area icon: adding the one icon with its picture and tip, and removing it.
#include "../app/traylnch.h"

#include <shellapi.h>

#include "../res/resource.h"
#include "../settings/launch_settings.h"
#include "tip_text.h"

// The first form of the shell's record, which every shell version accepts.
struct TrayIconRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[kTipCapacity];
};

static_assert(sizeof(TrayIconRecord) == NOTIFYICONDATAA_V1_SIZE, "first-form record layout");
#ifndef _WIN64
static_assert(sizeof(TrayIconRecord) == 88, "the 32-bit first-form record is 88 bytes");
#endif

static HICON ChooseIcon() {
    const LaunchSettings& s = launchSettings;
    HICON icon = NULL;
    if (s.iconFile[0] != '\0') {
        icon =
            static_cast<HICON>(LoadImageA(trayState.instance, s.iconFile, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    } else {
        // A negative index is handed on unchanged: the shell reads it as a resource id.
        icon = ExtractIconA(trayState.instance, s.target, static_cast<UINT>(s.iconIndex));
    }
    // ExtractIconA answers 1 for a file that is neither a program, a library nor an icon.
    if (icon == NULL || icon == reinterpret_cast<HICON>(1)) {
        icon = LoadIconA(trayState.instance, MAKEINTRESOURCEA(IDI_BUILTIN));
    }
    return icon;
}

static void FillRecord(TrayIconRecord* record) {
    record->cbSize = sizeof *record;
    record->hWnd = trayState.mainWindow;
    record->uID = kTrayIconId;
    record->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record->uCallbackMessage = trayState.callbackMessage;
}

// The shell's answers are deliberately ignored: without a tray the program still runs
// and can be ended by closing its hidden window.
void AddTrayIcon() {
    trayState.callbackMessage = RegisterWindowMessageA(kAppName);
    TrayIconRecord record = {};
    FillRecord(&record);
    record.hIcon = ChooseIcon();
    ComposeTipText(launchSettings.displayText, ansiLeadBytes, record.szTip);
    Shell_NotifyIconA(NIM_ADD, reinterpret_cast<NOTIFYICONDATAA*>(&record));
}

void RemoveTrayIcon() {
    TrayIconRecord record = {};
    FillRecord(&record);
    Shell_NotifyIconA(NIM_DELETE, reinterpret_cast<NOTIFYICONDATAA*>(&record));
}
