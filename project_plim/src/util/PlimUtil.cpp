#include "PlimUtil.h"

#include "FileStream.h"
#include "TickSource.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Creates every missing level of path (mode 0755).
void makeDirectories(const UString& path) {
    const std::string& p = path.str();
    for (size_t at = p.find('/', 1); at != std::string::npos; at = p.find('/', at + 1))
        makeDirectory(UString(p.substr(0, at)));
    makeDirectory(path);
}

uint64_t monotonicNow() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

// Taken on first use, which the initialiser below makes happen at load time;
// a function-local static is safe against static initialisation order.
uint64_t processStart() {
    static const uint64_t start = monotonicNow();
    return start;
}
[[maybe_unused]] const uint64_t primeProcessStart = processStart();

}  // namespace

const char* environmentFolder(const char* name) {
    const char* value = getenv(name);
    return value && value[0] == '/' ? value : nullptr;
}

// --- Paths and files ------------------------------------------------------

UserFolderVariable userFolderVariable(UserFolderVariable from) {
    for (int i = from; i < PASSWORD_HOME; ++i)
        if (environmentFolder(USER_FOLDER_VARIABLES[i])) return UserFolderVariable(i);
    return PASSWORD_HOME;
}

UString findDataHome() {
    if (userFolderVariable(DATA_HOME) == DATA_HOME) return UString(getenv(USER_FOLDER_VARIABLES[DATA_HOME]));
    const UString home = findHome();
    return home.isEmpty() ? home : home + "/.local/share";
}

UString findHome() {
    if (userFolderVariable(HOME_FOLDER) == HOME_FOLDER) return UString(getenv(USER_FOLDER_VARIABLES[HOME_FOLDER]));
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return UString(found->pw_dir);
    return UString();
}

UString getApplicationSupportFolder() {
    UString folder = findDataHome();
    if (!folder.isEmpty()) makeDirectories(folder);
    return folder;
}

UString getUserDataFolder(bool useAppDataPath) {
    if (userFolderVariable() == APP_DATA_PATH) {
        const char* appData = getenv(USER_FOLDER_VARIABLES[APP_DATA_PATH]);
        if (!useAppDataPath && access(".", W_OK) == 0) return UString("./");
        UString folder = UString(appData) + "/" + PLIM_VERSION_STRING;
        makeDirectories(folder);
        return folder + "/";
    }
    UString folder = getApplicationSupportFolder();
    if (folder.isEmpty()) return folder;
    folder += "/";
    folder += PLIM_MAKER_NAME;
    makeDirectory(folder);
    folder += "/";
    folder += PLIM_BUILD_NAME;
    makeDirectory(folder);
    folder += "/";
    folder += PLIM_VERSION_STRING;
    makeDirectory(folder);
    return folder + "/";
}

bool fileExists(const UString& path) {
    FileStream f(path, FileStream::MODE_READ);
    return f.bOk;
}

int removeFile(const UString& path) { return remove(path.c_str()); }

int makeDirectory(const UString& path) { return mkdir(path.c_str(), 0755); }

void copyFile(const UString& source, const UString& destination) {
    // Opening the destination empties it, so a copy onto the source itself
    // would destroy the file.
    struct stat from, to;
    if (stat(source.c_str(), &from) == 0 && stat(destination.c_str(), &to) == 0 &&
        from.st_dev == to.st_dev && from.st_ino == to.st_ino)
        return;

    FileStream in(source, FileStream::MODE_READ);
    FileStream out(destination, FileStream::MODE_WRITE);
    if (!in.bOk || !out.bOk) return;
    char block[1024];
    for (int done = 0; done < in.size; done += int(sizeof block)) {
        int n = in.read(block, int(sizeof block));
        if (n <= 0) break;  // the file shrank while copying
        out.write(block, n);
    }
}

// --- Process and timer ----------------------------------------------------

void forceExit() { exit(-1); }

namespace {
FILE* errorStream = nullptr;
}

void setErrorStream(FILE* stream) { errorStream = stream; }

void printError(const UString& message) {
    FILE* out = errorStream ? errorStream : stdout;
    fprintf(out, "*** ERROR *** %s\n", message.c_str());
    fflush(out);
}

uint64_t getMilliseconds() { return monotonicNow() - processStart(); }

unsigned int getTicks() { return TickSource::get()->getTicks(); }

void delayMilliseconds(unsigned int ms) { TickSource::get()->delay(ms); }

// --- Memory ---------------------------------------------------------------

void releaseFreeMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void keepFreedMemory() {
#ifdef __GLIBC__
    // Mesa's scene memory, else given back every frame, is faulted in again at each scissor band.
    if (!std::getenv("MALLOC_TRIM_THRESHOLD_")) mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}

// --- Strings --------------------------------------------------------------

void toLowerString(UString& s) { s = s.toLower(); }

void toUpperString(UString& s) { s = s.toUpper(); }

int parseInt(const UString& s) {
    int value = 0;
    if (sscanf(s.c_str(), "%d", &value) != 1) return 0;
    return value;
}

double parseDouble(const UString& s) {
    double value = 0.0;
    if (sscanf(s.c_str(), "%lf", &value) != 1) return 0.0;
    return value;
}

void replaceAll(UString& s, const UString& from, const UString& to) {
    if (from.isEmpty()) return;
    std::string& text = s.str();
    const std::string& what = from.str();
    const std::string& with = to.str();
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

void trimString(UString& s) {
    static const char blanks[] = " \t\r\n";
    std::string& text = s.str();
    size_t end = text.find_last_not_of(blanks);
    if (end == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(end + 1);
    text.erase(0, text.find_first_not_of(blanks));
}

UString splitString(UString& text) {
    std::string& t = text.str();
    size_t at = t.find('\n');
    if (at == std::string::npos) {
        UString line(t);
        t.clear();
        return line;
    }
    UString line(t.substr(0, at));
    if (at > 0 && line.str().back() == '\r') line.str().pop_back();
    t.erase(0, at + 1);
    return line;
}

void formatStringV(UString& out, const char* format, va_list args) {
    out = UString::formatV(format, args);
}

void formatStringInto(UString& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    formatStringV(out, format, args);
    va_end(args);
}

UString formatString(const char* format, ...) {
    va_list args;
    va_start(args, format);
    UString out = UString::formatV(format, args);
    va_end(args);
    return out;
}
