// Working directory: the folder before the target's last backslash.
#include <gtest/gtest.h>

#include <string>

#include "../contract.h"
#include "working_directory.h"

namespace {

struct DirectoryCase {
    std::string target;
    bool hasDirectory;
    std::string directory;
};

void ExpectDirectory(const DirectoryCase& c, const bool* isLeadByte) {
    char directory[kTargetCapacity];
    memset(directory, 'x', sizeof directory);
    EXPECT_EQ(c.hasDirectory, DeriveWorkingDirectory(c.target.c_str(), isLeadByte, directory)) << c.target;
    if (c.hasDirectory) {
        EXPECT_EQ(c.directory, directory) << c.target;
    }
}

TEST(WorkingDirectory, IsTheTargetsFolder) {
    const DirectoryCase cases[] = {
        {"C:\\Tools\\edit.exe", true, "C:\\Tools"},
        {"\\\\server\\share\\app.exe", true, "\\\\server\\share"},
        {"C:\\Data\\", true, "C:\\Data"},
        {"C:\\a\\b\\c\\", true, "C:\\a\\b\\c"},
        {"..\\up\\x.exe", true, "..\\up"},
        {"\\root.exe", true, ""},
        // A drive's root keeps its backslash: "C:" alone means the drive's current folder.
        {"C:\\edit.exe", true, "C:\\"},
        {"d:\\", true, "d:\\"},
        {"A:\\x.exe", true, "A:\\"},
        {"z:\\x.exe", true, "z:\\"},
        {"C:\\Data\\x\\", true, "C:\\Data\\x"},
        {"1:\\x.exe", true, "1:"},
        // The longest targets, 515 bytes, one of them a folder.
        {"C:\\" + std::string(504, 'd') + "\\app.exe", true, "C:\\" + std::string(504, 'd')},
        {"C:\\" + std::string(kTargetBytes - 4, 'd') + "\\", true,
         "C:\\" + std::string(kTargetBytes - 4, 'd')},
        // No backslash, no directory: the launch starts in the current one.
        {"edit.exe", false, ""},
        {"C:/Tools/edit.exe", false, ""},
        {"C:edit.exe", false, ""},
        {"", false, ""},
    };
    // Without a lead byte in the text, the code page makes no difference.
    for (const DirectoryCase& c : cases) {
        ExpectDirectory(c, nullptr);
        ExpectDirectory(c, ShiftJisLeadBytes());
    }
}

TEST(WorkingDirectory, TrailBytesAreNeverBackslashes) {
    // The folder with code page 932's lead bytes, and without them, as a single-byte code page reads it.
    const struct {
        const char* target;
        const char* withTable; // null: no directory
        const char* withoutTable;
    } cases[] = {
        {"C:\\" SJIS_SO "\x83\x74\x83\x67\\" SJIS_NO ".exe", "C:\\" SJIS_SO "\x83\x74\x83\x67",
         "C:\\" SJIS_SO "\x83\x74\x83\x67\\\x94"},
        {"C:\\dbcs\\x" SJIS_HYO ".exe", "C:\\dbcs", "C:\\dbcs\\x\x95"},
        {"C:\\" SJIS_NO ".exe", "C:\\", "C:\\\x94"},
        {SJIS_HYO ".exe", nullptr, "\x95"},
        {"\\\\srv\\" SJIS_HYO "\\" SJIS_NO ".exe", "\\\\srv\\" SJIS_HYO, "\\\\srv\\" SJIS_HYO "\\\x94"},
        // A lead byte as the last byte stands alone.
        {"C:\\d\\\x95", "C:\\d", "C:\\d"},
    };
    for (const auto& c : cases) {
        ExpectDirectory({c.target, c.withTable != nullptr, c.withTable ? c.withTable : ""},
                        ShiftJisLeadBytes());
        ExpectDirectory({c.target, true, c.withoutTable}, nullptr);
    }
}

} // namespace
