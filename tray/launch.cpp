// Launch on click: asks the shell to open the target in its own folder.
#include "../app/traylnch.h"

#include <shellapi.h>

#include "../settings/launch_settings.h"
#include "working_directory.h"

const char kLaunchErrorText[] = "Error by execute program";

void LaunchTarget() {
    const LaunchSettings& s = launchSettings;
    char directory[kTargetCapacity] = {};
    bool hasDirectory = DeriveWorkingDirectory(s.target, ansiLeadBytes, directory);
    HINSTANCE result = ShellExecuteA(trayState.mainWindow, NULL, s.target, s.parameters,
                                     hasDirectory ? directory : NULL, SW_SHOWNORMAL);
    // Values up to 32 are error codes; the box is modal, so the icon keeps answering
    // while it is open.
    if (reinterpret_cast<UINT_PTR>(result) <= 32) {
        MessageBoxA(NULL, kLaunchErrorText, kAppName, MB_ICONERROR);
    }
}
