// Launch settings: the command-line rules that say what to start and how the icon looks.
#ifndef TRAYLNCH_LAUNCH_SETTINGS_H
#define TRAYLNCH_LAUNCH_SETTINGS_H

#include <stddef.h>
#include <stdint.h>

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
// Never fails: missing arguments leave their fields empty.
void ParseLaunchSettings(int argc, const char* const* argv);

// Decimal value with the C runtime's atoi rules; wraps on overflow like 32-bit two's complement.
int32_t ParseIconIndex(const char* text);

// Sizes needed to split a command line: the argument count (program name included)
// and the bytes of all argument texts with their terminators.
struct CommandLineSize {
    size_t argumentCount;
    size_t textBytes;
};

// isLeadByte is a 256-entry table of the ANSI code page's lead bytes, or null for a
// single-byte code page.
CommandLineSize MeasureCommandLine(const char* line, const bool* isLeadByte);

// Splits line into argv (argumentCount entries plus a terminating null) with the texts
// stored in text (textBytes long), both sized by MeasureCommandLine. line is not changed.
void SplitCommandLine(const char* line, const bool* isLeadByte, char** argv, char* text);

#endif
