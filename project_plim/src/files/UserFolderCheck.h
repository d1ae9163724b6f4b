#pragma once
// What the start-up says about the user folder before anything is written in
// it: the folder variables it ignores, and a folder that cannot be made.
#include "util/UString.h"

#include <vector>

class UserFolderCheck {
public:
    // One line for each of U3_APP_DATA_PATH, XDG_DATA_HOME and HOME, in the
    // order they are consulted up to the first that is used, that is set to a
    // relative folder and so ignored.
    static std::vector<UString> ignoredVariables();
    // Makes the user folder (getUserDataFolder(true)), every missing level;
    // empty when it is there, else one line naming the folder, the level that
    // could not be made and why, and what to do. A home folder that does not
    // exist is never made.
    static UString makeProblem();
};
