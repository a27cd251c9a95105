// Command line: splitting a process command line into arguments, byte by byte.
#ifndef TRAYLNCH_COMMAND_LINE_H
#define TRAYLNCH_COMMAND_LINE_H

#include <stddef.h>

// isLeadByte, wherever it is taken, is a 256-entry table of the ANSI code page's lead
// bytes, or null for a single-byte code page.

// Bytes in the character at p: two for a lead byte with a byte behind it, else one.
size_t CharacterBytes(const char* p, const bool* isLeadByte);

// Sizes needed to split a command line: the argument count (program name included)
// and the bytes of all argument texts with their terminators.
struct CommandLineSize {
    size_t argumentCount;
    size_t textBytes;
};

CommandLineSize MeasureCommandLine(const char* line, const bool* isLeadByte);

// Splits line into argv (argumentCount entries plus a terminating null) with the texts
// stored in text (textBytes long), both sized by MeasureCommandLine. line is not changed.
void SplitCommandLine(const char* line, const bool* isLeadByte, char** argv, char* text);

#endif
