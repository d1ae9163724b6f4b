#include "FileManager.h"

#include "core/ErrorManager.h"
#include "util/FileStream.h"
#include "InflateEntry.h"
#include "core/Logger.h"
#include "MemoryFile.h"
#include "util/MemoryStream.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "PrintableText.h"
#include "ReplaceFile.h"
#include "core/RuntimeClass.h"
#include "SaveBlob.h"
#include "SaveFailures.h"
#include "UserNotices.h"
#include "WadDirectory.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

RuntimeClass FileManager::runtimeClass("FileManager", &FileManager::runtimeClass, nullptr);

namespace {
// Files that are never saved over this run, with why: damaged ones that
// could not be renamed aside, and ones that cannot be read.
std::map<std::string, std::string>& blockedPaths() {
    static std::map<std::string, std::string> paths;
    return paths;
}

// Saves the player chose to go without.
std::set<std::string>& skippedPaths() {
    static std::set<std::string> paths;
    return paths;
}

// A file or archive that cannot be read: a fatal error located at the caller,
// as a missing or damaged data file is for the game, unless problem is given
// (a tool): then it receives the one-line reason. Always false.
bool refuseAt(UString* problem, const char* function, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
bool refuseAt(UString* problem, const char* function, int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    UString why;
    formatStringV(why, format, args);
    va_end(args);
    if (!problem) ErrorManager::errorAt(function, __FILE__, line, "%s", why.c_str());
    *problem = why;
    return false;
}
#define REFUSE(problem, ...) refuseAt(problem, __func__, __LINE__, __VA_ARGS__)

// Reads a source file of an archive being built; it must still have the size
// it had when it was registered, or the directory would not match the data.
void checkUnchanged(const WadEntry& entry, const MemoryFile& file) {
    if (uint32_t(file.size) != entry.size)
        PLIM_ERROR("File '%s' changed size while archive '%s' was written (%u bytes, now %d).",
                   entry.fileName.c_str(), entry.wadName.c_str(), entry.size, file.size);
}
} // namespace

FileManager::FileManager() {
    logTagged("FileManager", "Starting...");
    if (bCreateWad) PLIM_ASSERT(!bUseWad);
}

RuntimeClass* FileManager::getClass() { return &runtimeClass; }

FileManager::~FileManager() {
    if (bCreateWad) saveWads();
    directory.clear();
}

Stream* FileManager::openFile(const UString& name, int* size, UString* problem) {
    return useDisk() ? openDisk(name, size, problem) : openWad(name, size, problem);
}

Stream* FileManager::openDisk(const UString& name, int* size, UString* problem) {
    if (!verifyFileDisk(name, problem)) return nullptr;
    FileStream* f = new FileStream(name, FileStream::MODE_READ);
    if (!f->bOk && problem) { // gone or changed since it was checked
        REFUSE(problem, "Cannot read '%s': %s", name.c_str(), f->problem.c_str());
        delete f;
        return nullptr;
    }
    PLIM_ASSERT(f->bOk);
    if (size) *size = f->size;
    if (bCreateWad && !bForceDisk) {
        if (directory.contains(name)) {
            logTagged("openDisk", "Skipping already existing file '%s' in wad creation.",
                      name.c_str());
        } else {
            WadEntry entry;
            entry.fileName = name;
            entry.wadName = currentWad;
            entry.size = entry.storedSize = uint32_t(f->size);
            directory.insert(entry);
        }
    }
    return f;
}

Stream* FileManager::openWad(const UString& name, int* size, UString* problem) {
    if (!verifyFileWad(name, problem)) return nullptr;
    const WadEntry entry = *findWadEntry(name);
    FileStream* f = openEntryData(entry, problem);
    if (!f) return nullptr;
    if (size) *size = int(entry.size);
    if (!entry.isCompressed()) return f;
    MemoryStream* m = new MemoryStream(int(entry.size));
    const UString why = inflateEntry(*f, entry, m->data);
    delete f;
    if (why.isEmpty()) return m;
    delete m;
    REFUSE(problem, "%s", why.c_str());
    return nullptr;
}

Stream* FileManager::openHead(const UString& name, int headBytes, int* size, UString* problem) {
    const WadEntry* found = useDisk() ? nullptr : findWadEntry(name);
    if (!found || !found->isCompressed() || found->size <= uint32_t(headBytes)) {
        int whole = 0;
        Stream* stream = openFile(name, &whole, problem);
        if (size) *size = std::min(whole, headBytes);
        return stream;
    }
    const WadEntry entry = *found;
    FileStream* f = openEntryData(entry, problem);
    if (!f) return nullptr;
    MemoryStream* m = new MemoryStream(headBytes);
    const UString why = inflateEntryHead(*f, entry, m->data, uint32_t(headBytes));
    delete f;
    if (!why.isEmpty()) {
        delete m;
        REFUSE(problem, "%s", why.c_str());
        return nullptr;
    }
    if (size) *size = headBytes;
    return m;
}

FileStream* FileManager::openEntryData(const WadEntry& entry, UString* problem) {
    int archiveSize = 0;
    FileStream* f = static_cast<FileStream*>(openDisk(entry.wadName, &archiveSize, problem));
    if (!f) return nullptr;
    // The directory was checked against the archive; it may have shrunk since.
    if (uint64_t(entry.offset) + entry.storedSize > uint64_t(archiveSize)) {
        delete f;
        REFUSE(problem, "File '%s' could not be read whole from archive '%s' (it ends at %d bytes).",
               printableText(entry.fileName).c_str(), entry.wadName.c_str(), archiveSize);
        return nullptr;
    }
    f->seek(int(entry.offset));
    return f;
}

bool FileManager::useWad(const UString& wadName, UString* problem) {
    currentWad = wadName;
    if (bCreateWad || !bUseWad || directory.contains(wadName)) return true;

    std::vector<WadEntry> records;
    if (!readWadDirectory(wadName, records, problem)) return false;
    // The archive's own name marks it as read.
    WadEntry sentinel;
    sentinel.fileName = sentinel.wadName = wadName;
    directory.insert(sentinel);
    bool listing = PLIM && !PLIM->bDebugLocked;
    for (const WadEntry& entry : records) {
        // The first of a name stays, also over one from an archive read before.
        directory.insert(entry);
        if (listing)
            logTagged("useWad", "%s WAD contents: %s @ %d (%d/%d bytes) %s", wadName.c_str(),
                      entry.fileName.c_str(), int(entry.offset), int(entry.storedSize),
                      int(entry.size), entry.isCompressed() ? "COMPRESSED" : "OK");
    }
    return true;
}

bool FileManager::readWadDirectory(const UString& wadName, std::vector<WadEntry>& records, UString* problem) {
    int archiveSize = 0;
    Stream* f = openDisk(wadName, &archiveSize, problem);
    if (!f) return false;
    WadDirectory dir(wadName, archiveSize);
    const bool ok = dir.read(*f);
    delete f;
    if (!ok) return REFUSE(problem, "File '%s' is a corrupt archive: %s", wadName.c_str(), dir.problem.c_str());
    records.swap(dir.records);
    return true;
}

WadEntry* FileManager::findWadEntry(const UString& name) { return directory.find(name); }

UString FileManager::archiveOf(const UString& name) {
    if (useDisk()) return UString();
    const WadEntry* entry = directory.find(name);
    // An archive's own sentinel entry is no entry of it.
    return entry && entry->wadName != name ? entry->wadName : UString();
}

bool FileManager::isInWad(const UString& name) { return directory.contains(name); }

bool FileManager::fileExists(const UString& name) {
    return useDisk() ? ::fileExists(name) : isInWad(name);
}

void FileManager::verifyFile(const UString& name) {
    if (useDisk())
        verifyFileDisk(name);
    else
        verifyFileWad(name);
}

bool FileManager::verifyFileDisk(const UString& name, UString* problem) {
    if (::fileExists(name)) return true;
    // A file that is there but cannot be read says so, not that it is missing.
    if (pathExistsOnDisk(name))
        return REFUSE(problem, "Cannot read '%s': %s", name.c_str(), whyUnreadable(name).c_str());
    return REFUSE(problem, "File '%s' does not exist.", name.c_str());
}

bool FileManager::verifyFileWad(const UString& name, UString* problem) {
    if (isInWad(name)) return true;
    // Names come from the program, but the directory that lacks one may be
    // damaged: say which archives were searched (the sentinels name them).
    std::set<std::string> archives;
    for (const auto& node : directory)
        if (node.value.fileName == node.value.wadName) archives.insert("'" + printableText(node.value.wadName.str()) + "'");
    std::string searched;
    for (const std::string& a : archives) searched += (searched.empty() ? "" : ", ") + a;
    return REFUSE(problem, "File '%s' does not exist. %s", printableText(name).c_str(),
                  archives.empty() ? "No archive has been read."
                                   : formatString("It is not in archive%s %s.", archives.size() > 1 ? "s" : "",
                                                  searched.c_str()).c_str());
}

bool FileManager::compressEntry(const UString& name, const uint8_t* data, int size,
                                std::vector<uint8_t>& packed) {
    const Bytef* uncompressedData = data ? data : reinterpret_cast<const Bytef*>("");
    uLong uncompressedSize = uLong(size);
    uLongf compressedSize = compressBound(uncompressedSize);
    packed.resize(compressedSize);
    Bytef* pCompressed = packed.data();
    PLIM_ASSERT(compress(pCompressed, &compressedSize, uncompressedData, uncompressedSize) == Z_OK);
    packed.resize(compressedSize);
    if (double(compressedSize) < 0.95 * double(size)) return true;
    logTagged("saveSubWad", "Compression NOT worth it for file %s", name.c_str());
    return false;
}

bool FileManager::saveSubWad(const UString& wadName, UString* problem) {
    const UString archive = wadName;  // the caller's string may live in an entry removed below
    std::vector<WadEntry*> entries;
    for (auto& node : directory)
        if (node.value.wadName == archive) entries.push_back(&node.value);
    // Every name must fit its record before a byte of the archive is written.
    for (WadEntry* e : entries)
        if (e->fileName.length() >= WadDirectory::NAME_SIZE)
            PLIM_ERROR("File name '%s' is too long for archive '%s' (%d bytes; at most %d).",
                       printableText(e->fileName).c_str(), archive.c_str(), int(e->fileName.length()),
                       WadDirectory::NAME_SIZE - 1);
    const int count = int(entries.size());

    FileStream out(archive, FileStream::MODE_WRITE);
    uint8_t header[WadDirectory::HEADER_SIZE];
    WadDirectory::encodeHeader(count, header);
    out.write(header, sizeof header);
    logTagged("saveSubWad", "Writing: WAD %s (%d entries).", archive.c_str(), count);

    // The compressed forms worth keeping, by entry; the others are copied as they are.
    std::vector<std::vector<uint8_t>> packed(entries.size());
    uint64_t nextOffset = WadDirectory::HEADER_SIZE + uint64_t(WadDirectory::RECORD_SIZE) * count;
    for (size_t i = 0; i < entries.size(); ++i) {
        WadEntry* e = entries[i];
        WadEntry record = *e;
        record.offset = uint32_t(nextOffset);
        record.storedSize = record.size;
        if (bCompressWad) {
            bool wasForced = bForceDisk;
            bForceDisk = true;
            MemoryFile file(e->fileName);
            bForceDisk = wasForced;
            checkUnchanged(*e, file);
            if (compressEntry(e->fileName, file.data, file.size, packed[i]))
                record.storedSize = uint32_t(packed[i].size());
            else
                packed[i].clear();
        }
        nextOffset += record.storedSize;
        // The reader measures the archive with an int; offsets past it would be lost.
        if (nextOffset > uint64_t(INT_MAX))
            PLIM_ERROR("Archive '%s' would grow past %d bytes at file '%s'.", archive.c_str(),
                       INT_MAX, e->fileName.c_str());
        uint8_t bytes[WadDirectory::RECORD_SIZE];
        WadDirectory::encodeRecord(record, bytes);
        out.write(bytes, sizeof bytes);
    }

    bForceDisk = true;
    for (size_t i = 0; i < entries.size(); ++i) {
        WadEntry* e = entries[i];
        logTagged("saveSubWad", "Writing: %s (%d bytes).", e->fileName.c_str(), int(e->size));
        if (!packed[i].empty()) {
            out.write(packed[i].data(), int(packed[i].size()));
            continue;
        }
        MemoryFile file(e->fileName);
        checkUnchanged(*e, file);
        out.write(file.data, file.size);
    }

    std::vector<UString> names;
    for (WadEntry* e : entries) names.push_back(e->fileName);
    for (const UString& name : names) directory.erase(name);
    const bool opened = out.bOk;
    if (out.finishWriting()) return true;
    if (problem) *problem = opened ? UString(strerror(out.writeError)) : out.problem;
    return false;
}

void FileManager::saveWads() {
    while (!directory.empty()) {
        UString wadName = directory.begin()->value.wadName;
        saveSubWad(wadName);
    }
}

bool FileManager::saveProtectedData(const UString& folder, const UString& fileName,
                                    const UString& keyString, const void* data, int size) {
    if (size == 0) return true;
    const UString path = folder + "/" + fileName;
    if (refuseBlockedSave(path)) return false;
    SaveBlob blob;
    if (!blob.encode(data, size, SaveBlob::computeKeyValue(fileName, keyString))) {
        SaveFailures::report(path, "the data could not be compressed");
        return false;
    }
    if (blob.saveToFile(path)) {
        SaveFailures::saved(path);
        return true;
    }
    SaveFailures::report(path, blob.problem);
    return false;
}

bool FileManager::loadProtectedData(const UString& folder, const UString& fileName,
                                    const UString& keyString, void* data, int size,
                                    UString* problem) {
    if (problem) *problem = UString();
    if (size == 0) return true;
    const UString path = folder + "/" + fileName;
    SaveBlob blob;
    bool ok = size > 0 &&
              blob.loadFromFile(path, SaveBlob::computeKeyValue(fileName, keyString), size) &&
              blob.length == size;
    if (!ok) {
        if (problem && pathExistsOnDisk(path))
            *problem = blob.problem.isEmpty() ? UString("it cannot be used") : blob.problem;
        return false;
    }
    memcpy(data, blob.data, size_t(size));
    return true;
}

bool FileManager::fileExistsOnDisk(const UString& path) { return ::fileExists(path); }

bool FileManager::pathExistsOnDisk(const UString& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

UString FileManager::whyUnreadable(const UString& path) {
    UString problem;
    int fd = FileStream::openRegular(path, false, &problem);
    if (fd >= 0) close(fd);
    return problem;
}

void FileManager::keepRefusedFile(const UString& path, const UString& reason) {
    struct stat info;
    // A link to nothing yet is no file: the first save creates its target.
    if (stat(path.c_str(), &info) != 0 && errno == ENOENT && pathExistsOnDisk(path)) return;
    UString why = whyUnreadable(path);
    if (why.isEmpty()) {
        keepDamagedFile(path, reason);
        return;
    }
    logTagged("keepRefusedFile", "File '%s' cannot be read (%s); it is left as it is and not saved over.",
              path.c_str(), why.c_str());
    blockedPaths()[path.str()] = "the file there cannot be read and is kept";
    UserNotices::post(formatString("The file '%s' cannot be read (%s). It is left as it is and nothing is "
                                   "saved over it; the game starts from the defaults.",
                                   path.c_str(), why.c_str()));
}

UString FileManager::keepDamagedFile(const UString& path, const UString& reason) {
    // Behind links the file itself goes aside, beside itself (a rename stays
    // on its own disk, and its owner finds it there); the links stay, and the
    // next save writes through them.
    UString why;
    const UString file = followLinks(path, &why);
    UString kept;
    for (int n = 1; !file.isEmpty(); ++n) {
        kept = n == 1 ? file + ".bad" : formatString("%s.bad.%d", file.c_str(), n);
        // Never over an earlier damaged file; where the file system cannot
        // refuse that by itself, the name is checked first.
        int result = renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            if (pathExistsOnDisk(kept)) continue;
            result = rename(file.c_str(), kept.c_str());
        }
        if (result == 0) break;
        if (errno != EEXIST) {
            why = strerror(errno);
            break;
        }
    }
    if (!why.isEmpty()) {
        logTagged("keepDamagedFile",
                  "File '%s' is damaged (%s) and cannot be renamed (%s); it is left as it is "
                  "and not saved over.",
                  path.c_str(), reason.c_str(), why.c_str());
        blockedPaths()[path.str()] = "the damaged file there is kept";
        UserNotices::post(formatString("The file '%s' is damaged and could not be set aside (%s). "
                                       "It is left untouched and nothing is saved over it.",
                                       path.c_str(), why.c_str()));
        return UString();
    }
    logTagged("keepDamagedFile", "File '%s' is damaged (%s); kept as '%s'.", path.c_str(),
              reason.c_str(), kept.c_str());
    UserNotices::post(formatString("The file '%s' was damaged and has been kept as '%s'. "
                                   "The game starts from the defaults.",
                                   path.c_str(), kept.c_str()));
    return kept;
}

bool FileManager::isSaveBlocked(const UString& path) { return blockedPaths().count(path.str()) > 0; }

bool FileManager::refuseBlockedSave(const UString& path) {
    if (skippedPaths().count(path.str())) {
        logTagged("save", "Not saving '%s': the player chose to quit without it.", path.c_str());
        return true;
    }
    auto blocked = blockedPaths().find(path.str());
    if (blocked == blockedPaths().end()) return false;
    logTagged("save", "Not saving '%s': %s.", path.c_str(), blocked->second.c_str());
    UserNotices::say(SaveFailures::lostChanges(path, blocked->second.c_str()));
    return true;
}

void FileManager::skipSaves(const UString& path) { skippedPaths().insert(path.str()); }
