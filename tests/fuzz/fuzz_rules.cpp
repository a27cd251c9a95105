// Fuzz target: any command line, split and parsed, must keep every rule's promises.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "../contract.h"
#include "launch_settings.h"
#include "tip_text.h"
#include "working_directory.h"

// abort stops the run and makes libFuzzer keep the input.
[[noreturn]] static void Fail(const char* condition, int line) {
    fprintf(stderr, "property failed: %s (line %d)\n", condition, line);
    abort();
}
#define REQUIRE(condition) ((condition) ? (void)0 : Fail(#condition, __LINE__))

namespace {

struct Split {
    std::vector<char*> argv;
    std::vector<char> text;
};

void SplitLine(const char* line, const bool* isLeadByte, Split* split) {
    CommandLineSize size = MeasureCommandLine(line, isLeadByte);
    REQUIRE(size.argumentCount >= 1);
    REQUIRE(size.textBytes <= 2 * strlen(line) + 2);
    split->argv.assign(size.argumentCount + 1, nullptr);
    split->text.assign(size.textBytes, '\x7f');
    SplitCommandLine(line, isLeadByte, split->argv.data(), split->text.data());
    // Every argument lies inside the text block and is terminated there.
    const char* end = split->text.data() + split->text.size();
    for (size_t i = 0; i < size.argumentCount; i++) {
        char* argument = split->argv[i];
        REQUIRE(argument >= split->text.data() && argument < end);
        REQUIRE(memchr(argument, '\0', end - argument) != nullptr);
    }
    REQUIRE(split->argv[size.argumentCount] == nullptr);
}

// The inverse of the splitting rules: quote an argument so that it splits back unchanged.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            backslashes++;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

void CheckRoundTrip(const Split& split) {
    std::string line = "prog";
    for (size_t i = 1; i + 1 < split.argv.size(); i++) {
        line += " " + Quote(split.argv[i]);
    }
    Split again;
    SplitLine(line.c_str(), nullptr, &again);
    REQUIRE(again.argv.size() == split.argv.size());
    for (size_t i = 1; i + 1 < split.argv.size(); i++) {
        REQUIRE(strcmp(again.argv[i], split.argv[i]) == 0);
    }
}

// Whether the first length bytes of text are whole characters.
bool EndsOnBoundary(const char* text, size_t length, const bool* isLeadByte) {
    size_t position = 0;
    while (position < length) {
        position += CharacterBytes(text + position, isLeadByte);
    }
    return position == length;
}

// The display text is a whole-character prefix of the first argument or of an option's text.
bool IsWholeCharacterPrefix(const char* text, const Split& split, const bool* isLeadByte) {
    size_t length = strlen(text);
    for (size_t i = 1; i + 1 < split.argv.size(); i++) {
        for (const char* source :
             {split.argv[i], split.argv[i] + (strncmp(split.argv[i], "-d", 2) ? 0 : 2)}) {
            if (strncmp(source, text, length) == 0 && EndsOnBoundary(source, length, isLeadByte)) {
                return true;
            }
        }
    }
    return length == 0;
}

void CheckSettings(const Split& split, const bool* isLeadByte) {
    ParseLaunchSettings(static_cast<int>(split.argv.size() - 1), split.argv.data(), isLeadByte);
    const LaunchSettings& s = launchSettings;
    REQUIRE(strnlen(s.target, kTargetCapacity) < kTargetCapacity);
    REQUIRE(strnlen(s.parameters, kParametersCapacity) < kParametersCapacity);
    REQUIRE(strnlen(s.displayText, kDisplayTextCapacity) < kDisplayTextCapacity);
    REQUIRE(strnlen(s.iconFile, kIconFileCapacity) < kIconFileCapacity);
    REQUIRE(strchr(s.target, '%') == nullptr);
    if (split.argv.size() > 2) {
        // The target is the first argument's text before its first '%', or nothing at all.
        const char* first = split.argv[1];
        size_t targetLength = strlen(s.target);
        REQUIRE(strncmp(first, s.target, targetLength) == 0);
        REQUIRE(targetLength == 0 || first[targetLength] == '\0' || first[targetLength] == '%');
    }

    REQUIRE(IsWholeCharacterPrefix(s.displayText, split, isLeadByte));

    char tip[kTipCapacity];
    ComposeTipText(s.displayText, isLeadByte, tip);
    REQUIRE(strnlen(tip, kTipCapacity) <= 63);
    REQUIRE(strncmp(tip, "Start: ", 7) == 0);
    size_t textLength = strlen(s.displayText);
    if (textLength > 56) {
        // The tail is the display text's end, from a character boundary within 53 bytes.
        size_t tailLength = strlen(tip) - 10;
        REQUIRE(strncmp(tip, "Start: ...", 10) == 0 && tailLength <= 53 && tailLength >= 52);
        REQUIRE(strcmp(tip + 10, s.displayText + textLength - tailLength) == 0);
        REQUIRE(EndsOnBoundary(s.displayText, textLength - tailLength, isLeadByte));
    }

    char directory[kTargetCapacity];
    bool hasDirectory = DeriveWorkingDirectory(s.target, isLeadByte, directory);
    if (!isLeadByte) {
        REQUIRE(hasDirectory == (strchr(s.target, '\\') != nullptr));
    }
    size_t length = strnlen(directory, kTargetCapacity);
    REQUIRE(length < kTargetCapacity);
    REQUIRE(strncmp(directory, s.target, length) == 0);
    if (hasDirectory) {
        REQUIRE(s.target[length] == '\\' || directory[length - 1] == '\\');
        REQUIRE(EndsOnBoundary(s.target, length, isLeadByte));
    }
}

} // namespace

// First byte: bit 0 selects a double-byte lead-byte table. The rest is the command line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const bool* shiftJis = ShiftJisLeadBytes();
    const bool* isLeadByte = (data[0] & 1) ? shiftJis : nullptr;
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    line = line.substr(0, strlen(line.c_str()));

    Split split;
    SplitLine(line.c_str(), isLeadByte, &split);
    if (!isLeadByte) {
        CheckRoundTrip(split);
    }
    CheckSettings(split, isLeadByte);
    return 0;
}
