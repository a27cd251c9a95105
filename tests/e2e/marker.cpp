// Marker target: records how it was started, so the tests can see what a launch passed on.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

// Writes one record file into %TRAYLNCH_MARKER_DIR%, a value a line: module, folder, show
// mode, command line, then each argument. Written under a temporary name and renamed, so a
// reader never sees half a record.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char directory[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TRAYLNCH_MARKER_DIR", directory, MAX_PATH)) {
        return 2;
    }
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    char module[MAX_PATH] = {};
    GetModuleFileNameA(NULL, module, MAX_PATH);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    char temporary[MAX_PATH * 2] = {};
    snprintf(temporary, sizeof temporary, "%s\\%lu.tmp", directory, GetCurrentProcessId());
    FILE* file = fopen(temporary, "wb");
    if (!file) {
        return 3;
    }
    fprintf(file, "%s\n%s\n%d\n%s\n", module, current, show, GetCommandLineA());
    for (int i = 1; i < __argc; i++) {
        fprintf(file, "%s\n", __argv[i]);
    }
    fclose(file);
    for (unsigned n = 0;; n++) {
        char final[MAX_PATH * 2] = {};
        snprintf(final, sizeof final, "%s\\launch-%lu-%u.txt", directory, GetCurrentProcessId(), n);
        if (MoveFileA(temporary, final)) {
            return 0;
        }
    }
}
