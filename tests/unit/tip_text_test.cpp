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
