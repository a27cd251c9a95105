// The test kit's entry: finds the program, runs every check this Windows supports in a folder
// of its own, says why it skips the others, and leaves nothing behind.
#include <gtest/gtest.h>

#include "harness.h"

#include <stdio.h>

// Usage: traylnch-tests [--as-on-windows] [TRAYLNCH.EXE] [gtest options]
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL,
         asOnWindows = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--as-on-windows") == 0) {
            asOnWindows = true;
        } else {
            SetTrayLauncherPath(argv[i]);
        }
    }
    underWine = wine && !asOnWindows;
    printf("traylnch tests: %s, on %s, in %s\n", TrayLauncherPath().c_str(),
           wine ? (asOnWindows ? "Wine, run as on Windows" : "Wine") : "Windows", KitFolder().c_str());
    {
        // Whether this notification area takes the icon at all, which the results hang on.
        TrayProcess probe;
        bool shown = probe.Start("") && TrayHoldsIcon(probe.window, kContractIconId, 10000);
        printf("the notification area %s the program's icon\n", shown ? "holds" : "does not hold");
    }
    int status = RUN_ALL_TESTS();
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    for (int i = 0; i < run.total_test_suite_count(); i++) {
        for (int j = 0; j < run.GetTestSuite(i)->total_test_count(); j++) {
            const testing::TestInfo& test = *run.GetTestSuite(i)->GetTestInfo(j);
            if (test.result()->Skipped()) {
                // The reason follows the word "Skipped" on a line of its own.
                std::string why = test.result()->GetTestPartResult(0).message();
                printf("skip: %s.%s: %s\n", test.test_suite_name(), test.name(),
                       why.substr(why.find('\n') + 1).c_str());
            }
        }
    }
    // Windows keeps the icon of a copy ended by force until the pointer passes over it.
    int forced = CountForcedEnds();
    printf(forced ? "FAIL: %d copies were ended by force, leaving their icons in the tray\n"
                  : "every copy ended its own way, leaving no icon in the tray\n",
           forced);
    bool removed = RemoveKitFolder();
    printf("%s\n", removed ? "the kit's folder is removed" : "FAIL: the kit's folder could not be removed");
    int leftovers = !removed + (forced > 0);
    printf("%d passed, %d failed, %d skipped\n", run.successful_test_count(),
           run.failed_test_count() + leftovers, run.skipped_test_count());
    return status || leftovers;
}
