// Tip text: "Start: " and the display text, or its end when it is long.
#include <gtest/gtest.h>

#include <string>

#include "../contract.h"
#include "tip_text.h"

namespace {

std::string Tip(const std::string& displayText, const bool* isLeadByte = nullptr) {
    char tip[kTipCapacity];
    memset(tip, 'x', sizeof tip);
    ComposeTipText(displayText.c_str(), isLeadByte, tip);
    return tip;
}

TEST(TipText, ShortTextsShowWholeLongOnesTheirEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "Start: "},
        {"Notes", "Start: Notes"},
        {"C:\\x.exe%a b", "Start: C:\\x.exe%a b"},
        // A percent sign is data, not a format directive.
        {"%s%d%n", "Start: %s%d%n"},
        // Up to 56 bytes the text shows whole; beyond, its last 53 bytes.
        {std::string(55, 'a') + "Z", "Start: " + std::string(55, 'a') + "Z"},
        {"0123" + std::string(52, 'b') + "E", "Start: ..." + std::string(52, 'b') + "E"},
        {std::string(206, 'c') + "tail" + std::string(49, 'c'), "Start: ...tail" + std::string(49, 'c')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.second, Tip(c.first)) << c.first;
    }
}

TEST(TipText, LongDoubleByteTextsKeepWholeCharacters) {
    const struct {
        std::string displayText, withTable, withoutTable;
    } cases[] = {
        // The last 53 bytes would start on a trail byte: the tail is one byte shorter.
        {Repeat(SJIS_HYO, 30), Repeat(SJIS_HYO, 26), "\\" + Repeat(SJIS_HYO, 26)},
        {Repeat("\x93\xfa", 30), Repeat("\x93\xfa", 26), "\xfa" + Repeat("\x93\xfa", 26)},
        // Mixed, with the cut on a character boundary: all 53 bytes stay.
        {"ab" + Repeat(SJIS_HYO, 27) + "c", Repeat(SJIS_HYO, 26) + "c", Repeat(SJIS_HYO, 26) + "c"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ("Start: ..." + c.withTable, Tip(c.displayText, ShiftJisLeadBytes())) << c.displayText;
        EXPECT_EQ("Start: ..." + c.withoutTable, Tip(c.displayText)) << c.displayText;
    }
}

} // namespace
