#include "IniLines.h"

#include "MemoryIniFile.h"
#include "PrintableText.h"
#include "util/PlimUtil.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// A section's key as one string: no line holds a line feed.
std::string keyName(const UString& section, const UString& key) { return section.str() + '\n' + key.str(); }

} // namespace

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
            const UString key = line.substr(0, size_t(equals));
            const auto first = firstKeys.emplace(keyName(section, key), lines.size());
            lines.push_back({number, KEY, section, key, line.substr(size_t(equals) + 1),
                             first.second ? 0 : lines[first.first->second].line});
        } else if (line[0] == '[' && line[line.length() - 1] == ']') {
            section = line.substr(1, line.length() - 2);
            lines.push_back({number, HEADER, section, UString(), UString(), 0});
        } else if (line[0] != ';' && line[0] != '#') {
            lines.push_back({number, STRAY, section, UString(), UString(), 0});
        }
    }
}

int IniLines::sectionLine(const UString& section) const {
    for (const Entry& entry : lines)
        if (entry.kind == HEADER && entry.section == section) return entry.line;
    return 0;
}

const IniLines::Entry* IniLines::find(const UString& section, const UString& key) const {
    const auto found = firstKeys.find(keyName(section, key));
    return found == firstKeys.end() ? nullptr : &lines[found->second];
}

int IniLines::keyLine(const UString& section, const UString& key) const {
    const Entry* entry = find(section, key);
    return entry ? entry->line : 0;
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
        if (entry.kind != KEY || entry.section != section) continue;
        UString name = entry.key;
        trimString(name);
        if (name == key && name.length() != entry.key.length())
            return formatString("line %d has blanks around '=', which the game reads as part of the key", entry.line);
    }
    return UString();
}

UString IniLines::strictFault() const {
    const UString whole = wholeTextCause();
    if (!whole.isEmpty()) return whole;
    std::unordered_map<std::string, int> headers;
    for (const Entry& entry : lines) {
        if (entry.kind == STRAY) return formatString("line %d is neither a section, a key nor a comment", entry.line);
        if (entry.kind == HEADER) {
            const auto first = headers.emplace(entry.section.str(), entry.line);
            if (!first.second)
                return formatString("section [%s] is started on line %d and again on line %d",
                                    printableText(entry.section).c_str(), first.first->second, entry.line);
            continue;
        }
        if (headers.empty()) return formatString("line %d holds a key before the first section", entry.line);
        if (entry.firstLine)
            return formatString("the key '%s' of section [%s] is given on line %d and again on line %d",
                                printableText(entry.key).c_str(), printableText(entry.section).c_str(),
                                entry.firstLine, entry.line);
    }
    return UString();
}

const char* IniLines::notWholeNumber(const UString& value) {
    if (!MemoryIniFile::isNumber(value, false)) return "a whole number";
    errno = 0;
    const long number = strtol(value.c_str(), nullptr, 10);
    return errno == 0 && number >= INT_MIN && number <= INT_MAX ? "" : "a whole number the game can hold";
}

UString IniLines::valueFault(const UString& section, const UString& key, const UString& value, const char* what) const {
    return formatString("the key '%s' of section [%s] on line %d is '%s', not %s", printableText(key).c_str(),
                        printableText(section).c_str(), keyLine(section, key), printableText(value).c_str(), what);
}
