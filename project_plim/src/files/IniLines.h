#pragma once
// INI text split into lines, each with its number: the one line reader of
// every INI file. MemoryIniFile::parse takes its keys from it; the rest says
// where the reader took a key or section from and why it found none where an
// editor shows one, and reads a file strictly (a side file, the static
// settings) with every fault told by its line.
#include "util/UString.h"

#include <string>
#include <unordered_map>
#include <vector>

class IniLines {
public:
    explicit IniLines(const std::string& text);

    // A section header, key or stray line (neither blank, a comment, a
    // header nor a key) as the reader takes it: the key is the text before
    // "=", blanks and all, the value the rest of the trimmed line.
    enum Kind { HEADER, KEY, STRAY };
    struct Entry {
        int line = 0;
        Kind kind = KEY;
        UString section;
        UString key;
        UString value;
        int firstLine = 0;  // a key given before in its section: the line where it was
    };
    const std::vector<Entry>& entries() const { return lines; }

    // The line of the section's first header; 0 when it has none.
    int sectionLine(const UString& section) const;
    // The entry the reader takes the key of the section from (its first);
    // null when none. keyLine: its line, 0 when none.
    const Entry* find(const UString& section, const UString& key) const;
    int keyLine(const UString& section, const UString& key) const;

    // Why the reader misses a key of the section that an editor shows: a
    // byte-order mark hides line 1, blanks around "=" become part of the key,
    // lines ended by CR alone read as one line. Empty when none of these is
    // in the text.
    UString hiddenKeyCause(const UString& section, const UString& key) const;
    // The causes that hide every line after them: the mark and CR alone.
    UString wholeTextCause() const;
    // The first fault a strict reading refuses: a cause that hides lines
    // (wholeTextCause), then by its number a stray line, a key before the
    // first section, a section or a section's key given a second time (with
    // the first line). Empty when there is none.
    UString strictFault() const;

    // Why a value is not a whole number an int holds (as
    // MemoryIniFile::isNumber, within range): "a whole number", "a whole
    // number the game can hold"; empty when it is one.
    static const char* notWholeNumber(const UString& value);
    // The refusal of the key's value, with its line: it is not what.
    UString valueFault(const UString& section, const UString& key, const UString& value, const char* what) const;

private:
    std::vector<Entry> lines;
    // Each key of each section (the section, LF, the key) to the entry of its first line.
    std::unordered_map<std::string, size_t> firstKeys;
    bool byteOrderMark = false;
    bool crAlone = false;
};
