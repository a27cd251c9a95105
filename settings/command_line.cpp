// Command line: the splitting rules, two passes of one scanner so the buffers are sized exactly.
#include "command_line.h"

// A lead byte at the very end of the line is taken alone.
size_t CharacterBytes(const char* p, const bool* isLeadByte) {
    return isLeadByte && isLeadByte[static_cast<unsigned char>(*p)] && p[1] != '\0' ? 2 : 1;
}

// One pass of the splitting rules. With argv and text null it only counts, so that the
// caller can size both exactly before the second pass stores anything.
struct SplitScan {
    const bool* isLeadByte;
    char** argv;
    char* text;
    CommandLineSize size;
};

static void EmitByte(SplitScan* scan, char byte) {
    if (scan->text) {
        scan->text[scan->size.textBytes] = byte;
    }
    scan->size.textBytes++;
}

static void BeginArgument(SplitScan* scan) {
    if (scan->argv) {
        scan->argv[scan->size.argumentCount] = scan->text + scan->size.textBytes;
    }
    scan->size.argumentCount++;
}

// Copies one character, so that a trail byte is never read as syntax. Returns the
// position after it.
static const char* EmitCharacter(SplitScan* scan, const char* p) {
    for (size_t n = CharacterBytes(p, scan->isLeadByte); n > 0; n--) {
        EmitByte(scan, *p++);
    }
    return p;
}

static bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t';
}

static const char* ScanProgramName(SplitScan* scan, const char* p) {
    BeginArgument(scan);
    if (*p == '"') {
        // A quoted name ends at the next quote, even with no blank behind it.
        p++;
        while (*p != '\0' && *p != '"') {
            p = EmitCharacter(scan, p);
        }
        if (*p == '"') {
            p++;
        }
    } else {
        while (*p != '\0' && !IsBlank(*p)) {
            p = EmitCharacter(scan, p);
        }
    }
    EmitByte(scan, '\0');
    return p;
}

static const char* ScanArgument(SplitScan* scan, const char* p) {
    BeginArgument(scan);
    bool inQuotes = false;
    for (;;) {
        size_t backslashes = 0;
        while (*p == '\\') {
            backslashes++;
            p++;
        }
        if (*p == '"') {
            for (size_t i = 0; i < backslashes / 2; i++) {
                EmitByte(scan, '\\');
            }
            if (backslashes % 2 == 1) {
                EmitByte(scan, '"');
            } else if (inQuotes && p[1] == '"') {
                // The older rule: "" inside quotes is a literal quote that also ends the run.
                EmitByte(scan, '"');
                p++;
                inQuotes = false;
            } else {
                inQuotes = !inQuotes;
            }
            p++;
            continue;
        }
        for (size_t i = 0; i < backslashes; i++) {
            EmitByte(scan, '\\');
        }
        if (*p == '\0' || (!inQuotes && IsBlank(*p))) {
            break;
        }
        p = EmitCharacter(scan, p);
    }
    EmitByte(scan, '\0');
    return p;
}

static CommandLineSize Scan(const char* line, const bool* isLeadByte, char** argv, char* text) {
    SplitScan scan = {isLeadByte, argv, text, {0, 0}};
    const char* p = ScanProgramName(&scan, line);
    for (;;) {
        while (IsBlank(*p)) {
            p++;
        }
        if (*p == '\0') {
            break;
        }
        p = ScanArgument(&scan, p);
    }
    if (argv) {
        argv[scan.size.argumentCount] = nullptr;
    }
    return scan.size;
}

CommandLineSize MeasureCommandLine(const char* line, const bool* isLeadByte) {
    return Scan(line, isLeadByte, nullptr, nullptr);
}

void SplitCommandLine(const char* line, const bool* isLeadByte, char** argv, char* text) {
    Scan(line, isLeadByte, argv, text);
}
