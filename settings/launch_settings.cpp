// Launch settings: reading the arguments into LaunchSettings.
#include "launch_settings.h"

#include <string.h>

LaunchSettings launchSettings;

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

// Copies as many whole characters of source as fit, always terminating the field.
static void CopyCut(char* field, size_t capacity, const char* source, const bool* isLeadByte) {
    size_t length = 0;
    while (source[length] != '\0') {
        size_t next = length + CharacterBytes(source + length, isLeadByte);
        if (next >= capacity) {
            break;
        }
        length = next;
    }
    memcpy(field, source, length);
    field[length] = '\0';
}

// An over-long target or parameters text leaves both empty rather than cut: a cut path
// could name a different, existing file and launch something nobody asked for. A click
// then reports the launch error instead.
static void SplitTargetAndParameters(const char* firstArgument) {
    LaunchSettings& s = launchSettings;
    // A byte search is safe here: trail bytes of the double-byte code pages start at 0x40,
    // so 0x25 is always a real percent sign.
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

void ParseLaunchSettings(int argc, const char* const* argv, const bool* isLeadByte) {
    LaunchSettings& s = launchSettings;
    memset(&s, 0, sizeof s);
    if (argc <= 1) {
        return;
    }
    SplitTargetAndParameters(argv[1]);
    // The display text is only shown, so cutting it is harmless.
    CopyCut(s.displayText, kDisplayTextCapacity, argv[1], isLeadByte);

    // Display options are removed wherever they stand from position 2 on, so the
    // positional arguments are counted without them.
    int position = 2;
    for (int i = 2; i < argc; i++) {
        const char* argument = argv[i];
        if (IsDisplayOption(argument)) {
            CopyCut(s.displayText, kDisplayTextCapacity, argument + 2, isLeadByte);
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
