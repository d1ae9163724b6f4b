#include "StaticSettings.h"

#include "files/FileManager.h"
#include "files/MemoryIniFile.h"
#include "files/PrintableText.h"
#include "util/FileStream.h"
#include "util/PlimUtil.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

void readStrict(MemoryIniFile& file, const char* section, const char* key, bool& field) {
    field = file.getBool(section, key);
}
void readStrict(MemoryIniFile& file, const char* section, const char* key, int& field) {
    field = file.getInt(section, key);
}
void readStrict(MemoryIniFile& file, const char* section, const char* key, double& field) {
    field = file.getDouble(section, key);
}

// Empty when text is a value of the field's type; else what it is not. A
// flag is Yes when its value begins with 'Y', else No: any value reads.
const char* notOfType(const UString&, bool) { return ""; }
const char* notOfType(const UString& text, int) {
    if (!MemoryIniFile::isNumber(text, false)) return "a whole number";
    errno = 0;
    const long value = strtol(text.c_str(), nullptr, 10);
    return errno == 0 && value >= INT_MIN && value <= INT_MAX ? "" : "a whole number the game can hold";
}
const char* notOfType(const UString& text, double) {
    return MemoryIniFile::isNumber(text, true) && std::isfinite(strtod(text.c_str(), nullptr)) ? "" : "a number";
}

// Why the reader found no key where an editor shows one: a byte-order mark
// hides line 1, blanks around "=" become part of the key, and lines ended by
// CR alone read as one line. Empty when none of these is in text.
UString hiddenKeyCause(const std::string& text, const char* key) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0 && text.substr(0, text.find('\n')).find_first_of("[=") != std::string::npos)
        return "line 1 begins with a byte-order mark, so the game does not read that line (save the file as UTF-8 "
               "without one)";
    int number = 1;
    for (size_t start = 0; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        UString line(text.substr(start, end - start));
        start = end + 1;
        trimString(line);
        const int equals = line.find("=");
        if (equals < 0) continue;
        UString name = line.substr(0, size_t(equals));
        trimString(name);
        if (name == key && name.length() != size_t(equals))
            return formatString("line %d has blanks around '=', which the game reads as part of the key", number);
    }
    if (text.find('\r') != std::string::npos && text.find("\r\n") == std::string::npos)
        return "its lines end in CR alone, which the game reads as one line";
    return UString();
}

} // namespace

template <class Visit>
void StaticSettings::eachKey(Visit visit) {
    visit("Language", "bMultilanguage", bMultilanguage);
    visit("Language", "singleLanguage", singleLanguage);
    visit("Edition", "bHoliday", bHoliday);
    visit("Graphics", "ditherDepth", ditherDepth);
    visit("Input", "hardwareMouseScaling", hardwareMouseScaling);
}

void StaticSettings::read(MemoryIniFile& file) {
    eachKey([&file](const char* section, const char* key, auto& field) { readStrict(file, section, key, field); });
}

UString StaticSettings::problem(const UString& path) {
    UString why = FileManager::whyUnreadable(path);
    if (why.isEmpty()) why = MemoryIniFile::whyDamaged(path);
    if (!why.isEmpty()) return why;
    FileStream stream(path, FileStream::MODE_READ);
    std::string text(size_t(stream.size), '\0');
    if (!stream.bOk || stream.read(&text[0], stream.size) != stream.size) return "it cannot be read whole";
    if (text.empty()) return "it is empty";
    MemoryIniFile file(path, false);
    file.parse(text.data(), int(text.size()));
    StaticSettings settings;
    settings.eachKey([&file, &why, &text](const char* section, const char* key, auto field) {
        if (!why.isEmpty()) return;
        if (!file.hasKey(section, key)) {
            why = hiddenKeyCause(text, key);
            if (why.isEmpty()) why = formatString("it lacks the key '%s' of section [%s]", key, section);
            return;
        }
        const UString value = file.getString(section, key);
        const char* wanted = notOfType(value, field);
        if (*wanted)
            why = formatString("the key '%s' of section [%s] is '%s', not %s", key, section,
                               printableText(value).c_str(), wanted);
    });
    return why;
}
