// Tip text: composed with the system formatter where there is one, so it matches the shell's own.
#include "tip_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdio.h>
#endif
#include <string.h>

const size_t kTipScratchCapacity = 300;
const size_t kTipShortLimit = 56; // "Start: " (7) + 56 = 63
const size_t kTipTailLength = 53; // "Start: ..." (10) + 53 = 63

static void FormatTip(char (&scratch)[kTipScratchCapacity], const char* format, const char* text) {
#ifdef _WIN32
    wsprintfA(scratch, format, text);
#else
    snprintf(scratch, sizeof scratch, format, text);
#endif
}

void ComposeTipText(const char* displayText, const bool* isLeadByte, char (&tip)[kTipCapacity]) {
    char scratch[kTipScratchCapacity] = {};
    size_t length = strlen(displayText);
    if (length <= kTipShortLimit) {
        FormatTip(scratch, "Start: %s", displayText);
    } else {
        // The tail begins at the first character that starts within the last bytes, so a
        // double-byte character is never split; it may then be one byte shorter.
        size_t start = 0;
        while (start < length - kTipTailLength) {
            start += CharacterBytes(displayText + start, isLeadByte);
        }
        FormatTip(scratch, "Start: ...%s", displayText + start);
    }
    // Both branches are at most 63 characters, so the copy always fits.
    memcpy(tip, scratch, kTipCapacity - 1);
    tip[kTipCapacity - 1] = '\0';
}
