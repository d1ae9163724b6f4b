#pragma once
// The one place through which the program opens its data files by name: from
// the data archives (a directory of every entry by name) while archives are in
// use, from the disk otherwise, with no fallback between the two. In
// archive-building mode every file opened from the disk is registered for the
// archive selected last, and the archives are written at the end. Also holds
// the protected saved-data operations.
#include "util/UString.h"
#include "WadEntry.h"
#include "WadEntryMap.h"

#include <cstdint>
#include <vector>

class FileStream;
class RuntimeClass;
class Stream;

constexpr int32_t WAD_VERSION = 2;

class FileManager {
public:
    FileManager();
    virtual RuntimeClass* getClass();
    // Writes the archives being built, if any.
    virtual ~FileManager();

    static RuntimeClass runtimeClass;

    // The returned stream belongs to the caller, who reads at most *size bytes
    // from it (size may be null). A missing name is a fatal error.
    //
    // These operations, given problem, are never fatal for a file or archive
    // that is missing, unreadable or damaged: they fail (null, false) with
    // one line naming the file and the reason in *problem. Tools use that;
    // the game's data must be there and whole.
    Stream* openFile(const UString& name, int* size, UString* problem = nullptr);
    Stream* openDisk(const UString& name, int* size, UString* problem = nullptr);
    Stream* openWad(const UString& name, int* size, UString* problem = nullptr);
    // As openFile, for the file's first headBytes bytes only (all of a
    // shorter file): *size says how many the stream holds, and a compressed
    // entry is inflated no further than them.
    Stream* openHead(const UString& name, int headBytes, int* size, UString* problem = nullptr);

    // Selects the archive that new entries are registered under; when reading,
    // loads its directory the first time it is named.
    bool useWad(const UString& wadName, UString* problem = nullptr);
    // The archive's records in file order, duplicates included; a corrupt
    // archive is a fatal error naming it.
    bool readWadDirectory(const UString& wadName, std::vector<WadEntry>& records, UString* problem = nullptr);
    WadEntry* findWadEntry(const UString& name);
    // The archive that openFile reads name from; empty when it comes from the
    // disk (or is missing). Errors in what was read say where it came from.
    UString archiveOf(const UString& name);
    bool isInWad(const UString& name);
    bool fileExists(const UString& name);
    void verifyFile(const UString& name);
    bool verifyFileDisk(const UString& name, UString* problem = nullptr);
    bool verifyFileWad(const UString& name, UString* problem = nullptr);

    // False when the archive could not be written whole (its entries are
    // removed all the same), with the system's reason for the first failure
    // in *problem when given.
    bool saveSubWad(const UString& wadName, UString* problem = nullptr);
    void saveWads();

    // Protected saved data: folder + "/" + fileName, keyed by the file name and
    // keyString. A size of 0 saves nothing and loads nothing (successfully).
    // A failed save is logged with the system's reason and told to the player
    // (SaveFailures); the previous file stays.
    static bool saveProtectedData(const UString& folder, const UString& fileName,
                                  const UString& keyString, const void* data, int size);
    // True only when the file checks out and holds exactly size bytes; data is
    // untouched otherwise. When a file is there but refused, *problem (when
    // given) says why; it stays empty for a missing file.
    static bool loadProtectedData(const UString& folder, const UString& fileName,
                                  const UString& keyString, void* data, int size,
                                  UString* problem = nullptr);
    static bool fileExistsOnDisk(const UString& path);
    // Something of that name is on the disk, readable or not.
    static bool pathExistsOnDisk(const UString& path);
    // Empty when the file opens for reading; else the system's reason.
    static UString whyUnreadable(const UString& path);
    // Renames a file that could not be read or checked out of the way (to
    // path + ".bad", or ".bad.2", ".bad.3", ... when taken; behind links, the
    // file they lead to, beside itself, and the links stay) so that nothing is
    // ever saved over it; logs one line and tells the player. Returns the new
    // name, or empty when it could not be renamed: then every later save to
    // that path is refused for the rest of the run.
    static UString keepDamagedFile(const UString& path, const UString& reason);
    // A file at path that was refused: one that cannot be read (not a regular
    // file, no permission) is left where it is and never saved over, with one
    // log line and a notice that says why; a damaged one goes to keepDamagedFile.
    static void keepRefusedFile(const UString& path, const UString& reason);
    // Nothing may be saved over path this run: a damaged file that could not
    // be set aside, or one that cannot be read, lies there.
    static bool isSaveBlocked(const UString& path);
    // isSaveBlocked or skipped (skipSaves), with a log line saying why the save
    // is not made; a blocked one is also said on standard error.
    static bool refuseBlockedSave(const UString& path);
    // The player chose to quit without this save: later saves of path this
    // run are not made.
    static void skipSaves(const UString& path);

    bool bForceDisk = false;
    bool bCreateWad = false;
    WadEntryMap directory;
    UString currentWad;
    bool bUseWad = true;
    bool bCompressWad = false;

private:
    bool useDisk() const { return !bUseWad || bForceDisk; }
    // The entry's archive opened at its data, which must still lie inside it.
    FileStream* openEntryData(const WadEntry& entry, UString* problem);
    // Compresses an entry's contents into packed; true when that saves more
    // than five percent, so the compressed form is what goes into the archive.
    static bool compressEntry(const UString& name, const uint8_t* data, int size,
                              std::vector<uint8_t>& packed);
};
