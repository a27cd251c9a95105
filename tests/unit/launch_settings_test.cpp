// Launch settings: positions, display options, the icon index and the field capacities.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../contract.h"
#include "launch_settings.h"

namespace {

const LaunchSettings& Parse(std::vector<std::string> arguments, const bool* isLeadByte = nullptr) {
    std::vector<const char*> argv = {"traylnch.exe"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    ParseLaunchSettings(static_cast<int>(argv.size() - 1), argv.data(), isLeadByte);
    return launchSettings;
}

// The fields as one line: target|parameters|display text|icon index|icon file.
std::string Fields(const LaunchSettings& s) {
    return std::string(s.target) + "|" + s.parameters + "|" + s.displayText + "|" +
           std::to_string(s.iconIndex) + "|" + s.iconFile;
}

struct SettingsCase {
    std::vector<std::string> arguments;
    const char* fields;
};

void ExpectSettings(const SettingsCase& c) {
    std::string label;
    for (const std::string& argument : c.arguments) {
        label += "[" + argument + "]";
    }
    EXPECT_EQ(c.fields, Fields(Parse(c.arguments))) << label;
}

TEST(LaunchSettings, PositionsOptionsAndParameters) {
    const SettingsCase cases[] = {
        // The worked cases.
        {{}, "|||0|"},
        {{R"(C:\Tools\edit.exe)"}, R"(C:\Tools\edit.exe||C:\Tools\edit.exe|0|)"},
        {{R"(C:\Tools\edit.exe%/n C:\a.txt)", "2"},
         R"(C:\Tools\edit.exe|/n C:\a.txt|C:\Tools\edit.exe%/n C:\a.txt|2|)"},
        {{R"(C:\x.exe)", "-dEditor", "3", R"(C:\i\e.ico)"}, R"(C:\x.exe||Editor|3|C:\i\e.ico)"},
        {{R"(C:\x.exe)", "1", "-dA", R"(C:\i.ico)", "-dB"}, R"(C:\x.exe||B|1|C:\i.ico)"},
        {{R"(C:\x.exe)", "1", R"(C:\i.ico)", "extra", "-dB"}, R"(C:\x.exe||C:\x.exe|1|C:\i.ico)"},
        {{R"(C:\x.exe)", "-d"}, R"(C:\x.exe|||0|)"},
        {{"-dName", R"(C:\x.exe)"}, "-dName||-dName|0|"},
        {{R"(C:\x.exe%a%b)"}, R"(C:\x.exe|a%b|C:\x.exe%a%b|0|)"},
        {{R"(C:\Tools\edit.exe%C:\notes.txt)", "-dNotes", "0"}, R"(C:\Tools\edit.exe|C:\notes.txt|Notes|0|)"},
        // Two display options in a row at position 2: both taken, the last wins, the index follows.
        {{"t", "-dA", "-dB", "7"}, "t||B|7|"},
        // Alone at position 2: nothing else is set.
        {{"t", "-dOnly"}, "t||Only|0|"},
        // Case-sensitive: -D is read as the icon index.
        {{"t", "-DName", "i.ico"}, "t||t|0|i.ico"},
        {{"t", "-x"}, "t||t|0|"},
        {{"t", "-"}, "t||t|0|"},
        // Between index and icon file, and behind the icon file.
        {{"t", "4", "-dMid", "f.ico"}, "t||Mid|4|f.ico"},
        {{"t", "4", "f.ico", "-dX", "-dY"}, "t||Y|4|f.ico"},
        // The index is read as atoi reads it, once the display options are out of the way.
        {{"t", "-dA", "-3"}, "t||A|-3|"},
        {{"t", "12abc", "-dA"}, "t||A|12|"},
        // The first other argument at position 4 ends the scan, options behind it included.
        {{"t", "4", "f.ico", "-dX", "stop", "-dY"}, "t||X|4|f.ico"},
        // A display option's text is taken as it is, blanks and percent signs included.
        {{"t", "-dStart my %app%"}, "t||Start my %app%|0|"},
        // Empty arguments are ordinary positional arguments.
        {{"", "", ""}, "|||0|"},
        {{"t", "", "-dZ", ""}, "t||Z|0|"},
        // Parameters start after the first '%'.
        {{"%rest of it"}, "|rest of it|%rest of it|0|"},
        {{"app%"}, "app||app%|0|"},
        {{R"(C:\My Tools\e.exe%/n "C:\a b.txt")"},
         R"(C:\My Tools\e.exe|/n "C:\a b.txt"|C:\My Tools\e.exe%/n "C:\a b.txt"|0|)"},
    };
    for (const SettingsCase& c : cases) {
        ExpectSettings(c);
    }
}

TEST(LaunchSettings, ParsingTwiceStartsAfresh) {
    Parse({"first%p", "-dOne", "9", "one.ico"});
    ExpectSettings({{"second"}, "second||second|0|"});
}

TEST(IconIndex, FollowsAtoi) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {{"0", 0},
                 {"12", 12},
                 {"12abc", 12},
                 {"-3", -3},
                 {"+5", 5},
                 {"010", 10},
                 {"0x10", 0},
                 {"abc", 0},
                 {"", 0},
                 {"-", 0},
                 {"+-1", 0},
                 {"- 1", 0},
                 {" \t\n\v\f\r42", 42},
                 {"\xa0\x31", 0}, // a non-breaking space, then 1
                 {"\x85\x31", 0},
                 {"2147483647", 2147483647},
                 {"2147483648", INT32_MIN},
                 {"-2147483648", INT32_MIN},
                 {"4294967297", 1},
                 {"99999999999999999999", 1661992959},
                 {"-99999999999999999999", -1661992959}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, ParseIconIndex(c.text)) << "[" << c.text << "]";
    }
}

