// Tip text: the "Start: ..." line the notification-area icon shows on hover.
#ifndef TRAYLNCH_TIP_TEXT_H
#define TRAYLNCH_TIP_TEXT_H

#include <stddef.h>

#include "../settings/command_line.h"

// The tip field of the first notification-area record, terminator included.
const size_t kTipCapacity = 64;

// Composes the tip for displayText; the result always fits kTipCapacity. Longer texts
// keep their end, which is usually the file name, starting on a whole character
// (isLeadByte as for the command line).
void ComposeTipText(const char* displayText, const bool* isLeadByte, char (&tip)[kTipCapacity]);

#endif
