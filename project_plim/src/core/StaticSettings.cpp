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

// Empty when text is a value of the field's type; else what it is not.
const char* notOfType(const UString& text, bool) {
    return text == "Yes" || text == "No" ? "" : "Yes or No";
}
const char* notOfType(const UString& text, int) {
    if (!MemoryIniFile::isNumber(text, false)) return "a whole number";
    errno = 0;
    const long value = strtol(text.c_str(), nullptr, 10);
    return errno == 0 && value >= INT_MIN && value <= INT_MAX ? "" : "a whole number the game can hold";
}
const char* notOfType(const UString& text, double) {
    return MemoryIniFile::isNumber(text, true) && std::isfinite(strtod(text.c_str(), nullptr)) ? "" : "a number";
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
    settings.eachKey([&file, &why](const char* section, const char* key, auto field) {
        if (!why.isEmpty()) return;
        if (!file.hasKey(section, key)) {
            why = formatString("it lacks the key '%s' of section [%s]", key, section);
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
