// Working directory: the folder a launched target starts in.
#ifndef TRAYLNCH_WORKING_DIRECTORY_H
#define TRAYLNCH_WORKING_DIRECTORY_H

#include "../settings/launch_settings.h"

// Writes the part of target before its last backslash into directory and returns true;
// returns false when target has no backslash. The target is read character by character
// (isLeadByte as for the command line), since a trail byte may equal the backslash.
// directory belongs to the caller, so a nested launch while a message box is open cannot
// disturb it.
bool DeriveWorkingDirectory(const char* target, const bool* isLeadByte, char (&directory)[kTargetCapacity]);

#endif
