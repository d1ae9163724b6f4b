#pragma once
// Where the program finds its data: the working folder when it holds the data
// archive, else the executable's folder, else the installed data folder.
#include <string>
#include <vector>

// The first candidate folder that holds archiveName; empty when none does.
std::string findDataFolder(const std::vector<std::string>& candidates, const std::string& archiveName);

// The folder of the running executable ("" when it cannot be read).
std::string executableFolder();

// The message for a start where no candidate holds the archive.
std::string missingDataMessage(const std::vector<std::string>& candidates, const std::string& archiveName);

// For a start where no candidate holds a readable archive: the message for the
// first candidate whose archive is there but cannot be read ("Cannot read
// '<path>': <reason>"), or empty when there is none.
std::string unreadableDataMessage(const std::vector<std::string>& candidates, const std::string& archiveName);
