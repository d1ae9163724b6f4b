#pragma once
// One INI text file held in memory as sections of key and value strings, with
// typed accessors that convert on every call and a writer. Lines split at LF
// and are trimmed; a line with "=" is "key=value" taken verbatim, "[name]"
// names the current section, and any other line (a comment after ";" or "#"
// among them) is ignored. The first occurrence of a key wins; there are no
// escapes.
#include "util/UString.h"
#include "util/UStringHashMap.h"

class MemoryIniFile {
public:
    // Reads the file through the file manager when it reports it present
    // (and read is set); otherwise starts empty, and needs no engine. Ignored
    // lines are logged once.
    explicit MemoryIniFile(const UString& fileName, bool read = true);
    virtual ~MemoryIniFile();
    MemoryIniFile(const MemoryIniFile&) = delete;
    MemoryIniFile& operator=(const MemoryIniFile&) = delete;

    // Whether the file holds the section; creates nothing.
    bool hasSection(const UString& section) const { return sections.contains(section); }
    // Each of these creates the named section, empty, when it does not exist.
    bool hasKey(const UString& section, const UString& key);
    // A missing key is a fatal error.
    UString getString(const UString& section, const UString& key);
    bool getBool(const UString& section, const UString& key);  // first character 'Y'
    int getInt(const UString& section, const UString& key);
    double getDouble(const UString& section, const UString& key);
    void setString(const UString& section, const UString& key, const UString& value);
    void setBool(const UString& section, const UString& key, bool value);  // "Yes" / "No"
    void setInt(const UString& section, const UString& key, int value);    // "%d"
    void setDouble(const UString& section, const UString& key, double value);  // "%.8lf"
    void removeKey(const UString& section, const UString& key);

    // A setting with a default: the field holds its default; a key the section
    // lacks is first written from it with the setter of its type, then the
    // field is read back with the getter of that type. A number whose text is
    // not wholly a number is logged and the field keeps its default; a flag
    // that is not isFlag is logged and read as getBool reads it.
    void readSetting(const UString& section, const UString& key, UString& field);
    void readSetting(const UString& section, const UString& key, bool& field);
    void readSetting(const UString& section, const UString& key, int& field);
    void readSetting(const UString& section, const UString& key, double& field);
    // The same for a setting whose use could overflow or hang: a value outside
    // low..high (or not a number) is logged and the field keeps its default;
    // the file keeps what the player wrote. False when the default was kept.
    bool readSetting(const UString& section, const UString& key, int& field, int low, int high);
    bool readSetting(const UString& section, const UString& key, double& field, double low,
                     double high);

    // Sections read or created so far (the getters create missing ones).
    int getNumSections() const { return int(sections.size()); }

    // Writes every section ("[name]", "key=value" lines, an empty line) over
    // fileName through a temporary file; a file that cannot be written is left
    // as it was, and the failure is logged and told to the player.
    bool save();

    // Why a settings file on disk should not be read and saved over: empty when
    // it is text (no control byte but tab, CR and LF; UTF-16 is named as such)
    // of at most MAX_FILE_SIZE bytes, whatever its lines say.
    static UString whyDamaged(const UString& path);
    // The same for the file's bytes, its size aside.
    static UString whyNotText(const std::string& text);
    // The same, and every byte but tab, CR and LF part of a printable UTF-8
    // character: what a file the game reads strictly must be.
    static UString whyNotUtf8Text(const std::string& text);
    static constexpr long MAX_FILE_SIZE = 1 << 20;

    // The whole text, blanks aside, is one number of the type (not "7x", "",
    // "1.5" for an int).
    static bool isNumber(const UString& text, bool fraction);
    // The text reads through getBool as the word it spells: Yes (a capital Y,
    // then "es" in any case) or No (in any case). Not "yes", "1", "true" or
    // " Yes", which read as No.
    static bool isFlag(const UString& text);

    // Adds the sections and keys of INI text (what the constructor does with
    // the file's bytes); returns how many lines were ignored, and the number
    // of the first in *firstIgnored when given (comments are not counted).
    int parse(const char* text, int length, int* firstIgnored = nullptr);
    // The bytes that save writes.
    UString toText() const;

    UString fileName;
    // The archive the file was read from; empty for a file on the disk.
    UString archive;

private:
    typedef UStringHashMap<UString> KeyMap;
    // readSetting of a number; false (logged, field unchanged) when the text is not one.
    bool readNumber(const UString& section, const UString& key, int& field);
    bool readNumber(const UString& section, const UString& key, double& field);
    KeyMap& getSection(const UString& section);

    UStringHashMap<KeyMap> sections;
};
