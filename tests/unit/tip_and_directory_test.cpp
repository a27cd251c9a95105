// Tip text and working directory: the two pure rules behind the icon and the launch.
#include <gtest/gtest.h>

#include <string>

#include "tip_text.h"
#include "working_directory.h"

namespace {

std::string Tip(const std::string& displayText) {
    char tip[kTipCapacity];
    memset(tip, 'x', sizeof tip);
    ComposeTipText(displayText.c_str(), tip);
    return tip;
}

TEST(TipText, ShortTextsShowWhole) {
    EXPECT_EQ("Start: ", Tip(""));
    EXPECT_EQ("Start: Notes", Tip("Notes"));
    EXPECT_EQ("Start: C:\\x.exe%a b", Tip("C:\\x.exe%a b"));
    // A percent sign is data, not a format directive.
    EXPECT_EQ("Start: %s%d%n", Tip("%s%d%n"));
}

TEST(TipText, LongTextsKeepTheirEnd) {
    std::string exactly56(56, 'a');
    exactly56[55] = 'Z';
    EXPECT_EQ("Start: " + exactly56, Tip(exactly56));
    EXPECT_EQ(63u, Tip(exactly56).size());

    std::string text57 = "0123" + std::string(53, 'b');
    text57[56] = 'E';
    EXPECT_EQ("Start: ..." + text57.substr(4), Tip(text57));
    EXPECT_EQ(63u, Tip(text57).size());

    std::string longest(259, 'c');
    longest.replace(259 - 53, 4, "tail");
    EXPECT_EQ("Start: ...tail" + std::string(49, 'c'), Tip(longest));
}

struct DirectoryCase {
    const char* target;
    bool hasDirectory;
    const char* directory;
};

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
        {"C:\\Data\\x\\", true, "C:\\Data\\x"},
        {"1:\\x.exe", true, "1:"},
        // No backslash, no directory: the launch starts in the current one.
        {"edit.exe", false, ""},
        {"C:/Tools/edit.exe", false, ""},
        {"C:edit.exe", false, ""},
        {"", false, ""},
    };
    for (const DirectoryCase& c : cases) {
        char directory[kTargetCapacity];
        memset(directory, 'x', sizeof directory);
        EXPECT_EQ(c.hasDirectory, DeriveWorkingDirectory(c.target, directory)) << c.target;
        if (c.hasDirectory) {
            EXPECT_STREQ(c.directory, directory) << c.target;
        }
    }
}

TEST(WorkingDirectory, LongestTargetFits) {
    std::string target = "C:\\" + std::string(kTargetCapacity - 12, 'd') + "\\app.exe";
    ASSERT_EQ(kTargetCapacity - 1, target.size());
    char directory[kTargetCapacity];
    ASSERT_TRUE(DeriveWorkingDirectory(target.c_str(), directory));
    EXPECT_EQ(target.substr(0, target.size() - 8), directory);
}

} // namespace
