#include "MemoryIniFile.h"

#include "core/ErrorManager.h"
#include "FileManager.h"
#include "IniLines.h"
#include "util/FileStream.h"
#include "core/Logger.h"
#include "MemoryFile.h"
#include "PrintableText.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "ReplaceFile.h"
#include "SaveFailures.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

bool MemoryIniFile::isNumber(const UString& text, bool fraction) {
    const char* start = text.c_str();
    char* end = nullptr;
    if (fraction)
        (void)strtod(start, &end);
    else
        (void)strtol(start, &end, 10);
    if (end == start) return false;
    while (*end == ' ' || *end == '\t' || *end == '\r') ++end;
    return *end == 0;
}

bool MemoryIniFile::isFlag(const UString& text) {
    const UString lower = text.toLower();
    return (lower == "yes" && text[0] == 'Y') || lower == "no";
}

namespace {

// UTF-16 begins with its byte-order mark, or holds a zero byte beside each
// ASCII character; its zero bytes are said as such rather than as control bytes.
bool isUtf16(const std::string& text) {
    auto byte = [&text](size_t i) { return uint8_t(text[i]); };
    auto ascii = [](uint8_t c) { return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\r' || c == '\n'; };
    if (text.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF)))
        return true;
    if (text.size() < 4) return false;
    return (ascii(byte(0)) && byte(1) == 0 && ascii(byte(2)) && byte(3) == 0) ||
           (byte(0) == 0 && ascii(byte(1)) && byte(2) == 0 && ascii(byte(3)));
}

// The refusal of the byte at offset at, with its line.
UString notTextAt(const std::string& text, size_t at) {
    const long line = 1 + std::count(text.begin(), text.begin() + long(at), '\n');
    return formatString("it is not text (byte 0x%02x on line %ld)", uint8_t(text[at]), line);
}

} // namespace

MemoryIniFile::MemoryIniFile(const UString& fileName, bool read) : fileName(fileName) {
    if (!read) return;
    PLIM_ASSERT(PLIM && PLIM->fileManager);
    if (!PLIM->fileManager->fileExists(fileName)) return;
    archive = PLIM->fileManager->archiveOf(fileName);
    MemoryFile file(fileName);
    int firstIgnored = 0;
    int ignored = parse(reinterpret_cast<const char*>(file.data), file.size, &firstIgnored);
    if (ignored > 0)
        logTagged("MemoryIniFile", "Ignoring %d line%s of '%s' that %s neither a section nor a key (the first is line %d).",
                  ignored, ignored == 1 ? "" : "s", fileName.c_str(), ignored == 1 ? "is" : "are", firstIgnored);
}

MemoryIniFile::~MemoryIniFile() {}

UString MemoryIniFile::whyDamaged(const UString& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return UString();
    if (info.st_size > MAX_FILE_SIZE)
        return formatString("it is %lld bytes long, more than a settings file can be", (long long)info.st_size);
    FileStream file(path, FileStream::MODE_READ);
    if (!file.bOk) return file.problem;
    std::string text(size_t(file.size), '\0');
    if (file.read(&text[0], file.size) != file.size) return "it cannot be read whole";
    return whyNotText(text);
}

UString MemoryIniFile::whyNotText(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = uint8_t(text[i]);
        if (c == 0 && isUtf16(text)) return "it is UTF-16 text, not UTF-8";
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f) return notTextAt(text, i);
    }
    return UString();
}

UString MemoryIniFile::whyNotUtf8Text(const std::string& text) {
    const UString why = whyNotText(text);
    if (!why.isEmpty()) return why;
    const size_t at = firstNonTextByte(text);
    return at < text.size() ? notTextAt(text, at) : UString();
}

int MemoryIniFile::parse(const char* text, int length, int* firstIgnored) {
    if (!text || length <= 0) return 0;
    const IniLines lines(std::string(text, size_t(length)));
    int ignored = 0;
    for (const IniLines::Entry& entry : lines.entries()) {
        if (entry.kind == IniLines::KEY) getSection(entry.section).insert(entry.key, entry.value);
        // A stray line changes nothing: the keys after it stay in their section.
        if (entry.kind == IniLines::STRAY && ignored++ == 0 && firstIgnored) *firstIgnored = entry.line;
    }
    return ignored;
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
    if (FileManager::refuseBlockedSave(fileName)) return false;
    UString text = toText();
    UString reason;
    if (replaceFile(fileName, text.c_str(), int(text.length()), &reason)) {
        SaveFailures::saved(fileName);
        return true;
    }
    SaveFailures::report(fileName, reason);
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
    const UString text = getString(section, key);
    if (!isFlag(text))
        logTagged("readSetting", "Setting %s=%s of [%s] is not Yes or No; reading it as %s.", key.c_str(),
                  text.c_str(), section.c_str(), field ? "Yes" : "No");
}

void MemoryIniFile::readSetting(const UString& section, const UString& key, int& field) {
    readNumber(section, key, field);
}

void MemoryIniFile::readSetting(const UString& section, const UString& key, double& field) {
    readNumber(section, key, field);
}

bool MemoryIniFile::readNumber(const UString& section, const UString& key, int& field) {
    const int fallback = field;
    if (!hasKey(section, key)) setInt(section, key, field);
    const UString text = getString(section, key);
    if (isNumber(text, false)) {
        field = parseInt(text);
        return true;
    }
    logTagged("readSetting", "Setting %s=%s of [%s] is not a number; using %d.", key.c_str(), text.c_str(),
              section.c_str(), fallback);
    return false;
}

bool MemoryIniFile::readNumber(const UString& section, const UString& key, double& field) {
    const double fallback = field;
    if (!hasKey(section, key)) setDouble(section, key, field);
    const UString text = getString(section, key);
    if (isNumber(text, true)) {
        field = parseDouble(text);
        return true;
    }
    logTagged("readSetting", "Setting %s=%s of [%s] is not a number; using %g.", key.c_str(), text.c_str(),
              section.c_str(), fallback);
    return false;
}

bool MemoryIniFile::readSetting(const UString& section, const UString& key, int& field, int low,
                                int high) {
    const int fallback = field;
    if (!readNumber(section, key, field)) return false;
    if (field >= low && field <= high) return true;
    logTagged("readSetting", "Setting %s=%s of [%s] is out of range (%d to %d); using %d.",
              key.c_str(), getString(section, key).c_str(), section.c_str(), low, high, fallback);
    field = fallback;
    return false;
}

bool MemoryIniFile::readSetting(const UString& section, const UString& key, double& field,
                                double low, double high) {
    const double fallback = field;
    if (!readNumber(section, key, field)) return false;
    if (field >= low && field <= high) return true;
    logTagged("readSetting", "Setting %s=%s of [%s] is out of range (%g to %g); using %g.",
              key.c_str(), getString(section, key).c_str(), section.c_str(), low, high, fallback);
    field = fallback;
    return false;
}
