// The command line: splitting it by the C runtime's rules, and settz's
// switches.
#include "settz.h"

#include "text.h"

const wchar_t* SkipProgramName(const wchar_t* commandLine, const wchar_t* programPath)
{
    if (programPath != nullptr && *programPath != 0) {
        std::size_t i = 0;
        while (programPath[i] != 0 && LowerAscii(commandLine[i]) == LowerAscii(programPath[i])) {
            ++i;
        }
        if (programPath[i] == 0 && (commandLine[i] == 0 || IsBlank(commandLine[i]))) {
            return commandLine + i;
        }
    }
    const wchar_t* cursor = commandLine;
    if (*cursor == L'"') {
        ++cursor;
        while (*cursor != 0 && *cursor != L'"') {
            ++cursor;
        }
        if (*cursor == L'"') {
            ++cursor;
        }
    } else {
        while (*cursor != 0 && !IsBlank(*cursor)) {
            ++cursor;
        }
    }
    return cursor;
}

bool NextArgument(const wchar_t*& cursor, wchar_t* argument, std::size_t capacity, std::size_t& length)
{
    const wchar_t* p = cursor;
    while (IsBlank(*p)) {
        ++p;
    }
    if (*p == 0) {
        cursor = p;
        return false;
    }
    length = 0;
    const auto put = [&](wchar_t c) {
        if (length + 1 < capacity) {
            argument[length] = c;
        }
        ++length;
    };
    bool quoted = false;
    while (*p != 0 && (quoted || !IsBlank(*p))) {
        if (*p == L'\\') {
            std::size_t backslashes = 0;
            for (; *p == L'\\'; ++p) {
                ++backslashes;
            }
            const bool beforeQuote = *p == L'"';
            for (std::size_t i = 0; i < (beforeQuote ? backslashes / 2 : backslashes); ++i) {
                put(L'\\');
            }
            if (beforeQuote && backslashes % 2 == 1) {
                put(L'"');
                ++p;
            }
        } else if (*p == L'"') {
            if (quoted && p[1] == L'"') {
                put(L'"');
                p += 2;
            } else {
                quoted = !quoted;
                ++p;
            }
        } else {
            put(*p++);
        }
    }
    argument[length < capacity ? length : capacity - 1] = 0;
    cursor = p;
    return true;
}

ParseOutcome ParseSettzArguments(const wchar_t* commandLine, SettzOptions& options, const wchar_t* programPath)
{
    options = {};
    bool wrong = false;
    bool keyTooLong = false;
    const wchar_t* cursor = SkipProgramName(commandLine, programPath);
    wchar_t argument[8];
    std::size_t length = 0;
    // Read to the end even after a fault, so that a later /q still counts.
    while (NextArgument(cursor, argument, sizeof argument / sizeof argument[0], length)) {
        const wchar_t letter =
            length == 2 && (argument[0] == L'/' || argument[0] == L'-') ? LowerAscii(argument[1]) : 0;
        if (letter == L'q') {
            options.quiet = true;
        } else if (letter == L'n') {
            options.preview = true;
        } else if (letter == L'g') {
            options.current = true;
        } else if (letter == L's' && !options.select) {
            const wchar_t* afterSwitch = cursor;
            std::size_t keyLength = 0;
            if (!NextArgument(cursor, options.key, kKeyNameCapacity, keyLength) || keyLength == 0) {
                wrong = true;
            } else if (options.key[0] == L'/' || options.key[0] == L'-') {
                wrong = true;  // the value is missing; what follows is read as a switch
                cursor = afterSwitch;
                keyLength = 0;
            }
            options.select = true;
            keyTooLong = keyLength >= kKeyNameCapacity;
        } else {
            wrong = true;
        }
    }
    if (wrong || options.select == options.current || (options.current && options.preview)) {
        return ParseOutcome::usage;
    }
    return keyTooLong ? ParseOutcome::keyTooLong : ParseOutcome::ok;
}
