// Working directory: derived from the target's own path, character by character.
#include "working_directory.h"

#include <string.h>

bool DeriveWorkingDirectory(const char* target, const bool* isLeadByte, char (&directory)[kTargetCapacity]) {
    size_t length = strnlen(target, kTargetCapacity - 1);
    memcpy(directory, target, length);
    directory[length] = '\0';
    char* lastBackslash = NULL;
    for (char* p = directory; *p != '\0'; p += CharacterBytes(p, isLeadByte)) {
        if (*p == '\\') {
            lastBackslash = p;
        }
    }
    if (!lastBackslash) {
        return false;
    }
    // "C:" alone would mean the current directory of drive C, not its root, so a
    // target directly in a drive's root keeps the backslash.
    char drive = static_cast<char>(directory[0] | 0x20);
    bool driveRoot = lastBackslash == directory + 2 && directory[1] == ':' && drive >= 'a' && drive <= 'z';
    lastBackslash[driveRoot ? 1 : 0] = '\0';
    return true;
}
