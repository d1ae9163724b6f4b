#pragma once
// What the start-up says about the user folder before anything is written in
// it: the folder variables it ignores, a user with no place for the folder,
// and a folder that cannot be made. Each line names the program and ends in a
// line feed; every value from the environment in it is escaped.
#include <string>
#include <vector>

class UserFolderCheck {
public:
    // One line for each of U3_APP_DATA_PATH, XDG_DATA_HOME and HOME, in the
    // order they are consulted up to the first that is used, that is set to a
    // relative folder and so ignored.
    static std::vector<std::string> ignoredVariables();
    // Empty when the user folder has a place: an absolute U3_APP_DATA_PATH,
    // XDG_DATA_HOME or home folder. Else the line saying there is none.
    static std::string placeProblem();
    // Makes the user folder (getUserDataFolder(true)), every missing level;
    // empty when it is there, else the line naming the folder, the level that
    // could not be made and why, and what to do. A home folder that is not
    // there is never made.
    static std::string makeProblem();
    // A HOME that is set but not an absolute folder, which the game ignores,
    // becomes the home the game uses (the password database's), or is
    // removed when there is none: the libraries that read it (the sound
    // system's) then print no complaint of their own on the terminal.
    static void settleHome();
};