// Over-long texts: a target or parameters that do not fit leave both empty, so a click
// reports an error instead of starting a file with a cut name. Icon paths that do not fit
// are dropped; display texts are cut.
TEST(Capacities, OverlongTargetAndParametersLeaveBothEmpty) {
    std::string fitTarget(kTargetBytes, 't');
    std::string fitParameters(kFieldBytes, 'p');
    EXPECT_EQ(fitTarget, Parse({fitTarget}).target);
    EXPECT_STREQ("", Parse({fitTarget + "t"}).target);
    EXPECT_STREQ("", Parse({fitTarget + "%"}).target);

    const LaunchSettings& fits = Parse({"a%" + fitParameters});
    EXPECT_STREQ("a", fits.target);
    EXPECT_EQ(fitParameters, fits.parameters);

    std::string tooLong = "a%" + fitParameters + "p";
    EXPECT_EQ("||" + tooLong.substr(0, 259) + "|3|i.ico", Fields(Parse({tooLong, "3", "i.ico"})));

    // The whole first argument must fit the target field before it is cut at its '%'.
    std::string shortTarget = "x%" + std::string(kTargetBytes + 1, 'p');
    EXPECT_STREQ("", Parse({shortTarget}).target);
    EXPECT_STREQ("", Parse({shortTarget}).parameters);
}

TEST(Capacities, OverlongIconFileIsDropped) {
    std::string fit(kFieldBytes, 'i');
    EXPECT_EQ(fit, Parse({"t", "0", fit}).iconFile);
    EXPECT_STREQ("", Parse({"t", "0", fit + "i"}).iconFile);
    EXPECT_STREQ("", Parse({"t", "0", std::string(100000, 'i')}).iconFile);
}

TEST(Capacities, OverlongDisplayTextIsCut) {
    std::string fit(kFieldBytes, 'd');
    EXPECT_EQ(fit, Parse({"t", "-d" + fit}).displayText);
    EXPECT_EQ(fit, Parse({"t", "-d" + fit + "xyz"}).displayText);
    std::string hugeTarget(kTargetBytes + 1, 'd');
    EXPECT_EQ(fit, Parse({hugeTarget}).displayText);
    EXPECT_STREQ("", Parse({hugeTarget}).target);
    // A double-byte character that would straddle the end is left out whole.
    std::string hyo = Repeat(SJIS_HYO, 130);
    EXPECT_EQ(hyo.substr(0, 258), Parse({"t", "-d" + hyo}, ShiftJisLeadBytes()).displayText);
    EXPECT_EQ(hyo.substr(0, 259), Parse({"t", "-d" + hyo}).displayText);
    EXPECT_EQ(hyo.substr(0, 258), Parse({hyo}, ShiftJisLeadBytes()).displayText);
}

TEST(Capacities, ManyArgumentsAreScannedSafely) {
    std::vector<std::string> many = {"t", "1", "f.ico"};
    for (int i = 0; i < 5000; i++) {
        many.push_back("-d" + std::to_string(i));
    }
    const LaunchSettings& s = Parse(many);
    EXPECT_STREQ("4999", s.displayText);
    EXPECT_STREQ("f.ico", s.iconFile);
}

} // namespace
