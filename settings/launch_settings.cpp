// Launch settings: splitting the command line and reading the arguments into LaunchSettings.
#include "launch_settings.h"

#include <string.h>

LaunchSettings launchSettings;

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

static bool IsLeadByte(const SplitScan* scan, const char* p) {
    return scan->isLeadByte && scan->isLeadByte[static_cast<unsigned char>(*p)];
}

// Copies one character, two bytes when it starts with a lead byte; a lead byte at the
// very end of the line is taken alone. Returns the position after it.
static const char* EmitCharacter(SplitScan* scan, const char* p) {
    if (IsLeadByte(scan, p) && p[1] != '\0') {
        EmitByte(scan, *p++);
    }
    EmitByte(scan, *p++);
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

int32_t ParseIconIndex(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        p++;
    }
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        p++;
    }
    // The runtime's atoi wraps silently in 32 bits. Accumulating modulo 2^32 in a wider
    // type gives the same value without any arithmetic that overflows, even unsigned.
    const uint64_t modulus = 0x100000000u;
    uint64_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = (value * 10u + (*p - '0')) % modulus;
        p++;
    }
    if (negative) {
        value = (modulus - value) % modulus;
    }
    if (value < 0x80000000u) {
        return static_cast<int32_t>(value);
    }
    return static_cast<int32_t>(value - 0x80000000u) + INT32_MIN;
}

static bool IsDisplayOption(const char* argument) {
    return argument[0] == '-' && argument[1] == 'd';
}

// Copies source into a field of the given capacity. Returns false, leaving the field
// empty, when it does not fit.
static bool CopyWhole(char* field, size_t capacity, const char* source) {
    size_t length = strlen(source);
    if (length >= capacity) {
        field[0] = '\0';
        return false;
    }
    memcpy(field, source, length + 1);
    return true;
}

// Copies as much of source as fits, always terminating the field.
static void CopyCut(char* field, size_t capacity, const char* source) {
    size_t length = strnlen(source, capacity - 1);
    memcpy(field, source, length);
    field[length] = '\0';
}

// An over-long target or parameters text leaves both empty rather than cut: a cut path
// could name a different, existing file and launch something nobody asked for. A click
// then reports the launch error instead.
static void SplitTargetAndParameters(const char* firstArgument) {
    LaunchSettings& s = launchSettings;
    const char* percent = strchr(firstArgument, '%');
    bool fits = CopyWhole(s.target, kTargetCapacity, firstArgument);
    if (fits && percent) {
        s.target[percent - firstArgument] = '\0';
        fits = CopyWhole(s.parameters, kParametersCapacity, percent + 1);
    }
    if (!fits) {
        s.target[0] = '\0';
        s.parameters[0] = '\0';
    }
}

void ParseLaunchSettings(int argc, const char* const* argv) {
    LaunchSettings& s = launchSettings;
    memset(&s, 0, sizeof s);
    if (argc <= 1) {
        return;
    }
    SplitTargetAndParameters(argv[1]);
    // The display text is only shown, so cutting it is harmless.
    CopyCut(s.displayText, kDisplayTextCapacity, argv[1]);

    // Display options are removed wherever they stand from position 2 on, so the
    // positional arguments are counted without them.
    int position = 2;
    for (int i = 2; i < argc; i++) {
        const char* argument = argv[i];
        if (IsDisplayOption(argument)) {
            CopyCut(s.displayText, kDisplayTextCapacity, argument + 2);
        } else if (position == 2) {
            s.iconIndex = ParseIconIndex(argument);
            position = 3;
        } else if (position == 3) {
            // An over-long icon path is dropped, so the built-in icon shows.
            CopyWhole(s.iconFile, kIconFileCapacity, argument);
            position = 4;
        } else {
            break;
        }
    }
}
