// wadtool: builds, lists and unpacks the game's data archives with the engine's
// own archive writer and reader, so the data build produces exactly what the
// game reads.
//
//   wadtool pack ARCHIVE FOLDER [--compress]   every file below FOLDER, by relative path
//                                              (links are skipped, each named)
//   wadtool list ARCHIVE                       one line per directory record
//   wadtool extract ARCHIVE FOLDER             every entry written back below FOLDER
//
// Exit status: 0 on success, 1 on a failure (a missing, unreadable or damaged
// input file among them, and files or an archive past the reader's limits on
// one entry's size and on all of them), 2 on a usage error, 255 only when a
// file changes while it is packed or the archive would pass 2 GB. Every error is one line
// on standard error naming the file and the reason. Names holding control
// characters are refused both ways, and so is an archive with two entries of
// one name or with a name that is both a file and a folder. An ARCHIVE that
// is a link is written where the link points; the link stays. A failed
// extract leaves nothing new behind (see StagedFolder). Results that do not
// all reach standard output end with status 1 and one line.
// The tool runs a bare engine without a log file, so it never touches the
// game's log or crash files in the user data folder.
#include "core/ErrorManager.h"
#include "files/FileManager.h"
#include "util/FileStream.h"
#include "util/Stream.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "files/PrintableText.h"
#include "files/ReplaceFile.h"
#include "util/UString.h"
#include "files/WadDirectory.h"
#include "files/WadEntry.h"
#include "StagedFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The archive being written; removed when a fatal engine error ends the
// program (through exit) before it replaced the old one.
std::string pendingTemp;

void removePendingTemp() {
    if (!pendingTemp.empty()) unlink(pendingTemp.c_str());
}

int usage() {
    fprintf(stderr,
            "usage: wadtool pack ARCHIVE FOLDER [--compress]\n"
            "       wadtool list ARCHIVE\n"
            "       wadtool extract ARCHIVE FOLDER\n");
    return 2;
}

// The errno of the first line that did not reach standard output; 0 while all did.
int outputError = 0;

// Every line the tool prints is escaped here, once: no name or path in one
// (from the command line, a folder or an archive) breaks the line or reaches
// the terminal as a control sequence.
void printLine(FILE* stream, const std::string& text) {
    if (fprintf(stream, "%s\n", printableText(text).c_str()) < 0 && stream == stdout && !outputError)
        outputError = errno;
}

int fail(const std::string& message) {
    printLine(stderr, "wadtool: " + message);
    return 1;
}

// Results that were lost on the way out (a full disk, a closed pipe) are a
// failure too: status 1 with one line, unless the command failed already.
int finishOutput(int status) {
    if (fflush(stdout) != 0 && !outputError) outputError = errno;
    if (ferror(stdout) && !outputError) outputError = EIO;
    if (fclose(stdout) != 0 && !outputError) outputError = errno;
    if (!outputError || status != 0) return status;
    return fail(std::string("cannot write standard output: ") + strerror(outputError));
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

// A file manager reading archives, or building them.
FileManager* newFileManager(bool building, bool compress) {
    FileManager* fm = new FileManager();
    if (building) {
        fm->bUseWad = false;
        fm->bCreateWad = true;
        fm->bCompressWad = compress;
    }
    PLIM->fileManager = fm;
    return fm;
}

void deleteFileManager() {
    delete PLIM->fileManager;
    PLIM->fileManager = nullptr;
}

// The contents of an entry of the archives in use; false with problem when
// it cannot be read whole.
bool readEntry(const std::string& name, std::vector<uint8_t>& bytes, UString& problem) {
    int size = 0;
    Stream* stream = PLIM->fileManager->openFile(name.c_str(), &size, &problem);
    if (!stream) return false;
    bytes.resize(size_t(size));
    const bool whole = size == 0 || stream->read(bytes.data(), size) == size;
    delete stream;
    if (!whole) problem = formatString("File '%s' could not be read whole.", name.c_str());
    return whole;
}

// Why an archive cannot hold name; empty when it can.
std::string unstorable(const std::string& name) {
    // A scrambled name field starts with a byte of 0x80 or above, which the
    // reader relies on: a name that starts with one cannot be stored.
    if (static_cast<unsigned char>(name[0]) >= 0x80)
        return "a name in an archive cannot begin with a byte of 0x80 or above (a letter outside ASCII)";
    // Extracted, such a name would reach terminals and scripts as it is.
    if (holdsControlCharacter(name)) return "a name in an archive cannot hold control characters";
    if (name.size() >= size_t(WadDirectory::NAME_SIZE))
        return "a name in an archive is at most " + std::to_string(WadDirectory::NAME_SIZE - 1) + " bytes";
    return std::string();
}

// Why the files cannot go into one archive because of their sizes, naming the
// first that passes a limit; empty when they can. A file whose size cannot
// be taken is left to the reading, which names the reason.
std::string oversizedFile(const std::string& folder, const std::vector<std::string>& names) {
    uint64_t total = 0;
    for (const std::string& name : names) {
        std::error_code ec;
        const uintmax_t size = fs::file_size(fs::path(folder) / name, ec);
        const UString why = ec ? UString() : WadDirectory::oversize(size, total);
        if (!why.isEmpty()) return "cannot pack '" + name + "' (" + std::to_string(size) + " bytes): it " + why.str();
    }
    return std::string();
}

bool readDiskFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
    FileStream f(path.c_str(), FileStream::MODE_READ);
    if (!f.bOk) return problem = "cannot read '" + path + "': " + f.problem.str(), false;
    bytes.resize(size_t(f.size));
    if (f.size == 0 || f.read(bytes.data(), f.size) == f.size) return true;
    return problem = "cannot read '" + path + "' whole", false;
}

