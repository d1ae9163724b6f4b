#include "SkinList.h"

#include "core/DataFault.h"
#include "files/IniLines.h"
#include "files/MemoryFile.h"
#include "files/MemoryIniFile.h"
#include "files/PrintableText.h"
#include "util/PlimUtil.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Why the text cannot be read strictly at all: not UTF-8 text, lines hidden
// from the reader, a line the reader would ignore or take twice.
UString textProblem(const std::string& text, const IniLines& lines) {
    const UString why = MemoryIniFile::whyNotUtf8Text(text);
    return why.isEmpty() ? lines.strictFault() : why;
}

// The first section that is not one of [Skin 0] to [Skin count-1], by its line.
UString sectionProblem(const IniLines& lines, int count) {
    for (const IniLines::Entry& entry : lines.entries()) {
        if (entry.kind != IniLines::HEADER) continue;
        const std::string& name = entry.section.str();
        const long i = name.compare(0, 5, "Skin ") == 0 ? strtol(name.c_str() + 5, nullptr, 10) : -1;
        if (i >= 0 && i < count && formatString("Skin %ld", i) == entry.section) continue;
        const UString named = count == 1 ? UString("[Skin 0]") : formatString("[Skin 0] to [Skin %d]", count - 1);
        return formatString("line %d starts section [%s], but the %d section%s of a side file must be %s", entry.line,
                            printableText(entry.section).c_str(), count, count == 1 ? "" : "s", named.c_str());
    }
    return UString();
}

// The key's whole number into value (left alone when the key is optional and
// absent); else the fault, with its line, or the cause that hides the key.
UString readNumber(const IniLines& lines, const UString& section, const char* key, int& value, bool optional) {
    const IniLines::Entry* entry = lines.find(section, key);
    if (!entry) {
        if (optional) return UString();
        const UString hidden = lines.hiddenKeyCause(section, key);
        return !hidden.isEmpty() ? hidden
                                 : formatString("section [%s] on line %d lacks the key '%s'", section.c_str(),
                                                lines.sectionLine(section), key);
    }
    const char* wanted = IniLines::notWholeNumber(entry->value);
    if (*wanted) return lines.valueFault(section, key, entry->value, wanted);
    value = int(strtol(entry->value.c_str(), nullptr, 10));
    return UString();
}

// Skin i read into r and placed inside the picture.
UString skinProblem(const IniLines& lines, int i, const UString& picture, int width, int height, SkinRect& r) {
    const UString section = formatString("Skin %d", i);
    UString why;
    const struct {
        const char* key;
        int& value;
        bool optional;
    } keys[] = {{"left", r.left, false},           {"top", r.top, false},
                {"width", r.width, false},         {"height", r.height, false},
                {"origin_adjust_x", r.adjustX, true}, {"origin_adjust_y", r.adjustY, true}};
    for (const auto& k : keys)
        if (why.isEmpty()) why = readNumber(lines, section, k.key, k.value, k.optional);
    if (!why.isEmpty()) return why;
    if (r.left < 0 || r.top < 0 || r.width <= 0 || r.height <= 0 || int64_t(r.left) + r.width > width ||
        int64_t(r.top) + r.height > height)
        return formatString("Skin %d (left %d, top %d, width %d, height %d) lies outside the %dx%d image '%s'.", i,
                            r.left, r.top, r.width, r.height, width, height, picture.c_str());
    return UString();
}

} // namespace

UString SkinList::readText(const std::string& text, const UString& picture, int width, int height,
                           std::vector<SkinRect>& skins) {
    const IniLines lines(text);
    UString why = textProblem(text, lines);
    if (!why.isEmpty()) return why;
    int count = 0;
    for (const IniLines::Entry& entry : lines.entries()) count += entry.kind == IniLines::HEADER;
    // The game draws every picture through its sub-images: at least one.
    if (count == 0) return "it lists no sub-images";
    if (count > MAX_SKINS)
        return formatString("it lists %d sub-images, more than the %d a side file may list", count, MAX_SKINS);
    why = sectionProblem(lines, count);
    for (int i = 0; i < count && why.isEmpty(); ++i) {
        SkinRect r;
        why = skinProblem(lines, i, picture, width, height, r);
        if (why.isEmpty()) skins.push_back(r);
    }
    return why;
}

bool SkinList::read(const UString& fileName, const UString& picture, int width, int height,
                    std::vector<SkinRect>& skins, UString* problem) {
    UString why;
    MemoryFile file(fileName, &why);
    if (why.isEmpty()) {
        const char* bytes = reinterpret_cast<const char*>(file.data);
        why = readText(bytes ? std::string(bytes, size_t(file.size)) : std::string(), picture, width, height, skins);
    }
    if (why.isEmpty()) return true;
    skins.clear();
    if (!problem)
        DataFault::raise("The side file '%s' cannot be used: %s", printableText(fileName).c_str(), why.c_str());
    *problem = why;
    return false;
}
