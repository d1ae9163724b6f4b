#pragma once
// Saves that cannot be written. The player hears of each file and reason once,
// in the notices' dialog: at start where the failure can be foreseen (a
// read-only file, a folder that takes no new file), when it happens during
// play, and, for one that happened on the way out with no screen left, at the
// next start, from a list kept in the user folder. Standard error gets a line
// for each failure as it happens. Main thread only.
#include "util/UString.h"

#include <vector>

class SaveFailures {
public:
    // A save of path failed: logged, said on standard error, told to the player.
    static void report(const UString& path, const UString& reason);
    // Why a save of path would fail now, empty when it would not: a file is
    // made beside it and removed again to see.
    static UString whyUnsavable(const UString& path);
    // Tells the player of a save of path that is going to fail.
    static void foresee(const UString& path);
    // Of the notices the player never saw, the failed saves are kept in the
    // folder's list (with those already there) for the next start.
    static void keepUnseen(const UString& folder, const std::vector<UString>& unseen);
    // Tells the failures that the folder's list keeps, once it is removed.
    static void tellKept(const UString& folder);
    static UString keptListPath(const UString& folder);
};