// Every regular file below folder as a relative path with "/" separators,
// sorted; the archive being written is left out when it lies inside. Links are
// never followed (they could take in files from anywhere): each is named and
// skipped, like anything else that is not a regular file or a folder.
bool collectFiles(const std::string& folder, const std::vector<std::string>& exclude,
                  std::vector<std::string>& names, std::string& error) {
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    if (ec) {
        error = "cannot read folder '" + folder + "': " + ec.message();
        return false;
    }
    std::vector<std::string> skipped;
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        const fs::file_status status = it->symlink_status(typeError);
        const std::string shown = "'" + it->path().string() + "'";
        if (fs::is_symlink(status)) {
            skipped.push_back(shown + ": a link (links are not packed)");
            continue;
        }
        if (!fs::is_regular_file(status)) {
            if (!fs::is_directory(status)) skipped.push_back(shown + ": not a regular file");
            continue;
        }
        bool excluded = false;
        for (const std::string& x : exclude) {
            std::error_code eqError;
            if (fs::exists(x, eqError) && fs::equivalent(it->path(), x, eqError)) excluded = true;
        }
        if (!excluded) names.push_back(it->path().lexically_relative(folder).generic_string());
    }
    if (ec) {
        error = "cannot read folder '" + folder + "': " + ec.message();
        return false;
    }
    std::sort(skipped.begin(), skipped.end());
    for (const std::string& s : skipped) printLine(stderr, "wadtool: skipping " + s);
    std::sort(names.begin(), names.end());
    return true;
}

// Reads the archive written at temp back through the game's reader, entry by
// entry against its file; empty when every one matches. Leaves the reading
// file manager in place.
std::string readBack(const std::string& temp, const std::vector<std::string>& names, int& compressed) {
    FileManager* fm = newFileManager(false, false);
    std::vector<WadEntry> records;
    UString reason;
    if (!fm->useWad(temp.c_str(), &reason) || !fm->readWadDirectory(temp.c_str(), records, &reason))
        return reason.str();
    if (records.size() != names.size())
        return std::to_string(records.size()) + " entries instead of " + std::to_string(names.size());
    for (const WadEntry& r : records) compressed += r.isCompressed() ? 1 : 0;
    std::string error;
    for (const std::string& name : names) {
        std::vector<uint8_t> source, entry;
        if (!fm->isInWad(name.c_str())) return "entry '" + name + "' is missing";
        if (!readDiskFile(name, source, error)) return error;
        if (!readEntry(name, entry, reason)) return reason.str();
        if (entry != source) return "entry '" + name + "' does not match its file";
    }
    return std::string();
}

int pack(const std::string& archiveArg, const std::string& folderArg, bool compress) {
    std::error_code ec;
    if (!fs::is_directory(folderArg, ec)) return fail("'" + folderArg + "' is not a folder");
    UString reason;
    const std::string archive = replaceTarget(absolutePath(archiveArg).c_str(), &reason).str();
    if (archive.empty()) return fail("cannot replace '" + absolutePath(archiveArg) + "': " + reason.str());
    const std::string temp = makeTempFileFor(archive.c_str(), &reason).str();
    if (temp.empty()) return fail("cannot write next to '" + archive + "': " + reason.str());
    pendingTemp = temp;
    // Every failure from here leaves no archive behind.
    auto abandon = [&](const std::string& message) {
        if (PLIM->fileManager) PLIM->fileManager->bCreateWad = false; // deleted, it writes nothing
        deleteFileManager();
        fs::remove(temp, ec);
        return fail(message);
    };

    std::vector<std::string> names;
    std::string error;
    if (!collectFiles(folderArg, {archive, temp}, names, error)) return abandon(error);
    for (const std::string& name : names) {
        const std::string why = unstorable(name);
        if (!why.empty()) return abandon("cannot pack '" + name + "': " + why);
    }
    error = oversizedFile(folderArg, names);
    if (!error.empty()) return abandon(error);

    // The writer registers each file under the name it was opened by and reads
    // it again by that name, so it works from inside the folder.
    if (chdir(folderArg.c_str()) != 0) {
        const std::string why = strerror(errno);
        return abandon("cannot enter folder '" + folderArg + "': " + why);
    }

    FileManager* fm = newFileManager(true, compress);
    fm->useWad(temp.c_str());
    for (const std::string& name : names) {
        Stream* file = fm->openFile(name.c_str(), nullptr, &reason);
        if (!file) return abandon("in folder '" + folderArg + "': " + reason.str());
        delete file;
    }
    if (!fm->saveSubWad(temp.c_str(), &reason)) return abandon("cannot write '" + archive + "': " + reason.str());
    deleteFileManager();

    int compressed = 0;
    error = readBack(temp, names, compressed);
    if (!error.empty()) {
        // The temporary copy is removed: the reason names the archive instead.
        UString why = error.c_str();
        replaceAll(why, temp.c_str(), archive.c_str());
        return abandon("archive '" + archive + "' could not be written correctly: " + why.str());
    }
    deleteFileManager();
    if (rename(temp.c_str(), archive.c_str()) != 0) {
        const std::string why = strerror(errno);
        return abandon("cannot replace '" + archive + "': " + why);
    }
    pendingTemp.clear();
    printLine(stdout, formatString("Packed %d files into %s (%d compressed).", int(names.size()),
                                   archiveArg.c_str(), compressed).str());
    return 0;
}

