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

void ComposeTipText(const char* displayText, char (&tip)[kTipCapacity]) {
    char scratch[kTipScratchCapacity] = {};
    size_t length = strlen(displayText);
    if (length <= kTipShortLimit) {
        FormatTip(scratch, "Start: %s", displayText);
    } else {
        FormatTip(scratch, "Start: ...%s", displayText + length - kTipTailLength);
    }
    // Both branches are at most 63 characters, so the copy always fits.
    memcpy(tip, scratch, kTipCapacity - 1);
    tip[kTipCapacity - 1] = '\0';
}
