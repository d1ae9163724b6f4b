#pragma once
// Writes a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file in the same folder, which is
// renamed over the old file only once every byte has reached it.
#include "UString.h"

// The temporary file's name: the path with ".tmp" appended.
UString replaceFileTempPath(const UString& path);
// False (old file untouched, temporary file removed) when anything fails.
bool replaceFile(const UString& path, const void* bytes, int count);