int list(const std::string& archiveArg) {
    FileManager* fm = newFileManager(false, false);
    std::vector<WadEntry> records;
    UString problem;
    if (!fm->readWadDirectory(absolutePath(archiveArg).c_str(), records, &problem)) return fail(problem.str());
    for (const WadEntry& r : records)
        printLine(stdout, formatString("%-10s %10u %10u %10u %s", r.isCompressed() ? "compressed" : "stored",
                                       r.size, r.storedSize, r.offset, r.fileName.c_str()).str());
    deleteFileManager();
    return 0;
}

// A name that stays below the target folder: relative, no empty, "." or ".."
// component.
bool isSafeName(const std::string& name) {
    if (name.empty() || name[0] == '/') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        if (slash == std::string::npos) slash = name.size();
        std::string part = name.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = slash + 1;
    }
    return true;
}

// Why the names of records cannot all be extracted, each below the target and
// apart from the others; empty when they can, with names filled.
std::string refusedEntry(const std::vector<WadEntry>& records, std::vector<std::string>& names) {
    std::set<std::string> seen;
    for (const WadEntry& r : records) {
        std::string name = r.fileName.str();
        const char* why = !isSafeName(name)            ? "not a plain relative path"
                          : holdsControlCharacter(name) ? "its name holds control characters"
                          : !seen.insert(name).second   ? "the archive holds two entries of that name"
                                                        : nullptr;
        if (why) return "refusing entry '" + name + "': " + why;
        names.push_back(name);
    }
    // A name cannot be a file and, for another entry, a folder.
    for (const std::string& name : names)
        for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
            if (seen.count(name.substr(0, slash)))
                return "refusing entry '" + name + "': the archive also holds '" + name.substr(0, slash) +
                       "' as a file";
    return std::string();
}

int extract(const std::string& archiveArg, const std::string& folderArg) {
    const std::string archive = absolutePath(archiveArg);
    FileManager* fm = newFileManager(false, false);
    std::vector<WadEntry> records;
    UString problem;
    if (!fm->readWadDirectory(archive.c_str(), records, &problem)) return fail(problem.str());
    // Every name is checked before anything is written.
    std::vector<std::string> names;
    const std::string refused = refusedEntry(records, names);
    if (!refused.empty()) return fail(refused);
    if (!fm->useWad(archive.c_str(), &problem)) return fail(problem.str());

    StagedFolder folder(folderArg);
    std::string failure;
    if (!folder.create(failure)) return fail(failure);
    for (const std::string& name : names) {
        std::vector<uint8_t> entry;
        if (!readEntry(name, entry, problem)) return fail(problem.str());
        if (!folder.write(name, entry.data(), int(entry.size()), failure)) return fail(failure);
    }
    if (!folder.place(failure)) return fail(failure);
    deleteFileManager();
    printLine(stdout, formatString("Extracted %d files into %s.", int(names.size()), folderArg.c_str()).str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    bool compress = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--compress") == 0) compress = true;
        else args.push_back(argv[i]);
    }
    if (args.empty()) return finishOutput(usage());
    const std::string& command = args[0];
    bool packing = command == "pack";
    if (compress && !packing) return finishOutput(usage());

    atexit(removePendingTemp);
    setErrorStream(stderr);
    Plim* engine = new Plim(Plim::Bare{});
    engine->errorManager = new ErrorManager();
    int status;
    if (packing && args.size() == 3) status = pack(args[1], args[2], compress);
    else if (command == "list" && args.size() == 2) status = list(args[1]);
    else if (command == "extract" && args.size() == 3) status = extract(args[1], args[2]);
    else status = usage();

    deleteFileManager();
    delete engine->errorManager;
    engine->errorManager = nullptr;
    delete engine;
    PLIM = nullptr;
    return finishOutput(status);
}
