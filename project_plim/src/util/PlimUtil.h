#pragma once
// Free platform, path, time-counter and string helpers shared by every layer.
#include "UString.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

// Names that make up the per-user data folder, the log name and the caption.
constexpr const char PLIM_MAKER_NAME[] = "Zemtrovia";
constexpr const char PLIM_BUILD_NAME[] = "Corvana2demo";
constexpr const char PLIM_VERSION_STRING[] = "2.60";

// --- Paths and files ------------------------------------------------------

// The variables that place the user folder, in the order they are consulted:
// the first that names an absolute folder decides (the folder itself, the
// base of the maker's folder, the home that base lies in); when none does,
// the password database's home.
enum UserFolderVariable { APP_DATA_PATH, DATA_HOME, HOME_FOLDER, PASSWORD_HOME };
constexpr const char* const USER_FOLDER_VARIABLES[] = {"U3_APP_DATA_PATH", "XDG_DATA_HOME", "HOME"};
// The variable that decides, consulting them from `from` on.
UserFolderVariable userFolderVariable(UserFolderVariable from = APP_DATA_PATH);
// The per-user data folder, always ending in "/", created level by level
// (mode 0755). With U3_APP_DATA_PATH set to an absolute folder it is that
// folder + "/" + version; there, a false flag gives the working folder "./"
// (or the data folder when the working folder is not writable). Otherwise
// (a relative U3_APP_DATA_PATH counts for nothing) the flag is ignored and the
// folder is findDataHome() + "/Zemtrovia/Corvana2demo/2.60/"; empty when
// there is no data home (the start-up says so before the engine starts).
UString getUserDataFolder(bool useAppDataPath);
// The variable's value when it names an absolute folder, else null. Only an
// absolute folder counts: a relative one would put the user folder wherever
// the game happens to run (below its data folder, which it changes to first),
// and an empty one at the file-system root.
const char* environmentFolder(const char* name);
// The base below which the maker's folder lives, without creating anything:
// $XDG_DATA_HOME, else $HOME/.local/share, else the password database's home
// of the user + "/.local/share"; only absolute folders count, so it is empty
// when none of them is one.
UString findDataHome();
// The user's home folder: $HOME, else the password database's; empty when
// neither is an absolute folder.
UString findHome();
// findDataHome, with every missing level created (mode 0755).
UString getApplicationSupportFolder();
// True when the file can be opened for reading.
bool fileExists(const UString& path);
int removeFile(const UString& path);
// mkdir with mode 0755; an existing folder gives -1 and callers ignore it.
int makeDirectory(const UString& path);
// Copies in blocks of 1024 bytes; reports nothing. Copying a file onto
// itself leaves it untouched.
void copyFile(const UString& source, const UString& destination);

// --- Process and timer ----------------------------------------------------

// Ends the process with status 255; used only by the fatal path.
[[noreturn]] void forceExit();
// Prints "*** ERROR *** <message>" to standard output (or the stream set
// below) and flushes it.
void printError(const UString& message);
// Where printError writes: tools send fatal errors to standard error.
void setErrorStream(FILE* stream);

// The process-wide monotonic millisecond counter (CLOCK_MONOTONIC since process
// start). Unlike SDL's counter it does not restart when SDL is initialised.
// Safe to call from any thread.
uint64_t getMilliseconds();
// The engine's millisecond tick count (log deltas, engine clock): the installed
// TickSource's count, by default the low 32 bits of getMilliseconds(). Tests
// install their own TickSource instead of sleeping.
unsigned int getTicks();
// Sleeps through the installed TickSource (by default SDL_Delay).
void delayMilliseconds(unsigned int ms);

// --- Memory ---------------------------------------------------------------

// Gives the free pages inside the heap back to the system. The allocator keeps
// what a burst of objects freed resident, so the process would keep its peak
// for ever; a pause in play (between waves) is the time to call it.
void releaseFreeMemory();
// Lets the heap keep up to 32 MB of freed memory instead of returning it after
// every frame, unless MALLOC_TRIM_THRESHOLD_ is set. Called at engine start.
void keepFreedMemory();

// --- Strings --------------------------------------------------------------

void toLowerString(UString& s);
void toUpperString(UString& s);
// Leading number as by sscanf "%d" / "%lf"; 0 when there is none.
int parseInt(const UString& s);
double parseDouble(const UString& s);
// Replaces every occurrence, left to right, never searching inserted text.
// An empty search text leaves the string unchanged.
void replaceAll(UString& s, const UString& from, const UString& to);
// Strips " \t\r\n" from both ends.
void trimString(UString& s);
// Takes the first line off text (LF or CRLF ended) and returns it.
UString splitString(UString& text);

// printf-style expansion; the result is truncated at 65,535 characters.
void formatStringV(UString& out, const char* format, va_list args);
void formatStringInto(UString& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
UString formatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
