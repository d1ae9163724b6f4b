#include "IniLines.h"

#include "util/PlimUtil.h"

IniLines::IniLines(const std::string& text) {
    byteOrderMark = text.compare(0, 3, "\xEF\xBB\xBF") == 0 &&
                    text.substr(0, text.find('\n')).find_first_of("[=") != std::string::npos;
    crAlone = text.find('\r') != std::string::npos && text.find("\r\n") == std::string::npos;
    UString section;
    int number = 1;
    for (size_t start = 0; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        UString line(text.substr(start, end - start));
        start = end + 1;
        trimString(line);
        if (line.isEmpty()) continue;
        const int equals = line.find("=");
        if (equals >= 0) {
            lines.push_back({number, false, section, line.substr(0, size_t(equals))});
        } else if (line[0] == '[' && line[line.length() - 1] == ']') {
            section = line.substr(1, line.length() - 2);
            lines.push_back({number, true, section, UString()});
        }
    }
}

int IniLines::sectionLine(const UString& section) const {
    for (const Entry& entry : lines)
        if (entry.header && entry.section == section) return entry.line;
    return 0;
}

int IniLines::keyLine(const UString& section, const UString& key) const {
    for (const Entry& entry : lines)
        if (!entry.header && entry.section == section && entry.key == key) return entry.line;
    return 0;
}

UString IniLines::wholeTextCause() const {
    if (byteOrderMark)
        return "line 1 begins with a byte-order mark, so the game does not read that line (save the file as UTF-8 "
               "without one)";
    if (crAlone) return "its lines end in CR alone, which the game reads as one line";
    return UString();
}

UString IniLines::hiddenKeyCause(const UString& section, const UString& key) const {
    const UString whole = wholeTextCause();
    if (!whole.isEmpty()) return whole;
    for (const Entry& entry : lines) {
        if (entry.header || entry.section != section) continue;
        UString name = entry.key;
        trimString(name);
        if (name == key && name.length() != entry.key.length())
            return formatString("line %d has blanks around '=', which the game reads as part of the key", entry.line);
    }
    return UString();
}
