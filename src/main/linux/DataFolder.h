#pragma once
// Where the program finds its data: the first of the candidate folders (the
// executable's folder, the installed data folder, the working folder) that
// holds the data archive.
#include <string>
#include <vector>

// How the player gets the data back, for the messages about it.
constexpr const char DATA_REBUILD_HINT[] = "bash tools/run-game.sh builds it";

// The first candidate folder that holds archiveName; empty when none does.
std::string findDataFolder(const std::vector<std::string>& candidates, const std::string& archiveName);

// The folder of the running executable ("" when it cannot be read).
std::string executableFolder();

// The line for a start where no candidate holds the archive.
std::string missingDataMessage(const std::vector<std::string>& candidates, const std::string& archiveName);

// For a start where no candidate holds a readable archive: the message for the
// first candidate whose archive is there but cannot be read ("Corvana2demo
// cannot read '<path>': <reason>. ..." in one line), or empty when there is none.
std::string unreadableDataMessage(const std::vector<std::string>& candidates, const std::string& archiveName);
