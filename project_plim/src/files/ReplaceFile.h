#pragma once
// Writes a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file of a unique name in the same
// folder, which is renamed over the old file only once every byte has reached
// it.
#include "util/UString.h"

// What marks a temporary file: path + TEMP_MARKER + six letters or digits
// (mkstemp's), a name no player gives a file of his own.
inline constexpr char TEMP_MARKER[] = ".tmp-";

// Where the chain of links that path starts ends (path itself when it is no
// link; past a link, in its real folder), whether a file is there or not;
// empty, with the reason in *error when given, when a link cannot be read or
// the links loop.
UString followLinks(const UString& path, UString* error = nullptr);
// The file that a save to path replaces: path itself, or where the chain of
// links that path starts ends (the links stay). Empty, with the reason in
// *error when given, when that file is there but is not a regular file, or is
// read-only (the owner's write bit clear on one's own file, every write bit
// clear on another's), or the links loop.
UString replaceTarget(const UString& path, UString* error = nullptr);
// The reason replaceTarget gives for a read-only file.
inline constexpr char READ_ONLY_REASON[] = "it is read-only";

// Creates an empty file of a unique name next to path (path + ".tmp-XXXXXX",
// by mkstemp) with the mode the file at path is to end with (the old file's,
// or 0666 less the umask), and returns its name; empty when it cannot be
// created, with the system's reason in *error when given.
UString makeTempFileFor(const UString& path, UString* error = nullptr);
// Writes the file that replaceTarget names. False (old file untouched,
// temporary file removed) when anything fails, with the reason in *error when
// given.
bool replaceFile(const UString& path, const void* bytes, int count, UString* error = nullptr);
// Removes the temporary files of path that a killed save left behind (path +
// ".tmp-" and the six characters of mkstemp); returns how many went. Only for a
// folder no other process saves into (the user folder, under its lock).
int removeStaleTempFiles(const UString& path);
