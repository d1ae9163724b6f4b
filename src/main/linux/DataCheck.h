#pragma once
// Whether the data the game found can be used, before anything starts: the
// archive read whole (its directory, every entry, every compressed one
// inflated), holding every file the start reads, each of them read as the
// loader will read it, and the static settings beside it read as the engine
// will read them.
#include <string>

// Empty when folder's archive can be used; else one line naming the archive,
// the reason and what to do.
std::string dataArchiveProblem(const std::string& folder);

// Empty when folder's static settings hold every key the engine reads; else
// one line naming the file, the reason and what to do.
std::string staticSettingsProblem(const std::string& folder);
