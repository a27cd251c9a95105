// Command-line splitting: how a whole process command line becomes the argument vector.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../contract.h"
#include "command_line.h"

namespace {

std::vector<std::string> Split(const std::string& line, const bool* isLeadByte = nullptr) {
    CommandLineSize size = MeasureCommandLine(line.c_str(), isLeadByte);
    // Exactly the measured sizes, so a sanitizer catches any byte written past them.
    std::vector<char*> argv(size.argumentCount + 1, reinterpret_cast<char*>(1));
    std::vector<char> text(size.textBytes);
    SplitCommandLine(line.c_str(), isLeadByte, argv.data(), text.data());
    EXPECT_EQ(nullptr, argv[size.argumentCount]);
    std::vector<std::string> result;
    size_t used = 0;
    for (size_t i = 0; i < size.argumentCount; i++) {
        result.push_back(argv[i]);
        used += result.back().size() + 1;
    }
    EXPECT_EQ(size.textBytes, used) << "measured and stored sizes differ";
    return result;
}

struct SplitCase {
    const char* line;
    std::vector<std::string> expected; // program name first
};

const SplitCase kSplitCases[] = {
    {"", {""}},
    {"prog", {"prog"}},
    {"prog a b", {"prog", "a", "b"}},
    {"prog  \t a\t\tb  \t ", {"prog", "a", "b"}},
    // Program name rules: quotes end it without a blank, backslashes are ordinary.
    {"\"C:\\Program Files\\t.exe\" a", {"C:\\Program Files\\t.exe", "a"}},
    {"\"a\"b c", {"a", "b", "c"}},
    {"\"unterminated name", {"unterminated name"}},
    {"C:\\dir\\p\"x\" y", {"C:\\dir\\p\"x\"", "y"}},
    {" a b", {"", "a", "b"}},
    {"\tq", {"", "q"}},
    // Quoted runs and empty arguments.
    {"p \"a b\" c", {"p", "a b", "c"}},
    {"p \"\"", {"p", ""}},
    {"p \"\" \"\"", {"p", "", ""}},
    {"p a\"b c\"d e", {"p", "ab cd", "e"}},
    {"p \"open to the end", {"p", "open to the end"}},
    {"p \"a\tb\"", {"p", "a\tb"}},
    // "" inside a quoted run is a literal quote that also ends the run.
    {"p \"a\"\"b c\"", {"p", "a\"b", "c"}},
    {"p \"\"\"\"", {"p", "\""}},
    {"p \"\"\"x y\"", {"p", "\"x", "y"}},
    // Backslashes: halved before a quote, literal elsewhere.
    {"p a\\b\\\\c", {"p", "a\\b\\\\c"}},
    {"p a\\\"b", {"p", "a\"b"}},
    {"p a\\\\\"b c\"", {"p", "a\\b c"}},
    {"p a\\\\\\\"b", {"p", "a\\\"b"}},
    {"p \\\\\\\\\"", {"p", "\\\\"}},
    {"p C:\\Data\\", {"p", "C:\\Data\\"}},
    {"p \"C:\\Data\\\\\" x", {"p", "C:\\Data\\", "x"}},
    // Only space and tab separate; control bytes and high bytes belong to arguments.
    {"p a\x01\x0b\x0c\rb", {"p", "a\x01\x0b\x0c\rb"}},
    {"p \xe4\xf6\xfc \xff", {"p", "\xe4\xf6\xfc", "\xff"}},
    {"p a%b -dX", {"p", "a%b", "-dX"}},
};

TEST(CommandLineSplit, FollowsTheClassicRules) {
    for (const SplitCase& c : kSplitCases) {
        EXPECT_EQ(c.expected, Split(c.line)) << "line: [" << c.line << "]";
    }
}

TEST(CommandLineSplit, TrailBytesAreNeverSyntax) {
    struct Case {
        const char* line;
        std::vector<std::string> withTable;
        std::vector<std::string> withoutTable;
    } cases[] = {
        // 0x5C as a trail byte is part of a character, not a backslash before a quote.
        {"p \x95\\\"a b\"", {"p", "\x95\\a b"}, {"p", "\x95\"a", "b"}},
        // A quote as trail byte neither opens nor closes a run.
        {"p \x81\"a b", {"p", "\x81\"a", "b"}, {"p", "\x81\x61 b"}},
        // A space or tab as trail byte does not separate.
        {"p \x81 x", {"p", "\x81 x"}, {"p", "\x81", "x"}},
        {"\x81\t \"y\"", {"\x81\t", "y"}, {"\x81", "y"}},
        {"\"\x81\"x\" z", {"\x81\"x", "z"}, {"\x81", "x z"}},
        // A lead byte at the very end is taken alone.
        {"p a\x81", {"p", "a\x81"}, {"p", "a\x81"}},
        {"p \"\x81", {"p", "\x81"}, {"p", "\x81"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.withTable, Split(c.line, ShiftJisLeadBytes())) << "line: [" << c.line << "]";
        EXPECT_EQ(c.withoutTable, Split(c.line)) << "line: [" << c.line << "]";
    }
}

TEST(CommandLineSplit, LeavesTheLineUnchanged) {
    const char line[] = "p \"a b\" c\\\"d";
    std::string before = line;
    Split(line);
    EXPECT_EQ(before, line);
}

} // namespace
