#pragma once
// Saves that cannot be written. The player hears of each file and reason once,
// in the notices' dialog: at start where the failure can be foreseen (a
// read-only file, a folder that takes no new file, a disk short of room), when
// it happens during play, and, for one that happened on the way out with no
// screen left, at the next start, from a list kept in the user folder.
// Standard error gets a line for each file whose changes are lost: one whose
// last save failed when the game ends. Main thread only.
#include "util/UString.h"

#include <cstdint>
#include <utility>
#include <vector>

class SaveFailures {
public:
    // A file and why it could not be saved.
    using Failure = std::pair<UString, UString>;

    // A save of path failed: logged and told to the player (while gathering,
    // gathered instead, for the gatherer to tell).
    static void report(const UString& path, const UString& reason);
    // A save of path succeeded: a failure before it lost nothing.
    static void saved(const UString& path);
    // What the player is told of a save of path that failed for reason.
    static UString lostChanges(const UString& path, const UString& reason);
    // Why a save of path would fail now, empty when it would not: a file is
    // made beside it and removed again to see, and its disk must have room for
    // bytes (the saves that go there) and a margin. *sure, when given, is
    // false when only the margin is short, and the save may yet succeed.
    static UString whyUnsavable(const UString& path, int64_t bytes = 0, bool* sure = nullptr);
    // Tells the player of a save of path that is going, or may be going, to fail.
    static void foresee(const UString& path, int64_t bytes = 0);
    // From here to takeGathered, failed saves are gathered and not posted.
    static void startGathering();
    static std::vector<Failure> takeGathered();
    // The game ends with no screen left: says on standard error each file
    // whose last save failed, and keeps those the player never saw among the
    // unseen notices in the folder's list (with those already there) for the
    // next start. Returns the unseen notices about other things.
    static std::vector<UString> sayLostAtExit(const UString& folder, const std::vector<UString>& unseen);
    // Tells the failures that the folder's list keeps, once it is removed; a
    // cause that persists is told again by foresee, as this game's.
    static void tellKept(const UString& folder);
    static UString keptListPath(const UString& folder);

private:
    static void keepUnseen(const UString& folder, const std::vector<UString>& unseen);
};
