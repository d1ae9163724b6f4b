#include "SkinListFault.h"

#include "files/IniLines.h"
#include "files/MemoryFile.h"
#include "files/MemoryIniFile.h"
#include "files/PrintableText.h"
#include "util/PlimUtil.h"

#include <cstdio>
#include <set>
#include <string>

namespace {

// The reader counts the sections that hold a key (those before the first
// header as one) and looks for [Skin 0] to [Skin n-1]: the first that is none
// of them, by its line.
UString strangeSection(const IniLines& lines) {
    std::set<std::string> sections;
    for (const IniLines::Entry& entry : lines.entries())
        if (!entry.header) sections.insert(entry.section.str());
    const int count = int(sections.size());
    for (const IniLines::Entry& entry : lines.entries()) {
        if (entry.header) continue;
        if (entry.section.isEmpty())
            return formatString("line %d holds a key before the first section", entry.line);
        int number = -1;
        if (sscanf(entry.section.c_str(), "Skin %d", &number) == 1 && number >= 0 && number < count &&
            formatString("Skin %d", number) == entry.section)
            continue;
        const UString named = count == 1 ? UString("[Skin 0]") : formatString("[Skin 0] to [Skin %d]", count - 1);
        return formatString("line %d starts section [%s], but the %d section%s of a side file must be %s",
                            lines.sectionLine(entry.section), printableText(entry.section).c_str(), count,
                            count == 1 ? "" : "s", named.c_str());
    }
    return UString();
}

} // namespace

UString SkinListFault::missingKey(const UString& fileName, const UString& section, const char* key) {
    UString why;
    MemoryFile file(fileName, &why);
    if (!why.isEmpty() || !file.data)
        return formatString("Key '%s' could not be found in section '%s'", key, section.c_str());
    const std::string text(reinterpret_cast<const char*>(file.data), size_t(file.size));
    why = MemoryIniFile::whyNotText(text);
    const IniLines lines(text);
    if (why.isEmpty()) why = lines.wholeTextCause();
    if (why.isEmpty()) why = strangeSection(lines);
    if (why.isEmpty()) why = lines.hiddenKeyCause(section, key);
    if (why.isEmpty())
        why = formatString("section [%s] on line %d lacks the key '%s'", section.c_str(), lines.sectionLine(section), key);
    return why;
}
