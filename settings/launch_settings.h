// Launch settings: the command-line rules that say what to start and how the icon looks.
#ifndef TRAYLNCH_LAUNCH_SETTINGS_H
#define TRAYLNCH_LAUNCH_SETTINGS_H

#include <stddef.h>
#include <stdint.h>

#include "command_line.h"

// Capacities in bytes, terminator included. 260 is the platform's MAX_PATH.
const size_t kTargetCapacity = 516;
const size_t kParametersCapacity = 260;
const size_t kDisplayTextCapacity = 260;
const size_t kIconFileCapacity = 260;

struct LaunchSettings {
    char target[kTargetCapacity];
    char parameters[kParametersCapacity];
    char displayText[kDisplayTextCapacity];
    char iconFile[kIconFileCapacity];
    int32_t iconIndex;
};

// Process-wide; written once before the message loop and only read afterwards.
extern LaunchSettings launchSettings;

// Fills launchSettings from the argument vector (element 0, the program name, is never read).
// Never fails: missing arguments leave their fields empty. isLeadByte as for the command
// line, so that a cut text keeps whole characters.
void ParseLaunchSettings(int argc, const char* const* argv, const bool* isLeadByte);

// Decimal value with the C runtime's atoi rules; wraps on overflow like 32-bit two's complement.
int32_t ParseIconIndex(const char* text);

#endif
