// The program's contract as the tests hold it: names, numbers and texts written here once,
// apart from the program's own headers, so that a wrong constant there cannot move them.
#ifndef TRAYLNCH_TESTS_CONTRACT_H
#define TRAYLNCH_TESTS_CONTRACT_H

#include <stddef.h>

#include <string>

const char kContractName[] = "TrayLnch";
const unsigned kContractIconId = 4711;
const char kContractErrorText[] = "Error by execute program";
// Usable bytes, terminator excluded: the target, and each of the other text fields.
const size_t kTargetBytes = 515;
const size_t kFieldBytes = 259;
// The first form of the notification-area record: 88 bytes in a 32-bit program, 104 in a 64-bit one.
const unsigned kContractRecordBytes = sizeof(void*) == 4 ? 88 : 104;

// Lead bytes of code page 932 (Shift-JIS). Characters whose trail byte is 0x5C, the backslash.
inline const bool* ShiftJisLeadBytes() {
    static bool table[256];
    for (int b = 0x81; b <= 0xfc; b++) {
        table[b] = b <= 0x9f || b >= 0xe0;
    }
    return table;
}
inline std::string Repeat(const char* text, int times) {
    return times > 0 ? text + Repeat(text, times - 1) : "";
}
#define SJIS_HYO "\x95\x5c"    // 表
#define SJIS_SO "\x83\x5c"     // ソ
#define SJIS_NO "\x94\x5c"     // 能
#define SJIS_SUSURU "\x9f\x5c" // 歃: its lead byte ends the first range
#define SJIS_MAN "\xe9\x5c"    // 饅: a lead byte of the second range

#endif
