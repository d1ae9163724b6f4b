#include "StaticSettings.h"

#include "files/FileManager.h"
#include "files/IniLines.h"
#include "files/MemoryIniFile.h"
#include "files/PrintableText.h"
#include "util/FileStream.h"
#include "util/PlimUtil.h"

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
const char* notOfType(const UString& text, int) { return IniLines::notWholeNumber(text); }
const char* notOfType(const UString& text, double) {
    return MemoryIniFile::isNumber(text, true) && std::isfinite(strtod(text.c_str(), nullptr)) ? "" : "a number";
}

// Why the key's value would not be read as its writer meant: empty for a
// value of the field's type.
template <class Number>
UString valueProblem(const IniLines& lines, const char* section, const char* key, const UString& value, Number field) {
    const char* wanted = notOfType(value, field);
    return *wanted ? lines.valueFault(section, key, value, wanted) : UString();
}

// A flag the engine would not read as the word it resembles ("yes", "1",
// " Yes" all read as No), with its line.
UString valueProblem(const IniLines& lines, const char* section, const char* key, const UString& value, bool) {
    if (MemoryIniFile::isFlag(value)) return UString();
    UString word = value;
    trimString(word);
    const bool blanks = word.length() != value.length() && MemoryIniFile::isFlag(word);
    return formatString("the key '%s' of section [%s] on line %d is '%s', which the game reads as %s%s; write Yes or No",
                        key, section, lines.keyLine(section, key), printableText(value).c_str(),
                        !value.isEmpty() && value[0] == 'Y' ? "Yes" : "No",
                        blanks ? " (it reads the blanks after '=' as part of the value)" : "");
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
    // Read strictly, as side files are: a key given twice or a stray line is
    // a writer's slip the engine would pass over without a word.
    const IniLines lines(text);
    why = lines.strictFault();
    StaticSettings settings;
    settings.eachKey([&lines, &why](const char* section, const char* key, auto field) {
        if (!why.isEmpty()) return;
        const IniLines::Entry* entry = lines.find(section, key);
        if (!entry) {
            why = lines.hiddenKeyCause(section, key);
            if (why.isEmpty()) why = formatString("it lacks the key '%s' of section [%s]", key, section);
            return;
        }
        why = valueProblem(lines, section, key, entry->value, field);
    });
    return why;
}
