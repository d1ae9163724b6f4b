#pragma once
// INI text split into lines the way MemoryIniFile::parse splits it, to say
// where the reader took a key or section from, and why it found none where an
// editor shows one. Read only when a fault is to be told.
#include "util/UString.h"

#include <string>
#include <vector>

class IniLines {
public:
    explicit IniLines(const std::string& text);

    // A section header or key line as the reader takes it: the key is the
    // text before "=", blanks and all.
    struct Entry {
        int line = 0;
        bool header = false;
        UString section;
        UString key;
    };
    const std::vector<Entry>& entries() const { return lines; }

    // The line of the section's first header; 0 when it has none.
    int sectionLine(const UString& section) const;
    // The line the reader takes the key of the section from (its first); 0 when none.
    int keyLine(const UString& section, const UString& key) const;

    // Why the reader misses a key of the section that an editor shows: a
    // byte-order mark hides line 1, blanks around "=" become part of the key,
    // lines ended by CR alone read as one line. Empty when none of these is
    // in the text.
    UString hiddenKeyCause(const UString& section, const UString& key) const;
    // The causes that hide every line after them: the mark and CR alone.
    UString wholeTextCause() const;

private:
    std::vector<Entry> lines;
    bool byteOrderMark = false;
    bool crAlone = false;
};
