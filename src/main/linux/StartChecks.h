#pragma once
// The game's start on Linux before the engine: what must hold before anything
// is written, checked in a fixed order, then the lock on the user folder. A
// problem ends the start in one line on standard error, naming the program.
#include <string>

class UserFolderLock;

class StartChecks {
public:
    // program: the program as started, for the line that says how to run it.
    explicit StartChecks(const std::string& program);

    // Says which folder variables are ignored, runs every check in order,
    // settles HOME for the libraries and locks the user folder; false once a
    // line said why the start ends.
    bool pass(UserFolderLock& lock);

private:
    // Each returns the line that ends the start, or "" when its condition holds.
    using Check = std::string (StartChecks::*)();
    static const Check CHECKS[];

    std::string findData();
    std::string dataArchive();
    std::string staticSettings();
    std::string enterDataFolder();
    std::string userFolderPlace();
    std::string display();
    std::string userFolder();

    bool lockUserFolder(UserFolderLock& lock);

    std::string program;
    std::string dataFolder;
};
