#include "MemoryIniFile.h"

#include "ErrorManager.h"
#include "FileManager.h"
#include "Logger.h"
#include "MemoryFile.h"
#include "Plim.h"
#include "PlimUtil.h"
#include "ReplaceFile.h"

#include <cstring>

MemoryIniFile::MemoryIniFile(const UString& fileName) : fileName(fileName) {
    PLIM_ASSERT(PLIM && PLIM->fileManager);
    if (!PLIM->fileManager->fileExists(fileName)) return;
    archive = PLIM->fileManager->archiveOf(fileName);
    MemoryFile file(fileName);
    parse(reinterpret_cast<const char*>(file.data), file.size);
}

MemoryIniFile::~MemoryIniFile() {}

void MemoryIniFile::parse(const char* text, int length) {
    if (!text || length <= 0) return;
    UString section;
    const char* end = text + length;
    for (const char* start = text; start < end;) {
        const void* lf = memchr(start, '\n', size_t(end - start));
        const char* next = lf ? static_cast<const char*>(lf) + 1 : end;
        UString line(start, size_t(next - start));
        start = next;
        trimString(line);
        if (line.isEmpty()) continue;
        int equals = line.find("=");
        if (equals < 0) {
            section = line.length() > 2 ? line.substr(1, line.length() - 2) : UString();
            continue;
        }
        getSection(section).insert(line.substr(0, size_t(equals)), line.substr(size_t(equals) + 1));
    }
}

UString MemoryIniFile::toText() const {
    UString text;
    for (const auto& s : sections) {
        text += "[";
        text += s.key;
        text += "]\n";
        for (const auto& k : s.value) {
            text += k.key;
            text += "=";
            text += k.value;
            text += "\n";
        }
        text += "\n";
    }
    return text;
}

bool MemoryIniFile::save() {
    if (FileManager::isSaveBlocked(fileName)) {
        logTagged("save", "Not saving '%s': the damaged file there is kept.", fileName.c_str());
        return false;
    }
    UString text = toText();
    UString reason;
    if (replaceFile(fileName, text.c_str(), int(text.length()), &reason)) return true;
    FileManager::reportSaveFailure(fileName, reason);
    return false;
}

MemoryIniFile::KeyMap& MemoryIniFile::getSection(const UString& section) {
    return sections.findOrInsert(section);
}

bool MemoryIniFile::hasKey(const UString& section, const UString& key) {
    return getSection(section).contains(key);
}

UString MemoryIniFile::getString(const UString& section, const UString& key) {
    const UString* value = getSection(section).find(key);
    if (!value && archive.isEmpty())
        PLIM_ERROR("Key '%s' could not be found in section '%s'.", key.c_str(), section.c_str());
    if (!value)
        PLIM_ERROR("Key '%s' could not be found in section '%s'. The file '%s' was read from archive '%s'.",
                   key.c_str(), section.c_str(), fileName.c_str(), archive.c_str());
    return *value;
}

bool MemoryIniFile::getBool(const UString& section, const UString& key) {
    UString value = getString(section, key);
    return !value.isEmpty() && value[0] == 'Y';
}

int MemoryIniFile::getInt(const UString& section, const UString& key) {
    return parseInt(getString(section, key));
}

double MemoryIniFile::getDouble(const UString& section, const UString& key) {
    return parseDouble(getString(section, key));
}

void MemoryIniFile::setString(const UString& section, const UString& key, const UString& value) {
    removeKey(section, key);
    getSection(section).insert(key, value);
}

void MemoryIniFile::setBool(const UString& section, const UString& key, bool value) {
    setString(section, key, value ? "Yes" : "No");
}

void MemoryIniFile::setInt(const UString& section, const UString& key, int value) {
    setString(section, key, formatString("%d", value));
}

void MemoryIniFile::setDouble(const UString& section, const UString& key, double value) {
    setString(section, key, formatString("%.8lf", value));
}

void MemoryIniFile::removeKey(const UString& section, const UString& key) {
    getSection(section).erase(key);
}

void MemoryIniFile::readSetting(const UString& section, const UString& key, UString& field) {
    if (!hasKey(section, key)) setString(section, key, field);
    field = getString(section, key);
}

void MemoryIniFile::readSetting(const UString& section, const UString& key, bool& field) {
    if (!hasKey(section, key)) setBool(section, key, field);
    field = getBool(section, key);
}

void MemoryIniFile::readSetting(const UString& section, const UString& key, int& field) {
    if (!hasKey(section, key)) setInt(section, key, field);
    field = getInt(section, key);
}

void MemoryIniFile::readSetting(const UString& section, const UString& key, double& field) {
    if (!hasKey(section, key)) setDouble(section, key, field);
    field = getDouble(section, key);
}

bool MemoryIniFile::readSetting(const UString& section, const UString& key, int& field, int low,
                                int high) {
    const int fallback = field;
    readSetting(section, key, field);
    if (field >= low && field <= high) return true;
    logTagged("readSetting", "Setting %s=%s of [%s] is out of range (%d to %d); using %d.",
              key.c_str(), getString(section, key).c_str(), section.c_str(), low, high, fallback);
    field = fallback;
    return false;
}

bool MemoryIniFile::readSetting(const UString& section, const UString& key, double& field,
                                double low, double high) {
    const double fallback = field;
    readSetting(section, key, field);
    if (field >= low && field <= high) return true;
    logTagged("readSetting", "Setting %s=%s of [%s] is out of range (%g to %g); using %g.",
              key.c_str(), getString(section, key).c_str(), section.c_str(), low, high, fallback);
    field = fallback;
    return false;
}
