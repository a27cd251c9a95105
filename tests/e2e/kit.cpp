// The test kit's entry: finds the program, runs every check this Windows supports in a folder
// of its own, says why it skips the others, and leaves nothing behind.
#include <gtest/gtest.h>

#include "harness.h"

#include <stdio.h>

static int skips = 0;

void Skip(const std::string& why) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    printf("skip: %s.%s: %s\n", test->test_suite_name(), test->name(), why.c_str());
    skips++;
}

// The first line of a failure report. GetVersionExA answers as Windows 8 to a program without
// a manifest; RtlGetVersion tells the truth.
static void SayPlatform(HMODULE ntdll, const char* wine) {
    OSVERSIONINFOW v = {sizeof v, 0, 0, 0, 0, {}};
    reinterpret_cast<LONG(WINAPI*)(OSVERSIONINFOW*)>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))(&v);
    DWORD type = GetBinaryTypeA(TrayLauncherPath().c_str(), &type) ? type : ~0u;
    printf("Windows %lu.%lu build %lu%s%s, ANSI code page %u, program under test: %s\n", v.dwMajorVersion,
           v.dwMinorVersion, v.dwBuildNumber, wine ? ", Wine " : "", wine ? wine : "", GetACP(),
           type == SCS_32BIT_BINARY   ? "32-bit"
           : type == SCS_64BIT_BINARY ? "64-bit"
                                      : "not a Windows program");
}

// Usage: traylnch-tests [--as-on-windows] [TRAYLNCH.EXE] [gtest options]
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto wineVersion = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    bool asOnWindows = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--as-on-windows") == 0) {
            asOnWindows = true;
        } else {
            trayLauncher = argv[i];
        }
    }
    underWine = wineVersion && !asOnWindows;
    SayPlatform(ntdll, wineVersion ? wineVersion() : nullptr);
    printf("traylnch tests: %s, on %s, in %s\n", TrayLauncherPath().c_str(),
           wineVersion ? (asOnWindows ? "Wine, run as on Windows" : "Wine") : "Windows", KitFolder().c_str());
    {
        // Whether this notification area takes the icon at all, which the results hang on.
        TrayProcess probe;
        bool shown = probe.Start("") && TrayHoldsIcon(probe.window, kContractIconId, 10000);
        printf("the notification area %s the program's icon\n", shown ? "holds" : "does not hold");
    }
    int status = RUN_ALL_TESTS();
    // A copy ended by force leaves its icon in the tray until the pointer passes over it.
    printf(forcedEnds ? "FAIL: %d copies were ended by force, leaving their icons in the tray\n"
                      : "every copy ended its own way, leaving no icon in the tray\n",
           forcedEnds);
    bool removed = RemoveKitFolder();
    printf("%s\n", removed ? "the kit's folder is removed" : "FAIL: the kit's folder could not be removed");
    int leftovers = !removed + (forcedEnds > 0);
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    printf("%d passed, %d failed, %d skipped\n", run.successful_test_count(),
           run.failed_test_count() + leftovers, skips);
    return status || leftovers;
}
